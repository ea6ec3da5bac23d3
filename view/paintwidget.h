#pragma once

#include <QString>
#include <QWidget>

#include <memory>

class QImage;
class QPainter;

// Shows the dropped picture unscaled at the top-left, with the rectangle
// spanned by the two image reference points, or a hint while none is loaded.
class PaintWidget : public QWidget
{
    Q_OBJECT

public:
    explicit PaintWidget(QWidget *parent);
    ~PaintWidget() override;

    // Replaces the picture; a file that cannot be read leaves an empty one
    // and reports 0 x 0.
    void loadImage(QString path, qint32 *width, qint32 *height);
    // Shows a picture that is already in memory, such as a pasted one.
    void setImage(QImage picture, qint32 *width, qint32 *height);
    // Why the last file could not be read; empty after a good one.
    QString errorString() const { return loadError; }

    // The main window's pickX1, pickY1, pickX2, pickY2, read at every paint.
    const qint32 *pickRefs[4] = {nullptr, nullptr, nullptr, nullptr};

protected:
    void paintEvent(QPaintEvent *event) override;

private:
    void drawHint(QPainter *painter);

    std::unique_ptr<QImage> image;
    QString hintText;
    QString loadError;
};
