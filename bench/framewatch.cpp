#include "framewatch.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QTimer>
#include <QWidget>

FrameWatch::FrameWatch(QWidget *window)
    : window(window)
{
    qApp->installEventFilter(this);
    reset();
}

void FrameWatch::reset()
{
    painted.clear();
    resizedAt = doneAt = -1;
    pending = false;
    clock.start();
}

bool FrameWatch::waitForFrame(int timeoutMs)
{
    if (doneAt >= 0)
        return true;
    QEventLoop loop;
    connect(this, &FrameWatch::frameDone, &loop, &QEventLoop::quit);
    QTimer::singleShot(timeoutMs, &loop, &QEventLoop::quit);
    loop.exec();
    return doneAt >= 0;
}

bool FrameWatch::eventFilter(QObject *watched, QEvent *event)
{
    auto *widget = qobject_cast<QWidget *>(watched);
    if (!widget || !window || widget->window() != window)
        return false;
    if (event->type() == QEvent::Resize && widget == window && resizedAt < 0)
        resizedAt = elapsed();
    if (event->type() != QEvent::Paint)
        return false;
    painted.insert(widget, widget->size());
    // The rest of this frame is painted and flushed before the timer fires.
    if (!pending && complete()) {
        pending = true;
        QTimer::singleShot(0, this, [this] {
            doneAt = elapsed();
            emit frameDone();
        });
    }
    return false;
}

bool FrameWatch::complete() const
{
    const QList<QWidget *> widgets = window->findChildren<QWidget *>() << window;
    for (QWidget *widget : widgets) {
        if (widget->isVisible() && !widget->visibleRegion().isEmpty()
            && painted.value(widget) != widget->size())
            return false;
    }
    return true;
}
