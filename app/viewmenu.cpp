#include "app/viewmenu.h"

#include "app/transferrules.h"
#include "model/session.h"
#include "model/sessionfile.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QImage>
#include <QImageReader>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QSettings>
#include <QWidget>

ViewMenu::ViewMenu(QWidget *view, Session *session, QWidget *window)
    : QObject(window)
    , view(view)
    , openAction(new QAction(tr("Open…"), window))
    , pasteAction(new QAction(tr("Paste picture"), window))
    , reloadAction(new QAction(tr("Reload"), window))
    , pickFirstAction(new QAction(tr("Set 1st point here (F1)"), window))
    , pickSecondAction(new QAction(tr("Set 2nd point here (F2)"), window))
    , magnifierAction(new QAction(tr("Magnifier"), window))
    , openLevelAction(new QAction(tr("Open level…"), window))
    , overlayAction(new QAction(tr("Level overlay"), window))
    , levelWindowAction(new QAction(tr("Level window"), window))
    , saveSessionAction(new QAction(tr("Save session…"), window))
    , levelPictureAction(new QAction(tr("Make picture from level…"), window))
    , placeAction(new QAction(tr("Place automatically"), window))
    , session(session)
{
    saveSessionAction->setShortcut(QKeySequence::Save);
    connect(saveSessionAction, &QAction::triggered, this, &ViewMenu::showSaveDialog);
    // What is chosen, pasted or toggled goes to the session; the designer
    // saves the level, or renders the overview, and reloads to look again.
    connect(this, &ViewMenu::fileChosen, this, &ViewMenu::open);
    connect(this, &ViewMenu::picturePasted, session, &Session::pastePicture);
    connect(this, &ViewMenu::levelChosen, session, &Session::openLevel);
    connect(this, &ViewMenu::overlayToggled, session, &Session::setOverlay);
    connect(this, &ViewMenu::magnifierToggled, session, &Session::setLoupe);
    connect(this, &ViewMenu::reloadRequested, session, &Session::reload);
    connect(session, &Session::pictureChanged, this, [this] {
        if (this->session->hasPicture() && !this->session->picturePath().isEmpty())
            remember(this->session->picturePath());
    });
    connect(session, &Session::loupeChanged, this, [this] { magnifierAction->setChecked(this->session->loupe()); });
    connect(session, &Session::overlayChanged, this, [this] { overlayAction->setChecked(this->session->overlay()); });
    connect(levelWindowAction, &QAction::triggered, this, &ViewMenu::levelWindowRequested);
    connect(levelPictureAction, &QAction::triggered, this, &ViewMenu::levelPictureRequested);
    placeAction->setShortcut(Qt::CTRL | Qt::Key_P);
    connect(placeAction, &QAction::triggered, this, &ViewMenu::placeRequested);
    openLevelAction->setShortcut(Qt::CTRL | Qt::Key_L);
    connect(openLevelAction, &QAction::triggered, this, [this] { showOpenDialog(true); });
    overlayAction->setCheckable(true);
    overlayAction->setChecked(true);
    overlayAction->setShortcut(Qt::Key_L);
    connect(overlayAction, &QAction::toggled, this, &ViewMenu::overlayToggled);
    magnifierAction->setCheckable(true);
    magnifierAction->setShortcut(Qt::Key_Z);
    connect(magnifierAction, &QAction::toggled, this, &ViewMenu::magnifierToggled);
    openAction->setShortcut(QKeySequence::Open);
    pasteAction->setShortcut(QKeySequence::Paste);
    reloadAction->setShortcut(Qt::Key_F5);
    window->addActions({openAction, pasteAction, reloadAction, magnifierAction, openLevelAction, overlayAction, saveSessionAction, placeAction});
    setPicture(false, QString());
    setLevel(false);
    connect(openAction, &QAction::triggered, this, [this] { showOpenDialog(false); });
    connect(pasteAction, &QAction::triggered, this, &ViewMenu::paste);
    connect(reloadAction, &QAction::triggered, this, &ViewMenu::reloadRequested);
    connect(pickFirstAction, &QAction::triggered, this, [this] { emit pointRequested(menuPos, Qt::Key_F1); });
    connect(pickSecondAction, &QAction::triggered, this, [this] { emit pointRequested(menuPos, Qt::Key_F2); });
    view->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(view, &QWidget::customContextMenuRequested, this, &ViewMenu::show);
}

void ViewMenu::setLevel(bool loaded)
{
    levelLoaded = loaded;
    reloadAction->setEnabled(pictureFile || levelLoaded);
    overlayAction->setEnabled(loaded);
    levelWindowAction->setEnabled(loaded);
    levelPictureAction->setEnabled(loaded);
    placeAction->setEnabled(loaded && pictureShown);
}

void ViewMenu::setPicture(bool shown, const QString &path)
{
    pictureFile = !path.isEmpty();
    reloadAction->setEnabled(pictureFile || levelLoaded);
    pickFirstAction->setEnabled(shown);
    pickSecondAction->setEnabled(shown);
    pictureShown = shown;
    placeAction->setEnabled(shown && levelLoaded);
    if (!path.isEmpty())
        folder = QFileInfo(path).absolutePath();
    // Over a picture the tooltip would cover the point being aimed at.
    view->setToolTip(shown ? QString()
                           : tr("Drop a picture here, paste one (Ctrl+V) or open one (Ctrl+O); "
                                "F5 reads it again. Right-click for more."));
}

// Starts in the last picture's folder; any file may be chosen, as its
// content decides how it is read.
void ViewMenu::showOpenDialog(bool level)
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    auto *dialog = new QFileDialog(view->window(), level ? tr("Open level") : tr("Open picture"), folder,
                                   level ? tr("Levels (*.map *.vmf);;All files (*)")
                                         : tr("Pictures (%1);;Sessions (*.vellamor);;All files (*)").arg(patterns.join(' ')));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, level ? &ViewMenu::levelChosen : &ViewMenu::fileChosen);
    dialog->open();
}

void ViewMenu::show(QPoint viewPos)
{
    // Built on first use, to keep start-up short.
    if (!menu) {
        menu = new QMenu(view);
        menu->addAction(openAction);
        recentMenu = menu->addMenu(tr("Open recent"));
        menu->addActions({pasteAction, reloadAction, openLevelAction, saveSessionAction});
        menu->addSeparator();
        menu->addActions({pickFirstAction, pickSecondAction});
        menu->addSeparator();
        menu->addActions({magnifierAction, overlayAction, levelWindowAction, levelPictureAction, placeAction});
        // Outside the menu, Ctrl+V looks at the clipboard when pressed.
        connect(menu, &QMenu::aboutToHide, pasteAction, [this] { pasteAction->setEnabled(true); });
    }
    pasteAction->setEnabled(clipboardHasPicture(QGuiApplication::clipboard()->mimeData()));
    // The last sessions and pictures, those that are gone greyed out.
    recentMenu->clear();
    const QStringList recent = QSettings().value(QStringLiteral("recent")).toStringList();
    for (const QString &path : recent)
        recentMenu->addAction(QDir::toNativeSeparators(path), this, [this, path] { open(path); })->setEnabled(QFileInfo(path).isFile());
    recentMenu->setEnabled(!recent.isEmpty());
    menuPos = viewPos;
    menu->popup(view->mapToGlobal(viewPos));
}

// A copied file is opened as if chosen; image data as a picture of its own.
void ViewMenu::paste()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    const QString file = clipboardFile(mime);
    if (!file.isEmpty())
        open(file);
    else if (mime && mime->hasImage())
        emit picturePasted(qvariant_cast<QImage>(mime->imageData()));
}

// A session, a level or a picture, by its name; a picture whatever else.
void ViewMenu::open(const QString &path)
{
    if (isLevelPath(path)) {
        session->openLevel(path);
        return;
    }
    if (!isSessionPath(path)) {
        session->openPicture(path);
        return;
    }
    const SessionOpened opened = openSession(*session, path);
    if (opened.error.isEmpty())
        remember(path);
    if (!opened.error.isEmpty() || !opened.notes.isEmpty())
        tell(opened.error.isEmpty() ? tr("Session partly restored") : tr("Session not opened"),
             opened.error.isEmpty() ? opened.notes.join('\n') : opened.error);
}

void ViewMenu::showSaveDialog()
{
    const QString proposed = !session->picturePath().isEmpty() ? QFileInfo(session->picturePath()).completeBaseName()
                                                               : QStringLiteral("session");
    auto *dialog = new QFileDialog(view->window(), tr("Save session"), folder + '/' + proposed + ".vellamor",
                                   tr("Sessions (*.vellamor)"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setDefaultSuffix(QStringLiteral("vellamor"));
    connect(dialog, &QFileDialog::fileSelected, this, [this](const QString &path) {
        const QString why = saveSession(*session, path);
        if (why.isEmpty())
            remember(path);
        else
            tell(tr("Session not saved"), tr("Could not save %1: %2").arg(QDir::toNativeSeparators(path), why));
    });
    dialog->open();
}

// A message over the window that waits for no answer.
void ViewMenu::tell(const QString &title, const QString &text)
{
    auto *box = new QMessageBox(QMessageBox::Warning, title, text, QMessageBox::Ok, view->window());
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}

// At the top of the recent files, eight at most, each once.
void ViewMenu::remember(const QString &path)
{
    QSettings settings;
    QStringList recent = settings.value(QStringLiteral("recent")).toStringList();
    const QString absolute = QFileInfo(path).absoluteFilePath();
    recent.removeAll(absolute);
    recent.prepend(absolute);
    settings.setValue(QStringLiteral("recent"), recent.mid(0, maxRecent));
}
