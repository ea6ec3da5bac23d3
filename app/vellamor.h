#pragma once

#include "calibration.h"
#include "mainform.h"

#include <QMainWindow>

#include <optional>

class QAction;
class QMenu;

// The main window: holds the form, the loaded picture's size, the cursor
// over the picture and a copy of the two image reference points.
class Vellamor : public QMainWindow
{
    Q_OBJECT

public:
    explicit Vellamor(QWidget *parent = nullptr, Qt::WindowFlags flags = {});
    ~Vellamor() override;

    // Loads a file the user chose, whatever its name; returns why it could
    // not be read, or nothing when it was.
    QString openFile(const QString &path);

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
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    void readPicks();
    void moveCursor(QPoint viewPos);
    void pickPoint(int key);
    void loadPicture(const QString &path, const QImage *pasted = nullptr);
    void showOpenDialog();
    void paste();
    void showViewMenu(QPoint viewPos);
    void showResultMenu(QPoint pos);
    void showSaveDialog(const QString &picturePath, const QString &text);
    void save(const QString &path, const QString &text);

    // What the last Measure that gave a result measured.
    struct Measured
    {
        Calibration calibration;
        QSize picture;
        QString path;
    };
    std::optional<Measured> measured;

    QString picturePath;
    QString pictureFolder;
    QString title;
    QPoint menuPos;
    QAction *openAction = nullptr;
    QAction *pasteAction = nullptr;
    QAction *reloadAction = nullptr;
    QAction *pickFirstAction = nullptr;
    QAction *pickSecondAction = nullptr;
    QMenu *viewMenu = nullptr;
};
