#pragma once

#include "app/vellamor.h"
#include "core/picturefile.h"
#include "form/mainform.h"
#include "form/wholespinbox.h"
#include "model/session.h"
#include "view/paintwidget.h"

#include <QApplication>
#include <QDir>
#include <QDragEnterEvent>
#include <QLineEdit>
#include <QMenu>
#include <QMimeData>
#include <QRegularExpression>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#ifndef Q_OS_WIN
#include <sys/stat.h>
#endif

inline QString readText(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? QString::fromUtf8(file.readAll()) : QString();
}

// How many pixels of the area have the colour.
inline int pixelsOf(const QImage &image, const QRect &area, const QColor &color)
{
    int found = 0;
    for (int y = area.top(); y <= area.bottom(); ++y)
        for (int x = area.left(); x <= area.right(); ++x)
            found += image.pixelColor(x, y) == color;
    return found;
}

// Types text into a spin box the way a user does: focus, select, keys.
inline void typeInto(QAbstractSpinBox *box, const QString &text)
{
    box->setFocus();
    box->findChild<QLineEdit *>()->selectAll();
    QTest::keyClicks(box->findChild<QLineEdit *>(), text);
}

// Right-clicks a widget; the entry of the menu that opens whose text starts so.
inline QAction *menuEntry(QWidget *widget, QPoint pos, const QString &text)
{
    if (QWidget *open = QApplication::activePopupWidget())
        open->close();
    QTest::mouseClick(widget->window()->windowHandle(), Qt::RightButton, {}, widget->mapTo(widget->window(), pos));
    auto *menu = qobject_cast<QMenu *>(QApplication::activePopupWidget());
    const QList<QAction *> actions = menu ? menu->actions() : QList<QAction *>();
    const auto found = std::find_if(actions.begin(), actions.end(), [&](QAction *a) { return a->text().startsWith(text); });
    return found == actions.end() ? nullptr : *found;
}

// Counts the events of one type an object receives.
struct EventCounter : QObject
{
    EventCounter(QObject *object, QEvent::Type type) : type(type) { object->installEventFilter(this); }
    bool eventFilter(QObject *, QEvent *event) override { count += event->type() == type; return false; }
    QEvent::Type type;
    int count = 0;
};

// A picture filled with one colour; the format follows the suffix.
inline QString writePicture(const QTemporaryDir &dir, const QString &name, int width, int height, QColor fill = Qt::blue)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(fill);
    const QString path = dir.filePath(name);
    return image.save(path) ? path : QString();
}

// A named pipe; Windows has none among its files.
inline bool makePipe(const QString &path)
{
#ifdef Q_OS_WIN
    Q_UNUSED(path);
    return false;
#else
    return ::mkfifo(QFile::encodeName(path).constData(), 0600) == 0;
#endif
}

// The fixtures every way in must handle alike, each with the size it shows;
// an invalid size for those that cannot be read.
inline const QList<std::pair<const char *, QSize>> fixtures = {
    {"png", QSize(64, 48)}, {"jpeg", QSize(40, 30)}, {"gif", QSize(1, 1)}, {"empty", QSize()},
    {"directory", QSize()}, {"pipe", QSize()}, {"missing", QSize()}};

// Creates a fixture, named map.jpg for a JPEG and map.png for all others.
inline bool makeFixture(const QString &kind, const QString &path)
{
    QFile file(path);
    if (kind == "png" || kind == "jpeg") {
        QImage image(kind == "png" ? QSize(64, 48) : QSize(40, 30), QImage::Format_RGB32);
        image.fill(Qt::red);
        return image.save(path, kind == "png" ? "PNG" : "JPG");
    }
    if (kind == "gif")
        return file.open(QIODevice::WriteOnly)
                && file.write(QByteArray::fromBase64("R0lGODlhAQABAIAAAP///wAAACH5BAEAAAAALAAAAAABAAEAAAICRAEAOw=="));
    if (kind == "directory")
        return QDir().mkdir(path);
    if (kind == "pipe") // with no writer, opening it would block for good
        return makePipe(path);
    return kind == "missing" || file.open(QIODevice::WriteOnly);
}

// A drag and, when taken, its drop, delivered as the window system does: to
// the nearest widget under the point that accepts drops. Returns the actions
// reported back to the drag's source while dragging and at the drop, joined;
// IgnoreAction when refused.
inline Qt::DropAction dragAndDrop(QWidget *over, const QMimeData *mime, Qt::DropAction proposed = Qt::CopyAction)
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
    drop.setDropAction(proposed); // the source's proposal again, not what the enter answered
    QCoreApplication::sendEvent(target, &drop);
    return drop.isAccepted() ? Qt::DropAction(int(enter.dropAction()) | int(drop.dropAction())) : Qt::IgnoreAction;
}

inline bool dropFile(QWidget *over, const QString &path)
{
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(path)});
    return dragAndDrop(over, &mime) != Qt::IgnoreAction;
}

// A field of /proc/self/status in KiB: "VmRSS:" now, "VmHWM:" at the peak.
inline qint64 residentKiB(const char *field)
{
    QFile status("/proc/self/status");
    return status.open(QIODevice::ReadOnly) ? QRegularExpression(QString(field) + "\\s+(\\d+)").match(status.readAll()).captured(1).toLongLong() : -1;
}

// Starts a new peak for "VmHWM:". False where that says nothing: when the
// kernel does not allow it, or under AddressSanitizer, which keeps freed
// memory in quarantine.
inline bool resetPeakResident()
{
#if defined(__SANITIZE_ADDRESS__)
    return false;
#else
    QFile clearRefs("/proc/self/clear_refs");
    return clearRefs.open(QIODevice::WriteOnly) && clearRefs.write("5") == 1;
#endif
}

// Shows the window at the given size, active as under a window manager, and
// drops the picture at the given path on it, if any.
inline bool showActive(Vellamor &window, const QSize &size = QSize(684, 609), const QString &picture = {})
{
    window.resize(size);
    window.show();
    QApplication::setActiveWindow(&window);
    return QTest::qWaitForWindowActive(&window) && (picture.isEmpty() || dropFile(&window, picture));
}
