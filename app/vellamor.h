#pragma once

#include "form/mainform.h"

#include <QMainWindow>

class QImage;
class LevelLayer;
class PointerKeys;
class ResultMenu;
class ViewMenu;

// The main window: holds the form, the loaded picture's size, the cursor
// over the picture and a copy of the two image reference points.
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

    MainForm form;
    qint32 imageWidth = 0;
    qint32 imageHeight = 0;
    qint32 cursorX = 0;
    qint32 cursorY = 0;
    qint32 pickX1 = 0;
    qint32 pickY1 = 0;
    qint32 pickX2 = 0;
    qint32 pickY2 = 0;

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
    void readPicks();
    void moveCursor(QPoint viewPos);
    void pickPoint(int key);
    void showTitle();
    void paste();

    ResultMenu *resultMenu;
    ViewMenu *viewMenu;
    PointerKeys *pointerKeys;
    LevelLayer *levelLayer;
    QString picturePath;
    QString title;
};
