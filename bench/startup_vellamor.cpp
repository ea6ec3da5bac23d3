#include "firstpaintprobe.h"
#include "vellamor.h"

#include <QApplication>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    Vellamor window;
    FirstPaintProbe probe(&window);
    window.show();
    return app.exec();
}
