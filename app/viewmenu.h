#pragma once

#include <QObject>
#include <QPoint>
#include <QString>

class QAction;
class QImage;
class QMenu;
class QWidget;
class Session;

// The ways in that the window's shortcuts and the view's right-click menu
// offer (Open…, Paste, Reload, a saved session), Save session…, F1 and F2
// at the clicked pixel, the magnifier (Z), and the view's tooltip that
// names them while no picture is shown.
class ViewMenu : public QObject
{
    Q_OBJECT

public:
    // The shortcuts act anywhere in the window; the menu opens on the view.
    ViewMenu(QWidget *view, Session *session, QWidget *window);

    // Opens a saved session, a level or a picture, as its name says.
    void open(const QString &path);
    // The picture now shown, if any, and its file, if it has one.
    void setPicture(bool shown, const QString &path);
    void setLevel(bool loaded);

signals:
    void fileChosen(const QString &path);
    void levelChosen(const QString &path);
    void picturePasted(const QImage &image);
    void reloadRequested();
    void pointRequested(QPoint viewPos, int key);
    void magnifierToggled(bool on);
    void overlayToggled(bool on);
    void levelWindowRequested();
    void levelPictureRequested();
    void placeRequested();

private:
    void show(QPoint viewPos);
    void paste();
    void showSaveDialog();
    void tell(const QString &title, const QString &text);
    void remember(const QString &path);

    static constexpr int maxRecent = 8;
    void showOpenDialog(bool level);

    QWidget *view;
    QMenu *menu = nullptr;
    QMenu *recentMenu = nullptr;
    QAction *openAction;
    QAction *pasteAction;
    QAction *reloadAction;
    QAction *pickFirstAction;
    QAction *pickSecondAction;
    QAction *magnifierAction;
    QAction *openLevelAction;
    QAction *overlayAction;
    QAction *levelWindowAction;
    QAction *saveSessionAction;
    QAction *levelPictureAction;
    QAction *placeAction;
    Session *session;
    bool pictureShown = false;
    bool pictureFile = false;
    bool levelLoaded = false;
    QPoint menuPos;
    QString folder;
};
