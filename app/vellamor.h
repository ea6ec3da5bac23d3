#pragma once

#include "form/mainform.h"

#include <QMainWindow>
#include <QPoint>

#include <array>

class QImage;
class LevelLayer;
class PointerKeys;
class QSpinBox;
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

    // Loads a picture from a file the user chose, whatever its name, or the
    // pasted picture, which has no file; returns why it could not be read,
    // or nothing when it was.
    QString openFile(const QString &path, const QImage *pasted = nullptr);
    // Loads a level to draw over the picture; returns why it could not be
    // read, or nothing when it was.
    QString openLevel(const QString &path);

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
    void showPoints(const std::array<QSpinBox *, 4> &boxes, QPoint first, QPoint second);
    void showPixels();
    void showResult();
    void showLevel();
    void moveCursor(QPoint viewPos);
    void pickPoint(int key);
    void showTitle();
    void paste();

    MainForm widgets;
    Session *measurement;
    ResultMenu *resultMenu;
    ViewMenu *viewMenu;
    PointerKeys *pointerKeys;
    LevelLayer *levelLayer;
    QPoint cursor;
    // Set while the boxes are given the session's values, so that their
    // changes are not taken back as the user's.
    bool showing = false;
    QString title;
};
