#include "app/headless.h"

#include "app/commandline.h"
#include "model/session.h"
#include "core/picturefile.h"
#include "core/resultformats.h"
#include "placement/levelpicture.h"
#include "placement/placement.h"

#include <QFileInfo>
#include <QImageWriter>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

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

Headless placeOnLevel(const CommandLine &line)
{
    Session session;
    if (const QString why = session.openLevel(line.level); !why.isEmpty())
        return {2, {}, QStringLiteral("vellamor: %1\n").arg(why)};
    allowLargePictures();
    const PictureFile picture = readPicture(line.picture);
    if (!picture.error.isEmpty())
        return {2, {}, QStringLiteral("vellamor: cannot read %1: %2\n").arg(line.picture, picture.error)};
    const Placement placement = place(picture.image, session.footprints()).value_or(Placement{});
    const std::optional<Calibration> c = placement.confident ? calibrate(placement.entries) : std::nullopt;
    const QString summary = placementSummary(placement);
    if (line.format == QLatin1String("json")) {
        QJsonObject o{{"confident", c.has_value()}, {"share", placement.share}, {"explained", placement.explained},
                      {"lead", placement.lead}, {"summary", summary}};
        if (c) {
            const QSize size = picture.image.size();
            o.insert(QLatin1String("origin"), QJsonArray{c->exactOriginX, c->exactOriginY});
            o.insert(QLatin1String("end"), QJsonArray{c->exactEndX, c->exactEndY});
            o.insert(QLatin1String("scale"), QJsonArray{(c->exactEndX - c->exactOriginX) / size.width(), (c->exactOriginY - c->exactEndY) / size.height()});
            const CalibrationEntries &e = placement.entries;
            o.insert(QLatin1String("points"), QJsonArray{QJsonArray{e.pixel1.x(), e.pixel1.y(), e.world1.x(), e.world1.y()},
                                          QJsonArray{e.pixel2.x(), e.pixel2.y(), e.world2.x(), e.world2.y()}});
        }
        return {c ? 0 : 3, QString::fromUtf8(QJsonDocument(o).toJson()), c ? QString() : QStringLiteral("vellamor: %1\n").arg(summary)};
    }
    if (!c)
        return {3, {}, QStringLiteral("vellamor: %1\n").arg(summary)};
    const QFileInfo file(line.picture);
    const QString name = QFileInfo(line.level).completeBaseName();
    QString out;
    if (line.format == QLatin1String("keys"))
        out = worldspawnKeys(*c);
    else if (line.format == QLatin1String("overview"))
        out = sourceOverview(*c, name);
    else if (line.format == QLatin1String("worldfile"))
        out = worldFile(*c, picture.image.size());
    else if (line.format == QLatin1String("gdal"))
        out = gdalCommand(*c, file.absoluteFilePath(), [](const QString &path) { return QFileInfo::exists(path); }) + '\n';
    else
        out = calibrationText(c);
    return {0, out, {}};
}
