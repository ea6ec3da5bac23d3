// Prints how fast Vellamor answers a user, each figure beside what the same
// work costs without Vellamor, the alternatives interleaved in one run.
// scripts/bench.sh runs it offscreen, and under Xvfb when one is given.
// Options: --sizes 1024,2048,4096,8192  --rounds 21  --xvfb :99
// --sections startup,measure,cursor,drop,picture,memory
// Child modes, used by the benchmark itself: --cursor PICTURE..., --peak
// PICTURE, --peak-bare.

#include "core/picturefile.h"
#include "framewatch.h"
#include "level/footprints.h"
#include "level/levelfile.h"
#include "picturewindow.h"
#include "testsupport.h"
#include "view/levelview.h"
#include "view/magnifier.h"
#include "view/picturearea.h"

#include <QAction>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSysInfo>
#include <QScrollBar>
#include <QThread>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdio>

namespace {

int rounds = 21;
QString xvfbDisplay;

double elapsedMs(const QElapsedTimer &timer)
{
    return double(timer.nsecsElapsed()) / 1e6;
}

double percentile(QList<double> values, double p)
{
    if (values.isEmpty())
        return 0;
    std::sort(values.begin(), values.end());
    const double at = p * double(values.size() - 1);
    const auto low = qsizetype(at);
    const qsizetype high = std::min(low + 1, values.size() - 1);
    return values[low] + (values[high] - values[low]) * (at - double(low));
}

double median(const QList<double> &values)
{
    return percentile(values, 0.5);
}

double minimum(const QList<double> &values)
{
    return percentile(values, 0);
}

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 3 : 1);
}

// The ratio of the medians, then the middle half of the per-round ratios.
QString ratioCells(const QList<double> &ours, const QList<double> &limit)
{
    QList<double> each;
    for (qsizetype i = 0; i < ours.size() && i < limit.size(); ++i)
        each << ours[i] / limit[i];
    return QString("%1 | %2–%3").arg(median(ours) / median(limit), 0, 'f', 3)
            .arg(percentile(each, 0.25), 0, 'f', 3).arg(percentile(each, 0.75), 0, 'f', 3);
}

QList<double> sums(const QList<double> &a, const QList<double> &b)
{
    QList<double> sum;
    for (qsizetype i = 0; i < a.size(); ++i)
        sum << a[i] + b[i];
    return sum;
}

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

// Gradients with noise, like a painted or rendered map.
QImage mapPicture(int size, bool alpha)
{
    QImage image(size, size, alpha ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    quint32 state = 0x9e3779b9u;
    for (int y = 0; y < size; ++y) {
        auto *line = reinterpret_cast<quint32 *>(image.scanLine(y));
        for (int x = 0; x < size; ++x) {
            state ^= state << 13;
            state ^= state >> 17;
            state ^= state << 5;
            const int n = int(state & 31);
            const int r = std::min(255, x * 224 / size + n);
            const int g = std::min(255, y * 224 / size + (n >> 1));
            const int b = std::min(255, (x + y) * 112 / size + (n >> 2));
            const int a = alpha ? 192 + (int(state >> 8) & 63) : 255;
            line[x] = quint32(a) << 24 | quint32(r) << 16 | quint32(g) << 8 | quint32(b);
        }
    }
    return image;
}

struct Picture
{
    QString label;
    QString path;
    int size;
};

QList<Picture> writePictures(const QTemporaryDir &dir, const QList<int> &sizes)
{
    QList<Picture> pictures;
    for (const int size : sizes) {
        for (const bool alpha : {false, true}) {
            const QString path = dir.filePath(QString("%1-%2.%3").arg(alpha ? "rgba" : "rgb").arg(size)
                                                      .arg(alpha ? "png" : "jpg"));
            if (!mapPicture(size, alpha).save(path, nullptr, 90))
                qFatal("cannot write %s", qPrintable(path));
            pictures.append({QString("%1 %2").arg(alpha ? "PNG RGBA" : "JPEG").arg(size) + "²", path, size});
        }
    }
    return pictures;
}

void showAndWait(QWidget &window)
{
    FrameWatch watch(&window);
    window.show();
    if (!watch.waitForFrame())
        qFatal("no first frame");
}

QImage decode(const QString &path)
{
    return QImageReader(path).read();
}

QProcessEnvironment platform(const QString &name)
{
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", name);
    if (name == "xcb")
        env.insert("DISPLAY", xvfbDisplay);
    return env;
}

QStringList platforms()
{
    return xvfbDisplay.isEmpty() ? QStringList{"offscreen"} : QStringList{"offscreen", "xcb"};
}

QString platformLabel(const QString &name)
{
    return name == "xcb" ? "xcb on Xvfb" : name;
}

// A child's standard output, once it has printed "painted".
struct Start
{
    double wall = 0; // from the start of the process
    double application = 0, window = 0, frame = 0; // from main()
};

Start startOnce(const QString &program, const QStringList &arguments, const QString &platformName)
{
    QProcess process;
    process.setProcessEnvironment(platform(platformName));
    QElapsedTimer timer;
    timer.start();
    process.start(program, arguments);
    QByteArray out;
    while (!out.contains("painted") && process.waitForReadyRead(60000))
        out += process.readAllStandardOutput();
    Start start;
    start.wall = elapsedMs(timer);
    process.waitForFinished();
    const QRegularExpressionMatch m = QRegularExpression("application ([\\d.]+) window ([\\d.]+) frame ([\\d.]+)")
                                              .match(QString::fromLatin1(out));
    if (!m.hasMatch())
        qFatal("%s did not paint: %s", qPrintable(program), process.readAllStandardError().constData());
    start.application = m.captured(1).toDouble();
    start.window = m.captured(2).toDouble();
    start.frame = m.captured(3).toDouble();
    return start;
}

void benchStartup()
{
    print("\n### Start-up: process start to the first complete frame (ms)\n");
    print("| platform | Vellamor median | min | bare QMainWindow median | min | ratio | spread |");
    print("|---|---|---|---|---|---|---|");
    QStringList breakdown;
    for (const QString &name : platforms()) {
        QList<Start> ours, bare;
        startOnce(STARTUP_VELLAMOR, {}, name);
        startOnce(STARTUP_BARE, {}, name);
        for (int round = 0; round < rounds; ++round) {
            if (round % 2)
                bare << startOnce(STARTUP_BARE, {}, name);
            ours << startOnce(STARTUP_VELLAMOR, {}, name);
            if (round % 2 == 0)
                bare << startOnce(STARTUP_BARE, {}, name);
        }
        auto column = [](const QList<Start> &starts, double Start::*field) {
            QList<double> values;
            for (const Start &s : starts)
                values << s.*field;
            return values;
        };
        const QList<double> o = column(ours, &Start::wall), b = column(bare, &Start::wall);
        print(QString("| %1 | %2 | %3 | %4 | %5 | %6 |").arg(platformLabel(name), ms(median(o)), ms(minimum(o)),
                                                          ms(median(b)), ms(minimum(b)), ratioCells(o, b)));
        for (const auto &[label, starts] : {std::pair("Vellamor", ours), std::pair("bare QMainWindow", bare)}) {
            const double app = median(column(starts, &Start::application));
            const double window = median(column(starts, &Start::window));
            const double frame = median(column(starts, &Start::frame));
            breakdown << QString("| %1 | %2 | %3 | %4 | %5 | %6 |").arg(platformLabel(name), label)
                                 .arg(ms(median(column(starts, &Start::wall)) - frame), ms(app), ms(window - app),
                                      ms(frame - window));
        }
    }
    print("\nWhere the time goes (medians, ms):\n");
    print("| platform | program | exec and libraries to main() | QApplication | window built | show to complete frame |");
    print("|---|---|---|---|---|---|");
    for (const QString &line : breakdown)
        print(line);
}

void benchPictureStart(const QList<Picture> &pictures)
{
    print("\n### `vellamor PICTURE`: process start to the picture's first complete frame (ms)\n");
    print("| picture | Vellamor median | min | bare start + bare decode median | ratio | spread |");
    print("|---|---|---|---|---|---|");
    for (const Picture &picture : pictures) {
        QList<double> ours, limit;
        startOnce(STARTUP_VELLAMOR, {picture.path}, "offscreen");
        for (int round = 0; round < rounds; ++round) {
            QElapsedTimer timer;
            timer.start();
            decode(picture.path);
            const double decoded = elapsedMs(timer);
            limit << startOnce(STARTUP_BARE, {}, "offscreen").wall + decoded;
            ours << startOnce(STARTUP_VELLAMOR, {picture.path}, "offscreen").wall;
        }
        print(QString("| %1 | %2 | %3 | %4 | %5 |").arg(picture.label, ms(median(ours)), ms(minimum(ours)),
                                                      ms(median(limit)), ratioCells(ours, limit)));
    }
}

struct DropRound
{
    double loaded = 0, resized = 0, painted = 0, redraw = 0;
    QSize window;
};

// From the drop to the grown window's first complete frame.
DropRound dropOnce(const Picture &picture)
{
    Vellamor window;
    showAndWait(window);
    FrameWatch watch(&window);
    dropFile(&window, picture.path);
    DropRound round;
    round.loaded = watch.elapsed();
    if (!watch.waitForFrame() || window.session().pictureSize().width() != picture.size)
        qFatal("%s did not reach the screen", qPrintable(picture.path));
    round.resized = watch.resizedAt;
    round.painted = watch.doneAt;
    round.window = window.size();
    QElapsedTimer timer;
    timer.start();
    window.repaint();
    round.redraw = elapsedMs(timer);
    return round;
}

// The least the same takes: decode, then a new window of the grown size
// that draws the picture.
std::pair<double, double> bareOnce(const Picture &picture, QSize size)
{
    QElapsedTimer timer;
    timer.start();
    PictureWindow window(decode(picture.path));
    const double decoded = elapsedMs(timer);
    window.resize(size);
    FrameWatch watch(&window);
    window.show();
    if (!watch.waitForFrame())
        qFatal("no bare frame");
    return {decoded, watch.doneAt};
}

void benchDrop(const QList<Picture> &pictures)
{
    print("\n### Drop to the grown window's first complete frame (ms)\n");
    print("Limit: the bare decode of the same file plus the first frame of a new bare window of the grown size "
          "that draws the picture.\n");
    print("| picture | window | drop median | min | limit median | min | ratio | spread | ÷ bare decode alone |");
    print("|---|---|---|---|---|---|---|---|---|");
    QStringList breakdown;
    for (const Picture &picture : pictures) {
        const QSize grown = dropOnce(picture).window;
        QList<DropRound> drops;
        QList<double> decodes, paints, totals;
        for (int round = 0; round < rounds; ++round) {
            if (round % 2)
                drops << dropOnce(picture);
            const auto [decoded, painted] = bareOnce(picture, grown);
            decodes << decoded;
            paints << painted;
            if (round % 2 == 0)
                drops << dropOnce(picture);
        }
        QList<double> decoded, frame, redraw;
        for (const DropRound &d : drops) {
            totals << d.painted;
            decoded << d.resized;
            frame << d.painted - d.resized;
            redraw << d.redraw;
        }
        const QList<double> limit = sums(decodes, paints);
        print(QString("| %1 | %2×%3 | %4 | %5 | %6 | %7 | %8 | %9 |").arg(picture.label).arg(grown.width())
                      .arg(grown.height()).arg(ms(median(totals)), ms(minimum(totals)), ms(median(limit)),
                                               ms(minimum(limit)), ratioCells(totals, limit))
                      .arg(median(totals) / median(decodes), 0, 'f', 3));
        breakdown << QString("| %1 | %2 | %3 | %4 | %5 | %6 |").arg(picture.label, ms(median(decoded)),
                                                                   ms(median(frame)), ms(median(redraw)),
                                                                   ms(median(decodes)), ms(median(paints)));
    }
    print("\nWhere the time goes (medians, ms): the drop decodes the picture up to the window's resize, then lays "
          "out and paints the grown window's first frame, which touches a new backing store; a repaint of the "
          "grown window shows the drawing alone. The bare window pays the same first touch.\n");
    print("| picture | decode, to the resize | layout and first frame | repaint | bare decode | bare first frame |");
    print("|---|---|---|---|---|---|");
    for (const QString &line : breakdown)
        print(line);
}

int peakChild(const QString &path)
{
    if (path.isEmpty()) {
        QMainWindow bare;
        bare.resize(684, 609);
        showAndWait(bare);
        std::printf("%lld 684 609\n", residentKiB("VmHWM:"));
        return 0;
    }
    Vellamor window;
    showAndWait(window);
    FrameWatch watch(&window);
    dropFile(&window, path);
    if (!watch.waitForFrame())
        return 1;
    std::printf("%lld %d %d\n", residentKiB("VmHWM:"), window.width(), window.height());
    return 0;
}

QList<double> peakOf(const QStringList &arguments)
{
    QProcess process;
    process.setProcessEnvironment(platform("offscreen"));
    process.start(QCoreApplication::applicationFilePath(), arguments);
    process.waitForFinished(300000);
    QList<double> values;
    for (const QByteArray &field : process.readAllStandardOutput().simplified().split(' '))
        values << field.toDouble();
    if (values.size() != 3)
        qFatal("memory child failed");
    return values;
}

void benchMemory(const QList<Picture> &pictures)
{
    QList<double> bareRuns;
    for (int i = 0; i < 7; ++i)
        bareRuns << peakOf({"--peak-bare"}).first();
    const double bare = median(bareRuns);
    print("\n### Peak resident memory after the first complete frame (MiB)\n");
    print(QString("Bare QMainWindow process: %1 MiB (median of 7). Limit: bare + 4·w·h + the grown window's "
                  "backing store, 4 · window width · window height.\n").arg(bare / 1024, 0, 'f', 1));
    print("| picture | window | peak | limit | ratio |");
    print("|---|---|---|---|---|");
    for (const Picture &picture : pictures) {
        const QList<double> peak = peakOf({"--peak", picture.path});
        const double limit = bare + (4.0 * picture.size * picture.size + 4 * peak[1] * peak[2]) / 1024;
        print(QString("| %1 | %2×%3 | %4 | %5 | %6 |").arg(picture.label).arg(peak[1]).arg(peak[2])
                      .arg(peak[0] / 1024, 0, 'f', 1).arg(limit / 1024, 0, 'f', 1).arg(peak[0] / limit, 0, 'f', 3));
    }
}

// Cursor moves as the window system delivers them, to the labels (and the
// magnifier, when it is on) repainted.
void cursorRound(const QString &path, QSize size, bool magnifier)
{
    Vellamor window;
    window.resize(size);
    showAndWait(window);
    // A window larger than the grown one has no complete new frame to wait
    // for; the repaint puts the picture on screen.
    if (!path.isEmpty()) {
        dropFile(&window, path);
        window.repaint();
        QCoreApplication::processEvents();
    }
    // Its key, without depending on which window the server lets type.
    for (QAction *action : window.actions()) {
        if (magnifier && action->shortcut() == QKeySequence(Qt::Key_Z))
            action->trigger();
    }
    QList<double> times;
    const QPoint base = window.form().paintWidget->mapTo(&window, QPoint(20, 20));
    for (int i = 0; i < 300; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::mouseMove(window.windowHandle(), base + QPoint(i % 2 ? 7 : 0, i % 3));
        times << elapsedMs(timer);
    }
    if (!path.isEmpty() && window.form().cursorXLabel->text() == QLatin1String("x = 0"))
        qFatal("cursor moves did not arrive");
    if (magnifier && !window.form().magnifier->isVisible())
        qFatal("the magnifier is not shown");
    print(QString("| %1 | %2 | %3 | %4×%5 | %6×%7 | %8 | %9 | %10 |")
                  .arg(platformLabel(QGuiApplication::platformName()),
                       path.isEmpty() ? "none" : QString::number(window.session().pictureSize().width()) + "²", magnifier ? "on" : "off")
                  .arg(size.width()).arg(size.height()).arg(window.width()).arg(window.height())
                  .arg(ms(median(times)), ms(percentile(times, 0.99)), ms(minimum(times))));
}

int cursorChild(const QStringList &paths)
{
    for (const QString &path : QStringList{QString()} + paths) {
        for (const QSize size : {QSize(684, 609), QSize(1920, 1080)}) {
            cursorRound(path, size, false);
            if (!path.isEmpty())
                cursorRound(path, size, true);
        }
    }
    return 0;
}

// Wheel steps over a picture larger than the screen, each to the exposed
// strip painted and flushed: down and back up by turns.
int scrollChild(const QStringList &paths)
{
    for (const QString &path : paths) {
        Vellamor window;
        showAndWait(window);
        FrameWatch watch(&window);
        dropFile(&window, path);
        watch.waitForFrame();
        QWidget *viewport = window.form().viewArea->viewport();
        if (window.form().viewArea->verticalScrollBar()->maximum() < 60) {
            print(QString("| %1 | %2 | %3×%4 | fits the screen | | |").arg(platformLabel(QGuiApplication::platformName()),
                          QString::number(window.session().pictureSize().width()) + "²").arg(window.width()).arg(window.height()));
            continue;
        }
        PaintCounter painted(window.form().paintWidget);
        QList<double> times;
        for (int i = 0; i < 100; ++i) {
            const QPoint step(0, i % 2 ? 120 : -120);
            QWheelEvent wheel(QPointF(50, 50), viewport->mapToGlobal(QPointF(50, 50)), {}, step, Qt::NoButton,
                              Qt::NoModifier, Qt::NoScrollPhase, false);
            const int paints = painted.paints;
            QElapsedTimer timer;
            timer.start();
            QCoreApplication::sendEvent(viewport, &wheel);
            while (painted.paints == paints)
                QCoreApplication::processEvents();
            times << elapsedMs(timer);
        }
        print(QString("| %1 | %2 | %3×%4 | %5 | %6 | %7 |")
                      .arg(platformLabel(QGuiApplication::platformName()), QString::number(window.session().pictureSize().width()) + "²")
                      .arg(window.width()).arg(window.height())
                      .arg(ms(median(times)), ms(percentile(times, 0.99)), ms(minimum(times))));
    }
    return 0;
}

// A level of `count` cubes on a grid over world -8192 ... 8192 on both
// axes, each face as an editor writes it.
QByteArray gridLevel(int count)
{
    const int side = int(std::ceil(std::sqrt(double(count))));
    const double cell = 16384.0 / side;
    QByteArray text = "{\n\"classname\" \"worldspawn\"\n";
    for (int i = 0; i < count; ++i) {
        const int x0 = int(-8192 + (i % side) * cell), y0 = int(-8192 + (i / side) * cell);
        const int x1 = x0 + int(cell * 0.6), y1 = y0 + int(cell * 0.6);
        text += QString("{\n( %2 %3 64 ) ( %1 %3 64 ) ( %1 %4 64 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %1 %4 0 ) ( %1 %3 0 ) ( %2 %3 0 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %2 %4 0 ) ( %2 %3 0 ) ( %2 %3 64 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %1 %3 64 ) ( %1 %3 0 ) ( %1 %4 0 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %1 %4 64 ) ( %1 %4 0 ) ( %2 %4 0 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n"
                        "( %2 %3 0 ) ( %1 %3 0 ) ( %1 %3 64 ) base_wall/c_met5_2 0 0 0 0.5 0.5 0 0 0\n}\n")
                        .arg(x0).arg(x1).arg(y0).arg(y1).toLatin1();
    }
    return text + "}\n";
}

// The level over a picture: Measure (which places the footprints), a full
// repaint of the view, and cursor moves, with the level shown.
int levelChild(const QStringList &paths)
{
    Vellamor window;
    showAndWait(window);
    FrameWatch watch(&window);
    dropFile(&window, paths.value(0));
    watch.waitForFrame();
    if (!window.session().openLevel(paths.value(1)).isEmpty())
        qFatal("the level did not read");
    const MainForm &f = window.form();
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y};
    const QList<int> values = {0, 0, window.session().pictureSize().width(), window.session().pictureSize().height(), -8192, 8192, 8192, -8192};
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes[i]->setValue(values[i]);
    QList<double> measures, repaints, moves;
    for (int i = 0; i < rounds; ++i) {
        QElapsedTimer timer;
        timer.start();
        window.compute();
        measures << elapsedMs(timer);
        timer.start();
        f.paintWidget->repaint();
        repaints << elapsedMs(timer);
    }
    const QPoint base = f.paintWidget->mapTo(&window, QPoint(20, 20));
    for (int i = 0; i < 300; ++i) {
        QElapsedTimer timer;
        timer.start();
        QTest::mouseMove(window.windowHandle(), base + QPoint(i % 2 ? 7 : 0, i % 3));
        moves << elapsedMs(timer);
    }
    print(QString("| %1 | %2 | %3×%4 | %5 | %6 | %7 | %8 |").arg(platformLabel(QGuiApplication::platformName()),
                  QString::number(window.session().pictureSize().width()) + "²").arg(f.viewArea->viewport()->width())
                  .arg(f.viewArea->viewport()->height())
                  .arg(ms(median(measures)), ms(median(repaints)), ms(percentile(repaints, 0.99)), ms(median(moves))));
    return 0;
}

// The level window with a large level and the picture laid under it: a pan
// step and a zoom step to the frame on screen, a snap, and a full repaint at
// several zooms.
int levelWindowChild(const QStringList &paths)
{
    LevelView view;
    view.resize(1600, 1000);
    view.setLevel(footprints(readLevel(paths.value(1)).level));
    view.setPicture(decode(paths.value(0)), QPointF(-8192, 8192), QPointF(8192, -8192));
    showAndWait(view);
    view.fit();
    PaintCounter painted(&view);
    const auto untilPainted = [&](const std::function<void()> &step) {
        const int paints = painted.paints;
        QElapsedTimer timer;
        timer.start();
        step();
        while (painted.paints == paints)
            QCoreApplication::processEvents();
        return elapsedMs(timer);
    };
    QList<double> pans, zooms, snaps, repaints[3];
    const QPoint middle(800, 500);
    QTest::mousePress(view.windowHandle(), Qt::MiddleButton, {}, middle);
    for (int i = 0; i < 50; ++i)
        pans << untilPainted([&] { QTest::mouseMove(view.windowHandle(), middle + QPoint(i % 2 ? 0 : 12, i % 2 ? 0 : 8)); });
    QTest::mouseRelease(view.windowHandle(), Qt::MiddleButton, {}, middle);
    for (int i = 0; i < 50; ++i) {
        QWheelEvent wheel(middle, view.mapToGlobal(middle), {}, QPoint(0, i % 2 ? -120 : 120), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        zooms << untilPainted([&] { QCoreApplication::sendEvent(&view, &wheel); });
    }
    for (int i = 0; i < 1000; ++i) {
        QElapsedTimer timer;
        timer.start();
        view.pick(QPointF(37 + (i * 7919) % 1500, 23 + (i * 104729) % 950), true);
        snaps << elapsedMs(timer);
    }
    const double zoom[3] = {1, 8, 1.0 / 8};
    for (int z = 0; z < 3; ++z) {
        view.fit();
        QWheelEvent wheel(middle, view.mapToGlobal(middle), {}, QPoint(0, int(std::round(120 * std::log(zoom[z]) / std::log(1.25)))),
                          Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
        QCoreApplication::sendEvent(&view, &wheel);
        for (int i = 0; i < 21; ++i)
            repaints[z] << untilPainted([&] { view.update(); });
    }
    print(QString("| %1 | %2 | %3 | %4 | %5 | %6 | %7 |").arg(platformLabel(QGuiApplication::platformName()),
                  ms(median(pans)), ms(median(zooms)), ms(median(snaps)), ms(median(repaints[0])),
                  ms(median(repaints[1])), ms(median(repaints[2]))));
    return 0;
}

// Runs a child section on the offscreen platform here, then on Xvfb.
void inChildren(const char *option, int (*child)(const QStringList &), const QStringList &paths)
{
    child(paths);
    if (!xvfbDisplay.isEmpty()) {
        QProcess process;
        process.setProcessEnvironment(platform("xcb"));
        process.setProcessChannelMode(QProcess::ForwardedOutputChannel);
        process.start(QCoreApplication::applicationFilePath(), QStringList{option} + paths);
        process.waitForFinished(-1);
    }
}

QStringList jpegPaths(const QList<Picture> &pictures)
{
    QStringList paths;
    for (const Picture &picture : pictures) {
        if (picture.label.startsWith("JPEG"))
            paths << picture.path;
    }
    return paths;
}

void benchLevel(const QTemporaryDir &dir, const QList<Picture> &pictures)
{
    const int count = 100000;
    const QString path = dir.filePath("grid.map");
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || !file.write(gridLevel(count)))
        qFatal("cannot write the level");
    file.close();
    QList<double> bytes, levels;
    Footprints f;
    for (int round = 0; round < rounds; ++round) {
        QElapsedTimer timer;
        timer.start();
        QFile raw(path);
        if (!raw.open(QIODevice::ReadOnly) || raw.readAll().isEmpty())
            qFatal("cannot read the level");
        bytes << elapsedMs(timer);
        timer.start();
        f = footprints(readLevel(path).level);
        levels << elapsedMs(timer);
    }
    if (f.brushes != count)
        qFatal("the level gave %d footprints", f.brushes);
    print(QString("\n### A level of %1 brushes (%2 MB): read and turned into footprints (ms)\n")
                  .arg(count).arg(double(file.size()) / (1 << 20), 0, 'f', 1));
    print("| reading the bytes alone, median | reading and footprints, median | min | ratio | spread |");
    print("|---|---|---|---|---|");
    print(QString("| %1 | %2 | %3 | %4 |").arg(ms(median(bytes)), ms(median(levels)), ms(minimum(levels)),
                                           ratioCells(levels, bytes)));
    print(QString("\n### The same level over the largest picture (ms): Measure, which places the %1 footprints; a "
                  "full repaint of the view; a cursor move with the level shown\n").arg(count));
    print("| platform | picture | view | Measure median | repaint median | repaint p99 | cursor move median |");
    print("|---|---|---|---|---|---|---|");
    inChildren("--level", levelChild, {jpegPaths(pictures).constLast(), path});
    print(QString("\n### The level window, %1 brushes over the largest picture (ms, medians): a pan step and a zoom "
                  "step to the frame on screen, a snap to the nearest corner, and a full repaint with the picture under "
                  "the level, fitted, zoomed in 8× and out 8×\n").arg(count));
    print("| platform | pan step | zoom step | snap | repaint, fitted | zoomed in | zoomed out |");
    print("|---|---|---|---|---|---|---|");
    inChildren("--level-window", levelWindowChild, {jpegPaths(pictures).constLast(), path});
}

void benchScroll(const QList<Picture> &pictures)
{
    print("\n### Wheel step over a picture larger than the screen, to the exposed part on screen (ms), 100 steps each\n");
    print("| platform | picture | window | median | p99 | min |");
    print("|---|---|---|---|---|---|");
    inChildren("--scroll", scrollChild, jpegPaths(pictures));
}

void benchCursor(const QList<Picture> &pictures)
{
    print("\n### Cursor move, from the window system to both labels (and the magnifier) repainted (ms), 300 moves each\n");
    print("| platform | picture | magnifier | window asked | window got | median | p99 | min |");
    print("|---|---|---|---|---|---|---|---|");
    inChildren("--cursor", cursorChild, jpegPaths(pictures));
}

void benchMeasure(const QTemporaryDir &dir)
{
    Vellamor window;
    showAndWait(window);
    dropFile(&window, writePicture(dir, "measure.png", 400, 300));
    const MainForm &f = window.form();
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y};
    const QList<int> values = {5, 50, 92, 250, -70, 100, 100, -300};
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes[i]->setValue(values[i]);
    PaintCounter shown(f.textEdit->viewport());
    QList<double> times;
    for (int i = 0; i < 1000; ++i) {
        f.textEdit->clear();
        QCoreApplication::processEvents();
        const int paints = shown.paints;
        QElapsedTimer timer;
        timer.start();
        QTest::mousePress(f.measureButton, Qt::LeftButton);
        while (shown.paints == paints)
            QCoreApplication::processEvents();
        times << elapsedMs(timer);
        QTest::mouseRelease(f.measureButton, Qt::LeftButton);
    }
    if (f.textEdit->toPlainText() != "origin = -79 200 ??\nend = 701 -400 ??\n")
        qFatal("Measure gave the wrong text");
    print("\n### Measure, press to the text painted in the box (ms)\n");
    print("| presses | median | p99 | min |");
    print("|---|---|---|---|");
    print(QString("| 1000 | %1 | %2 | %3 |").arg(ms(median(times)), ms(percentile(times, 0.99)), ms(minimum(times))));
}

QString machine()
{
    QString cpu;
    QFile info("/proc/cpuinfo");
    if (info.open(QIODevice::ReadOnly)) {
        for (const QByteArray &line : info.readAll().split('\n')) {
            if (line.startsWith("model name")) {
                cpu = QString::fromUtf8(line.mid(line.indexOf(':') + 1).trimmed());
                break;
            }
        }
    }
    return QString("%1, %2 logical cores, %3; Qt %4")
            .arg(cpu).arg(QThread::idealThreadCount()).arg(QSysInfo::prettyProductName(), qVersion());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QStringList args = app.arguments().mid(1);
    // The same decoder limit for the bare decode as for the window.
    allowLargePictures();
    if (args.value(0) == "--peak-bare")
        return peakChild(QString());
    if (args.value(0) == "--peak")
        return peakChild(args.value(1));
    if (args.value(0) == "--cursor")
        return cursorChild(args.mid(1));
    if (args.value(0) == "--scroll")
        return scrollChild(args.mid(1));
    if (args.value(0) == "--level")
        return levelChild(args.mid(1));
    if (args.value(0) == "--level-window")
        return levelWindowChild(args.mid(1));

    QList<int> sizes = {1024, 2048, 4096, 8192};
    QStringList sections;
    for (qsizetype i = 0; i + 1 < args.size(); ++i) {
        if (args[i] == "--sizes") {
            sizes.clear();
            for (const QString &size : args[i + 1].split(','))
                sizes << size.toInt();
        } else if (args[i] == "--rounds") {
            rounds = std::max(3, args[i + 1].toInt());
        } else if (args[i] == "--sections") {
            sections = args[i + 1].split(',');
        } else if (args[i] == "--xvfb") {
            xvfbDisplay = args[i + 1];
        }
    }

    QTemporaryDir dir;
    print("## Vellamor benchmark\n");
    print("Machine: " + machine() + ". Platforms: " + platforms().replaceInStrings("xcb", "xcb on Xvfb").join(", ")
          + QString(". %1 rounds, alternatives interleaved; *spread* is the middle half (25th to 75th percentile) "
                    "of the per-round ratios.").arg(rounds));
    const QList<Picture> pictures = writePictures(dir, sizes);
    const auto run = [&](const char *name) { return sections.isEmpty() || sections.contains(name); };
    if (run("startup"))
        benchStartup();
    if (run("measure"))
        benchMeasure(dir);
    if (run("cursor"))
        benchCursor(pictures);
    if (run("scroll"))
        benchScroll(pictures);
    if (run("level"))
        benchLevel(dir, pictures);
    if (run("drop"))
        benchDrop(pictures);
    if (run("picture"))
        benchPictureStart(pictures);
    if (run("memory"))
        benchMemory(pictures);
    return 0;
}
