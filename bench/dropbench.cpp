// A drop to the grown window's first frame, and the memory a picture takes.

#include "measures.h"

struct DropRound
{
    double loaded = 0, resized = 0, painted = 0, redraw = 0;
    QSize window;
};

// From the drop to the grown window's first complete frame.
static DropRound dropOnce(const Picture &picture)
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
static std::pair<double, double> bareOnce(const Picture &picture, QSize size)
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

static QList<double> peakOf(const QStringList &arguments)
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
