#pragma once

#include <QString>
#include <QStringList>

class Session;

// A session kept in a small JSON file (".vellamor"): the picture's and the
// level's paths, both points on the picture and in the world, the view's
// toggles and the last result with the size of the picture it belongs to.
// Paths beside or below the file are kept relative to it, so that a folder
// can be moved or shared.

// Writes the file whole or not at all; returns why it could not, or nothing.
QString saveSession(const Session &session, const QString &path);

// What opening a session file gave: why it was refused (then nothing was
// changed), or what of it could not be restored, one line each.
struct SessionOpened
{
    QString error;
    QStringList notes;
};

// Restores the session from the file and measures again, never for a
// picture of another size than the one measured.
SessionOpened openSession(Session &session, const QString &path);

// Whether a file is named as a session.
bool isSessionPath(const QString &path);
