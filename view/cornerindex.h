#pragma once

#include <QHash>
#include <QList>
#include <QPoint>
#include <QPointF>
#include <QPolygonF>

#include <optional>

// The corners of a level's outlines, filed in square cells of about one
// corner each, so that the nearest to a point is found among a few cells.
class CornerIndex
{
public:
    void setOutlines(const QList<QPolygonF> &outlines);
    // The corner nearest to world within radius (inclusive), if any.
    std::optional<QPointF> nearest(QPointF world, double radius) const;
    double cellSize() const { return cell; }

private:
    QPoint cellOf(QPointF world) const;

    QHash<QPoint, QList<QPointF>> cells;
    double cell = 1;
};
