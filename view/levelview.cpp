#include "view/levelview.h"

#include <QContextMenuEvent>
#include <QCursor>
#include <QKeyEvent>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <QPen>
#include <QWheelEvent>

#include <cmath>

namespace {

constexpr double snapPixels = 8;
constexpr double zoomStep = 1.25; // per notch of the wheel

} // namespace

LevelView::LevelView(QWidget *parent)
    : QWidget(parent, Qt::Window)
{
    setWindowTitle(tr("Level — Vellamor"));
    setMouseTracking(true);
    setFocusPolicy(Qt::StrongFocus);
    setAttribute(Qt::WA_OpaquePaintEvent);
    resize(800, 600);
}

void LevelView::setLevel(const Footprints &footprints)
{
    outlines = footprints.outlines;
    marks = footprints.marks;
    outlineBounds.clear();
    bounds = QRectF();
    for (const QPolygonF &outline : outlines) {
        outlineBounds.append(outline.boundingRect());
        bounds = bounds.isNull() ? outlineBounds.last() : bounds.united(outlineBounds.last());
    }
    for (const QPointF &mark : marks)
        bounds = bounds.isNull() ? QRectF(mark, QSizeF(1, 1)) : bounds.united(QRectF(mark, QSizeF(1, 1)));
    corners.setOutlines(outlines);
    fit();
}

void LevelView::setWorldPoints(QPoint first, QPoint second)
{
    worldPoints[0] = first;
    worldPoints[1] = second;
    update();
}

void LevelView::setPicture(const QImage &image, QPointF origin, QPointF end)
{
    picture = image;
    reduced.clear();
    pictureRect = QRectF(QPointF(origin.x(), end.y()), QPointF(end.x(), origin.y()));
    update();
}

QPointF LevelView::toWorld(QPointF widgetPos) const
{
    return camera.toWorld(widgetPos);
}

QPointF LevelView::toWidget(QPointF world) const
{
    return camera.toWidget(world);
}

QPointF LevelView::pick(QPointF widgetPos, bool snap) const
{
    const QPointF world = toWorld(widgetPos);
    const std::optional<QPointF> corner = snap ? corners.nearest(world, snapPixels / camera.scale()) : std::nullopt;
    return corner ? *corner : QPointF(std::round(world.x()), std::round(world.y()));
}

// The whole level, and the picture laid under it.
void LevelView::fit()
{
    camera.setViewport(size());
    if (camera.fit(picture.isNull() ? bounds : bounds.united(pictureRect))) {
        fitted = true;
        update();
    }
}

void LevelView::resizeEvent(QResizeEvent *)
{
    camera.setViewport(size());
    if (!fitted)
        fit();
}

void LevelView::wheelEvent(QWheelEvent *event)
{
    // The world point under the cursor stays where it is.
    const QPointF at = event->position();
    camera.zoomAt(at, std::pow(zoomStep, event->angleDelta().y() / 120.0));
    hover(at, !(event->modifiers() & Qt::ShiftModifier));
    update();
}

void LevelView::mousePressEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton || (event->button() == Qt::LeftButton && spaceHeld)) {
        panning = true;
        panFrom = event->position();
    }
}

void LevelView::mouseMoveEvent(QMouseEvent *event)
{
    if (panning) {
        camera.pan(event->position() - panFrom);
        panFrom = event->position();
        update();
    }
    hover(event->position(), !(event->modifiers() & Qt::ShiftModifier));
}

void LevelView::mouseReleaseEvent(QMouseEvent *event)
{
    if (event->button() == Qt::MiddleButton || event->button() == Qt::LeftButton)
        panning = false;
}

void LevelView::keyPressEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat()) {
        spaceHeld = true;
    } else if (event->key() == Qt::Key_Home) {
        fit();
    } else if ((event->key() == Qt::Key_F3 || event->key() == Qt::Key_F4) && hovered) {
        emit worldPointPicked(event->key() == Qt::Key_F3 ? 0 : 1, *hovered);
    } else if (event->key() == Qt::Key_Shift) {
        hover(lastPos, false);
    } else {
        QWidget::keyPressEvent(event);
    }
}

void LevelView::pickUnderPointer(int index, bool snap)
{
    hover(mapFromGlobal(QCursor::pos()), snap);
    emit worldPointPicked(index, *hovered);
}

void LevelView::keyReleaseEvent(QKeyEvent *event)
{
    if (event->key() == Qt::Key_Space && !event->isAutoRepeat())
        spaceHeld = false;
    else if (event->key() == Qt::Key_Shift)
        hover(lastPos, true);
    QWidget::keyReleaseEvent(event);
}

void LevelView::contextMenuEvent(QContextMenuEvent *event)
{
    hover(event->pos(), lastSnap);
    const QPointF world = *hovered;
    QMenu *menu = new QMenu(this);
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu->addAction(tr("Set 1st world point here (F3)"), this, [this, world] { emit worldPointPicked(0, world); });
    menu->addAction(tr("Set 2nd world point here (F4)"), this, [this, world] { emit worldPointPicked(1, world); });
    menu->popup(event->globalPos());
}

// Only the marker and the coordinates change: the rest of the view, with
// perhaps a hundred thousand outlines, is not drawn again.
void LevelView::hover(QPointF widgetPos, bool snap)
{
    const auto marker = [this] { return hovered ? QRectF(toWidget(*hovered) - QPointF(6, 6), QSizeF(12, 12)).toAlignedRect() : QRect(); };
    update(marker());
    lastPos = widgetPos;
    lastSnap = snap;
    hovered = pick(widgetPos, snap);
    hoverSnapped = snap && *hovered != QPointF(std::round(toWorld(widgetPos).x()), std::round(toWorld(widgetPos).y()));
    update(marker());
    update(coordinatesRect());
}

QRect LevelView::coordinatesRect() const
{
    return QRect(0, height() - 20, 240, 20);
}

// Halved until no more than twice the pixels drawn: a zoomed-out view draws
// a small picture, not the whole one scaled down.
const QImage &LevelView::pictureAtScale(double pixelsPerPicturePixel) const
{
    const QImage *best = &picture;
    for (int level = 0; pixelsPerPicturePixel < 0.5; ++level, pixelsPerPicturePixel *= 2) {
        if (reduced.size() <= level) {
            const QImage &from = reduced.isEmpty() ? picture : reduced.last();
            if (from.width() < 2 || from.height() < 2)
                break;
            reduced.append(from.scaled(from.size() / 2, Qt::IgnoreAspectRatio, Qt::SmoothTransformation));
        }
        best = &reduced[level];
    }
    return *best;
}

void LevelView::paintEvent(QPaintEvent *event)
{
    QPainter painter(this);
    painter.fillRect(event->rect(), QColor(32, 32, 36));
    const QRectF visible(toWorld(event->rect().topLeft()), toWorld(event->rect().bottomRight() + QPoint(1, 1)));
    const QRectF world = visible.normalized();

    // The measured picture, half transparent, drawn only where it shows.
    if (!picture.isNull() && pictureRect.intersects(world)) {
        const QRectF target(toWidget(pictureRect.topLeft() + QPointF(0, pictureRect.height())), toWidget(pictureRect.topRight()));
        const QRectF onScreen = target.normalized();
        const QImage &image = pictureAtScale(onScreen.width() / picture.width());
        const QRectF shown = onScreen.intersected(QRectF(event->rect()));
        const double sx = image.width() / onScreen.width(), sy = image.height() / onScreen.height();
        const QRectF source((shown.left() - onScreen.left()) * sx, (shown.top() - onScreen.top()) * sy,
                            shown.width() * sx, shown.height() * sy);
        painter.setOpacity(0.5);
        painter.drawImage(shown, image, source);
        painter.setOpacity(1);
        painter.setPen(QPen(QColor(255, 200, 0), 0));
        painter.drawRect(onScreen);
    }

    painter.setPen(QPen(QColor(230, 230, 230), 0));
    // Outlines smaller than four pixels are drawn as a pixel: zoomed out over
    // a large level, that is most of them, and their lines would cost most.
    QList<QLine> lines;
    QList<QPoint> dots;
    const double tiny = 4 / camera.scale();
    for (qsizetype i = 0; i < outlines.size(); ++i) {
        if (!outlineBounds[i].intersects(world) && !outlineBounds[i].isEmpty())
            continue;
        if (outlineBounds[i].width() < tiny && outlineBounds[i].height() < tiny) {
            dots.append(toWidget(outlineBounds[i].center()).toPoint());
            continue;
        }
        const QPolygonF &outline = outlines[i];
        QPoint previous = toWidget(outline.last()).toPoint();
        for (const QPointF &corner : outline) {
            const QPoint point = toWidget(corner).toPoint();
            lines.append(QLine(previous, point));
            previous = point;
        }
    }
    painter.drawLines(lines);
    painter.drawPoints(dots);
    painter.setPen(QPen(QColor(255, 0, 255), 0));
    for (const QPointF &mark : marks) {
        if (world.contains(mark)) {
            const QPointF at = toWidget(mark);
            painter.drawLine(at + QPointF(-3, -3), at + QPointF(3, 3));
            painter.drawLine(at + QPointF(-3, 3), at + QPointF(3, -3));
        }
    }
    // The two world points, numbered as in the form.
    painter.setPen(QPen(QColor(255, 60, 60), 2));
    int number = 0;
    for (const QPoint &point : worldPoints) {
        const QPointF at = toWidget(point);
        painter.drawEllipse(at, 5, 5);
        painter.drawText(at + QPointF(7, -7), QString::number(++number));
    }
    if (hovered) {
        const QPointF at = toWidget(*hovered);
        painter.setPen(QPen(QColor(0, 220, 255), 0));
        if (hoverSnapped)
            painter.drawRect(QRectF(at - QPointF(4, 4), QSizeF(8, 8)));
        painter.fillRect(coordinatesRect(), QColor(0, 0, 0, 160));
        painter.setPen(Qt::white);
        painter.drawText(coordinatesRect().adjusted(6, 0, 0, 0), Qt::AlignVCenter,
                         QStringLiteral("x = %1, y = %2").arg(hovered->x()).arg(hovered->y()));
    }
}
