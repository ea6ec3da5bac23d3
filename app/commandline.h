#pragma once

#include <QStringList>

// What the command line asks for: start the window, perhaps with a picture
// and a level; print a text (help, version, or a usage error) and stop; or
// make a picture of the level, or find where the picture lies in it, with
// no window.
struct CommandLine
{
    enum Action { Run, Print, Fail, Render, Place };
    Action action = Run;
    // The picture to open, or the one to write.
    QString picture;
    QString text;
    QString level;
    // For Render: the picture's long side (0: as the level's extent
    // gives), and whether floors are filled rather than outlines drawn.
    int size = 0;
    bool floors = false;
    // For Place: text, keys, overview, worldfile, gdal or json.
    QString format;
};

// Needs the application object, whose name heads the usage text.
CommandLine parseCommandLine(const QStringList &arguments);

// Whether Qt can find a window system: DISPLAY, WAYLAND_DISPLAY,
// QT_QPA_PLATFORM or a -platform option; always on Windows.
bool hasDisplay(int argc, const char *const *argv);
