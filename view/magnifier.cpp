#include "view/magnifier.h"

#include "view/paintwidget.h"

#include <QEvent>
#include <QImage>
#include <QPainter>
#include <QPen>

namespace {

constexpr int side = Magnifier::span * Magnifier::zoom;
constexpr int captionHeight = 18;
constexpr int cursorGap = 24;

} // namespace

Magnifier::Magnifier(QWidget *parent, const PaintWidget *view)
    : QWidget(parent)
    , view(view)
{
    setAttribute(Qt::WA_OpaquePaintEvent);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    resize(side, side + captionHeight);
    hide();
    // No move says that the pointer left: the view tells.
    parent->installEventFilter(this);
}

bool Magnifier::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() == QEvent::Leave)
        hide();
    return QWidget::eventFilter(watched, event);
}

void Magnifier::setOn(bool shown)
{
    on = shown;
}

void Magnifier::follow(std::optional<QPoint> pixel, QPoint cursor)
{
    if (!on || !pixel) {
        hide();
        return;
    }
    hot = *pixel;
    // Below and right of the cursor, or on the other side where the parent
    // ends, so that it never covers the hot spot.
    const QSize room = parentWidget()->size();
    const int x = cursor.x() + cursorGap + width() <= room.width() ? cursor.x() + cursorGap : cursor.x() - cursorGap - width();
    const int y = cursor.y() + cursorGap + height() <= room.height() ? cursor.y() + cursorGap : cursor.y() - cursorGap - height();
    move(x, y);
    show();
    update();
}

void Magnifier::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    const QImage image = view->picture();
    // Each picture pixel as a block, without smoothing; beyond the picture,
    // and beneath one that can be seen through, the gray ground.
    const QRect around(hot - QPoint(span / 2, span / 2), QSize(span, span));
    const QRect source = around.intersected(image.rect());
    if (source != around || image.hasAlphaChannel())
        painter.fillRect(0, 0, side, side, Qt::gray);
    const QPoint offset = (source.topLeft() - around.topLeft()) * zoom;
    painter.drawImage(QRect(offset, source.size() * zoom), image, source);
    // The hot pixel framed in black and white, seen on any picture.
    const QRect middle(span / 2 * zoom, span / 2 * zoom, zoom, zoom);
    painter.setPen(QPen(Qt::black, 1));
    painter.drawRect(middle.adjusted(-1, -1, 0, 0));
    painter.setPen(QPen(Qt::white, 1));
    painter.drawRect(middle.adjusted(-2, -2, 1, 1));
    painter.fillRect(0, side, side, captionHeight, palette().window());
    painter.setPen(palette().windowText().color());
    painter.drawText(QRect(0, side, side, captionHeight), Qt::AlignCenter,
                     QStringLiteral("x = %1, y = %2").arg(hot.x()).arg(hot.y()));
}
