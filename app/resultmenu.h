#pragma once

#include "core/calibration.h"

#include <QObject>
#include <QSize>
#include <QString>

#include <optional>

class QPlainTextEdit;
class QPoint;
class QWidget;

// The result text box's menu: its own entries, and the last Measure in the
// forms other tools read, copied or saved as a world file. Made from the
// last Measure rather than from the text, which the user may have edited.
class ResultMenu : public QObject
{
    Q_OBJECT

public:
    ResultMenu(QPlainTextEdit *textEdit, QWidget *window);

    // What Measure gave for a picture of that size and file (none for a
    // pasted one), and the text box's tooltip.
    void setResult(const std::optional<Calibration> &calibration, QSize picture, const QString &path);
    // No result: the text box is emptied and every entry disabled.
    void clear();
    // The folder a pasted picture's world file is proposed in.
    void setFolder(const QString &folder) { pictureFolder = folder; }
    // With a level loaded, the overview and the world file take its name.
    void setLevelName(const QString &name) { levelName = name; }

private:
    void showMenu(QPoint pos);
    void showSaveDialog(const QString &picturePath, const QString &name, const QString &text);
    void save(const QString &path, const QString &text);

    struct Measured
    {
        Calibration calibration;
        QSize picture;
        QString path;
    };
    std::optional<Measured> measured;
    QString pictureFolder;
    QString levelName;
    QPlainTextEdit *textEdit;
    QWidget *window;
};
