#pragma once

#include <QWidget>

#include <optional>

// A loupe beside the cursor: the picture's pixels around the hot spot,
// enlarged, with the hot pixel framed and its x, y below.
class PaintWidget;

class Magnifier : public QWidget
{
    Q_OBJECT

public:
    static constexpr int span = 21; // pixels across
    static constexpr int zoom = 8;

    // Shows the pixels of the picture the view holds.
    Magnifier(QWidget *parent, const PaintWidget *view);

    // Off at start; while off it never shows.
    void setOn(bool on);
    // Centres on the picture's pixel and stands beside `cursor`, a point in
    // the parent's coordinates, inside the parent where it fits; hides while
    // the cursor is over no pixel.
    void follow(std::optional<QPoint> pixel, QPoint cursor);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;
    void paintEvent(QPaintEvent *event) override;

private:
    const PaintWidget *view;
    QPoint hot;
    bool on = false;
};
