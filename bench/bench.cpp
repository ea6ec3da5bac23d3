// Prints how fast Vellamor answers a user, each figure beside what the same
// work costs without Vellamor, the alternatives interleaved in one run.
// scripts/bench.sh runs it offscreen, and under Xvfb when one is given.
// Options: --sizes 1024,2048,4096,8192  --rounds 21  --xvfb :99
// --sections startup,measure,cursor,drop,picture,memory
// Child modes, used by the benchmark itself: --cursor PICTURE..., --peak
// PICTURE, --peak-bare.

#include "measures.h"

#include <QSysInfo>
#include <QThread>

namespace {

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
