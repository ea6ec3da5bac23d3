#include "app/commandline.h"
#include "app/startup.h"
#include "app/vellamor.h"
#include "model/session.h"
#include "core/picturefile.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    useParentConsole();
    QCoreApplication::setApplicationName(QStringLiteral("vellamor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLAMOR_VERSION));
    bool display = false;
    const std::unique_ptr<QCoreApplication> app = createApplication(argc, argv, &display);
    const CommandLine line = parseCommandLine(app->arguments());
    if (line.action != CommandLine::Run) {
        std::fputs(qPrintable(line.text), line.action == CommandLine::Fail ? stderr : stdout);
        return line.action == CommandLine::Fail ? 1 : 0;
    }
    if (!display)
        noDisplay();

    allowLargePictures();
    Vellamor window;
    if (!line.picture.isEmpty()) {
        const QString why = window.session().openPicture(line.picture);
        if (!why.isEmpty())
            std::fprintf(stderr, "vellamor: cannot read %s: %s\n", qPrintable(line.picture), qPrintable(why));
    }
    if (!line.level.isEmpty()) {
        const QString why = window.session().openLevel(line.level);
        if (!why.isEmpty())
            std::fprintf(stderr, "vellamor: %s\n", qPrintable(why));
    }
    window.show();
    return app->exec();
}
