#include "core/calibration.h"

#include <QString>

namespace {

struct AxisMap
{
    qint64 origin;
    qint64 end;
    double exactOrigin;
    double exactEnd;
};

// With the entries' bounds, |w1 * p2 - w2 * p1| stays below 2^36 and
// size * (w2 - w1) below 2^37: 64 bits hold every step with room to spare.
constexpr qint64 largestNumerator = 2 * qint64(maxWorldCoordinate) * maxPictureSide
        + qint64(maxPictureSide) * 2 * maxWorldCoordinate;
static_assert(largestNumerator < (qint64(1) << 62));

// One axis from its two reference pixels p1 < p2 and world values w1, w2:
// the exact line through both points, evaluated at pixel 0 and at the
// picture's size, each truncated toward zero in integer arithmetic, and as
// the nearest double to the exact quotient.
AxisMap mapAxis(qint64 size, qint64 p1, qint64 p2, qint64 w1, qint64 w2)
{
    const qint64 numerator = w1 * p2 - w2 * p1;
    const qint64 endNumerator = numerator + size * (w2 - w1);
    const qint64 span = p2 - p1;
    return {numerator / span, endNumerator / span, double(numerator) / double(span), double(endNumerator) / double(span)};
}

} // namespace

std::optional<Calibration> calibrate(const CalibrationEntries &e)
{
    const bool valid = e.picture.width() > 0 && e.picture.height() > 0
            && e.pixel1.x() < e.pixel2.x() && e.pixel1.y() < e.pixel2.y()
            && e.world1.x() < e.world2.x() && e.world2.y() < e.world1.y();
    if (!valid)
        return std::nullopt;

    const AxisMap x = mapAxis(e.picture.width(), e.pixel1.x(), e.pixel2.x(), e.world1.x(), e.world2.x());
    const AxisMap y = mapAxis(e.picture.height(), e.pixel1.y(), e.pixel2.y(), e.world1.y(), e.world2.y());
    return Calibration{x.origin, y.origin, x.end, y.end, x.exactOrigin, y.exactOrigin, x.exactEnd, y.exactEnd};
}

QTransform pictureFromWorld(const CalibrationEntries &e)
{
    const double sx = double(e.pixel2.x() - e.pixel1.x()) / (e.world2.x() - e.world1.x());
    const double sy = double(e.pixel2.y() - e.pixel1.y()) / (e.world2.y() - e.world1.y());
    return QTransform(sx, 0, 0, sy, e.pixel1.x() - e.world1.x() * sx, e.pixel1.y() - e.world1.y() * sy);
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
