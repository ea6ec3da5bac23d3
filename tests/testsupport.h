#pragma once

#include "mainform.h"
#include "paintwidget.h"
#include "vellamor.h"

#include <QApplication>
#include <QColor>
#include <QDragEnterEvent>
#include <QDir>
#include <QDropEvent>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <sys/stat.h>

// Shows the window at the given size, active as under a window manager.
inline bool showActive(Vellamor &window, const QSize &size = QSize(684, 609))
{
    window.resize(size);
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window);
}

// Types text into a spin box the way a user does: focus, select, keys.
inline void typeInto(QAbstractSpinBox *box, const QString &text)
{
    box->setFocus();
    box->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(box->findChild<QLineEdit *>(), text);
}

// A button-less move, as the window system delivers it, at a point given in
// the view's coordinates.
inline void hover(Vellamor &window, QPoint viewPos)
{
    QTest::mouseMove(window.windowHandle(), window.form.paintWidget->mapTo(&window, viewPos));
}

inline QString sizeLabels(const Vellamor &window)
{
    return window.form.wLabel->text() + ", " + window.form.hLabel->text();
}

// Right-clicks a widget and finds the entry of the menu that opens whose
// text starts with the given one.
inline QAction *menuEntry(QWidget *widget, QPoint pos, const QString &text)
{
    if (QWidget *open = QApplication::activePopupWidget())
        open->close();
    QTest::mouseClick(widget->window()->windowHandle(), Qt::RightButton, {}, widget->mapTo(widget->window(), pos));
    if (auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget())) {
        for (QAction *action : menu->actions()) {
            if (action->text().startsWith(text))
                return action;
        }
    }
    return nullptr;
}

// Counts the paint events a widget receives.
class PaintCounter : public QObject
{
public:
    explicit PaintCounter(QWidget *widget) { widget->installEventFilter(this); }
    int paints = 0;

protected:
    bool eventFilter(QObject *, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint;
        return false;
    }
};

// A picture filled with one colour; the format follows the suffix.
inline QString writePicture(const QTemporaryDir &dir, const QString &name, int width, int height,
                            const QColor &fill = QColor(0, 0, 255))
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    const QString path = dir.filePath(name);
    return image.save(path) ? path : QString();
}

inline QString writeBytes(const QTemporaryDir &dir, const QString &name, const QByteArray &bytes)
{
    const QString path = dir.filePath(name);
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() ? path : QString();
}

// Creates the named fixture at path; false when it cannot be made here.
inline bool makeFixture(const QString &kind, const QString &path)
{
    QFile file(path);
    if (kind == "png" || kind == "jpeg") {
        QImage image(kind == "png" ? QSize(64, 48) : QSize(40, 30), QImage::Format_RGB32);
        image.fill(Qt::red);
        return image.save(path, kind == "png" ? "PNG" : "JPG");
    }
    if (kind == "gif") // 1 x 1, named .png: the content decides how it is read
        return file.open(QIODevice::WriteOnly)
                && file.write(QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw=="));
    if (kind == "empty")
        return file.open(QIODevice::WriteOnly);
    if (kind == "directory")
        return QDir().mkdir(path);
    if (kind == "pipe") // with no writer, opening it would block for good
        return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
    return kind == "missing";
}

// The fixtures every way of loading must handle alike, with the size each
// shows; an invalid size for those that cannot be read.
inline const QList<std::pair<const char *, QSize>> fixtures = {
    {"png", QSize(64, 48)}, {"jpeg", QSize(40, 30)}, {"gif", QSize(1, 1)}, {"empty", QSize()},
    {"directory", QSize()}, {"pipe", QSize()}, {"missing", QSize()}};

inline QString fixtureName(const QString &kind)
{
    return kind == "jpeg" ? "map.jpg" : "map.png";
}

// Delivers a drag and, when it is taken, its drop the way the window system
// does: to the nearest widget under the point that accepts drops. Returns
// the action reported back to the drag's source; IgnoreAction when refused.
inline Qt::DropAction dragAndDrop(QWidget *over, const QMimeData *mime,
                                  Qt::DropAction proposed = Qt::CopyAction)
{
    QWidget *target = over;
    while (target && !target->acceptDrops())
        target = target->parentWidget();
    if (!target)
        return Qt::IgnoreAction;
    const Qt::DropActions possible = Qt::CopyAction | Qt::MoveAction | Qt::LinkAction;
    QDragEnterEvent enter(QPoint(10, 10), possible, mime, Qt::LeftButton, Qt::NoModifier);
    enter.setDropAction(proposed);
    QCoreApplication::sendEvent(target, &enter);
    if (!enter.isAccepted())
        return Qt::IgnoreAction;
    QDropEvent drop(QPointF(10, 10), possible, mime, Qt::LeftButton, Qt::NoModifier);
    drop.setDropAction(enter.dropAction());
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? drop.dropAction() : Qt::IgnoreAction;
}

inline bool dropFile(QWidget *over, const QString &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    return dragAndDrop(over, &mime) != Qt::IgnoreAction;
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
    return residentSizesMeaningful && clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
}
