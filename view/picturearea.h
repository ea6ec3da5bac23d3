#pragma once

#include <QMargins>
#include <QScrollArea>

class QWheelEvent;

// Holds the picture's view: as large as the picture while the window that
// holds it fits its screen, and scrolling beyond. The wheel scrolls down and
// up, Shift and the wheel left and right.
class PictureArea : public QScrollArea
{
    Q_OBJECT

public:
    explicit PictureArea(QWidget *parent);

    // Asks for the picture's whole size, or for as much as leaves the
    // window within its screen's available area; the window is moved back
    // onto that area when it would stand out of it, and fits a smaller
    // picture than the last.
    void fitPicture(QSize picture);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;

private:
    void layOutNow();

    // The window's size before the first picture.
    QSize openedAt;
    // The last picture fitted, and the window's frame it was fitted within.
    QSize fitted;
    QMargins fittedFrame;
};
