#include "model/session.h"

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

namespace {

QString writePicture(const QTemporaryDir &dir, const QString &name, QSize size)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(Qt::white);
    return image.save(dir.filePath(name)) ? dir.filePath(name) : QString();
}

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
};

// The sample measured through the session alone: no widget is made.
void TestSession::measureWithoutWindow()
{
    Session session;
    QCOMPARE(session.openPicture(SOURCE_DIR "/examples/sample-map.png"), QString());
    QCOMPARE(session.openLevel(SOURCE_DIR "/examples/sample-level.map"), QString());
    session.setPixels({120, 90}, {520, 390});
    session.setWorlds({-544, 408}, {1056, -792});
    QCOMPARE(session.resultState(), Session::Result::None);
    session.measure();
    QCOMPARE(session.resultState(), Session::Result::Valid);
    const Calibration c = *session.result();
    QCOMPARE(QString("%1 %2 %3 %4").arg(c.exactOriginX).arg(c.exactOriginY).arg(c.exactEndX).arg(c.exactEndY), "-1024 768 1536 -1152");
    QCOMPARE(session.footprints().brushes, 42);
    QCOMPARE(session.measuredEntries()->world2, QPoint(1056, -792));
    session.setWorlds({-544, 408}, {-544, -792});
    session.measure();
    QCOMPARE(session.resultState(), Session::Result::Invalid);
    QVERIFY(!session.measuredEntries());
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
    const QString first = writePicture(dir, "map.png", QSize(40, 30));
    Session session;
    session.openPicture(first);
    session.setPixels({1, 1}, {20, 20});
    session.setWorlds({0, 50}, {50, 0});
    session.measure();
    QSignalSpy changes(&session, &Session::resultChanged);
    if (next == "resized")
        writePicture(dir, "map.png", QSize(41, 30));
    if (next == "pasted")
        session.pastePicture(QImage(40, 30, QImage::Format_RGB32));
    else
        session.openPicture(next == "other" ? writePicture(dir, "other.png", QSize(40, 30)) : next == "missing" ? dir.filePath("gone.png") : first);
    QCOMPARE(session.resultState() == Session::Result::Valid, kept);
    QCOMPARE(session.measuredEntries().has_value(), kept);
    QCOMPARE(changes.size(), kept ? 0 : 1);
    QCOMPARE(pixels(session) + QString(" %1").arg(session.world(1).x()), "1,1 20,20 50");
}

void TestSession::picking_data()
{
    QTest::addColumn<QList<int>>("picks"); // key (1 or 2), x, y; repeated
    QTest::addColumn<QString>("points");
    QTest::newRow("F1 then F2") << QList<int>{1, 10, 5, 2, 30, 20} << "10,5 30,20";
    QTest::newRow("F1 right of the second moves it beside") << QList<int>{2, 30, 20, 1, 35, 10} << "35,10 36,20";
    QTest::newRow("F1 below the second moves it beside") << QList<int>{2, 30, 20, 1, 10, 25} << "10,25 30,26";
    QTest::newRow("F2 left of and above the first moves it") << QList<int>{1, 10, 5, 2, 4, 3} << "3,2 4,3";
    QTest::newRow("F2 level with the first stays") << QList<int>{1, 10, 5, 2, 10, 5} << "10,5 10,5";
    QTest::newRow("F1 at the far edge stays on the picture") << QList<int>{1, 40, 30} << "39,29 40,30";
    QTest::newRow("F2 at the near edge stays a pixel in") << QList<int>{2, 0, 0} << "0,0 1,1";
    QTest::newRow("beyond the picture is its edge") << QList<int>{1, -5, -7, 2, 99, 99} << "0,0 40,30";
}

// F1 and F2 keep the first point left of and above the second.
void TestSession::picking()
{
    QFETCH(QList<int>, picks);
    QFETCH(QString, points);
    Session session;
    session.pickPixel(0, QPoint(5, 5));
    QCOMPARE(pixels(session), "0,0 0,0"); // no picture, no pixel to take
    session.pastePicture(QImage(40, 30, QImage::Format_RGB32));
    for (qsizetype i = 0; i + 2 < picks.size(); i += 3)
        session.pickPixel(picks[i] - 1, QPoint(picks[i + 1], picks[i + 2]));
    QCOMPARE(pixels(session), points);
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
    QVERIFY(!session.levelLoaded() && session.levelPath() == level.fileName());
    QVERIFY(level.resize(0) && level.write("{\n\"classname\" \"worldspawn\"\n}\n") && level.flush());
    session.pastePicture(QImage(8, 8, QImage::Format_RGB32));
    QSignalSpy pictures(&session, &Session::pictureChanged);
    session.reload();
    QVERIFY(session.levelLoaded() && session.levelError().isEmpty());
    QCOMPARE(pictures.size(), 0);
    session.openPicture(writePicture(dir, "p.png", QSize(3, 2)));
    writePicture(dir, "p.png", QSize(5, 2));
    session.reload();
    QCOMPARE(session.pictureSize(), QSize(5, 2));
}

QTEST_GUILESS_MAIN(TestSession)
#include "tst_session.moc"
