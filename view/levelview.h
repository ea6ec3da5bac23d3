#pragma once

#include "level/footprints.h"
#include "view/cornerindex.h"
#include "view/levelcamera.h"

#include <QImage>
#include <QList>
#include <QPointF>
#include <QRectF>
#include <QWidget>

#include <optional>

// The level from above, world x to the right and world y up: the footprints
// and marks, the two world points, and the measured picture laid under the
// level. The wheel zooms around the cursor, the middle button (or Space and
// the left button) pans, Home fits the whole level. The cursor snaps to the
// nearest brush corner within 8 pixels (not while Shift is held); F3 and F4,
// or the right-click menu, hand that point on as the 1st or 2nd world point.
class LevelView : public QWidget
{
    Q_OBJECT

public:
    explicit LevelView(QWidget *parent = nullptr);

    void setLevel(const Footprints &footprints);
    // The world points the form holds, numbered 1 and 2.
    void setWorldPoints(QPoint first, QPoint second);
    // The picture laid from `origin` (its top-left corner) to `end`, in world
    // units; a null picture for none.
    void setPicture(const QImage &picture, QPointF origin, QPointF end);

    // World coordinates of a point of the widget, and back.
    QPointF toWorld(QPointF widgetPos) const;
    QPointF toWidget(QPointF world) const;
    // The point the cursor at this widget position picks: the nearest brush
    // corner within 8 pixels, or else, or with Shift, the nearest unit.
    QPointF pick(QPointF widgetPos, bool snap) const;
    void fit();
    // F3 or F4 from another window: the point under the pointer, snapped
    // unless Shift is held, as the 1st (0) or 2nd (1) world point.
    void pickUnderPointer(int index, bool snap);

signals:
    void worldPointPicked(int index, QPointF world);

protected:
    void paintEvent(QPaintEvent *event) override;
    void resizeEvent(QResizeEvent *event) override;
    void wheelEvent(QWheelEvent *event) override;
    void mousePressEvent(QMouseEvent *event) override;
    void mouseMoveEvent(QMouseEvent *event) override;
    void mouseReleaseEvent(QMouseEvent *event) override;
    void keyPressEvent(QKeyEvent *event) override;
    void keyReleaseEvent(QKeyEvent *event) override;
    void contextMenuEvent(QContextMenuEvent *event) override;

private:
    void hover(QPointF widgetPos, bool snap);
    QRect coordinatesRect() const;
    const QImage &pictureAtScale(double pixelsPerPicturePixel) const;

    QList<QPolygonF> outlines;
    QList<QRectF> outlineBounds;
    QList<QPointF> marks;
    QRectF bounds;
    CornerIndex corners;
    LevelCamera camera;
    bool fitted = false;

    QPoint worldPoints[2];
    QImage picture;
    mutable QList<QImage> reduced; // the picture at 1/2, 1/4, ... for zoomed-out views
    QRectF pictureRect;

    std::optional<QPointF> hovered;
    bool hoverSnapped = false;
    QPointF lastPos;
    bool lastSnap = true;
    QPointF panFrom;
    bool panning = false;
    bool spaceHeld = false;
};
