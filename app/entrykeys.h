#pragma once

#include <QList>
#include <QObject>

class PointerKeys;
class QPlainTextEdit;
class QPushButton;
class WholeSpinBox;

// Keys in the entry boxes: Return in a number box presses Measure, like a
// dialog's default button; Ctrl+V leaves a copied picture to the window's
// Paste where the box would otherwise take it as text, and pastes a number
// or a position x y [z] into the box's point; with the pointer
// over the picture the arrow keys move the pointer; Z and L, which no
// number box takes, toggle the magnifier and the level overlay.
class EntryKeys : public QObject
{
public:
    // Each point's x and y boxes.
    using Points = QList<std::pair<WholeSpinBox *, WholeSpinBox *>>;
    EntryKeys(QPushButton *measureButton, QPlainTextEdit *textEdit, const Points &points, const PointerKeys *pointer,
              QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *measureButton;
    QPlainTextEdit *textEdit;
    const PointerKeys *pointer;
    Points points;
};
