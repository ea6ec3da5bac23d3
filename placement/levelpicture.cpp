#include "placement/levelpicture.h"

#include "level/footprints.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <cmath>
#include <numeric>

namespace {

// The level's extent in whole units: x right, y up.
struct Extent
{
    qint64 left, bottom, right, top;
    qint64 width() const { return right - left; }
    qint64 height() const { return top - bottom; }
};

std::optional<Extent> extentOf(const Footprints &level)
{
    std::optional<Extent> e;
    for (const QPolygonF &outline : level.outlines) {
        for (const QPointF &p : outline) {
            const qint64 x = qint64(std::floor(p.x())), y = qint64(std::floor(p.y()));
            const qint64 right = qint64(std::ceil(p.x())), top = qint64(std::ceil(p.y()));
            e = e ? Extent{std::min(e->left, x), std::min(e->bottom, y), std::max(e->right, right), std::max(e->top, top)}
                  : Extent{x, y, right, top};
        }
    }
    if (!e)
        return e;
    // A level that is one line still spans a unit each way.
    e->right = std::max(e->right, e->left + 1);
    e->top = std::max(e->top, e->bottom + 1);
    return e;
}

} // namespace

int levelPictureSide(const Footprints &level)
{
    const std::optional<Extent> extent = extentOf(level);
    return extent ? int(std::min<qint64>(std::max(extent->width(), extent->height()) + 2 * levelPictureMargin, levelPictureCap)) : 0;
}

std::optional<LevelPicture> levelPicture(const Footprints &level, int longSide, LevelPictureStyle style, QString *why)
{
    const auto refuse = [why](const QString &reason) {
        if (why)
            *why = reason;
        return std::nullopt;
    };
    const std::optional<Extent> extent = extentOf(level);
    if (!extent)
        return refuse(QStringLiteral("the level has no brushes to draw"));
    const qint64 longest = std::max(extent->width(), extent->height());
    if (longSide == 0)
        longSide = levelPictureSide(level);
    if (longSide < smallestLevelPicture || longSide > largestLevelPicture)
        return refuse(QStringLiteral("the size must lie between %1 and %2 pixels").arg(smallestLevelPicture).arg(largestLevelPicture));

    // Units a pixel as a fraction whose one side is 1: a whole number of
    // units a pixel for a level larger than the picture, a whole number of
    // pixels a unit for one smaller.
    const qint64 room = longSide - 2 * levelPictureMargin;
    const qint64 units = longest > room ? (longest + room - 1) / room : 1;
    const qint64 pixels = longest > room ? 1 : room / longest;
    const auto side = [&](qint64 span) { return (span * pixels + units - 1) / units; };
    const qint64 across = side(extent->width()), down = side(extent->height());
    const QSize size(int(extent->width() >= extent->height() ? longSide : across + 2 * levelPictureMargin),
                     int(extent->width() >= extent->height() ? down + 2 * levelPictureMargin : longSide));

    LevelPicture picture;
    const int m = levelPictureMargin;
    picture.entries = {size, QPoint(m, m), QPoint(int(m + across), int(m + down)), QPoint(int(extent->left), int(extent->top)),
                       QPoint(int(extent->left + across * units / pixels), int(extent->top - down * units / pixels))};
    const bool floors = style == LevelPictureStyle::Floors;
    picture.image = QImage(size, QImage::Format_RGB32);
    picture.image.fill(floors ? Qt::black : Qt::white);

    QPainter painter(&picture.image);
    painter.setRenderHint(QPainter::Antialiasing);
    const double scale = double(pixels) / double(units);
    painter.translate(m - double(extent->left) * scale, m + double(extent->top) * scale);
    painter.scale(scale, -scale);
    if (!floors) {
        QPen pen(Qt::black, 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        for (const QPolygonF &outline : level.outlines)
            painter.drawPolygon(outline);
        return picture;
    }
    // Lower floors first, so that what stands above covers them.
    QList<qsizetype> order(level.outlines.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype a, qsizetype b) { return level.tops[a] < level.tops[b]; });
    const auto [low, high] = std::minmax_element(level.tops.begin(), level.tops.end());
    const double span = std::max(*high - *low, 1.0);
    painter.setPen(Qt::NoPen);
    for (const qsizetype i : order) {
        const int grey = 64 + int(std::lround(176 * (level.tops[i] - *low) / span));
        painter.setBrush(QColor(grey, grey, grey));
        painter.drawPolygon(level.outlines[i]);
    }
    return picture;
}
