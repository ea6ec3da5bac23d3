#include "calibration.h"

#include <QString>

namespace {

struct AxisMap
{
    qint32 origin;
    qint64 end;
};

// One axis from its two reference pixels p1 < p2 and world values w1, w2:
// the exact line through both points, evaluated at pixel 0 and at the
// picture's size, each truncated toward zero. Integer arithmetic only: the
// numerator is at most 2 * 9999^2 and size * (w2 - w1) below 2^31 * 19998,
// so everything fits 64 bits, and the origin (at most the numerator) 32.
AxisMap mapAxis(qint64 size, qint64 p1, qint64 p2, qint64 w1, qint64 w2)
{
    const qint64 numerator = w1 * p2 - w2 * p1;
    const qint64 span = p2 - p1;
    return {static_cast<qint32>(numerator / span), (numerator + size * (w2 - w1)) / span};
}

} // namespace

std::optional<Calibration> calibrate(const CalibrationEntries &e)
{
    const bool valid = e.imageWidth > 0 && e.imageHeight > 0
            && e.x1 < e.x2 && e.y1 < e.y2
            && e.worldX1 < e.worldX2 && e.worldY2 < e.worldY1;
    if (!valid)
        return std::nullopt;

    const AxisMap x = mapAxis(e.imageWidth, e.x1, e.x2, e.worldX1, e.worldX2);
    const AxisMap y = mapAxis(e.imageHeight, e.y1, e.y2, e.worldY1, e.worldY2);
    return Calibration{x.origin, y.origin, x.end, y.end};
}

QString calibrationText(const std::optional<Calibration> &c)
{
    if (!c)
        return QStringLiteral("invalid entries.\n");
    return QStringLiteral("origin = ") + QString::number(c->originX) + ' '
            + QString::number(c->originY) + QStringLiteral(" ??\nend = ")
            + QString::number(c->endX) + ' ' + QString::number(c->endY)
            + QStringLiteral(" ??\n");
}
