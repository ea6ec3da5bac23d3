#include "paintwidget.h"
#include "testsupport.h"

#include <QFontMetrics>
#include <QTest>

namespace {

const QColor ground = QColor(Qt::gray);

// Columns and rows holding anything but the gray ground.
QRect inkBounds(const QImage &image)
{
    QRect bounds;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            if (image.pixelColor(x, y) != ground)
                bounds |= QRect(x, y, 1, 1);
        }
    }
    return bounds;
}

} // namespace

class TestPaintWidget : public QObject
{
    Q_OBJECT

private slots:
    void hintCentred_data();
    void hintCentred();
    void hintWiderThanWidget();
    void pictureAndRectangle_data();
    void pictureAndRectangle();
    void noRectangleWithoutPickRefs();
    void failedLoadShowsNoHint();
    void minimumSizeFollowsPicture_data();
    void minimumSizeFollowsPicture();
    void largePictureLoads();
    void replacingNeverHoldsTwo();
};

void TestPaintWidget::hintCentred_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("odd width") << QSize(401, 450);
    QTest::newRow("even width") << QSize(600, 400);
}

void TestPaintWidget::hintCentred()
{
    QFETCH(QSize, size);
    PaintWidget view(nullptr);
    view.resize(size);
    const QImage shot = view.grab().toImage();
    QCOMPARE(shot.pixelColor(0, 0), ground);
    QCOMPARE(shot.pixelColor(size.width() - 1, size.height() - 1), ground);

    const QFontMetrics metrics(view.font());
    const QString hint = "Drag and drop a png/jpg.";
    const int x = size.width() / 2 - metrics.horizontalAdvance(hint) / 2;
    const int baseline = size.height() / 2;
    const QRect ink = inkBounds(shot);
    QVERIFY(!ink.isEmpty());
    // Glyph bearings keep the ink a pixel or two inside the advance.
    QVERIFY2(qAbs(ink.left() - x) <= 2, qPrintable(QString::number(ink.left())));
    QVERIFY(ink.right() <= x + metrics.horizontalAdvance(hint) + 1);
    QVERIFY(ink.top() >= baseline - metrics.ascent() - 1);
    QVERIFY(ink.top() < baseline);
    QVERIFY(ink.bottom() <= baseline + metrics.descent() + 1);
}

void TestPaintWidget::hintWiderThanWidget()
{
    PaintWidget view(nullptr);
    view.resize(60, 100);
    const QImage shot = view.grab().toImage();
    const QRect ink = inkBounds(shot);
    // Cut on both sides, not wrapped onto a second line.
    QCOMPARE(ink.left(), 0);
    QCOMPARE(ink.right(), 59);
    QVERIFY(ink.height() <= QFontMetrics(view.font()).height());
}

void TestPaintWidget::pictureAndRectangle_data()
{
    QTest::addColumn<QPoint>("p1");
    QTest::addColumn<QPoint>("p2");

    QTest::newRow("point 2 right of and below point 1") << QPoint(20, 30) << QPoint(120, 90);
    QTest::newRow("point 2 left of and above point 1") << QPoint(120, 90) << QPoint(20, 30);
}

void TestPaintWidget::pictureAndRectangle()
{
    QFETCH(QPoint, p1);
    QFETCH(QPoint, p2);
    QTemporaryDir dir;
    const QString path = writePicture(dir, "map.png", 200, 150, QColor(0, 0, 255));
    PaintWidget view(nullptr);
    qint32 picks[4] = {p1.x(), p1.y(), p2.x(), p2.y()};
    for (int i = 0; i < 4; ++i)
        view.pickRefs[i] = &picks[i];
    qint32 width = -1, height = -1;
    view.loadImage(path, &width, &height);
    view.resize(400, 400);
    const QImage shot = view.grab().toImage();

    // Unscaled at the top-left, gray beyond it.
    QCOMPARE(shot.pixelColor(199, 149), QColor(0, 0, 255));
    QCOMPARE(shot.pixelColor(199, 0), QColor(0, 0, 255));
    QCOMPARE(shot.pixelColor(200, 10), ground);
    QCOMPARE(shot.pixelColor(10, 150), ground);

    const QColor inside = shot.pixelColor(70, 60);
    QVERIFY2(inside.green() > 20 && inside.green() < 60 && inside.blue() < 250,
             qPrintable(inside.name()));
    const QColor edge = shot.pixelColor(20, 60);
    QVERIFY2(edge.green() > 100, qPrintable(edge.name()));
    QCOMPARE(shot.pixelColor(10, 60), QColor(0, 0, 255));
    QCOMPARE(shot.pixelColor(160, 60), QColor(0, 0, 255));
    QCOMPARE(shot.pixelColor(70, 10), QColor(0, 0, 255));

    // The values are read at paint time, not when the pointers were set.
    picks[0] = 150;
    picks[2] = 190;
    const QImage moved = view.grab().toImage();
    QCOMPARE(moved.pixelColor(70, 60), QColor(0, 0, 255));
}

void TestPaintWidget::noRectangleWithoutPickRefs()
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, "map.png", 50, 50, QColor(0, 0, 255));
    PaintWidget view(nullptr);
    qint32 width = 0, height = 0;
    view.loadImage(path, &width, &height);
    view.resize(400, 400);
    const QImage shot = view.grab().toImage();
    QCOMPARE(shot.pixelColor(0, 0), QColor(0, 0, 255));
    QCOMPARE(shot.pixelColor(25, 25), QColor(0, 0, 255));
}

void TestPaintWidget::failedLoadShowsNoHint()
{
    QTemporaryDir dir;
    const QString good = writePicture(dir, "good.png", 64, 64);
    PaintWidget view(nullptr);
    view.resize(400, 400);
    qint32 width = 0, height = 0;
    view.loadImage(good, &width, &height);
    QCOMPARE(width, 64);
    view.loadImage(dir.filePath("missing.png"), &width, &height);
    QCOMPARE(width, 0);
    QCOMPARE(height, 0);
    QCOMPARE(view.minimumSize(), QSize(0, 0));
    QVERIFY(inkBounds(view.grab().toImage()).isEmpty());
}

void TestPaintWidget::minimumSizeFollowsPicture_data()
{
    QTest::addColumn<QSize>("size");
    QTest::newRow("larger than the form's minimum") << QSize(640, 480);
    QTest::newRow("smaller than the form's minimum") << QSize(100, 80);
    QTest::newRow("wide and short") << QSize(900, 20);
    QTest::newRow("one pixel") << QSize(1, 1);
}

void TestPaintWidget::minimumSizeFollowsPicture()
{
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = writePicture(dir, "map.png", size.width(), size.height());
    PaintWidget view(nullptr);
    view.setMinimumSize(400, 400);
    qint32 width = 0, height = 0;
    view.loadImage(path, &width, &height);
    QCOMPARE(QSize(width, height), size);
    QCOMPARE(view.minimumSize(), size);
}

void TestPaintWidget::largePictureLoads()
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, "big.png", 6000, 6000, QColor(10, 200, 30));
    QVERIFY(!path.isEmpty());
    PaintWidget view(nullptr);
    qint32 width = 0, height = 0;
    view.loadImage(path, &width, &height);
    QCOMPARE(width, 6000);
    QCOMPARE(height, 6000);
}

// Each map is freed before the next is decoded, so replacing one large
// picture by another never needs room for both.
void TestPaintWidget::replacingNeverHoldsTwo()
{
    if (!residentSizesMeaningful || !resetPeakResident())
        QSKIP("the peak resident size cannot be reset here");
    QTemporaryDir dir;
    const QString first = writePicture(dir, "first.png", 4096, 4096, QColor(1, 2, 3));
    const QString second = writePicture(dir, "second.png", 4096, 4096, QColor(4, 5, 6));
    constexpr qint64 pictureKiB = 4096LL * 4096 * 4 / 1024;

    PaintWidget view(nullptr);
    qint32 width = 0, height = 0;
    view.loadImage(first, &width, &height);
    const qint64 before = residentKiB("VmRSS:");
    QVERIFY(resetPeakResident());
    view.loadImage(second, &width, &height);
    QCOMPARE(width, 4096);
    const qint64 peak = residentKiB("VmHWM:");
    QVERIFY2(peak - before < pictureKiB / 2,
             qPrintable(QString("peak grew by %1 KiB").arg(peak - before)));
}

QTEST_MAIN(TestPaintWidget)
#include "tst_paintwidget.moc"
