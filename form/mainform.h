#pragma once

class PaintWidget;
class QGridLayout;
class QGroupBox;
class QHBoxLayout;
class QLabel;
class QMainWindow;
class QPlainTextEdit;
class QPushButton;
class QSpacerItem;
class QSpinBox;
class QVBoxLayout;
class QWidget;

// Holds pointers to every child of the main window, in creation order.
// The window owns the widgets through Qt's parent-child ownership.
struct MainForm
{
    QWidget *centralWidget = nullptr;
    QVBoxLayout *verticalLayout_2 = nullptr;
    QHBoxLayout *horizontalLayout = nullptr;
    QVBoxLayout *verticalLayout = nullptr;
    QGroupBox *groupBox = nullptr;
    QGridLayout *gridLayout = nullptr;
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
    QGridLayout *gridLayout_2 = nullptr;
    QSpinBox *r2x = nullptr;
    QLabel *r1Label = nullptr;
    QSpinBox *r1y = nullptr;
    QSpinBox *r1x = nullptr;
    QLabel *r2Label = nullptr;
    QSpinBox *r2y = nullptr;
    QPushButton *measureButton = nullptr;
    QPlainTextEdit *textEdit = nullptr;
    QSpacerItem *verticalSpacer = nullptr;
    PaintWidget *paintWidget = nullptr;

    void setupForm(QMainWindow *window);
    void retranslateForm(QMainWindow *window);
};
