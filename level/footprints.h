#pragma once

#include "level/level.h"

#include <QList>
#include <QPointF>
#include <QPolygonF>
#include <QString>

// The level seen from above, in world x and y: the convex outline of each
// brush of the world and of every brush entity but triggers, the outline of
// each patch's control grid, and a mark for each point entity.
struct Footprints
{
    QList<QPolygonF> outlines;
    QList<double> tops; // the height of each outline's highest point
    QList<QPointF> marks;
    int brushes = 0;  // drawn
    int skipped = 0;  // brushes that do not close: too few useful faces, no volume
    int tools = 0;    // brushes of tool textures only
    int triggers = 0; // brushes of trigger entities, whatever their textures
    // Whether the file held a brush or a patch at all, drawn or not.
    bool anySolid = false;
};

Footprints footprints(const Level &level);

// The note over the picture for a level file called name: what is drawn,
// and how much was left out and why.
QString footprintsSummary(const QString &name, const Footprints &footprints);

// The brush's convex outline from above, or nothing when it does not close;
// top, when asked, takes the height of its highest corner.
std::optional<QPolygonF> brushFootprint(const Brush &brush, double *top = nullptr);

// Whether a texture stands for no visible surface: clip, trigger, hint,
// skip, origin, areaportal, sky and the like, in the naming of every engine.
bool isToolTexture(const QByteArray &texture);
