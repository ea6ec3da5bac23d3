#pragma once

#include <QObject>
#include <QPoint>

class PaintWidget;
class PictureArea;
class QWidget;

// Picture-exact pointing from the keyboard: with the pointer over the
// picture, the arrow keys move it by one picture pixel, Shift and an arrow
// by ten, scrolling the picture where the pointer would leave the view. Any
// scroll tells the new pixel under a pointer that stayed.
class PointerKeys : public QObject
{
    Q_OBJECT

public:
    PointerKeys(PictureArea *area, PaintWidget *view, QWidget *window);

    // The pointer's pixel, when it is over the picture.
    bool pointerOnPicture() const;

signals:
    // The pointer now stands over this pixel of the view.
    void moved(QPoint viewPos);

private:
    void nudge(QPoint step);

    PictureArea *area;
    PaintWidget *view;
};
