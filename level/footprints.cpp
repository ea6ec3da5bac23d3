#include "level/footprints.h"

#include <QPainterPath>
#include <QSet>
#include <QStringList>
#include <QVarLengthArray>

#include <algorithm>
#include <cmath>

namespace {

struct Plane
{
    Vec3 normal;
    double distance = 0;
};

Vec3 operator-(const Vec3 &a, const Vec3 &b) { return {a.x - b.x, a.y - b.y, a.z - b.z}; }
Vec3 operator+(const Vec3 &a, const Vec3 &b) { return {a.x + b.x, a.y + b.y, a.z + b.z}; }
Vec3 operator*(const Vec3 &a, double s) { return {a.x * s, a.y * s, a.z * s}; }
double dot(const Vec3 &a, const Vec3 &b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
Vec3 cross(const Vec3 &a, const Vec3 &b) { return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x}; }

// Points closer to a plane than this lie on it.
constexpr double onPlane = 0.01;
// Each face starts as a square this large, far beyond any world; what is
// left of it near that size after clipping means the brush is open.
constexpr double baseSize = 1 << 20;
constexpr double worldBound = 1 << 19;

// The id Tech convention: seen from outside, the points run clockwise, and
// the normal (p0 - p1) x (p2 - p1) points out of the brush.
std::optional<Plane> planeOf(const BrushFace &face)
{
    const Vec3 normal = cross(face.points[0] - face.points[1], face.points[2] - face.points[1]);
    const double length = std::sqrt(dot(normal, normal));
    if (length < 1e-9)
        return std::nullopt;
    const Vec3 unit = normal * (1 / length);
    return Plane{unit, dot(unit, face.points[1])};
}

using Winding = QVarLengthArray<Vec3, 16>;

Winding baseWinding(const Plane &plane)
{
    const Vec3 &n = plane.normal;
    Vec3 up = std::fabs(n.z) > 0.6 ? Vec3{1, 0, 0} : Vec3{0, 0, 1};
    up = up - n * dot(up, n);
    up = up * (baseSize / std::sqrt(dot(up, up)));
    const Vec3 right = cross(up, n);
    const Vec3 centre = n * plane.distance;
    return {centre - right + up, centre + right + up, centre + right - up, centre - right - up};
}

// Keeps the part of a convex polygon behind the plane.
Winding clipped(const Winding &winding, const Plane &plane)
{
    Winding kept;
    for (qsizetype i = 0; i < winding.size(); ++i) {
        const Vec3 &a = winding[i];
        const Vec3 &b = winding[(i + 1) % winding.size()];
        const double da = dot(plane.normal, a) - plane.distance;
        const double db = dot(plane.normal, b) - plane.distance;
        if (da <= onPlane)
            kept.append(a);
        if ((da < -onPlane && db > onPlane) || (da > onPlane && db < -onPlane))
            kept.append(a + (b - a) * (da / (da - db)));
    }
    return kept;
}

// Snapped to 1/1024 unit, so that corners met from several faces merge.
QPointF snapped(const Vec3 &point)
{
    return {std::round(point.x * 1024) / 1024, std::round(point.y * 1024) / 1024};
}

double turn(const QPointF &o, const QPointF &a, const QPointF &b)
{
    return (a.x() - o.x()) * (b.y() - o.y()) - (a.y() - o.y()) * (b.x() - o.x());
}

// Counter-clockwise, from the lowest x (then y), without collinear points.
template<class Points>
QPolygonF convexHull(Points points)
{
    std::sort(points.begin(), points.end(), [](const QPointF &a, const QPointF &b) {
        return a.x() < b.x() || (a.x() == b.x() && a.y() < b.y());
    });
    points.erase(std::unique(points.begin(), points.end()), points.end());
    if (points.size() < 3)
        return {};
    QVarLengthArray<QPointF, 64> hull(2 * points.size());
    qsizetype k = 0;
    for (qsizetype i = 0; i < points.size(); ++i) {
        while (k >= 2 && turn(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    for (qsizetype i = points.size() - 2, lower = k + 1; i >= 0; --i) {
        while (k >= lower && turn(hull[k - 2], hull[k - 1], points[i]) <= 0)
            --k;
        hull[k++] = points[i];
    }
    hull.resize(k - 1);
    return hull.size() < 3 ? QPolygonF() : QPolygonF(QList<QPointF>(hull.begin(), hull.end()));
}

// The boundary of a patch's control grid: its first row, last column, last
// row and first column, seen from above.
QPolygonF gridBoundary(const QList<QList<Vec3>> &g)
{
    QPolygonF outline;
    const auto add = [&](const Vec3 &p) {
        const QPointF point(p.x, p.y);
        if (outline.isEmpty() || outline.last() != point)
            outline.append(point);
    };
    const qsizetype rows = g.size(), columns = g[0].size();
    for (qsizetype c = 0; c < columns; ++c)
        add(g[0][c]);
    for (qsizetype r = 1; r < rows; ++r)
        add(g[r][columns - 1]);
    for (qsizetype c = columns - 2; c >= 0; --c)
        add(g[rows - 1][c]);
    for (qsizetype r = rows - 2; r > 0; --r)
        add(g[r][0]);
    return outline;
}

// What a patch's control grid covers seen from above: the union of its
// cells, so that a grid folding over itself (a pipe lying down) still
// closes. A grid that covers no area (a wall standing upright) is its
// boundary, a line.
QList<QPolygonF> patchOutlines(const Patch &patch)
{
    const QList<QList<Vec3>> &g = patch.grid;
    const qsizetype rows = g.size(), columns = rows ? g[0].size() : 0;
    for (const QList<Vec3> &row : g) {
        if (row.size() != columns)
            return {};
    }
    if (rows < 2 || columns < 2)
        return {};
    QPainterPath covered;
    covered.setFillRule(Qt::WindingFill);
    for (qsizetype r = 0; r + 1 < rows; ++r) {
        for (qsizetype c = 0; c + 1 < columns; ++c) {
            QPolygonF cell;
            for (const Vec3 &p : {g[r][c], g[r][c + 1], g[r + 1][c + 1], g[r + 1][c]})
                cell.append(QPointF(p.x, p.y));
            double twiceArea = 0;
            for (int i = 0; i < 4; ++i)
                twiceArea += cell[i].x() * cell[(i + 1) % 4].y() - cell[(i + 1) % 4].x() * cell[i].y();
            if (std::fabs(twiceArea) < 1e-6)
                continue;
            // One turning sense for all, so that overlapping cells add up.
            if (twiceArea < 0)
                std::reverse(cell.begin(), cell.end());
            covered.addPolygon(cell);
            covered.closeSubpath();
        }
    }
    if (covered.isEmpty()) {
        const QPolygonF boundary = gridBoundary(g);
        return boundary.size() >= 2 ? QList<QPolygonF>{boundary} : QList<QPolygonF>();
    }
    QList<QPolygonF> outlines = covered.simplified().toSubpathPolygons();
    for (QPolygonF &outline : outlines) {
        if (outline.size() > 1 && outline.first() == outline.last())
            outline.removeLast();
    }
    return outlines;
}

bool isTrigger(const QByteArray &classname)
{
    return classname.toLower().startsWith("trigger_");
}

} // namespace

std::optional<QPolygonF> brushFootprint(const Brush &brush, double *top)
{
    if (brush.tooManyFaces)
        return std::nullopt;
    QVarLengthArray<Plane, 16> planes;
    for (const BrushFace &face : brush.faces) {
        if (const std::optional<Plane> plane = planeOf(face))
            planes.append(*plane);
    }
    QVarLengthArray<QPointF, 64> corners;
    double highest = -worldBound;
    int usefulFaces = 0;
    for (qsizetype i = 0; i < planes.size(); ++i) {
        Winding winding = baseWinding(planes[i]);
        for (qsizetype j = 0; j < planes.size() && winding.size() >= 3; ++j) {
            if (j != i)
                winding = clipped(winding, planes[j]);
        }
        if (winding.size() < 3)
            continue;
        ++usefulFaces;
        for (const Vec3 &point : winding) {
            if (std::fabs(point.x) > worldBound || std::fabs(point.y) > worldBound || std::fabs(point.z) > worldBound)
                return std::nullopt; // open on some side
            corners.append(snapped(point));
            highest = std::max(highest, point.z);
        }
    }
    // A brush with no volume keeps two faces at most: its sides shrink to
    // lines.
    if (usefulFaces < 4)
        return std::nullopt;
    const QPolygonF hull = convexHull(corners);
    if (hull.isEmpty())
        return std::nullopt;
    if (top)
        *top = highest;
    return hull;
}

bool isToolTexture(const QByteArray &texture)
{
    static const QSet<QByteArray> tools = {
        "clip", "playerclip", "npcclip", "monsterclip", "clipmonster", "botclip", "weapclip", "full_clip",
        "clipfull", "nodrop", "trigger", "hint", "hintskip", "skip", "origin", "areaportal", "clusterportal",
        "fog", "occluder", "invisible", "invisibleladder", "donotenter", "blocklight", "blockbullets", "blocklos",
        "lightgrid", "cushion"};
    const QByteArray name = texture.toLower();
    QByteArray base = name.mid(name.lastIndexOf('/') + 1);
    if (base.startsWith("tools"))
        base = base.mid(5);
    return tools.contains(base) || base.startsWith("sky") || name.startsWith("skies/");
}

Footprints footprints(const Level &level)
{
    Footprints result;
    for (const LevelEntity &entity : level.entities) {
        const bool solid = !entity.brushes.isEmpty() || !entity.patches.isEmpty();
        if (!solid) {
            if (entity.origin && entity.classname != "worldspawn")
                result.marks.append(QPointF(entity.origin->x, entity.origin->y));
            continue;
        }
        result.anySolid = true;
        // A trigger's volume is no surface anyone sees, whatever it is
        // textured with.
        if (isTrigger(entity.classname)) {
            result.triggers += int(entity.brushes.size());
            continue;
        }
        for (const Brush &brush : entity.brushes) {
            if (!brush.faces.isEmpty() && std::all_of(brush.faces.begin(), brush.faces.end(), [](const BrushFace &face) {
                    return isToolTexture(face.texture);
                })) {
                ++result.tools;
                continue;
            }
            double top = 0;
            if (const std::optional<QPolygonF> outline = brushFootprint(brush, &top)) {
                result.outlines.append(*outline);
                result.tops.append(top);
                ++result.brushes;
            } else {
                ++result.skipped;
            }
        }
        for (const Patch &patch : entity.patches) {
            const QList<QPolygonF> outlines = patchOutlines(patch);
            double top = -worldBound;
            for (const QList<Vec3> &row : patch.grid) {
                for (const Vec3 &point : row)
                    top = std::max(top, point.z);
            }
            result.outlines.append(outlines);
            result.tops.append(QList<double>(outlines.size(), top));
        }
    }
    return result;
}

namespace {

QString counted(int count, const char *one, const char *many)
{
    return QString::number(count) + ' ' + QLatin1String(count == 1 ? one : many);
}

} // namespace

QString footprintsSummary(const QString &name, const Footprints &f)
{
    const QString marks = counted(int(f.marks.size()), "mark", "marks");
    if (!f.anySolid)
        return QStringLiteral("%1: the file holds no brushes, %2").arg(name, marks);
    QStringList leftOut;
    if (f.tools > 0)
        leftOut << counted(f.tools, "tool brush", "tool brushes");
    if (f.triggers > 0)
        leftOut << counted(f.triggers, "trigger brush", "trigger brushes");
    if (f.skipped > 0)
        leftOut << counted(f.skipped, "brush that does not close", "brushes that do not close");
    QString text = QStringLiteral("%1: %2, %3").arg(name, counted(f.brushes, "brush", "brushes"), marks);
    if (!leftOut.isEmpty())
        text += QStringLiteral("; left out: ") + leftOut.join(QStringLiteral(", "));
    return text;
}
