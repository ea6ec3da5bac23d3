#include "measures.h"

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
