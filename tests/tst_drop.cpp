#include "paintwidget.h"
#include "testsupport.h"
#include "vellamor.h"

#include <QLabel>
#include <QTest>

class TestDrop : public QObject
{
    Q_OBJECT

private slots:
    void dropOverTheViewReachesWindow();
    void dropFiles_data();
    void dropFiles();
    void secondDropReplacesFirst();
    void failedDropAfterGoodOne();
};

// The view takes no drops itself; Qt hands them on to the window.
void TestDrop::dropOverTheViewReachesWindow()
{
    QTemporaryDir dir;
    const QString path = writePicture(dir, "map.png", 30, 20);
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(dropFile(window.form.paintWidget, path));
    QCOMPARE(window.imageWidth, 30);
    QCOMPARE(window.form.hLabel->text(), QString("h = 20"));

    // The name rule itself is covered by tst_droppaths; here only that the
    // window refuses what it rules out.
    QMimeData two;
    two.setUrls({QUrl::fromLocalFile(path), QUrl::fromLocalFile(path)});
    QVERIFY(!sendDragEnter(&window, &two));
    QMimeData text;
    text.setText(path);
    QVERIFY(!sendDragEnter(&window, &text));
}

void TestDrop::dropFiles_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("kind");
    QTest::addColumn<QSize>("size");

    QTest::newRow("png 640x480") << "overview.png" << QByteArray("picture") << QSize(640, 480);
    QTest::newRow("jpg 320x200") << "overview.jpg" << QByteArray("picture") << QSize(320, 200);
    QTest::newRow("jpeg content named png") << "photo.png" << QByteArray("jpeg") << QSize(40, 30);
    QTest::newRow("damaged png") << "damaged.png" << QByteArray("damaged") << QSize(0, 0);
    QTest::newRow("missing file") << "gone.png" << QByteArray("missing") << QSize(0, 0);
}

void TestDrop::dropFiles()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, kind);
    QFETCH(QSize, size);
    QTemporaryDir dir;
    QString path = dir.filePath(name);
    if (kind == "picture") {
        path = writePicture(dir, name, size.width(), size.height(), QColor(200, 40, 40));
    } else if (kind == "jpeg") {
        QImage image(size, QImage::Format_RGB32);
        image.fill(QColor(200, 40, 40));
        QVERIFY(image.save(path, "JPG"));
    } else if (kind == "damaged") {
        const QString good = writePicture(dir, "good.png", 64, 64);
        QFile file(good);
        QVERIFY(file.open(QIODevice::ReadOnly));
        path = writeBytes(dir, name, file.read(40));
    }
    QVERIFY(!path.isEmpty());

    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(dropFile(&window, path));
    QCOMPARE(window.imageWidth, size.width());
    QCOMPARE(window.imageHeight, size.height());
    QCOMPARE(window.form.wLabel->text(), QString("w = %1").arg(size.width()));
    QCOMPARE(window.form.hLabel->text(), QString("h = %1").arg(size.height()));

    const QImage shot = window.form.paintWidget->grab().toImage();
    if (size.isEmpty()) {
        QCOMPARE(shot.pixelColor(5, 5), QColor(Qt::gray));
    } else {
        const QColor pixel = shot.pixelColor(size.width() - 2, size.height() / 2);
        QVERIFY2(qAbs(pixel.red() - 200) < 8 && pixel.green() < 50, qPrintable(pixel.name()));
        if (size.width() + 2 < shot.width())
            QCOMPARE(shot.pixelColor(size.width() + 2, 5), QColor(Qt::gray));
    }
}

void TestDrop::secondDropReplacesFirst()
{
    QTemporaryDir dir;
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(dropFile(&window, writePicture(dir, "first.png", 640, 480)));
    QVERIFY(dropFile(&window, writePicture(dir, "second.jpg", 100, 80)));
    QCOMPARE(window.form.wLabel->text(), QString("w = 100"));
    QCOMPARE(window.form.hLabel->text(), QString("h = 80"));
    QCOMPARE(window.form.paintWidget->minimumSize(), QSize(100, 80));
}

void TestDrop::failedDropAfterGoodOne()
{
    QTemporaryDir dir;
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(dropFile(&window, writePicture(dir, "good.png", 640, 480)));
    QVERIFY(dropFile(&window, writeBytes(dir, "bad.png", "junk")));
    QCOMPARE(window.imageWidth, 0);
    QCOMPARE(window.imageHeight, 0);
    QCOMPARE(window.form.wLabel->text(), QString("w = 0"));
    // The window is usable again for the next good picture.
    QVERIFY(dropFile(&window, writePicture(dir, "again.png", 50, 60)));
    QCOMPARE(window.form.wLabel->text(), QString("w = 50"));
    QCOMPARE(window.form.hLabel->text(), QString("h = 60"));
}

QTEST_MAIN(TestDrop)
#include "tst_drop.moc"
