#include "core/calibration.h"
#include "app/commandline.h"
#include "app/levellayer.h"
#include "app/transferrules.h"
#include "core/resultformats.h"
#include "form/entrytext.h"
#include "view/cornerindex.h"
#include "view/levelcamera.h"

#include <QLineF>
#include <QMimeData>
#include <QRegularExpression>
#include <QTest>
#include <QUrl>

Q_DECLARE_METATYPE(CalibrationEntries)

namespace {

// Width, height, X1, Y1, X2, Y2, A (r1x), C (r1y), B (r2x), D (r2y).
using E = CalibrationEntries;
const CalibrationEntries sample{{640, 480}, {120, 90}, {520, 390}, {-544, 408}, {1056, -792}};
const CalibrationEntries wide{{131072, 1}, {-9999, 0}, {-9998, 1}, {-9999, 1}, {9999, 0}};
const CalibrationEntries tall{{1, 131072}, {0, -9999}, {1, -9998}, {0, 9999}, {1, -9999}};

} // namespace

class TestRules : public QObject
{
    Q_OBJECT

private slots:
    void calibration_data();
    void calibration();
    void dropRule_data();
    void dropRule();
    void formats_data();
    void formats();
    void display_data();
    void display();
    void entries_data();
    void entries();
    void camera_data();
    void camera();
    void snapping_data();
    void snapping();
    void levelWindowPlace_data();
    void levelWindowPlace();
};

void TestRules::calibration_data()
{
    QTest::addColumn<CalibrationEntries>("in");
    QTest::addColumn<QString>("text");

    // Each corner lies on the line through both points, truncated toward zero.
    QTest::newRow("scale 2, integer origin") << E{{400, 300}, {50, 50}, {350, 250}, {-100, 100}, {500, -300}} << "origin = -200 200 ??\nend = 600 -400 ??\n";
    // x: -6940 / 87 = -79.77 and 61060 / 87 = 701.83. A scale taken from the
    // truncated origin and the first point alone would put the end at 640.
    QTest::newRow("first point near the left edge") << E{{400, 300}, {5, 50}, {92, 250}, {-70, 100}, {100, -300}} << "origin = -79 200 ??\nend = 701 -400 ??\n";
    QTest::newRow("fractions on both axes") << E{{400, 300}, {50, 50}, {350, 250}, {-150, 100}, {500, -350}} << "origin = -258 212 ??\nend = 608 -462 ??\n";
    QTest::newRow("ends just short of an integer") << E{{18, 934}, {-12, 167}, {211, 411}, {1671, 210}, {3559, -996}} << "origin = 1772 1035 ??\nend = 1924 -3580 ??\n";
    QTest::newRow("first point at pixel 0") << E{{462, 490}, {0, 0}, {66, 180}, {883, 2729}, {4403, 2153}} << "origin = 883 2729 ??\nend = 25523 1161 ??\n";
    QTest::newRow("first point at a negative pixel") << E{{46, 893}, {-24, -28}, {531, 80}, {-2925, -1235}, {922, -1303}} << "origin = -2758 -1252 ??\nend = -2439 -1814 ??\n";
    QTest::newRow("end beyond 32 bits") << wide << "origin = 199950003 1 ??\nend = 2821127859 0 ??\n";
    QTest::newRow("origin beyond 32 bits, every entry at its limit") << E{{262144, 262144}, {262143, 262143}, {262144, 262144}, {-131072, 131072}, {131072, -131072}} << "origin = -68719345664 68719345664 ??\nend = 131072 -131072 ??\n";
    const QString invalid = "invalid entries.\n";
    QTest::newRow("zero width") << E{{0, 300}, {50, 50}, {350, 250}, {-100, 100}, {500, -300}} << invalid;
    QTest::newRow("zero height") << E{{400, 0}, {50, 50}, {350, 250}, {-100, 100}, {500, -300}} << invalid;
    QTest::newRow("X1 equals X2") << E{{400, 300}, {350, 50}, {350, 250}, {-100, 100}, {500, -300}} << invalid;
    QTest::newRow("Y1 equals Y2") << E{{400, 300}, {50, 250}, {350, 250}, {-100, 100}, {500, -300}} << invalid;
    QTest::newRow("A equals B") << E{{400, 300}, {50, 50}, {350, 250}, {500, 100}, {500, -300}} << invalid;
    QTest::newRow("C equals D") << E{{400, 300}, {50, 50}, {350, 250}, {-100, 100}, {500, 100}} << invalid;
    QTest::newRow("points swapped") << E{{400, 300}, {350, 250}, {50, 50}, {500, -300}, {-100, 100}} << invalid;
    QTest::newRow("world y growing downwards") << E{{400, 300}, {50, 50}, {350, 250}, {-100, -300}, {500, 100}} << invalid;
}

void TestRules::calibration()
{
    QFETCH(CalibrationEntries, in);
    QFETCH(QString, text);
    QCOMPARE(calibrationText(calibrate(in)), text);
}

void TestRules::dropRule_data()
{
    QTest::addColumn<QStringList>("urls");
    QTest::addColumn<int>("collected");
    QTest::addColumn<bool>("accepted");

    QTest::newRow("png") << QStringList{"/maps/overview.png"} << 1 << true;
    QTest::newRow("jpg") << QStringList{"/Karten/Übersicht Ost.jpg"} << 1 << true;
    QTest::newRow("upper-case PNG") << QStringList{"/maps/overview.PNG"} << 1 << false;
    QTest::newRow("jpeg") << QStringList{"/maps/overview.jpeg"} << 1 << false;
    QTest::newRow("last dot part counts") << QStringList{"/maps/map.old.png"} << 1 << true;
    QTest::newRow("dot only in a directory") << QStringList{"/maps.old/overview"} << 1 << false;
    QTest::newRow("trailing dot") << QStringList{"/maps/overview.png."} << 1 << false;
    QTest::newRow("no dot") << QStringList{"/maps/png"} << 1 << false;
    QTest::newRow("web address") << QStringList{"https://example.com/map.png"} << 1 << false;
    QTest::newRow("text, no url") << QStringList() << 0 << false;
    QTest::newRow("two png files") << QStringList{"/a.png", "/b.png"} << 2 << false;
    QStringList forty;
    for (int i = 0; i < 40; ++i)
        forty << QString("/maps/%1.png").arg(i);
    QTest::newRow("forty png files") << forty << 32 << false;
}

void TestRules::dropRule()
{
    QFETCH(QStringList, urls);
    QFETCH(int, collected);
    QFETCH(bool, accepted);
    QMimeData mime;
    mime.setText("/maps/overview.png");
    if (!urls.isEmpty())
        mime.setUrls(QUrl::fromStringList(urls.replaceInStrings(QRegularExpression("^/"), "file:///")));
    const QStringList paths = dropPaths(&mime);
    QCOMPARE(paths.size(), collected);
    QCOMPARE(paths.value(0), QUrl(urls.value(0)).toLocalFile());
    QCOMPARE(isPictureDrop(paths), accepted);
    QVERIFY(dropPaths(nullptr).isEmpty());
}

void TestRules::formats_data()
{
    QTest::addColumn<QString>("format");
    QTest::addColumn<CalibrationEntries>("in");
    QTest::addColumn<QString>("argument"); // the picture's name or path
    QTest::addColumn<QString>("text");

    const E pixel{{1, 1}, {0, 0}, {3, 3}, {0, 0}, {10, -10}}; // 0 0, 3.333333 -3.333333
    const E between{{1120, 1344}, {2, 2}, {1118, 1342}, {-894, 189}, {501, -1486}}; // -896.5 191.5, 503.5 -1488.5
    QTest::newRow("keys: sample") << "keys" << sample << "" << "\"mapcoordsmins\" \"-1024 768\"\n\"mapcoordsmaxs\" \"1536 -1152\"\n";
    QTest::newRow("keys: end beyond 32 bits") << "keys" << wide << "" << "\"mapcoordsmins\" \"199950003 1\"\n\"mapcoordsmaxs\" \"2821127859 0\"\n";
    QTest::newRow("keys: end below -2^31") << "keys" << tall << "" << "\"mapcoordsmins\" \"0 -199950003\"\n\"mapcoordsmaxs\" \"1 -2821127859\"\n";
    QTest::newRow("keys: to a millionth, its trailing zero dropped") << "keys" << E{{43, 43}, {0, 0}, {21, 21}, {0, 0}, {10, -10}} << "" << "\"mapcoordsmins\" \"0 0\"\n\"mapcoordsmaxs\" \"20.47619 -20.47619\"\n";
    QTest::newRow("keys: corners between units") << "keys" << between << "" << "\"mapcoordsmins\" \"-896.5 191.5\"\n\"mapcoordsmaxs\" \"503.5 -1488.5\"\n";
    QTest::newRow("keys: a third of a unit, to a millionth") << "keys" << pixel << "" << "\"mapcoordsmins\" \"0 0\"\n\"mapcoordsmaxs\" \"3.333333 -3.333333\"\n";
    QTest::newRow("overview: corners between units, a tall picture") << "overview" << between << "bg01"
            << "// Not square: the picture spans 1400 x 1680 world units, but a radar picture must be square.\n"
               "\"bg01\"\n{\n\t\"material\"\t\"overviews/bg01\"\n\t\"pos_x\"\t\"-896.5\"\n"
               "\t\"pos_y\"\t\"191.5\"\n\t\"scale\"\t\"1.3671875\"\n\t\"rotate\"\t\"0\"\n}\n";
    QTest::newRow("overview: a width a hair short of 7, a top of ten decimals") << "overview" << E{{3, 4}, {5, 1}, {8, 1025}, {0, 0}, {7, -7}} << "m" << "// Not square: the picture spans 7 x 0.02734375 world units, but a radar picture must be square.\n"
               "\"m\"\n{\n\t\"material\"\t\"overviews/m\"\n\t\"pos_x\"\t\"-11.666667\"\n\t\"pos_y\"\t\"0.006836\"\n\t\"scale\"\t\"0.006836\"\n\t\"rotate\"\t\"0\"\n}\n";
    QTest::newRow("overview: not square") << "overview" << sample << "sample-map"
            << "// Not square: the picture spans 2560 x 1920 world units, but a radar picture must be square.\n"
               "\"sample-map\"\n{\n\t\"material\"\t\"overviews/sample-map\"\n\t\"pos_x\"\t\"-1024\"\n"
               "\t\"pos_y\"\t\"768\"\n\t\"scale\"\t\"2.5\"\n\t\"rotate\"\t\"0\"\n}\n";
    QTest::newRow("overview: square") << "overview" << E{{1024, 1024}, {0, 0}, {1000, 1000}, {-4096, 4096}, {-96, 96}}
            << "de_map" << "\"de_map\"\n{\n\t\"material\"\t\"overviews/de_map\"\n\t\"pos_x\"\t\"-4096\"\n"
                            "\t\"pos_y\"\t\"4096\"\n\t\"scale\"\t\"4\"\n\t\"rotate\"\t\"0\"\n}\n";
    QTest::newRow("world file: sample") << "world file" << sample << "" << "4\n0\n0\n-4\n-1022\n766\n";
    QTest::newRow("world file: 1 x 1 picture") << "world file" << pixel << "" << "3.333333\n0\n0\n-3.333333\n1.666667\n-1.666667\n";
    QTest::newRow("world file: corners between units") << "world file" << between << "" << "1.25\n0\n0\n-1.25\n-895.875\n190.875\n";
    QTest::newRow("world file: 200000 x 1 picture") << "world file" << E{{200000, 1}, {0, 0}, {7, 1}, {0, 1}, {3, 0}} << "" << "0.428571\n0\n0\n-1\n0.214286\n0.5\n";
    QTest::newRow("world file: end beyond 32 bits") << "world file" << wide << "" << "19998\n0\n0\n-1\n199960002\n0.5\n";
    // The picture, then the files that exist.
    QTest::newRow("gdal: sample") << "gdal" << sample << "/maps/sample-map.png" << "gdal_translate -a_ullr -1024 768 1536 -1152 '/maps/sample-map.png' '/maps/sample-map.tif'";
    QTest::newRow("gdal: spaces, quotes and non-ASCII letters") << "gdal" << pixel << "/maps/Ost's Übersicht 2.png" << "gdal_translate -a_ullr 0 0 3.333333 -3.333333 '/maps/Ost'\\''s Übersicht 2.png' '/maps/Ost'\\''s Übersicht 2.tif'";
    QTest::newRow("gdal: never over the picture") << "gdal" << tall << "/maps/map.tif" << "gdal_translate -a_ullr 0 -199950003 1 -2821127859 '/maps/map.tif' '/maps/map-placed.tif'";
    QTest::newRow("gdal for the Windows prompt: a drive and non-ASCII letters") << "gdal, Windows" << sample << "C:/Karten/Übersicht 2.png|C:/Karten/Übersicht 2.tif" << "gdal_translate -a_ullr -1024 768 1536 -1152 \"C:\\Karten\\Übersicht 2.png\" \"C:\\Karten\\Übersicht 2-placed.tif\"";
    QTest::newRow("suffix: a Windows path") << "suffix" << sample << "D:/maps.v2/de_dust2.JPG" << "jgw";
    QTest::newRow("gdal: never over an earlier output") << "gdal" << sample << "/maps/m.png|/maps/m.tif|/maps/m-placed.tif|/maps/m-placed-3.tif" << "gdal_translate -a_ullr -1024 768 1536 -1152 '/maps/m.png' '/maps/m-placed-2.tif'";
    QTest::newRow("overview: characters KeyValues cannot hold") << "overview" << E{{1024, 1024}, {0, 0}, {1000, 1000}, {-4096, 4096}, {-96, 96}}
            << "it's \"quoted\" {a}\\b Ü%2" << "\"it's _quoted_ _a__b Ü%2\"\n{\n\t\"material\"\t\"overviews/it's _quoted_ _a__b Ü%2\"\n"
                                                "\t\"pos_x\"\t\"-4096\"\n\t\"pos_y\"\t\"4096\"\n\t\"scale\"\t\"4\"\n\t\"rotate\"\t\"0\"\n}\n";
    QTest::newRow("suffix: png") << "suffix" << sample << "/maps/map.png" << "pgw";
    QTest::newRow("suffix: jpeg") << "suffix" << sample << "/maps/map.old.JPEG" << "jgw";
    QTest::newRow("suffix: none") << "suffix" << sample << "/maps.d/map" << "wld";
    QTest::newRow("suffix: two letters") << "suffix" << sample << "/maps/map.pn" << "pnw";
    QTest::newRow("scale: sample") << "scale" << sample << "" << "x: 4 units per pixel, y: 4 units per pixel; exactly -1024 768 to 1536 -1152";
    QTest::newRow("scale: axes agree within 1 %") << "scale" << E{{100000, 100000}, {0, 0}, {100000, 100000}, {0, 0}, {100000, -100995}}
            << "" << "x: 1 units per pixel, y: 1.00995 units per pixel; exactly 0 0 to 100000 -100995";
    QTest::newRow("scale: axes disagree by just over 1 %") << "scale" << E{{1000, 1000}, {0, 0}, {1000, 1000}, {0, 0}, {1000, -1011}}
            << "" << "x: 1 units per pixel, y: 1.011 units per pixel; exactly 0 0 to 1000 -1011\nThe two axes disagree by 1.1 %, "
                     "which usually means a reference point was picked or typed wrong, or the picture is stretched.";
    QTest::newRow("scale: y disagrees the other way") << "scale" << E{{1000, 1000}, {0, 0}, {1000, 1000}, {0, 0}, {1011, -1000}}
            << "" << "x: 1.011 units per pixel, y: 1 units per pixel; exactly 0 0 to 1011 -1000\nThe two axes disagree by 1.1 %, "
                     "which usually means a reference point was picked or typed wrong, or the picture is stretched.";
    QTest::newRow("scale: corners between units, eight decimals kept") << "scale" << E{{1, 1}, {0, 0}, {256, 256}, {0, 1}, {1, 0}} << ""
            << "x: 0.00390625 units per pixel, y: 0.00390625 units per pixel; exactly 0 1 to 0.00390625 0.99609375";
}

void TestRules::formats()
{
    QFETCH(QString, format);
    QFETCH(CalibrationEntries, in);
    QFETCH(QString, argument);
    QFETCH(QString, text);
    const std::optional<Calibration> c = calibrate(in);
    QVERIFY(c);
    QCOMPARE(format == "keys" ? worldspawnKeys(*c) : format == "overview" ? sourceOverview(*c, argument)
             : format == "world file" ? worldFile(*c, in.picture) : format.startsWith("gdal") ? gdalCommand(*c, argument.section('|', 0, 0), [&](const QString &path) { return argument.split('|').contains(path); }, format == "gdal" ? Shell::Posix : Shell::WindowsPrompt)
             : format == "suffix" ? worldFileSuffix(argument) : scaleCheck(*c, in.picture), text);
}

void TestRules::display_data()
{
    QTest::addColumn<QStringList>("environment"); // NAME=value; the others unset
    QTest::addColumn<QStringList>("arguments");
    QTest::addColumn<bool>("display");
    QTest::newRow("nothing") << QStringList() << QStringList{"vellamor", "map.png"} << false;
    QTest::newRow("empty DISPLAY") << QStringList{"DISPLAY="} << QStringList{"vellamor"} << false;
    QTest::newRow("X11") << QStringList{"DISPLAY=:0"} << QStringList{"vellamor"} << true;
    QTest::newRow("Wayland") << QStringList{"WAYLAND_DISPLAY=wayland-0"} << QStringList{"vellamor"} << true;
    QTest::newRow("platform variable") << QStringList{"QT_QPA_PLATFORM=offscreen"} << QStringList{"vellamor"} << true;
    QTest::newRow("-platform") << QStringList() << QStringList{"vellamor", "-platform", "offscreen"} << true;
    QTest::newRow("--platform") << QStringList() << QStringList{"vellamor", "--platform", "offscreen"} << true;
    QTest::newRow("a picture named -platform") << QStringList() << QStringList{"vellamor", "./-platform"} << false;
}

// Whether Qt has a window system to start is told from the environment and
// the arguments alone.
void TestRules::display()
{
    QFETCH(QStringList, environment);
    QFETCH(QStringList, arguments);
    QFETCH(bool, display);
    for (const char *name : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"})
        qunsetenv(name);
    for (const QString &entry : environment)
        qputenv(qPrintable(entry.section('=', 0, 0)), entry.section('=', 1).toUtf8());
    QList<QByteArray> bytes;
    std::vector<const char *> argv;
    for (const QString &argument : arguments)
        argv.push_back(bytes.emplace_back(argument.toUtf8()).constData());
#ifdef Q_OS_WIN
    display = true; // Windows always has its desktop
#endif
    QCOMPARE(hasDisplay(int(argv.size()), argv.data()), display);
}

void TestRules::entries_data()
{
    QTest::addColumn<QString>("text");
    QTest::addColumn<QString>("taken"); // per number: the value and its note, or the refusal
    QTest::newRow("whole") << "-544" << "-544";
    QTest::newRow("a half, away from zero") << "-544.5" << "-545 rounded from -544.5";
    QTest::newRow("a positive half") << "+2.5" << "3 rounded from 2.5";
    QTest::newRow("rounded down") << "-17.42" << "-17 rounded from -17.42";
    QTest::newRow("no leading digit") << ".75" << "1 rounded from 0.75";
    QTest::newRow("a trailing point is whole") << "12." << "12";
    QTest::newRow("a typographic minus") << "\u22121.5" << "-2 rounded from -1.5";
    QTest::newRow("a pair with a space") << "1024 -768" << "1024|-768";
    QTest::newRow("a triple with tabs") << "1024\t-768.25\t64" << "1024|-768 rounded from -768.25|64";
    QTest::newRow("a pair with a comma") << " 1014.15, -17.8242 " << "1014 rounded from 1014.15|-18 rounded from -17.8242";
    QTest::newRow("at the range's end") << "131072 -131072" << "131072|-131072";
    QTest::newRow("beyond the range") << "-300000" << "-300000 lies beyond the boxes' range, -131072 to 131072";
    QTest::newRow("rounded beyond the range") << "131072.5" << "131072.5 lies beyond the boxes' range, -131072 to 131072";
    QTest::newRow("four numbers") << "1 2 3 4" << "refused";
    QTest::newRow("a word") << "origin" << "refused";
    QTest::newRow("an exponent") << "1e3" << "refused";
    QTest::newRow("two points") << "1..2" << "refused";
    QTest::newRow("nothing") << "" << "refused";
}

// Typed, pasted or picked, a number is rounded to a whole unit with a note,
// or refused with the reason; a position's numbers are taken apart.
void TestRules::entries()
{
    QFETCH(QString, text);
    QFETCH(QString, taken);
    const std::optional<QList<double>> numbers = entryNumbers(text);
    QStringList results;
    for (const double number : numbers.value_or(QList<double>())) {
        const WholeEntry entry = wholeEntry(number, maxWorldCoordinate);
        results << (entry.refusal.isEmpty() ? QString("%1 %2").arg(entry.value).arg(entry.note).trimmed() : entry.refusal);
    }
    QCOMPARE(numbers ? results.join('|') : QString("refused"), taken);
}

void TestRules::camera_data()
{
    QTest::addColumn<QRectF>("shown");  // fitted into a 200 x 100 viewport
    QTest::addColumn<QString>("then");  // "zoom x y factor" or "pan dx dy" in widget pixels
    QTest::addColumn<QPointF>("world");
    QTest::addColumn<QPointF>("widget");
    QTest::addColumn<double>("scale");
    const QRectF wide(0, 0, 100, 50), tall(-10, -100, 10, 100);
    QTest::newRow("fit: the top-left corner") << wide << "" << QPointF(0, 50) << QPointF(10, 5) << 1.8;
    QTest::newRow("fit: the bottom-right corner") << wide << "" << QPointF(100, 0) << QPointF(190, 95) << 1.8;
    QTest::newRow("fit: a tall rectangle by its height") << tall << "" << QPointF(-5, -50) << QPointF(100, 50) << 0.9;
    QTest::newRow("fit: tall, its top") << tall << "" << QPointF(0, 0) << QPointF(104.5, 5) << 0.9;
    QTest::newRow("fit: nothing to show keeps the scale") << QRectF(7, 8, 0, 0) << "" << QPointF(8, 8) << QPointF(101, 50) << 1.0;
    QTest::newRow("zoom in around a point keeps it") << wide << "zoom 10 5 2" << QPointF(0, 50) << QPointF(10, 5) << 3.6;
    QTest::newRow("zoom in, another point moves away") << wide << "zoom 10 5 2" << QPointF(100, 0) << QPointF(370, 185) << 3.6;
    QTest::newRow("zoom out") << wide << "zoom 100 50 0.5" << QPointF(100, 0) << QPointF(145, 72.5) << 0.9;
    QTest::newRow("zoom stops at 1000 pixels a unit") << wide << "zoom 100 50 1e9" << QPointF(51, 25) << QPointF(1100, 50) << 1000.0;
    QTest::newRow("zoom stops at 1/10000") << wide << "zoom 100 50 1e-9" << QPointF(10050, 25) << QPointF(101, 50) << 1e-4;
    QTest::newRow("pan right and up") << wide << "pan 18 -9" << QPointF(0, 50) << QPointF(28, -4) << 1.8;
}

// The level window's view of the world: fit, zoom around the pointer and
// pan, and world and widget points agree both ways.
void TestRules::camera()
{
    QFETCH(QRectF, shown);
    QFETCH(QString, then);
    QFETCH(QPointF, world);
    QFETCH(QPointF, widget);
    QFETCH(double, scale);
    LevelCamera camera;
    camera.setViewport(QSizeF(200, 100));
    QCOMPARE(camera.fit(shown), !shown.isEmpty());
    const QStringList step = then.split(' ');
    if (step[0] == "zoom")
        camera.zoomAt(QPointF(step[1].toDouble(), step[2].toDouble()), step[3].toDouble());
    else if (step[0] == "pan")
        camera.pan(QPointF(step[1].toDouble(), step[2].toDouble()));
    QCOMPARE(camera.scale(), scale);
    QVERIFY2(QLineF(camera.toWidget(world), widget).length() < 1e-9, qPrintable(QString("%1 %2").arg(camera.toWidget(world).x()).arg(camera.toWidget(world).y())));
    QVERIFY(QLineF(camera.toWorld(widget), world).length() < 1e-6);
}

void TestRules::snapping_data()
{
    QTest::addColumn<QList<QPointF>>("corners"); // one outline
    QTest::addColumn<QPointF>("at");
    QTest::addColumn<double>("radius");
    QTest::addColumn<QString>("found");
    const QList<QPointF> square{{0, 0}, {64, 0}, {64, 64}, {0, 64}};
    QTest::newRow("the nearest of four") << square << QPointF(60, 3) << 8.0 << "64,0";
    QTest::newRow("within the radius, diagonally") << square << QPointF(69, 69) << 8.0 << "64,64";
    QTest::newRow("just beyond the radius") << square << QPointF(72.01, 0) << 8.0 << "none";
    QTest::newRow("on the radius") << square << QPointF(-8, 0) << 8.0 << "0,0";
    QTest::newRow("a larger radius") << square << QPointF(32, 20) << 40.0 << "64,0";
    QTest::newRow("no corner near") << square << QPointF(32, 32) << 8.0 << "none";
    const QList<QPointF> far{{-1000.5, -2000.25}, {-990, -2000}, {5000, 7000}, {-1000, -1990}};
    QTest::newRow("negative corners, across cells") << far << QPointF(-997, -1999) << 8.0 << "-1000.5,-2000.25";
    QTest::newRow("the nearer of two close ones") << far << QPointF(-992, -2000) << 8.0 << "-990,-2000";
    QTest::newRow("far from the rest") << far << QPointF(4999, 7001) << 2.0 << "5000,7000";
    QTest::newRow("no corners at all") << QList<QPointF>() << QPointF(0, 0) << 8.0 << "none";
}

// The pointer snaps to the nearest corner within the radius, wherever the
// corners lie and however the cells divide them.
void TestRules::snapping()
{
    QFETCH(QList<QPointF>, corners);
    QFETCH(QPointF, at);
    QFETCH(double, radius);
    QFETCH(QString, found);
    CornerIndex index;
    // The corners of the level read before are forgotten.
    index.setOutlines({QPolygonF({at + QPointF(0.25, 0)})});
    index.setOutlines(corners.isEmpty() ? QList<QPolygonF>() : QList<QPolygonF>{QPolygonF(corners)});
    const std::optional<QPointF> corner = index.nearest(at, radius);
    QCOMPARE(corner ? QString("%1,%2").arg(corner->x()).arg(corner->y()) : QString("none"), found);
}

void TestRules::levelWindowPlace_data()
{
    QTest::addColumn<QRect>("screen");
    QTest::addColumn<QRect>("main"); // the main window with its frame
    QTest::addColumn<QPoint>("level"); // where the 800 x 600 level window's frame stands
    const QRect full(0, 0, 1920, 1080), panel(0, 32, 1920, 1048);
    QTest::newRow("1920 x 1080: right of the window") << full << QRect(0, 0, 700, 640) << QPoint(700, 0);
    QTest::newRow("1920 x 1080: left of a window on the right") << full << QRect(1100, 100, 820, 700) << QPoint(300, 100);
    QTest::newRow("1920 x 1080: below a wide window") << full << QRect(0, 0, 1500, 400) << QPoint(0, 400);
    QTest::newRow("1920 x 1080: above a wide window at the bottom") << full << QRect(0, 650, 1500, 430) << QPoint(0, 50);
    QTest::newRow("1920 x 1080, no room: over the bottom-right, on the screen") << full << QRect(-100, -100, 2200, 1300) << QPoint(1120, 480);
    QTest::newRow("a panel above: kept below it") << panel << QRect(0, 32, 1900, 1000) << QPoint(1100, 432);
}

// The level window opens beside the main window where the screen has room,
// over the corner farthest from the picture's top-left where it has not,
// and always on the screen.
void TestRules::levelWindowPlace()
{
    QFETCH(QRect, screen);
    QFETCH(QRect, main);
    QFETCH(QPoint, level);
    QCOMPARE(besideWindow(main, QSize(800, 600), screen), level);
}

QTEST_GUILESS_MAIN(TestRules)
#include "tst_rules.moc"
