#pragma once

#include "core/calibration.h"
#include "level/footprints.h"

#include <QImage>
#include <QObject>
#include <QPoint>
#include <QString>

#include <optional>

// One measurement, its one copy and its rules: the picture, the level, both
// reference points on the picture and in the world, the last result and the
// view's toggles. Windows show it and pass the user's intents to it; the
// command line and the tests use it as it is.
class Session : public QObject
{
    Q_OBJECT

public:
    explicit Session(QObject *parent = nullptr);
    ~Session() override;

    // The picture from a file, whatever its name says, or pasted, with no
    // file; returns why it could not be read, or nothing. A result belongs
    // to its picture: only the same file read again at the same size keeps
    // it.
    QString openPicture(const QString &path);
    QString pastePicture(const QImage &pasted);
    const QImage &picture() const { return image; }
    // 0 x 0 while no picture is shown.
    QSize pictureSize() const { return image.size().expandedTo(QSize(0, 0)); }
    bool hasPicture() const { return !image.isNull(); }
    // The file the picture came from; empty for a pasted one.
    QString picturePath() const { return pictureFile; }
    QString pictureError() const { return pictureFault; }

    // The level to draw over the picture. One that cannot be read drops the
    // previous and says why; its path is kept, so that reloading tries
    // again. Returns that reason, or nothing.
    QString openLevel(const QString &path);
    QString levelPath() const { return levelFile; }
    bool levelLoaded() const { return levelFault.isEmpty() && !levelFile.isEmpty(); }
    QString levelError() const { return levelFault; }
    const Footprints &footprints() const { return level; }

    // The picture's file and the level read again, points and values kept.
    void reload();

    // The reference points, 0 for the first and 1 for the second.
    QPoint pixel(int index) const { return pixels[index & 1]; }
    QPoint world(int index) const { return worlds[index & 1]; }
    void setPixels(QPoint first, QPoint second);
    void setWorlds(QPoint first, QPoint second);
    // F1 and F2: the pixel at cursor (clamped to 0 ... size) becomes the
    // point, kept on the picture; the other point is moved beside it when
    // it lies on the wrong side. Nothing without a picture.
    void pickPixel(int index, QPoint cursor);

    // Measure: the result of the entries as they stand, or none when they
    // are not valid.
    void measure();
    // No result, as before the first Measure.
    void forgetResult();
    enum class Result { None, Invalid, Valid };
    Result resultState() const;
    const std::optional<Calibration> &result() const { return calibration; }
    // The entries of the last valid result.
    const std::optional<CalibrationEntries> &measuredEntries() const { return entries; }

    bool loupe() const { return loupeOn; }
    bool overlay() const { return overlayOn; }
    void setLoupe(bool on);
    void setOverlay(bool on);

signals:
    // Sent before a picture is decoded, so that no one holds the old one.
    void pictureReleased();
    void pictureChanged();
    void levelChanged();
    void pixelsChanged();
    void worldsChanged();
    void resultChanged();
    void loupeChanged();
    void overlayChanged();

private:
    QString takePicture(const QImage &taken, const QString &path, const QString &error, QSize before);
    static bool replace(QPoint (&pair)[2], QPoint first, QPoint second);

    QImage image;
    QString pictureFile;
    QString pictureFault;
    Footprints level;
    QString levelFile;
    QString levelFault;
    QPoint pixels[2];
    QPoint worlds[2];
    bool measuredOnce = false;
    std::optional<Calibration> calibration;
    std::optional<CalibrationEntries> entries;
    bool loupeOn = false;
    bool overlayOn = true;
};
