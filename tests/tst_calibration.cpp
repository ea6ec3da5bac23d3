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
    QTest::newRow("scale 2, integer origin")
            << entries(400, 300, 50, 50, 350, 250, -100, 100, 500, -300)
            << "origin = -200 200 ??\nend = 600 -400 ??\n";
    // originX = -6940 / 87 = -79.77 -> -79; scaleX = 9 / 5 = 1.8, stored as
    // 1.79999995f; 400 * 1.79999995 - 79 = 640.99998 -> 640, not 641.
    QTest::newRow("single-precision scale truncates end")
            << entries(400, 300, 5, 50, 92, 250, -70, 100, 100, -300)
            << "origin = -79 200 ??\nend = 640 -400 ??\n";
    // originX = 40 / 7 = 5.71 -> 5, scaleX = 5 / 3, endX = 100 * 1.6666666 + 5 -> 171;
    // originY = 170 / 7 = 24.29 -> 24, scaleY = -4 / 3, endY = -133.33 + 24 = -109.33 -> -109.
    QTest::newRow("fractions truncate toward zero both signs")
            << entries(100, 100, 3, 3, 10, 10, 10, 20, 20, 10)
            << "origin = 5 24 ??\nend = 171 -109 ??\n";
    // originX = (0 * 10 - 20 * -10) / 20 = 10, scaleX = (0 - 10) / -10 = 1.
    QTest::newRow("reference point left of the picture")
            << entries(64, 48, -10, 5, 10, 15, 0, 30, 20, 10)
            << "origin = 10 40 ??\nend = 74 -56 ??\n";
    // X1 = Y1 = 0: the scale comes from the second point, (300 + 100) / 200 = 2
    // and (-200 - 100) / 150 = -2.
    QTest::newRow("first point at the origin on both axes")
            << entries(400, 300, 0, 0, 200, 150, -100, 100, 300, -200)
            << "origin = -100 100 ??\nend = 700 -500 ??\n";
    QTest::newRow("first point at the origin on x only")
            << entries(400, 300, 0, 50, 200, 250, -100, 100, 300, -300)
            << "origin = -100 200 ??\nend = 700 -400 ??\n";
    QTest::newRow("first point at the origin on y only")
            << entries(400, 300, 50, 0, 350, 150, -100, 100, 500, -200)
            << "origin = -200 100 ??\nend = 600 -500 ??\n";
    // originX = (-9999 * 2 - 9999 * 1) / 1 = -29997, scaleX = (-9999 + 29997) / 1
    // = 19998, endX = 200000 * 19998 - 29997 = 3999570003, past 32 bits.
    // originY = (1 * 2 - 0 * 1) / 1 = 2, scaleY = (1 - 2) / 1 = -1, endY = 1.
    QTest::newRow("end beyond 32 bits")
            << entries(200000, 1, 1, 1, 2, 2, -9999, 1, 9999, 0)
            << "origin = -29997 2 ??\nend = 3999570003 1 ??\n";
    // Mirror image: scaleY = 19998 with y falling, endY = -(200000 * 19998) + 29997.
    QTest::newRow("end below -2^31")
            << entries(1, 200000, 1, 1, 2, 2, 0, 9999, 1, -9999)
            << "origin = -1 29997 ??\nend = 0 -3999570003 ??\n";
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
