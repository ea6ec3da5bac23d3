#include "app/levellayer.h"

#include "form/wholespinbox.h"
#include "model/session.h"
#include "view/levelview.h"
#include "view/paintwidget.h"

#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QToolTip>

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
    connect(session, &Session::togglesChanged, this, [this] {
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
        showWorldPoints();
        placePicture();
    }
    levelView->show();
    levelView->raise();
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
