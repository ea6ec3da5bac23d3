#include "app/commandline.h"
#include "app/headless.h"
#include "app/startup.h"
#include "app/transferrules.h"
#include "app/vellamor.h"
#include "core/picturefile.h"
#include "model/session.h"
#include "model/sessionfile.h"

#include <QCoreApplication>

#include <cstdio>

int main(int argc, char *argv[])
{
    useParentConsole();
    QCoreApplication::setOrganizationName(QStringLiteral("Vellamor"));
    QCoreApplication::setApplicationName(QStringLiteral("vellamor"));
    QCoreApplication::setApplicationVersion(QStringLiteral(VELLAMOR_VERSION));
    bool display = false;
    const std::unique_ptr<QCoreApplication> app = createApplication(argc, argv, &display);
    const CommandLine line = parseCommandLine(app->arguments());
    if (line.action == CommandLine::Render || line.action == CommandLine::Place) {
        const Headless done = line.action == CommandLine::Render ? renderLevel(line) : placeOnLevel(line);
        std::fputs(qPrintable(done.out), stdout);
        std::fputs(qPrintable(done.err), stderr);
        return done.status;
    }
    if (line.action != CommandLine::Run) {
        std::fputs(qPrintable(line.text), line.action == CommandLine::Fail ? stderr : stdout);
        return line.action == CommandLine::Fail ? 1 : 0;
    }
    if (!display)
        noDisplay();

    allowLargePictures();
    Vellamor window;
    Session &session = window.session();
    QStringList problems;
    // The one file named is a saved session, a level alone, or a picture.
    if (isSessionPath(line.picture)) {
        const SessionOpened opened = openSession(session, line.picture);
        problems << opened.error << opened.notes;
    } else if (isLevelPath(line.picture)) {
        problems << session.openLevel(line.picture);
    } else if (!line.picture.isEmpty()) {
        const QString why = session.openPicture(line.picture);
        problems << (why.isEmpty() ? why : QStringLiteral("cannot read %1: %2").arg(line.picture, why));
    }
    if (!line.level.isEmpty())
        problems << session.openLevel(line.level);
    for (const QString &problem : problems) {
        if (!problem.isEmpty())
            std::fprintf(stderr, "vellamor: %s\n", qPrintable(problem));
    }
    window.show();
    return app->exec();
}
