#include "testsupport.h"

#include <QBuffer>
#include <QDir>
#include <QRegularExpression>
#include <QtEndian>

#include <sys/stat.h>

namespace {

const QColor red(255, 0, 0);

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format);
    return bytes;
}

// Creates the named fixture at path; false when it cannot be made here.
bool makeFixture(const QString &kind, const QString &path)
{
    QFile file(path);
    if (kind == "png" || kind == "jpeg") {
        QImage image(kind == "png" ? QSize(64, 48) : QSize(40, 30), QImage::Format_RGB32);
        image.fill(red);
        return image.save(path, kind == "png" ? "PNG" : "JPG");
    }
    if (kind == "gif") // 1 x 1, named .png: the content decides how it is read
        return file.open(QIODevice::WriteOnly)
                && file.write(QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw=="));
    if (kind == "empty")
        return file.open(QIODevice::WriteOnly);
    if (kind == "directory")
        return QDir().mkdir(path);
    if (kind == "pipe") // with no writer, opening it would block for good
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    return kind == "missing";
}

int inkPixels(const QImage &shot)
{
    int ink = 0;
    for (int y = 0; y < shot.height(); ++y) {
        for (int x = 0; x < shot.width(); ++x)
            ink += shot.pixelColor(x, y) != QColor(Qt::gray);
    }
    return ink;
}

} // namespace

class TestLoading : public QObject
{
    Q_OBJECT

private slots:
    void doors_data();
    void doors();
    void dragsTakenAsCopies();
    void largePictures_data();
    void largePictures();
    void replacingNeverHoldsTwo();
};

void TestLoading::doors_data()
{
    QTest::addColumn<QString>("door");
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QSize>("size");

    const QList<std::pair<const char *, QSize>> fixtures = {
        {"png", QSize(64, 48)}, {"jpeg", QSize(40, 30)}, {"gif", QSize(1, 1)}, {"empty", QSize()},
        {"directory", QSize()}, {"pipe", QSize()}, {"missing", QSize()}};
    for (const char *door : {"drop"}) {
        for (const auto &[fixture, size] : fixtures)
            QTest::addRow("%s: %s", door, fixture) << door << fixture << size;
    }
}

// Every way in replaces a good picture with the fixture and shows the same
// result: the new picture and its size, or 0 x 0 without the hint.
void TestLoading::doors()
{
    QFETCH(QString, door);
    QFETCH(QString, fixture);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    const QString path = dir.filePath(fixture == "jpeg" ? "map.jpg" : "map.png");
    Vellamor window;
    QVERIFY(showActive(window, QSize(900, 600)));
    QVERIFY(dropFile(&window, writePicture(dir, "first.png", 30, 20)));
    QVERIFY(makeFixture(fixture, path));

    QVERIFY(dropFile(&window, path));

    const QSize shown = size.isValid() ? size : QSize(0, 0);
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), shown);
    QCOMPARE(sizeLabels(window), QString("w = %1, h = %2").arg(shown.width()).arg(shown.height()));
    const QImage shot = window.form.paintWidget->grab().toImage();
    if (fixture == "png" || fixture == "jpeg")
        QVERIFY(qAbs(shot.pixelColor(5, 5).red() - 255) < 8 && shot.pixelColor(5, 5).blue() < 8);
    if (!size.isValid())
        QVERIFY2(inkPixels(shot) < 16, "the old picture or the hint is still shown");
}

// Taken drags are reported as copies, so that no source deletes the file;
// the view passes drops on to the window.
void TestLoading::dragsTakenAsCopies()
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, "map.png", 30, 20);
    Vellamor window;
    QVERIFY(showActive(window));
    QMimeData one;
    one.setUrls({QUrl::fromLocalFile(path)});
    for (const Qt::DropAction proposed : {Qt::MoveAction, Qt::LinkAction, Qt::CopyAction})
        QCOMPARE(dragAndDrop(window.form.paintWidget, &one, proposed), Qt::CopyAction);
    QCOMPARE(window.imageWidth, 30);

    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)});
    QMimeData text;
    text.setText(path);
    QCOMPARE(dragAndDrop(&window, &two), Qt::IgnoreAction);
    QCOMPARE(dragAndDrop(&window, &text), Qt::IgnoreAction);
}

void TestLoading::largePictures_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QSize>("size");
    QTest::addColumn<QString>("warning"); // what the decoder says of it

    // Headers claiming a size; the data behind them is a 16 x 16 picture.
    QImage small(16, 16, QImage::Format_RGB32);
    small.fill(red);
    QByteArray jpeg = encoded(small, "JPG");
    const qsizetype frame = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    qToBigEndian<quint16>(16384, jpeg.data() + frame + 5);
    qToBigEndian<quint16>(16384, jpeg.data() + frame + 7);
    QTest::newRow("16384 x 16384 at 4 bytes a pixel loads") << jpeg << QSize(16384, 16384)
                                                            << "premature end of data";
    QByteArray bmp = encoded(small, "BMP");
    qToLittleEndian<qint32>(100000, bmp.data() + 18);
    qToLittleEndian<qint32>(100000, bmp.data() + 22);
    QTest::newRow("100000 x 100000 refused without allocating") << bmp << QSize(0, 0) << QString();
}

void TestLoading::largePictures()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QSize, size);
    QFETCH(QString, warning);
    QTemporaryDir dir;
    const QString path = writeBytes(dir, "large.png", bytes);
    PaintWidget view(nullptr);
    const bool peakKnown = resetPeakResident();
    const qint64 before = residentKiB("VmRSS:");
    qint32 width = -1, height = -1;
    if (!warning.isEmpty())
        QTest::ignoreMessage(QtWarningMsg, QRegularExpression(warning));
    view.loadImage(path, &width, &height);
    QCOMPARE(QSize(width, height), size);
    if (peakKnown && size.isEmpty())
        QVERIFY(residentKiB("VmHWM:") - before < 64 * 1024);
}

// Each picture is freed before the next is decoded, so replacing a large map
// by another never needs room for both.
void TestLoading::replacingNeverHoldsTwo()
{
    QTemporaryDir dir;
    const QString first = writePicture(dir, "first.png", 4096, 4096, QColor(1, 2, 3));
    const QString second = writePicture(dir, "second.png", 4096, 4096, QColor(4, 5, 6));
    PaintWidget view(nullptr);
    qint32 width = 0, height = 0;
    view.loadImage(first, &width, &height);
    const qint64 before = residentKiB("VmRSS:");
    if (!resetPeakResident())
        QSKIP("the peak resident size cannot be measured here");
    view.loadImage(second, &width, &height);
    QCOMPARE(width, 4096);
    const qint64 grown = residentKiB("VmHWM:") - before;
    QVERIFY2(grown < 4096 * 4096 * 4 / 1024 / 2, qPrintable(QString("peak grew by %1 KiB").arg(grown)));
}

QTEST_MAIN(TestLoading)
#include "tst_loading.moc"
