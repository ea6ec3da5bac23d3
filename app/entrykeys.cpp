#include "app/entrykeys.h"

#include "app/pointerkeys.h"
#include "app/transferrules.h"
#include "form/wholespinbox.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QPlainTextEdit>
#include <QPushButton>

EntryKeys::EntryKeys(QPushButton *measureButton, QPlainTextEdit *textEdit, const Points &points,
                     const PointerKeys *pointer, QObject *parent)
    : QObject(parent)
    , measureButton(measureButton)
    , textEdit(textEdit)
    , pointer(pointer)
    , points(points)
{
    for (const auto &[x, y] : points) {
        x->installEventFilter(this);
        y->installEventFilter(this);
    }
    textEdit->installEventFilter(this);
}

bool EntryKeys::eventFilter(QObject *watched, QEvent *event)
{
    if (event->type() != QEvent::ShortcutOverride && event->type() != QEvent::KeyPress)
        return false;
    const auto *key = static_cast<QKeyEvent *>(event);
    // Filtered out, the override never reaches the box, and the window's
    // shortcut acts.
    if (event->type() == QEvent::ShortcutOverride) {
        if (key->matches(QKeySequence::Paste))
            return pasteLoadsPicture(QGuiApplication::clipboard()->mimeData(), watched == textEdit);
        if (key->key() >= Qt::Key_Left && key->key() <= Qt::Key_Down) {
            // Taken here, an arrow reaches the box, not the window's nudge.
            event->setAccepted(!pointer->pointerOnPicture());
            return true;
        }
        return (key->key() == Qt::Key_Z || key->key() == Qt::Key_L) && key->modifiers() == Qt::NoModifier
                && watched != textEdit;
    }
    // Pasted text is taken whole, so that nothing is dropped silently.
    if (event->type() == QEvent::KeyPress && watched != textEdit && key->matches(QKeySequence::Paste)) {
        for (const auto &[x, y] : points) {
            if (watched == x || watched == y)
                return static_cast<WholeSpinBox *>(watched)->paste(QGuiApplication::clipboard()->text(), x, y);
        }
    }
    if (event->type() == QEvent::KeyPress && watched != textEdit
        && (key->key() == Qt::Key_Return || key->key() == Qt::Key_Enter)) {
        static_cast<QAbstractSpinBox *>(watched)->interpretText();
        measureButton->click();
        return true;
    }
    return false;
}
