#pragma once

#include <QObject>

struct MainForm;
class LevelView;
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
    LevelLayer(const MainForm &form, Session *session, QWidget *window);

    void showWindow();

private:
    void showLevel();
    void placePicture();
    void placeOverlay();
    void showWorldPoints();

    const MainForm &form;
    Session *session;
    QWidget *window;
    LevelView *levelView = nullptr;
};
