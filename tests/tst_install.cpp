#include "testsupport.h"

#include <QDirIterator>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>

namespace {

const QString appId = "org.vellamor.vellamor";
const QString program = BUILD_DIR "/vellamor";

struct Run
{
    int exitCode = -2; // -1 while it still runs
    QString output;    // standard output, then standard error
    QString errors;    // standard error alone
};

// Runs a program with extra environment entries ("NAME=value"; "NAME"
// alone removes it) to its end; or, given `until`, until its standard error
// matches that, then notes whether it still runs and ends it.
Run run(const QString &program, const QStringList &arguments, const QStringList &environment = {},
        const QString &until = {})
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    for (const QString &entry : environment)
        entry.contains('=') ? env.insert(entry.section('=', 0, 0), entry.section('=', 1)) : env.remove(entry);
    process.setProcessEnvironment(env);
    process.setReadChannel(QProcess::StandardError);
    process.start(program, arguments);
    Run result;
    if (until.isEmpty())
        process.waitForFinished(300000);
    while (!until.isEmpty() && !result.errors.contains(QRegularExpression(until)) && process.waitForReadyRead(300000))
        result.errors += QString::fromUtf8(process.readAllStandardError());
    result.errors += QString::fromUtf8(process.readAllStandardError());
    result.output = QString::fromUtf8(process.readAllStandardOutput()) + result.errors;
    const bool running = !until.isEmpty() && process.state() == QProcess::Running;
    process.kill();
    process.waitForFinished();
    result.exitCode = running ? -1 : process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -2;
    return result;
}

const QStringList onScreen = {"QT_QPA_PLATFORM=offscreen", "QT_LOGGING_RULES=vellamor.load.info=true"};
const QStringList noDisplay = {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"};

} // namespace

class TestInstall : public QObject
{
    Q_OBJECT

private slots:
    void commandLine_data();
    void commandLine();
    void validators_data();
    void validators();
    void debianPackage();
};

void TestInstall::commandLine_data()
{
    QTest::addColumn<QStringList>("arguments"); // "fixture:" and a kind for a fixture of that kind
    QTest::addColumn<QStringList>("environment");
    QTest::addColumn<int>("exitCode"); // -1: the window opened and stays
    QTest::addColumn<QString>("output"); // all of it, on standard error unless it starts with "stdout:"

    // Every window system that cannot start says so in one line.
    const QString noDisplayLine = "^vellamor: no display found; [^\\n]*\\n$";
    QTest::newRow("version without a display") << QStringList{"--version"} << noDisplay << 0 << "stdout:^vellamor 1\\.1\\.0\\n$";
    QTest::newRow("help without a display") << QStringList{"--help"} << noDisplay << 0 << "stdout:Usage: .*\\[PICTURE\\]";
    QTest::newRow("no display") << QStringList() << noDisplay << 1 << noDisplayLine;
    QTest::newRow("no X server at DISPLAY") << QStringList() << (noDisplay + QStringList{"DISPLAY=:87"}) << 1 << noDisplayLine;
    QTest::newRow("xcb without DISPLAY") << QStringList() << (noDisplay + QStringList{"QT_QPA_PLATFORM=xcb"}) << 1 << noDisplayLine;
    QTest::newRow("-platform without a display") << QStringList{"-platform", "offscreen", SOURCE_DIR "/examples/sample-map.png"}
            << (noDisplay + QStringList{"QT_LOGGING_RULES=vellamor.load.info=true"}) << -1 << "sample-map\\.png: 640 x 480";
    // What Qt says as the window system starts is held back, and told once it started.
    QTest::newRow("two pictures, a style that is not there") << QStringList{"a.png", "b.png"} << (onScreen + QStringList{"QT_STYLE_OVERRIDE=nosuch"}) << 1
            << "invalid style override 'nosuch'[\\s\\S]*one picture.*\\n\\nUsage:";
    QTest::newRow("unknown option") << QStringList{"--frobnicate"} << onScreen << 1 << "Unknown option.*\\n\\nUsage:";
    QTest::newRow("--level without its file") << QStringList{"--level"} << onScreen << 1 << "Missing value after '--level'.*\\n\\nUsage:";
    QTest::newRow("a level alone") << QStringList{SOURCE_DIR "/examples/sample-level.map"} << onScreen << -1 << "sample-level\\.map: 42 brushes, 4 marks";
    QTest::newRow("--level that cannot be read") << QStringList{"--level", "gone.map", SOURCE_DIR "/examples/sample-map.png"} << onScreen << -1
            << "vellamor: gone\\.map: no such file\\n";
    // --render needs no display; its placement is exact at 1 unit a pixel.
    const QString level = SOURCE_DIR "/examples/sample-level.map", out = "out.png";
    QTest::newRow("--render") << QStringList{"--render", "--level", level, out} << noDisplay << 0 << "stdout:^origin = -880 624 \\?\\?\\nend = 1392 -1048 \\?\\?\\n$";
    QTest::newRow("--render, floors at 800") << QStringList{"--render", "--style", "floors", "--size", "800", "--level", level, out} << noDisplay << 0 << "stdout:^origin = -912 656 \\?\\?\\nend = 1488 -1081 \\?\\?\\n$";
    QTest::newRow("--render at the smallest size, a level that cannot be read") << QStringList{"--render", "--size", "64", "--level", "gone.map", out} << noDisplay << 2 << "^vellamor: gone\\.map: no such file\\n$";
    QTest::newRow("--render, a picture that cannot be written") << QStringList{"--render", "--level", level, "/nonexistent/a.png"} << noDisplay << 2 << "^vellamor: cannot write /nonexistent/a\\.png: ";
    QTest::newRow("--render without a level") << QStringList{"--render", out} << noDisplay << 1 << "--render needs --level";
    QTest::newRow("--render, size out of range") << QStringList{"--render", "--size", "63", "--level", level, out} << noDisplay << 1 << "from 64 to 16384";
    QTest::newRow("--render at the largest size, unknown style") << QStringList{"--render", "--size", "16384", "--style", "radar", "--level", level, out} << noDisplay << 1 << "outline or floors";
    QTest::newRow("--style without --render") << QStringList{"--style", "floors"} << noDisplay << 1 << "go with --render";
    // --place finds the sketch where the level was built on it.
    const QString sketch = SOURCE_DIR "/examples/sample-map.png";
    QTest::newRow("--place") << QStringList{"--place", "--level", level, sketch} << noDisplay << 0 << "stdout:^origin = -1024 768 \\?\\?\\nend = 1536 -1152 \\?\\?\\n$";
    QTest::newRow("--place, as keys") << QStringList{"--place", "--format", "keys", "--level", level, sketch} << noDisplay << 0 << "stdout:^\"mapcoordsmins\" \"-1024 768\"\\n\"mapcoordsmaxs\" \"1536 -1152\"\\n$";
    QTest::newRow("--place, as JSON") << QStringList{"--place", "--format", "json", "--level", level, sketch} << noDisplay << 0 << "stdout:\"end\": \\[\\s*1536,\\s*-1152\\s*\\],[\\s\\S]*\"scale\": \\[\\s*4,\\s*4\\s*\\]";
    QTest::newRow("--place, a picture of something else") << QStringList{"--place", "--level", level, "fixture:png"} << noDisplay << 3 << "^vellamor: no confident placement: ";
    QTest::newRow("--place, a level that cannot be read") << QStringList{"--place", "--level", "gone.map", sketch} << noDisplay << 2 << "^vellamor: gone\\.map: no such file\\n$";
    QTest::newRow("--place, a picture that cannot be read") << QStringList{"--place", "--level", level, "fixture:empty"} << noDisplay << 2 << "^vellamor: cannot read .*map\\.png: \\w";
    QTest::newRow("--place without a picture") << QStringList{"--place", "--level", level} << noDisplay << 1 << "--place needs --level";
    QTest::newRow("--place, unknown format") << QStringList{"--place", "--format", "csv", "--level", level, sketch} << noDisplay << 1 << "--format is one of text, keys";
    QTest::newRow("--format without --place") << QStringList{"--format", "json"} << noDisplay << 1 << "goes with --place";
    for (const auto &[fixture, size] : fixtures) {
        QTest::addRow("picture: %s", fixture) << QStringList{QString("fixture:") + fixture} << onScreen << -1
                << (size.isValid() ? QString("map\\.\\w+: %1 x %2").arg(size.width()).arg(size.height()) : QString("cannot read .*map\\.png: \\w"));
    }
}

// The command line opens any picture Qt reads; bad input says why.
void TestInstall::commandLine()
{
    QFETCH(QStringList, arguments);
    QFETCH(QStringList, environment);
    QFETCH(int, exitCode);
    QFETCH(QString, output);
    QTemporaryDir dir;
    const QString fixture = arguments.value(arguments.size() - 1).section("fixture:", 1);
    if (!fixture.isEmpty()) {
        arguments.last() = dir.filePath(fixture == "jpeg" ? "map.jpg" : "map.png");
        QVERIFY(makeFixture(fixture, arguments.last()));
    }
    arguments.replaceInStrings(QRegularExpression("^out\\.png$"), dir.filePath("out.png"));
    const bool toStdout = output.startsWith("stdout:");
    output.remove(QRegularExpression("^stdout:"));
    const Run result = run(program, arguments, environment, exitCode < 0 ? output : QString());
    QCOMPARE(result.exitCode, exitCode);
    const QString expected = toStdout ? result.output.chopped(result.errors.size()) : result.errors;
    QVERIFY2(expected.contains(QRegularExpression(output)) && result.output.size() == expected.size(), qPrintable(result.output));
    // What --render prints is where the picture it wrote lies, drawn in the style asked for.
    const QImage out(dir.filePath("out.png"));
    QVERIFY(out.isNull() ? !arguments.contains("--render") || exitCode : out.pixel(0, 0) == (arguments.contains("floors") ? qRgb(0, 0, 0) : qRgb(255, 255, 255)));
}

void TestInstall::validators_data()
{
    QTest::addColumn<QString>("tool");
    QTest::addColumn<QStringList>("arguments");
    QTest::newRow("desktop entry") << "desktop-file-validate" << QStringList{SOURCE_DIR "/data/" + appId + ".desktop"};
    QTest::newRow("metainfo, pedantic") << "appstreamcli" << QStringList{"validate", "--no-net", "--pedantic", SOURCE_DIR "/data/" + appId + ".metainfo.xml"};
    QTest::newRow("manual page") << "man" << QStringList{"--warnings", "-l", BUILD_DIR "/vellamor.1"};
    QTest::newRow("types of levels and sessions") << "xmllint" << QStringList{"--noout", SOURCE_DIR "/data/" + appId + ".mime.xml"};
    QTest::newRow("icon") << "rsvg-convert" << QStringList{"-o", BUILD_DIR "/icon-check.png", SOURCE_DIR "/data/" + appId + ".svg"};
}

void TestInstall::validators()
{
    QFETCH(QString, tool);
    QFETCH(QStringList, arguments);
    const Run result = run(tool, arguments, {"MANWIDTH=80"});
    QVERIFY2(result.exitCode == 0, qPrintable(result.output));
    QVERIFY2(!result.output.contains(QRegularExpression("(^|\\n)[EWIP]: |warning|error|pedantic", QRegularExpression::CaseInsensitiveOption)), qPrintable(result.output));
    // Everything --help offers is in the manual page.
    const QString help = tool == "man" ? run(program, {"--help"}, noDisplay).output : QString();
    for (const QRegularExpressionMatch &m : QRegularExpression("(?:^|\\s)(-[-\\w]+|PICTURE)\\b").globalMatch(help))
        QVERIFY2(result.output.contains(m.captured(1)), qPrintable(m.captured(1)));
    QVERIFY(tool != "man" || (help.count("--") >= 3 && result.output.contains("EXIT STATUS") && result.output.contains("Ctrl+V")));
}

void TestInstall::debianPackage()
{
    QTemporaryDir dir;
    const Run pack = run(CPACK_COMMAND, {"-G", "DEB", "--config", BUILD_DIR "/CPackConfig.cmake", "-B", dir.path()});
    QVERIFY2(pack.exitCode == 0, qPrintable(pack.output));
    const QString deb = dir.filePath("vellamor_1.1.0_amd64.deb");
    const QString control = run("dpkg-deb", {"-f", deb}).output;
    QVERIFY2(control.contains(QRegularExpression("Depends:[^\\n]*libqt6widgets6(.|\\n)*Priority: optional\\nSection: graphics\\n")), qPrintable(control));

    // Debian's own checker: informational tags only.
    const Run lintian = run("lintian", {"--pedantic", deb});
    QVERIFY2(lintian.exitCode == 0 && !lintian.output.contains(QRegularExpression("(^|\\n)[EWP]: ")), qPrintable(lintian.output));

    // Installed, the desktop entry opens a picture the way a launcher does:
    // its Exec line with %f replaced by the file, the program found on PATH.
    const QString root = dir.filePath("root");
    QCOMPARE(run("dpkg-deb", {"-x", deb, root}).exitCode, 0);
    QStringList files;
    for (QDirIterator it(root, QDir::Files, QDirIterator::Subdirectories); it.hasNext();)
        files << QDir(root).relativeFilePath(it.next());
    files.sort();
    QCOMPARE(files, QStringList({"usr/bin/vellamor", "usr/share/applications/" + appId + ".desktop",
                                 "usr/share/doc/vellamor/changelog.gz", "usr/share/doc/vellamor/copyright", "usr/share/icons/hicolor/scalable/apps/" + appId + ".svg",
                                 "usr/share/man/man1/vellamor.1.gz", "usr/share/metainfo/" + appId + ".metainfo.xml",
                                 "usr/share/mime/packages/" + appId + ".xml"}));
    const QString entry = readText(root + "/usr/share/applications/" + appId + ".desktop");
    auto key = [&](const char *name) { return QRegularExpression(QString("^%1=(.*)$").arg(name), QRegularExpression::MultilineOption).match(entry).captured(1); };
    QCOMPARE(key("MimeType"), QString("image/png;image/jpeg;text/x-id-tech-map;text/x-valve-map;application/x-vellamor-session;"));
    QVERIFY(files.contains("usr/share/icons/hicolor/scalable/apps/" + key("Icon") + ".svg") && readText(root + "/usr/share/metainfo/" + appId + ".metainfo.xml").contains("<icon type=\"stock\">" + appId));
    QStringList exec = key("Exec").split(' ').replaceInStrings("%f", SOURCE_DIR "/examples/sample-map.png");
    const QString launcher = QStandardPaths::findExecutable(exec.takeFirst(), {root + "/usr/bin"});
    const Run launched = run(launcher, exec, onScreen, "sample-map\\.png: 640 x 480");
    QVERIFY2(launched.exitCode == -1 && launched.output.contains("640 x 480"), qPrintable(launched.output));
}

QTEST_GUILESS_MAIN(TestInstall)
#include "tst_install.moc"
