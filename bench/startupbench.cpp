// Start-up: the program to its first frame, with and without a picture.

#include "measures.h"

// A child's standard output, once it has printed "painted".
struct Start
{
    double wall = 0; // from the start of the process
    double application = 0, window = 0, frame = 0; // from main()
};

static Start startOnce(const QString &program, const QStringList &arguments, const QString &platformName)
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
