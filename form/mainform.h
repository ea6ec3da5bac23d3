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
class QSpinBox;
class QWidget;

// Builds the main window's children and holds pointers to them, in creation
// order. The window owns the widgets through Qt's parent-child ownership.
struct MainForm
{
    Q_DECLARE_TR_FUNCTIONS(VellamorClass)

public:
    QWidget *centralWidget = nullptr;
    QGroupBox *groupBox = nullptr;
    QSpinBox *p1x = nullptr;
    QSpinBox *p1y = nullptr;
    QLabel *p1Label = nullptr;
    QLabel *p2Label = nullptr;
    QSpinBox *p2x = nullptr;
    QSpinBox *p2y = nullptr;
    QLabel *imageLabel = nullptr;
    QLabel *wLabel = nullptr;
    QLabel *hLabel = nullptr;
    QLabel *cursorLabel = nullptr;
    QLabel *cursorXLabel = nullptr;
    QLabel *cursorYLabel = nullptr;
    QGroupBox *groupBox_2 = nullptr;
    QSpinBox *r2x = nullptr;
    QLabel *r1Label = nullptr;
    QSpinBox *r1y = nullptr;
    QSpinBox *r1x = nullptr;
    QLabel *r2Label = nullptr;
    QSpinBox *r2y = nullptr;
    QPushButton *measureButton = nullptr;
    QPlainTextEdit *textEdit = nullptr;
    PictureArea *viewArea = nullptr;
    PaintWidget *paintWidget = nullptr;
    Magnifier *magnifier = nullptr;
    QLabel *levelLabel = nullptr;

    void setupForm(QMainWindow *window);
    void retranslateForm(QMainWindow *window);
};
