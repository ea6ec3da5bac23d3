#include "calibration.h"

#include <QRandomGenerator>
#include <QTest>

Q_DECLARE_METATYPE(CalibrationEntries)

namespace {

CalibrationEntries entries(qint32 w, qint32 h, qint32 x1, qint32 y1, qint32 x2, qint32 y2,
                           qint32 a, qint32 c, qint32 b, qint32 d)
{
    return CalibrationEntries{w, h, x1, y1, x2, y2, a, c, b, d};
}

} // namespace

class TestCalibration : public QObject
{
    Q_OBJECT

private slots:
    void validEntries_data();
    void validEntries();
    void invalidEntries_data();
    void invalidEntries();
    void randomEntries();
    void randomIntegerMaps();
};

void TestCalibration::validEntries_data()
{
    QTest::addColumn<CalibrationEntries>("in");
    QTest::addColumn<QString>("text");

    // Arguments: width, height, X1, Y1, X2, Y2, A (r1x), C (r1y), B (r2x), D (r2y).
    // Each corner lies on the line through both points: origin at pixel 0,
    // end at the picture's size, truncated toward zero.
    QTest::newRow("scale 2, integer origin")
            << entries(400, 300, 50, 50, 350, 250, -100, 100, 500, -300)
            << "origin = -200 200 ??\nend = 600 -400 ??\n";
    // x: -6940 / 87 = -79.77 and 61060 / 87 = 701.83. A scale taken from the
    // truncated origin and the first point alone would put the end at 640.
    QTest::newRow("first point near the left edge")
            << entries(400, 300, 5, 50, 92, 250, -70, 100, 100, -300)
            << "origin = -79 200 ??\nend = 701 -400 ??\n";
    // -258.33, 212.5; 608.33, -462.5.
    QTest::newRow("fractional origin and end on both axes")
            << entries(400, 300, 50, 50, 350, 250, -150, 100, 500, -350)
            << "origin = -258 212 ??\nend = 608 -462 ??\n";
    // endX = 429258 / 223 = 1924.991, endY = -873762 / 244 = -3580.992.
    QTest::newRow("ends just short of an integer, both signs")
            << entries(18, 934, -12, 167, 211, 411, 1671, 210, 3559, -996)
            << "origin = 1772 1035 ??\nend = 1924 -3580 ??\n";
    // endX = 1684518 / 66 and endY = 208980 / 180, both exact.
    QTest::newRow("first point at pixel 0 on both axes")
            << entries(462, 490, 0, 0, 66, 180, 883, 2729, 4403, 2153)
            << "origin = 883 2729 ??\nend = 25523 1161 ??\n";
    QTest::newRow("first point at a negative pixel")
            << entries(46, 893, -24, -28, 531, 80, -2925, -1235, 922, -1303)
            << "origin = -2758 -1252 ??\nend = -2439 -1814 ??\n";
    // 9999 * 19997 + 131072 * 19998, past 32 bits.
    QTest::newRow("end beyond 32 bits")
            << entries(131072, 1, -9999, 0, -9998, 1, -9999, 1, 9999, 0)
            << "origin = 199950003 1 ??\nend = 2821127859 0 ??\n";
}

void TestCalibration::validEntries()
{
    QFETCH(CalibrationEntries, in);
    QFETCH(QString, text);
    const auto result = calibrate(in);
    QVERIFY(result.has_value());
    QCOMPARE(calibrationText(result), text);
}

void TestCalibration::invalidEntries_data()
{
    QTest::addColumn<CalibrationEntries>("in");

    const CalibrationEntries sound = entries(400, 300, 50, 50, 350, 250, -100, 100, 500, -300);
    auto changed = [&](auto field, qint32 value) {
        CalibrationEntries e = sound;
        e.*field = value;
        return e;
    };
    CalibrationEntries noPicture = sound;
    noPicture.imageWidth = noPicture.imageHeight = 0;
    QTest::newRow("no picture") << noPicture;
    QTest::newRow("zero width") << changed(&CalibrationEntries::imageWidth, 0);
    QTest::newRow("zero height") << changed(&CalibrationEntries::imageHeight, 0);
    QTest::newRow("X1 equals X2") << changed(&CalibrationEntries::x1, 350);
    QTest::newRow("X1 right of X2") << changed(&CalibrationEntries::x1, 351);
    QTest::newRow("Y1 equals Y2") << changed(&CalibrationEntries::y1, 250);
    QTest::newRow("Y1 below Y2") << changed(&CalibrationEntries::y1, 251);
    QTest::newRow("A equals B") << changed(&CalibrationEntries::worldX1, 500);
    QTest::newRow("A greater than B") << changed(&CalibrationEntries::worldX1, 501);
    QTest::newRow("C equals D") << changed(&CalibrationEntries::worldY2, 100);
    QTest::newRow("world y growing downwards") << changed(&CalibrationEntries::worldY2, 101);
    QTest::newRow("all zero") << CalibrationEntries{};
}

void TestCalibration::invalidEntries()
{
    QFETCH(CalibrationEntries, in);
    const auto result = calibrate(in);
    QVERIFY(!result.has_value());
    QCOMPARE(calibrationText(result), QString("invalid entries.\n"));
}

namespace {

qint32 spinValue(QRandomGenerator &random)
{
    return random.bounded(-9999, 10000);
}

} // namespace

// Anything the boxes can hold, on pictures up to 200000 pixels: a result
// exactly when the points are ordered, and never a trap.
void TestCalibration::randomEntries()
{
    QRandomGenerator random(20261206);
    int results = 0;
    for (int i = 0; i < 1000000; ++i) {
        CalibrationEntries e;
        e.imageWidth = random.bounded(0, 200001);
        e.imageHeight = random.bounded(0, 200001);
        e.x1 = spinValue(random);
        e.y1 = spinValue(random);
        e.x2 = spinValue(random);
        e.y2 = spinValue(random);
        e.worldX1 = spinValue(random);
        e.worldY1 = spinValue(random);
        e.worldX2 = spinValue(random);
        e.worldY2 = spinValue(random);
        const bool ordered = e.imageWidth > 0 && e.imageHeight > 0 && e.x1 < e.x2 && e.y1 < e.y2
                && e.worldX1 < e.worldX2 && e.worldY2 < e.worldY1;
        const auto result = calibrate(e);
        if (result.has_value() != ordered)
            QFAIL(qPrintable(QString("entry %1 judged wrongly").arg(i)));
        results += result.has_value();
    }
    QVERIFY(results > 10000);
}

// World points placed on an integer origin with an integer scale, anywhere
// in the boxes' range, always give back that origin and the exact far corner.
void TestCalibration::randomIntegerMaps()
{
    QRandomGenerator random(77);
    auto pixels = [&](qint32 origin, qint32 scale, qint32 *p1, qint32 *p2) {
        // Pixels whose world values origin + scale * p stay within the boxes.
        const qint32 low = qMax(-9999, (-9999 - origin + scale - 1) / scale);
        const qint32 high = qMin(9999, (9999 - origin) / scale);
        *p1 = random.bounded(low, high);
        *p2 = random.bounded(*p1 + 1, high + 1);
    };
    for (int i = 0; i < 1000000; ++i) {
        const qint32 scaleX = random.bounded(1, 51);
        const qint32 scaleY = random.bounded(1, 51);
        const qint32 originX = random.bounded(-5000, 5001);
        const qint32 originY = random.bounded(-5000, 5001);
        CalibrationEntries e;
        e.imageWidth = random.bounded(1, 200001);
        e.imageHeight = random.bounded(1, 200001);
        pixels(originX, scaleX, &e.x1, &e.x2);
        pixels(-originY, scaleY, &e.y1, &e.y2);
        e.worldX1 = originX + scaleX * e.x1;
        e.worldX2 = originX + scaleX * e.x2;
        e.worldY1 = originY - scaleY * e.y1;
        e.worldY2 = originY - scaleY * e.y2;
        const auto result = calibrate(e);
        const bool exact = result && result->originX == originX && result->originY == originY
                && result->endX == originX + qint64(scaleX) * e.imageWidth
                && result->endY == originY - qint64(scaleY) * e.imageHeight;
        if (!exact)
            QFAIL(qPrintable(QString("map %1 not exact: %2").arg(i).arg(calibrationText(result))));
    }
}

QTEST_APPLESS_MAIN(TestCalibration)
#include "tst_calibration.moc"
