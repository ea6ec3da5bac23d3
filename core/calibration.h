#pragma once

#include <QPoint>
#include <QSize>
#include <QTransform>

#include <optional>

class QString;

// The number boxes' ranges, and so the bounds of every entry. World values
// reach the largest id Tech 3 world; pixels reach the widest picture that
// loads, so that every pixel of it can be picked.
constexpr qint32 maxWorldCoordinate = 131072;
constexpr qint32 maxPictureSide = 262144;

// What "Measure" reads: the picture's size (at most maxPictureSide), the
// two reference points in picture pixels (within +-maxPictureSide) and the
// same two points in world units (within +-maxWorldCoordinate).
struct CalibrationEntries
{
    QSize picture;
    QPoint pixel1;
    QPoint pixel2;
    QPoint world1;
    QPoint world2;
};

// World coordinates of the picture's top-left corner (origin) and of its
// far corner at (width, height) (end): truncated toward zero, as Measure
// prints them, and exact, as other tools take them.
struct Calibration
{
    qint64 originX = 0;
    qint64 originY = 0;
    qint64 endX = 0;
    qint64 endY = 0;
    double exactOriginX = 0;
    double exactOriginY = 0;
    double exactEndX = 0;
    double exactEndY = 0;
};

// Empty when the entries cannot describe a map: no picture, or the second
// point not strictly right of and below the first in the picture, or world x
// not growing and world y not falling from the first point to the second.
std::optional<Calibration> calibrate(const CalibrationEntries &entries);

// Where world x, y falls in the picture's pixels, on the exact line through
// both reference points; for entries that calibrate.
QTransform pictureFromWorld(const CalibrationEntries &entries);

// The two result lines, or "invalid entries.\n".
QString calibrationText(const std::optional<Calibration> &calibration);
