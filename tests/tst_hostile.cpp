#include "paintwidget.h"
#include "pngencoder.h"
#include "testsupport.h"
#include "vellamor.h"

#include <QBuffer>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QRandomGenerator>
#include <QSpinBox>
#include <QTest>

#include <sys/stat.h>

namespace {

const QSize goodSize(64, 48);

QImage noise(const QSize &size, quint32 seed)
{
    QImage image(size, QImage::Format_RGB32);
    QRandomGenerator random(seed);
    for (int y = 0; y < size.height(); ++y) {
        for (int x = 0; x < size.width(); ++x)
            image.setPixel(x, y, 0xff000000u | (random.generate() & 0xffffffu));
    }
    return image;
}

QByteArray encoded(const QImage &image, const char *format)
{
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    image.save(&buffer, format, 90);
    return bytes;
}

// An uncompressed GIF: 7-bit codes, a clear code before every 100 pixels,
// so every code is one byte and the table never widens.
QByteArray gifPicture(int width, int height)
{
    QByteArray out("GIF89a");
    auto le16 = [&](int v) { out.append(char(v & 0xff)).append(char(v >> 8)); };
    le16(width);
    le16(height);
    out.append(char(0xf6)).append('\0').append('\0');
    for (int i = 0; i < 128; ++i)
        out.append(char(i * 2)).append(char(255 - i * 2)).append(char(7));
    out.append(char(0x2c));
    le16(0);
    le16(0);
    le16(width);
    le16(height);
    out.append('\0').append(char(7));
    QByteArray codes;
    for (int i = 0; i < width * height; ++i) {
        if (i % 100 == 0)
            codes.append(char(128));
        codes.append(char(i % 128));
    }
    codes.append(char(129));
    for (qsizetype i = 0; i < codes.size(); i += 255) {
        const QByteArray block = codes.mid(i, 255);
        out.append(char(block.size())).append(block);
    }
    out.append('\0').append(char(0x3b));
    return out;
}

// The good JPEG with its frame header claiming width x height.
QByteArray jpegClaiming(QByteArray jpeg, quint16 width, quint16 height)
{
    const qsizetype sof = jpeg.indexOf(QByteArray("\xff\xc0", 2));
    if (sof < 0)
        return {};
    jpeg[sof + 5] = char(height >> 8);
    jpeg[sof + 6] = char(height & 0xff);
    jpeg[sof + 7] = char(width >> 8);
    jpeg[sof + 8] = char(width & 0xff);
    return jpeg;
}

bool labelsMatch(const Vellamor &window)
{
    return window.form.wLabel->text() == QString("w = %1").arg(window.imageWidth)
            && window.form.hLabel->text() == QString("h = %1").arg(window.imageHeight)
            && window.imageWidth >= 0 && window.imageHeight >= 0;
}

struct Fixture
{
    QString name;
    QString path;
};

} // namespace

class TestHostile : public QObject
{
    Q_OBJECT

private slots:
    void initTestCase();
    void corpusOnOneWindow();
    void specialFiles_data();
    void specialFiles();
    void hugeHeadersAllocateNothing_data();
    void hugeHeadersAllocateNothing();
    void pngFormats_data();
    void pngFormats();
    void longSession();

private:
    QTemporaryDir dir;
    QByteArray png;
    QByteArray jpeg;
    QString goodPath;
};

void TestHostile::initTestCase()
{
    QVERIFY(dir.isValid());
    png = encoded(noise(goodSize, 7), "PNG");
    jpeg = encoded(noise(goodSize, 8), "JPG");
    QVERIFY(png.size() > 1000 && jpeg.size() > 1000);
    goodPath = writeBytes(dir, "good.png", png);
}

void TestHostile::corpusOnOneWindow()
{
    QList<Fixture> corpus;
    auto add = [&](const QString &name, const QByteArray &bytes) {
        corpus.append({name, writeBytes(dir, QString("corpus-%1.%2").arg(corpus.size())
                                                .arg(name.startsWith("jpeg") ? "jpg" : "png"), bytes)});
    };
    const qsizetype pngData = png.indexOf("IDAT");
    const qsizetype jpegScan = jpeg.indexOf(QByteArray("\xff\xda", 2));
    QVERIFY(pngData > 0 && jpegScan > 0);
    const QList<std::pair<QString, qsizetype>> pngCuts = {
        {"signature only", 8}, {"mid-header", 20}, {"header only", 33},
        {"mid-data", (pngData + png.size()) / 2}, {"missing end", png.size() - 12},
        {"last byte missing", png.size() - 1}};
    for (const auto &[what, at] : pngCuts)
        add("png " + what, png.left(at));
    const QList<std::pair<QString, qsizetype>> jpegCuts = {
        {"start marker only", 2}, {"mid-header", jpegScan / 2}, {"header only", jpegScan + 2},
        {"mid-data", (jpegScan + jpeg.size()) / 2}, {"missing end", jpeg.size() - 2}};
    for (const auto &[what, at] : jpegCuts)
        add("jpeg " + what, jpeg.left(at));

    QRandomGenerator random(2026);
    for (const QByteArray *source : {&png, &jpeg}) {
        for (int variant = 0; variant < 200; ++variant) {
            QByteArray bytes = *source;
            const int flips = 1 + int(random.bounded(8));
            for (int f = 0; f < flips; ++f) {
                const auto at = qsizetype(random.bounded(quint32(bytes.size())));
                bytes[at] = char(bytes[at] ^ (1 << random.bounded(8)));
            }
            add(QString("%1 flipped %2").arg(source == &png ? "png" : "jpeg").arg(variant), bytes);
        }
    }

    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    for (const Fixture &fixture : corpus) {
        QVERIFY2(dropFile(&window, fixture.path), qPrintable(fixture.name));
        QVERIFY2(labelsMatch(window), qPrintable(fixture.name));
    }
    QVERIFY(dropFile(&window, goodPath));
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), goodSize);
    QCOMPARE(window.form.paintWidget->grab().toImage().pixel(0, 0), noise(goodSize, 7).pixel(0, 0));
}

void TestHostile::specialFiles_data()
{
    QTest::addColumn<QString>("kind");
    QTest::addColumn<QSize>("size");

    QTest::newRow("empty file") << "empty" << QSize(0, 0);
    QTest::newRow("text named png") << "text" << QSize(0, 0);
    QTest::newRow("GIF named png") << "gif" << QSize(37, 21);
    QTest::newRow("BMP named png") << "bmp" << QSize(45, 17);
    QTest::newRow("symbolic link to a picture") << "link" << goodSize;
    QTest::newRow("dangling link") << "dangling" << QSize(0, 0);
    QTest::newRow("directory") << "directory" << QSize(0, 0);
    QTest::newRow("named pipe") << "pipe" << QSize(0, 0);
}

void TestHostile::specialFiles()
{
    QFETCH(QString, kind);
    QFETCH(QSize, size);
    QTemporaryDir here;
    const QString path = here.filePath("x.png");
    if (kind == "empty") {
        QVERIFY(!writeBytes(here, "x.png", {}).isEmpty());
    } else if (kind == "text") {
        QVERIFY(!writeBytes(here, "x.png", "a list of things to do\n").isEmpty());
    } else if (kind == "gif") {
        QVERIFY(!writeBytes(here, "x.png", gifPicture(37, 21)).isEmpty());
    } else if (kind == "bmp") {
        QVERIFY(!writeBytes(here, "x.png", encoded(noise(QSize(45, 17), 3), "BMP")).isEmpty());
    } else if (kind == "link") {
        QVERIFY(QFile::link(goodPath, path));
    } else if (kind == "dangling") {
        QVERIFY(QFile::link(here.filePath("nothing.png"), path));
    } else if (kind == "directory") {
        QVERIFY(QDir(here.path()).mkdir("x.png"));
    } else if (kind == "pipe") {
        QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
    }

    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(dropFile(&window, goodPath));
    // A pipe with no writer would block the window here for good.
    QVERIFY(dropFile(&window, path));
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), size);
    QVERIFY(labelsMatch(window));
    QVERIFY(dropFile(&window, goodPath));
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), goodSize);
}

void TestHostile::hugeHeadersAllocateNothing_data()
{
    QTest::addColumn<QByteArray>("bytes");
    QTest::addColumn<QString>("name");

    QTest::newRow("PNG claiming 100000 x 100000")
            << PngEncoder::header(100000, 100000, 8, 6) + PngEncoder::chunk("IEND", {}) << "huge.png";
    QTest::newRow("PNG with data claiming 100000 x 100000")
            << PngEncoder::header(100000, 100000, 8, 2)
               + PngEncoder::chunk("IDAT", qCompress(QByteArray(4096, '\0')).mid(4))
               + PngEncoder::chunk("IEND", {}) << "huge-data.png";
    // A JPEG frame header holds 16-bit sizes; 65500 x 65500 is the most it can claim.
    QTest::newRow("JPEG claiming 65500 x 65500")
            << jpegClaiming(encoded(noise(goodSize, 8), "JPG"), 65500, 65500) << "huge.jpg";
}

void TestHostile::hugeHeadersAllocateNothing()
{
    QFETCH(QByteArray, bytes);
    QFETCH(QString, name);
    QVERIFY(!bytes.isEmpty());
    QTemporaryDir here;
    const QString path = writeBytes(here, name, bytes);
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const bool canMeasurePeak = residentSizesMeaningful && resetPeakResident();
    const qint64 before = residentKiB("VmRSS:");
    QElapsedTimer timer;
    timer.start();
    QVERIFY(dropFile(&window, path));
    // Generous: a refused header answers in milliseconds; this only catches
    // a decoder that sets out to fill billions of pixels.
    QVERIFY(timer.elapsed() < 5000);
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), QSize(0, 0));
    if (canMeasurePeak)
        QVERIFY2(residentKiB("VmHWM:") - before < 64 * 1024,
                 qPrintable(QString("peak grew by %1 KiB").arg(residentKiB("VmHWM:") - before)));
}

void TestHostile::pngFormats_data()
{
    QTest::addColumn<int>("bitDepth");
    QTest::addColumn<int>("colourType");
    QTest::addColumn<QList<int>>("first");
    QTest::addColumn<QList<int>>("rest");
    QTest::addColumn<QByteArray>("palette");
    QTest::addColumn<QColor>("shown");

    const QByteArray palette("\x00\x00\x00\x0c\x22\x38\xff\xff\xff", 9);
    const QByteArray palette256 = palette + QByteArray(247 * 3, '\x10');
    const QColor paletteColour(0x0c, 0x22, 0x38);
    QTest::newRow("gray 1-bit") << 1 << 0 << QList<int>{1} << QList<int>{0} << QByteArray() << QColor(255, 255, 255);
    QTest::newRow("gray 2-bit") << 2 << 0 << QList<int>{1} << QList<int>{3} << QByteArray() << QColor(85, 85, 85);
    QTest::newRow("gray 4-bit") << 4 << 0 << QList<int>{3} << QList<int>{0} << QByteArray() << QColor(51, 51, 51);
    QTest::newRow("gray 8-bit") << 8 << 0 << QList<int>{64} << QList<int>{0} << QByteArray() << QColor(64, 64, 64);
    QTest::newRow("gray 16-bit") << 16 << 0 << QList<int>{0x4040} << QList<int>{0} << QByteArray() << QColor(64, 64, 64);
    QTest::newRow("rgb 8-bit") << 8 << 2 << QList<int>{10, 200, 30} << QList<int>{0, 0, 0} << QByteArray() << QColor(10, 200, 30);
    QTest::newRow("rgb 16-bit") << 16 << 2 << QList<int>{0x0a0a, 0xc8c8, 0x1e1e} << QList<int>{0, 0, 0} << QByteArray() << QColor(10, 200, 30);
    QTest::newRow("palette 1-bit") << 1 << 3 << QList<int>{1} << QList<int>{0} << palette.left(6) << paletteColour;
    QTest::newRow("palette 2-bit") << 2 << 3 << QList<int>{1} << QList<int>{2} << palette << paletteColour;
    QTest::newRow("palette 4-bit") << 4 << 3 << QList<int>{1} << QList<int>{2} << palette << paletteColour;
    QTest::newRow("palette 8-bit") << 8 << 3 << QList<int>{1} << QList<int>{200} << palette256 << paletteColour;
    QTest::newRow("gray with alpha 8-bit") << 8 << 4 << QList<int>{64, 255} << QList<int>{0, 0} << QByteArray() << QColor(64, 64, 64);
    QTest::newRow("gray with alpha 16-bit") << 16 << 4 << QList<int>{0x4040, 0xffff} << QList<int>{0, 0} << QByteArray() << QColor(64, 64, 64);
    QTest::newRow("rgba 8-bit") << 8 << 6 << QList<int>{10, 200, 30, 255} << QList<int>{0, 0, 0, 0} << QByteArray() << QColor(10, 200, 30);
    QTest::newRow("rgba 16-bit") << 16 << 6 << QList<int>{0x0a0a, 0xc8c8, 0x1e1e, 0xffff} << QList<int>{0, 0, 0, 0} << QByteArray() << QColor(10, 200, 30);
    QTest::newRow("rgba transparent corner") << 8 << 6 << QList<int>{10, 200, 30, 0} << QList<int>{0, 0, 0, 255} << QByteArray() << QColor(Qt::gray);
}

void TestHostile::pngFormats()
{
    QFETCH(int, bitDepth);
    QFETCH(int, colourType);
    QFETCH(QList<int>, first);
    QFETCH(QList<int>, rest);
    QFETCH(QByteArray, palette);
    QFETCH(QColor, shown);
    QTemporaryDir here;
    const QString path = writeBytes(here, "format.png",
                                    PngEncoder::encode(9, 7, bitDepth, colourType, first, rest, palette));
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    // Keep the rectangle's pen clear of the corner being checked.
    window.form.p2x->setValue(60);
    window.form.p2y->setValue(60);
    window.form.p1x->setValue(50);
    window.form.p1y->setValue(50);
    QVERIFY(dropFile(&window, path));
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), QSize(9, 7));
    const QColor corner = window.form.paintWidget->grab().toImage().pixelColor(0, 0);
    QVERIFY2(qAbs(corner.red() - shown.red()) <= 1 && qAbs(corner.green() - shown.green()) <= 1
                     && qAbs(corner.blue() - shown.blue()) <= 1,
             qPrintable(corner.name()));
    const QColor next = window.form.paintWidget->grab().toImage().pixelColor(1, 0);
    QVERIFY(next != corner);
}

void TestHostile::longSession()
{
    QTemporaryDir here;
    const QString good = writeBytes(here, "good.png", encoded(noise(QSize(512, 512), 5), "PNG"));
    const QString bad = writeBytes(here, "bad.png", png.left(png.size() / 2));
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    qint64 afterFirst = 0;
    for (int drop = 0; drop < 500; ++drop) {
        QVERIFY(dropFile(&window, drop % 2 ? bad : good));
        if (drop == 0)
            afterFirst = residentKiB("VmRSS:");
    }
    QVERIFY(dropFile(&window, good));
    QCOMPARE(window.imageWidth, 512);
    const qint64 afterLast = residentKiB("VmRSS:");
    if (residentSizesMeaningful)
        QVERIFY2(afterLast <= afterFirst * 11 / 10,
                 qPrintable(QString("%1 KiB after the first drop, %2 KiB after the last")
                                    .arg(afterFirst).arg(afterLast)));
}

QTEST_MAIN(TestHostile)
#include "tst_hostile.moc"
