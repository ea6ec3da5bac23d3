#include "calibration.h"

#include <QString>

namespace {

struct AxisMap
{
    qint32 origin;
    qint64 end;
};

// One axis from its two reference pixels p1 < p2 and world values w1, w2.
// The order of operations and the precisions are those users compare their
// numbers against: a truncated origin, a single-precision scale and a
// truncated end.
AxisMap mapAxis(qint32 size, qint32 p1, qint32 p2, qint32 w1, qint32 w2)
{
    const qint32 numerator = w1 * p2 - w2 * p1;
    const auto origin = static_cast<qint32>(double(numerator) / double(p2 - p1));
    // With p1 at 0 the origin is w1 itself and the first point says nothing
    // about the scale; the second point (p2 > 0) still does.
    const float scale = p1 != 0 ? float(double(w1 - origin) / double(p1))
                                : float(double(w2 - origin) / double(p2));
    // The scale is at most about 2e8 in magnitude and the size fits 32 bits,
    // so the end always fits 64 bits.
    const auto end = static_cast<qint64>(double(size) * double(scale) + double(origin));
    return {origin, end};
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
