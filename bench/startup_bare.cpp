#include "firstpaintprobe.h"

#include <QApplication>
#include <QMainWindow>

int main(int argc, char *argv[])
{
    QApplication app(argc, argv);
    QMainWindow window;
    window.resize(684, 609);
    FirstPaintProbe probe(&window);
    window.show();
    return app.exec();
}
