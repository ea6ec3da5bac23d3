#pragma once

#include <QCoreApplication>

class Magnifier;
class PaintWidget;
class PictureArea;
class QGroupBox;
class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QPushButton;
class QWidget;
class WholeSpinBox;

// Builds the main window's children and holds pointers to them, in creation
// order: the picture's group (cursor, points, size), the world's group, the
// Measure button and the Place button beside it, the text box, and the picture's view with the loupe and
// the level's note over it. The window owns the widgets through Qt's
// parent-child ownership.
struct MainForm
{
    Q_DECLARE_TR_FUNCTIONS(VellamorClass)

public:
    QWidget *centralWidget = nullptr;
    QGroupBox *pictureGroup = nullptr;
    WholeSpinBox *p1x = nullptr;
    WholeSpinBox *p1y = nullptr;
    QLabel *p1Label = nullptr;
    QLabel *p2Label = nullptr;
    WholeSpinBox *p2x = nullptr;
    WholeSpinBox *p2y = nullptr;
    QLabel *imageLabel = nullptr;
    QLabel *wLabel = nullptr;
    QLabel *hLabel = nullptr;
    QLabel *cursorLabel = nullptr;
    QLabel *cursorXLabel = nullptr;
    QLabel *cursorYLabel = nullptr;
    QGroupBox *worldGroup = nullptr;
    WholeSpinBox *r2x = nullptr;
    QLabel *r1Label = nullptr;
    WholeSpinBox *r1y = nullptr;
    WholeSpinBox *r1x = nullptr;
    QLabel *r2Label = nullptr;
    WholeSpinBox *r2y = nullptr;
    QPushButton *measureButton = nullptr;
    QPushButton *placeButton = nullptr;
    QPlainTextEdit *textEdit = nullptr;
    PictureArea *viewArea = nullptr;
    PaintWidget *paintWidget = nullptr;
    Magnifier *magnifier = nullptr;
    QLabel *levelLabel = nullptr;

    void setupForm(QMainWindow *window);
    void retranslateForm(QMainWindow *window);
};
