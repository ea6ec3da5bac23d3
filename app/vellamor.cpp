#include "vellamor.h"

#include "calibration.h"
#include "droppaths.h"
#include "paintwidget.h"
#include "resultformats.h"

#include <QAction>
#include <QClipboard>
#include <QDir>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileDialog>
#include <QFileInfo>
#include <QGuiApplication>
#include <QIcon>
#include <QImageReader>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMenu>
#include <QMessageBox>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSaveFile>
#include <QSpinBox>

// Off unless asked for, e.g. QT_LOGGING_RULES="vellamor.load.info=true".
Q_LOGGING_CATEGORY(lcLoad, "vellamor.load", QtWarningMsg)

namespace {

// The one local file a clipboard names, as a file manager's copy does.
QString clipboardFile(const QMimeData *mime)
{
    const QStringList paths = dropPaths(mime);
    return paths.size() == 1 ? paths.first() : QString();
}

bool clipboardHasPicture(const QMimeData *mime)
{
    return mime && (!clipboardFile(mime).isEmpty() || mime->hasImage());
}

} // namespace

Vellamor::Vellamor(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    form.setupForm(this);
    title = windowTitle();
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    setWindowIcon(icon);

    connect(form.measureButton, SIGNAL(pressed()), this, SLOT(compute()));
    connect(form.p1x, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));
    connect(form.p1y, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));
    connect(form.p2x, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));
    connect(form.p2y, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));

    form.paintWidget->pickRefs[0] = &pickX1;
    form.paintWidget->pickRefs[1] = &pickY1;
    form.paintWidget->pickRefs[2] = &pickX2;
    form.paintWidget->pickRefs[3] = &pickY2;

    // The window has no menu bar: its own actions carry the shortcuts, and
    // the view's menu shows them.
    openAction = new QAction(tr("Open…"), this);
    openAction->setShortcut(QKeySequence::Open);
    connect(openAction, &QAction::triggered, this, &Vellamor::showOpenDialog);
    pasteAction = new QAction(tr("Paste picture"), this);
    pasteAction->setShortcut(QKeySequence::Paste);
    connect(pasteAction, &QAction::triggered, this, &Vellamor::paste);
    reloadAction = new QAction(tr("Reload"), this);
    reloadAction->setShortcut(Qt::Key_F5);
    reloadAction->setEnabled(false);
    connect(reloadAction, &QAction::triggered, this, [this] { loadPicture(picturePath); });
    addActions({openAction, pasteAction, reloadAction});
    pickFirstAction = new QAction(tr("Set 1st point here (F1)"), this);
    connect(pickFirstAction, &QAction::triggered, this, [this] {
        moveCursor(menuPos);
        pickPoint(Qt::Key_F1);
    });
    pickSecondAction = new QAction(tr("Set 2nd point here (F2)"), this);
    connect(pickSecondAction, &QAction::triggered, this, [this] {
        moveCursor(menuPos);
        pickPoint(Qt::Key_F2);
    });

    form.paintWidget->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(form.paintWidget, &QWidget::customContextMenuRequested, this, &Vellamor::showViewMenu);
    form.paintWidget->setToolTip(tr("Drop a picture here, paste one (Ctrl+V) or open one (Ctrl+O); "
                                    "F5 reads it again. Right-click for more."));

    form.textEdit->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(form.textEdit, &QWidget::customContextMenuRequested, this, &Vellamor::showResultMenu);

    for (QSpinBox *box : {form.p1x, form.p1y, form.p2x, form.p2y, form.r1x, form.r1y, form.r2x, form.r2y})
        box->installEventFilter(this);
    form.textEdit->installEventFilter(this);
}

Vellamor::~Vellamor() = default;

void Vellamor::compute()
{
    readPicks();

    CalibrationEntries entries;
    entries.imageWidth = imageWidth;
    entries.imageHeight = imageHeight;
    entries.x1 = pickX1;
    entries.y1 = pickY1;
    entries.x2 = pickX2;
    entries.y2 = pickY2;
    entries.worldX1 = form.r1x->value();
    entries.worldY1 = form.r1y->value();
    entries.worldX2 = form.r2x->value();
    entries.worldY2 = form.r2y->value();

    const std::optional<Calibration> calibration = calibrate(entries);
    form.textEdit->setPlainText(calibrationText(calibration));
    measured.reset();
    if (calibration)
        measured = Measured{*calibration, QSize(imageWidth, imageHeight), picturePath};
    form.textEdit->setToolTip(measured ? scaleCheck(measured->calibration, measured->picture) : validEntriesHint());
}

void Vellamor::pChanged(int)
{
    readPicks();
    form.paintWidget->repaint();
}

void Vellamor::readPicks()
{
    pickX1 = form.p1x->value();
    pickY1 = form.p1y->value();
    pickX2 = form.p2x->value();
    pickY2 = form.p2y->value();
}

void Vellamor::mouseMoveEvent(QMouseEvent *event)
{
    // The central widget fills the window, which has no menu or tool bar,
    // so window and central widget coordinates agree.
    moveCursor(form.paintWidget->mapFromParent(event->position().toPoint()));
}

void Vellamor::moveCursor(QPoint viewPos)
{
    // The picture is drawn at the view's origin, so view coordinates are
    // picture pixels.
    cursorX = viewPos.x();
    cursorY = viewPos.y();
    // The far bound is the size itself, one past the last pixel.
    if (cursorX < 0)
        cursorX = 0;
    if (cursorX > imageWidth)
        cursorX = imageWidth;
    if (cursorY < 0)
        cursorY = 0;
    if (cursorY > imageHeight)
        cursorY = imageHeight;
    form.cursorXLabel->setText(QStringLiteral("x = ") + QString::number(cursorX));
    form.cursorYLabel->setText(QStringLiteral("y = ") + QString::number(cursorY));
    // Nothing else shows the cursor: repainting the view on every move would
    // cost tens of milliseconds with a large picture. The repaint paints all
    // that is marked, so both labels reach the screen in one flush.
    form.cursorXLabel->update();
    form.cursorYLabel->repaint();

    // A cross-hair over the picture shows the hot spot exactly.
    const bool overPicture = QRect(0, 0, imageWidth, imageHeight).contains(viewPos);
    if (overPicture != (form.paintWidget->cursor().shape() == Qt::CrossCursor))
        form.paintWidget->setCursor(overPicture ? Qt::CrossCursor : Qt::ArrowCursor);
}

void Vellamor::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier))
        return;
    pickPoint(event->key());
}

void Vellamor::pickPoint(int key)
{
    // Each setValue runs pChanged before the next step, and the boxes clamp
    // to their range. The second point is kept right of and below the first.
    if (key == Qt::Key_F1) {
        if (cursorX == imageWidth)
            --cursorX;
        if (cursorY == imageHeight)
            --cursorY;
        form.p1x->setValue(cursorX);
        form.p1y->setValue(cursorY);
        if (form.p2x->value() < cursorX)
            form.p2x->setValue(cursorX + 1);
        if (form.p2y->value() < cursorY)
            form.p2y->setValue(cursorY + 1);
    } else if (key == Qt::Key_F2) {
        if (cursorX == 0)
            ++cursorX;
        if (cursorY == 0)
            ++cursorY;
        form.p2x->setValue(cursorX);
        form.p2y->setValue(cursorY);
        if (cursorX < form.p1x->value())
            form.p1x->setValue(cursorX - 1);
        if (cursorY < form.p1y->value())
            form.p1y->setValue(cursorY - 1);
    }
}

void Vellamor::dragEnterEvent(QDragEnterEvent *event)
{
    // Reported as a copy whatever the source proposed: a file manager told
    // "moved" may delete the user's picture.
    if (isPictureDrop(dropPaths(event->mimeData()))) {
        event->setDropAction(Qt::CopyAction);
        event->accept();
    }
}

void Vellamor::dropEvent(QDropEvent *event)
{
    const QStringList paths = dropPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    event->setDropAction(Qt::CopyAction);
    event->accept();
    loadPicture(paths.first());
}

bool Vellamor::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return QMainWindow::eventFilter(watched, event);
    const auto *key = static_cast<QKeyEvent *>(event);
    // Ctrl+V in a box pastes text as ever; only a clipboard without text
    // but with a picture is left to the window's Paste.
    if (event->type() == QEvent::ShortcutOverride && key->matches(QKeySequence::Paste)) {
        const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
        return mime && !mime->hasFormat(QStringLiteral("text/plain")) && clipboardHasPicture(mime);
    }
    // Return in an entry box measures, like a dialog's default button.
    if (event->type() == QEvent::KeyPress && watched != form.textEdit
        && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        static_cast<QAbstractSpinBox *>(watched)->interpretText();
        form.measureButton->click();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

QString Vellamor::openFile(const QString &path)
{
    loadPicture(path);
    return form.paintWidget->errorString();
}

// Every way in ends here: a drop, the command line, Open…, Paste and Reload.
// A pasted picture has no path.
void Vellamor::loadPicture(const QString &path, const QImage *pasted)
{
    if (pasted)
        form.paintWidget->setImage(*pasted, &imageWidth, &imageHeight);
    else
        form.paintWidget->loadImage(path, &imageWidth, &imageHeight);
    // Lay out now what the event loop would lay out next, the central widget
    // and then the window, so that the repaint below is the one complete
    // frame at the new size rather than a frame before a second.
    QCoreApplication::sendPostedEvents(form.centralWidget, QEvent::LayoutRequest);
    QCoreApplication::sendPostedEvents(this, QEvent::LayoutRequest);
    form.wLabel->setText(QStringLiteral("w = ") + QString::number(imageWidth));
    form.hLabel->setText(QStringLiteral("h = ") + QString::number(imageHeight));
    form.paintWidget->repaint();

    picturePath = path;
    reloadAction->setEnabled(!path.isEmpty());
    const QFileInfo file(path);
    if (!path.isEmpty())
        pictureFolder = file.absolutePath();
    const bool shown = !path.isEmpty() && imageWidth > 0 && imageHeight > 0;
    setWindowTitle(shown ? file.fileName() + QStringLiteral(" — ") + title : title);
    qCInfo(lcLoad, "%s: %d x %d", pasted ? "pasted picture" : qUtf8Printable(path), imageWidth, imageHeight);
}

void Vellamor::showOpenDialog()
{
    QStringList patterns;
    for (const QByteArray &format : QImageReader::supportedImageFormats())
        patterns << QStringLiteral("*.") + QString::fromLatin1(format);
    auto *dialog = new QFileDialog(this, tr("Open picture"), pictureFolder,
                                   tr("Pictures (%1);;All files (*)").arg(patterns.join(' ')));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setFileMode(QFileDialog::ExistingFile);
    connect(dialog, &QFileDialog::fileSelected, this, &Vellamor::openFile);
    dialog->open();
}

void Vellamor::paste()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    const QString file = clipboardFile(mime);
    if (!file.isEmpty()) {
        loadPicture(file);
    } else if (mime && mime->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        loadPicture(QString(), &image);
    }
}

void Vellamor::showViewMenu(QPoint viewPos)
{
    // Built on first use, to keep start-up short.
    if (!viewMenu) {
        viewMenu = new QMenu(this);
        viewMenu->addActions({openAction, pasteAction, reloadAction});
        viewMenu->addSeparator();
        viewMenu->addActions({pickFirstAction, pickSecondAction});
        // Outside the menu, Ctrl+V looks at the clipboard when pressed.
        connect(viewMenu, &QMenu::aboutToHide, pasteAction, [this] { pasteAction->setEnabled(true); });
    }
    menuPos = viewPos;
    pasteAction->setEnabled(clipboardHasPicture(QGuiApplication::clipboard()->mimeData()));
    const bool picture = imageWidth > 0 && imageHeight > 0;
    pickFirstAction->setEnabled(picture);
    pickSecondAction->setEnabled(picture);
    viewMenu->popup(form.paintWidget->mapToGlobal(viewPos));
}

// The text box's own menu, and the result in the forms other tools read,
// made from the last Measure rather than from the text, which the user may
// have edited. An entry that cannot act says why.
void Vellamor::showResultMenu(QPoint pos)
{
    QMenu *menu = form.textEdit->createStandardContextMenu(pos);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addSection(tr("Copy for"));
    const Measured m = measured.value_or(Measured{});
    const QString noExtent = !measured || hasExtent(m.calibration) ? QString() : tr("one axis spans no world units");
    const QString noFile = m.path.isEmpty() ? tr("a pasted picture has no file") : QString();
    const QString name = m.path.isEmpty() ? QStringLiteral("map") : QFileInfo(m.path).completeBaseName();
    const QString world = measured ? worldFile(m.calibration, m.picture) : QString();
    const auto copy = [](const QString &text) {
        return [text] { QGuiApplication::clipboard()->setText(text); };
    };
    const QList<std::tuple<QString, QString, std::function<void()>>> entries = {
        {tr("Worldspawn keys (command map, Radiant background)"), {}, copy(worldspawnKeys(m.calibration))},
        {tr("Source overview"), {}, copy(sourceOverview(m.calibration, name))},
        {tr("World file"), noExtent, copy(world)},
        {tr("GDAL command"), noExtent.isEmpty() ? noFile : noExtent, copy(gdalCommand(m.calibration, m.path))},
        {tr("Save world file…"), noExtent, [this, path = m.path, world] { showSaveDialog(path, world); }}};
    for (const auto &[label, unavailable, act] : entries) {
        QAction *action = menu->addAction(unavailable.isEmpty() ? label : label + " (" + unavailable + ')');
        action->setEnabled(measured && unavailable.isEmpty());
        connect(action, &QAction::triggered, this, act);
    }
    menu->popup(form.textEdit->viewport()->mapToGlobal(pos));
}

// Proposes the picture's folder and name with the world file's suffix.
void Vellamor::showSaveDialog(const QString &picturePath, const QString &text)
{
    const QFileInfo picture(picturePath.isEmpty() ? QDir(pictureFolder).filePath(QStringLiteral("map")) : picturePath);
    const QString suffix = worldFileSuffix(picture.filePath());
    auto *dialog = new QFileDialog(this, tr("Save world file"),
                                   picture.absolutePath() + '/' + picture.completeBaseName() + '.' + suffix,
                                   tr("World files (*.%1 *.wld)").arg(suffix));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    connect(dialog, &QFileDialog::fileSelected, this, [this, text](const QString &path) { save(path, text); });
    dialog->open();
}

// Written whole or not at all; a failure is shown with the file and why.
void Vellamor::save(const QString &path, const QString &text)
{
    QSaveFile file(path);
    const QByteArray bytes = text.toUtf8();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return;
    auto *box = new QMessageBox(QMessageBox::Warning, tr("World file not saved"),
                                tr("Could not save %1: %2").arg(QDir::toNativeSeparators(path), file.errorString()),
                                QMessageBox::Ok, this);
    box->setAttribute(Qt::WA_DeleteOnClose);
    box->open();
}
