#include "levellayer.h"

#include "levelfile.h"
#include "paintwidget.h"

#include <QFileInfo>
#include <QLabel>

LevelLayer::LevelLayer(PaintWidget *view, QLabel *label, QObject *parent)
    : QObject(parent)
    , view(view)
    , label(label)
{
}

QString LevelLayer::load(const QString &path)
{
    const LevelRead read = readLevel(path);
    world = read.error.isEmpty() ? ::footprints(read.level) : Footprints();
    levelPath = read.error.isEmpty() ? path : QString();
    const QString name = QFileInfo(path).fileName();
    QString summary = tr("%1: %2 brushes, %3 marks").arg(name).arg(world.brushes).arg(world.marks.size());
    if (world.skipped > 0)
        summary += tr("; %1 brushes that do not close left out").arg(world.skipped);
    label->setText(read.error.isEmpty() ? summary : read.error);
    label->adjustSize();
    label->show();
    update();
    return read.error;
}

void LevelLayer::place(const std::optional<CalibrationEntries> &entries)
{
    placement = entries;
    update();
}

void LevelLayer::setShown(bool on)
{
    shown = on;
    update();
    view->update();
}

// Transformed once per Measure; the view then only draws.
void LevelLayer::update()
{
    if (!placement || !shown || levelPath.isEmpty()) {
        view->setOverlay({}, {});
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
    view->setOverlay(outlines, marks);
}
