#pragma once

#include "core/calibration.h"

#include <QImage>
#include <QString>

#include <optional>

struct Footprints;

// The level seen from above as a picture: its outlines drawn in black on
// white, or its floors filled, the higher the lighter, on black.
enum class LevelPictureStyle { Outline, Floors };

struct LevelPicture
{
    QImage image;
    // Two points of the picture and where they lie in the world, whole
    // numbers both, so that Measure gives the picture's placement exactly.
    CalibrationEntries entries;
};

// The side no picture made from a level exceeds unless asked for, and the
// blank band around the level's extent.
constexpr int levelPictureCap = 4096;
constexpr int levelPictureMargin = 16;
// The sides a picture made from a level may be asked for.
constexpr int smallestLevelPicture = 4 * levelPictureMargin;
constexpr int largestLevelPicture = 16384;

// The long side a picture of the level takes unless asked otherwise: its
// extent at 1 unit a pixel with the margin, at most levelPictureCap; 0 for a
// level with nothing to draw.
int levelPictureSide(const Footprints &level);

// The picture of the level's outlines, longSide pixels on its long side
// (0: levelPictureSide()). A whole number of units a pixel, or of pixels a unit
// where the level is smaller than the picture. Nothing, with why, for a
// level with nothing to draw or a side out of range.
std::optional<LevelPicture> levelPicture(const Footprints &level, int longSide, LevelPictureStyle style,
                                         QString *why = nullptr);
