#pragma once

#include "form/mainform.h"

#include <QMainWindow>
#include <QPoint>

class AutoPlacer;
class LevelLayer;
class PointerKeys;
class PointBoxes;
class ResultMenu;
class Session;
class ViewMenu;

// The main window: shows the session, one measurement, in the form's
// widgets and passes the user's intents to it. It keeps only what is its
// own: the form and the cursor over the picture.
class Vellamor : public QMainWindow
{
    Q_OBJECT

public:
    explicit Vellamor(QWidget *parent = nullptr, Qt::WindowFlags flags = {});

    Session &session() const { return *measurement; }
    const MainForm &form() const { return widgets; }

public slots:
    void compute();
    void pChanged(int);

protected:
    void mouseMoveEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void dragEnterEvent(QDragEnterEvent *event) override;
    void dropEvent(QDropEvent *event) override;

private:
    void connectAll();
    void showPicture();
    void showLevel();
    void moveCursor(QPoint viewPos);
    void pickPoint(int key);
    void showTitle();
    void enablePlacing();

    MainForm widgets;
    Session *measurement;
    ResultMenu *resultMenu;
    ViewMenu *viewMenu;
    PointerKeys *pointerKeys;
    LevelLayer *levelLayer;
    AutoPlacer *autoPlacer;
    PointBoxes *pixelBoxes;
    QPoint cursor;
    QString title;
};
