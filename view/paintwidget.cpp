#include "view/paintwidget.h"

#include <QBrush>
#include <QColor>
#include <QFontMetrics>
#include <QImage>
#include <QPaintEvent>
#include <QPainter>
#include <QPen>
#include <QRegion>

PaintWidget::PaintWidget(QWidget *parent)
    : QWidget(parent)
    , hintText(QStringLiteral("Drag and drop a png/jpg."))
{
    // Every pixel is painted, so nothing need be painted beneath the view.
    setAttribute(Qt::WA_OpaquePaintEvent);
}

PaintWidget::~PaintWidget() = default;

void PaintWidget::setImage(const QImage &picture)
{
    image = std::make_unique<QImage>(picture);
    setMinimumWidth(image->width());
    setMinimumHeight(image->height());
}

QSize PaintWidget::imageSize() const
{
    return image ? image->size() : QSize(0, 0);
}

QImage PaintWidget::picture() const
{
    return image ? *image : QImage();
}

void PaintWidget::setMessage(const QString &text)
{
    message = text;
}

void PaintWidget::setPickPoints(qint32 x1, qint32 y1, qint32 x2, qint32 y2)
{
    // Deliberately not normalised: point 2 left of or above point 1 draws
    // with a negative width or height.
    pick = QRect(x1, y1, x2 - x1, y2 - y1);
}

void PaintWidget::setOverlay(const QList<QPolygonF> &outlines, const QList<QPointF> &marks)
{
    this->outlines = outlines;
    this->marks = marks;
    outlineBounds.clear();
    outlineBounds.reserve(outlines.size());
    for (const QPolygonF &outline : outlines)
        outlineBounds.append(outline.boundingRect());
}

void PaintWidget::paintEvent(QPaintEvent *event)
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

    if (!image || image->isNull()) {
        drawHint(&painter);
        return;
    }

    painter.drawImage(QPoint(0, 0), *image);

    QPen pen(QColor(0, 255, 0, 128));
    pen.setWidthF(1.5);
    painter.setPen(pen);
    painter.setBrush(QBrush(QColor(0, 255, 0, 32), Qt::SolidPattern));
    painter.drawRect(pick.x(), pick.y(), pick.width(), pick.height());
    drawOverlay(&painter, event->rect());
}

// One-pixel outlines in magenta, which stands out on light and dark maps
// alike; only those the exposed part of the view shows.
void PaintWidget::drawOverlay(QPainter *painter, const QRect &exposed)
{
    if (outlines.isEmpty() && marks.isEmpty())
        return;
    painter->setRenderHint(QPainter::Antialiasing, false);
    painter->setPen(QPen(QColor(255, 0, 255), 0));
    painter->setBrush(Qt::NoBrush);
    const QRectF area = QRectF(exposed).adjusted(-1, -1, 1, 1);
    for (qsizetype i = 0; i < outlines.size(); ++i) {
        if (outlineBounds[i].intersects(area) || outlineBounds[i].isEmpty())
            painter->drawPolygon(outlines[i]);
    }
    for (const QPointF &mark : marks) {
        if (area.adjusted(-4, -4, 4, 4).contains(mark)) {
            painter->drawLine(mark + QPointF(-3, -3), mark + QPointF(3, 3));
            painter->drawLine(mark + QPointF(-3, 3), mark + QPointF(3, -3));
        }
    }
}

// The hint while nothing was loaded, or why the last load failed, centred
// with its baseline on the middle line.
void PaintWidget::drawHint(QPainter *painter)
{
    const QString &text = image ? message : hintText;
    const QFontMetrics metrics(painter->font());
    const int textWidth = metrics.horizontalAdvance(text);
    painter->drawText(width() / 2 - textWidth / 2, height() / 2, text);
}
