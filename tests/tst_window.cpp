#include "paintwidget.h"
#include "testsupport.h"
#include "vellamor.h"

#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

// p1x p1y p2x p2y r1x r1y r2x r2y
const QList<int> soundEntries = {50, 50, 350, 250, -100, 100, 500, -300};

void setEntries(const MainForm &f, const QList<int> &entries)
{
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y};
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes[i]->setValue(entries[i]);
}

} // namespace

class TestWindow : public QObject
{
    Q_OBJECT

private slots:
    void imagePointRepaintsAtOnce_data();
    void imagePointRepaintsAtOnce();
    void worldPointChangesNothing_data();
    void worldPointChangesNothing();
    void measure_data();
    void measure();
    void measureWithoutPicture();
    void measureKeepsOnlyLastResult();
};

void TestWindow::imagePointRepaintsAtOnce_data()
{
    QTest::addColumn<QString>("box");
    QTest::addColumn<int>("index");

    QTest::newRow("p1x") << "p1x" << 0;
    QTest::newRow("p1y") << "p1y" << 1;
    QTest::newRow("p2x") << "p2x" << 2;
    QTest::newRow("p2y") << "p2y" << 3;
}

void TestWindow::imagePointRepaintsAtOnce()
{
    QFETCH(QString, box);
    QFETCH(int, index);
    QTemporaryDir dir;
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(dropFile(&window, writePicture(dir, "map.png", 300, 300, QColor(0, 0, 255))));
    window.form.p2x->setValue(200);
    window.form.p2y->setValue(200);

    PaintCounter counter;
    window.form.paintWidget->installEventFilter(&counter);
    auto *spin = window.findChild<QSpinBox *>(box);
    const int value = index < 2 ? 37 : 250;
    spin->setValue(value);
    // Painted before control returns to the event loop.
    QCOMPARE(counter.paints, 1);
    const qint32 picks[4] = {window.pickX1, window.pickY1, window.pickX2, window.pickY2};
    QCOMPARE(picks[index], value);

    // The rectangle now spans the edited corner.
    const QImage shot = window.form.paintWidget->grab().toImage();
    const QPoint corner = index == 0 ? QPoint(20, 100) : index == 1 ? QPoint(100, 20)
                        : index == 2 ? QPoint(225, 100) : QPoint(100, 225);
    QVERIFY(shot.pixelColor(100, 100).green() > 0);
    QCOMPARE(shot.pixelColor(corner).green() > 0, index >= 2);
}

void TestWindow::worldPointChangesNothing_data()
{
    QTest::addColumn<QString>("box");
    QTest::newRow("r1x") << "r1x";
    QTest::newRow("r1y") << "r1y";
    QTest::newRow("r2x") << "r2x";
    QTest::newRow("r2y") << "r2y";
}

void TestWindow::worldPointChangesNothing()
{
    QFETCH(QString, box);
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    PaintCounter counter;
    window.form.paintWidget->installEventFilter(&counter);
    window.findChild<QSpinBox *>(box)->setValue(123);
    QCOMPARE(counter.paints, 0);
    QVERIFY(window.form.textEdit->toPlainText().isEmpty());
    QCOMPARE(QList<qint32>({window.pickX1, window.pickY1, window.pickX2, window.pickY2}),
             QList<qint32>({0, 0, 0, 0}));
}

void TestWindow::measure_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QList<int>>("entries"); // p1x p1y p2x p2y r1x r1y r2x r2y
    QTest::addColumn<QString>("text");

    QTest::newRow("sound entries")
            << QSize(400, 300) << soundEntries << "origin = -200 200 ??\nend = 600 -400 ??\n";
    QTest::newRow("first point near the left edge")
            << QSize(400, 300) << QList<int>{5, 50, 92, 250, -70, 100, 100, -300}
            << "origin = -79 200 ??\nend = 701 -400 ??\n";
    QTest::newRow("very wide picture")
            << QSize(131072, 1) << QList<int>{-9999, 0, -9998, 1, -9999, 1, 9999, 0}
            << "origin = 199950003 1 ??\nend = 2821127859 0 ??\n";
    // Each invalid combination is covered in tst_calibration; one here shows
    // the window reports it.
    QTest::newRow("points swapped")
            << QSize(400, 300) << QList<int>{350, 250, 50, 50, 500, -300, -100, 100}
            << "invalid entries.\n";
}

void TestWindow::measure()
{
    QFETCH(QSize, picture);
    QFETCH(QList<int>, entries);
    QFETCH(QString, text);
    QTemporaryDir dir;
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(dropFile(&window, writePicture(dir, "map.png", picture.width(), picture.height())));
    QCOMPARE(window.imageWidth, picture.width());

    const MainForm &f = window.form;
    setEntries(f, entries);
    // The button acts as soon as it is pressed down.
    QTest::mousePress(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), text);
    QTest::mouseRelease(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), text);
}

void TestWindow::measureWithoutPicture()
{
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    const MainForm &f = window.form;
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), QString("invalid entries.\n"));
    setEntries(f, soundEntries);
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), QString("invalid entries.\n"));
}

void TestWindow::measureKeepsOnlyLastResult()
{
    QTemporaryDir dir;
    Vellamor window;
    window.show();
    QVERIFY(QTest::qWaitForWindowExposed(&window));
    QVERIFY(dropFile(&window, writePicture(dir, "map.png", 400, 300)));
    const MainForm &f = window.form;
    f.textEdit->setPlainText("notes typed by the user");
    setEntries(f, soundEntries);
    const QString expected = "origin = -200 200 ??\nend = 600 -400 ??\n";
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), expected);
    f.r2x->setValue(-200);
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), QString("invalid entries.\n"));
    // A failed load makes every later measure invalid.
    QVERIFY(dropFile(&window, writeBytes(dir, "bad.png", "junk")));
    f.r2x->setValue(500);
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QCOMPARE(f.textEdit->toPlainText(), QString("invalid entries.\n"));
}

QTEST_MAIN(TestWindow)
#include "tst_window.moc"
