#include "paintwidget.h"
#include "testsupport.h"
#include "vellamor.h"

#include <QApplication>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>
#include <QTest>

namespace {

// A shown, active window holding a picture of the given size (none when
// empty), large enough that the view extends past the picture.
bool prepare(Vellamor &window, const QTemporaryDir &dir, const QSize &picture)
{
    window.resize(1200, 800);
    window.show();
    QApplication::setActiveWindow(&window);
    if (!QTest::qWaitForWindowActive(&window))
        return false;
    if (!picture.isEmpty()
        && !dropFile(&window, writePicture(dir, "map.png", picture.width(), picture.height())))
        return false;
    QApplication::processEvents();
    return window.form.paintWidget->width() > picture.width() + 100
            && window.form.paintWidget->height() > picture.height() + 100;
}

// A button-less move, as the window system delivers it, at a point given in
// the view's coordinates.
void hover(Vellamor &window, QPoint viewPos)
{
    const QPoint windowPos = window.form.paintWidget->mapTo(&window, viewPos);
    QTest::mouseMove(window.windowHandle(), windowPos);
    QApplication::processEvents();
}

QString cursorText(const Vellamor &window)
{
    return window.form.cursorXLabel->text() + ", " + window.form.cursorYLabel->text();
}

} // namespace

class TestPicking : public QObject
{
    Q_OBJECT

private slots:
    void hoverShowsCursor_data();
    void hoverShowsCursor();
    void hoverWithoutPicture();
    void hoverRepaintsAtOnce();
    void pickKeys_data();
    void pickKeys();
    void keysReachWindowFromAnyFocus_data();
    void keysReachWindowFromAnyFocus();
    void rectangleFollowsKeys();
};

void TestPicking::hoverShowsCursor_data()
{
    QTest::addColumn<QPoint>("pos");
    QTest::addColumn<QString>("shown");

    QTest::newRow("inside") << QPoint(100, 50) << "x = 100, y = 50";
    QTest::newRow("last pixel") << QPoint(639, 479) << "x = 639, y = 479";
    QTest::newRow("left of the picture") << QPoint(-3, 100) << "x = 0, y = 100";
    QTest::newRow("above the picture") << QPoint(100, -5) << "x = 100, y = 0";
    QTest::newRow("beyond the right edge") << QPoint(700, 100) << "x = 640, y = 100";
    QTest::newRow("beyond the bottom edge") << QPoint(100, 600) << "x = 100, y = 480";
    QTest::newRow("beyond both far edges") << QPoint(900, 700) << "x = 640, y = 480";
}

void TestPicking::hoverShowsCursor()
{
    QFETCH(QPoint, pos);
    QFETCH(QString, shown);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(prepare(window, dir, QSize(640, 480)));
    hover(window, QPoint(1, 1));
    hover(window, pos);
    QCOMPARE(cursorText(window), shown);
}

void TestPicking::hoverWithoutPicture()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(prepare(window, dir, QSize(640, 480)));
    hover(window, QPoint(200, 100));
    QCOMPARE(cursorText(window), QString("x = 200, y = 100"));
    // A failed load leaves no picture to point at.
    QVERIFY(dropFile(&window, writeBytes(dir, "bad.png", "junk")));
    hover(window, QPoint(250, 120));
    QCOMPARE(cursorText(window), QString("x = 0, y = 0"));
    QCOMPARE(QPoint(window.cursorX, window.cursorY), QPoint(0, 0));

    Vellamor fresh;
    QVERIFY(prepare(fresh, dir, QSize()));
    hover(fresh, QPoint(250, 120));
    QCOMPARE(cursorText(fresh), QString("x = 0, y = 0"));
}

void TestPicking::hoverRepaintsAtOnce()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(prepare(window, dir, QSize(100, 100)));
    hover(window, QPoint(1, 1));
    const QPoint windowPos = window.form.paintWidget->mapTo(&window, QPoint(40, 30));
    QMouseEvent move(QEvent::MouseMove, QPointF(windowPos), QPointF(window.mapToGlobal(windowPos)),
                     Qt::NoButton, Qt::NoButton, Qt::NoModifier);
    PaintCounter counter;
    window.form.paintWidget->installEventFilter(&counter);
    QCoreApplication::sendEvent(&window, &move);
    // Painted before control returns to the event loop.
    QVERIFY(counter.paints >= 1);
    QCOMPARE(cursorText(window), QString("x = 40, y = 30"));
}

void TestPicking::pickKeys_data()
{
    QTest::addColumn<QSize>("picture");
    QTest::addColumn<QPoint>("hoverAt");
    QTest::addColumn<QPoint>("p1Before");
    QTest::addColumn<QPoint>("p2Before");
    QTest::addColumn<int>("key");
    QTest::addColumn<int>("modifiers");
    QTest::addColumn<QPoint>("p1After");
    QTest::addColumn<QPoint>("p2After");
    QTest::addColumn<QPoint>("cursorAfter");

    const QSize map(640, 480);
    const int none = Qt::NoModifier;
    QTest::newRow("F1 at the far corner steps inside")
            << map << QPoint(700, 500) << QPoint(0, 0) << QPoint(0, 0) << int(Qt::Key_F1) << none
            << QPoint(639, 479) << QPoint(640, 480) << QPoint(639, 479);
    QTest::newRow("F2 at zero steps inside")
            << map << QPoint(-3, -5) << QPoint(0, 0) << QPoint(0, 0) << int(Qt::Key_F2) << none
            << QPoint(0, 0) << QPoint(1, 1) << QPoint(1, 1);
    QTest::newRow("F1 pushes point 2 right by one")
            << map << QPoint(300, 200) << QPoint(0, 0) << QPoint(250, 400) << int(Qt::Key_F1) << none
            << QPoint(300, 200) << QPoint(301, 400) << QPoint(300, 200);
    QTest::newRow("F1 pushes point 2 down by one")
            << map << QPoint(300, 200) << QPoint(0, 0) << QPoint(400, 150) << int(Qt::Key_F1) << none
            << QPoint(300, 200) << QPoint(400, 201) << QPoint(300, 200);
    QTest::newRow("F1 leaves an equal column")
            << map << QPoint(300, 200) << QPoint(0, 0) << QPoint(300, 400) << int(Qt::Key_F1) << none
            << QPoint(300, 200) << QPoint(300, 400) << QPoint(300, 200);
    QTest::newRow("F2 pushes point 1 left by one")
            << map << QPoint(100, 50) << QPoint(150, 20) << QPoint(0, 0) << int(Qt::Key_F2) << none
            << QPoint(99, 20) << QPoint(100, 50) << QPoint(100, 50);
    QTest::newRow("F2 pushes point 1 up and left")
            << map << QPoint(100, 50) << QPoint(150, 80) << QPoint(0, 0) << int(Qt::Key_F2) << none
            << QPoint(99, 49) << QPoint(100, 50) << QPoint(100, 50);
    QTest::newRow("F2 leaves an equal row")
            << map << QPoint(100, 50) << QPoint(20, 50) << QPoint(0, 0) << int(Qt::Key_F2) << none
            << QPoint(20, 50) << QPoint(100, 50) << QPoint(100, 50);
    QTest::newRow("Alt+F1 still acts")
            << map << QPoint(300, 200) << QPoint(0, 0) << QPoint(250, 400) << int(Qt::Key_F1)
            << int(Qt::AltModifier) << QPoint(300, 200) << QPoint(301, 400) << QPoint(300, 200);
    QTest::newRow("Shift+F1 does nothing")
            << map << QPoint(300, 200) << QPoint(5, 6) << QPoint(7, 8) << int(Qt::Key_F1)
            << int(Qt::ShiftModifier) << QPoint(5, 6) << QPoint(7, 8) << QPoint(300, 200);
    QTest::newRow("Ctrl+F1 does nothing")
            << map << QPoint(300, 200) << QPoint(5, 6) << QPoint(7, 8) << int(Qt::Key_F1)
            << int(Qt::ControlModifier) << QPoint(5, 6) << QPoint(7, 8) << QPoint(300, 200);
    QTest::newRow("Shift+F2 does nothing")
            << map << QPoint(0, 0) << QPoint(5, 6) << QPoint(7, 8) << int(Qt::Key_F2)
            << int(Qt::ShiftModifier) << QPoint(5, 6) << QPoint(7, 8) << QPoint(0, 0);
    QTest::newRow("Ctrl+F2 does nothing")
            << map << QPoint(0, 0) << QPoint(5, 6) << QPoint(7, 8) << int(Qt::Key_F2)
            << int(Qt::ControlModifier) << QPoint(5, 6) << QPoint(7, 8) << QPoint(0, 0);
    QTest::newRow("F1 without a picture")
            << QSize() << QPoint(50, 50) << QPoint(5, 6) << QPoint(0, 0) << int(Qt::Key_F1) << none
            << QPoint(-1, -1) << QPoint(0, 0) << QPoint(-1, -1);
    QTest::newRow("F1 without a picture lifts point 2")
            << QSize() << QPoint(50, 50) << QPoint(5, 6) << QPoint(-5, -7) << int(Qt::Key_F1) << none
            << QPoint(-1, -1) << QPoint(0, 0) << QPoint(-1, -1);
    QTest::newRow("F3 does nothing")
            << map << QPoint(300, 200) << QPoint(5, 6) << QPoint(7, 8) << int(Qt::Key_F3) << none
            << QPoint(5, 6) << QPoint(7, 8) << QPoint(300, 200);
    QTest::newRow("Escape does nothing")
            << map << QPoint(300, 200) << QPoint(5, 6) << QPoint(7, 8) << int(Qt::Key_Escape) << none
            << QPoint(5, 6) << QPoint(7, 8) << QPoint(300, 200);
}

void TestPicking::pickKeys()
{
    QFETCH(QSize, picture);
    QFETCH(QPoint, hoverAt);
    QFETCH(QPoint, p1Before);
    QFETCH(QPoint, p2Before);
    QFETCH(int, key);
    QFETCH(int, modifiers);
    QFETCH(QPoint, p1After);
    QFETCH(QPoint, p2After);
    QFETCH(QPoint, cursorAfter);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(prepare(window, dir, picture));
    const MainForm &f = window.form;
    f.p1x->setValue(p1Before.x());
    f.p1y->setValue(p1Before.y());
    f.p2x->setValue(p2Before.x());
    f.p2y->setValue(p2Before.y());
    hover(window, QPoint(1, 1));
    hover(window, hoverAt);
    f.measureButton->setFocus();

    QTest::keyClick(window.windowHandle(), Qt::Key(key), Qt::KeyboardModifiers(modifiers));

    QCOMPARE(QPoint(f.p1x->value(), f.p1y->value()), p1After);
    QCOMPARE(QPoint(f.p2x->value(), f.p2y->value()), p2After);
    QCOMPARE(QPoint(window.cursorX, window.cursorY), cursorAfter);
    // The window's copy follows every box through pChanged.
    QCOMPARE(QPoint(window.pickX1, window.pickY1), p1After);
    QCOMPARE(QPoint(window.pickX2, window.pickY2), p2After);
}

void TestPicking::keysReachWindowFromAnyFocus_data()
{
    QTest::addColumn<QString>("focus");
    QTest::newRow("p1x") << "p1x";
    QTest::newRow("p2y") << "p2y";
    QTest::newRow("r1x") << "r1x";
    QTest::newRow("r2y") << "r2y";
    QTest::newRow("measureButton") << "measureButton";
    QTest::newRow("textEdit") << "textEdit";
}

void TestPicking::keysReachWindowFromAnyFocus()
{
    QFETCH(QString, focus);
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(prepare(window, dir, QSize(640, 480)));
    auto *target = window.findChild<QWidget *>(focus);
    target->setFocus();
    QTRY_VERIFY(target->hasFocus());
    hover(window, QPoint(120, 80));
    QTest::keyClick(window.windowHandle(), Qt::Key_F1);
    hover(window, QPoint(320, 280));
    QTest::keyClick(window.windowHandle(), Qt::Key_F2);
    const MainForm &f = window.form;
    QCOMPARE(QPoint(f.p1x->value(), f.p1y->value()), QPoint(120, 80));
    QCOMPARE(QPoint(f.p2x->value(), f.p2y->value()), QPoint(320, 280));
    QVERIFY(f.textEdit->toPlainText().isEmpty());
}

void TestPicking::rectangleFollowsKeys()
{
    QTemporaryDir dir;
    Vellamor window;
    QVERIFY(prepare(window, dir, QSize(300, 300)));
    hover(window, QPoint(50, 60));
    QTest::keyClick(window.windowHandle(), Qt::Key_F1);
    hover(window, QPoint(200, 220));
    QTest::keyClick(window.windowHandle(), Qt::Key_F2);
    const QImage shot = window.form.paintWidget->grab().toImage();
    const QColor blue(0, 0, 255);
    QVERIFY(shot.pixelColor(120, 140).green() > 0);
    QVERIFY(shot.pixelColor(51, 140).green() > 0);
    QCOMPARE(shot.pixelColor(30, 140), blue);
    QCOMPARE(shot.pixelColor(120, 40), blue);
    QCOMPARE(shot.pixelColor(230, 140), blue);
    QCOMPARE(shot.pixelColor(120, 250), blue);
}

QTEST_MAIN(TestPicking)
#include "tst_picking.moc"
