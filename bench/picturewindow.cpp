#include "picturewindow.h"

#include <QPainter>

PictureWindow::PictureWindow(QImage picture)
    : picture(std::move(picture))
{
}

void PictureWindow::paintEvent(QPaintEvent *)
{
    QPainter painter(this);
    painter.drawImage(0, 0, picture);
}
