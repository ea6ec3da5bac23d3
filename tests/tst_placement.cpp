#include "level/footprints.h"
#include "level/levelfile.h"
#include "placement/levelpicture.h"
#include "placement/placement.h"
#include "placement/placementsteps.h"

#include <QBuffer>
#include <QColor>
#include <QImageWriter>
#include <QPainter>
#include <QTest>

#include <opencv2/core.hpp>

#include <cmath>

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

cv::Mat mapOf(int rows, const QList<int> &values, int type = CV_8UC1)
{
    cv::Mat m(rows, int(values.size()) / rows, CV_32S, const_cast<int *>(values.data()));
    cv::Mat out;
    m.convertTo(out, type);
    return out;
}

QList<int> valuesOf(const cv::Mat &m)
{
    cv::Mat ints;
    m.convertTo(ints, CV_32S);
    return QList<int>(ints.begin<int>(), ints.end<int>());
}

// The level's outlines drawn as a picture of the given size would show
// them, placed by t from the level's centre.
QImage outlinePicture(const Footprints &level, const placing::Transform &t, const QSize &size)
{
    QRectF extent;
    for (const QPolygonF &outline : level.outlines)
        extent = extent.united(outline.boundingRect());
    QImage picture(size, QImage::Format_RGB32);
    picture.fill(Qt::white);
    QPainter painter(&picture);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(Qt::black, 0));
    painter.setTransform(QTransform(t.a, 0, 0, t.c, t.b - t.a * extent.center().x(), t.d - t.c * extent.center().y()));
    for (const QPolygonF &outline : level.outlines)
        painter.drawPolygon(outline);
    return picture;
}

// How a test picture is changed from the level's own picture.
enum Change { Unchanged, Stretched, Framed, Cropped, Compressed, Blank, Noise, Turned, Mirrored, FilledMirrored, FilledBlurred };

// The floors all in one shade: a silhouette, with no edge inside it.
QImage filled(QImage floors)
{
    for (int y = 0; y < floors.height(); ++y)
        for (int x = 0; x < floors.width(); ++x)
            floors.setPixel(x, y, qGray(floors.pixel(x, y)) > 32 ? qRgb(200, 180, 200) : qRgb(20, 20, 30));
    return floors;
}

QImage blurred(const QImage &image)
{
    return image.scaled(image.size() / 4, Qt::IgnoreAspectRatio, Qt::SmoothTransformation).scaled(image.size(), Qt::IgnoreAspectRatio, Qt::SmoothTransformation);
}

} // namespace

class TestPlacement : public QObject
{
    Q_OBJECT

private slots:
    void levelPictures_data();
    void levelPictures();
    void placePictures_data();
    void placePictures();
    void stopPlacing();
    void edges_data();
    void edges();
    void halving_data();
    void halving();
    void pyramid_data();
    void pyramid();
    void valueAt_data();
    void valueAt();
    void offsetToEdge_data();
    void offsetToEdge();
    void samples_data();
    void samples();
    void fitOutline_data();
    void fitOutline();
    void fewestSamples_data();
    void fewestSamples();
    void explainedAside();
    void evidence_data();
    void evidence();
    void corners_data();
    void corners();
    void measuredAsPlaced_data();
    void measuredAsPlaced();
    void sureEnough_data();
    void sureEnough();
    void coarseSearch();
    void likeness_data();
    void likeness();
    void correlation_data();
    void correlation();
    void turnedLead_data();
    void turnedLead();
    void alikeEnough_data();
    void alikeEnough();
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
    QTest::newRow("a square level, 2 units a pixel") << QList<QRectF>{QRectF(0, 0, 1000, 1000)} << 600 << QSize(600, 532) << QRectF(QPointF(-32, 1032), QPointF(1168, -32));
    QTest::newRow("exactly 2 units a pixel") << wide << 532 << QSize(532, 282) << QRectF(QPointF(-32, 532), QPointF(1032, -32));
    QTest::newRow("4 units a pixel, a unit past 3") << QList<QRectF>{QRectF(0, 0, 400, 1000)} << 365 << QSize(132, 365) << QRectF(QPointF(-64, 1064), QPointF(464, -396));
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
    QTest::newRow("floors in one shade, mirrored") << 800 << true << int(FilledMirrored) << false;
    QTest::newRow("floors in one shade, blurred") << 800 << true << int(FilledBlurred) << true; // placed by its likeness
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
    if (change == FilledMirrored || change == FilledBlurred)
        image = change == FilledBlurred ? blurred(filled(image)) : filled(image);
    if (change == Turned || change == Mirrored || change == FilledMirrored)
        image = change == Turned ? image.transformed(QTransform().rotate(90)) : image.mirrored(true, false);

    const std::optional<Placement> found = place(image, level);
    QVERIFY(found);
    QCOMPARE(found->confident, confident);
    QCOMPARE(found->likeness > 0, change == FilledBlurred);
    QCOMPARE(placementSummary(*found).startsWith(confident ? "Placed automatically: " : "no confident placement: "), true);
    QCOMPARE(placementSummary(*found).contains(" like the level drawn as "), confident && change == FilledBlurred);
    if (!confident)
        return;
    const std::optional<Calibration> c = calibrate(found->entries);
    QVERIFY(c && found->entries.picture == image.size());
    const double across = (right - left) / image.width(), down = (top - bottom) / image.height();
    const QList<double> errors{(c->exactOriginX - left) / across, (c->exactOriginY - top) / down, (c->exactEndX - right) / across, (c->exactEndY - bottom) / down};
    QVERIFY2(std::all_of(errors.begin(), errors.end(), [](double e) { return std::abs(e) <= 1; }), qPrintable(QString("%1 %2 %3 %4").arg(errors[0]).arg(errors[1]).arg(errors[2]).arg(errors[3])));
}

// Asked to stop, the search stops at once and gives nothing; left alone,
// it reports its progress rising to the end.
void TestPlacement::stopPlacing()
{
    const QImage image = levelPicture(sampleLevel(), 700, LevelPictureStyle::Outline)->image;
    int calls = 0;
    QVERIFY(!place(image, sampleLevel(), [&](int) { return ++calls < 3; }) && calls == 3);
    QList<int> seen;
    QVERIFY(place(image, sampleLevel(), [&](int percent) { seen << percent; return true; }) && seen.size() > 10 && std::is_sorted(seen.begin(), seen.end()) && seen.front() >= 0 && seen.back() <= 100);
    // Matching a picture the edges leave in doubt with drawings of the level stops as well.
    const QImage silhouette = blurred(filled(levelPicture(sampleLevel(), 800, LevelPictureStyle::Floors)->image));
    QVERIFY(!place(silhouette, sampleLevel(), [&](int percent) { return percent < 95; }) && place(silhouette, sampleLevel())->likeness > 0.99);
}

void TestPlacement::edges_data()
{
    QTest::addColumn<bool>("transparent");
    QTest::addColumn<int>("left"); // grey left of column 10, and right of it
    QTest::addColumn<int>("right");
    QTest::addColumn<QList<int>>("profile"); // the edges along the top row, columns 7 to 12
    QTest::newRow("a black line on white") << false << 255 << 255 << QList<int>{0, 0, 247, 247, 247, 0};
    QTest::newRow("the same line on a transparent picture") << true << 255 << 255 << QList<int>{0, 0, 247, 247, 247, 0};
    QTest::newRow("a step of 20 greys") << false << 100 << 120 << QList<int>{0, 0, 12, 12, 0, 0};
    QTest::newRow("a step of 8 greys is grain") << false << 100 << 108 << QList<int>{0, 0, 0, 0, 0, 0};
}

// Edges are the spread of grey around each pixel, less the grain; a
// transparent picture is seen on white.
void TestPlacement::edges()
{
    QFETCH(bool, transparent);
    QFETCH(int, left);
    QFETCH(int, right);
    QFETCH(QList<int>, profile);
    QImage picture(20, 5, transparent ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    picture.fill(transparent ? Qt::transparent : QColor(left, left, left));
    QPainter painter(&picture);
    painter.fillRect(10, 0, 10, 5, transparent ? Qt::transparent : QColor(right, right, right));
    if (left == right)
        painter.fillRect(10, 1, 1, 4, Qt::black);
    painter.end();
    QCOMPARE(valuesOf(placing::edgesOf(picture).row(0)).mid(7, 6), profile);
}

void TestPlacement::halving_data()
{
    QTest::addColumn<int>("rows");
    QTest::addColumn<QList<int>>("map");
    QTest::addColumn<QList<int>>("halved"); // in rows of (columns + 1) / 2
    QTest::newRow("four to one, the strongest") << 2 << QList<int>{1, 9, 3, 4} << QList<int>{9};
    QTest::newRow("the strongest at the bottom left") << 2 << QList<int>{1, 2, 7, 4} << QList<int>{7};
    QTest::newRow("an odd column is kept") << 2 << QList<int>{1, 2, 3, 4, 5, 6} << QList<int>{5, 6};
    QTest::newRow("an odd row is kept") << 3 << QList<int>{1, 2, 3, 4, 5, 6} << QList<int>{4, 6};
    QTest::newRow("the bottom right quarter") << 4 << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 7} << QList<int>{0, 0, 0, 7};
}

void TestPlacement::halving()
{
    QFETCH(int, rows);
    QFETCH(QList<int>, map);
    QFETCH(QList<int>, halved);
    // The map is the top of a larger one whose next row is all 255: nothing below it is read.
    QCOMPARE(valuesOf(placing::halved(mapOf(rows + 1, map + QList<int>(map.size() / rows, 255)).rowRange(0, rows))), halved);
}

void TestPlacement::pyramid_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QList<QSize>>("maps");
    QTest::addColumn<int>("judging");
    QTest::newRow("small enough for the coarse search") << QSize(160, 100) << QList<QSize>{{160, 100}} << 0;
    QTest::newRow("a pixel wider") << QSize(161, 50) << QList<QSize>{{161, 50}, {81, 25}} << 0;
    QTest::newRow("tall") << QSize(90, 321) << QList<QSize>{{90, 321}, {45, 161}, {23, 81}} << 0;
    QTest::newRow("judged at full size up to 1024") << QSize(1024, 10) << QList<QSize>{{1024, 10}, {512, 5}, {256, 3}, {128, 2}} << 0;
    QTest::newRow("judged halved above") << QSize(1025, 10) << QList<QSize>{{1025, 10}, {513, 5}, {257, 3}, {129, 2}} << 1;
    QTest::newRow("judged halved twice") << QSize(3000, 4) << QList<QSize>{{3000, 4}, {1500, 2}, {750, 1}, {375, 1}, {188, 1}, {94, 1}} << 2;
}

void TestPlacement::pyramid()
{
    QFETCH(QSize, picture);
    QFETCH(QList<QSize>, maps);
    QFETCH(int, judging);
    QImage image(picture, QImage::Format_RGB32);
    image.fill(Qt::white);
    const std::vector<cv::Mat> pyramid = placing::edgePyramid(image);
    QList<QSize> sizes;
    for (const cv::Mat &m : pyramid)
        sizes << QSize(m.cols, m.rows);
    QCOMPARE(sizes, maps);
    QCOMPARE(placing::judgingLevel(pyramid), judging);
}

void TestPlacement::valueAt_data()
{
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<double>("value"); // -1: off the map
    QTest::newRow("the first pixel's centre") << QPointF(0.5, 0.5) << 0.0;
    QTest::newRow("the next pixel's centre") << QPointF(1.5, 0.5) << 10.0;
    QTest::newRow("the pixel below") << QPointF(0.5, 1.5) << 30.0;
    QTest::newRow("among four") << QPointF(1, 1) << 20.0;
    QTest::newRow("near the last centre") << QPointF(2.4, 2.4) << 76.0;
    QTest::newRow("the last centre") << QPointF(2.5, 2.5) << -1.0;
    QTest::newRow("left of the first centre") << QPointF(0.4, 1) << -1.0;
    QTest::newRow("above the first centre") << QPointF(1, 0.4) << -1.0;
    QTest::newRow("right of the last centre") << QPointF(2.6, 1) << -1.0;
    QTest::newRow("below the last centre") << QPointF(1, 2.6) << -1.0;
    QTest::newRow("not a number") << QPointF(std::nan(""), 1) << -1.0;
}

// Both kinds of map are read between pixel centres.
void TestPlacement::valueAt()
{
    QFETCH(QPointF, at);
    QFETCH(double, value);
    const QList<int> grid{0, 10, 20, 30, 40, 50, 60, 70, 80};
    QCOMPARE(placing::valueAt<uchar>(mapOf(3, grid), at.x(), at.y()), float(value));
    QCOMPARE(placing::valueAt<float>(mapOf(3, grid, CV_32F), at.x(), at.y()), float(value));
}

void TestPlacement::offsetToEdge_data()
{
    QTest::addColumn<QList<int>>("profile"); // offsets -6 to 12 from the point measured from
    QTest::addColumn<int>("reach");
    QTest::addColumn<double>("offset"); // NaN: none
    QTest::addColumn<double>("back"); // looking the other way
    const double none = std::nan("");
    //                                                                       0
    QTest::newRow("a line two ahead") << QList<int>{0, 0, 0, 0, 0, 0, 0, 50, 90, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << 2.0 << -2.0;
    QTest::newRow("a step's band") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 90, 90, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << 2.5 << -2.5;
    QTest::newRow("an uneven band") << QList<int>{0, 0, 0, 0, 0, 0, 30, 90, 60, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << 210 / 180.0 << -210 / 180.0;
    QTest::newRow("a line two behind") << QList<int>{0, 0, 0, 50, 90, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << -2.0 << 2.0;
    QTest::newRow("a band, then a rise beyond it") << QList<int>{0, 20, 60, 40, 90, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << -350 / 180.0 << 350 / 180.0;
    QTest::newRow("the nearer of two") << QList<int>{0, 0, 50, 90, 50, 0, 0, 50, 90, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << 2.0 << -2.0;
    QTest::newRow("two as near: the one behind") << QList<int>{0, 0, 0, 50, 90, 50, 0, 50, 90, 50, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << -2.0 << -2.0;
    QTest::newRow("on the edge") << QList<int>{0, 0, 0, 0, 0, 30, 90, 30, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 0 << 0.0 << 0.0;
    QTest::newRow("just strong enough") << QList<int>{0, 0, 0, 0, 0, 0, 0, 5, 12, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << 2.0 << -2.0;
    QTest::newRow("too faint") << QList<int>{0, 0, 0, 0, 0, 0, 0, 5, 11, 5, 0, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << none << none;
    QTest::newRow("just within reach") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 50, 90, 50, 0, 0, 0, 0, 0, 0, 0, 0} << 3 << 3.0 << -3.0;
    QTest::newRow("beyond reach") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 50, 90, 50, 0, 0, 0, 0, 0, 0, 0} << 3 << none << none;
    QTest::newRow("within a longer reach") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 0, 50, 90, 50, 0, 0, 0, 0, 0, 0, 0} << 4 << 4.0 << -4.0;
    QTest::newRow("a band running out of sight") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 90, 80, 70, 60, 50, 40, 30, 20, 10, 5, 0} << 3 << none << none;
    QTest::newRow("a band ending at the last pixel seen") << QList<int>{0, 0, 0, 0, 0, 0, 0, 0, 90, 80, 70, 60, 50, 40, 30, 0, 0, 0, 0} << 3 << 1820 / 420.0 << -1820 / 420.0;
}

// The centre of the nearest edge's band, along the normal, seen within the
// reach and a few pixels more.
void TestPlacement::offsetToEdge()
{
    QFETCH(QList<int>, profile);
    QFETCH(int, reach);
    QFETCH(double, offset);
    QFETCH(double, back);
    const cv::Mat m = cv::repeat(mapOf(1, QList<int>(14, 0) + profile + QList<int>(8, 0)), 3, 1);
    for (const int way : {1, -1}) {
        const double expected = way == 1 ? offset : back;
        const double found = placing::offsetToEdge(m, QPointF(20.5, 1.5), QPointF(way, 0), reach);
        QVERIFY2(std::isnan(expected) ? std::isnan(found) : std::abs(found - expected) < 1e-9, qPrintable(QString::number(found)));
    }
}

void TestPlacement::samples_data()
{
    QTest::addColumn<double>("pixelsPerUnit");
    QTest::addColumn<double>("spacing");
    QTest::addColumn<int>("most");
    QTest::addColumn<int>("count");
    QTest::addColumn<QPointF>("first"); // from the level's centre
    QTest::newRow("one each 10 pixels, from the middle") << 1.0 << 10.0 << 1000 << 80 << QPointF(-145, -50);
    QTest::newRow("two pixels a unit") << 2.0 << 10.0 << 1000 << 160 << QPointF(-147.5, -50);
    QTest::newRow("at most 30: spread wider, two left out") << 1.0 << 1.5 << 30 << 30 << QPointF(-140, -50);
    QTest::newRow("edges 4 pixels long, at most 4: still every side") << 0.04 << 1.5 << 4 << 4 << QPointF(-100, -50);
    QTest::newRow("edges under 4 pixels long") << 0.039 << 1.5 << 1000 << 0 << QPointF();
}

// Samples lie along every edge of every outline, evenly, clear of the
// corners by a pixel and a half.
void TestPlacement::samples()
{
    QFETCH(double, pixelsPerUnit);
    QFETCH(double, spacing);
    QFETCH(int, most);
    QFETCH(int, count);
    QFETCH(QPointF, first);
    const Footprints level = boxes({QRectF(0, 0, 100, 100), QRectF(200, 0, 100, 100)});
    const std::vector<placing::Sample> samples = placing::samplesOf(level, QPointF(150, 50), pixelsPerUnit, spacing, most);
    QCOMPARE(int(samples.size()), count);
    if (count == 0)
        return;
    QCOMPARE(QList<QPointF>({samples.front().world, samples.front().along, samples.back().along}), QList<QPointF>({first, QPointF(1, 0), QPointF(0, -1)}));
    QVERIFY(samples.front().outline == 0 && samples.back().outline == 1);
    if (count > 8) // evenly along the first edge
        QCOMPARE(samples[1].world - samples[0].world, QPointF(std::max(spacing, 800 * pixelsPerUnit / most) / pixelsPerUnit, 0));
}

void TestPlacement::fitOutline_data()
{
    QTest::addColumn<QPointF>("scale"); // pixels a unit across and down
    QTest::addColumn<QPointF>("off"); // where the fit starts, pixels from the truth
    QTest::addColumn<double>("grown"); // and how much larger
    QTest::addColumn<int>("search"); // 0: fitted; searched on a map halved this often, 2: with the axes tied
    QTest::addColumn<bool>("fitted");
    QTest::newRow("a pixel and a half off") << QPointF(1, 1) << QPointF(1.5, -1.2) << 1.0 << 0 << true;
    QTest::newRow("axes scaled apart") << QPointF(1.3, 0.9) << QPointF(0.5, 1) << 1.005 << 0 << true;
    QTest::newRow("almost 4 to 1") << QPointF(3.8, 1) << QPointF(0, 0) << 1.0 << 0 << true;
    QTest::newRow("more than 4 to 1") << QPointF(4.2, 1) << QPointF(0, 0) << 1.0 << 0 << false;
    QTest::newRow("more than 1 to 4") << QPointF(0.5, 2.2) << QPointF(0, 0) << 1.0 << 0 << false;
    QTest::newRow("nothing to fit to") << QPointF(1, 1) << QPointF(6, 6) << 1.0 << 0 << false;
    QTest::newRow("searched from 3 pixels off") << QPointF(1.6, 1.6) << QPointF(3, -2) << 1.0 << 2 << true;
    QTest::newRow("searched, the axes on their own") << QPointF(1.6, 1.6) << QPointF(-3, 2) << 1.0 << 1 << true;
    QTest::newRow("searched from 4 % too large") << QPointF(1.6, 1.6) << QPointF(0, 0) << 1.04 << 2 << true;
    QTest::newRow("searched from 4 % too small, the axes on their own") << QPointF(1.6, 1.6) << QPointF(0, 0) << 0.96 << 1 << true;
    QTest::newRow("searched on a map halved") << QPointF(1.6, 1.6) << QPointF(5, 3) << 1.02 << 3 << true;
}

// Fitted to the edges it sees, the outline comes to lie on them to a small
// part of a pixel, and a fit to an implausible shape is refused; slid and
// stretched while its distance to the edges falls, it comes to lie within a
// step of them.
void TestPlacement::fitOutline()
{
    QFETCH(QPointF, scale);
    QFETCH(QPointF, off);
    QFETCH(double, grown);
    QFETCH(int, search);
    QFETCH(bool, fitted);
    const Footprints level = boxes({QRectF(0, 0, 100, 60), QRectF(30, 20, 40, 70), QRectF(-50, -40, 30, 30)});
    const QSize size(int(150 * scale.x()) + 60, int(130 * scale.y()) + 60);
    const placing::Transform truth{scale.x(), size.width() / 2.0, -scale.y(), size.height() / 2.0};
    const int unit = search == 3 ? 2 : 1;
    const cv::Mat full = placing::edgesOf(outlinePicture(level, truth, size)), edges = unit == 2 ? placing::halved(full) : full;
    const std::vector<placing::Sample> samples = placing::samplesOf(level, QPointF(25, 25), scale.x() / unit, 1.5, 30000);
    placing::Transform t{truth.a * grown, truth.b + off.x(), truth.c * grown, truth.d + off.y()};
    bool moved = true;
    if (search > 0) {
        const cv::Mat distances = placing::distancesOf(edges);
        const double before = placing::chamfer(t, samples, distances, unit);
        QCOMPARE(placing::chamfer({1, 1e9, -1, 0}, samples, distances, unit), 4.5); // off the map: most of the way to 6, the farthest
        placing::search(t, samples, distances, unit, 75 * t.a, search > 1);
        moved = placing::chamfer(t, samples, distances, unit) < before / 4;
    }
    for (const int reach : {3, 2, 2, 2})
        moved = (search > 0 || placing::refine(t, samples, edges, 1, reach)) && moved;
    QCOMPARE(moved, fitted);
    const double gap = placing::cornerGap(truth, t, size);
    QVERIFY2(!fitted || gap < (search > 0 ? 1.5 * unit : 0.02), qPrintable(QString::number(gap)));
}

// A picture of the outline moved aside is explained aside as much one way
// as the other, and far less than on the truth; edges two pixels off the
// outline are not explained by it.
void TestPlacement::fewestSamples_data()
{
    QTest::addColumn<int>("count");
    QTest::addColumn<bool>("fitted");
    QTest::newRow("eleven points on edges: too few to trust") << 11 << false;
    QTest::newRow("twelve") << 12 << true;
}

// A fit rests on at least twelve points seen on edges; on fewer, a stray
// edge or two could pull it anywhere.
void TestPlacement::fewestSamples()
{
    QFETCH(int, count);
    QFETCH(bool, fitted);
    const Footprints level = boxes({QRectF(0, 0, 100, 60)});
    const placing::Transform truth{1, 100, -1, 100};
    const cv::Mat edges = placing::edgesOf(outlinePicture(level, truth, QSize(200, 200)));
    std::vector<placing::Sample> few; // three on each side, from the box's centre
    for (const double at : {-0.5, 0.0, 0.5}) {
        few.push_back({QPointF(60 * at, -30), QPointF(1, 0), 0});
        few.push_back({QPointF(60 * at, 30), QPointF(-1, 0), 0});
        few.push_back({QPointF(-50, 30 * at), QPointF(0, -1), 0});
        few.push_back({QPointF(50, 30 * at), QPointF(0, 1), 0});
    }
    few.resize(size_t(count));
    for (const placing::Sample &s : few) // each on an edge
        QVERIFY(!std::isnan(placing::offsetToEdge(edges, truth(s.world), placing::normalAt(truth, s), 3)));
    placing::Transform t = truth;
    QCOMPARE(placing::refine(t, few, edges, 1, 3), fitted);
}

void TestPlacement::explainedAside()
{
    const Footprints level = boxes({QRectF(0, 0, 100, 60), QRectF(30, 20, 40, 70)});
    const placing::Transform truth{1.5, 200, -1.5, 150};
    QList<placing::Evidence> found;
    for (const QPointF off : {QPointF(0, 0), QPointF(5, 0), QPointF(-5, 0), QPointF(0, 5), QPointF(0, -5), QPointF(0, 2)}) {
        const cv::Mat edges = placing::edgesOf(outlinePicture(level, {truth.a, truth.b + off.x(), truth.c, truth.d + off.y()}, QSize(400, 300)));
        found << placing::evidenceOf(truth, placing::samplesOf(level, QPointF(50, 45), truth.a, 1.5, 30000), edges, 1, 2);
        placing::explain(found.back(), truth, level, QPointF(50, 45), edges, 1);
        QVERIFY(off.isNull() ? found.back().explained > 0.8 && found.back().share > 0.9 : found.back().explained < 0.6 && found.back().share < 0.6);
        QVERIFY(found.back().strength() < found.front().strength() / 2 || off.manhattanLength() < 5);
    }
    for (const int k : {1, 3})
        QVERIFY(std::abs(found[k].explainedAside - found[k + 1].explainedAside) < 0.02 && std::abs(found[k].explained - found[k + 1].explained) < 0.02);
}

void TestPlacement::evidence_data()
{
    QTest::addColumn<QPointF>("at"); // the sample's pixel
    QTest::addColumn<int>("line"); // the column of a line three wide; none: -9
    QTest::addColumn<QList<int>>("seenAndHit");
    QTest::newRow("on a line") << QPointF(50.5, 50.5) << 50 << QList<int>{1, 1};
    QTest::newRow("a pixel from a line") << QPointF(50.5, 50.5) << 51 << QList<int>{1, 1};
    QTest::newRow("a pixel the other way") << QPointF(50.5, 50.5) << 49 << QList<int>{1, 1};
    QTest::newRow("two pixels from a line") << QPointF(50.5, 50.5) << 52 << QList<int>{1, 0};
    QTest::newRow("no line") << QPointF(50.5, 50.5) << -9 << QList<int>{1, 0};
    QTest::newRow("too near the left side to measure") << QPointF(11.5, 50.5) << 11 << QList<int>{0, 0};
    QTest::newRow("just far enough from it") << QPointF(12, 50.5) << 12 << QList<int>{1, 1};
    QTest::newRow("too near the right side") << QPointF(88.5, 50.5) << 88 << QList<int>{0, 0};
    QTest::newRow("just far enough from it ") << QPointF(88, 50.5) << 87 << QList<int>{1, 1};
    QTest::newRow("too near the top") << QPointF(50.5, 11.5) << 50 << QList<int>{0, 0};
    QTest::newRow("just far enough from the top") << QPointF(50.5, 12) << 50 << QList<int>{1, 1};
    QTest::newRow("too near the bottom") << QPointF(50.5, 88.5) << 50 << QList<int>{0, 0};
    QTest::newRow("just far enough from the bottom") << QPointF(50.5, 88) << 50 << QList<int>{1, 1};
}

// A sample of the outline counts as seen well inside the picture, and as
// hit where an edge lies within a pixel of it.
void TestPlacement::evidence()
{
    QFETCH(QPointF, at);
    QFETCH(int, line);
    QFETCH(QList<int>, seenAndHit);
    cv::Mat m = cv::Mat::zeros(100, 100, CV_8UC1);
    for (int c = line - 1; line > 0 && c <= line + 1; ++c)
        m.col(c).setTo(c == line ? 90 : 50);
    const placing::Evidence e = placing::evidenceOf({1, at.x(), -1, at.y()}, {{QPointF(0, 0), QPointF(0, 1), 0}}, m, 1, 1);
    QCOMPARE(QList<int>({e.seen[0], e.hits[0]}), seenAndHit);
    QCOMPARE(e.share, seenAndHit[0] == 0 ? 0.0 : double(seenAndHit[1]));
}

void TestPlacement::corners_data()
{
    QTest::addColumn<double>("scale");
    QTest::addColumn<QPointF>("offset"); // pixel x = scale (X - 125) + offset x, y = 30 - Y + offset y
    QTest::addColumn<int>("width");
    QTest::addColumn<QList<int>>("evidence"); // of each outline's samples, how many seen and hit
    QTest::addColumn<QList<int>>("entries"); // pixel 1, pixel 2, world 1, world 2; none: no corners
    const QList<int> both{25, 20, 275, 80, 0, 60, 250, 0}, first{25, 20, 125, 80, 0, 60, 100, 0};
    QTest::newRow("the corners furthest apart") << 1.0 << QPointF(150, 50) << 300 << QList<int>{10, 10, 10, 10} << both;
    QTest::newRow("an outline seen too little is passed over") << 1.0 << QPointF(150, 50) << 300 << QList<int>{10, 2, 10, 2} << first;
    QTest::newRow("an outline mostly missed is passed over") << 1.0 << QPointF(150, 50) << 300 << QList<int>{10, 10, 10, 4} << first;
    QTest::newRow("half hit is enough") << 1.0 << QPointF(150, 50) << 300 << QList<int>{10, 10, 10, 5} << both;
    QTest::newRow("a corner on the last pixel is passed over") << 1.0 << QPointF(150, 50) << 276 << QList<int>{10, 10, 10, 10} << QList<int>{25, 20, 225, 80, 0, 60, 200, 0};
    QTest::newRow("a corner on the last half pixel") << 1.0 << QPointF(150.5, 50) << 277 << QList<int>{10, 10, 10, 10} << QList<int>{26, 20, 276, 80, 0, 60, 250, 0};
    QTest::newRow("a corner on the first half pixel") << 1.0 << QPointF(125.5, 50) << 300 << QList<int>{10, 10, 10, 10} << QList<int>{1, 20, 251, 80, 0, 60, 250, 0};
    QTest::newRow("a corner before it") << 1.0 << QPointF(125.4, 50) << 300 << QList<int>{10, 10, 10, 10} << QList<int>{100, 20, 250, 80, 100, 60, 250, 0};
    QTest::newRow("a corner on the last half pixel row") << 1.0 << QPointF(150, 68.5) << 300 << QList<int>{10, 10, 10, 10} << QList<int>{25, 39, 275, 99, 0, 60, 250, 0};
    QTest::newRow("the pair Measure repeats best, not the furthest") << 1.01 << QPointF(150, 50) << 300 << QList<int>{10, 10, 10, 10} << QList<int>{24, 20, 226, 80, 0, 60, 200, 0};
    QTest::newRow("nothing seen") << 1.0 << QPointF(150, 50) << 300 << QList<int>{0, 0, 0, 0} << QList<int>();
}

// Two brush corners of outlines the picture shows, as far apart as it
// allows, for Measure.
void TestPlacement::corners()
{
    QFETCH(double, scale);
    QFETCH(QPointF, offset);
    QFETCH(int, width);
    QFETCH(QList<int>, evidence);
    QFETCH(QList<int>, entries);
    const Footprints level = boxes({QRectF(0, 0, 100, 60), QRectF(200, 0, 50, 50)});
    const placing::Evidence e{0, {evidence[0], evidence[1]}, {evidence[2], evidence[3]}};
    const std::optional<CalibrationEntries> found = placing::cornersOf(level, {scale, offset.x(), -1, offset.y()}, QPointF(125, 30), QSize(width, 100), e);
    const QList<int> got = found ? QList<int>{found->pixel1.x(), found->pixel1.y(), found->pixel2.x(), found->pixel2.y(), found->world1.x(), found->world1.y(), found->world2.x(), found->world2.y()} : QList<int>();
    QCOMPARE(got, entries);
    QVERIFY(!found || found->picture == QSize(width, 100));
}

void TestPlacement::measuredAsPlaced_data()
{
    QTest::addColumn<QList<int>>("second"); // pixel, rounded, and world, where x = 1.1 (X + 2), y = 1.1 (2 - Y)
    QTest::addColumn<bool>("same");
    QTest::newRow("8 pixels apart across, one rounded") << QList<int>{52, 88, 45, -78} << false;
    QTest::newRow("8 pixels apart down, one rounded") << QList<int>{88, 19, 78, -15} << false;
}

// Two corners too close to tell the scale, once rounded, are no placement.
void TestPlacement::measuredAsPlaced()
{
    QFETCH(QList<int>, second);
    QFETCH(bool, same);
    QCOMPARE(placing::measuredAsPlaced({QSize(100, 100), QPoint(44, 11), QPoint(second[0], second[1]), QPoint(38, -8), QPoint(second[2], second[3])}, Placement{1.1, 2.2, -1.1, 2.2, 0, 0, 0, 0, {}, false, {}}), same);
}

void TestPlacement::sureEnough_data()
{
    QTest::addColumn<QList<double>>("figures"); // strength, lead, share, explained, fitted to floors
    QTest::addColumn<bool>("settled");
    QTest::addColumn<bool>("sure");
    QTest::newRow("every figure just enough, fitted to outlines") << QList<double>{0.12, 3, 0.45, 0.6, 0} << true << true;
    QTest::newRow("every figure just enough, fitted to floors") << QList<double>{0.12, 3, 0.2, 0.6, 1} << true << true;
    QTest::newRow("weak") << QList<double>{0.1199, 3, 0.45, 0.6, 0} << true << false;
    QTest::newRow("hardly ahead") << QList<double>{0.12, 2.999, 0.2, 0.6, 1} << true << false;
    QTest::newRow("little of the outline seen") << QList<double>{0.12, 3, 0.4499, 0.6, 0} << true << false;
    QTest::newRow("little of the floors' edges seen") << QList<double>{0.12, 3, 0.1999, 0.6, 1} << true << false;
    QTest::newRow("little of the picture explained") << QList<double>{0.12, 3, 0.45, 0.5999, 0} << true << false;
    QTest::newRow("not settled") << QList<double>{0.5, 10, 0.9, 0.9, 0} << false << false;
}

void TestPlacement::sureEnough()
{
    QFETCH(QList<double>, figures);
    QFETCH(bool, settled);
    QFETCH(bool, sure);
    QCOMPARE(placing::sureEnough(figures[0], figures[1], figures[2], figures[3], settled, figures[4] > 0), sure);
}

// The coarse search finds the level where it lies, and stops when asked.
void TestPlacement::coarseSearch()
{
    const Footprints level = boxes({QRectF(0, 0, 100, 60), QRectF(30, 20, 40, 70), QRectF(-50, -40, 30, 30)});
    const placing::Transform truth{1.6, 430, -1.6, 140};
    QImage picture = outlinePicture(level, truth, QSize(640, 300));
    QPainter(&picture).fillRect(0, 0, 220, 300, Qt::Dense4Pattern); // a busy stretch beside the level scores nothing
    std::vector<cv::Mat> maps = placing::edgePyramid(picture);
    const QRectF extent(-50, -40, 150, 130);
    bool stopped = false;
    QList<int> seen;
    const std::vector<placing::Candidate> found = placing::coarseSearch(maps.back(), 4, level, extent, [&](int percent) { seen << percent; return true; }, &stopped);
    QVERIFY(!stopped && found.size() == 10 && seen.size() == 43 && seen.back() == 58);
    QVERIFY2(placing::cornerGap(truth, found.front().t, QSize(640, 300)) < 8, qPrintable(QString::number(placing::cornerGap(truth, found.front().t, QSize(640, 300)))));
    for (size_t i = 1; i < found.size(); ++i)
        QVERIFY(found[i].score <= found[i - 1].score && placing::apart(found.front().t, found[i].t, 4) && found.back().score > 0);
    QVERIFY(std::any_of(found.begin(), found.end(), [&](const placing::Candidate &c) { return std::count_if(found.begin(), found.end(), [&](const placing::Candidate &d) { return d.t.a == c.t.a; }) > 1; })); // a scale's second peak
    QVERIFY(placing::coarseSearch(maps.back(), 4, level, extent, [](int percent) { return percent < 10; }, &stopped).empty() && stopped);
    // A blank picture gives no candidate; distinct ones differ in scale by more than 5 % or by 3 map pixels;
    // placements lie as far apart as at the farther of the picture's corners.
    QVERIFY(placing::coarseSearch(cv::Mat::zeros(100, 100, CV_8UC1), 4, level, extent, {}, &stopped).empty());
    const placing::Transform t0{1, 100, -1, 100};
    QVERIFY(!placing::apart(t0, {1.04, 112, -1, 88}, 4) && placing::apart(t0, {1.06, 100, -1, 100}, 4) && placing::apart(t0, {1, 112.5, -1, 100}, 4) && placing::apart(t0, {1, 100, -1, 87.5}, 4)
            && placing::cornerGap({1, 0, -1, 0}, {2, -10, -1, 0}, QSize(10, 10)) == 10);
    // Outlines are drawn smooth on black, the edges between floors as a mask.
    QVERIFY(cv::countNonZero(placing::drawnEdges(level, extent, 1, true) == 128) == 0 && cv::countNonZero(placing::drawnEdges(level, extent, 1, false) == 128) > 0 && placing::drawnEdges(level, extent, 1, false).at<uchar>(1, 1) == 0);
    // Floors only three shades apart still meet at an edge.
    QCOMPARE(placing::drawnEdges(boxes({QRectF(0, 0, 10, 10), QRectF(10, 3, 10, 10), QRectF(100, 176, 10, 10)}), QRectF(0, 0, 110, 186), 1, true).at<uchar>(180, 10), uchar(255));
    // With blank paper around it, the level spans the picture's edges.
    const std::optional<placing::Transform> spanned = placing::spanStart(placing::edgesOf(outlinePicture(level, truth, QSize(640, 300))), 1, extent);
    QVERIFY(spanned && placing::cornerGap(truth, *spanned, QSize(640, 300)) < 5 && !placing::spanStart(cv::Mat::zeros(100, 100, CV_8UC1), 1, extent));
    // A level too thin to draw at the smallest scales is passed over there.
    QVERIFY(placing::coarseSearch(maps.back(), 4, boxes({QRectF(0, 0, 4000, 8)}), QRectF(0, 0, 4000, 8), {}, &stopped).empty());
}

void TestPlacement::likeness_data()
{
    QTest::addColumn<int>("shape"); // the sample level, a square ring of walls, a room of unequal walls, the ring with a
                                    // pillar in a corner, the ring with one wall a unit thicker
    QTest::addColumn<int>("look");
    QTest::addColumn<bool>("mirrored"); // the picture made of the level mirrored where it lies
    QTest::addColumn<int>("change"); // none, cut to its left half, a legend painted beside it
    QTest::addColumn<bool>("alike");
    QTest::newRow("outlines") << 0 << int(placing::Look::Outlines) << false << 0 << true;
    QTest::newRow("floors shaded by height") << 0 << int(placing::Look::Floors) << false << 0 << true;
    QTest::newRow("floors in one shade") << 0 << int(placing::Look::Silhouette) << false << 0 << true;
    QTest::newRow("floors in one shade, mirrored") << 0 << int(placing::Look::Silhouette) << true << 0 << false;
    QTest::newRow("a ring, the same mirrored and turned: its picture either way") << 1 << int(placing::Look::Silhouette) << false << 0 << true;
    QTest::newRow("a ring with a pillar in a corner") << 3 << int(placing::Look::Silhouette) << false << 0 << true;
    QTest::newRow("a ring with a pillar in a corner, mirrored") << 3 << int(placing::Look::Silhouette) << true << 0 << false;
    QTest::newRow("a ring with a wall a unit thicker: a sliver apart mirrored") << 4 << int(placing::Look::Silhouette) << false << 0 << true;
    QTest::newRow("a room, whole") << 2 << int(placing::Look::Outlines) << false << 0 << true;
    QTest::newRow("a room cut through, its width unknown") << 2 << int(placing::Look::Outlines) << false << 1 << false;
    QTest::newRow("a ring's outlines with a legend beside") << 1 << int(placing::Look::Outlines) << false << 2 << true;
}

// From a few pixels off, the level drawn in the picture's look settles
// within a fraction of a pixel of where it lies; a match is given as sure only when nothing else, the
// level mirrored or turned included, matches nearly as well and the
// picture holds every corner.
void TestPlacement::likeness()
{
    QFETCH(int, shape);
    QFETCH(int, look);
    QFETCH(bool, mirrored);
    QFETCH(int, change);
    QFETCH(bool, alike);
    const QList<Footprints> levels{sampleLevel(), boxes({QRectF(0, 0, 512, 32), QRectF(0, 480, 512, 32), QRectF(0, 32, 32, 448), QRectF(480, 32, 32, 448)}),
                                   boxes({QRectF(0, 0, 1024, 16), QRectF(0, 464, 1024, 48), QRectF(0, 16, 24, 448), QRectF(1008, 16, 16, 448), QRectF(700, 100, 64, 64)}),
                                   boxes({QRectF(0, 0, 512, 32), QRectF(0, 480, 512, 32), QRectF(0, 32, 32, 448), QRectF(480, 32, 32, 448), QRectF(40, 40, 16, 16)}),
                                   boxes({QRectF(0, 0, 512, 32), QRectF(0, 480, 512, 32), QRectF(0, 32, 32, 448), QRectF(479, 32, 33, 448)})};
    const Footprints &level = levels[shape];
    QRectF extent;
    for (const QPolygonF &outline : level.outlines)
        extent = extent.united(outline.boundingRect());
    const auto style = look == int(placing::Look::Outlines) ? LevelPictureStyle::Outline : LevelPictureStyle::Floors;
    const std::optional<LevelPicture> made = levelPicture(mirrored ? placing::turned(level, extent.center(), 1) : level, 700, style);
    QImage image = look == int(placing::Look::Silhouette) ? filled(made->image) : made->image;
    if (change == 1) // and grainy: the misfit left tells how loosely its width is held
        image = image.copy(0, 0, image.width() / 2, image.height());
    for (int y = 0; change == 1 && y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const int grey = std::clamp(qGray(image.pixel(x, y)) + (x * 7919 + y * 104729) % 61 - 30, 0, 255);
            image.setPixel(x, y, qRgb(grey, grey, grey));
        }
    }
    if (change == 2) {
        QImage beside(image.width() + 240, image.height(), QImage::Format_RGB32);
        beside.fill(image.pixel(0, 0));
        QPainter painter(&beside);
        painter.drawImage(0, 0, image);
        painter.setBrush(QColor(255, 255, 200));
        painter.drawRect(image.width() + 20, 40, 200, 120);
        for (int line = 0; line < 5; ++line)
            painter.fillRect(image.width() + 30, 55 + 20 * line, 120 + 13 * line, 6, Qt::black);
        painter.end();
        image = beside;
    }
    const Calibration c = *calibrate(made->entries);
    const double across = made->image.width() / (c.exactEndX - c.exactOriginX), down = made->image.height() / (c.exactEndY - c.exactOriginY);
    const placing::Transform truth{across, across * (extent.center().x() - c.exactOriginX), down, down * (extent.center().y() - c.exactOriginY)};
    const placing::Transform start{truth.a * 1.01, truth.b + 3, truth.c * 1.01, truth.d - 2};
    const placing::Match m = placing::matchLooks(placing::greyPyramid(image, 3), 0, level, extent, {start}, [] { return true; });
    QCOMPARE(placing::alikeEnough(m), alike);
    QVERIFY(change != 1 || m.pinned < 0.004); // the cut room's width, and so its far corner, is not held
    if (alike)
        QVERIFY2(placing::cornerGap(truth, m.t, image.size()) < 0.25 && int(m.look) == look, qPrintable(QString::number(placing::cornerGap(truth, m.t, image.size()))));
}

void TestPlacement::correlation_data()
{
    QTest::addColumn<int>("kind"); // of the second map: the first, its shades reversed, flat, flat but for a trace
    QTest::addColumn<double>("expected");
    QTest::newRow("alike") << 0 << 1.0;
    QTest::newRow("the shades reversed") << 1 << -1.0;
    QTest::newRow("a flat picture is like nothing") << 2 << 0.0;
    QTest::newRow("a drawing seen all but off the picture is like nothing") << 3 << 0.0;
}

// A blank picture must not read as a perfect likeness of any drawing.
void TestPlacement::correlation()
{
    QFETCH(int, kind);
    QFETCH(double, expected);
    cv::Mat ramp(4, 8, CV_32F);
    for (int i = 0; i < 32; ++i)
        ramp.at<float>(i / 8, i % 8) = float(i % 8) / 7;
    cv::Mat other = kind == 0 ? ramp : kind == 1 ? cv::Mat(1 - ramp) : cv::Mat(4, 8, CV_32F, cv::Scalar(0.5));
    if (kind == 3)
        other.at<float>(1, 7) += 1e-5f;
    QVERIFY(std::abs(placing::correlation(other, ramp) - expected) < 1e-5);
}

void TestPlacement::turnedLead_data()
{
    QTest::addColumn<double>("aside"); // the other drawing's placement from this one's, the picture's, in pixels
    QTest::addColumn<bool>("moved");   // the other drawing's pillar in the opposite corner
    QTest::addColumn<bool>("told");    // whether the picture tells them apart
    QTest::newRow("the same drawing half a pixel aside") << 0.5 << false << false;
    QTest::newRow("a pillar in the other corner") << 0.0 << true << true;
}

// Only a patch where two drawings differ tells them apart, not the slivers
// along every edge that placements a fraction of a pixel apart differ in.
void TestPlacement::turnedLead()
{
    QFETCH(double, aside);
    QFETCH(bool, moved);
    QFETCH(bool, told);
    const Footprints own = boxes({QRectF(0, 0, 200, 20), QRectF(0, 180, 200, 20), QRectF(0, 20, 20, 160), QRectF(180, 20, 20, 160), QRectF(30, 30, 20, 20)});
    const QPointF centre(100, 100);
    const placing::Drawing mine = placing::drawLook(own, QRectF(0, 0, 200, 200), 3, placing::Look::Silhouette);
    const placing::Drawing theirs = placing::drawLook(moved ? placing::turned(own, centre, 1) : own, QRectF(0, 0, 200, 200), 3, placing::Look::Silhouette);
    const cv::Mat picture = placing::seenAt(mine, {1.5, 160, -1.5, 160}, centre, 1, cv::Size(320, 320));
    const double lead = placing::turnedLead(picture, 1, mine, {{1.5, 160, -1.5, 160}, 1, 1, 0}, theirs, {{1.5, 160 + aside, -1.5, 160 + aside}, 1, 1, 0}, centre);
    QVERIFY2(std::isinf(lead) != told && (!told || lead > 100), qPrintable(QString::number(lead)));
}

void TestPlacement::alikeEnough_data()
{
    QTest::addColumn<QList<double>>("figures"); // likeness, runner-up, turned lead, pinned, x scale over y scale
    QTest::addColumn<bool>("sure");
    QTest::newRow("every figure just enough") << QList<double>{0.85, 0.54, 3, 0.004, 1.15} << true;
    QTest::newRow("scales apart the other way") << QList<double>{0.99, 0.5, 10, 1, 1 / 1.15} << true;
    QTest::newRow("hardly alike") << QList<double>{0.8499, 0, 10, 1, 1} << false;
    QTest::newRow("a match elsewhere nearly as good") << QList<double>{0.99, 0.9701, 10, 1, 1} << false;
    QTest::newRow("mirrored or turned nearly as good") << QList<double>{0.99, 0.5, 2.999, 1, 1} << false;
    QTest::newRow("a corner loosely held") << QList<double>{0.99, 0.5, 10, 0.0039, 1} << false;
    QTest::newRow("scales too far apart") << QList<double>{0.99, 0.5, 10, 1, 1.16} << false;
    QTest::newRow("scales too far apart the other way") << QList<double>{0.99, 0.5, 10, 1, 1 / 1.16} << false;
}

void TestPlacement::alikeEnough()
{
    QFETCH(QList<double>, figures);
    QFETCH(bool, sure);
    placing::Match m;
    m.t = {figures[4], 0, -1, 0};
    m.likeness = figures[0];
    m.runnerUp = figures[1];
    m.turnedLead = figures[2];
    m.pinned = figures[3];
    QCOMPARE(placing::alikeEnough(m), sure);
}

QTEST_MAIN(TestPlacement)
#include "tst_placement.moc"
