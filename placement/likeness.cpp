#include "placement/placementsteps.h"

#include "level/footprints.h"

#include <QImage>
#include <QPainter>
#include <QRectF>
#include <QSize>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace {

// What a match needs to be given as sure: a likeness this high; a misfit
// this many times smaller than the best match elsewhere; the level mirrored
// or turned explaining the picture this many times worse where the two
// differ; corners held within a pixel, the misfit growing at least by this
// share of itself were one a pixel off; and scales per axis this near alike.
constexpr double leastLikeness = 0.85;
constexpr double leastLikenessLead = 3;
constexpr double leastTurnedLead = 3;
constexpr double leastPinned = 0.004;
constexpr double mostAspect = 1.15;

} // namespace

namespace placing {

// The picture in grey from 0 to 1, halved from level from on, each pixel
// the mean of those it covers; the finer levels are left empty. A last
// row or column that covers only part of a pixel is left out.
std::vector<cv::Mat> greyPyramid(const QImage &picture, size_t levels, int from)
{
    const QImage grey = greyOf(picture);
    std::vector<cv::Mat> maps(levels);
    const int side = 1 << from;
    const cv::Mat view(grey.height(), grey.width(), CV_8UC1, const_cast<uchar *>(grey.constBits()), size_t(grey.bytesPerLine()));
    cv::Mat whole = view, shrunk;
    if (grey.width() >= side && grey.height() >= side)
        whole = view(cv::Rect(0, 0, grey.width() - grey.width() % side, grey.height() - grey.height() % side));
    else
        cv::copyMakeBorder(view, whole, 0, side - grey.height() % side, 0, side - grey.width() % side, cv::BORDER_REPLICATE);
    cv::resize(whole, shrunk, cv::Size(whole.cols / side, whole.rows / side), 0, 0, cv::INTER_AREA);
    shrunk.convertTo(maps[size_t(from)], CV_32F, 1.0 / 255);
    for (size_t k = size_t(from) + 1; k < levels; ++k) {
        const cv::Mat &last = maps[k - 1];
        cv::Mat even;
        cv::copyMakeBorder(last, even, 0, last.rows % 2, 0, last.cols % 2, cv::BORDER_REPLICATE);
        cv::resize(even, maps[k], cv::Size(even.cols / 2, even.rows / 2), 0, 0, cv::INTER_AREA);
    }
    return maps;
}

// The level from above in a look, scale pixels a unit, with a blank band
// around it: outlines as lines, floors shaded by height the way pictures
// made from the level shade them, or every floor alike.
Drawing drawLook(const Footprints &level, const QRectF &extent, double scale, Look look)
{
    constexpr int band = 4;
    Drawing d;
    d.scale = scale;
    d.left = extent.left() - band / scale;
    d.top = extent.bottom() + band / scale;
    QImage image(int(std::ceil(extent.width() * scale)) + 2 * band, int(std::ceil(extent.height() * scale)) + 2 * band,
                 QImage::Format_Grayscale8);
    image.fill(0);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.translate(-d.left * scale, d.top * scale);
    painter.scale(scale, -scale);
    drawLevel(painter, level, look);
    painter.end();
    cv::Mat(image.height(), image.width(), CV_8UC1, image.bits(), size_t(image.bytesPerLine())).convertTo(d.image, CV_32F, 1.0 / 255);
    return d;
}

// The drawing as the picture would show it at t, on a map unit full pixels
// a pixel of size cols x rows.
cv::Mat seenAt(const Drawing &d, const Transform &t, const QPointF &centre, double unit, cv::Size size)
{
    // Map pixel centres to the drawing's pixel centres.
    const double sx = d.scale * unit / t.a, sy = -d.scale * unit / t.c;
    const cv::Matx23d toDrawing(sx, 0, d.scale * (unit * 0.5 - t.b) / t.a + d.scale * (centre.x() - d.left) - 0.5, 0, sy,
                                d.scale * (d.top - centre.y()) - d.scale * (unit * 0.5 - t.d) / t.c - 0.5);
    cv::Mat seen;
    cv::warpAffine(d.image, seen, toDrawing, size, cv::INTER_LINEAR | cv::WARP_INVERSE_MAP, cv::BORDER_CONSTANT, 0);
    return seen;
}

// Taken about the means: the product's mean less the means' product loses
// every figure for a map all but flat, and such a map, a drawing seen
// almost wholly off the picture, then seemed alike beyond any bound.
double correlation(const cv::Mat &p, const cv::Mat &q)
{
    const cv::Mat pc = p - cv::mean(p)[0], qc = q - cv::mean(q)[0];
    const double pp = pc.dot(pc), qq = qc.dot(qc);
    // Shades from 0 to 1 varying less than this are flat.
    const double flat = 1e-8 * double(p.total());
    if (pp <= flat || qq <= flat)
        return 0;
    return std::clamp(pc.dot(qc) / std::sqrt(pp * qq), -1.0, 1.0);
}

// Moves t so that the drawing, seen at t, matches the picture's grey map
// best once its shades are scaled and lifted to fit: Gauss-Newton on the
// placement and the two shade figures together. Only pixels where the
// drawing changes tell where it lies; the shades are fitted over all.
Likeness align(const cv::Mat &grey, double unit, const Drawing &d, Transform t, const QPointF &centre, double blur, int rounds)
{
    cv::Mat picture;
    cv::GaussianBlur(grey, picture, cv::Size(), blur);
    const double count = double(picture.total()), pictureSum = cv::sum(picture)[0];
    std::vector<double> across(size_t(picture.cols));
    double gain = 0, lift = 0;
    cv::Mat seen;
    const auto look = [&] { cv::GaussianBlur(seenAt(d, t, centre, unit, grey.size()), seen, cv::Size(), blur); };
    look();
    cv::Matx66d lastNormal;
    for (int round = 0; round < rounds; ++round) {
        cv::Mat gx, gy;
        cv::Sobel(seen, gx, CV_32F, 1, 0, 3, 1.0 / 8);
        cv::Sobel(seen, gy, CV_32F, 0, 1, 3, 1.0 / 8);
        const double seenSum = cv::sum(seen)[0], seenSquares = seen.dot(seen), both = seen.dot(picture);
        if (round == 0) {
            // The shades' first fit alone: the least squares line.
            const double spread = seenSquares - seenSum * seenSum / count;
            gain = spread > 0 ? (both - seenSum * pictureSum / count) / spread : 0;
            lift = (pictureSum - gain * seenSum) / count;
        }
        for (int x = 0; x < picture.cols; ++x)
            across[size_t(x)] = (unit * (x + 0.5) - t.b) / t.a;
        cv::Matx66d normal;
        cv::Vec6d right;
        // The shade columns' sums over every pixel.
        normal(4, 4) = seenSquares;
        normal(4, 5) = seenSum;
        normal(5, 5) = count;
        right[4] = both - gain * seenSquares - lift * seenSum;
        right[5] = pictureSum - gain * seenSum - lift * count;
        for (int y = 0; y < seen.rows; ++y) {
            const float *s = seen.ptr<float>(y), *p = picture.ptr<float>(y), *dx = gx.ptr<float>(y), *dy = gy.ptr<float>(y);
            const double down = (unit * (y + 0.5) - t.d) / t.c;
            for (int x = 0; x < seen.cols; ++x) {
                if (dx[x] == 0 && dy[x] == 0)
                    continue;
                const double r = p[x] - gain * s[x] - lift;
                const double gxu = -gain * dx[x] / unit, gyu = -gain * dy[x] / unit;
                const double row[6] = {gxu * across[size_t(x)], gxu, gyu * down, gyu, s[x], 1};
                for (int i = 0; i < 4; ++i) {
                    right[i] += row[i] * r;
                    for (int j = i; j < 6; ++j)
                        normal(i, j) += row[i] * row[j];
                }
            }
        }
        for (int i = 0; i < 6; ++i)
            for (int j = 0; j < i; ++j)
                normal(i, j) = normal(j, i);
        lastNormal = normal;
        cv::Vec6d step;
        if (!cv::solve(normal, right, step, cv::DECOMP_SVD))
            break;
        const Transform moved{t.a + step[0], t.b + step[1], t.c + step[2], t.d + step[3]};
        if (!std::isfinite(moved.a) || moved.a <= 0 || moved.c >= 0)
            break;
        // How far the step moves the picture's corners, in map pixels.
        double moves = 0;
        for (const double x : {0.0, double(picture.cols)})
            moves = std::max(moves, std::abs(step[0] * (unit * x - t.b) / t.a + step[1]) / unit);
        for (const double y : {0.0, double(picture.rows)})
            moves = std::max(moves, std::abs(step[2] * (unit * y - t.d) / t.c + step[3]) / unit);
        t = moved;
        gain += step[4];
        lift += step[5];
        look();
        if (moves < 0.02)
            break;
    }
    // Judged where the drawing lies: a legend or a frame in the margin
    // around the level is no part of it. Clamped first, since a wild fit
    // may put the drawing anywhere.
    const QPointF from = t(QPointF(d.left, d.top) - centre) / unit;
    const QPointF to = t(QPointF(d.left + d.image.cols / d.scale, d.top - d.image.rows / d.scale) - centre) / unit;
    const auto inWidth = [&](double x) { return std::clamp(x, 0.0, double(picture.cols)); };
    const auto inHeight = [&](double y) { return std::clamp(y, 0.0, double(picture.rows)); };
    const cv::Rect judged(cv::Point(int(std::floor(inWidth(from.x()))), int(std::floor(inHeight(from.y())))),
                          cv::Point(int(std::ceil(inWidth(to.x()))), int(std::ceil(inHeight(to.y())))));
    const bool seenAtAll = judged.area() >= 16;
    Likeness result{t, seenAtAll ? correlation(picture(judged), seen(judged)) : 0, gain, lift};
    // How firmly the picture holds its corners: the least the misfit grows,
    // as far as the fit's curvature tells, when any corner moves a full
    // pixel along either axis, against the misfit left there.
    const cv::Mat misfit = seenAtAll ? cv::Mat(picture(judged) - gain * seen(judged) - lift) : cv::Mat(picture - gain * seen - lift);
    const double left = misfit.dot(misfit);
    cv::Matx66d spread;
    if (left > 0 && cv::invert(lastNormal, spread, cv::DECOMP_SVD) != 0) {
        result.pinned = std::numeric_limits<double>::infinity();
        for (const double x : {0.0, double(picture.cols)}) {
            const cv::Vec6d g((unit * x - t.b) / t.a, 1, 0, 0, 0, 0);
            result.pinned = std::min(result.pinned, 1 / (g.dot(spread * g) * left));
        }
        for (const double y : {0.0, double(picture.rows)}) {
            const cv::Vec6d g(0, 0, (unit * y - t.d) / t.c, 1, 0, 0);
            result.pinned = std::min(result.pinned, 1 / (g.dot(spread * g) * left));
        }
    }
    return result;
}

QString lookName(Look look)
{
    switch (look) {
    case Look::Outlines:
        return QStringLiteral("outlines");
    case Look::Floors:
        return QStringLiteral("floors shaded by height");
    case Look::Silhouette:
        return QStringLiteral("filled floors");
    }
    return {};
}

Footprints turned(const Footprints &level, const QPointF &centre, int turn)
{
    Footprints out;
    out.tops = level.tops;
    for (const QPolygonF &original : level.outlines) {
        QPolygonF outline = original;
        for (QPointF &p : outline) {
            double x = p.x() - centre.x(), y = p.y() - centre.y();
            if (turn & 1)
                x = -x;
            if (turn & 2)
                y = -y;
            if (turn & 4)
                std::swap(x, y);
            p = {centre.x() + x, centre.y() + y};
        }
        out.outlines.append(outline);
    }
    return out;
}

// Mirrored or turned, a level much like itself matches as well as it
// does: only where the two would show the picture differently does the
// picture tell them apart.
double turnedLead(const cv::Mat &grey, double unit, const Drawing &own, const Likeness &l, const Drawing &other, const Likeness &lt,
                  const QPointF &centre)
{
    cv::Mat picture, mine, theirs;
    cv::GaussianBlur(grey, picture, cv::Size(), 1);
    cv::GaussianBlur(seenAt(own, l.t, centre, unit, grey.size()), mine, cv::Size(), 1);
    cv::GaussianBlur(seenAt(other, lt.t, centre, unit, grey.size()), theirs, cv::Size(), 1);
    mine = mine * l.gain + l.lift;
    theirs = theirs * lt.gain + lt.lift;
    // Placements a fraction of a pixel apart differ along every edge; only
    // a patch where the drawings differ tells them apart. A level drawn the
    // same turned as not gives a picture that is as truly its own either
    // way, which is no evidence against the placement.
    cv::Mat differ = cv::abs(mine - theirs) > 0.15 * std::abs(l.gain);
    cv::erode(differ, differ, cv::Mat());
    if (cv::countNonZero(differ) < 8)
        return std::numeric_limits<double>::infinity();
    cv::Mat ownMisfit = picture - mine, otherMisfit = picture - theirs;
    ownMisfit.setTo(0, ~differ);
    otherMisfit.setTo(0, ~differ);
    return otherMisfit.dot(otherMisfit) / std::max(ownMisfit.dot(ownMisfit), 1e-9);
}

namespace {

// The level's look drawn about twice as fine as the map shows it.
struct Drawings
{
    const Footprints &level;
    QRectF extent;
    double worldLong;
    std::map<std::pair<int, int>, Drawing> made;
    const Drawing &at(Look look, int k, double pixelsPerUnit)
    {
        auto found = made.find({int(look), k});
        if (found == made.end()) {
            const double scale = std::min(2 * pixelsPerUnit, 4096 / worldLong);
            Drawing d = drawLook(level, extent, scale, look);
            // Seen at every other pixel or so, a line a pixel wide would
            // show faint or full by where it falls between them.
            cv::GaussianBlur(d.image, d.image, cv::Size(), 0.5 * scale / pixelsPerUnit);
            found = made.emplace(std::make_pair(int(look), k), std::move(d)).first;
        }
        return found->second;
    }
};

} // namespace

Match matchLooks(const std::vector<cv::Mat> &greys, int judging, const Footprints &level, const QRectF &extent,
                 const std::vector<Transform> &starts, const std::function<bool()> &going, bool turns)
{
    Match best;
    if (starts.empty())
        return best;
    const auto unitOf = [](int k) { return double(1 << k); };
    const auto longSide = [&](int k) { return std::max(greys[size_t(k)].cols, greys[size_t(k)].rows); };
    int first = judging, verdict = judging;
    while (first + 1 < int(greys.size()) && longSide(first) > firstLikenessSide)
        ++first;
    while (verdict + 1 < int(greys.size()) && longSide(verdict) > verdictSide)
        ++verdict;
    const QPointF centre = extent.center();
    const double worldLong = std::max(extent.width(), extent.height());
    Drawings drawings{level, extent, worldLong, {}};
    const auto fit = [&](Drawings &d, Look look, Transform t, int from, int to) {
        Likeness l{t, 0};
        for (int k = from; k >= to; --k) {
            const double unit = unitOf(k);
            l = align(greys[size_t(k)], unit, d.at(look, k, t.a / unit), l.t, centre, k == first ? 2 : 1, k == first ? 20 : 10);
        }
        l.correlation = std::abs(l.correlation);
        return l;
    };

    // Every start in every look, roughly; the distinct best few then finely.
    struct Found
    {
        Likeness l;
        Look look;
    };
    std::vector<Found> rough;
    for (const Transform &t : starts)
        for (const Look look : {Look::Outlines, Look::Floors, Look::Silhouette})
            rough.push_back({fit(drawings, look, t, first, first), look});
    if (!going())
        return best;
    std::sort(rough.begin(), rough.end(), [](const Found &p, const Found &q) { return p.l.correlation > q.l.correlation; });
    const QSize size(greys[size_t(judging)].cols << judging, greys[size_t(judging)].rows << judging);
    std::vector<Found> fine;
    for (const Found &f : rough) {
        if (fine.size() == 3)
            break;
        if (std::all_of(fine.begin(), fine.end(), [&](const Found &k) { return cornerGap(k.l.t, f.l.t, size) > 2; }))
            fine.push_back(f);
    }
    for (Found &f : fine)
        f.l = verdict < first ? fit(drawings, f.look, f.l.t, first - 1, verdict) : f.l;
    std::sort(fine.begin(), fine.end(), [](const Found &p, const Found &q) { return p.l.correlation > q.l.correlation; });
    best.t = fine.front().l.t;
    best.look = fine.front().look;
    best.likeness = fine.front().l.correlation;
    best.pinned = fine.front().l.pinned;
    for (size_t i = 1; i < fine.size(); ++i)
        if (cornerGap(best.t, fine[i].l.t, size) > 2)
            best.runnerUp = std::max(best.runnerUp, fine[i].l.correlation);
    if (!going())
        return best;

    // The level mirrored or turned a quarter must match the picture clearly
    // worse, or the picture may show it so; a match unsure already, or only
    // looked for to check another placement, is not worth the trouble.
    best.turnedLead = std::numeric_limits<double>::infinity();
    if (!turns)
        return best;
    if (!alikeEnough(best)) {
        best.turnedLead = 0;
        return best;
    }
    const Likeness &mine = fine.front().l;
    for (int turn = 1; turn < 8; ++turn) {
        const Footprints other = turned(level, centre, turn);
        QRectF box = extent;
        Transform t = best.t;
        if (turn & 4) {
            box = QRectF(0, 0, extent.height(), extent.width());
            box.moveCenter(centre);
            t.a *= extent.width() / extent.height();
            t.c *= extent.height() / extent.width();
        }
        Drawings d{other, box, worldLong, {}};
        const Likeness theirs = fit(d, best.look, t, first, verdict);
        const double unit = unitOf(verdict);
        best.turnedLead = std::min(best.turnedLead, turnedLead(greys[size_t(verdict)], unit, drawings.at(best.look, verdict, mine.t.a / unit), mine,
                                                               d.at(best.look, verdict, theirs.t.a / unit), theirs, centre));
    }
    if (judging < verdict)
        best.t = fit(drawings, best.look, best.t, verdict - 1, judging).t;
    return best;
}

bool alikeEnough(const Match &m)
{
    const double misfit = 1 - m.likeness, aspect = m.t.a / -m.t.c;
    return m.likeness >= leastLikeness && 1 - m.runnerUp >= leastLikenessLead * misfit && m.turnedLead >= leastTurnedLead
            && m.pinned >= leastPinned && aspect <= mostAspect && aspect >= 1 / mostAspect;
}

double likenessLead(const Match &m)
{
    return std::min((1 - m.runnerUp) / std::max(1 - m.likeness, 1e-4), m.turnedLead);
}

} // namespace placing
