#include "firstpaintprobe.h"

#include <QCoreApplication>
#include <QEvent>
#include <QTimer>

#include <cstdio>

FirstPaintProbe::FirstPaintProbe(QObject *window)
    : QObject(window)
{
    window->installEventFilter(this);
}

bool FirstPaintProbe::eventFilter(QObject *, QEvent *event)
{
    if (event->type() == QEvent::Paint && !painted) {
        painted = true;
        std::puts("painted");
        std::fflush(stdout);
        QTimer::singleShot(0, qApp, &QCoreApplication::quit);
    }
    return false;
}
