#pragma once

#include <QObject>

struct MainForm;
class QPlainTextEdit;
class QPushButton;

// Keys in the entry boxes: Return in a number box presses Measure, like a
// dialog's default button, and Ctrl+V leaves a copied picture to the
// window's Paste where the box would otherwise take it as text.
class EntryKeys : public QObject
{
public:
    EntryKeys(const MainForm &form, QObject *parent);

protected:
    bool eventFilter(QObject *watched, QEvent *event) override;

private:
    QPushButton *measureButton;
    QPlainTextEdit *textEdit;
};
