#include "calibration.h"
#include "droppaths.h"

#include <QMimeData>
#include <QRandomGenerator>
#include <QTest>
#include <QUrl>

Q_DECLARE_METATYPE(CalibrationEntries)

class TestRules : public QObject
{
    Q_OBJECT

private slots:
    void calibration_data();
    void calibration();
    void integerMapsComeBackExactly();
    void dropRule_data();
    void dropRule();
};

void TestRules::calibration_data()
{
    QTest::addColumn<CalibrationEntries>("in");
    QTest::addColumn<QString>("text");

    // Width, height, X1, Y1, X2, Y2, A (r1x), C (r1y), B (r2x), D (r2y). Each
    // corner lies on the line through both points, truncated toward zero.
    const CalibrationEntries sound{400, 300, 50, 50, 350, 250, -100, 100, 500, -300};
    QTest::newRow("scale 2, integer origin") << sound << "origin = -200 200 ??\nend = 600 -400 ??\n";
    // x: -6940 / 87 = -79.77 and 61060 / 87 = 701.83. A scale taken from the
    // truncated origin and the first point alone would put the end at 640.
    QTest::newRow("first point near the left edge")
            << CalibrationEntries{400, 300, 5, 50, 92, 250, -70, 100, 100, -300}
            << "origin = -79 200 ??\nend = 701 -400 ??\n";
    QTest::newRow("fractional origin and end on both axes") // -258.33, 212.5; 608.33, -462.5
            << CalibrationEntries{400, 300, 50, 50, 350, 250, -150, 100, 500, -350}
            << "origin = -258 212 ??\nend = 608 -462 ??\n";
    QTest::newRow("ends just short of an integer, both signs") // 1924.991, -3580.992
            << CalibrationEntries{18, 934, -12, 167, 211, 411, 1671, 210, 3559, -996}
            << "origin = 1772 1035 ??\nend = 1924 -3580 ??\n";
    QTest::newRow("first point at pixel 0 on both axes")
            << CalibrationEntries{462, 490, 0, 0, 66, 180, 883, 2729, 4403, 2153}
            << "origin = 883 2729 ??\nend = 25523 1161 ??\n";
    QTest::newRow("first point at a negative pixel")
            << CalibrationEntries{46, 893, -24, -28, 531, 80, -2925, -1235, 922, -1303}
            << "origin = -2758 -1252 ??\nend = -2439 -1814 ??\n";
    QTest::newRow("end beyond 32 bits") // 9999 * 19997 + 131072 * 19998
            << CalibrationEntries{131072, 1, -9999, 0, -9998, 1, -9999, 1, 9999, 0}
            << "origin = 199950003 1 ??\nend = 2821127859 0 ??\n";

    const QString invalid = "invalid entries.\n";
    const QList<std::pair<const char *, qint32 CalibrationEntries::*>> equalities = {
        {"zero width", &CalibrationEntries::imageWidth}, {"zero height", &CalibrationEntries::imageHeight},
        {"X1 equals X2", &CalibrationEntries::x1}, {"Y1 equals Y2", &CalibrationEntries::y1},
        {"A equals B", &CalibrationEntries::worldX1}, {"C equals D", &CalibrationEntries::worldY2}};
    const qint32 equal[] = {0, 0, 350, 250, 500, 100};
    for (qsizetype i = 0; i < equalities.size(); ++i) {
        CalibrationEntries e = sound;
        e.*equalities[i].second = equal[i];
        QTest::newRow(equalities[i].first) << e << invalid;
    }
    QTest::newRow("no picture") << CalibrationEntries{0, 0, 50, 50, 350, 250, -100, 100, 500, -300} << invalid;
    QTest::newRow("points swapped") << CalibrationEntries{400, 300, 350, 250, 50, 50, 500, -300, -100, 100} << invalid;
    QTest::newRow("world y growing downwards")
            << CalibrationEntries{400, 300, 50, 50, 350, 250, -100, -300, 500, 100} << invalid;
}

void TestRules::calibration()
{
    QFETCH(CalibrationEntries, in);
    QFETCH(QString, text);
    QCOMPARE(calibrationText(calibrate(in)), text);
}

// Points placed on an integer origin and scale anywhere in the boxes' range
// give back that origin and the exact far corner.
void TestRules::integerMapsComeBackExactly()
{
    QRandomGenerator random(77);
    for (int i = 0; i < 200000; ++i) {
        const qint32 scale = random.bounded(1, 51);
        const qint32 origin = random.bounded(-5000, 5001);
        // Pixels whose world values origin + scale * p stay within the boxes.
        const qint32 low = qMax(-9999, (-9999 - origin + scale - 1) / scale);
        const qint32 high = qMin(9999, (9999 - origin) / scale);
        const qint32 p1 = random.bounded(low, high);
        const qint32 p2 = random.bounded(p1 + 1, high + 1);
        const qint32 size = random.bounded(1, 200001);
        const CalibrationEntries e{size, size, p1, -p2, p2, -p1, origin + scale * p1, origin + scale * p2,
                                   origin + scale * p2, origin + scale * p1};
        const auto c = calibrate(e);
        // World y falls as picture y grows, so the y axis is the mirror.
        const qint64 reach = qint64(scale) * size;
        if (!c || c->originX != origin || c->originY != origin || c->endX != origin + reach
            || c->endY != origin - reach)
            QFAIL(qPrintable(QString("map %1: %2").arg(i).arg(calibrationText(c))));
    }
}

void TestRules::dropRule_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<int>("collected");
    QTest::addColumn<bool>("accepted");

    auto one = [](const char *path) { return QList<QUrl>{QUrl::fromLocalFile(path)}; };
    QTest::newRow("png") << one("/maps/overview.png") << 1 << true;
    QTest::newRow("jpg") << one("/Karten/Übersicht Ost.jpg") << 1 << true;
    QTest::newRow("upper-case PNG") << one("/maps/overview.PNG") << 1 << false;
    QTest::newRow("mixed-case Jpg") << one("/maps/overview.Jpg") << 1 << false;
    QTest::newRow("jpeg") << one("/maps/overview.jpeg") << 1 << false;
    QTest::newRow("last dot part counts") << one("/maps/map.old.png") << 1 << true;
    QTest::newRow("dot only in a directory") << one("/maps.old/overview") << 1 << false;
    QTest::newRow("trailing dot") << one("/maps/overview.png.") << 1 << false;
    QTest::newRow("no dot") << one("/maps/png") << 1 << false;
    QTest::newRow("web address") << QList<QUrl>{QUrl("https://example.com/map.png")} << 1 << false;
    QTest::newRow("no url") << QList<QUrl>() << 0 << false;
    QTest::newRow("two png files") << (one("/a.png") + one("/b.png")) << 2 << false;
    QList<QUrl> forty;
    for (int i = 0; i < 40; ++i)
        forty << QUrl::fromLocalFile(QString("/maps/%1.png").arg(i));
    QTest::newRow("forty png files") << forty << 32 << false;
}

void TestRules::dropRule()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(int, collected);
    QFETCH(bool, accepted);
    QMimeData mime;
    if (!urls.isEmpty())
        mime.setUrls(urls);
    else
        mime.setText("/maps/overview.png");
    const QStringList paths = dropPaths(&mime);
    QCOMPARE(paths.size(), collected);
    if (collected == 1)
        QCOMPARE(paths.first(), urls.first().toLocalFile());
    QCOMPARE(isPictureDrop(paths), accepted);
    QVERIFY(dropPaths(nullptr).isEmpty());
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
