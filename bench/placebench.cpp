// Places pictures made from real levels at random known placements, in the
// styles designers meet, and prints how many were placed within 1 and 2
// pixels at both corners, how many were reported unsure and how many were
// confidently wrong; then hostile pictures, then speed.
//
//   vellamor-placebench [--levels DIR] [--per-style N] [--seed S] [--sections accuracy,hostile,speed] [--styles 0,1,...]
//                       [--keep DIR]
//
// Each picture's result goes to standard error; --keep writes the pictures.
// --styles places only the styles of those numbers (0 outlines ... 5 JPEG),
// the others still drawn, so that every picture is the one a full run makes.

#include "core/calibration.h"
#include "core/picturefile.h"
#include "level/footprints.h"
#include "level/levelfile.h"
#include "placement/placement.h"

#include <QBuffer>
#include <QCommandLineParser>
#include <QDir>
#include <QElapsedTimer>
#include <QFont>
#include <QGuiApplication>
#include <QImageReader>
#include <QImageWriter>
#include <QPainter>
#include <QPen>
#include <QRandomGenerator>

#include <opencv2/core.hpp>
#include <opencv2/imgproc.hpp>

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>
#include <vector>

namespace {

enum Style { Outline, Filled, Shaded, Legend, Cropped, Jpeg, Styles };
const char *const styleNames[] = {"outlines", "filled floors", "floors shaded by height", "10 % margin and a legend",
                                  "cropped 10 % on one side", "JPEG 60, blurred 1.5 px"};

struct Truth
{
    double a, b, c, d; // picture x = a X + b, y = c Y + d
};

QRectF extentOf(const Footprints &level)
{
    QRectF extent;
    for (const QPolygonF &outline : level.outlines)
        extent = extent.isNull() ? outline.boundingRect() : extent.united(outline.boundingRect());
    return extent;
}

void draw(QImage &image, const Footprints &level, const Truth &t, bool filled, bool shaded)
{
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setTransform(QTransform(t.a, 0, 0, t.c, t.b, t.d));
    if (!filled) {
        QPen pen(Qt::black, 1);
        pen.setCosmetic(true);
        painter.setPen(pen);
        for (const QPolygonF &outline : level.outlines)
            painter.drawPolygon(outline);
        return;
    }
    std::vector<int> order(size_t(level.outlines.size()));
    for (size_t i = 0; i < order.size(); ++i)
        order[i] = int(i);
    std::stable_sort(order.begin(), order.end(), [&](int p, int q) { return level.tops[p] < level.tops[q]; });
    const auto [low, high] = std::minmax_element(level.tops.begin(), level.tops.end());
    painter.setPen(Qt::NoPen);
    for (const int i : order) {
        const int grey = shaded ? 64 + int(176 * (level.tops[i] - *low) / std::max(*high - *low, 1.0)) : 200;
        painter.setBrush(QColor(grey, shaded ? grey : 180, grey));
        painter.drawPolygon(level.outlines[i]);
    }
}

// A picture of the level at a random placement in the style, and where it
// truly lies.
QImage picture(const Footprints &level, Style style, QRandomGenerator &random, Truth *truth)
{
    const QRectF extent = extentOf(level);
    const double fill = 0.6 + 0.3 * random.generateDouble();
    const double longSide = 500 + random.bounded(900);
    const double a = fill * longSide / std::max(extent.width(), extent.height());
    const double c = -a * (0.97 + 0.06 * random.generateDouble());
    const double margin = style == Legend ? 0.1 : 0.02;
    const QSize size(int(extent.width() * a / fill * (fill + 2 * margin)) + 8, int(extent.height() * -c / fill * (fill + 2 * margin)) + 8);
    const double left = (size.width() - extent.width() * a) * random.generateDouble();
    const double top = (size.height() + extent.height() * c) * random.generateDouble();
    *truth = {a, left - a * extent.left(), c, top - c * extent.bottom()};
    const bool filled = style == Filled || style == Shaded || style == Jpeg;
    QImage image(size, QImage::Format_RGB32);
    image.fill(filled ? QColor(20, 20, 30) : QColor(250, 248, 240));
    draw(image, level, *truth, filled, style == Shaded || style == Jpeg);
    if (style == Legend) {
        QPainter painter(&image);
        painter.setFont(QFont(QStringLiteral("DejaVu Sans"), 12));
        const QRect box(8, size.height() - 70, 180, 62);
        painter.fillRect(box, QColor(255, 255, 220));
        painter.drawRect(box);
        painter.drawText(box.adjusted(6, 4, 0, 0), QStringLiteral("Legend\nRed base  Blue base\nFlag"));
        painter.drawText(QPointF(size.width() * 0.4, size.height() * 0.5), QStringLiteral("Courtyard"));
    }
    if (style == Cropped) {
        // 10 % off the side nearest the level's far edge, so the level is cut.
        const int cut = size.width() / 10;
        const bool fromLeft = random.bounded(2) == 0;
        image = image.copy(fromLeft ? cut : 0, 0, size.width() - cut, size.height());
        if (fromLeft)
            truth->b -= cut;
    }
    if (style == Jpeg) {
        cv::Mat view(image.height(), image.width(), CV_8UC4, image.bits(), size_t(image.bytesPerLine()));
        cv::GaussianBlur(view, view, cv::Size(), 1.5);
        QBuffer buffer;
        buffer.open(QIODevice::WriteOnly);
        QImageWriter writer(&buffer, "jpeg");
        writer.setQuality(60);
        writer.write(image);
        image = QImage::fromData(buffer.data(), "jpeg");
    }
    return image;
}

double fitError(const Placement &p, const Truth &t, QSize size)
{
    double worst = 0;
    for (const QPointF corner : {QPointF(0, 0), QPointF(size.width(), size.height())}) {
        const double x = (corner.x() - t.b) / t.a, y = (corner.y() - t.d) / t.c;
        worst = std::max({worst, std::abs(p.a * x + p.b - corner.x()), std::abs(p.c * y + p.d - corner.y())});
    }
    return worst;
}

// How far, in pixels, the corners the entries give lie from the truth.
double cornerError(const CalibrationEntries &entries, const Truth &t)
{
    const std::optional<Calibration> found = calibrate(entries);
    if (!found)
        return 1e9;
    const QSizeF size = entries.picture;
    const double ox = found->exactOriginX * t.a + t.b, oy = found->exactOriginY * t.c + t.d;
    const double ex = found->exactEndX * t.a + t.b, ey = found->exactEndY * t.c + t.d;
    return std::max({std::abs(ox), std::abs(oy), std::abs(ex - size.width()), std::abs(ey - size.height())});
}

// A level that is its own mirror image or quarter turn in a look gives
// turned pictures that are true pictures of it, a placement explaining
// them exactly: the level drawn there, the picture differs from it at most
// in bands along edges two pixels wide each way (as far as any confident
// placement may be off), in no patch of its own.
bool sameAsPlaced(const QImage &image, const Footprints &level, const Placement &p)
{
    QImage drawn(image.size(), QImage::Format_RGB32);
    drawn.fill(QColor(20, 20, 30));
    draw(drawn, level, {p.a, p.b, p.c, p.d}, true, true);
    const QImage seen = image.convertToFormat(QImage::Format_Grayscale8), placed = drawn.convertToFormat(QImage::Format_Grayscale8);
    const cv::Mat mine(seen.height(), seen.width(), CV_8UC1, const_cast<uchar *>(seen.constBits()), size_t(seen.bytesPerLine()));
    const cv::Mat theirs(placed.height(), placed.width(), CV_8UC1, const_cast<uchar *>(placed.constBits()), size_t(placed.bytesPerLine()));
    cv::Mat differ;
    cv::absdiff(mine, theirs, differ);
    differ = differ > 8;
    cv::erode(differ, differ, cv::Mat(), cv::Point(-1, -1), 2);
    return cv::countNonZero(differ) < 20;
}

struct Row
{
    int within1 = 0, within2 = 0, unsure = 0, wrong = 0, total = 0;
};

void printRow(const char *name, const Row &r)
{
    std::printf("| %s | %d | %d (%.1f %%) | %d (%.1f %%) | %d | %d |\n", name, r.total, r.within1, 100.0 * r.within1 / std::max(r.total, 1),
                r.within2, 100.0 * r.within2 / std::max(r.total, 1), r.unsure, r.wrong);
}

// A level of count boxes strewn at random, each of its own size and
// height: no grid, whose repeats would leave any placement in doubt.
Footprints boxes(int count, QRandomGenerator &random)
{
    Footprints level;
    const int across = int(std::ceil(std::sqrt(count))) * 64;
    for (int i = 0; i < count; ++i) {
        const double x = random.bounded(across), y = random.bounded(across);
        const double w = 16 + random.bounded(40), h = 16 + random.bounded(40);
        level.outlines.append(QPolygonF({{x, y}, {x + w, y}, {x + w, y + h}, {x, y + h}}));
        level.tops.append(random.bounded(512));
    }
    return level;
}

} // namespace

int main(int argc, char *argv[])
{
    QGuiApplication app(argc, argv);
    allowLargePictures();
    QCommandLineParser parser;
    const QCommandLineOption levelsOption(QStringLiteral("levels"), QStringLiteral("Folder of real levels."), QStringLiteral("dir"),
                                          QStringLiteral("../shared/levels"));
    const QCommandLineOption perStyleOption(QStringLiteral("per-style"), QStringLiteral("Pictures per level and style."), QStringLiteral("n"),
                                            QStringLiteral("2"));
    const QCommandLineOption seedOption(QStringLiteral("seed"), QStringLiteral("Random seed."), QStringLiteral("s"), QStringLiteral("1"));
    const QCommandLineOption sectionsOption(QStringLiteral("sections"), QStringLiteral("accuracy,hostile,speed"), QStringLiteral("list"),
                                            QStringLiteral("accuracy,hostile,speed"));
    const QCommandLineOption keepOption(QStringLiteral("keep"), QStringLiteral("Write the pictures made to this folder."), QStringLiteral("dir"));
    const QCommandLineOption stylesOption(QStringLiteral("styles"), QStringLiteral("Styles to place, by number."), QStringLiteral("list"),
                                          QStringLiteral("0,1,2,3,4,5"));
    parser.addOptions({levelsOption, perStyleOption, seedOption, sectionsOption, keepOption, stylesOption});
    parser.addHelpOption();
    parser.process(app);
    const QStringList sections = parser.value(sectionsOption).split(QLatin1Char(','));
    const QStringList styles = parser.value(stylesOption).split(QLatin1Char(','));
    QRandomGenerator random(parser.value(seedOption).toUInt());
    const int perStyle = parser.value(perStyleOption).toInt();

    std::vector<std::pair<QString, Footprints>> levels;
    const QDir folder(parser.value(levelsOption));
    for (const QString &name : folder.entryList({QStringLiteral("*.map"), QStringLiteral("*.vmf")}, QDir::Files, QDir::Name)) {
        const LevelRead read = readLevel(folder.filePath(name));
        if (read.error.isEmpty())
            levels.emplace_back(name, footprints(read.level));
    }
    if (levels.empty() && !sections.contains(QStringLiteral("speed"))) {
        std::printf("No levels in %s: nothing to measure.\n", qPrintable(folder.path()));
        return 1;
    }

    if (sections.contains(QStringLiteral("accuracy"))) {
        std::printf("| style | pictures | within 1 px | within 2 px | not confident | confident and wrong |\n|---|---|---|---|---|---|\n");
        Row all;
        std::map<QString, Row> perLevel;
        for (int s = 0; s < Styles; ++s) {
            Row row;
            for (const auto &[name, level] : levels) {
                for (int n = 0; n < perStyle; ++n) {
                    Truth truth;
                    const QImage image = picture(level, Style(s), random, &truth);
                    if (!styles.contains(QString::number(s)))
                        continue;
                    if (parser.isSet(keepOption))
                        image.save(QStringLiteral("%1/%2-%3-%4.png").arg(parser.value(keepOption), name).arg(s).arg(n));
                    const std::optional<Placement> found = place(image, level);
                    const double error = found && found->confident ? cornerError(found->entries, truth) : -1;
                    Row &mine = perLevel[name];
                    for (Row *r : {&row, &all, &mine}) {
                        ++r->total;
                        r->unsure += error < 0;
                        r->within1 += error >= 0 && error <= 1;
                        r->within2 += error >= 0 && error <= 2;
                        r->wrong += error > 2;
                    }
                    std::fprintf(stderr, "%s %s #%d (%dx%d, fit %.2f): %s error %.2f px; %s\n", qPrintable(name), styleNames[s], n, image.width(), image.height(), found ? fitError(*found, truth, image.size()) : -1.0,
                                 found && found->confident ? "placed" : "unsure", error, found ? qPrintable(placementSummary(*found)) : "");
                }
            }
            if (row.total > 0) // a style left out by --styles has no row
                printRow(styleNames[s], row);
        }
        printRow("**all**", all);
        std::printf("\n| level | pictures | within 1 px | within 2 px | not confident | confident and wrong |\n|---|---|---|---|---|---|\n");
        for (const auto &[name, row] : perLevel)
            printRow(qPrintable(name), row);
    }

    if (sections.contains(QStringLiteral("hostile"))) {
        std::printf("\n| hostile picture | pictures | confident | confident, the picture the level's own where placed |\n|---|---|---|---|\n");
        const char *const kinds[] = {"another level", "blank", "noise", "rotated 90 degrees", "mirrored"};
        for (int k = 0; k < 5; ++k) {
            int confident = 0, total = 0, own = 0;
            for (size_t i = 0; i < levels.size(); ++i) {
                Truth truth;
                QImage image = picture(levels[(i + 1) % levels.size()].second, Outline, random, &truth);
                if (k == 1)
                    image.fill(Qt::white);
                if (k == 2) {
                    for (int y = 0; y < image.height(); ++y)
                        for (int x = 0; x < image.width(); ++x)
                            image.setPixel(x, y, random.generate() | 0xff000000u);
                }
                if (k >= 3) {
                    image = picture(levels[i].second, Shaded, random, &truth);
                    image = k == 3 ? image.transformed(QTransform().rotate(90)) : image.mirrored(true, false);
                }
                const std::optional<Placement> found = place(image, levels[i].second);
                const bool placed = found && found->confident;
                const bool same = placed && k >= 3 && sameAsPlaced(image, levels[i].second, *found);
                confident += placed && !same;
                own += same;
                ++total;
                if (placed)
                    std::fprintf(stderr, "hostile %s on %s%s: %s\n", kinds[k], qPrintable(levels[i].first),
                                 same ? " (the level's own picture where placed)" : "", qPrintable(placementSummary(*found)));
            }
            std::printf("| %s | %d | %d | %d |\n", kinds[k], total, confident, own);
        }
    }

    if (sections.contains(QStringLiteral("speed"))) {
        // This machine's speed wanders by a fifth from one second to the
        // next: each figure is the median of five runs, their range beside it.
        constexpr int runs = 5;
        std::printf("\n| picture | brushes | decoding the PNG | placing (median of %d) | range | ratio |\n|---|---|---|---|---|---|\n", runs);
        const Footprints level = boxes(10000, random);
        for (const int side : {2048, 8192}) {
            const QRectF extent = extentOf(level);
            const double a = 0.9 * side / std::max(extent.width(), extent.height());
            Truth truth{a, 0.05 * side - a * extent.left(), -a, 0.05 * side + a * extent.bottom()};
            QImage image(side, side, QImage::Format_RGB32);
            image.fill(Qt::white);
            draw(image, level, truth, false, false);
            QByteArray png;
            QBuffer buffer(&png);
            buffer.open(QIODevice::WriteOnly);
            image.save(&buffer, "png");
            std::vector<double> decodings, placings;
            QImage decoded;
            std::optional<Placement> found;
            for (int run = 0; run < runs; ++run) {
                QElapsedTimer timer;
                timer.start();
                decoded = QImage::fromData(png, "png");
                decodings.push_back(timer.nsecsElapsed() / 1e9);
                timer.restart();
                found = place(decoded, level);
                placings.push_back(timer.nsecsElapsed() / 1e9);
            }
            std::sort(decodings.begin(), decodings.end());
            std::sort(placings.begin(), placings.end());
            const double decoding = decodings[runs / 2], placing = placings[runs / 2];
            std::printf("| %d × %d | %lld | %.2f s | %.2f s (%s, error %.2f px) | %.2f–%.2f s | %.1f |\n", side, side, qlonglong(level.outlines.size()),
                        decoding, placing, found && found->confident ? "placed" : "unsure",
                        found && found->confident ? cornerError(found->entries, truth) : -1.0, placings.front(), placings.back(), placing / decoding);
        }
    }
    return 0;
}
