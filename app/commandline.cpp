#include "app/commandline.h"

#include "placement/levelpicture.h"

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
    const QCommandLineOption render(QStringLiteral("render"),
                                    QStringLiteral("Write the level seen from above to PICTURE (PNG), print its placement, and stop."));
    const QCommandLineOption size(QStringLiteral("size"), QStringLiteral("With --render: the picture's long side in pixels."),
                                  QStringLiteral("N"));
    const QCommandLineOption style(QStringLiteral("style"),
                                   QStringLiteral("With --render: outline (the default) or floors, filled and shaded by height."),
                                   QStringLiteral("STYLE"));
    const QCommandLineOption place(QStringLiteral("place"),
                                   QStringLiteral("Find where PICTURE lies in the level given with --level, print it, and stop."));
    const QCommandLineOption format(QStringLiteral("format"),
                                    QStringLiteral("With --place: text (the default), keys, overview, worldfile, gdal or json."),
                                    QStringLiteral("FORMAT"));
    parser.addOptions({render, size, style, place, format});
    parser.addPositionalArgument(QStringLiteral("PICTURE"), QStringLiteral("The picture to open."),
                                 QStringLiteral("[PICTURE]"));

    const auto printed = [](CommandLine::Action action, const QString &text) {
        CommandLine line;
        line.action = action;
        line.text = text;
        return line;
    };
    const auto fail = [&](const QString &why) { return printed(CommandLine::Fail, why + "\n\n" + parser.helpText()); };
    if (!parser.parse(arguments))
        return fail(parser.errorText());
    if (parser.isSet(help))
        return printed(CommandLine::Print, parser.helpText());
    if (parser.isSet(version))
        return printed(CommandLine::Print, QCoreApplication::applicationName() + ' ' + QCoreApplication::applicationVersion() + '\n');
    const QStringList pictures = parser.positionalArguments();
    if (pictures.size() > 1)
        return fail(QStringLiteral("Only one picture can be opened."));
    CommandLine line;
    line.picture = pictures.value(0);
    line.level = parser.value(level);
    if (parser.isSet(render) && parser.isSet(place))
        return fail(QStringLiteral("--render and --place go alone."));
    if (parser.isSet(format) && !parser.isSet(place))
        return fail(QStringLiteral("--format goes with --place."));
    if (parser.isSet(place)) {
        if (line.level.isEmpty() || line.picture.isEmpty())
            return fail(QStringLiteral("--place needs --level LEVEL and the picture to place."));
        line.format = parser.isSet(format) ? parser.value(format) : QStringLiteral("text");
        static const QStringList formats{"text", "keys", "overview", "worldfile", "gdal", "json"};
        if (!formats.contains(line.format))
            return fail(QStringLiteral("--format is one of %1.").arg(formats.join(QStringLiteral(", "))));
        line.action = CommandLine::Place;
        return line;
    }
    if (!parser.isSet(render)) {
        if (parser.isSet(size) || parser.isSet(style))
            return fail(QStringLiteral("--size and --style go with --render."));
        return line;
    }
    if (line.level.isEmpty() || line.picture.isEmpty())
        return fail(QStringLiteral("--render needs --level LEVEL and the picture to write."));
    bool number = true;
    line.size = parser.isSet(size) ? parser.value(size).toInt(&number) : 0;
    if (!number || (line.size != 0 && (line.size < smallestLevelPicture || line.size > largestLevelPicture)))
        return fail(QStringLiteral("--size takes a number of pixels from %1 to %2.").arg(smallestLevelPicture).arg(largestLevelPicture));
    const QString styleName = parser.value(style);
    if (!styleName.isEmpty() && styleName != QLatin1String("outline") && styleName != QLatin1String("floors"))
        return fail(QStringLiteral("--style is outline or floors."));
    line.floors = styleName == QLatin1String("floors");
    line.action = CommandLine::Render;
    return line;
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
