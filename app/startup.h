#pragma once

#include <memory>

class QCoreApplication;

// The application object: one that shows windows when a window system is
// named (DISPLAY, WAYLAND_DISPLAY, QT_QPA_PLATFORM or -platform), else a
// plain one, with which --help and --version still work. A window system
// that is named but cannot start ends the program with noDisplay() rather
// than Qt's abort.
std::unique_ptr<QCoreApplication> createApplication(int &argc, char **argv, bool *display);

// On Windows, where a windowed program has no console, prints to the
// console it was started from, if any; elsewhere nothing.
void useParentConsole();

// Says that Vellamor needs a display, and ends it with status 1.
[[noreturn]] void noDisplay();
