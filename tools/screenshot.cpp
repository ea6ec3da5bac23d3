// Puts the Vellamor window on the X display it is given, walks through the
// sample in examples/ as a user would (drop, hover and F1, hover and F2, the
// world coordinates, Measure), with the sample level dropped too when it is
// given, and saves what the X server shows of the window. With "place"
// after the level, Ctrl+P finds the points instead. Run by
// scripts/screenshot.sh under Xvfb.

#include "app/vellamor.h"
#include "form/wholespinbox.h"
#include "testsupport.h"
#include "view/paintwidget.h"

#include <QApplication>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScreen>
#include <QSpinBox>
#include <QTest>

#include <cstdio>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const int given = int(app.arguments().size());
    if (given < 3 || given > 5 || (given == 5 && app.arguments().at(4) != QLatin1String("place"))) {
        std::fprintf(stderr, "usage: screenshot SAMPLE.png OUT.png [LEVEL.map [place]]\n");
        return 2;
    }
    Vellamor window;
    window.show();
    // A bare X server has no window manager to activate the window; being
    // shown is enough, as keys go to the window's focus widget.
    if (!QTest::qWaitForWindowExposed(&window))
        return 1;
    window.activateWindow();
    dropFile(&window, app.arguments().at(1));
    if (given >= 4)
        dropFile(&window, app.arguments().at(3));
    // The level window opens over the main one; the shot is of the main one.
    for (QWidget *other : QApplication::topLevelWidgets()) {
        if (other != &window)
            other->hide();
    }
    for (int i = 0; i < 10; ++i)
        QApplication::processEvents();

    const MainForm &f = window.form();
    if (given == 5) {
        QTest::keyClick(window.windowHandle(), Qt::Key_P, Qt::ControlModifier);
        if (!QTest::qWaitFor([&] { return !f.textEdit->toPlainText().isEmpty(); }, 20000))
            return 1;
        QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(300, 300)));
        QTest::qWait(500);
        return window.screen()->grabWindow(window.winId()).save(app.arguments().at(2)) ? 0 : 1;
    }
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(120, 90)));
    QTest::keyClick(window.windowHandle(), Qt::Key_F1);
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(520, 390)));
    QTest::keyClick(window.windowHandle(), Qt::Key_F2);
    const QList<std::pair<QSpinBox *, int>> world = {
        {f.r1x, -544}, {f.r1y, 408}, {f.r2x, 1056}, {f.r2y, -792}};
    for (const auto &[box, value] : world)
        typeInto(box, QString::number(value));
    QTest::mouseClick(f.measureButton, Qt::LeftButton);
    QTest::mouseMove(window.windowHandle(), f.paintWidget->mapTo(&window, QPoint(300, 300)));
    QTest::qWait(500);

    const QPixmap shot = window.screen()->grabWindow(window.winId());
    return shot.save(app.arguments().at(2)) ? 0 : 1;
}
