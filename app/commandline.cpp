#include "app/commandline.h"

#include <QCommandLineParser>
#include <QCoreApplication>
#include <QStringList>

#include <cstring>

CommandLine parseCommandLine(const QStringList &arguments)
{
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
            "Finds where a map picture lies in a level's world coordinates."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption level(QStringLiteral("level"), QStringLiteral("Draw this level (.map or .vmf) over the picture."),
                                   QStringLiteral("LEVEL"));
    parser.addOption(level);
    parser.addPositionalArgument(QStringLiteral("PICTURE"), QStringLiteral("The picture to open."),
                                 QStringLiteral("[PICTURE]"));

    if (!parser.parse(arguments))
        return {CommandLine::Fail, {}, parser.errorText() + "\n\n" + parser.helpText(), {}};
    if (parser.isSet(help))
        return {CommandLine::Print, {}, parser.helpText(), {}};
    if (parser.isSet(version))
        return {CommandLine::Print, {},
                QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() + '\n', {}};
    const QStringList pictures = parser.positionalArguments();
    if (pictures.size() > 1)
        return {CommandLine::Fail, {}, QStringLiteral("Only one picture can be opened.\n\n") + parser.helpText(), {}};
    return {CommandLine::Run, pictures.value(0), {}, parser.value(level)};
}

bool hasDisplay(int argc, const char *const *argv)
{
#ifdef Q_OS_WIN
    // Windows always has its desktop.
    Q_UNUSED(argc);
    Q_UNUSED(argv);
    return true;
#endif
    for (const char *variable : {"DISPLAY", "WAYLAND_DISPLAY", "QT_QPA_PLATFORM"}) {
        if (!qEnvironmentVariableIsEmpty(variable))
            return true;
    }
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "-platform") == 0 || std::strcmp(argv[i], "--platform") == 0)
            return true;
    }
    return false;
}
