#pragma once

#include <QObject>
#include <QPoint>
#include <QRect>
#include <QSize>

#include <array>

class LevelView;
class PaintWidget;
class QLabel;
class WholeSpinBox;
class Session;
class QWidget;

// Where a window of this size opens beside the main window, on the screen's
// available area.
QPoint besideWindow(const QRect &main, QSize size, const QRect &screen);

// The session's level: drawn over the picture where the last result places
// it, so that it shows what the printed numbers mean, and shown from above
// in a window of its own, where the world points are picked on the level
// and the measured picture lies under it.
class LevelLayer : public QObject
{
    Q_OBJECT

public:
    // The note over the picture, the view the level is drawn over, and the
    // world boxes r1x, r1y, r2x, r2y that points picked on the level fill.
    LevelLayer(Session *session, QLabel *note, PaintWidget *overlay, const std::array<WholeSpinBox *, 4> &worldBoxes,
               QWidget *window);

    void showWindow();
    // F3 or F4 pressed in another window: the corner under the pointer when
    // it is over the level window; false, and nothing done, when it is not.
    bool pickWorldPoint(int index, bool snap);

protected:
    // F1 and F2 in the level window go to the picture under the pointer.
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void showLevel();
    void placePicture();
    void placeOverlay();
    void showWorldPoints();

    Session *session;
    QLabel *note;
    PaintWidget *overlay;
    std::array<WholeSpinBox *, 4> worldBoxes;
    QWidget *window;
    LevelView *levelView = nullptr;
    bool waiting = false; // for the window to be shown
    bool placed = false;
};
