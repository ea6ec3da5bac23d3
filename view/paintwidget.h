#pragma once

#include <QList>
#include <QPolygonF>
#include <QString>
#include <QWidget>

#include <memory>

class QImage;
class QPainter;

// Shows a picture unscaled at the top-left, with the rectangle spanned by
// the two image reference points; a hint while none is loaded, and why the
// last file could not be read while the picture is empty.
class PaintWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PaintWidget(QWidget *parent);
    ~PaintWidget() override;

    // Replaces the picture (shared, not copied) and takes its size as
    // the view's minimum. An empty picture shows the message, if any.
    void setImage(const QImage &picture);
    void setMessage(const QString &text);
    void setPickPoints(qint32 x1, qint32 y1, qint32 x2, qint32 y2);
    QSize imageSize() const;
    QImage picture() const;
    // Outlines and marks drawn over the picture, in its pixels; none to hide.
    void setOverlay(const QList<QPolygonF> &outlines, const QList<QPointF> &marks);

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawHint(QPainter *painter);
    void drawOverlay(QPainter *painter, const QRect &exposed);

    std::unique_ptr<QImage> image;
    QString hintText;
    QString message;
    QRect pick;
    QList<QPolygonF> outlines;
    QList<QRectF> outlineBounds;
    QList<QPointF> marks;
};
