#pragma once

#include <QStringList>

class QMimeData;

// The local paths of the first 32 URLs a drag carries, an empty string for
// each URL that names no local file.
QStringList dropPaths(const QMimeData *mimeData);

// Whether a drag carrying these paths may drop: exactly one path whose last
// part after a dot is exactly "png" or "jpg".
bool isPictureDrop(const QStringList &paths);
