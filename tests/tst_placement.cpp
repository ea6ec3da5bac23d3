#include "level/footprints.h"
#include "level/levelfile.h"
#include "placement/levelpicture.h"
#include "placement/placement.h"

#include <QBuffer>
#include <QImageWriter>
#include <QPainter>
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

Footprints sampleLevel()
{
    return footprints(readLevel(SOURCE_DIR "/examples/sample-level.map").level);
}

// How a test picture is changed from the level's own picture.
enum Change { Unchanged, Stretched, Framed, Cropped, Compressed, Blank, Noise, Turned, Mirrored };

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void levelPictures_data();
    void levelPictures();
    void placePictures_data();
    void placePictures();
    void placeTheSketch();
    void stopPlacing();
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

void TestPlacement::placePictures_data()
{
    QTest::addColumn<int>("longSide");
    QTest::addColumn<bool>("floors");
    QTest::addColumn<int>("change");
    QTest::addColumn<bool>("confident");
    QTest::newRow("outlines") << 700 << false << int(Unchanged) << true;
    QTest::newRow("floors shaded by height") << 900 << true << int(Unchanged) << true;
    QTest::newRow("axes scaled apart") << 800 << false << int(Stretched) << true;
    QTest::newRow("a wide frame and a legend") << 600 << false << int(Framed) << true;
    QTest::newRow("a tenth cut off the left") << 700 << true << int(Cropped) << true;
    QTest::newRow("blurred, JPEG at 60") << 1000 << true << int(Compressed) << true;
    QTest::newRow("blank") << 700 << false << int(Blank) << false;
    QTest::newRow("noise") << 700 << false << int(Noise) << false;
    QTest::newRow("turned a quarter") << 700 << true << int(Turned) << false;
    QTest::newRow("mirrored") << 700 << true << int(Mirrored) << false;
}

// Pictures made from the level and changed as designers' pictures are:
// a confident placement puts both corners within a pixel of the truth, and
// a picture that does not show the level is never placed.
void TestPlacement::placePictures()
{
    QFETCH(int, longSide);
    QFETCH(bool, floors);
    QFETCH(int, change);
    QFETCH(bool, confident);
    const Footprints level = sampleLevel();
    const std::optional<LevelPicture> made = levelPicture(level, longSide, floors ? LevelPictureStyle::Floors : LevelPictureStyle::Outline);
    QVERIFY(made);
    QImage image = made->image;
    const Calibration truth = *calibrate(made->entries);
    double left = truth.exactOriginX, top = truth.exactOriginY, right = truth.exactEndX, bottom = truth.exactEndY;
    const double unit = (right - left) / image.width();
    if (change == Stretched)
        image = image.scaled(image.width() * 23 / 20, image.height(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
    if (change == Framed) {
        QImage framed(image.size() * 6 / 5, QImage::Format_RGB32);
        framed.fill(Qt::white);
        QPainter painter(&framed);
        painter.drawImage(image.width() / 10, image.height() / 10, image);
        painter.fillRect(4, framed.height() - 60, 150, 56, QColor(250, 240, 200));
        painter.drawText(10, framed.height() - 40, QStringLiteral("Legend: spawn, flag"));
        left -= image.width() / 10 * unit, top += image.height() / 10 * unit;
        right = left + framed.width() * unit, bottom = top - framed.height() * unit;
        image = framed;
    }
    if (change == Cropped) {
        image = image.copy(image.width() / 10, 0, image.width() - image.width() / 10, image.height());
        left += made->image.width() / 10 * unit;
    }
    if (change == Compressed) {
        image = image.scaled(image.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
        QBuffer jpeg;
        QImageWriter writer(&jpeg, "jpeg");
        writer.setQuality(60);
        QVERIFY(jpeg.open(QIODevice::WriteOnly) && writer.write(image));
        image = QImage::fromData(jpeg.data(), "jpeg");
    }
    if (change == Blank)
        image.fill(Qt::white);
    for (int y = 0; change == Noise && y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            image.setPixel(x, y, qRgb((x * 7919 + y * 104729) % 251, (x * 31 + y * 17) % 253, (x ^ y) & 255));
    if (change == Turned || change == Mirrored)
        image = change == Turned ? image.transformed(QTransform().rotate(90)) : image.mirrored(true, false);

    const std::optional<Placement> found = place(image, level);
    QVERIFY(found);
    QCOMPARE(found->confident, confident);
    QCOMPARE(placementSummary(*found).startsWith(confident ? "Placed automatically: " : "no confident placement: "), true);
    if (!confident)
        return;
    const std::optional<Calibration> c = calibrate(found->entries);
    QVERIFY(c && found->entries.picture == image.size());
    const double across = (right - left) / image.width(), down = (top - bottom) / image.height();
    const QList<double> errors{(c->exactOriginX - left) / across, (c->exactOriginY - top) / down, (c->exactEndX - right) / across, (c->exactEndY - bottom) / down};
    QVERIFY2(std::all_of(errors.begin(), errors.end(), [](double e) { return std::abs(e) <= 1; }), qPrintable(QString("%1 %2 %3 %4").arg(errors[0]).arg(errors[1]).arg(errors[2]).arg(errors[3])));
}

// The sketch the sample level was built from: paper, a grid, thick walls,
// doors, water and two marks; the level lies exactly on it, 4 units a
// pixel.
void TestPlacement::placeTheSketch()
{
    const std::optional<Placement> found = place(QImage(SOURCE_DIR "/examples/sample-map.png"), sampleLevel());
    QVERIFY(found && found->confident);
    const std::optional<Calibration> c = calibrate(found->entries);
    QVERIFY(c && std::abs(c->exactOriginX + 1024) <= 1 && std::abs(c->exactOriginY - 768) <= 1 && std::abs(c->exactEndX - 1536) <= 1 && std::abs(c->exactEndY + 1152) <= 1); // to a quarter pixel
}

// Asked to stop, the search stops at once and gives nothing; left alone,
// it reports its progress rising to the end.
void TestPlacement::stopPlacing()
{
    const QImage image = levelPicture(sampleLevel(), 700, LevelPictureStyle::Outline)->image;
    int calls = 0;
    QVERIFY(!place(image, sampleLevel(), [&](int) { return ++calls < 3; }) && calls == 3);
    QList<int> seen;
    QVERIFY(place(image, sampleLevel(), [&](int percent) { seen << percent; return true; }));
    QVERIFY(seen.size() > 10 && std::is_sorted(seen.begin(), seen.end()) && seen.front() >= 0 && seen.back() <= 100);
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
