#pragma once

#include <QImage>
#include <QString>

// A picture read from a file, or why it could not be read.
struct PictureFile
{
    QImage image;
    QString error;
};

// Reads the picture at path, whatever its name says; the content decides
// the decoder. Only regular files are opened, and pictures wider or taller
// than maxPictureSide are refused before they are decoded. The picture is
// always one picture pixel to one device pixel, whatever its name says.
PictureFile readPicture(const QString &path);

// The picture as Vellamor shows it, or why not: one picture pixel to one
// device pixel, and no side over maxPictureSide.
PictureFile acceptPicture(QImage image);

// Lets Qt decode pictures of up to 1 GiB; call once before reading any.
void allowLargePictures();
