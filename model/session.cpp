#include "model/session.h"

#include "core/picturefile.h"
#include "level/levelfile.h"

Session::Session(QObject *parent)
    : QObject(parent)
{
}

Session::~Session() = default;

QString Session::openPicture(const QString &path)
{
    // Let go of the old picture first: two large maps are never held.
    const QSize before = pictureSize();
    image = QImage();
    emit pictureReleased();
    const PictureFile read = readPicture(path);
    return takePicture(read.image, path, read.error, before);
}

QString Session::pastePicture(const QImage &pasted)
{
    const QSize before = pictureSize();
    image = QImage();
    emit pictureReleased();
    const PictureFile accepted = acceptPicture(pasted);
    return takePicture(accepted.image, QString(), accepted.error, before);
}

QString Session::takePicture(const QImage &taken, const QString &path, const QString &error, QSize before)
{
    // A pasted picture has no path, so it is never the same file.
    const bool sameFile = !pictureFile.isEmpty() && path == pictureFile;
    image = taken;
    pictureFile = path;
    pictureFault = error;
    if (!sameFile || !hasPicture() || before != pictureSize())
        forgetResult();
    emit pictureChanged();
    return error;
}

QString Session::openLevel(const QString &path)
{
    const LevelRead read = readLevel(path);
    level = read.error.isEmpty() ? ::footprints(read.level) : Footprints();
    levelFile = path;
    levelFault = read.error;
    emit levelChanged();
    return read.error;
}

void Session::reload()
{
    if (!pictureFile.isEmpty())
        openPicture(pictureFile);
    if (!levelFile.isEmpty())
        openLevel(levelFile);
}

bool Session::replace(QPoint (&pair)[2], QPoint first, QPoint second)
{
    if (pair[0] == first && pair[1] == second)
        return false;
    pair[0] = first;
    pair[1] = second;
    return true;
}

void Session::setPixels(QPoint first, QPoint second)
{
    if (replace(pixels, first, second))
        emit pixelsChanged();
}

void Session::setWorlds(QPoint first, QPoint second)
{
    if (replace(worlds, first, second))
        emit worldsChanged();
}

void Session::pickPixel(int index, QPoint cursor)
{
    if (!hasPicture())
        return;
    const QSize size = pictureSize();
    QPoint first = pixels[0], second = pixels[1];
    // The far bound of the cursor is the size itself, one past the last
    // pixel; the first point stays a pixel short of it, the second a pixel
    // past the first.
    const int x = qBound(0, cursor.x(), size.width()), y = qBound(0, cursor.y(), size.height());
    if (index == 0) {
        first = QPoint(x == size.width() ? x - 1 : x, y == size.height() ? y - 1 : y);
        if (second.x() < first.x())
            second.setX(first.x() + 1);
        if (second.y() < first.y())
            second.setY(first.y() + 1);
    } else {
        second = QPoint(x == 0 ? 1 : x, y == 0 ? 1 : y);
        if (second.x() < first.x())
            first.setX(second.x() - 1);
        if (second.y() < first.y())
            first.setY(second.y() - 1);
    }
    setPixels(first, second);
}

void Session::measure()
{
    const CalibrationEntries measuring{pictureSize(), pixels[0], pixels[1], worlds[0], worlds[1]};
    measuredOnce = true;
    calibration = calibrate(measuring);
    entries = calibration ? std::optional(measuring) : std::nullopt;
    emit resultChanged();
}

Session::Result Session::resultState() const
{
    return calibration ? Result::Valid : measuredOnce ? Result::Invalid : Result::None;
}

void Session::forgetResult()
{
    const bool had = measuredOnce;
    measuredOnce = false;
    calibration.reset();
    entries.reset();
    if (had)
        emit resultChanged();
}

void Session::setLoupe(bool on)
{
    if (loupeOn == on)
        return;
    loupeOn = on;
    emit loupeChanged();
}

void Session::setOverlay(bool on)
{
    if (overlayOn == on)
        return;
    overlayOn = on;
    emit overlayChanged();
}
