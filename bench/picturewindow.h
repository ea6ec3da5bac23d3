#pragma once

#include <QImage>
#include <QWidget>

// The least a window can do to show a picture: draw it at its top-left.
class PictureWindow : public QWidget
{
public:
    explicit PictureWindow(QImage picture);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    QImage picture;
};
