#include "app/levellayer.h"

#include "form/mainform.h"
#include "form/wholespinbox.h"
#include "level/levelfile.h"
#include "view/levelview.h"
#include "view/paintwidget.h"

#include <QCursor>
#include <QFileInfo>
#include <QLabel>
#include <QSpinBox>
#include <QToolTip>

LevelLayer::LevelLayer(const MainForm &form, QWidget *window)
    : QObject(window)
    , form(form)
    , window(window)
{
    for (QSpinBox *box : {form.r1x, form.r1y, form.r2x, form.r2y})
        connect(box, &QSpinBox::valueChanged, this, &LevelLayer::showWorldPoints);
}

QString LevelLayer::load(const QString &path)
{
    const LevelRead read = readLevel(path);
    world = read.error.isEmpty() ? ::footprints(read.level) : Footprints();
    // Kept after a failure too, so that F5 reads the mended file again.
    levelPath = path;
    levelRead = read.error.isEmpty();
    form.levelLabel->setText(read.error.isEmpty() ? footprintsSummary(QFileInfo(path).fileName(), world) : read.error);
    form.levelLabel->adjustSize();
    form.levelLabel->show();
    placeOverlay();
    if (levelView)
        levelView->setLevel(world);
    if (read.error.isEmpty())
        showWindow();
    return read.error;
}

// Opens with the level; closing it changes nothing else.
void LevelLayer::showWindow()
{
    if (!levelView) {
        levelView = new LevelView(window);
        levelView->setLevel(world);
        // A corner off the grid is rounded, and one beyond the boxes'
        // range refused, each with a note at the box.
        connect(levelView, &LevelView::worldPointPicked, this, [this](int index, QPointF point) {
            const QString refusal = WholeSpinBox::setPoint(index == 0 ? form.r1x : form.r2x, index == 0 ? form.r1y : form.r2y, point);
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
        levelView->setWorldPoints(QPoint(form.r1x->value(), form.r1y->value()), QPoint(form.r2x->value(), form.r2y->value()));
}

void LevelLayer::place(const std::optional<CalibrationEntries> &entries)
{
    placement = entries;
    placePicture();
    placeOverlay();
}

void LevelLayer::setShown(bool on)
{
    shown = on;
    placeOverlay();
    form.paintWidget->update();
}

// The measured picture under the level in its window, from the origin to
// the end.
void LevelLayer::placePicture()
{
    const std::optional<Calibration> measured = placement ? calibrate(*placement) : std::nullopt;
    if (levelView) {
        levelView->setPicture(measured ? form.paintWidget->picture() : QImage(),
                              measured ? QPointF(measured->originX, measured->originY) : QPointF(),
                              measured ? QPointF(measured->endX, measured->endY) : QPointF());
    }
}

// Transformed once per Measure; the view then only draws.
void LevelLayer::placeOverlay()
{
    if (!placement || !shown || !levelRead) {
        form.paintWidget->setOverlay({}, {});
        return;
    }
    const QTransform transform = pictureFromWorld(*placement);
    QList<QPolygonF> outlines;
    outlines.reserve(world.outlines.size());
    for (const QPolygonF &outline : world.outlines)
        outlines.append(transform.map(outline));
    QList<QPointF> marks;
    for (const QPointF &mark : world.marks)
        marks.append(transform.map(mark));
    form.paintWidget->setOverlay(outlines, marks);
}
