#pragma once

#include <QStringList>

// What the command line asks for: start the window, perhaps with a picture
// and a level, or print a text (help, version, or a usage error) and stop.
struct CommandLine
{
    enum Action { Run, Print, Fail };
    Action action = Run;
    QString picture;
    QString text;
    QString level;
};

// Needs the application object, whose name heads the usage text.
CommandLine parseCommandLine(const QStringList &arguments);

// Whether Qt can find a window system: DISPLAY, WAYLAND_DISPLAY,
// QT_QPA_PLATFORM or a -platform option; always on Windows.
bool hasDisplay(int argc, const char *const *argv);
