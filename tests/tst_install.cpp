#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QTemporaryDir>
#include <QTest>

namespace {

const QString appId = "org.vellamor.Vellamor";

struct Run
{
    int exitCode = -1;
    QString output;
};

Run run(const QString &program, const QStringList &arguments, const QStringList &environment = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &pair : environment)
        env.insert(pair.section('=', 0, 0), pair.section('=', 1));
    process.setProcessEnvironment(env);
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    if (!process.waitForFinished(300000))
        return {};
    return {process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1,
            QString::fromUtf8(process.readAll())};
}

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void installLayout_data();
    void installLayout();
    void desktopEntry();
    void validators_data();
    void validators();
    void debianPackage();
};

void TestInstall::installLayout_data()
{
    QTest::addColumn<bool>("staged");
    QTest::newRow("prefix") << false;
    QTest::newRow("DESTDIR staging") << true;
}

void TestInstall::installLayout()
{
    QFETCH(bool, staged);
    QTemporaryDir dir;
    const QString prefix = staged ? "/opt/vellamor-test" : dir.filePath("prefix");
    const QString root = staged ? dir.filePath("stage") + prefix : prefix;
    const Run install = run(CMAKE_COMMAND, {"--install", BUILD_DIR, "--prefix", prefix},
                            staged ? QStringList{"DESTDIR=" + dir.filePath("stage")} : QStringList{});
    QVERIFY2(install.exitCode == 0, qPrintable(install.output));

    QStringList installed;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        installed << QDir(root).relativeFilePath(it.next());
    installed.sort();
    QCOMPARE(installed, QStringList({"bin/vellamor",
                                     "share/applications/" + appId + ".desktop",
                                     "share/metainfo/" + appId + ".metainfo.xml"}));
    QVERIFY(QFileInfo(root + "/bin/vellamor").isExecutable());
    if (staged)
        QVERIFY(!QFileInfo::exists(prefix));
}

void TestInstall::desktopEntry()
{
    const QStringList lines = readText(SOURCE_DIR "/data/" + appId + ".desktop").split('\n');
    QCOMPARE(lines.first(), QString("[Desktop Entry]"));
    QHash<QString, QString> keys;
    for (const QString &line : lines.mid(1)) {
        if (!line.isEmpty())
            keys.insert(line.section('=', 0, 0), line.section('=', 1));
    }
    QCOMPARE(keys.value("Type"), QString("Application"));
    QCOMPARE(keys.value("Name"), QString("Vellamor"));
    QCOMPARE(keys.value("Exec"), QString("vellamor"));
    QCOMPARE(keys.value("Terminal"), QString("false"));
    QVERIFY(!keys.value("Comment").isEmpty());
    QVERIFY(keys.value("Categories").split(';').contains("Graphics"));
    QVERIFY(!keys.contains("MimeType"));
    QVERIFY(!keys.contains("Icon"));
}

void TestInstall::validators_data()
{
    QTest::addColumn<QString>("program");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("desktop entry")
            << "desktop-file-validate" << QStringList{SOURCE_DIR "/data/" + appId + ".desktop"};
    QTest::newRow("metainfo")
            << "appstreamcli"
            << QStringList{"validate", "--no-net", SOURCE_DIR "/data/" + appId + ".metainfo.xml"};
}

void TestInstall::validators()
{
    QFETCH(QString, program);
    QFETCH(QStringList, arguments);
    const Run result = run(program, arguments);
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    QVERIFY2(!result.output.contains("error", Qt::CaseInsensitive)
                     && !result.output.contains("warning", Qt::CaseInsensitive),
             qPrintable(result.output));
}

void TestInstall::debianPackage()
{
    QTemporaryDir dir;
    const Run pack = run(CPACK_COMMAND, {"-G", "DEB", "--config", BUILD_DIR "/CPackConfig.cmake",
                                         "-B", dir.path()});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QStringList debs = QDir(dir.path()).entryList({"*.deb"}, QDir::Files);
    QCOMPARE(debs.size(), 1);
    const QString deb = dir.filePath(debs.first());
    QVERIFY(debs.first().startsWith("vellamor_1.0.0"));

    const Run info = run("dpkg-deb", {"-I", deb});
    QCOMPARE(info.exitCode, 0);
    QVERIFY2(info.output.contains(QRegularExpression("\\n Depends:[^\\n]*libqt6widgets6")),
             qPrintable(info.output));
    QVERIFY(info.output.contains(" Section: graphics\n"));
    QVERIFY(info.output.contains(" Version: 1.0.0\n"));
    QVERIFY(info.output.contains(" Maintainer: "));
    QVERIFY(info.output.contains(" Description: Find where a map picture lies"));

    const Run contents = run("dpkg-deb", {"-c", deb});
    QCOMPARE(contents.exitCode, 0);
    for (const QString &path : {QString("./usr/bin/vellamor"), "./usr/share/applications/" + appId + ".desktop",
                                "./usr/share/metainfo/" + appId + ".metainfo.xml"})
        QVERIFY2(contents.output.contains(path), qPrintable(path));
    QVERIFY(!contents.output.contains("tst_"));
    QVERIFY(!contents.output.contains("bench"));

    const QString root = dir.filePath("root");
    QCOMPARE(run("dpkg-deb", {"-x", deb, root}).exitCode, 0);
    QProcess program;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    program.setProcessEnvironment(env);
    program.start(root + "/usr/bin/vellamor", {});
    QVERIFY(program.waitForStarted());
    // Still running after two seconds: it started and sits in its event loop.
    QVERIFY(!program.waitForFinished(2000));
    QCOMPARE(program.state(), QProcess::Running);
    program.kill();
    program.waitForFinished();
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
