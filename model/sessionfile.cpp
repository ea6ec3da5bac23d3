#include "model/sessionfile.h"

#include "model/session.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QSaveFile>

#include <optional>

namespace {

constexpr char formatName[] = "vellamor-session";
constexpr int formatVersion = 1;
// More than any session holds: a larger file is no session.
constexpr qint64 largestSession = 1 << 20;

// Relative to the session's folder when the file lies beside or below it.
QString stored(const QDir &folder, const QString &path)
{
    if (path.isEmpty())
        return {};
    const QString relative = folder.relativeFilePath(QFileInfo(path).absoluteFilePath());
    return relative.startsWith(QLatin1String("..")) || QDir::isAbsolutePath(relative) ? QFileInfo(path).absoluteFilePath()
                                                                                        : relative;
}

QJsonArray pair(QPoint first, QPoint second)
{
    return {QJsonArray{first.x(), first.y()}, QJsonArray{second.x(), second.y()}};
}

// Two whole numbers within limit, or nothing.
std::optional<QPoint> point(const QJsonValue &value, int limit)
{
    const QJsonArray xy = value.toArray();
    if (xy.size() != 2)
        return std::nullopt;
    QPoint p;
    for (int axis = 0; axis < 2; ++axis) {
        const double n = xy[axis].toDouble(1e300);
        if (n != double(qint64(n)) || n < -limit || n > limit)
            return std::nullopt;
        (axis == 0 ? p.rx() : p.ry()) = int(n);
    }
    return p;
}

std::optional<std::pair<QPoint, QPoint>> points(const QJsonValue &value, int limit)
{
    const QJsonArray both = value.toArray();
    const std::optional<QPoint> first = point(both.at(0), limit), second = point(both.at(1), limit);
    if (both.size() != 2 || !first || !second)
        return std::nullopt;
    return std::pair(*first, *second);
}

} // namespace

bool isSessionPath(const QString &path)
{
    return path.endsWith(QLatin1String(".vellamor"), Qt::CaseInsensitive);
}

QString saveSession(const Session &session, const QString &path)
{
    const QDir folder = QFileInfo(path).absoluteDir();
    QJsonObject root{{"format", formatName}, {"version", formatVersion},
                     {"points", QJsonObject{{"picture", pair(session.pixel(0), session.pixel(1))},
                                            {"world", pair(session.world(0), session.world(1))}}},
                     {"view", QJsonObject{{"loupe", session.loupe()}, {"overlay", session.overlay()}}}};
    if (!session.picturePath().isEmpty())
        root.insert(QLatin1String("picture"), stored(folder, session.picturePath()));
    if (!session.levelPath().isEmpty())
        root.insert(QLatin1String("level"), stored(folder, session.levelPath()));
    if (const std::optional<Calibration> &c = session.result()) {
        root.insert(QLatin1String("result"), QJsonObject{{"pictureSize", QJsonArray{session.pictureSize().width(), session.pictureSize().height()}},
                                          {"origin", QJsonArray{c->exactOriginX, c->exactOriginY}},
                                          {"end", QJsonArray{c->exactEndX, c->exactEndY}}});
    }
    QSaveFile file(path);
    const QByteArray bytes = QJsonDocument(root).toJson();
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.commit())
        return {};
    return file.errorString();
}

SessionOpened openSession(Session &session, const QString &path)
{
    const QString name = QFileInfo(path).fileName();
    QFile file(path);
    if (!QFileInfo(path).isFile() || !file.open(QIODevice::ReadOnly))
        return {QStringLiteral("%1: %2").arg(name, QFileInfo(path).isFile() ? file.errorString() : QStringLiteral("no such file")), {}};
    if (file.size() > largestSession)
        return {QStringLiteral("%1: not a Vellamor session (too large)").arg(name), {}};
    QJsonParseError parsed;
    const QJsonObject root = QJsonDocument::fromJson(file.readAll(), &parsed).object();
    if (parsed.error != QJsonParseError::NoError)
        return {QStringLiteral("%1: not a Vellamor session (%2 at byte %3)").arg(name, parsed.errorString()).arg(parsed.offset), {}};
    if (root.value(QLatin1String("format")).toString() != QLatin1String(formatName))
        return {QStringLiteral("%1: not a Vellamor session").arg(name), {}};
    if (root.value(QLatin1String("version")).toInt() != formatVersion)
        return {QStringLiteral("%1: a session of another version (%2)").arg(name).arg(root.value(QLatin1String("version")).toInt()), {}};
    const QJsonObject saved = root.value(QLatin1String("points")).toObject();
    const auto pixels = points(saved.value(QLatin1String("picture")), maxPictureSide);
    const auto worlds = points(saved.value(QLatin1String("world")), maxWorldCoordinate);
    const QJsonObject view = root.value(QLatin1String("view")).toObject();
    const QJsonArray size = root.value(QLatin1String("result")).toObject().value(QLatin1String("pictureSize")).toArray();
    if (!pixels || !worlds || !view.value(QLatin1String("loupe")).isBool() || !view.value(QLatin1String("overlay")).isBool()
        || (root.contains(QLatin1String("result")) && size.size() != 2))
        return {QStringLiteral("%1: damaged: its points or view are missing or out of range").arg(name), {}};

    // Everything checked: from here on the session is restored.
    const QDir folder = QFileInfo(path).absoluteDir();
    SessionOpened opened;
    const QString picture = root.value(QLatin1String("picture")).toString(), level = root.value(QLatin1String("level")).toString();
    if (!picture.isEmpty()) {
        const QString why = session.openPicture(folder.absoluteFilePath(picture));
        if (!why.isEmpty())
            opened.notes << QStringLiteral("The picture %1 could not be read: %2").arg(QDir::toNativeSeparators(picture), why);
    }
    if (!level.isEmpty()) {
        const QString why = session.openLevel(folder.absoluteFilePath(level));
        if (!why.isEmpty())
            opened.notes << QStringLiteral("The level %1 could not be read: %2").arg(QDir::toNativeSeparators(level), why);
    }
    session.setPixels(pixels->first, pixels->second);
    session.setWorlds(worlds->first, worlds->second);
    session.setLoupe(view.value(QLatin1String("loupe")).toBool());
    session.setOverlay(view.value(QLatin1String("overlay")).toBool());
    session.forgetResult();
    if (root.contains(QLatin1String("result"))) {
        const QSize measured(size[0].toInt(), size[1].toInt());
        if (session.hasPicture() && session.pictureSize() == measured)
            session.measure();
        else if (session.hasPicture())
            opened.notes << QStringLiteral("The picture is %1 x %2 now, not %3 x %4 as measured: measure it again")
                                    .arg(session.pictureSize().width()).arg(session.pictureSize().height())
                                    .arg(measured.width()).arg(measured.height());
    }
    return opened;
}
