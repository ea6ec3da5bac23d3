#pragma once

#include <QtGlobal>

#include <optional>

class QString;

// What "Measure" reads: the picture's size, the two reference points in
// picture pixels and the same two points in world units. All values come
// from spin boxes limited to -9999 ... 9999, except the picture's size.
struct CalibrationEntries
{
    qint32 imageWidth = 0;
    qint32 imageHeight = 0;
    qint32 x1 = 0;
    qint32 y1 = 0;
    qint32 x2 = 0;
    qint32 y2 = 0;
    qint32 worldX1 = 0;
    qint32 worldY1 = 0;
    qint32 worldX2 = 0;
    qint32 worldY2 = 0;
};

// World coordinates of the picture's top-left corner (origin) and of its
// far corner at (width, height) (end).
struct Calibration
{
    qint32 originX = 0;
    qint32 originY = 0;
    qint64 endX = 0;
    qint64 endY = 0;
};

// Empty when the entries cannot describe a map: no picture, or the second
// point not strictly right of and below the first in the picture, or world x
// not growing and world y not falling from the first point to the second.
std::optional<Calibration> calibrate(const CalibrationEntries &entries);

// The two result lines, or "invalid entries.\n".
QString calibrationText(const std::optional<Calibration> &calibration);
