#include "placement/placement.h"

#include "placement/placementsteps.h"

#include "level/footprints.h"

#include <QColor>
#include <QImage>
#include <QPainter>
#include <QPen>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numeric>
#include <vector>

namespace {

// The outline is judged at this many points at most, fitted and searched
// with fewer, so that a level of many brushes costs no more than a simple one.
constexpr int maxSamples = 30000;
constexpr int fitSamples = 10000;
constexpr int searchSamples = 2000;
// What a placement needs to be given as sure.
constexpr double leastEvidence = 0.12;
constexpr double leastLead = 3;
// A fit to every outline on a picture of outlines sees most of it; one to
// the edges floors show sees fewer, since shading hides some of those too.
constexpr double leastShare = 0.45;
constexpr double leastFloorsShare = 0.2;
constexpr double leastExplained = 0.6;
// How many of the best fits are tried as starts for matching the picture
// with a drawing of the level.
constexpr size_t likenessStarts = 4;

const double notMeasured = std::numeric_limits<double>::quiet_NaN();

// Inline, since the search reads a map many million times.
template<typename T>
inline float bilinear(const cv::Mat &m, double x, double y)
{
    x -= 0.5;
    y -= 0.5;
    // Also whatever a wild candidate puts far off, before it meets an int.
    if (!(x >= 0 && y >= 0 && x < m.cols - 1 && y < m.rows - 1))
        return -1;
    const int left = int(x), top = int(y);
    const float fx = float(x - left), fy = float(y - top);
    const T *upper = m.ptr<T>(top) + left, *lower = m.ptr<T>(top + 1) + left;
    return (1 - fy) * ((1 - fx) * upper[0] + fx * upper[1]) + fy * ((1 - fx) * lower[0] + fx * lower[1]);
}

// Cuts the segment from p to q to the part inside r; false when none is.
bool clip(QPointF &p, QPointF &q, const QRectF &r)
{
    if (!std::isfinite(p.x()) || !std::isfinite(p.y()) || !std::isfinite(q.x()) || !std::isfinite(q.y()))
        return false;
    const QPointF d = q - p;
    const double towards[] = {-d.x(), d.x(), -d.y(), d.y()};
    const double room[] = {p.x() - r.left(), r.right() - p.x(), p.y() - r.top(), r.bottom() - p.y()};
    double from = 0, to = 1;
    for (int i = 0; i < 4; ++i) {
        if (towards[i] == 0) {
            if (room[i] < 0)
                return false;
        } else if (towards[i] < 0) {
            from = std::max(from, room[i] / towards[i]);
        } else {
            to = std::min(to, room[i] / towards[i]);
        }
    }
    if (from > to)
        return false;
    q = p + to * d;
    p = p + from * d;
    return true;
}

// The placement in the picture's pixels and the world's units.
void setTransform(Placement &p, const placing::Transform &t, const QPointF &centre)
{
    p.a = t.a;
    p.b = t.b - t.a * centre.x();
    p.c = t.c;
    p.d = t.d - t.c * centre.y();
}

} // namespace

namespace placing {

// A transparent picture is seen as laid on white paper.
QImage greyOf(const QImage &picture)
{
    if (picture.format() == QImage::Format_Grayscale8)
        return picture;
    QImage colour;
    if (picture.hasAlphaChannel()) {
        colour = QImage(picture.size(), QImage::Format_RGB32);
        colour.fill(Qt::white);
        QPainter(&colour).drawImage(0, 0, picture);
    } else {
        colour = picture.convertToFormat(QImage::Format_RGB32);
    }
    // Turned grey many pixels at a stroke: pixel by pixel, a large picture
    // took as long as the whole search.
    QImage grey(colour.size(), QImage::Format_Grayscale8);
    if (colour.isNull() || grey.isNull())
        return {};
    const cv::Mat from(colour.height(), colour.width(), CV_8UC4, colour.bits(), size_t(colour.bytesPerLine()));
    cv::Mat to(grey.height(), grey.width(), CV_8UC1, grey.bits(), size_t(grey.bytesPerLine()));
    cv::cvtColor(from, to, cv::COLOR_BGRA2GRAY);
    return grey;
}

// The picture's edges: the spread of grey over each 3 x 3 neighbourhood,
// less the floor. A step between two shades gives a band two pixels wide
// centred on the step, a thin line a band three wide centred on the line,
// so the band's centre of weight is where the edge lies, to a fraction of
// a pixel.
cv::Mat edgesOf(const QImage &picture)
{
    const QImage grey = greyOf(picture);
    const cv::Mat view(grey.height(), grey.width(), CV_8UC1, const_cast<uchar *>(grey.constBits()), size_t(grey.bytesPerLine()));
    cv::Mat edges;
    cv::morphologyEx(view, edges, cv::MORPH_GRADIENT, cv::Mat());
    cv::subtract(edges, cv::Scalar(edgeFloor), edges);
    return edges;
}

// Half the size, each pixel the strongest of the four it covers, so that a
// line one pixel wide survives any number of halvings.
cv::Mat halved(const cv::Mat &m)
{
    cv::Mat out((m.rows + 1) / 2, (m.cols + 1) / 2, CV_8UC1);
    for (int y = 0; y < out.rows; ++y) {
        const uchar *upper = m.ptr(2 * y), *lower = m.ptr(std::min(2 * y + 1, m.rows - 1));
        uchar *row = out.ptr(y);
        for (int x = 0; x < out.cols; ++x) {
            const int right = std::min(2 * x + 1, m.cols - 1);
            row[x] = std::max(std::max(upper[2 * x], upper[right]), std::max(lower[2 * x], lower[right]));
        }
    }
    return out;
}

std::vector<cv::Mat> edgePyramid(const QImage &picture)
{
    std::vector<cv::Mat> maps{edgesOf(picture)};
    while (std::max(maps.back().cols, maps.back().rows) > coarseSide)
        maps.push_back(halved(maps.back()));
    return maps;
}

int judgingLevel(const std::vector<cv::Mat> &maps)
{
    int level = 0;
    while (std::max(maps[size_t(level)].cols, maps[size_t(level)].rows) > judgingSide)
        ++level;
    return level;
}

template<typename T>
float valueAt(const cv::Mat &m, double x, double y)
{
    return bilinear<T>(m, x, y);
}

template float valueAt<uchar>(const cv::Mat &m, double x, double y);
template float valueAt<float>(const cv::Mat &m, double x, double y);

// How far along the normal n from p the centre of the nearest edge lies,
// if one peaks within reach and its band ends inside the window.
double offsetToEdge(const cv::Mat &m, const QPointF &p, const QPointF &n, int reach)
{
    constexpr int most = 12;
    const int span = std::min(reach + 6, most);
    // The window lies on the map when both its ends do; its values are read
    // only as far as the band reaches.
    if (bilinear<uchar>(m, p.x() - span * n.x(), p.y() - span * n.y()) < 0 || bilinear<uchar>(m, p.x() + span * n.x(), p.y() + span * n.y()) < 0)
        return notMeasured;
    float values[2 * most + 1];
    std::fill(values, values + 2 * span + 1, -1.0f);
    const auto v = [&](int i) {
        if (values[i] < 0)
            values[i] = bilinear<uchar>(m, p.x() + (i - span) * n.x(), p.y() + (i - span) * n.y());
        return values[i];
    };
    int peak = -1;
    for (int step = 0; step <= reach && peak < 0; ++step) {
        for (const int k : {span - step, span + step}) {
            if (v(k) >= smallestPeak && v(k) >= v(k - 1) && v(k) >= v(k + 1)) {
                peak = k;
                break;
            }
        }
    }
    if (peak < 0)
        return notMeasured;
    int low = peak, high = peak;
    while (low > 0 && v(low - 1) > 0 && v(low - 1) <= v(low))
        --low;
    while (high < 2 * span && v(high + 1) > 0 && v(high + 1) <= v(high))
        ++high;
    if (low == 0 || high == 2 * span)
        return notMeasured;
    double sum = 0, moment = 0;
    for (int k = low; k <= high; ++k) {
        sum += values[k];
        moment += double(values[k]) * (k - span);
    }
    return moment / sum;
}

std::vector<OutlineEdge> outlineEdges(const Footprints &level, const QPointF &centre)
{
    std::vector<OutlineEdge> edges;
    for (qsizetype o = 0; o < level.outlines.size(); ++o) {
        const QPolygonF &outline = level.outlines[o];
        for (qsizetype i = 0; i < outline.size(); ++i) {
            const QLineF line(outline[i] - centre, outline[(i + 1) % outline.size()] - centre);
            const double length = line.length();
            edges.push_back({line, length, length > 0 ? (line.p2() - line.p1()) / length : QPointF(), int(o)});
        }
    }
    return edges;
}

std::vector<Sample> samplesOf(const Footprints &level, const QPointF &centre, double pixelsPerUnit, double spacing, int most)
{
    return samplesOf(outlineEdges(level, centre), pixelsPerUnit, spacing, most);
}

// Points along every edge of the level's outlines, about spacing pixels
// apart at pixelsPerUnit, clear of the corners, where two edges' bands meet.
std::vector<Sample> samplesOf(const std::vector<OutlineEdge> &edges, double pixelsPerUnit, double spacing, int most)
{
    double length = 0;
    for (const OutlineEdge &edge : edges)
        length += edge.length;
    spacing = std::max(spacing, length * pixelsPerUnit / most);
    std::vector<Sample> samples;
    for (const OutlineEdge &edge : edges) {
        const double pixels = edge.length * pixelsPerUnit;
        if (pixels < 4)
            continue;
        for (double at = 1.5 + std::fmod(pixels - 3, spacing) / 2; at <= pixels - 1.5; at += spacing)
            samples.push_back({edge.line.pointAt(at / pixels), edge.along, edge.outline});
    }
    // Many short edges take a sample each whatever the spacing, so some are
    // left out. Every so many would keep the same side of every brush where
    // brushes are alike; a stride of a golden share of them, wrapping round,
    // spreads the choice over every side and along the whole outline.
    const size_t count = samples.size();
    if (count > size_t(most)) {
        size_t stride = size_t(0.618 * double(count));
        while (std::gcd(stride, count) != 1)
            ++stride;
        std::vector<size_t> chosen(static_cast<size_t>(most));
        for (size_t i = 0; i < chosen.size(); ++i)
            chosen[i] = i * stride % count;
        std::sort(chosen.begin(), chosen.end());
        std::vector<Sample> fewer;
        for (const size_t i : chosen)
            fewer.push_back(samples[i]);
        samples.swap(fewer);
    }
    return samples;
}

QPointF normalAt(const Transform &t, const Sample &s)
{
    const QPointF along(t.a * s.along.x(), t.c * s.along.y());
    const double length = std::hypot(along.x(), along.y());
    return {-along.y() / length, along.x() / length};
}

// One step of the fit: moves the transform so that the outline lies on the
// edges measured within reach of it, each axis scaled on its own. The map's
// pixels are unit full pixels wide.
bool refine(Transform &t, const std::vector<Sample> &samples, const cv::Mat &m, double unit, int reach)
{
    cv::Matx44d normal; // OpenCV's small matrices start at zero
    cv::Vec4d right;
    int used = 0;
    for (const Sample &s : samples) {
        const QPointF p = t(s.world), n = normalAt(t, s);
        const double offset = offsetToEdge(m, p / unit, n, reach);
        if (std::isnan(offset))
            continue;
        const double weight = std::pow(1 - std::pow(offset / (reach + 1), 2), 2);
        const double target = n.x() * p.x() + n.y() * p.y() + offset * unit;
        const cv::Vec4d row(n.x() * s.world.x(), n.x(), n.y() * s.world.y(), n.y());
        normal += weight * row * row.t();
        right += weight * target * row;
        ++used;
    }
    if (used < 12)
        return false;
    cv::Vec4d solved;
    if (!cv::solve(normal, right, solved, cv::DECOMP_SVD) || !std::isfinite(solved[0]))
        return false;
    const Transform moved{solved[0], solved[1], solved[2], solved[3]};
    if (moved.a <= 0 || moved.c >= 0 || moved.a > -4 * moved.c || -moved.c > 4 * moved.a)
        return false;
    t = moved;
    return true;
}

// The distance from each pixel to the nearest edge, up to far, in steps
// of a fortieth of a pixel: held in bytes, the map is read four times as
// often from the processor's nearest cache as in floats.
constexpr float far = 6;
constexpr double steps = 40;

cv::Mat distancesOf(const cv::Mat &m)
{
    cv::Mat distances;
    cv::distanceTransform(m < smallestPeak, distances, cv::DIST_L2, cv::DIST_MASK_PRECISE);
    cv::min(distances, far, distances);
    distances.convertTo(distances, CV_8U, steps);
    return distances;
}

// The mean distance from the outline to the picture's edges; what lies off
// the picture counts as most of the way to far.
double chamfer(const Transform &t, const std::vector<Sample> &samples, const cv::Mat &distances, double unit)
{
    const Transform onMap{t.a / unit, t.b / unit, t.c / unit, t.d / unit};
    double sum = 0;
    for (const Sample &s : samples) {
        const QPointF p = onMap(s.world);
        const float d = bilinear<uchar>(distances, p.x(), p.y());
        sum += d < 0 ? 0.75 * far : d / steps;
    }
    return samples.empty() ? far : sum / double(samples.size());
}

// Slides and stretches the outline, a map pixel at a time and then by
// halves down to a part of one, while its distance to the edges falls.
void search(Transform &t, const std::vector<Sample> &samples, const cv::Mat &distances, double unit, double radius, bool tied, int part)
{
    double best = chamfer(t, samples, distances, unit);
    for (double step = unit; step >= unit / part; step /= 2) {
        for (int round = 0; round < 40; ++round) {
            const double grow = 1 + step / radius, shrink = 1 / grow;
            std::vector<Transform> moves{{t.a, t.b + step, t.c, t.d}, {t.a, t.b - step, t.c, t.d},
                                         {t.a, t.b, t.c, t.d + step}, {t.a, t.b, t.c, t.d - step}};
            if (tied) {
                moves.push_back({t.a * grow, t.b, t.c * grow, t.d});
                moves.push_back({t.a * shrink, t.b, t.c * shrink, t.d});
            } else {
                moves.push_back({t.a * grow, t.b, t.c, t.d});
                moves.push_back({t.a * shrink, t.b, t.c, t.d});
                moves.push_back({t.a, t.b, t.c * grow, t.d});
                moves.push_back({t.a, t.b, t.c * shrink, t.d});
            }
            bool moved = false;
            for (const Transform &m : moves) {
                const double score = chamfer(m, samples, distances, unit);
                if (score < best) {
                    best = score;
                    t = m;
                    moved = true;
                }
            }
            if (!moved)
                break;
        }
    }
}

// The level in white on black as the painter is set: every outline a line
// a pixel wide, or the floors filled, higher over lower, lighter the higher
// or all alike.
void drawLevel(QPainter &painter, const Footprints &level, Look look)
{
    if (look == Look::Outlines) {
        QPen pen(Qt::white, 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        for (const QPolygonF &outline : level.outlines)
            painter.drawPolygon(outline);
        return;
    }
    std::vector<qsizetype> order(size_t(level.outlines.size()));
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(), [&](qsizetype p, qsizetype q) { return level.tops[p] < level.tops[q]; });
    const auto [low, high] = std::minmax_element(level.tops.begin(), level.tops.end());
    painter.setPen(Qt::NoPen);
    for (const qsizetype i : order) {
        const int grey = look == Look::Silhouette ? 255 : 64 + int(176 * (level.tops[i] - *low) / std::max(*high - *low, 1.0));
        painter.setBrush(QColor(grey, grey, grey));
        painter.drawPolygon(level.outlines[i]);
    }
}

// How much of the picture's edges the level's outline explains, seen on a
// map unit full pixels a pixel: each edge pixel within a pixel and a half
// of an outline, and the same with the outline a few pixels aside, which a
// picture of edges everywhere explains as well.
void explain(Evidence &e, const Transform &t, const Footprints &level, const QPointF &centre, const cv::Mat &m, double unit)
{
    // Drawn segment by segment: through a painter, many thousand brushes'
    // outlines took longer than all the rest of the judging.
    cv::Mat drawn = cv::Mat::zeros(m.size(), CV_8UC1);
    const auto onMap = [&](const QPointF &w) { return t(w - centre) / unit - QPointF(0.5, 0.5); };
    const QRectF bounds(-2, -2, m.cols + 4, m.rows + 4);
    for (const QPolygonF &outline : level.outlines) {
        for (qsizetype i = 0; i < outline.size(); ++i) {
            QPointF p = onMap(outline[i]), q = onMap(outline[(i + 1) % outline.size()]);
            if (!clip(p, q, bounds))
                continue;
            // Most outlines run along an axis, and a run of a row or column
            // is set at once.
            const int x0 = int(std::lround(std::min(p.x(), q.x()))), x1 = int(std::lround(std::max(p.x(), q.x())));
            const int y0 = int(std::lround(std::min(p.y(), q.y()))), y1 = int(std::lround(std::max(p.y(), q.y())));
            if (y0 == y1 && y0 >= 0 && y0 < drawn.rows) {
                uchar *row = drawn.ptr(y0);
                for (int x = std::max(x0, 0); x <= std::min(x1, drawn.cols - 1); ++x)
                    row[x] = 255;
            } else if (x0 == x1 && x0 >= 0 && x0 < drawn.cols) {
                for (int y = std::max(y0, 0); y <= std::min(y1, drawn.rows - 1); ++y)
                    drawn.ptr(y)[x0] = 255;
            } else if (y0 != y1 && x0 != x1) {
                cv::line(drawn, cv::Point(int(std::lround(16 * p.x())), int(std::lround(16 * p.y()))),
                         cv::Point(int(std::lround(16 * q.x())), int(std::lround(16 * q.y()))), 255, 1, cv::LINE_8, 4);
            }
        }
    }
    // Within a pixel and a half of a drawn pixel's centre are exactly its
    // eight neighbours.
    cv::Mat grown;
    cv::dilate(drawn, grown, cv::Mat());
    const int off = aside;
    if (m.cols <= 2 * off || m.rows <= 2 * off)
        return;
    const cv::Rect inner(off, off, m.cols - 2 * off, m.rows - 2 * off);
    const cv::Mat edge = m(inner) >= smallestPeak;
    const auto near = [&](int dx, int dy) { return cv::countNonZero(edge & grown(inner + cv::Point(dx, dy))); };
    const long long edges = cv::countNonZero(edge), on = near(0, 0), onAside = near(-off, 0) + near(off, 0) + near(0, -off) + near(0, off);
    if (edges > 0) {
        e.explained = double(on) / double(edges);
        e.explainedAside = double(onAside) / (4.0 * double(edges));
    }
}

Evidence evidenceOf(const Transform &t, const std::vector<Sample> &samples, const cv::Mat &m, double unit, int outlines)
{
    Evidence e;
    e.seen.assign(size_t(outlines), 0);
    e.hits.assign(size_t(outlines), 0);
    int seen = 0, hits = 0;
    const double inside = 12;
    for (const Sample &s : samples) {
        const QPointF p = t(s.world), n = normalAt(t, s);
        if (p.x() / unit < inside || p.y() / unit < inside || p.x() / unit > m.cols - inside || p.y() / unit > m.rows - inside)
            continue;
        ++seen;
        ++e.seen[size_t(s.outline)];
        const double offset = offsetToEdge(m, p / unit, n, 2);
        if (!std::isnan(offset) && std::abs(offset) <= 1) {
            ++hits;
            ++e.hits[size_t(s.outline)];
        }
    }
    if (seen > 0)
        e.share = double(hits) / seen;
    return e;
}

// How far apart two placements put the picture's corners, in pixels.
double cornerGap(const Transform &p, const Transform &q, const QSize &size)
{
    double gap = 0;
    for (const QPointF corner : {QPointF(0, 0), QPointF(size.width(), size.height())}) {
        const QPointF there = q(QPointF((corner.x() - p.b) / p.a, (corner.y() - p.d) / p.c));
        gap = std::max({gap, std::abs(there.x() - corner.x()), std::abs(there.y() - corner.y())});
    }
    return gap;
}

bool apart(const Transform &p, const Transform &q, double unit)
{
    return std::abs(p.a - q.a) > 0.05 * p.a || std::abs(p.b - q.b) > 3 * unit || std::abs(p.d - q.d) > 3 * unit;
}

// The level drawn scale units a pixel, as a picture of its edges: every
// brush's outline, or the edges that floors filled and shaded by height
// show, where most outlines lie hidden.
cv::Mat drawnEdges(const Footprints &level, const QRectF &extent, double scale, bool floors)
{
    QImage drawn(std::max(1, int(std::ceil(extent.width() * scale))), std::max(1, int(std::ceil(extent.height() * scale))),
                 QImage::Format_Grayscale8);
    drawn.fill(0);
    QPainter painter(&drawn);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-extent.left() * scale, extent.bottom() * scale);
    painter.scale(scale, -scale);
    drawLevel(painter, level, floors ? Look::Floors : Look::Outlines);
    painter.end();
    if (!floors)
        return cv::Mat(drawn.height(), drawn.width(), CV_8UC1, drawn.bits(), size_t(drawn.bytesPerLine())).clone();
    const cv::Mat view(drawn.height(), drawn.width(), CV_8UC1, drawn.bits(), size_t(drawn.bytesPerLine()));
    cv::Mat edges;
    cv::morphologyEx(view, edges, cv::MORPH_GRADIENT, cv::Mat());
    cv::threshold(edges, edges, 2, 255, cv::THRESH_BINARY);
    return edges;
}

// The coarse search: the level's edges drawn once each way, shrunk to every
// scale that shows the level between a quarter and 1.3 times the picture's
// long side, and slid over the picture's edges. A placement scores the
// edges under the drawing less the edges around it, so that a busy picture
// scores nothing.
std::vector<Candidate> coarseSearch(const cv::Mat &map, double unit, const Footprints &level, const QRectF &extent,
                                    const std::function<bool(int)> &progress, bool *stopped)
{
    cv::Mat picture;
    map.convertTo(picture, CV_32F, 1.0 / 48);
    cv::min(picture, 1.0, picture);
    cv::GaussianBlur(picture, picture, cv::Size(), 1.0);

    const int longSide = std::max(map.cols, map.rows);
    const double worldLong = std::max(extent.width(), extent.height());
    const double drawnScale = 2.6 * longSide / worldLong;
    const cv::Mat drawings[] = {drawnEdges(level, extent, drawnScale, false), drawnEdges(level, extent, drawnScale, true)};

    std::vector<Candidate> found;
    const QPointF centre = extent.center();
    int step = 0;
    for (double share = 0.25; share <= 1.3; share *= 1.04, ++step) {
        if (progress && !progress(std::min(60, step * 60 / 43))) {
            *stopped = true;
            return {};
        }
        const double scale = share * longSide / worldLong;
        const int tw = int(std::lround(extent.width() * scale)), th = int(std::lround(extent.height() * scale));
        if (tw < 2 || th < 2 || (tw < 12 && th < 12))
            continue;
        const int padX = int(0.3 * tw) + std::max(0, tw - picture.cols), padY = int(0.3 * th) + std::max(0, th - picture.rows);
        cv::Mat padded, sums;
        cv::copyMakeBorder(picture, padded, padY, padY, padX, padX, cv::BORDER_CONSTANT, 0);
        cv::integral(padded, sums, CV_64F);
        for (const cv::Mat &drawing : drawings) {
            cv::Mat shrunk, tmpl, correlation;
            cv::resize(drawing, shrunk, cv::Size(tw, th), 0, 0, cv::INTER_AREA);
            cv::threshold(shrunk, shrunk, 4, 1, cv::THRESH_BINARY);
            shrunk.convertTo(tmpl, CV_32F);
            const double mass = cv::sum(tmpl)[0];
            if (mass < 16)
                continue;
            cv::matchTemplate(padded, tmpl, correlation, cv::TM_CCORR);
            cv::Mat score(correlation.size(), CV_32F);
            for (int y = 0; y < score.rows; ++y) {
                for (int x = 0; x < score.cols; ++x) {
                    const double around = sums.at<double>(y + th, x + tw) - sums.at<double>(y, x + tw)
                            - sums.at<double>(y + th, x) + sums.at<double>(y, x);
                    score.at<float>(y, x) = float(correlation.at<float>(y, x) / mass - around / (double(tw) * th));
                }
            }
            // The three best peaks of this scale.
            for (int peak = 0; peak < 3; ++peak) {
                double best;
                cv::Point at;
                cv::minMaxLoc(score, nullptr, &best, nullptr, &at);
                if (best <= 0)
                    break;
                const double a = unit * tw / extent.width(), c = -unit * th / extent.height();
                found.push_back({best, {a, unit * (at.x - padX) + a * (centre.x() - extent.left()), c,
                                        unit * (at.y - padY) + c * (centre.y() - extent.bottom())}});
                cv::rectangle(score, cv::Rect(at.x - 3, at.y - 3, 7, 7), cv::Scalar(0), cv::FILLED);
            }
        }
    }
    std::sort(found.begin(), found.end(), [](const Candidate &p, const Candidate &q) { return p.score > q.score; });
    std::vector<Candidate> kept;
    for (const Candidate &c : found) {
        if (std::all_of(kept.begin(), kept.end(), [&](const Candidate &k) { return apart(k.t, c.t, unit); }))
            kept.push_back(c);
        if (kept.size() == 10)
            break;
    }
    return kept;
}

// Two brush corners of whole world units, on outlines the picture shows,
// far apart, such that Measure, given them at whole pixels, repeats the
// placement within as small a part of a pixel as any such pair.
std::optional<CalibrationEntries> cornersOf(const Footprints &level, const Transform &t, const QPointF &centre, const QSize &size,
                                            const Evidence &e)
{
    struct Corner
    {
        QPoint world;
        QPointF pixel;
    };
    std::vector<Corner> corners;
    for (qsizetype o = 0; o < level.outlines.size(); ++o) {
        if (e.seen[size_t(o)] < 3 || 2 * e.hits[size_t(o)] < e.seen[size_t(o)])
            continue;
        for (const QPointF &w : level.outlines[o]) {
            if (w.x() != std::round(w.x()) || w.y() != std::round(w.y()) || std::abs(w.x()) > maxWorldCoordinate
                || std::abs(w.y()) > maxWorldCoordinate)
                continue;
            const QPointF pixel = t(w - centre);
            if (pixel.x() < 0.5 || pixel.y() < 0.5 || pixel.x() > size.width() - 1.5 || pixel.y() > size.height() - 1.5)
                continue;
            corners.push_back({w.toPoint(), pixel});
        }
    }
    // A corner's pixel rounded is up to half a pixel off, and Measure
    // carries that out to the picture's sides, the more so the nearer
    // together the two corners lie: the pair is chosen by where Measure
    // then puts the sides, from the corners reaching furthest toward the
    // picture's top left and bottom right; of pairs alike in that, the one
    // furthest apart.
    const auto sideError = [](double q1, double q2, double side) {
        const double e1 = std::round(q1) - q1, e2 = std::round(q2) - q2;
        return std::max(std::abs(e1 - q1 / (q2 - q1) * (e2 - e1)), std::abs(e1 + (side - q1) / (q2 - q1) * (e2 - e1)));
    };
    const auto reach = [&](const Corner &k) { return k.pixel.x() / size.width() + k.pixel.y() / size.height(); };
    std::sort(corners.begin(), corners.end(), [&](const Corner &p, const Corner &q) { return reach(p) < reach(q); });
    const size_t pool = std::min(corners.size(), size_t(48));
    std::optional<CalibrationEntries> best;
    double least = std::numeric_limits<double>::infinity();
    for (size_t i = 0; i < pool; ++i) {
        for (size_t j = corners.size(); j-- > corners.size() - pool;) {
            const Corner &first = corners[i], &last = corners[j];
            const QPoint p1 = first.pixel.toPoint(), p2 = last.pixel.toPoint();
            if (p2.x() <= p1.x() || p2.y() <= p1.y() || last.world.x() <= first.world.x() || last.world.y() >= first.world.y())
                continue;
            const double error = std::max(sideError(first.pixel.x(), last.pixel.x(), size.width()),
                                          sideError(first.pixel.y(), last.pixel.y(), size.height()));
            if (error < least) {
                least = error;
                best = CalibrationEntries{size, p1, p2, first.world, last.world};
            }
        }
    }
    return best;
}

// A picture with nothing around the level but blank paper spans the level
// with its edges: the level laid over their span is a start as good as any
// search gives, and the only one where the level is drawn too densely for
// the coarse search to see its shape.
std::optional<Transform> spanStart(const cv::Mat &map, double unit, const QRectF &extent)
{
    const cv::Rect span = cv::boundingRect(map >= smallestPeak);
    if (span.width < 8 || span.height < 8)
        return std::nullopt;
    const double a = unit * (span.width - 2) / extent.width(), c = -unit * (span.height - 2) / extent.height();
    const QPointF centre = extent.center();
    return Transform{a, unit * (span.x + 1) - a * (extent.left() - centre.x()), c, unit * (span.y + 1) - c * (extent.bottom() - centre.y())};
}

// Corners close together on one axis, rounded to whole pixels, would make
// Measure stretch that axis wrong: Measure must give back the placement
// within a pixel at both of the picture's corners.
bool measuredAsPlaced(const CalibrationEntries &entries, const Placement &placement)
{
    const std::optional<Calibration> measured = calibrate(entries);
    return measured && std::abs(placement.a * measured->exactOriginX + placement.b) <= 1
            && std::abs(placement.c * measured->exactOriginY + placement.d) <= 1
            && std::abs(placement.a * measured->exactEndX + placement.b - entries.picture.width()) <= 1
            && std::abs(placement.c * measured->exactEndY + placement.d - entries.picture.height()) <= 1;
}

Placement confirmed(Placement placement, const std::optional<CalibrationEntries> &entries)
{
    if (entries && measuredAsPlaced(*entries, placement)) {
        placement.entries = *entries;
        placement.confident = true;
    }
    return placement;
}

bool sureEnough(double strength, double lead, double share, double explained, bool settled, bool floors)
{
    return strength >= leastEvidence && lead >= leastLead && share >= (floors ? leastFloorsShare : leastShare)
            && explained >= leastExplained && settled;
}

} // namespace placing

using namespace placing;

std::optional<Placement> place(const QImage &picture, const Footprints &level, const std::function<bool(int)> &progress)
{
    Placement placement;
    QRectF extent;
    for (const QPolygonF &outline : level.outlines)
        extent = extent.isNull() ? outline.boundingRect() : extent.united(outline.boundingRect());
    if (picture.isNull() || extent.width() <= 0 || extent.height() <= 0)
        return placement;
    const QPointF centre = extent.center();

    // Grey once: a picture of many million pixels takes a while to turn.
    const QImage grey = greyOf(picture);
    const std::vector<cv::Mat> maps = edgePyramid(grey);
    const int coarse = int(maps.size()) - 1;
    const int judging = judgingLevel(maps);
    const auto unitOf = [](int level) { return double(1 << level); };

    bool stopped = false;
    std::vector<Candidate> candidates = coarseSearch(maps[size_t(coarse)], unitOf(coarse), level, extent, progress, &stopped);
    if (stopped)
        return std::nullopt;

    // Each candidate slid onto the edges level by level, with both axes
    // scaled alike and then each on its own, fitted to a fraction of a pixel
    // on the full picture, and judged there.
    std::vector<cv::Mat> distances(maps.size());
    const double radius = std::max(extent.width(), extent.height()) / 2;
    struct Judged
    {
        Transform t;
        Evidence evidence;
        bool floors;
    };
    // Filled floors hide most outlines: each candidate is fitted once to
    // every outline and once to the edges such floors would show.
    const double floorScale = std::min(1.0, 2048 / (2 * radius));
    cv::Mat floorEdges;
    cv::dilate(drawnEdges(level, extent, floorScale, true), floorEdges, cv::Mat());
    // Taken in the order they lie on the map, a band at a time, the samples
    // read each map where it was read last and not all over.
    std::vector<OutlineEdge> edges = outlineEdges(level, centre);
    const double band = 2 * radius / 32;
    const auto where = [&](const OutlineEdge &e) { return std::make_pair(int(std::floor(e.line.center().y() / band)), e.line.center().x()); };
    std::sort(edges.begin(), edges.end(), [&](const OutlineEdge &p, const OutlineEdge &q) { return where(p) < where(q); });
    const auto samplesFor = [&](double pixelsPerUnit, int most, bool floors) {
        std::vector<Sample> samples = samplesOf(edges, pixelsPerUnit, 1.5, most);
        if (floors) {
            samples.erase(std::remove_if(samples.begin(), samples.end(),
                                         [&](const Sample &s) {
                                             const int x = int((s.world.x() + centre.x() - extent.left()) * floorScale);
                                             const int y = int((extent.bottom() - s.world.y() - centre.y()) * floorScale);
                                             return x < 0 || y < 0 || x >= floorEdges.cols || y >= floorEdges.rows
                                                     || floorEdges.at<uchar>(y, x) == 0;
                                         }),
                          samples.end());
        }
        return samples;
    };
    // The full picture's fit needs a start within a pixel or two, which the
    // map of at most 2048 pixels gives already; on the way there, each map
    // needs to place it only as finely as the next is searched from.
    const int finest = std::max(1, judging - 1);
    std::vector<Judged> judged;
    // Where a fit's slide ends is where an earlier one of the same kind
    // ended, it is the same placement: judged once, counted each time.
    std::vector<std::pair<Transform, size_t>> slid[2];
    for (size_t i = 0; i < candidates.size(); ++i) {
        if (progress && !progress(60 + int(30 * i / candidates.size())))
            return std::nullopt;
        for (const bool floors : {false, true}) {
            Transform t = candidates[i].t;
            for (int k = coarse; k >= finest; --k) {
                if (distances[size_t(k)].empty())
                    distances[size_t(k)] = distancesOf(maps[size_t(k)]);
                const std::vector<Sample> samples = samplesFor(t.a / unitOf(k), searchSamples, floors);
                search(t, samples, distances[size_t(k)], unitOf(k), radius * t.a, true, k == finest ? 8 : 2);
                search(t, samples, distances[size_t(k)], unitOf(k), radius * t.a, false, k == finest ? 8 : 2);
            }
            const auto same = std::find_if(slid[floors].begin(), slid[floors].end(),
                                           [&](const auto &earlier) { return cornerGap(earlier.first, t, picture.size()) < 1; });
            if (same != slid[floors].end()) {
                const Judged earlier = judged[same->second];
                judged.push_back(earlier);
                continue;
            }
            slid[floors].push_back({t, judged.size()});
            const std::vector<Sample> samples = samplesFor(t.a, fitSamples, floors);
            for (const int reach : {3, 2, 2, 2}) {
                const Transform before = t;
                // Settled: another round would move it by less still.
                if (refine(t, samples, maps.front(), 1, reach) && reach == 2 && cornerGap(before, t, picture.size()) < 0.01)
                    break;
            }
            judged.push_back({t, {}, floors});
            explain(judged.back().evidence, t, level, centre, maps[size_t(judging)], unitOf(judging));
        }
    }
    if (judged.empty())
        return placement;
    std::sort(judged.begin(), judged.end(), [](const Judged &p, const Judged &q) { return p.evidence.strength() > q.evidence.strength(); });
    const Transform best = judged.front().t;
    // Only the best is measured sample by sample: its share of the outline,
    // or of what floors would show when it was fitted to that, and the
    // brushes it shows.
    const bool floors = judged.front().floors;
    Evidence evidence = evidenceOf(best, samplesFor(best.a, maxSamples, floors), maps.front(), 1, int(level.outlines.size()));
    evidence.explained = judged.front().evidence.explained;
    evidence.explainedAside = judged.front().evidence.explainedAside;
    double runnerUp = 0;
    for (size_t i = 1; i < judged.size(); ++i) {
        if (apart(best, judged[i].t, 2)) {
            runnerUp = judged[i].evidence.strength();
            break;
        }
    }
    placement.lead = evidence.strength() / std::max(runnerUp, 0.01);
    // Fits nearly as good must agree on the corners within two pixels, or
    // the placement is not known that well.
    const bool settled = std::all_of(judged.begin(), judged.end(), [&](const Judged &j) {
        return j.evidence.strength() < 0.75 * evidence.strength() || cornerGap(best, j.t, picture.size()) <= 2;
    });

    placement.share = evidence.share;
    placement.explained = evidence.explained;
    setTransform(placement, best, centre);
    const std::vector<cv::Mat> greys = greyPyramid(grey, maps.size(), judging);
    bool going = true;
    const auto goingOn = [&] { return going = !progress || progress(95); };
    std::vector<Transform> starts;
    if (sureEnough(evidence.strength(), placement.lead, evidence.share, evidence.explained, settled, floors)) {
        const Placement sure = confirmed(placement, cornersOf(level, best, centre, picture.size(), evidence));
        // Edges can mislead where a drawing of the level cannot: one that
        // settles clearly elsewhere, if only a pixel or two, from the edges'
        // answer leaves it in doubt.
        if (sure.confident) {
            const Match check = matchLooks(greys, judging, level, extent, {best}, goingOn, false);
            if (!going)
                return std::nullopt;
            if (!alikeEnough(check) || cornerGap(best, check.t, picture.size()) <= 1)
                return sure;
            starts.push_back(check.t);
        }
    }

    // The edges leave it in doubt. A picture made from the level, filled,
    // shaded or drawn, with or without what is painted over it, matches a
    // drawing of the level in the same look far more clearly than its edges
    // tell; the best fits are where to start.
    for (const Judged &j : judged) {
        if (std::all_of(starts.begin(), starts.end(), [&](const Transform &k) { return cornerGap(k, j.t, picture.size()) > 2; }))
            starts.push_back(j.t);
        if (starts.size() == likenessStarts)
            break;
    }
    if (const std::optional<Transform> boxed = spanStart(maps[size_t(judging)], unitOf(judging), extent))
        starts.push_back(*boxed);
    const Match match = matchLooks(greys, judging, level, extent, starts, goingOn);
    if (!going)
        return std::nullopt;
    if (!alikeEnough(match))
        return placement;
    Placement alike;
    setTransform(alike, match.t, centre);
    Evidence seen = evidenceOf(match.t, samplesFor(match.t.a, maxSamples, false), maps.front(), 1, int(level.outlines.size()));
    explain(seen, match.t, level, centre, maps[size_t(judging)], unitOf(judging));
    alike.share = seen.share;
    alike.explained = seen.explained;
    alike.lead = likenessLead(match);
    alike.likeness = match.likeness;
    alike.drawnAs = lookName(match.look);
    // The whole drawing matched: every brush it shows counts as seen.
    std::fill(seen.seen.begin(), seen.seen.end(), 3);
    seen.hits = seen.seen;
    return confirmed(alike, cornersOf(level, match.t, centre, picture.size(), seen));
}

QString placementSummary(const Placement &placement)
{
    const QString figures = QStringLiteral("%1 % of the level's outline on the picture's edges, %2 % of its edges on the outline; "
                                           "%3 times as sure as the next placement")
                                    .arg(std::lround(100 * placement.share))
                                    .arg(std::lround(100 * placement.explained))
                                    .arg(placement.lead, 0, 'f', 1);
    if (placement.confident && placement.likeness > 0)
        return QStringLiteral("Placed automatically: the picture is %1 % like the level drawn as %2; %3.")
                .arg(100 * placement.likeness, 0, 'f', 1)
                .arg(placement.drawnAs, figures);
    if (placement.confident)
        return QStringLiteral("Placed automatically: %1.").arg(figures);
    return QStringLiteral("no confident placement: the picture may not show this level, or shows it rotated (%1).").arg(figures);
}
