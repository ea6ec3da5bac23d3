// Prints how fast Vellamor answers a user, with the alternatives measured in
// the same run. Run headless: QT_QPA_PLATFORM=offscreen vellamor-bench
// Options: --sizes 4096,8192  --rounds 7

#include "paintwidget.h"
#include "testsupport.h"
#include "vellamor.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QSpinBox>
#include <QSysInfo>
#include <QThread>
#include <QTest>

#include <algorithm>
#include <cstdio>
#include <functional>

namespace {

struct Stats
{
    double median = 0;
    double min = 0;
    double max = 0;
    double p99 = 0;
};

Stats stats(QList<double> ms)
{
    std::sort(ms.begin(), ms.end());
    Stats s;
    if (ms.isEmpty())
        return s;
    const qsizetype n = ms.size();
    s.median = n % 2 ? ms[n / 2] : (ms[n / 2 - 1] + ms[n / 2]) / 2;
    s.min = ms.first();
    s.max = ms.last();
    s.p99 = ms[std::min<qsizetype>(n - 1, qsizetype(0.99 * double(n)))];
    return s;
}

double timeMs(const std::function<void()> &work)
{
    QElapsedTimer timer;
    timer.start();
    work();
    return double(timer.nsecsElapsed()) / 1e6;
}

void print(const QString &line)
{
    std::printf("%s\n", qPrintable(line));
    std::fflush(stdout);
}

QString ms(double value)
{
    return QString::number(value, 'f', value < 10 ? 3 : 1);
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
        const QImage rgb = mapPicture(size, false);
        const QImage rgba = mapPicture(size, true);
        const QList<std::pair<QString, QImage>> kinds = {
            {"JPEG", rgb},
            {"PNG RGB", rgb},
            {"PNG RGBA", rgba},
            {"PNG palette", rgb.convertToFormat(QImage::Format_Indexed8)},
            {"PNG gray", rgb.convertToFormat(QImage::Format_Grayscale8)}};
        for (const auto &[kind, image] : kinds) {
            const QString name = QString("%1-%2.%3").arg(kind).arg(size)
                    .arg(kind == "JPEG" ? "jpg" : "png").replace(' ', '-');
            const QString path = dir.filePath(name);
            if (!image.save(path, nullptr, kind == "JPEG" ? 90 : -1))
                qFatal("cannot write %s", qPrintable(path));
            pictures.append({kind + ' ' + QString::number(size) + "²", path, size});
        }
    }
    return pictures;
}

void showAndWait(QWidget &window)
{
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        qFatal("window not exposed");
}

void benchDrop(const QList<Picture> &pictures, int rounds)
{
    print("\n### Drop to labels (ms)\n");
    print("| picture | drop median | min | max | bare decode median | min | max | ratio |");
    print("|---|---|---|---|---|---|---|---|");
    for (const Picture &picture : pictures) {
        QList<double> drops;
        QList<double> decodes;
        for (int round = 0; round < rounds; ++round) {
            auto drop = [&] {
                Vellamor window;
                showAndWait(window);
                drops << timeMs([&] { dropFile(&window, picture.path); });
                if (window.imageWidth != picture.size)
                    qFatal("%s did not load", qPrintable(picture.path));
            };
            auto decode = [&] {
                decodes << timeMs([&] {
                    QImageReader reader(picture.path);
                    const QImage image = reader.read();
                    if (image.width() != picture.size)
                        qFatal("%s did not decode", qPrintable(picture.path));
                });
            };
            if (round % 2) {
                decode();
                drop();
            } else {
                drop();
                decode();
            }
        }
        const Stats d = stats(drops);
        const Stats b = stats(decodes);
        print(QString("| %1 | %2 | %3 | %4 | %5 | %6 | %7 | %8 |")
                      .arg(picture.label, ms(d.median), ms(d.min), ms(d.max), ms(b.median),
                           ms(b.min), ms(b.max), QString::number(d.median / b.median, 'f', 3)));
    }
}

void benchCursor(const QTemporaryDir &dir, const QList<Picture> &pictures)
{
    print("\n### Cursor move, window system to repainted labels (ms)\n");
    print("| picture | window asked | window got | moves | median | p99 | max |");
    print("|---|---|---|---|---|---|---|");
    QList<std::pair<QString, QString>> cases = {
        {"none", QString()}, {"PNG RGB 400×300", writePicture(dir, "small.png", 400, 300)}};
    for (const Picture &picture : pictures) {
        if (picture.label.startsWith("JPEG"))
            cases.append({picture.label + " (view grown to it)", picture.path});
    }
    for (const auto &[label, path] : cases) {
        for (const QSize size : {QSize(684, 609), QSize(1920, 1080)}) {
            Vellamor window;
            window.resize(size);
            showAndWait(window);
            if (!path.isEmpty())
                dropFile(&window, path);
            for (int i = 0; i < 5; ++i)
                QApplication::processEvents();
            const bool huge = window.imageWidth > 5000;
            const int moves = huge ? 40 : 400;
            QList<double> times;
            const QPoint base = window.form.paintWidget->mapTo(&window, QPoint(20, 20));
            for (int i = 0; i < moves; ++i) {
                const QPoint pos = base + QPoint(i % 2 ? 7 : 0, i % 3);
                times << timeMs([&] { QTest::mouseMove(window.windowHandle(), pos); });
            }
            if (window.imageWidth > 20 && window.cursorX < 20)
                qFatal("cursor moves did not arrive");
            const Stats s = stats(times);
            print(QString("| %1 | %2×%3 | %4×%5 | %6 | %7 | %8 | %9 |")
                          .arg(label).arg(size.width()).arg(size.height())
                          .arg(window.width()).arg(window.height()).arg(moves)
                          .arg(ms(s.median), ms(s.p99), ms(s.max)));
        }
    }
}

void benchMeasure(const QTemporaryDir &dir)
{
    Vellamor window;
    showAndWait(window);
    dropFile(&window, writePicture(dir, "measure.png", 400, 300));
    const MainForm &f = window.form;
    const QList<QSpinBox *> boxes = {f.p1x, f.p1y, f.p2x, f.p2y, f.r1x, f.r1y, f.r2x, f.r2y};
    const QList<int> values = {5, 50, 92, 250, -70, 100, 100, -300};
    for (qsizetype i = 0; i < boxes.size(); ++i)
        boxes[i]->setValue(values[i]);
    QList<double> times;
    for (int i = 0; i < 2000; ++i) {
        f.textEdit->clear();
        times << timeMs([&] { QTest::mousePress(f.measureButton, Qt::LeftButton); });
        QTest::mouseRelease(f.measureButton, Qt::LeftButton);
    }
    if (f.textEdit->toPlainText() != "origin = -79 200 ??\nend = 701 -400 ??\n")
        qFatal("Measure gave the wrong text");
    const Stats s = stats(times);
    print("\n### Measure, press to text in the box (ms)\n");
    print("| presses | median | p99 | min | max |");
    print("|---|---|---|---|---|");
    print(QString("| 2000 | %1 | %2 | %3 | %4 |").arg(ms(s.median), ms(s.p99), ms(s.min), ms(s.max)));
}

double startOnce(const QString &program)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    QElapsedTimer timer;
    timer.start();
    process.start(program, {});
    QByteArray out;
    while (!out.contains("painted") && process.waitForReadyRead(10000))
        out += process.readAllStandardOutput();
    const double elapsed = double(timer.nsecsElapsed()) / 1e6;
    if (!out.contains("painted"))
        qFatal("%s never painted", qPrintable(program));
    process.waitForFinished(10000);
    return elapsed;
}

void benchStartup(int rounds)
{
    QList<double> vellamor;
    QList<double> bare;
    startOnce(STARTUP_VELLAMOR);
    startOnce(STARTUP_BARE);
    for (int round = 0; round < rounds; ++round) {
        if (round % 2) {
            bare << startOnce(STARTUP_BARE);
            vellamor << startOnce(STARTUP_VELLAMOR);
        } else {
            vellamor << startOnce(STARTUP_VELLAMOR);
            bare << startOnce(STARTUP_BARE);
        }
    }
    const Stats v = stats(vellamor);
    const Stats b = stats(bare);
    print("\n### Start-up, process start to first paint (ms)\n");
    print("| program | runs | median | min | max |");
    print("|---|---|---|---|---|");
    print(QString("| Vellamor | %1 | %2 | %3 | %4 |").arg(rounds).arg(ms(v.median), ms(v.min), ms(v.max)));
    print(QString("| bare QMainWindow | %1 | %2 | %3 | %4 |").arg(rounds).arg(ms(b.median), ms(b.min), ms(b.max)));
    print(QString("\nratio of medians: %1").arg(v.median / b.median, 0, 'f', 3));
}

qint64 peakOf(const QStringList &arguments)
{
    QProcess process;
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert("QT_QPA_PLATFORM", "offscreen");
    process.setProcessEnvironment(env);
    process.start(QCoreApplication::applicationFilePath(), arguments);
    process.waitForFinished(120000);
    return process.readAllStandardOutput().trimmed().toLongLong();
}

void benchMemory(const QList<Picture> &pictures, int rounds)
{
    QList<double> bareRuns;
    for (int i = 0; i < rounds; ++i)
        bareRuns << double(peakOf({"--peak-bare"}));
    const double bare = stats(bareRuns).median;
    print("\n### Peak resident memory after one drop, before the window grows (MiB)\n");
    print(QString("bare QMainWindow process peak: %1 MiB (median of %2)\n").arg(bare / 1024, 0, 'f', 1).arg(rounds));
    print("| picture | peak | 4·w·h + bare | over |");
    print("|---|---|---|---|");
    for (const Picture &picture : pictures) {
        if (picture.size < 8192)
            continue;
        const double peak = double(peakOf({"--peak", picture.path}));
        const double budget = 4.0 * picture.size * picture.size / 1024 + bare;
        print(QString("| %1 | %2 | %3 | %4 % |")
                      .arg(picture.label).arg(peak / 1024, 0, 'f', 1).arg(budget / 1024, 0, 'f', 1)
                      .arg(100 * (peak - budget) / budget, 0, 'f', 1));
    }
}

// Each child builds only the window it measures, so that neither peak
// carries the other's widgets.
int peakChild(const QString &path)
{
    if (path.isEmpty()) {
        QMainWindow bare;
        bare.resize(684, 609);
        showAndWait(bare);
    } else {
        Vellamor window;
        showAndWait(window);
        dropFile(&window, path);
    }
    std::printf("%lld\n", residentKiB("VmHWM:"));
    return 0;
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
    return QString("%1, %2 logical cores, %3; Qt %4, %5 platform")
            .arg(cpu).arg(QThread::idealThreadCount()).arg(QSysInfo::prettyProductName(),
                                                            qVersion(), QGuiApplication::platformName());
}

} // namespace

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    const QStringList args = app.arguments();
    if (args.size() > 1 && args[1] == "--peak-bare")
        return peakChild(QString());
    if (args.size() > 2 && args[1] == "--peak")
        return peakChild(args[2]);

    QList<int> sizes = {4096, 8192};
    int rounds = 7;
    for (qsizetype i = 1; i + 1 < args.size(); ++i) {
        if (args[i] == "--sizes") {
            sizes.clear();
            for (const QString &size : args[i + 1].split(','))
                sizes << size.toInt();
        } else if (args[i] == "--rounds") {
            rounds = std::max(7, args[i + 1].toInt());
        }
    }
    // The same decoder limit for the bare decode as for the window.
    QImageReader::setAllocationLimit(1024);

    QTemporaryDir dir;
    print("## Vellamor benchmark\n");
    print("machine: " + machine());
    print(QString("rounds: %1, alternatives interleaved").arg(rounds));
    const QList<Picture> pictures = writePictures(dir, sizes);
    for (const Picture &picture : pictures)
        QImageReader(picture.path).read();

    benchStartup(std::max(rounds, 15));
    benchMeasure(dir);
    benchCursor(dir, pictures);
    benchDrop(pictures, rounds);
    benchMemory(pictures, rounds);
    return 0;
}
