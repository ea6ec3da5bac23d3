#include "app/pointerkeys.h"

#include "view/paintwidget.h"
#include "view/picturearea.h"

#include <QAction>
#include <QCursor>
#include <QScrollBar>

PointerKeys::PointerKeys(PictureArea *area, PaintWidget *view, QWidget *window)
    : QObject(window)
    , area(area)
    , view(view)
{
    const QList<std::pair<Qt::Key, QPoint>> arrows = {
        {Qt::Key_Left, QPoint(-1, 0)}, {Qt::Key_Right, QPoint(1, 0)}, {Qt::Key_Up, QPoint(0, -1)}, {Qt::Key_Down, QPoint(0, 1)}};
    for (const auto &[key, step] : arrows) {
        for (const int stride : {1, 10}) {
            auto *action = new QAction(window);
            action->setShortcut(stride == 1 ? QKeySequence(key) : QKeySequence(Qt::SHIFT | key));
            connect(action, &QAction::triggered, this, [this, step = step * stride] { nudge(step); });
            window->addAction(action);
        }
    }
    // A scroll moves the picture under a pointer that stays: the pixel
    // under it changes at once, whatever scrolled.
    for (QScrollBar *bar : {area->horizontalScrollBar(), area->verticalScrollBar()}) {
        connect(bar, &QScrollBar::valueChanged, this, [this] {
            if (this->area->viewport()->rect().contains(this->area->viewport()->mapFromGlobal(QCursor::pos())))
                emit moved(this->view->mapFromGlobal(QCursor::pos()));
        });
    }
}

bool PointerKeys::pointerOnPicture() const
{
    const QPoint at = view->mapFromGlobal(QCursor::pos());
    return area->viewport()->rect().contains(view->mapTo(area->viewport(), at))
            && QRect(QPoint(0, 0), view->imageSize()).contains(at);
}

void PointerKeys::nudge(QPoint step)
{
    if (!pointerOnPicture())
        return;
    const QSize picture = view->imageSize();
    const QPoint from = view->mapFromGlobal(QCursor::pos());
    const QPoint to(qBound(0, from.x() + step.x(), picture.width() - 1), qBound(0, from.y() + step.y(), picture.height() - 1));
    area->ensureVisible(to.x(), to.y(), 1, 1);
    QCursor::setPos(view->mapToGlobal(to));
    // The window system reports the move in its own time; the labels and
    // F1 and F2 follow at once.
    emit moved(to);
}
