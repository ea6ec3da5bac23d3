#include "calibration.h"
#include "droppaths.h"
#include "resultformats.h"

#include <QMimeData>
#include <QRandomGenerator>
#include <QTest>
#include <QUrl>

Q_DECLARE_METATYPE(CalibrationEntries)

class TestRules : public QObject
{
    Q_OBJECT

private slots:
    void calibration_data();
    void calibration();
    void integerMapsComeBackExactly();
    void dropRule_data();
    void dropRule();
    void formats_data();
    void formats();
    void worldFileReadsBack();
};

void TestRules::calibration_data()
{
    QTest::addColumn<CalibrationEntries>("in");
    QTest::addColumn<QString>("text");

    // Width, height, X1, Y1, X2, Y2, A (r1x), C (r1y), B (r2x), D (r2y). Each
    // corner lies on the line through both points, truncated toward zero.
    const CalibrationEntries sound{400, 300, 50, 50, 350, 250, -100, 100, 500, -300};
    QTest::newRow("scale 2, integer origin") << sound << "origin = -200 200 ??\nend = 600 -400 ??\n";
    // x: -6940 / 87 = -79.77 and 61060 / 87 = 701.83. A scale taken from the
    // truncated origin and the first point alone would put the end at 640.
    QTest::newRow("first point near the left edge")
            << CalibrationEntries{400, 300, 5, 50, 92, 250, -70, 100, 100, -300}
            << "origin = -79 200 ??\nend = 701 -400 ??\n";
    QTest::newRow("fractional origin and end on both axes") // -258.33, 212.5; 608.33, -462.5
            << CalibrationEntries{400, 300, 50, 50, 350, 250, -150, 100, 500, -350}
            << "origin = -258 212 ??\nend = 608 -462 ??\n";
    QTest::newRow("ends just short of an integer, both signs") // 1924.991, -3580.992
            << CalibrationEntries{18, 934, -12, 167, 211, 411, 1671, 210, 3559, -996}
            << "origin = 1772 1035 ??\nend = 1924 -3580 ??\n";
    QTest::newRow("first point at pixel 0 on both axes")
            << CalibrationEntries{462, 490, 0, 0, 66, 180, 883, 2729, 4403, 2153}
            << "origin = 883 2729 ??\nend = 25523 1161 ??\n";
    QTest::newRow("first point at a negative pixel")
            << CalibrationEntries{46, 893, -24, -28, 531, 80, -2925, -1235, 922, -1303}
            << "origin = -2758 -1252 ??\nend = -2439 -1814 ??\n";
    QTest::newRow("end beyond 32 bits") // 9999 * 19997 + 131072 * 19998
            << CalibrationEntries{131072, 1, -9999, 0, -9998, 1, -9999, 1, 9999, 0}
            << "origin = 199950003 1 ??\nend = 2821127859 0 ??\n";

    const QString invalid = "invalid entries.\n";
    const QList<std::pair<const char *, qint32 CalibrationEntries::*>> equalities = {
        {"zero width", &CalibrationEntries::imageWidth}, {"zero height", &CalibrationEntries::imageHeight},
        {"X1 equals X2", &CalibrationEntries::x1}, {"Y1 equals Y2", &CalibrationEntries::y1},
        {"A equals B", &CalibrationEntries::worldX1}, {"C equals D", &CalibrationEntries::worldY2}};
    const qint32 equal[] = {0, 0, 350, 250, 500, 100};
    for (qsizetype i = 0; i < equalities.size(); ++i) {
        CalibrationEntries e = sound;
        e.*equalities[i].second = equal[i];
        QTest::newRow(equalities[i].first) << e << invalid;
    }
    QTest::newRow("no picture") << CalibrationEntries{0, 0, 50, 50, 350, 250, -100, 100, 500, -300} << invalid;
    QTest::newRow("points swapped") << CalibrationEntries{400, 300, 350, 250, 50, 50, 500, -300, -100, 100} << invalid;
    QTest::newRow("world y growing downwards")
            << CalibrationEntries{400, 300, 50, 50, 350, 250, -100, -300, 500, 100} << invalid;
}

void TestRules::calibration()
{
    QFETCH(CalibrationEntries, in);
    QFETCH(QString, text);
    QCOMPARE(calibrationText(calibrate(in)), text);
}

// Points placed on an integer origin and scale anywhere in the boxes' range
// give back that origin and the exact far corner.
void TestRules::integerMapsComeBackExactly()
{
    QRandomGenerator random(77);
    for (int i = 0; i < 200000; ++i) {
        const qint32 scale = random.bounded(1, 51);
        const qint32 origin = random.bounded(-5000, 5001);
        // Pixels whose world values origin + scale * p stay within the boxes.
        const qint32 low = qMax(-9999, (-9999 - origin + scale - 1) / scale);
        const qint32 high = qMin(9999, (9999 - origin) / scale);
        const qint32 p1 = random.bounded(low, high);
        const qint32 p2 = random.bounded(p1 + 1, high + 1);
        const qint32 size = random.bounded(1, 200001);
        const CalibrationEntries e{size, size, p1, -p2, p2, -p1, origin + scale * p1, origin + scale * p2,
                                   origin + scale * p2, origin + scale * p1};
        const auto c = calibrate(e);
        // World y falls as picture y grows, so the y axis is the mirror.
        const qint64 reach = qint64(scale) * size;
        if (!c || c->originX != origin || c->originY != origin || c->endX != origin + reach
            || c->endY != origin - reach)
            QFAIL(qPrintable(QString("map %1: %2").arg(i).arg(calibrationText(c))));
    }
}

void TestRules::dropRule_data()
{
    QTest::addColumn<QList<QUrl>>("urls");
    QTest::addColumn<int>("collected");
    QTest::addColumn<bool>("accepted");

    auto one = [](const char *path) { return QList<QUrl>{QUrl::fromLocalFile(path)}; };
    QTest::newRow("png") << one("/maps/overview.png") << 1 << true;
    QTest::newRow("jpg") << one("/Karten/Übersicht Ost.jpg") << 1 << true;
    QTest::newRow("upper-case PNG") << one("/maps/overview.PNG") << 1 << false;
    QTest::newRow("mixed-case Jpg") << one("/maps/overview.Jpg") << 1 << false;
    QTest::newRow("jpeg") << one("/maps/overview.jpeg") << 1 << false;
    QTest::newRow("last dot part counts") << one("/maps/map.old.png") << 1 << true;
    QTest::newRow("dot only in a directory") << one("/maps.old/overview") << 1 << false;
    QTest::newRow("trailing dot") << one("/maps/overview.png.") << 1 << false;
    QTest::newRow("no dot") << one("/maps/png") << 1 << false;
    QTest::newRow("web address") << QList<QUrl>{QUrl("https://example.com/map.png")} << 1 << false;
    QTest::newRow("no url") << QList<QUrl>() << 0 << false;
    QTest::newRow("two png files") << (one("/a.png") + one("/b.png")) << 2 << false;
    QList<QUrl> forty;
    for (int i = 0; i < 40; ++i)
        forty << QUrl::fromLocalFile(QString("/maps/%1.png").arg(i));
    QTest::newRow("forty png files") << forty << 32 << false;
}

void TestRules::dropRule()
{
    QFETCH(QList<QUrl>, urls);
    QFETCH(int, collected);
    QFETCH(bool, accepted);
    QMimeData mime;
    if (!urls.isEmpty())
        mime.setUrls(urls);
    else
        mime.setText("/maps/overview.png");
    const QStringList paths = dropPaths(&mime);
    QCOMPARE(paths.size(), collected);
    if (collected == 1)
        QCOMPARE(paths.first(), urls.first().toLocalFile());
    QCOMPARE(isPictureDrop(paths), accepted);
    QVERIFY(dropPaths(nullptr).isEmpty());
}

void TestRules::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<CalibrationEntries>("in");
    QTest::addColumn<QString>("argument"); // the picture's name or path
    QTest::addColumn<QString>("text");

    const CalibrationEntries sample{640, 480, 120, 90, 520, 390, -544, 408, 1056, -792};
    const CalibrationEntries wide{131072, 1, -9999, 0, -9998, 1, -9999, 1, 9999, 0};   // 199950003 1, 2821127859 0
    const CalibrationEntries tall{1, 131072, 0, -9999, 1, -9998, 0, 9999, 1, -9999};   // 0 -199950003, 1 -2821127859
    const CalibrationEntries pixel{1, 1, 0, 0, 3, 3, 0, 0, 10, -10};                    // 0 0, 3 -3
    const CalibrationEntries flat{1, 1, 0, 0, 10, 10, 0, 5, 5, 0};                     // 0 5, 0 4
    QTest::newRow("keys: sample") << "keys" << sample << ""
                                  << "\"mapcoordsmins\" \"-1024 768\"\n\"mapcoordsmaxs\" \"1536 -1152\"\n";
    QTest::newRow("keys: end beyond 32 bits") << "keys" << wide << ""
                                              << "\"mapcoordsmins\" \"199950003 1\"\n\"mapcoordsmaxs\" \"2821127859 0\"\n";
    QTest::newRow("keys: end below -2^31") << "keys" << tall << ""
                                           << "\"mapcoordsmins\" \"0 -199950003\"\n\"mapcoordsmaxs\" \"1 -2821127859\"\n";
    QTest::newRow("overview: not square") << "overview" << sample << "sample-map"
            << "// Not square: the picture spans 2560 x 1920 world units, but a radar picture must be square.\n"
               "\"sample-map\"\n{\n\t\"material\"\t\"overviews/sample-map\"\n\t\"pos_x\"\t\"-1024\"\n"
               "\t\"pos_y\"\t\"768\"\n\t\"scale\"\t\"2.5\"\n\t\"rotate\"\t\"0\"\n}\n";
    QTest::newRow("overview: square") << "overview" << CalibrationEntries{1024, 1024, 0, 0, 1000, 1000, -4096, 4096, -96, 96}
            << "de_map" << "\"de_map\"\n{\n\t\"material\"\t\"overviews/de_map\"\n\t\"pos_x\"\t\"-4096\"\n"
                            "\t\"pos_y\"\t\"4096\"\n\t\"scale\"\t\"4\"\n\t\"rotate\"\t\"0\"\n}\n";
    QTest::newRow("world file: sample") << "world file" << sample << "" << "4\n0\n0\n-4\n-1022\n766\n";
    QTest::newRow("world file: 1 x 1 picture") << "world file" << pixel << "" << "3\n0\n0\n-3\n1.5\n-1.5\n";
    QTest::newRow("world file: 200000 x 1 picture") << "world file" << CalibrationEntries{200000, 1, 0, 0, 7, 1, 0, 1, 3, 0}
                                                    << "" << "0.42857\n0\n0\n-1\n0.214285\n0.5\n";
    QTest::newRow("world file: end beyond 32 bits") << "world file" << wide << "" << "19998\n0\n0\n-1\n199960002\n0.5\n";
    QTest::newRow("gdal: sample") << "gdal" << sample << "/maps/sample-map.png"
            << "gdal_translate -a_ullr -1024 768 1536 -1152 '/maps/sample-map.png' '/maps/sample-map.tif'\n";
    QTest::newRow("gdal: spaces, quotes and non-ASCII letters") << "gdal" << pixel << "/maps/Ost's Übersicht 2.png"
            << "gdal_translate -a_ullr 0 0 3 -3 '/maps/Ost'\\''s Übersicht 2.png' '/maps/Ost'\\''s Übersicht 2.tif'\n";
    QTest::newRow("gdal: never over the picture") << "gdal" << tall << "/maps/map.tif"
            << "gdal_translate -a_ullr 0 -199950003 1 -2821127859 '/maps/map.tif' '/maps/map-placed.tif'\n";
    QTest::newRow("suffix: png") << "suffix" << sample << "/maps/map.png" << "pgw";
    QTest::newRow("suffix: jpeg") << "suffix" << sample << "/maps/map.old.JPEG" << "jgw";
    QTest::newRow("suffix: none") << "suffix" << sample << "/maps.d/map" << "wld";
    QTest::newRow("scale: sample") << "scale" << sample << "" << "x: 4 units per pixel, y: 4 units per pixel";
    QTest::newRow("scale: axes disagree") << "scale" << CalibrationEntries{400, 300, 50, 50, 350, 250, -150, 100, 500, -350}
            << "" << "x: 2.165 units per pixel, y: 2.2466666666666666 units per pixel\nThe two axes disagree by 3.8 %, "
                     "which usually means a reference point was picked or typed wrong, or the picture is stretched.";
    QTest::newRow("scale: no extent") << "scale" << flat << ""
            << "x: 0 units per pixel, y: 1 units per pixel\nOne axis spans no world units: pick the two points further apart.";
}

void TestRules::formats()
{
    QFETCH(QString, format);
    QFETCH(CalibrationEntries, in);
    QFETCH(QString, argument);
    QFETCH(QString, text);
    const std::optional<Calibration> c = calibrate(in);
    QVERIFY(c);
    const QSize picture(in.imageWidth, in.imageHeight);
    const QString made = format == "keys" ? worldspawnKeys(*c)
            : format == "overview" ? sourceOverview(*c, argument)
            : format == "world file" ? worldFile(*c, picture)
            : format == "gdal" ? gdalCommand(*c, argument)
            : format == "suffix" ? worldFileSuffix(argument) : scaleCheck(*c, picture);
    QCOMPARE(made, text);
}

// The six numbers give the origin and end back to a millionth of a unit.
void TestRules::worldFileReadsBack()
{
    QRandomGenerator random(2026);
    auto ordered = [&](bool rising) {
        qint32 a = random.bounded(-9999, 10000), b = random.bounded(-9999, 10000);
        while (a == b)
            b = random.bounded(-9999, 10000);
        return (a < b) == rising ? std::pair(a, b) : std::pair(b, a);
    };
    for (int i = 0; i < 100000; ++i) {
        const auto [x1, x2] = ordered(true);
        const auto [y1, y2] = ordered(true);
        const auto [a, b] = ordered(true);
        const auto [c, d] = ordered(false);
        const CalibrationEntries e{random.bounded(1, 200001), random.bounded(1, 200001), x1, y1, x2, y2, a, c, b, d};
        const std::optional<Calibration> m = calibrate(e);
        if (!m || !hasExtent(*m))
            continue;
        QList<double> n;
        for (const QString &line : worldFile(*m, QSize(e.imageWidth, e.imageHeight)).split('\n', Qt::SkipEmptyParts))
            n << line.toDouble();
        const double x0 = n[4] - n[0] / 2, y0 = n[5] - n[3] / 2;
        const double far[2] = {x0 + n[0] * e.imageWidth, y0 + n[3] * e.imageHeight};
        if (qAbs(x0 - m->originX) > 1e-6 || qAbs(y0 - m->originY) > 1e-6 || qAbs(far[0] - m->endX) > 1e-6
            || qAbs(far[1] - m->endY) > 1e-6)
            QFAIL(qPrintable(QString("entry %1: %2").arg(i).arg(calibrationText(m))));
    }
}

QTEST_APPLESS_MAIN(TestRules)
#include "tst_rules.moc"
