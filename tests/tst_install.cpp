#include "testsupport.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QXmlStreamReader>

namespace {

const QString appId = "org.vellamor.vellamor";
const QString program = BUILD_DIR "/vellamor";

struct Run
{
    int exitCode = -1; // -1 also while it is still running
    QString output;    // standard output, then standard error
};

// Runs a program with extra environment entries ("NAME=value"; "NAME"
// alone removes it) to its end; or, given `until`, until its output matches
// that, and then checks that it still runs and ends it.
Run run(const QString &program, const QStringList &arguments, const QStringList &environment = {},
        const QString &until = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment) {
        if (entry.contains('='))
            env.insert(entry.section('=', 0, 0), entry.section('=', 1));
        else
            env.remove(entry);
    }
    process.setProcessEnvironment(env);
    if (!until.isEmpty())
        process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(program, arguments);
    Run result;
    if (until.isEmpty()) {
        process.waitForFinished(300000);
        if (process.exitStatus() == QProcess::NormalExit)
            result.exitCode = process.exitCode();
        result.output = QString::fromUtf8(process.readAllStandardOutput() + process.readAllStandardError());
        return result;
    }
    while (!result.output.contains(QRegularExpression(until)) && process.waitForReadyRead(20000))
        result.output += QString::fromUtf8(process.readAll());
    if (process.state() != QProcess::Running)
        result.exitCode = process.exitCode() + 1000;
    process.kill();
    process.waitForFinished();
    return result;
}

const QStringList onScreen = {"QT_QPA_PLATFORM=offscreen", "QT_LOGGING_RULES=vellamor.load.info=true"};
const QStringList noDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

QHash<QString, QString> desktopKeys(const QString &path)
{
    QHash<QString, QString> keys;
    for (const QString &line : readText(path).split('\n').mid(1)) {
        if (line.contains('='))
            keys.insert(line.section('=', 0, 0), line.section('=', 1));
    }
    return keys;
}

QStringList filesUnder(const QString &root)
{
    QStringList files;
    QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    return files;
}

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void installLayout_data();
    void installLayout();
    void desktopEntryAndIcon();
    void validators_data();
    void validators();
    void manualPage();
    void debianPackage();
};

void TestInstall::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<bool>("display");
    QTest::addColumn<int>("exitCode"); // -1: the window opened and stays
    QTest::addColumn<QString>("output");

    QTest::newRow("version without a display") << QStringList{"--version"} << "" << false << 0 << "^vellamor 1\\.1\\.0\\n$";
    QTest::newRow("help without a display") << QStringList{"--help"} << "" << false << 0 << "Usage: .*\\[PICTURE\\]";
    QTest::newRow("no display") << QStringList() << "" << false << 1 << "no display found";
    QTest::newRow("two pictures") << QStringList{"a.png", "b.png"} << "" << true << 1 << "one picture.*\\n\\nUsage:";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << "" << true << 1 << "Unknown option.*\\n\\nUsage:";
    for (const auto &[fixture, size] : fixtures) {
        const QString loaded = size.isValid() ? QString("map\\.\\w+: %1 x %2").arg(size.width()).arg(size.height())
                                              : QString("cannot read .*map\\.png: \\w");
        QTest::addRow("picture: %s", fixture) << QStringList{"PICTURE"} << fixture << true << -1 << loaded;
    }
}

// The command line opens any picture Qt reads; bad input says why.
void TestInstall::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QString, fixture);
    QFETCH(bool, display);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QTemporaryDir dir;
    if (!fixture.isEmpty()) {
        arguments = {dir.filePath(fixtureName(fixture))};
        QVERIFY(makeFixture(fixture, arguments.first()));
    }
    const Run result = run(program, arguments, display ? onScreen : noDisplay, exitCode < 0 ? output : QString());
    QCOMPARE(result.exitCode, exitCode);
    QVERIFY2(result.output.contains(QRegularExpression(output)), qPrintable(result.output));
}

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
    QCOMPARE(filesUnder(root), QStringList({"bin/vellamor", "share/applications/" + appId + ".desktop",
                                            "share/doc/vellamor/changelog.gz", "share/doc/vellamor/copyright",
                                            "share/icons/hicolor/scalable/apps/" + appId + ".svg",
                                            "share/man/man1/vellamor.1.gz", "share/metainfo/" + appId + ".metainfo.xml"}));
    QVERIFY(!staged || !QFileInfo::exists(prefix));
}

void TestInstall::desktopEntryAndIcon()
{
    const QHash<QString, QString> keys = desktopKeys(SOURCE_DIR "/data/" + appId + ".desktop");
    QCOMPARE(keys.value("Exec"), QString("vellamor %f"));
    QCOMPARE(keys.value("MimeType"), QString("image/png;image/jpeg;"));
    QCOMPARE(keys.value("Icon"), appId);
    QVERIFY(readText(SOURCE_DIR "/data/" + appId + ".metainfo.xml").contains("<icon type=\"stock\">" + appId + "</icon>"));

    QFile icon(SOURCE_DIR "/data/" + appId + ".svg");
    QVERIFY(icon.open(QIODevice::ReadOnly));
    QXmlStreamReader svg(&icon);
    QVERIFY(svg.readNextStartElement());
    QCOMPARE(svg.name(), QString("svg"));
    QCOMPARE(svg.namespaceUri(), QString("http://www.w3.org/2000/svg"));
    while (!svg.atEnd())
        svg.readNext();
    QVERIFY2(!svg.hasError(), qPrintable(svg.errorString()));
}

void TestInstall::validators_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList{SOURCE_DIR "/data/" + appId + ".desktop"};
    QTest::newRow("metainfo, pedantic")
            << "appstreamcli" << QStringList{"validate", "--no-net", "--pedantic", SOURCE_DIR "/data/" + appId + ".metainfo.xml"};
    QTest::newRow("manual page") << "man" << QStringList{"--warnings", "-l", BUILD_DIR "/vellamor.1"};
}

void TestInstall::validators()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    const Run result = run(tool, arguments, {"MANWIDTH=80"});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    QVERIFY2(!result.output.contains(QRegularExpression("(^|\\n)[EWIP]: |warning|error|pedantic", QRegularExpression::CaseInsensitiveOption)),
             qPrintable(result.output));
}

// Everything --help offers is in the manual page.
void TestInstall::manualPage()
{
    const QString page = run("man", {"-l", BUILD_DIR "/vellamor.1"}, {"MANWIDTH=200"}).output;
    QVERIFY(page.contains("EXIT STATUS") && page.contains("Ctrl+V") && page.contains("invalid entries."));
    const QString help = run(program, {"--help"}, noDisplay).output;
    const QRegularExpression option("(?:^|\\s)(-[-\\w]+|PICTURE)\\b");
    int options = 0;
    for (const QRegularExpressionMatch &m : option.globalMatch(help)) {
        QVERIFY2(page.contains(m.captured(1)), qPrintable(m.captured(1)));
        ++options;
    }
    QVERIFY(options >= 5);
}

void TestInstall::debianPackage()
{
    QTemporaryDir dir;
    const Run pack = run(CPACK_COMMAND, {"-G", "DEB", "--config", BUILD_DIR "/CPackConfig.cmake", "-B", dir.path()});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QString deb = dir.filePath("vellamor_1.1.0_amd64.deb");
    const QString control = run("dpkg-deb", {"-f", deb}).output;
    for (const char *field : {"Section: graphics", "Priority: optional", "Description: calibrate a map picture"})
        QVERIFY2(control.contains(field), qPrintable(control));
    QVERIFY(control.contains(QRegularExpression("\\nDepends:[^\\n]*libqt6widgets6")));

    // Debian's own checker: informational tags only.
    const Run lintian = run("lintian", {"--pedantic", deb});
    QVERIFY2(lintian.exitCode == 0 && !lintian.output.contains(QRegularExpression("(^|\\n)[EWP]: ")),
             qPrintable(lintian.output));

    // Installed, the desktop entry opens a picture the way a launcher does:
    // its Exec line with %f replaced by the file, the program found on PATH.
    const QString root = dir.filePath("root");
    QCOMPARE(run("dpkg-deb", {"-x", deb, root}).exitCode, 0);
    QStringList exec = desktopKeys(root + "/usr/share/applications/" + appId + ".desktop").value("Exec").split(' ');
    exec.replaceInStrings("%f", SOURCE_DIR "/examples/sample-map.png");
    const QString launcher = QStandardPaths::findExecutable(exec.takeFirst(), {root + "/usr/bin"});
    const Run launched = run(launcher, exec, onScreen, "sample-map\\.png: 640 x 480");
    QVERIFY2(launched.exitCode == -1 && launched.output.contains("640 x 480"), qPrintable(launched.output));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
