#include "form/mainform.h"

#include "core/calibration.h"
#include "form/wholespinbox.h"
#include "view/magnifier.h"
#include "view/paintwidget.h"
#include "view/picturearea.h"

#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSizePolicy>
#include <QSpacerItem>
#include <QVBoxLayout>

namespace {

// Names a widget and gives it a policy, with stretch 0 and its own
// height-for-width flag, and a minimum size.
template<class Widget>
Widget *sized(Widget *widget, const char *name, QSizePolicy::Policy horizontal, QSizePolicy::Policy vertical,
              QSize minimum)
{
    widget->setObjectName(name);
    QSizePolicy policy(horizontal, vertical);
    policy.setHorizontalStretch(0);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(widget->sizePolicy().hasHeightForWidth());
    widget->setSizePolicy(policy);
    widget->setMinimumSize(minimum);
    return widget;
}

// The group boxes' children in creation order, each in its grid cell: a
// spin box or a label, with or without a minimum height of 18.
struct GridChild
{
    int group;
    const char *name;
    int row;
    int column;
    WholeSpinBox *MainForm::*spinBox;
    QLabel *MainForm::*label;
    bool minimumHeight;
};

const GridChild gridChildren[] = {
    {0, "p1x", 3, 0, &MainForm::p1x, nullptr, true},
    {0, "p1y", 3, 1, &MainForm::p1y, nullptr, true},
    {0, "p1Label", 2, 0, nullptr, &MainForm::p1Label, true},
    {0, "p2Label", 4, 0, nullptr, &MainForm::p2Label, true},
    {0, "p2x", 5, 0, &MainForm::p2x, nullptr, true},
    {0, "p2y", 5, 1, &MainForm::p2y, nullptr, true},
    {0, "imageLabel", 6, 0, nullptr, &MainForm::imageLabel, true},
    {0, "wLabel", 7, 0, nullptr, &MainForm::wLabel, true},
    {0, "hLabel", 7, 1, nullptr, &MainForm::hLabel, true},
    {0, "cursorLabel", 0, 0, nullptr, &MainForm::cursorLabel, false},
    {0, "cursorXLabel", 1, 0, nullptr, &MainForm::cursorXLabel, false},
    {0, "cursorYLabel", 1, 1, nullptr, &MainForm::cursorYLabel, false},
    {1, "r2x", 3, 0, &MainForm::r2x, nullptr, true},
    {1, "r1Label", 0, 0, nullptr, &MainForm::r1Label, true},
    {1, "r1y", 1, 1, &MainForm::r1y, nullptr, true},
    {1, "r1x", 1, 0, &MainForm::r1x, nullptr, true},
    {1, "r2Label", 2, 0, nullptr, &MainForm::r2Label, false},
    {1, "r2y", 3, 1, &MainForm::r2y, nullptr, true},
};

// A group box of its preferred size with its children in a grid. Picture
// points reach every pixel of a picture that loads; world points the
// largest world.
QGroupBox *createGroupBox(MainForm *form, int group, const char *name, const char *gridName)
{
    auto *groupBox = sized(new QGroupBox(form->centralWidget), name, QSizePolicy::Fixed, QSizePolicy::Fixed, QSize(150, 0));
    auto *grid = new QGridLayout(groupBox);
    grid->setSpacing(6);
    grid->setContentsMargins(11, 11, 11, 11);
    grid->setObjectName(gridName);
    const int limit = group == 0 ? maxPictureSide : maxWorldCoordinate;
    for (const GridChild &child : gridChildren) {
        if (child.group != group)
            continue;
        QWidget *widget = nullptr;
        if (child.spinBox) {
            auto *spinBox = new WholeSpinBox(groupBox);
            spinBox->setMinimum(-limit);
            spinBox->setMaximum(limit);
            widget = form->*child.spinBox = spinBox;
        } else {
            widget = form->*child.label = new QLabel(groupBox);
        }
        widget->setObjectName(child.name);
        if (child.minimumHeight)
            widget->setMinimumSize(QSize(0, 18));
        grid->addWidget(widget, child.row, child.column, 1, 1);
    }
    return groupBox;
}

} // namespace

void MainForm::setupForm(QMainWindow *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName("VellamorClass");
    window->resize(684, 609);
    // Built in at the sizes a window's frame and task bar use.
    QIcon icon;
    for (const int size : {16, 32, 48, 64})
        icon.addFile(QStringLiteral(":/icons/%1.png").arg(size), QSize(size, size));
    window->setWindowIcon(icon);
    window->setAcceptDrops(true);
    // With tracking on the window and on the view, a hover with no button
    // held reaches the window's cursor handling; otherwise Qt only sends
    // moves while a button is down.
    window->setMouseTracking(true);

    centralWidget = new QWidget(window);
    centralWidget->setObjectName("centralWidget");
    centralWidget->setMouseTracking(true);

    auto *verticalLayout_2 = new QVBoxLayout(centralWidget);
    verticalLayout_2->setSpacing(6);
    verticalLayout_2->setContentsMargins(11, 11, 11, 11);
    verticalLayout_2->setObjectName("verticalLayout_2");

    auto *horizontalLayout = new QHBoxLayout();
    horizontalLayout->setSpacing(6);
    horizontalLayout->setObjectName("horizontalLayout");

    auto *verticalLayout = new QVBoxLayout();
    verticalLayout->setSpacing(6);
    verticalLayout->setObjectName("verticalLayout");

    groupBox = createGroupBox(this, 0, "groupBox", "gridLayout");
    verticalLayout->addWidget(groupBox);
    groupBox_2 = createGroupBox(this, 1, "groupBox_2", "gridLayout_2");
    verticalLayout->addWidget(groupBox_2);

    measureButton = new QPushButton(centralWidget);
    measureButton->setObjectName("measureButton");
    verticalLayout->addWidget(measureButton);

    textEdit = sized(new QPlainTextEdit(centralWidget), "textEdit", QSizePolicy::Fixed, QSizePolicy::Expanding, QSize(200, 0));
    verticalLayout->addWidget(textEdit);

    verticalLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));

    horizontalLayout->addLayout(verticalLayout);

    // The view scrolls inside its area once the window would outgrow the
    // screen; the loupe floats over it.
    viewArea = sized(new PictureArea(centralWidget), "viewArea", QSizePolicy::Expanding, QSizePolicy::Expanding,
                     QSize(400, 400));
    paintWidget = sized(new PaintWidget(viewArea), "paintWidget", QSizePolicy::Expanding, QSizePolicy::Expanding,
                        QSize(400, 400));
    // A hover passes up to the window only through widgets that track it.
    for (QWidget *widget : {static_cast<QWidget *>(paintWidget), viewArea->viewport(), static_cast<QWidget *>(viewArea)})
        widget->setMouseTracking(true);
    viewArea->setWidget(paintWidget);
    magnifier = new Magnifier(viewArea->viewport(), paintWidget);
    magnifier->setObjectName("magnifier");
    // What the level reads, or why it cannot be read, over the picture's
    // corner wherever it is scrolled to.
    levelLabel = new QLabel(viewArea->viewport());
    levelLabel->setObjectName("levelLabel");
    levelLabel->setAutoFillBackground(true);
    levelLabel->setMargin(3);
    levelLabel->move(4, 4);
    levelLabel->setAttribute(Qt::WA_TransparentForMouseEvents);
    levelLabel->hide();
    horizontalLayout->addWidget(viewArea);

    verticalLayout_2->addLayout(horizontalLayout);

    window->setCentralWidget(centralWidget);

    QWidget::setTabOrder(p1x, p1y);
    QWidget::setTabOrder(p1y, p2x);
    QWidget::setTabOrder(p2x, p2y);
    QWidget::setTabOrder(p2y, r1x);
    QWidget::setTabOrder(r1x, r1y);
    QWidget::setTabOrder(r1y, r2x);
    QWidget::setTabOrder(r2x, r2y);
    QWidget::setTabOrder(r2y, measureButton);

    retranslateForm(window);
}

void MainForm::retranslateForm(QMainWindow *window)
{
    window->setWindowTitle(tr("Vellamor"));
    groupBox->setTitle(tr("Your Visualization"));
    p1x->setPrefix(tr("x = "));
    p1y->setPrefix(tr("y = "));
    p1Label->setText(tr("1st Point (F1)"));
    p2Label->setText(tr("2nd Point (F2)"));
    p2x->setPrefix(tr("x = "));
    p2y->setPrefix(tr("y = "));
    imageLabel->setText(tr("Image"));
    wLabel->setText(tr("w = 0"));
    hLabel->setText(tr("h = 0"));
    cursorLabel->setText(tr("Cursor"));
    cursorXLabel->setText(tr("x = 0"));
    cursorYLabel->setText(tr("y = 0"));
    groupBox_2->setTitle(tr("Quake (radiant)"));
    r1Label->setText(tr("1st Point"));
    r2Label->setText(tr("2nd Point"));
    measureButton->setText(tr("Measure"));
}
