#pragma once

#include <QStringList>

class QMimeData;

// The local paths of the first 32 URLs a drag carries, an empty string for
// each URL that names no local file.
QStringList dropPaths(const QMimeData *mimeData);

// Whether a drag carrying these paths may drop: exactly one path whose last
// part after a dot is exactly "png" or "jpg".
bool isPictureDrop(const QStringList &paths);

// Whether a path names a level: ".map" or ".vmf", in any case.
bool isLevelPath(const QString &path);

// What a drag carrying these paths drops: one picture, by the rule above,
// one level, or one saved session.
enum class DropKind { None, Picture, Level, Session };
DropKind dropKind(const QStringList &paths);

// The one local file a clipboard names, as a file manager's copy does;
// empty for none or several.
QString clipboardFile(const QMimeData *mimeData);

// Whether Paste can load something from the clipboard.
bool clipboardHasPicture(const QMimeData *mimeData);

// Whether Ctrl+V in an entry box loads the clipboard's picture rather than
// pasting into the box. A copied file loads from any box but the text box
// (a file manager's copy also carries the path as text); otherwise copied
// text is pasted as text, and image data without text loads.
bool pasteLoadsPicture(const QMimeData *mimeData, bool inTextBox);
