#include "app/pointboxes.h"

#include "form/wholespinbox.h"
#include "model/session.h"

PointBoxes::PointBoxes(const std::array<WholeSpinBox *, 4> &boxes, Pair pair, Session *session, QObject *parent)
    : QObject(parent)
    , boxes(boxes)
    , pair(pair)
    , session(session)
{
    if (pair == Pixels)
        connect(session, &Session::pixelsChanged, this, &PointBoxes::show);
    else
        connect(session, &Session::worldsChanged, this, &PointBoxes::show);
}

void PointBoxes::take()
{
    if (showing)
        return;
    const QPoint first(boxes[0]->value(), boxes[1]->value()), second(boxes[2]->value(), boxes[3]->value());
    pair == Pixels ? session->setPixels(first, second) : session->setWorlds(first, second);
}

void PointBoxes::show()
{
    const QPoint first = pair == Pixels ? session->pixel(0) : session->world(0);
    const QPoint second = pair == Pixels ? session->pixel(1) : session->world(1);
    const int values[] = {first.x(), first.y(), second.x(), second.y()};
    showing = true;
    for (int i = 0; i < 4; ++i)
        boxes[i]->setValue(values[i]);
    showing = false;
}
