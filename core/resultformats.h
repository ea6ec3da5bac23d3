#pragma once

#include "core/calibration.h"

#include <QSize>
#include <QString>

#include <functional>

// Texts that other tools read, made from a calibration of a picture of the
// given size. They carry the exact corners, where Measure prints them
// truncated, as the shortest decimal exact to a millionth of a unit.

// The worldspawn keys of the command map and of the Radiant background.
QString worldspawnKeys(const Calibration &c);

// A Source engine overview block for a radar picture called name; a
// character KeyValues cannot hold in a quoted string becomes "_".
QString sourceOverview(const Calibration &c, const QString &name);

// "X0 Y0 to X1 Y1", the exact corners.
QString exactCorners(const Calibration &c);

// The six lines of a world file: pixel sizes and the centre of the
// top-left pixel.
QString worldFile(const Calibration &c, QSize picture);

// The shell a copied command is pasted into: a POSIX shell, or the Windows
// command prompt.
enum class Shell { Posix, WindowsPrompt };
#ifdef Q_OS_WIN
constexpr Shell nativeShell = Shell::WindowsPrompt;
#else
constexpr Shell nativeShell = Shell::Posix;
#endif

// A gdal_translate command that writes a GeoTIFF beside the picture (an
// absolute path), quoted for the shell, with no line end, so that pasted it
// waits for Return. It never names a file that exists: map.tif, else
// map-placed.tif, map-placed-2.tif...
QString gdalCommand(const Calibration &c, const QString &picturePath,
                    const std::function<bool(const QString &)> &exists, Shell shell = nativeShell);

// The world file's suffix for a picture, as GDAL looks for it: "pgw" for
// "map.png", "jgw" for "map.jpg" or "map.jpeg"; "wld" without a suffix.
QString worldFileSuffix(const QString &picturePath);

// Units per pixel on both axes, and a warning when they disagree.
QString scaleCheck(const Calibration &c, QSize picture);

// What makes entries valid.
QString validEntriesHint();
