#pragma once

#include "core/calibration.h"

#include <QString>

#include <functional>
#include <optional>

class QImage;
struct Footprints;

// Where a picture made from the level lies in its world, found from the
// picture alone: picture x = a * world x + b, picture y = c * world y + d,
// with c negative (world y up), in pixels whose corners are whole numbers.
struct Placement
{
    double a = 0, b = 0, c = 0, d = 0;
    // The share of the level's outline found on the picture's edges, the
    // share of the picture's edges found on the outline, and how far the
    // best placement stands above the next one.
    double share = 0;
    double explained = 0;
    double lead = 0;
    // How alike the picture is to the level drawn in some look, from 0 to 1,
    // when that match placed it.
    double likeness = 0;
    QString drawnAs;
    bool confident = false;
    // Two brush corners far apart on the picture, ready for Measure; set
    // only when confident.
    CalibrationEntries entries;
};

// Looks for the level in the picture: a coarse search over scale and
// offset, then each axis refined on its own. progress gets a percentage
// now and then and stops the search, returning nothing, by answering false.
std::optional<Placement> place(const QImage &picture, const Footprints &level,
                               const std::function<bool(int)> &progress = {});

// The line the user reads: how sure the placement is, or why none is given.
QString placementSummary(const Placement &placement);
