#include "app/levellayer.h"

#include "form/wholespinbox.h"
#include "model/session.h"
#include "view/levelview.h"
#include "view/paintwidget.h"
#include "view/windowframe.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QScreen>
#include <QTimer>
#include <QKeyEvent>
#include <QLabel>
#include <QToolTip>

// Where a window of this size stands beside the main window without
// covering it: right of it, else left of it, else below or above; where the
// screen has no such room, over the main window's bottom-right, farthest
// from the picture's top-left. Always on the screen's available area.
QPoint besideWindow(const QRect &main, QSize size, const QRect &screen)
{
    const auto onScreen = [&](QPoint at) {
        return QPoint(qBound(screen.left(), at.x(), screen.right() + 1 - size.width()),
                      qBound(screen.top(), at.y(), screen.bottom() + 1 - size.height()));
    };
    const QList<QPoint> sides = {{main.right() + 1, main.top()}, {main.left() - size.width(), main.top()},
                                 {main.left(), main.bottom() + 1}, {main.left(), main.top() - size.height()}};
    for (const QPoint side : sides) {
        const QRect placed(onScreen(side), size);
        if (screen.contains(placed) && !placed.intersects(main))
            return placed.topLeft();
    }
    return onScreen(main.bottomRight() - QPoint(size.width(), size.height()) + QPoint(1, 1));
}

LevelLayer::LevelLayer(Session *session, QLabel *note, PaintWidget *overlay, const std::array<WholeSpinBox *, 4> &worldBoxes,
                       QWidget *window)
    : QObject(window)
    , session(session)
    , note(note)
    , overlay(overlay)
    , worldBoxes(worldBoxes)
    , window(window)
{
    connect(session, &Session::levelChanged, this, &LevelLayer::showLevel);
    connect(session, &Session::worldsChanged, this, &LevelLayer::showWorldPoints);
    connect(session, &Session::resultChanged, this, [this] {
        placePicture();
        placeOverlay();
    });
    connect(session, &Session::overlayChanged, this, [this] {
        placeOverlay();
        this->overlay->update();
    });
}

// A level that cannot be read says why, with its line and column.
void LevelLayer::showLevel()
{
    const bool loaded = session->levelLoaded();
    note->setText(loaded ? footprintsSummary(QFileInfo(session->levelPath()).fileName(), session->footprints())
                                    : session->levelError());
    note->adjustSize();
    note->show();
    placeOverlay();
    if (levelView)
        levelView->setLevel(session->footprints());
    // Opens with a level; one read again or replaced is shown where it
    // stands, without coming over the picture.
    if (loaded && !(levelView && levelView->isVisible()))
        showWindow();
}

// Comes forward when it opens or when the user asks for it; closing it
// changes nothing else.
void LevelLayer::showWindow()
{
    if (!levelView) {
        levelView = new LevelView(window);
        levelView->setLevel(session->footprints());
        // A corner off the grid is rounded, and one beyond the boxes'
        // range refused, each with a note at the box.
        connect(levelView, &LevelView::worldPointPicked, this, [this](int index, QPointF point) {
            const QString refusal = WholeSpinBox::setPoint(worldBoxes[2 * index], worldBoxes[2 * index + 1], point);
            if (!refusal.isEmpty())
                QToolTip::showText(QCursor::pos(), refusal, levelView);
        });
        levelView->installEventFilter(this);
        showWorldPoints();
        placePicture();
    }
    // A level given with the picture opens beside the window, not behind
    // it: once the window stands where it opens.
    if (!window->isVisible() && !waiting) {
        waiting = true;
        QTimer::singleShot(0, this, &LevelLayer::showWindow);
        return;
    }
    waiting = false;
    if (!placed) {
        placed = true;
        levelView->move(besideWindow(window->frameGeometry(), levelView->size().grownBy(windowFrame(levelView)),
                                     window->screen()->availableGeometry()));
    }
    levelView->show();
    levelView->raise();
}

bool LevelLayer::pickWorldPoint(int index, bool snap)
{
    if (!levelView || !levelView->isVisible() || QApplication::topLevelAt(QCursor::pos()) != levelView)
        return false;
    levelView->pickUnderPointer(index, snap);
    return true;
}

bool LevelLayer::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    if (key->key() != Qt::Key_F1 && key->key() != Qt::Key_F2)
        return false;
    if (QApplication::topLevelAt(QCursor::pos()) == window) {
        QCoreApplication::sendEvent(window, event);
    } else {
        auto *view = static_cast<QWidget *>(watched);
        QToolTip::showText(view->mapToGlobal(QPoint(6, view->height() - 24)), tr("point at the picture in the main window"), view);
    }
    return true;
}

void LevelLayer::showWorldPoints()
{
    if (levelView)
        levelView->setWorldPoints(session->world(0), session->world(1));
}

// The measured picture under the level in its window, from the origin to
// the end.
void LevelLayer::placePicture()
{
    if (!levelView)
        return;
    const std::optional<Calibration> &measured = session->result();
    levelView->setPicture(measured ? session->picture() : QImage(),
                          measured ? QPointF(measured->exactOriginX, measured->exactOriginY) : QPointF(),
                          measured ? QPointF(measured->exactEndX, measured->exactEndY) : QPointF());
}

// Transformed once per Measure; the view then only draws.
void LevelLayer::placeOverlay()
{
    const std::optional<CalibrationEntries> &placement = session->measuredEntries();
    if (!placement || !session->overlay() || !session->levelLoaded()) {
        overlay->setOverlay({}, {});
        return;
    }
    const QTransform transform = pictureFromWorld(*placement);
    const Footprints &world = session->footprints();
    QList<QPolygonF> outlines;
    outlines.reserve(world.outlines.size());
    for (const QPolygonF &outline : world.outlines)
        outlines.append(transform.map(outline));
    QList<QPointF> marks;
    for (const QPointF &mark : world.marks)
        marks.append(transform.map(mark));
    overlay->setOverlay(outlines, marks);
}
