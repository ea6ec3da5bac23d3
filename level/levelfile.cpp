#include "level/levelfile.h"

#include "level/mapreader.h"
#include "level/vmfreader.h"

#include <QFile>
#include <QFileInfo>

#include <algorithm>

LevelRead readLevel(const QString &path)
{
    const QFileInfo info(path);
    const QString name = info.fileName();
    // Opening a named pipe or a device would block the window for good.
    if (!info.isFile())
        return {{}, QStringLiteral("%1: %2").arg(name, !info.exists() ? "no such file" : info.isDir() ? "it is a folder" : "not a regular file")};
    if (info.size() > maxLevelBytes)
        return {{}, QStringLiteral("%1: larger than %2 MB").arg(name).arg(maxLevelBytes >> 20)};
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {{}, QStringLiteral("%1: %2").arg(name, file.errorString())};
    // What the file holds, not the limit: read(n) sets n bytes aside first.
    const QByteArray text = file.read(std::min(file.size(), maxLevelBytes));
    return info.suffix().compare(QLatin1String("vmf"), Qt::CaseInsensitive) == 0 ? readVmf(text, name)
                                                                                : readMap(text, name);
}
