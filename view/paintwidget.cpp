#include "paintwidget.h"

#include <QBrush>
#include <QColor>
#include <QFileInfo>
#include <QFontMetrics>
#include <QImage>
#include <QImageReader>
#include <QPainter>
#include <QPen>
#include <QRegion>

namespace {

// Qt refuses to decode anything over 128 MB by default; a map of up to
// 16384 x 16384 pixels at 32 bits per pixel must still load.
constexpr int imageAllocationLimitMB = 1024;

} // namespace

PaintWidget::PaintWidget(QWidget *parent)
    : QWidget(parent)
    , hintText(QStringLiteral("Drag and drop a png/jpg."))
{
    QImageReader::setAllocationLimit(imageAllocationLimitMB);
    // Every pixel is painted, so nothing need be painted beneath the view.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PaintWidget::~PaintWidget() = default;

void PaintWidget::loadImage(QString path, qint32 *width, qint32 *height)
{
    // Free the old picture before decoding the new one, so that two large
    // maps are never held at once.
    image.reset();
    // Only regular files are read: opening a named pipe or a device would
    // block the window for good.
    QImage picture;
    if (QFileInfo(path).isFile()) {
        QImageReader reader(path);
        picture = reader.read();
        loadError = picture.isNull() ? reader.errorString() : QString();
    } else {
        const QFileInfo file(path);
        loadError = QString::fromLatin1(!file.exists() ? "no such file"
                                        : file.isDir() ? "it is a folder" : "not a regular file");
    }
    setImage(std::move(picture), width, height);
}

void PaintWidget::setImage(QImage picture, qint32 *width, qint32 *height)
{
    image = std::make_unique<QImage>(std::move(picture));
    *width = image->width();
    *height = image->height();
    setMinimumWidth(*width);
    setMinimumHeight(*height);
}

void PaintWidget::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.setRenderHints(QPainter::Antialiasing, true);
    // Gray wherever an opaque picture leaves the view uncovered, so that a
    // large map's pixels are written once; beneath it too where it may be
    // transparent.
    if (!image || image->hasAlphaChannel()) {
        painter.fillRect(rect(), Qt::gray);
    } else {
        for (const QRect &uncovered : QRegion(rect()).subtracted(image->rect()))
            painter.fillRect(uncovered, Qt::gray);
    }

    if (!image) {
        drawHint(&painter);
        return;
    }

    painter.drawImage(QPoint(0, 0), *image);

    if (pickRefs[0] && pickRefs[1] && pickRefs[2] && pickRefs[3]) {
        QPen pen(QColor(0, 255, 0, 128));
        pen.setWidthF(1.5);
        painter.setPen(pen);
        painter.setBrush(QBrush(QColor(0, 255, 0, 32), Qt::SolidPattern));
        const qint32 x1 = *pickRefs[0];
        const qint32 y1 = *pickRefs[1];
        // Deliberately not normalised: point 2 left of or above point 1
        // draws with a negative width or height.
        painter.drawRect(x1, y1, *pickRefs[2] - x1, *pickRefs[3] - y1);
    }
}

void PaintWidget::drawHint(QPainter *painter)
{
    const QFontMetrics metrics(painter->font());
    const int textWidth = metrics.horizontalAdvance(hintText);
    painter->drawText(width() / 2 - textWidth / 2, height() / 2, hintText);
}
