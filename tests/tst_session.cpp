#include "model/session.h"
#include "model/sessionfile.h"
#include "testsupport.h"

#include <QFile>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSignalSpy>

namespace {

QString pixels(const Session &s)
{
    return QString("%1,%2 %3,%4").arg(s.pixel(0).x()).arg(s.pixel(0).y()).arg(s.pixel(1).x()).arg(s.pixel(1).y());
}

} // namespace

class TestSession : public QObject
{
    Q_OBJECT

private slots:
    void measureWithoutWindow();
    void resultEndsWithPicture_data();
    void resultEndsWithPicture();
    void picking_data();
    void picking();
    void reload();
    void savedAndReopened_data();
    void savedAndReopened();
    void refused_data();
    void refused();
};

// The sample measured through the session alone: no widget is made.
void TestSession::measureWithoutWindow()
{
    Session session;
    QTemporaryDir dir; // a side as long as Measure takes is read
    QVERIFY(session.openPicture(writePicture(dir, "wide.png", 262144, 1)).isEmpty() && session.openPicture(writePicture(dir, "tall.png", 1, 262144)).isEmpty());
    QCOMPARE(session.openPicture(SOURCE_DIR "/examples/sample-map.png"), QString());
    QCOMPARE(session.openLevel(SOURCE_DIR "/examples/sample-level.map"), QString());
    session.setPixels({120, 90}, {520, 390});
    session.setWorlds({-544, 408}, {1056, -792});
    QCOMPARE(session.resultState(), Session::Result::None);
    session.measure();
    QCOMPARE(session.resultState(), Session::Result::Valid);
    const Calibration c = *session.result();
    QCOMPARE(QString("%1 %2 %3 %4").arg(c.exactOriginX).arg(c.exactOriginY).arg(c.exactEndX).arg(c.exactEndY), "-1024 768 1536 -1152");
    QCOMPARE(session.measuredEntries()->world2, QPoint(1056, -792));
    // Both points on one spot are taken as they are, and measure as invalid.
    session.setWorlds({1056, -792}, {1056, -792});
    session.measure();
    QVERIFY(session.resultState() == Session::Result::Invalid && !session.measuredEntries());
}

void TestSession::resultEndsWithPicture_data()
{
    QTest::addColumn<QString>("next"); // what is loaded after the first picture was measured
    QTest::addColumn<bool>("kept");
    QTest::newRow("the same file at the same size") << "same" << true;
    QTest::newRow("the same file at another size") << "resized" << false;
    QTest::newRow("another file of the same size") << "other" << false;
    QTest::newRow("a file that cannot be read") << "missing" << false;
    QTest::newRow("a pasted picture") << "pasted" << false;
}

// A result belongs to its picture; only the same file read again at the
// same size keeps it, and the points and values stay whatever is loaded.
void TestSession::resultEndsWithPicture()
{
    QFETCH(QString, next);
    QFETCH(bool, kept);
    QTemporaryDir dir;
    const QString first = writePicture(dir, "map.png", 40, 30);
    Session session;
    session.openPicture(first);
    session.setPixels({1, 1}, {20, 20});
    session.setWorlds({0, 50}, {50, 0});
    session.measure();
    QSignalSpy changes(&session, &Session::resultChanged);
    if (next == "resized")
        writePicture(dir, "map.png", 41, 30);
    if (next == "pasted")
        session.pastePicture(QImage(40, 30, QImage::Format_RGB32));
    else session.openPicture(next == "other" ? writePicture(dir, "other.png", 40, 30) : next == "missing" ? dir.filePath("gone.png") : first);
    QCOMPARE(session.resultState() == Session::Result::Valid, kept);
    QCOMPARE(session.measuredEntries().has_value(), kept);
    QCOMPARE(changes.size(), kept ? 0 : 1);
    QCOMPARE(pixels(session) + QString(" %1").arg(session.world(1).x()), "1,1 20,20 50");
}

void TestSession::picking_data()
{
    QTest::addColumn<QList<int>>("picks"); // key (1 or 2), x, y; repeated
    QTest::addColumn<QString>("points");
    QTest::newRow("F1 then F2") << QList<int>{1, 10, 5, 2, 30, 20} << "10,5 30,20 2";
    QTest::newRow("F1 right of the second moves it beside") << QList<int>{2, 30, 20, 1, 35, 10} << "35,10 36,20 2";
    QTest::newRow("F1 below the second moves it beside") << QList<int>{2, 30, 20, 1, 10, 25} << "10,25 30,26 2";
    QTest::newRow("F2 left of and above the first moves it") << QList<int>{1, 10, 5, 2, 4, 3} << "3,2 4,3 2";
    QTest::newRow("F2 level with the first stays") << QList<int>{1, 10, 5, 2, 10, 5} << "10,5 10,5 2";
    QTest::newRow("F1 at the far edge stays on the picture") << QList<int>{1, 40, 30} << "39,29 40,30 1";
    QTest::newRow("F2 at the near edge stays a pixel in") << QList<int>{2, 0, 0} << "0,0 1,1 1";
    QTest::newRow("beyond the picture is its edge") << QList<int>{1, -5, -7, 2, 99, 99} << "0,0 40,30 1";
    QTest::newRow("the same pixel twice: one change") << QList<int>{1, 10, 5, 1, 10, 5} << "10,5 11,6 1";
}

// F1 and F2 keep the first point left of and above the second; a pick
// that moves no point changes nothing.
void TestSession::picking()
{
    QFETCH(QList<int>, picks);
    QFETCH(QString, points);
    Session session;
    session.pickPixel(0, QPoint(5, 5));
    QCOMPARE(pixels(session), "0,0 0,0"); // no picture, no pixel to take
    session.pastePicture(QImage(40, 30, QImage::Format_RGB32));
    QSignalSpy changes(&session, &Session::pixelsChanged);
    for (qsizetype i = 0; i + 2 < picks.size(); i += 3)
        session.pickPixel(picks[i] - 1, QPoint(picks[i + 1], picks[i + 2]));
    QCOMPARE(pixels(session) + QString(" %1").arg(changes.size()), points);
}

// Reload reads the picture's file and the level again, also a level that
// failed and was mended since; a pasted picture has no file to read.
void TestSession::reload()
{
    QTemporaryDir dir;
    Session session;
    QFile level(dir.filePath("l.map"));
    QVERIFY(level.open(QIODevice::WriteOnly) && level.write("{\n\"classname\" \"worldspawn\"\n{\n( 0 0") && level.flush());
    QCOMPARE(session.openLevel(level.fileName()), "l.map:4:6: expected a number (the file ends)");
    QVERIFY(!session.levelLoaded() && session.levelPath() == level.fileName() && level.resize(0) && level.write("{\n\"classname\" \"worldspawn\"\n}\n") && level.flush());
    session.pastePicture(QImage(8, 8, QImage::Format_RGB32));
    QSignalSpy pictures(&session, &Session::pictureChanged);
    session.reload();
    QVERIFY(session.levelLoaded() && session.levelError().isEmpty());
    QCOMPARE(pictures.size(), 0);
    session.openPicture(writePicture(dir, "p.png", 3, 2));
    writePicture(dir, "p.png", 5, 2);
    session.reload();
    QCOMPARE(session.pictureSize(), QSize(5, 2));
}

void TestSession::savedAndReopened_data()
{
    QTest::addColumn<QString>("then"); // what happens between saving and opening
    QTest::addColumn<QString>("notes");
    QTest::addColumn<bool>("measured");
    QTest::newRow("nothing") << "" << "" << true;
    QTest::newRow("the folder moved") << "move" << "" << true;
    QTest::newRow("saved beside the picture, a folder below the level: its path kept whole") << "below" << "" << true;
    QTest::newRow("saved unmeasured, opened over the measurement") << "over" << "" << false;
    QTest::newRow("the picture re-rendered at another size") << "resize" << "The picture is 50 x 30 now, not 40 x 30 as measured: measure it again" << false;
    QTest::newRow("the picture and the level gone") << "remove"
            << "The picture " + QDir::toNativeSeparators("maps/map.png") + " could not be read: no such file|The level l.map could not be read: l.map: no such file" << false;
}

// A saved session brings back picture, level, points, values, toggles and
// result exactly, also from a folder moved elsewhere; what changed since is
// named, and no result is kept for a picture of another size.
void TestSession::savedAndReopened()
{
    QFETCH(QString, then);
    QFETCH(QString, notes);
    QFETCH(bool, measured);
    QTemporaryDir dir;
    QVERIFY(QDir(dir.path()).mkpath("work/maps"));
    const QString work = dir.filePath("work");
    QVERIFY(QFile::copy(SOURCE_DIR "/examples/sample-level.map", work + "/l.map"));
    Session saved;
    saved.openPicture(writePicture(dir, "work/maps/map.png", 40, 30));
    saved.openLevel(work + "/l.map");
    saved.setPixels({2, 2}, {38, 28});
    saved.setWorlds({-894, 189}, {131072, -131072}); // the largest and smallest values a box holds
    saved.setLoupe(true);
    saved.setOverlay(false);
    if (then != "over")
        saved.measure();
    QString opened = work + (then == "below" ? "/maps" : "") + "/s.vellamor";
    QCOMPARE(saveSession(saved, opened), QString());
    const QJsonObject json = QJsonDocument::fromJson(readText(opened).toUtf8()).object();
    QCOMPARE(json.value("picture").toString() + ' ' + json.value("level").toString(), then == "below" ? "map.png " + work + "/l.map" : "maps/map.png l.map");
    if (then == "move") {
        QVERIFY(QDir().rename(work, dir.filePath("elsewhere")));
        opened = dir.filePath("elsewhere/s.vellamor");
    } else if (then == "resize") {
        writePicture(dir, "work/maps/map.png", 50, 30);
    } else if (then == "remove") {
        QVERIFY(QFile::remove(work + "/maps/map.png") && QFile::remove(work + "/l.map"));
    }
    Session fresh;
    Session &session = then == "over" ? saved : fresh;
    if (then == "over")
        saved.measure();
    const SessionOpened result = openSession(session, opened);
    QCOMPARE(result.error + result.notes.join('|'), notes);
    QCOMPARE(pixels(session), "2,2 38,28");
    QCOMPARE(QString("%1 %2 %3 %4").arg(session.world(0).x()).arg(session.world(0).y()).arg(session.world(1).x()).arg(session.world(1).y()), "-894 189 131072 -131072");
    QVERIFY(session.loupe() && !session.overlay());
    QCOMPARE(session.levelLoaded(), then != "remove");
    QCOMPARE(session.resultState() == Session::Result::Valid, measured);
    if (measured)
        QCOMPARE(session.result()->exactEndX, saved.result()->exactEndX);
}

void TestSession::refused_data()
{
    QTest::addColumn<QByteArray>("content");
    QTest::addColumn<QString>("error");
    const QByteArray good = "{\"format\": \"vellamor-session\", \"version\": 1, \"points\": {\"picture\": [[1, 2], [3, 4]],"
                            " \"world\": [[5, 6], [7, 8]]}, \"view\": {\"loupe\": false, \"overlay\": true}}";
    QTest::newRow("not JSON") << QByteArray("\x89PNG\r\n") << "s.vellamor: not a Vellamor session (illegal value at byte 1)";
    QTest::newRow("cut short") << good.left(40) << "s.vellamor: not a Vellamor session (unterminated string at byte 40)";
    QTest::newRow("another program's JSON") << QByteArray("{\"name\": \"x\"}") << "s.vellamor: not a Vellamor session";
    QTest::newRow("another version") << QByteArray(good).replace("\"version\": 1", "\"version\": 2") << "s.vellamor: a session of another version (2)";
    QTest::newRow("a world point beyond the range") << QByteArray(good).replace("[7, 8]", "[700000, 8]") << "s.vellamor: damaged: its points or view are missing or out of range";
    QTest::newRow("a fraction for a pixel") << QByteArray(good).replace("[1, 2]", "[1.5, 2]") << "s.vellamor: damaged: its points or view are missing or out of range";
    QTest::newRow("a point missing") << QByteArray(good).replace("[[5, 6], [7, 8]]", "[[5, 6]]") << "s.vellamor: damaged: its points or view are missing or out of range";
    QTest::newRow("no view") << QByteArray(good).replace("\"loupe\": false, ", "") << "s.vellamor: damaged: its points or view are missing or out of range";
    QTest::newRow("a result without its picture's size") << QByteArray(good).replace("}}", "}, \"result\": {}}") << "s.vellamor: damaged: its points or view are missing or out of range";
    QTest::newRow("larger than any session") << good + QByteArray((1 << 20) + 1 - good.size(), ' ') << "s.vellamor: not a Vellamor session (too large)";
    QTest::newRow("a folder") << QByteArray() << "s.vellamor: no such file";
}

// A damaged or foreign file says what it is and changes nothing.
void TestSession::refused()
{
    QFETCH(QByteArray, content);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath("s.vellamor");
    QFile file(path);
    QVERIFY(content.isEmpty() ? QDir().mkdir(path) : file.open(QIODevice::WriteOnly) && file.write(content) == content.size());
    file.close();
    Session session;
    session.setPixels({9, 9}, {10, 10});
    QSignalSpy changes(&session, &Session::pixelsChanged);
    QCOMPARE(openSession(session, path).error, error);
    QCOMPARE(pixels(session) + QString::number(changes.size()), "9,9 10,100");
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
