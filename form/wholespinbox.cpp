#include "form/wholespinbox.h"

#include "form/entrytext.h"

#include <QLineEdit>
#include <QPointF>
#include <QRegularExpression>
#include <QToolTip>

#include <cmath>

namespace {

bool isDecimal(const QString &text)
{
    static const QRegularExpression decimal(QStringLiteral("^[+-]?\\d*\\.\\d*$"));
    return decimal.match(text).hasMatch();
}

} // namespace

WholeSpinBox::WholeSpinBox(QWidget *parent)
    : QSpinBox(parent)
{
    connect(this, &QSpinBox::valueChanged, this, [this](int value) {
        if (notedValue && *notedValue != value) {
            notedValue.reset();
            setToolTip(QString());
        }
    });
    // While the user types a decimal, the box says at once what it keeps.
    connect(this, &QSpinBox::textChanged, this, [this](const QString &text) {
        bool ok = false;
        const double number = isDecimal(text) ? text.toDouble(&ok) : 0;
        if (!ok)
            return;
        const WholeEntry entry = wholeEntry(number, maximum());
        if (!entry.note.isEmpty()) {
            notedValue = entry.value;
            showNote(entry.note);
        }
    });
}

bool WholeSpinBox::setEntry(double number)
{
    const WholeEntry entry = wholeEntry(number, maximum());
    if (!entry.refusal.isEmpty()) {
        notedValue = value();
        showNote(entry.refusal);
        return false;
    }
    setValue(entry.value);
    notedValue = entry.value;
    showNote(entry.note);
    return true;
}

void WholeSpinBox::showNote(const QString &note)
{
    setToolTip(note);
    if (note.isEmpty())
        notedValue.reset();
    else if (isVisible())
        QToolTip::showText(mapToGlobal(QPoint(0, height())), note, this);
}

QString WholeSpinBox::setPoint(WholeSpinBox *x, WholeSpinBox *y, QPointF position)
{
    for (const auto &[box, number] : {std::pair(x, position.x()), std::pair(y, position.y())}) {
        const WholeEntry entry = wholeEntry(number, box->maximum());
        if (!entry.refusal.isEmpty()) {
            box->notedValue = box->value();
            box->showNote(entry.refusal);
            return entry.refusal;
        }
    }
    x->setEntry(position.x());
    y->setEntry(position.y());
    return {};
}

bool WholeSpinBox::paste(const QString &text, WholeSpinBox *pointX, WholeSpinBox *pointY)
{
    const std::optional<QList<double>> numbers = entryNumbers(text);
    if (!numbers) {
        const QString shown = text.simplified();
        notedValue = value();
        showNote(QStringLiteral("Not pasted: \u201c%1\u201d is neither a number nor a position x y [z]")
                         .arg(shown.size() > 40 ? shown.left(39) + QChar(0x2026) : shown));
        return true;
    }
    if (numbers->size() > 1) {
        setPoint(pointX, pointY, QPointF(numbers->at(0), numbers->at(1)));
        return true;
    }
    // Where the number joins what the box holds into a number, it is
    // pasted as text; otherwise it replaces the box's value.
    const QLineEdit *edit = lineEdit();
    QString joined = edit->text();
    const int start = edit->hasSelectedText() ? edit->selectionStart() : edit->cursorPosition();
    joined.replace(start, int(edit->selectedText().size()), text.trimmed());
    int pos = start;
    if (validate(joined, pos) == QValidator::Acceptable)
        return false;
    setEntry(numbers->first());
    return true;
}

QValidator::State WholeSpinBox::validate(QString &input, int &pos) const
{
    if (!isDecimal(input))
        return QSpinBox::validate(input, pos);
    bool ok = false;
    const double number = input.toDouble(&ok);
    if (!ok) // "-." on the way to "-.5"
        return QValidator::Intermediate;
    return wholeEntry(number, maximum()).refusal.isEmpty() ? QValidator::Acceptable : QValidator::Intermediate;
}

int WholeSpinBox::valueFromText(const QString &text) const
{
    if (!isDecimal(text))
        return QSpinBox::valueFromText(text);
    return wholeEntry(text.toDouble(), maximum()).value;
}
