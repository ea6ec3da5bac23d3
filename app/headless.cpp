#include "app/headless.h"

#include "app/commandline.h"
#include "model/session.h"
#include "placement/levelpicture.h"

#include <QImageWriter>

Headless renderLevel(const CommandLine &line)
{
    Session session;
    if (const QString why = session.openLevel(line.level); !why.isEmpty())
        return {2, {}, QStringLiteral("vellamor: %1\n").arg(why)};
    QString why;
    const std::optional<LevelPicture> picture =
            levelPicture(session.footprints(), line.size, line.floors ? LevelPictureStyle::Floors : LevelPictureStyle::Outline, &why);
    if (!picture)
        return {2, {}, QStringLiteral("vellamor: %1: %2\n").arg(line.level, why)};
    QImageWriter writer(line.picture, "png");
    if (!writer.write(picture->image))
        return {2, {}, QStringLiteral("vellamor: cannot write %1: %2\n").arg(line.picture, writer.errorString())};
    return {0, calibrationText(calibrate(picture->entries)), {}};
}
