#include "view/cornerindex.h"

#include <QRectF>

#include <algorithm>
#include <cmath>

void CornerIndex::setOutlines(const QList<QPolygonF> &outlines)
{
    QRectF bounds;
    qsizetype count = 0;
    for (const QPolygonF &outline : outlines) {
        bounds = bounds.united(outline.boundingRect());
        count += outline.size();
    }
    cell = std::max(1.0, std::sqrt(bounds.width() * bounds.height() / std::max<qsizetype>(count, 1)));
    cells.clear();
    for (const QPolygonF &outline : outlines) {
        for (const QPointF &corner : outline)
            cells[cellOf(corner)].append(corner);
    }
}

QPoint CornerIndex::cellOf(QPointF world) const
{
    return QPoint(int(std::floor(world.x() / cell)), int(std::floor(world.y() / cell)));
}

std::optional<QPointF> CornerIndex::nearest(QPointF world, double radius) const
{
    std::optional<QPointF> best;
    double bestDistance = radius * radius;
    const QPoint low = cellOf(world - QPointF(radius, radius));
    const QPoint high = cellOf(world + QPointF(radius, radius));
    for (int x = low.x(); x <= high.x(); ++x) {
        for (int y = low.y(); y <= high.y(); ++y) {
            const auto found = cells.constFind(QPoint(x, y));
            if (found == cells.cend())
                continue;
            for (const QPointF &corner : *found) {
                const QPointF d = corner - world;
                const double distance = d.x() * d.x() + d.y() * d.y();
                if (distance <= bestDistance) {
                    bestDistance = distance;
                    best = corner;
                }
            }
        }
    }
    return best;
}
