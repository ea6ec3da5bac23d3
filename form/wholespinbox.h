#pragma once

#include <QSpinBox>

class QPointF;

// A spin box of whole units that alters nothing silently: a typed or given
// decimal is rounded to the nearest unit and the box says so, and a number
// beyond its range is refused with the reason, never clamped. The note
// stays in the box's tooltip until its value changes otherwise.
class WholeSpinBox : public QSpinBox
{
public:
    explicit WholeSpinBox(QWidget *parent = nullptr);

    // Takes a number as an editor gives it; false, and the reason shown,
    // when it is refused.
    bool setEntry(double number);
    // Shows a note or a refusal at the box, at once and in its tooltip.
    void showNote(const QString &note);
    QString note() const { return toolTip(); }

    // Both boxes of a point take a position, or neither does; returns why
    // not, or nothing.
    static QString setPoint(WholeSpinBox *x, WholeSpinBox *y, QPointF position);
    // Pasted text: one number for this box, or "x y [z]" for the point's two
    // boxes; anything else is refused with a note. False when the box's own
    // editor should paste it as usual: a number that fits where it goes.
    bool paste(const QString &text, WholeSpinBox *pointX, WholeSpinBox *pointY);

protected:
    QValidator::State validate(QString &input, int &pos) const override;
    int valueFromText(const QString &text) const override;

private:
    // The value the note speaks of; another value ends the note.
    std::optional<int> notedValue;
};
