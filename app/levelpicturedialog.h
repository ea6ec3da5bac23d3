#pragma once

#include <QDialog>

class QComboBox;
class QSpinBox;
class Session;

// "Make picture from level…": the session's level seen from above, at the
// size and in the style chosen, written to a PNG file that then becomes the
// session's picture, placed and measured, its placement on the clipboard.
class LevelPictureDialog : public QDialog
{
    Q_OBJECT

public:
    LevelPictureDialog(Session *session, QWidget *parent);

    // Writes the picture to path and takes it; returns why not, or nothing.
    QString make(const QString &path);

private:
    void chooseFile();

    Session *session;
    QSpinBox *sizeBox;
    QComboBox *styleBox;
};
