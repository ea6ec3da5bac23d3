#include "app/vellamor.h"

#include "app/entrykeys.h"
#include "app/levellayer.h"
#include "app/pointerkeys.h"
#include "app/resultmenu.h"
#include "app/transferrules.h"
#include "app/viewmenu.h"
#include "core/calibration.h"
#include "core/picturefile.h"
#include "form/wholespinbox.h"
#include "view/magnifier.h"
#include "view/paintwidget.h"
#include "view/picturearea.h"

#include <QClipboard>
#include <QCursor>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QLoggingCategory>
#include <QMimeData>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QSpinBox>

// Off unless asked for, e.g. QT_LOGGING_RULES="vellamor.load.info=true".
Q_LOGGING_CATEGORY(lcLoad, "vellamor.load", QtWarningMsg)

Vellamor::Vellamor(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    form.setupForm(this);
    resultMenu = new ResultMenu(form.textEdit, this);
    viewMenu = new ViewMenu(form.paintWidget, this);
    levelLayer = new LevelLayer(form, this);
    pointerKeys = new PointerKeys(form.viewArea, form.paintWidget, this);
    new EntryKeys(form, pointerKeys, this);
    title = windowTitle();
    connectAll();
}

void Vellamor::connectAll()
{
    connect(form.measureButton, SIGNAL(pressed()), this, SLOT(compute()));
    for (QSpinBox *box : {form.p1x, form.p1y, form.p2x, form.p2y})
        connect(box, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));
    connect(viewMenu, &ViewMenu::fileChosen, this, [this](const QString &path) { openFile(path); });
    connect(viewMenu, &ViewMenu::pasteRequested, this, &Vellamor::paste);
    connect(viewMenu, &ViewMenu::levelChosen, this, &Vellamor::openLevel);
    connect(viewMenu, &ViewMenu::overlayToggled, levelLayer, &LevelLayer::setShown);
    connect(viewMenu, &ViewMenu::levelWindowRequested, levelLayer, &LevelLayer::showWindow);
    // The designer saves the level, or renders the overview, and looks again.
    connect(viewMenu, &ViewMenu::reloadRequested, this, [this] {
        if (!picturePath.isEmpty())
            openFile(picturePath);
        if (!levelLayer->path().isEmpty())
            openLevel(levelLayer->path());
    });
    connect(viewMenu, &ViewMenu::magnifierToggled, this, [this](bool on) {
        form.magnifier->setOn(on);
        moveCursor(form.paintWidget->mapFromGlobal(QCursor::pos()));
    });
    connect(pointerKeys, &PointerKeys::moved, this, &Vellamor::moveCursor);
    // A scroll moves the picture under a pointer that stays: the pixel
    // under it changes at once, whatever scrolled.
    for (QScrollBar *bar : {form.viewArea->horizontalScrollBar(), form.viewArea->verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            const QPoint at = form.viewArea->viewport()->mapFromGlobal(QCursor::pos());
            if (form.viewArea->viewport()->rect().contains(at))
                moveCursor(form.paintWidget->mapFromGlobal(QCursor::pos()));
        });
    }
    connect(viewMenu, &ViewMenu::pointRequested, this, [this](QPoint viewPos, int key) {
        moveCursor(viewPos);
        pickPoint(key);
    });
}

void Vellamor::compute()
{
    readPicks();
    const CalibrationEntries entries{QSize(imageWidth, imageHeight), QPoint(pickX1, pickY1), QPoint(pickX2, pickY2),
                                     QPoint(form.r1x->value(), form.r1y->value()), QPoint(form.r2x->value(), form.r2y->value())};
    const std::optional<Calibration> calibration = calibrate(entries);
    form.textEdit->setPlainText(calibrationText(calibration));
    resultMenu->setResult(calibration, QSize(imageWidth, imageHeight), picturePath);
    levelLayer->place(calibration ? std::optional(entries) : std::nullopt);
    form.paintWidget->update();
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
    form.paintWidget->setPickPoints(pickX1, pickY1, pickX2, pickY2);
}

void Vellamor::mouseMoveEvent(QMouseEvent *event)
{
    moveCursor(form.paintWidget->mapFrom(this, event->position().toPoint()));
}

void Vellamor::moveCursor(QPoint viewPos)
{
    // View coordinates are picture pixels, wherever the view is scrolled to.
    // The far bound is the size itself, one past the last.
    cursorX = qBound(0, viewPos.x(), imageWidth);
    cursorY = qBound(0, viewPos.y(), imageHeight);
    form.cursorXLabel->setText(QStringLiteral("x = ") + QString::number(cursorX));
    form.cursorYLabel->setText(QStringLiteral("y = ") + QString::number(cursorY));
    const bool overPicture = QRect(0, 0, imageWidth, imageHeight).contains(viewPos);
    form.magnifier->follow(overPicture ? std::optional(viewPos) : std::nullopt,
                           form.paintWidget->mapTo(form.magnifier->parentWidget(), viewPos));
    // Never the view, which costs tens of milliseconds with a large picture;
    // the repaint flushes all that is marked, labels and loupe, at once.
    form.cursorXLabel->update();
    form.cursorYLabel->repaint();

    // A cross-hair over the picture shows the hot spot exactly.
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
    // Without a picture there is no pixel to take, as in the view's menu.
    if (imageWidth <= 0 || imageHeight <= 0)
        return;
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
    // A copy whatever the source proposed: told "moved", it may delete it.
    if (dropKind(dropPaths(event->mimeData())) != DropKind::None) {
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
    isLevelPath(paths.first()) ? openLevel(paths.first()) : openFile(paths.first());
}

// A level in place of the last; the picture, points, values and result stay.
QString Vellamor::openLevel(const QString &path)
{
    const QString error = levelLayer->load(path);
    viewMenu->setLevel(levelLayer->loaded());
    resultMenu->setLevelName(levelLayer->loaded() ? QFileInfo(levelLayer->path()).completeBaseName() : QString());
    showTitle();
    form.paintWidget->update();
    return error;
}

// The picture's file and the level's, as far as each is loaded.
void Vellamor::showTitle()
{
    QStringList names = {imageWidth > 0 && imageHeight > 0 ? QFileInfo(picturePath).fileName() : QString(),
                         levelLayer->loaded() ? QFileInfo(levelLayer->path()).fileName() : QString()};
    names.removeAll(QString());
    setWindowTitle(names.isEmpty() ? title : names.join(QStringLiteral(" + ")) + QStringLiteral(" — ") + title);
}

// Every way in ends here: a drop, the command line, Open…, Paste and Reload.
QString Vellamor::openFile(const QString &path, const QImage *pasted)
{
    const QSize before(imageWidth, imageHeight);
    // Freed before the next is decoded: two large maps are never held.
    form.paintWidget->setImage(QImage());
    const PictureFile picture = pasted ? acceptPicture(*pasted) : readPicture(path);
    form.paintWidget->setImage(picture.image);
    form.paintWidget->setMessage(picture.error.isEmpty() ? QString()
            : QStringLiteral("Cannot read %1: %2").arg(pasted ? tr("the pasted picture") : QFileInfo(path).fileName(), picture.error));
    imageWidth = picture.image.width();
    imageHeight = picture.image.height();
    form.viewArea->fitPicture(picture.image.size());
    form.wLabel->setText(QStringLiteral("w = ") + QString::number(imageWidth));
    form.hLabel->setText(QStringLiteral("h = ") + QString::number(imageHeight));
    form.paintWidget->repaint();

    // A result describes one picture; only the same file read again at the
    // same size keeps it.
    const bool shown = imageWidth > 0 && imageHeight > 0;
    if (pasted || path != picturePath || !shown || before != QSize(imageWidth, imageHeight)) {
        resultMenu->clear();
        levelLayer->place(std::nullopt); // the drawing shows the result, and goes with it
    }
    picturePath = path;
    viewMenu->setPicture(shown, path);
    if (!path.isEmpty())
        resultMenu->setFolder(QFileInfo(path).absolutePath());
    showTitle();
    qCInfo(lcLoad, "%s: %d x %d", pasted ? "pasted picture" : qUtf8Printable(path), imageWidth, imageHeight);
    return picture.error;
}

void Vellamor::paste()
{
    const QMimeData *mime = QGuiApplication::clipboard()->mimeData();
    const QString file = clipboardFile(mime);
    if (!file.isEmpty()) {
        isLevelPath(file) ? openLevel(file) : openFile(file);
    } else if (mime && mime->hasImage()) {
        const QImage image = qvariant_cast<QImage>(mime->imageData());
        openFile(QString(), &image);
    }
}
