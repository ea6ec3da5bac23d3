#pragma once

#include "core/calibration.h"

#include <QLineF>
#include <QPointF>
#include <QString>

#include <opencv2/core.hpp>

#include <functional>
#include <optional>
#include <vector>

class QImage;
class QPainter;
class QRectF;
class QSize;
struct Footprints;
struct Placement;

// The steps of the search for a picture's placement, each open to a check
// of its own.
namespace placing {

// Edges weaker than this, of 255, are JPEG noise and paper grain; an edge
// is measured only where it stands this much above them.
constexpr int edgeFloor = 8;
constexpr float smallestPeak = 12;
// The coarse search sees the picture at most this large; the placements
// are judged on it at most this large.
constexpr int coarseSide = 160;
constexpr int judgingSide = 1024;
// How far aside the outline is moved to see what edges everywhere explain.
constexpr int aside = 5;

// Full-picture pixels from world units measured from the level's centre:
// x = a X + b, y = c Y + d. Centred, the fit's equations stay well scaled.
struct Transform
{
    double a, b, c, d;
    QPointF operator()(const QPointF &w) const { return {a * w.x() + b, c * w.y() + d}; }
};

struct Sample
{
    QPointF world; // from the level's centre
    QPointF along; // the edge's direction in the world, of length 1
    int outline;
};

struct Evidence
{
    double share = 0;
    std::vector<int> seen, hits; // of each outline's samples on the picture
    // The share of the picture's edges that lie on the level's outline, and
    // the share that would a few pixels off it.
    double explained = 0;
    double explainedAside = 0;
    double strength() const { return explained - explainedAside; }
};

struct Candidate
{
    double score;
    Transform t;
};

QImage greyOf(const QImage &picture);
// The picture's edges, and the same halved until the coarse search's size.
cv::Mat edgesOf(const QImage &picture);
cv::Mat halved(const cv::Mat &m);
std::vector<cv::Mat> edgePyramid(const QImage &picture);
// The level of the pyramid the placements are judged on.
int judgingLevel(const std::vector<cv::Mat> &maps);
// The value of a map of bytes or of floats at x, y, pixel corners on whole
// numbers; -1 off the map.
template<typename T>
float valueAt(const cv::Mat &m, double x, double y);
// How far along the normal n from p the centre of the nearest edge lies;
// NaN when none is found within reach.
double offsetToEdge(const cv::Mat &m, const QPointF &p, const QPointF &n, int reach);
// Every edge of the level's outlines, from its centre, worked out once for
// the many times samples are taken along them.
struct OutlineEdge
{
    QLineF line;
    double length;
    QPointF along;
    int outline;
};
std::vector<OutlineEdge> outlineEdges(const Footprints &level, const QPointF &centre);
std::vector<Sample> samplesOf(const std::vector<OutlineEdge> &edges, double pixelsPerUnit, double spacing, int most);
std::vector<Sample> samplesOf(const Footprints &level, const QPointF &centre, double pixelsPerUnit, double spacing,
                              int most);
QPointF normalAt(const Transform &t, const Sample &s);
bool refine(Transform &t, const std::vector<Sample> &samples, const cv::Mat &m, double unit, int reach);
cv::Mat distancesOf(const cv::Mat &m);
double chamfer(const Transform &t, const std::vector<Sample> &samples, const cv::Mat &distances, double unit);
void search(Transform &t, const std::vector<Sample> &samples, const cv::Mat &distances, double unit, double radius,
            bool tied, int part = 8);
void explain(Evidence &e, const Transform &t, const Footprints &level, const QPointF &centre, const cv::Mat &m,
             double unit);
Evidence evidenceOf(const Transform &t, const std::vector<Sample> &samples, const cv::Mat &m, double unit, int outlines);
double cornerGap(const Transform &p, const Transform &q, const QSize &size);
bool apart(const Transform &p, const Transform &q, double unit);
cv::Mat drawnEdges(const Footprints &level, const QRectF &extent, double scale, bool floors);
std::vector<Candidate> coarseSearch(const cv::Mat &map, double unit, const Footprints &level, const QRectF &extent,
                                    const std::function<bool(int)> &progress, bool *stopped);
std::optional<Transform> spanStart(const cv::Mat &map, double unit, const QRectF &extent);
std::optional<CalibrationEntries> cornersOf(const Footprints &level, const Transform &t, const QPointF &centre,
                                            const QSize &size, const Evidence &e);
// Whether Measure, given entries, repeats the placement within a pixel.
bool measuredAsPlaced(const CalibrationEntries &entries, const Placement &placement);
// Whether the best placement's figures are enough to give it as sure; its
// share is of the edges floors show when it was fitted to those.
// How a picture made from the level may show it.
enum class Look { Outlines, Floors, Silhouette };
void drawLevel(QPainter &painter, const Footprints &level, Look look);
struct Drawing
{
    cv::Mat image; // floats from 0 to 1
    double scale;  // pixels a unit
    double left, top; // the world at the image's top-left corner
};
struct Likeness
{
    Transform t;
    double correlation;
    double gain = 0, lift = 0; // the picture's shades from the drawing's
    // How many times the misfit left would grow at least, were any of the
    // picture's corners a pixel off.
    double pinned = 0;
};
std::vector<cv::Mat> greyPyramid(const QImage &picture, size_t levels, int from = 0);
Drawing drawLook(const Footprints &level, const QRectF &extent, double scale, Look look);
cv::Mat seenAt(const Drawing &d, const Transform &t, const QPointF &centre, double unit, cv::Size size);
double correlation(const cv::Mat &p, const cv::Mat &q);
struct Match
{
    Transform t{};
    Look look = Look::Outlines;
    // How alike the picture and the level's drawing are, from 0 to 1, and
    // the same for the best match elsewhere.
    double likeness = 0, runnerUp = 0;
    // How many times worse the level mirrored or turned explains the
    // picture where it would show it differently.
    double turnedLead = 0;
    double pinned = 0;
};
// The likeness is judged on the picture at most this large, roughly first
// at most this large.
constexpr int firstLikenessSide = 256;
constexpr int verdictSide = 512;
Footprints turned(const Footprints &level, const QPointF &centre, int turn);
double turnedLead(const cv::Mat &grey, double unit, const Drawing &own, const Likeness &l, const Drawing &other, const Likeness &lt,
                  const QPointF &centre);
Match matchLooks(const std::vector<cv::Mat> &greys, int judging, const Footprints &level, const QRectF &extent,
                 const std::vector<Transform> &starts, const std::function<bool()> &going, bool turns = true);
Likeness align(const cv::Mat &grey, double unit, const Drawing &d, Transform t, const QPointF &centre, double blur,
               int rounds);
bool sureEnough(double strength, double lead, double share, double explained, bool settled, bool floors);
// Whether a match of the picture with a drawing of the level is clear
// enough to give as sure, and by how much it leads what else matched.
bool alikeEnough(const Match &m);
double likenessLead(const Match &m);
QString lookName(Look look);
// The placement, given as sure when Measure, from the entries, repeats it.
Placement confirmed(Placement placement, const std::optional<CalibrationEntries> &entries);

} // namespace placing
