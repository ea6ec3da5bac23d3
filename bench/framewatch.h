#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QObject>
#include <QPointer>
#include <QSize>

class QWidget;

// Watches a window until a complete frame has reached the screen: every
// visible widget in it painted at its current size since the last reset,
// and control back in the event loop, which is when the frame is flushed.
class FrameWatch : public QObject
{
    Q_OBJECT

public:
    explicit FrameWatch(QWidget *window);

    void reset();
    // Milliseconds since the last reset.
    double elapsed() const { return double(clock.nsecsElapsed()) / 1e6; }
    // Runs the event loop until the next complete frame; false on timeout.
    bool waitForFrame(int timeoutMs = 60000);
    // Milliseconds since the last reset: when the window was first resized,
    // and when the complete frame was done.
    double resizedAt = -1;
    double doneAt = -1;

signals:
    void frameDone();

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool complete() const;

    QPointer<QWidget> window;
    QHash<QWidget *, QSize> painted;
    QElapsedTimer clock;
    bool pending = false;
};
