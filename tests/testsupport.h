#pragma once

#include <QColor>
#include <QCoreApplication>
#include <QDropEvent>
#include <QDragEnterEvent>
#include <QFile>
#include <QImage>
#include <QLineEdit>
#include <QList>
#include <QMimeData>
#include <QSpinBox>
#include <QString>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>
#include <QWidget>

// Types text into a spin box the way a user does: focus, select, keys.
inline void typeInto(QAbstractSpinBox *box, const QString &text)
{
    box->setFocus();
    auto *edit = box->findChild<QLineEdit *>();
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        if (event->type() == QEvent::Paint)
            ++paints;
        return false;
    }
};

// Writes a picture filled with one colour; the format follows the suffix.
inline QString writePicture(const QTemporaryDir &dir, const QString &name, int width, int height,
                            const QColor &fill = QColor(0, 0, 255))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    const QString path = dir.filePath(name);
    if (!image.save(path))
        return {};
    return path;
}

inline QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        return {};
    return path;
}

// Delivers a drag enter the way the window system does; true when taken.
inline bool sendDragEnter(QWidget *target, const QMimeData *mime)
{
    QDragEnterEvent event(QPoint(10, 10), Qt::CopyAction, mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &event);
    return event.isAccepted();
}

// A drag of one local file followed, when the window takes it, by its drop.
inline bool dropFile(QWidget *target, const QString &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    if (!sendDragEnter(target, &mime))
        return false;
    QDropEvent drop(QPointF(10, 10), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(target, &drop);
    return true;
}

// AddressSanitizer keeps freed memory in quarantine, so resident sizes say
// nothing about the program in such a build.
#if defined(__SANITIZE_ADDRESS__)
constexpr bool residentSizesMeaningful = false;
#else
constexpr bool residentSizesMeaningful = true;
#endif

// A field of /proc/self/status in KiB: "VmRSS:" now, "VmHWM:" at the peak.
inline qint64 residentKiB(const char *field)
{
    QFile status("/proc/self/status");
    if (!status.open(QIODevice::ReadOnly))
        return -1;
    for (const QByteArray &line : status.readAll().split('\n')) {
        if (line.startsWith(field))
            return line.mid(qstrlen(field)).trimmed().split(' ').first().toLongLong();
    }
    return -1;
}

// Starts a new peak for "VmHWM:"; false where the kernel does not allow it.
inline bool resetPeakResident()
{
    QFile clearRefs("/proc/self/clear_refs");
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}
