#include "view/levelcamera.h"

#include <algorithm>

QTransform LevelCamera::transform() const
{
    return QTransform(pixelsPerUnit, 0, 0, -pixelsPerUnit, viewport.width() / 2 - middle.x() * pixelsPerUnit,
                      viewport.height() / 2 + middle.y() * pixelsPerUnit);
}

QPointF LevelCamera::toWorld(QPointF widgetPos) const
{
    return {middle.x() + (widgetPos.x() - viewport.width() / 2) / pixelsPerUnit,
            middle.y() - (widgetPos.y() - viewport.height() / 2) / pixelsPerUnit};
}

QPointF LevelCamera::toWidget(QPointF world) const
{
    return transform().map(world);
}

void LevelCamera::zoomAt(QPointF widgetPos, double factor)
{
    const QPointF world = toWorld(widgetPos);
    pixelsPerUnit = std::clamp(pixelsPerUnit * factor, 1e-4, 1e3);
    middle += world - toWorld(widgetPos);
}

void LevelCamera::pan(QPointF widgetDelta)
{
    middle += QPointF(-widgetDelta.x() / pixelsPerUnit, widgetDelta.y() / pixelsPerUnit);
}

bool LevelCamera::fit(const QRectF &world)
{
    middle = world.center();
    if (world.isEmpty() || viewport.isEmpty())
        return false;
    pixelsPerUnit = 0.9 * std::min(viewport.width() / world.width(), viewport.height() / world.height());
    return true;
}
