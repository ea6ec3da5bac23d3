#include "view/picturearea.h"
#include "view/windowframe.h"

#include <QCoreApplication>
#include <QLayout>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

PictureArea::PictureArea(QWidget *parent)
    : QScrollArea(parent)
{
    // Without a frame the view's pixels stay where the area's are.
    setFrameShape(QFrame::NoFrame);
    setWidgetResizable(true);
}

void PictureArea::fitPicture(QSize picture)
{
    QWidget *window = this->window();
    if (!openedAt.isValid()) {
        openedAt = window->size();
        window->installEventFilter(this);
    }
    fitted = picture;
    fittedFrame = windowFrame(window);
    setMinimumSize(picture);
    layOutNow();
    const QRect screen = window->screen()->availableGeometry();
    const QSize frame = QSize(0, 0).grownBy(fittedFrame);
    const QSize slack = screen.size() - frame - window->minimumSizeHint();
    if (slack.width() >= 0 && slack.height() >= 0) {
        // A smaller picture than the last takes the window back down, to
        // no less than it opened at.
        window->resize(window->minimumSizeHint().expandedTo(openedAt));
    } else {
        // A scroll bar along one side takes room from the other.
        const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
        const QSize room(slack.height() < 0 ? qMin(slack.width(), bar) : slack.width(),
                         slack.width() < 0 ? qMin(slack.height(), bar) : slack.height());
        setMinimumSize((picture + room).expandedTo(QSize(0, 0)));
        layOutNow();
        window->resize(window->size().boundedTo(screen.size() - frame));
    }
    // A window grown near the screen's edge moves back onto it.
    const QRect outer = window->frameGeometry();
    window->move(qBound(screen.left(), outer.left(), screen.right() + 1 - outer.width()),
                 qBound(screen.top(), outer.top(), screen.bottom() + 1 - outer.height()));
}

// Where the window manager frames the window only after it is shown, the
// picture is fitted again once the frame is known.
bool PictureArea::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == window() && (event->type() == QEvent::Move || event->type() == QEvent::Show)
        && fitted.isValid() && windowFrame(window()) != fittedFrame)
        fitPicture(fitted);
    return QScrollArea::eventFilter(watched, event);
}

// Lays out now what the event loop would lay out next, the area's parent
// and then the window, so that the next repaint is the one complete frame at
// the new size rather than a frame before a second. Done directly, as a
// window not yet shown takes no layout request.
void PictureArea::layOutNow()
{
    for (QWidget *widget : {parentWidget(), window()}) {
        if (widget->layout())
            widget->layout()->activate();
    }
}

void PictureArea::wheelEvent(QWheelEvent *event)
{
    if (!(event->modifiers() & Qt::ShiftModifier))
        return QScrollArea::wheelEvent(event);
    // Shift turns the wheel's turn into a scroll across.
    QWheelEvent across(event->position(), event->globalPosition(), event->pixelDelta().transposed(),
                       event->angleDelta().transposed(), event->buttons(), event->modifiers() & ~Qt::ShiftModifier,
                       event->phase(), event->inverted());
    QCoreApplication::sendEvent(horizontalScrollBar(), &across);
    event->setAccepted(across.isAccepted());
}
