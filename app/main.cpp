#include "commandline.h"
#include "vellamor.h"

#include <QApplication>

#include <cstdio>
#include <memory>

int main(int argc, char *argv[])
{
    QCoreApplication::setApplicationName(QStringLiteral("vellamor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLAMOR_VERSION));
    // Without a window system Qt would abort; --help and --version still work.
    const bool display = hasDisplay(argc, argv);
    const std::unique_ptr<QCoreApplication> app(display ? new QApplication(argc, argv)
                                                        : new QCoreApplication(argc, argv));
    const CommandLine line = parseCommandLine(app->arguments());
    if (line.action != CommandLine::Run) {
        std::fputs(qPrintable(line.text), line.action == CommandLine::Fail ? stderr : stdout);
        return line.action == CommandLine::Fail ? 1 : 0;
    }
    if (!display) {
        std::fputs("vellamor: no display found; it is a desktop program, start it from a graphical session.\n",
                   stderr);
        return 1;
    }

    Vellamor window;
    if (!line.picture.isEmpty()) {
        const QString why = window.openFile(line.picture);
        if (!why.isEmpty())
            std::fprintf(stderr, "vellamor: cannot read %s: %s\n", qPrintable(line.picture), qPrintable(why));
    }
    window.show();
    return app->exec();
}
