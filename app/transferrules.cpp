#include "app/transferrules.h"

#include "model/sessionfile.h"

#include <QFileInfo>
#include <QMimeData>
#include <QUrl>

namespace {

// Enough to tell one file from several without walking a huge selection.
constexpr qsizetype maxDropUrls = 32;

} // namespace

QStringList dropPaths(const QMimeData *mimeData)
{
    QStringList paths;
    if (!mimeData || !mimeData->hasUrls())
        return paths;
    const QList<QUrl> urls = mimeData->urls();
    for (qsizetype i = 0; i < urls.size() && i < maxDropUrls; ++i)
        paths.append(urls.at(i).toLocalFile());
    return paths;
}

bool isPictureDrop(const QStringList &paths)
{
    if (paths.size() != 1)
        return false;
    // The whole path is split, so a dot in a directory name does not count
    // as an extension.
    const QString last = paths.first().split('.', Qt::KeepEmptyParts, Qt::CaseSensitive).last();
    return last == QLatin1String("png") || last == QLatin1String("jpg");
}

bool isLevelPath(const QString &path)
{
    const QString suffix = QFileInfo(path).suffix();
    return suffix.compare(QLatin1String("map"), Qt::CaseInsensitive) == 0
            || suffix.compare(QLatin1String("vmf"), Qt::CaseInsensitive) == 0;
}

DropKind dropKind(const QStringList &paths)
{
    if (isPictureDrop(paths))
        return DropKind::Picture;
    if (paths.size() != 1)
        return DropKind::None;
    return isLevelPath(paths.first()) ? DropKind::Level : isSessionPath(paths.first()) ? DropKind::Session : DropKind::None;
}

QString clipboardFile(const QMimeData *mimeData)
{
    const QStringList paths = dropPaths(mimeData);
    return paths.size() == 1 ? paths.first() : QString();
}

bool clipboardHasPicture(const QMimeData *mimeData)
{
    return mimeData && (!clipboardFile(mimeData).isEmpty() || mimeData->hasImage());
}

bool pasteLoadsPicture(const QMimeData *mimeData, bool inTextBox)
{
    if (!clipboardHasPicture(mimeData))
        return false;
    // hasText() is also true for URLs alone; only real text counts here.
    if (!mimeData->hasFormat(QStringLiteral("text/plain")))
        return true;
    return !inTextBox && !clipboardFile(mimeData).isEmpty();
}
