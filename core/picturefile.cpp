#include "core/picturefile.h"

#include "core/calibration.h"

#include <QFileInfo>
#include <QImageReader>

#include <utility>

namespace {

// Qt refuses to decode anything over 128 MB by default; a map of up to
// 16384 x 16384 pixels at 32 bits per pixel must still load.
constexpr int imageAllocationLimitMB = 1024;

QString tooLarge()
{
    return QStringLiteral("wider or taller than %1 pixels").arg(maxPictureSide);
}

bool fits(QSize size)
{
    return size.width() <= maxPictureSide && size.height() <= maxPictureSide;
}

} // namespace

PictureFile readPicture(const QString &path)
{
    // Opening a named pipe or a device would block the window for good.
    const QFileInfo file(path);
    if (!file.isFile())
        return {{}, QString::fromLatin1(!file.exists() ? "no such file" : file.isDir() ? "it is a folder" : "not a regular file")};
    QImageReader reader(path);
    // Refused before decoding, where the header tells the size.
    if (!fits(reader.size()))
        return {{}, tooLarge()};
    QImage image = reader.read();
    if (image.isNull())
        return {{}, reader.errorString()};
    return acceptPicture(std::move(image));
}

PictureFile acceptPicture(QImage image)
{
    if (!fits(image.size()))
        return {{}, tooLarge()};
    // Qt's reader gives "name@2x.png" a device pixel ratio of 2, which would
    // draw it at half size while points are taken in its own pixels.
    image.setDevicePixelRatio(1);
    return {image, {}};
}

void allowLargePictures()
{
    QImageReader::setAllocationLimit(imageAllocationLimitMB);
}
