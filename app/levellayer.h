#pragma once

#include <QObject>

#include <array>

class LevelView;
class PaintWidget;
class QLabel;
class WholeSpinBox;
class Session;
class QWidget;

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
};
