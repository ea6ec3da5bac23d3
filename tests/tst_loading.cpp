#include "testsupport.h"

#include <QBuffer>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QMenu>
#include <QPlainTextEdit>
#include <QRegularExpression>
#include <QtEndian>


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
    void pasteFollowsFocus_data();
    void pasteFollowsFocus();
    void viewMenu();
    void largePictures_data();
    void largePictures();
    void replacingNeverHoldsTwo();
};

void TestLoading::doors_data()
{
    QTest::addColumn<QString>("door");
    QTest::addColumn<QString>("fixture");
    QTest::addColumn<QSize>("size");

    for (const char *door : {"drop", "open", "paste", "reload"}) {
        for (const auto &[fixture, size] : fixtures) {
            // The file dialog itself never lets a folder or a missing file through.
            if (qstrcmp(door, "open") != 0 || size.isValid() || !qstrcmp(fixture, "empty") || !qstrcmp(fixture, "pipe"))
                QTest::addRow("%s: %s", door, fixture) << door << fixture << size;
        }
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
    const QString path = dir.filePath(fixtureName(fixture));
    Vellamor window;
    QVERIFY(showActive(window, QSize(900, 600)));
    // First a good picture, in the fixture's place for Reload.
    const QString first = door == "reload" ? path : dir.filePath("first.png");
    QVERIFY(dropFile(&window, writePicture(dir, QFileInfo(first).fileName(), 30, 20)));
    QVERIFY(door != "reload" || QFile::remove(path));
    QVERIFY(makeFixture(fixture, path));
    const MainForm &f = window.form;
    f.p2x->setValue(7);
    f.r1y->setValue(-3);

    if (door == "drop") {
        QVERIFY(dropFile(&window, path));
    } else if (door == "open") {
        QTest::keyClick(window.windowHandle(), Qt::Key_O, Qt::ControlModifier);
        auto *dialog = window.findChild<QFileDialog *>();
        QVERIFY(dialog && dialog->isVisible());
        QCOMPARE(dialog->directory().absolutePath(), QFileInfo(first).absolutePath());
        QVERIFY(dialog->nameFilters().first().contains("*.jpeg"));
        QTest::keyClicks(dialog->findChild<QLineEdit *>("fileNameEdit"), path);
        QMetaObject::invokeMethod(dialog, "accept");
    } else {
        if (door == "paste") {
            auto *mime = new QMimeData;
            mime->setUrls({QUrl::fromLocalFile(path)});
            QGuiApplication::clipboard()->setMimeData(mime);
        }
        QTest::keyClick(window.windowHandle(), door == "paste" ? Qt::Key_V : Qt::Key_F5,
                        door == "paste" ? Qt::ControlModifier : Qt::NoModifier);
    }

    const QSize shown = size.isValid() ? size : QSize(0, 0);
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), shown);
    QCOMPARE(sizeLabels(window), QString("w = %1, h = %2").arg(shown.width()).arg(shown.height()));
    QCOMPARE(window.windowTitle(), size.isValid() ? QFileInfo(path).fileName() + " — Vellamor" : "Vellamor");
    QCOMPARE(QPoint(f.p2x->value(), f.r1y->value()), QPoint(7, -3));
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

void TestLoading::pasteFollowsFocus_data()
{
    QTest::addColumn<QString>("focus");
    QTest::addColumn<QString>("content");
    QTest::addColumn<QSize>("shown");
    QTest::addColumn<QString>("boxText");

    const QSize pasted(12, 9), kept(30, 20);
    QTest::newRow("image data, focus on the button") << "measureButton" << "image" << pasted << "";
    QTest::newRow("image data, focus in a box") << "p1x" << "image" << pasted << "0";
    QTest::newRow("image data, focus in the text box") << "textEdit" << "image" << pasted << "";
    QTest::newRow("text, focus in a box") << "r1x" << "text" << kept << "1230"; // before the 0
    QTest::newRow("text, focus in the text box") << "textEdit" << "text" << kept << "123";
    QTest::newRow("text, focus on the button") << "measureButton" << "text" << kept << "";
    QTest::newRow("two files") << "measureButton" << "two files" << kept << "";
}

// Ctrl+V takes a picture from the clipboard, except that text pasted into
// a box stays text.
void TestLoading::pasteFollowsFocus()
{
    QFETCH(QString, focus);
    QFETCH(QString, content);
    QFETCH(QSize, shown);
    QFETCH(QString, boxText);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window));
    const QString file = writePicture(dir, "first.png", 30, 20);
    QVERIFY(dropFile(&window, file));
    auto *mime = new QMimeData;
    QImage image(12, 9, QImage::Format_RGB32);
    image.fill(red);
    if (content == "image")
        mime->setImageData(image);
    else if (content == "text")
        mime->setText("123");
    else
        mime->setUrls({QUrl::fromLocalFile(file), QUrl::fromLocalFile(file)});
    QGuiApplication::clipboard()->setMimeData(mime);
    auto *target = window.findChild<QWidget *>(focus);
    target->setFocus();

    QTest::keyClick(window.windowHandle(), Qt::Key_V, Qt::ControlModifier);
    // A pasted picture has no file to read again.
    QTest::keyClick(window.windowHandle(), Qt::Key_F5);
    QCOMPARE(QSize(window.imageWidth, window.imageHeight), shown);
    QCOMPARE(window.windowTitle(), shown == QSize(30, 20) ? "first.png — Vellamor" : "Vellamor");
    if (auto *box = qobject_cast<QSpinBox *>(target))
        QCOMPARE(QString::number(box->value()), boxText);
    if (auto *edit = qobject_cast<QPlainTextEdit *>(target))
        QCOMPARE(edit->toPlainText(), boxText);
}

// Right-click on the view: the ways in, and F1 and F2 at the clicked pixel.
void TestLoading::viewMenu()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(showActive(window, QSize(1200, 800)));
    QGuiApplication::clipboard()->clear();
    auto entry = [&](QPoint at, const QString &text) { return menuEntry(window.form.paintWidget, at, text); };
    QVERIFY(entry(QPoint(300, 200), "Open…")->isEnabled());
    for (const char *text : {"Paste picture", "Reload", "Set 1st point here (F1)", "Set 2nd point here (F2)"})
        QVERIFY2(!entry(QPoint(300, 200), text)->isEnabled(), text);

    QVERIFY(dropFile(&window, writePicture(dir, "map.png", 640, 480)));
    QGuiApplication::clipboard()->setImage(QImage(4, 4, QImage::Format_RGB32));
    QVERIFY(entry(QPoint(5, 5), "Paste picture")->isEnabled());
    QVERIFY(entry(QPoint(5, 5), "Reload")->isEnabled());
    entry(QPoint(300, 200), "Set 1st point here (F1)")->trigger();
    entry(QPoint(700, 500), "Set 2nd point here (F2)")->trigger();
    const MainForm &f = window.form;
    QCOMPARE(QList<int>({f.p1x->value(), f.p1y->value(), f.p2x->value(), f.p2y->value()}),
             QList<int>({300, 200, 640, 480}));
    // Like F2, a second point left of and above the first pushes it aside.
    entry(QPoint(100, 50), "Set 2nd point here (F2)")->trigger();
    QCOMPARE(QList<int>({f.p1x->value(), f.p1y->value(), f.p2x->value(), f.p2y->value()}),
             QList<int>({99, 49, 100, 50}));
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
