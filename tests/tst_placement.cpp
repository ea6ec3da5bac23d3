#include "level/footprints.h"
#include "placement/levelpicture.h"

#include <QTest>

namespace {

Footprints boxes(const QList<QRectF> &rects)
{
    Footprints level;
    for (const QRectF &r : rects) {
        level.outlines.append(QPolygonF(r));
        level.tops.append(r.top() + 8); // the lowest not at 0
    }
    return level;
}

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void levelPictures_data();
    void levelPictures();
};

void TestPlacement::levelPictures_data()
{
    QTest::addColumn<QList<QRectF>>("level"); // world rectangles, y up
    QTest::addColumn<int>("longSide");
    QTest::addColumn<QSize>("size"); // none: refused
    QTest::addColumn<QRectF>("placed"); // exact origin (top-left) to end (bottom-right)
    const QList<QRectF> wide = {QRectF(400, 100, 200, 400), QRectF(0, 0, 1000, 200)}; // the first higher, over the second
    QTest::newRow("1 unit a pixel with the margin") << wide << 0 << QSize(1032, 532) << QRectF(QPointF(-16, 516), QPointF(1016, -16));
    QTest::newRow("a tall level") << QList<QRectF>{QRectF(-50, -900, 100, 1000)} << 0 << QSize(132, 1032) << QRectF(QPointF(-66, 116), QPointF(66, -916));
    QTest::newRow("2 units a pixel for 600") << wide << 600 << QSize(600, 282) << QRectF(QPointF(-32, 532), QPointF(1168, -32));
    QTest::newRow("capped at 4096") << QList<QRectF>{QRectF(0, 0, 10000, 100)} << 0 << QSize(4096, 66) << QRectF(QPointF(-48, 148), QPointF(12240, -50));
    QTest::newRow("3 pixels a unit for a small level") << QList<QRectF>{QRectF(0.5, 0, 9, 5)} << 64 << QSize(64, 47)
            << QRectF(QPointF(-16 / 3.0, 5 + 16 / 3.0), QPointF(-16 / 3.0 + 64 / 3.0, 5 + 16 / 3.0 - 47 / 3.0));
    QTest::newRow("a level of one line spans a unit across") << QList<QRectF>{QRectF(0, 0, 0, 100)} << 432 << QSize(36, 432) << QRectF(QPointF(-4, 104), QPointF(5, -4));
    QTest::newRow("largest") << wide << 16384 << QSize(16384, 8032) << QRectF(QPointF(-1, 501), QPointF(1023, -1));
    QTest::newRow("too small") << wide << 63 << QSize() << QRectF();
    QTest::newRow("too large") << wide << 16385 << QSize() << QRectF();
    QTest::newRow("nothing to draw") << QList<QRectF>() << 0 << QSize() << QRectF();
}

// The picture's placement is exact, and every corner of the level is drawn
// where that placement puts it, in both styles.
void TestPlacement::levelPictures()
{
    QFETCH(QList<QRectF>, level);
    QFETCH(int, longSide);
    QFETCH(QSize, size);
    QFETCH(QRectF, placed);
    const Footprints footprints = boxes(level);
    for (const LevelPictureStyle style : {LevelPictureStyle::Outline, LevelPictureStyle::Floors}) {
        QString why;
        const std::optional<LevelPicture> picture = levelPicture(footprints, longSide, style, &why);
        if (!picture) {
            QVERIFY(!why.isEmpty() && !size.isValid() && (levelPictureSide(footprints) == 0) == level.isEmpty());
            continue;
        }
        QCOMPARE(QList<QSize>({picture->image.size(), picture->entries.picture}), QList<QSize>({size, size}));
        const std::optional<Calibration> c = calibrate(picture->entries);
        QCOMPARE(c ? QRectF(QPointF(c->exactOriginX, c->exactOriginY), QPointF(c->exactEndX, c->exactEndY)) : QRectF(), placed);
        const QTransform toPicture = pictureFromWorld(picture->entries);
        const QRgb background = style == LevelPictureStyle::Floors ? qRgb(0, 0, 0) : qRgb(255, 255, 255);
        for (const QRectF &r : level) {
            for (const QPointF corner : {r.topLeft(), r.bottomRight()}) {
                const QPointF at = toPicture.map(corner);
                // The pixel inside the corner, whichever way the outline turns.
                const QPoint pixel(qBound(0, int(at.x()) - (corner.x() == r.right()), size.width() - 1),
                                   qBound(0, int(at.y()) - (corner.y() == r.top()), size.height() - 1));
                QVERIFY2(picture->image.pixel(pixel) != background || (r.isEmpty() && style == LevelPictureStyle::Floors), qPrintable(QString("%1,%2").arg(pixel.x()).arg(pixel.y())));
                // Outlines are a pixel wide at any scale: three pixels in is clear.
                QVERIFY(style == LevelPictureStyle::Floors || picture->image.pixel(pixel + 3 * QPoint(corner.x() == r.right() ? -1 : 1, corner.y() == r.top() ? -1 : 1)) == background);
            }
        }
        QCOMPARE(picture->image.pixel(0, 0), background);
        // Floors are filled, with no line drawn round them, shaded from 64
        // for the lowest to 240 for the highest: where every edge falls
        // between whole pixels, a pixel is a floor's shade or background.
        if (style == LevelPictureStyle::Floors && size.width() <= 1032 && placed.left() == std::round(placed.left())) {
            const QImage grey = picture->image.convertToFormat(QImage::Format_Grayscale8);
            QCOMPARE(std::count_if(grey.constBits(), grey.constBits() + grey.sizeInBytes(), [](uchar g) { return g != 0 && g != 64 && g != 240; }), 0);
            QCOMPARE(qGray(picture->image.pixel(toPicture.map(level[0].topLeft() + QPointF(3, 3)).toPoint())), level[0].isEmpty() ? 0 : level.size() > 1 ? 240 : 64);
        }
    }
}

QTEST_APPLESS_MAIN(TestPlacement)
#include "tst_placement.moc"
