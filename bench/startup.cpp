// One start of a window, to its first complete frame. Prints the
// milliseconds from the start of main() to the application object, the
// built window and the complete frame, then "painted". Built twice: as
// Vellamor, given an optional picture as `vellamor PICTURE` is, and as a
// bare QMainWindow of the same size.

#include "framewatch.h"

#include <QApplication>
#include <QElapsedTimer>

#ifdef BARE_WINDOW
#include <QMainWindow>
#else
#include "app/vellamor.h"
#include "model/session.h"
#include "core/picturefile.h"
#endif

#include <cstdio>

int main(int argc, char *argv[])
{
    QElapsedTimer clock;
    clock.start();
    const auto now = [&] { return double(clock.nsecsElapsed()) / 1e6; };
    QApplication app(argc, argv);
    const double applicationAt = now();
#ifdef BARE_WINDOW
    QMainWindow window;
    window.resize(684, 609);
#else
    allowLargePictures();
    Vellamor window;
    if (argc > 1)
        window.session().openPicture(QString::fromLocal8Bit(argv[1]));
#endif
    const double windowAt = now();
    FrameWatch watch(&window);
    window.show();
    if (!watch.waitForFrame())
        return 1;
    std::printf("application %.3f window %.3f frame %.3f\npainted\n", applicationAt, windowAt, now());
    // Now, not at exit after the destructors: the parent stops its clock here.
    std::fflush(stdout);
    return 0;
}
