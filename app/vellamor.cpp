#include "app/vellamor.h"

#include "app/autoplacer.h"
#include "app/entrykeys.h"
#include "app/levellayer.h"
#include "app/levelpicturedialog.h"
#include "app/pointboxes.h"
#include "app/pointerkeys.h"
#include "app/resultmenu.h"
#include "app/transferrules.h"
#include "app/viewmenu.h"
#include "form/wholespinbox.h"
#include "model/session.h"
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
#include <QPushButton>
#include <QToolTip>

// Off unless asked for, e.g. QT_LOGGING_RULES="vellamor.load.info=true".
Q_LOGGING_CATEGORY(lcLoad, "vellamor.load", QtWarningMsg)

Vellamor::Vellamor(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
    , measurement(new Session(this))
{
    widgets.setupForm(this);
    pixelBoxes = new PointBoxes({widgets.p1x, widgets.p1y, widgets.p2x, widgets.p2y}, PointBoxes::Pixels, measurement, this);
    resultMenu = new ResultMenu(widgets.textEdit, measurement, this);
    viewMenu = new ViewMenu(widgets.paintWidget, measurement, this);
    levelLayer = new LevelLayer(measurement, widgets.levelLabel, widgets.paintWidget,
                                {widgets.r1x, widgets.r1y, widgets.r2x, widgets.r2y}, this);
    pointerKeys = new PointerKeys(widgets.viewArea, widgets.paintWidget, this);
    autoPlacer = new AutoPlacer(measurement, this);
    new EntryKeys(widgets.measureButton, widgets.textEdit,
                  {{widgets.p1x, widgets.p1y}, {widgets.p2x, widgets.p2y}, {widgets.r1x, widgets.r1y}, {widgets.r2x, widgets.r2y}},
                  pointerKeys, this);
    title = windowTitle();
    connectAll();
}

void Vellamor::connectAll()
{
    const MainForm &f = widgets;
    connect(f.measureButton, SIGNAL(pressed()), this, SLOT(compute()));
    for (QSpinBox *box : {f.p1x, f.p1y, f.p2x, f.p2y})
        connect(box, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));
    auto *worldBoxes = new PointBoxes({f.r1x, f.r1y, f.r2x, f.r2y}, PointBoxes::Worlds, measurement, this);
    for (QSpinBox *box : {f.r1x, f.r1y, f.r2x, f.r2y})
        connect(box, &QSpinBox::valueChanged, worldBoxes, &PointBoxes::take);
    connect(measurement, &Session::pictureReleased, this, [this] { widgets.paintWidget->setImage(QImage()); });
    connect(measurement, &Session::pictureChanged, this, &Vellamor::showPicture);
    connect(measurement, &Session::pixelsChanged, this, [this] {
        const QPoint first = measurement->pixel(0), second = measurement->pixel(1);
        widgets.paintWidget->setPickPoints(first.x(), first.y(), second.x(), second.y());
        widgets.paintWidget->repaint();
    });
    connect(measurement, &Session::resultChanged, widgets.paintWidget, qOverload<>(&QWidget::update));
    connect(measurement, &Session::levelChanged, this, &Vellamor::showLevel);
    connect(measurement, &Session::loupeChanged, this, [this] {
        widgets.magnifier->setOn(measurement->loupe());
        moveCursor(widgets.paintWidget->mapFromGlobal(QCursor::pos()));
    });
    connect(viewMenu, &ViewMenu::levelWindowRequested, levelLayer, &LevelLayer::showWindow);
    connect(viewMenu, &ViewMenu::levelPictureRequested, this, [this] {
        auto *dialog = new LevelPictureDialog(measurement, this);
        dialog->setAttribute(Qt::WA_DeleteOnClose);
        dialog->open();
    });
    connect(viewMenu, &ViewMenu::placeRequested, autoPlacer, &AutoPlacer::start);
    connect(f.placeButton, &QPushButton::clicked, autoPlacer, &AutoPlacer::start);
    // How sure the last placement was shows beside the button, and stays in
    // its tooltip.
    connect(autoPlacer, &AutoPlacer::finished, this, [this](const QString &summary) {
        widgets.placeButton->setToolTip(tr("Place automatically (Ctrl+P)") + '\n' + summary);
        QToolTip::showText(widgets.placeButton->mapToGlobal(QPoint(0, widgets.placeButton->height())), summary, widgets.placeButton, {}, 15000);
    });
    enablePlacing();
    connect(pointerKeys, &PointerKeys::moved, this, &Vellamor::moveCursor);
    connect(viewMenu, &ViewMenu::pointRequested, this, [this](QPoint viewPos, int key) {
        moveCursor(viewPos);
        pickPoint(key);
    });
}

void Vellamor::compute()
{
    pChanged(0);
    measurement->measure();
}

void Vellamor::pChanged(int)
{
    pixelBoxes->take();
}

void Vellamor::mouseMoveEvent(QMouseEvent *event)
{
    moveCursor(widgets.paintWidget->mapFrom(this, event->position().toPoint()));
}

void Vellamor::moveCursor(QPoint viewPos)
{
    const MainForm &f = widgets;
    // View coordinates are picture pixels, wherever the view is scrolled to.
    // The far bound is the size itself, one past the last.
    const QSize size = measurement->pictureSize();
    cursor = QPoint(qBound(0, viewPos.x(), size.width()), qBound(0, viewPos.y(), size.height()));
    f.cursorXLabel->setText(QStringLiteral("x = ") + QString::number(cursor.x()));
    f.cursorYLabel->setText(QStringLiteral("y = ") + QString::number(cursor.y()));
    const bool overPicture = QRect(QPoint(0, 0), size).contains(viewPos);
    f.magnifier->follow(overPicture ? std::optional(viewPos) : std::nullopt,
                        f.paintWidget->mapTo(f.magnifier->parentWidget(), viewPos));
    // Never the view, which costs tens of milliseconds with a large picture;
    // the repaint flushes all that is marked, labels and loupe, at once.
    f.cursorXLabel->update();
    f.cursorYLabel->repaint();

    // A cross-hair over the picture shows the hot spot exactly.
    if (overPicture != (f.paintWidget->cursor().shape() == Qt::CrossCursor))
        f.paintWidget->setCursor(overPicture ? Qt::CrossCursor : Qt::ArrowCursor);
}

void Vellamor::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    // F3 and F4 act on the level window under the pointer, from here too.
    if (event->key() == Qt::Key_F3 || event->key() == Qt::Key_F4) {
        if (!levelLayer->pickWorldPoint(event->key() == Qt::Key_F3 ? 0 : 1, !(modifiers & Qt::ShiftModifier)))
            QToolTip::showText(widgets.cursorLabel->mapToGlobal(QPoint(0, 0)), tr("point at a corner in the level window"),
                               widgets.cursorLabel);
        return;
    }
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier))
        return;
    pickPoint(event->key());
}

void Vellamor::pickPoint(int key)
{
    if (key == Qt::Key_F1 || key == Qt::Key_F2)
        measurement->pickPixel(key == Qt::Key_F1 ? 0 : 1, cursor);
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
    viewMenu->open(paths.first());
}

void Vellamor::showLevel()
{
    qCInfo(lcLoad, "%s", qUtf8Printable(widgets.levelLabel->text()));
    viewMenu->setLevel(measurement->levelLoaded());
    enablePlacing();
    showTitle();
    widgets.paintWidget->update();
}

void Vellamor::enablePlacing()
{
    widgets.placeButton->setEnabled(measurement->hasPicture() && measurement->levelLoaded());
}

// The picture's file and the level's, as far as each is loaded.
void Vellamor::showTitle()
{
    QStringList names = {measurement->hasPicture() ? QFileInfo(measurement->picturePath()).fileName() : QString(),
                         measurement->levelLoaded() ? QFileInfo(measurement->levelPath()).fileName() : QString()};
    names.removeAll(QString());
    setWindowTitle(names.isEmpty() ? title : names.join(QStringLiteral(" + ")) + QStringLiteral(" — ") + title);
}

void Vellamor::showPicture()
{
    const MainForm &f = widgets;
    const QSize size = measurement->pictureSize();
    const QString path = measurement->picturePath();
    f.paintWidget->setImage(measurement->picture());
    f.paintWidget->setMessage(measurement->pictureError().isEmpty() ? QString()
            : QStringLiteral("Cannot read %1: %2").arg(path.isEmpty() ? tr("the pasted picture") : QFileInfo(path).fileName(),
                                                       measurement->pictureError()));
    f.viewArea->fitPicture(size);
    f.wLabel->setText(QStringLiteral("w = ") + QString::number(size.width()));
    f.hLabel->setText(QStringLiteral("h = ") + QString::number(size.height()));
    f.paintWidget->repaint();
    viewMenu->setPicture(measurement->hasPicture(), path);
    enablePlacing();
    showTitle();
    qCInfo(lcLoad, "%s: %d x %d", path.isEmpty() ? "pasted picture" : qUtf8Printable(path), size.width(), size.height());
}
