#pragma once

#include <QPointF>
#include <QRectF>
#include <QSizeF>
#include <QTransform>

// How the level window looks at the world: the world point at the middle of
// a viewport of the given size, and pixels per world unit. World y runs up,
// the widget's down.
class LevelCamera
{
public:
    void setViewport(QSizeF size) { viewport = size; }
    QSizeF viewportSize() const { return viewport; }
    double scale() const { return pixelsPerUnit; }
    QPointF centre() const { return middle; }

    // World to widget; its inverse takes widget points to the world.
    QTransform transform() const;
    QPointF toWorld(QPointF widgetPos) const;
    QPointF toWidget(QPointF world) const;

    // Zooms by factor (within 1e-4 ... 1e3 pixels per unit) keeping the
    // world point under widgetPos where it is.
    void zoomAt(QPointF widgetPos, double factor);
    // Moves the world with the pointer by this many widget pixels.
    void pan(QPointF widgetDelta);
    // Shows all of the rectangle, with a tenth to spare; false, and nothing
    // changed but the centre, when the rectangle or the viewport is empty.
    bool fit(const QRectF &world);

private:
    QSizeF viewport;
    QPointF middle;
    double pixelsPerUnit = 1;
};
