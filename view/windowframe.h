#pragma once

#include <QMargins>

class QWidget;

// The frame the window system draws around a window: known once the window
// is shown, and before that where the platform can already tell (elsewhere
// it comes when the window manager has framed the window).
QMargins windowFrame(QWidget *window);
