#pragma once

#include <QObject>
#include <QString>

class QPlainTextEdit;
class QPoint;
class QWidget;
class Session;

// The result text box: the session's result as Measure prints it, with its
// scale in the tooltip, and its menu: the box's own entries, and the result
// in the forms other tools read, copied or saved as a world file. Made from
// the session rather than from the text, which the user may have edited.
class ResultMenu : public QObject
{
    Q_OBJECT

public:
    ResultMenu(QPlainTextEdit *textEdit, const Session *session, QWidget *window);

private:
    void showResult();
    void showMenu(QPoint pos);
    void showSaveDialog(const QString &picturePath, const QString &name, const QString &text);
    void save(const QString &path, const QString &text);

    const Session *session;
    // The folder a pasted picture's world file is proposed in: the last
    // picture's.
    QString pictureFolder;
    QPlainTextEdit *textEdit;
    QWidget *window;
};
