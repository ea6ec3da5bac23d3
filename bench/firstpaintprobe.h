#pragma once

#include <QObject>

// Prints "painted" and ends the event loop as soon as the watched window
// receives its first paint, so that a parent process can time start-up.
class FirstPaintProbe : public QObject
{
    Q_OBJECT

public:
    explicit FirstPaintProbe(QObject *window);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    bool painted = false;
};
