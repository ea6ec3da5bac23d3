#include "view/windowframe.h"

#include <QWidget>
#include <QWindow>

QMargins windowFrame(QWidget *window)
{
    // The widget knows its frame only when shown; its native window, which
    // winId() makes if need be, knows it as soon as the platform does.
    window->winId();
    return window->windowHandle()->frameMargins();
}
