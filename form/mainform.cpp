#include "mainform.h"

#include "paintwidget.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMainWindow>
#include <QMetaObject>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSizePolicy>
#include <QSpacerItem>
#include <QSpinBox>
#include <QVBoxLayout>

namespace {

// Stretch 0 and the widget's own height-for-width flag, as for every policy
// the form sets.
void applySizePolicy(QWidget *widget, QSizePolicy::Policy horizontal, QSizePolicy::Policy vertical)
{
    QSizePolicy policy(horizontal, vertical);
    policy.setHorizontalStretch(0);
    policy.setVerticalStretch(0);
    policy.setHeightForWidth(widget->sizePolicy().hasHeightForWidth());
    widget->setSizePolicy(policy);
}

QSpinBox *createSpinBox(QWidget *parent, const char *name)
{
    auto *spinBox = new QSpinBox(parent);
    spinBox->setObjectName(name);
    spinBox->setMinimumSize(QSize(0, 18));
    spinBox->setMinimum(-9999);
    spinBox->setMaximum(9999);
    return spinBox;
}

QLabel *createLabel(QWidget *parent, const char *name, bool minimumHeight)
{
    auto *label = new QLabel(parent);
    label->setObjectName(name);
    if (minimumHeight)
        label->setMinimumSize(QSize(0, 18));
    return label;
}

QGridLayout *createGrid(QGroupBox *groupBox, const char *name)
{
    auto *grid = new QGridLayout(groupBox);
    grid->setSpacing(6);
    grid->setContentsMargins(11, 11, 11, 11);
    grid->setObjectName(name);
    return grid;
}

QString tr(const char *text)
{
    return QCoreApplication::translate("VellamorClass", text, nullptr);
}

} // namespace

void MainForm::setupForm(QMainWindow *window)
{
    if (window->objectName().isEmpty())
        window->setObjectName("VellamorClass");
    window->resize(684, 609);
    window->setAcceptDrops(true);
    // With tracking on the window and on the view, a hover with no button
    // held reaches the window's cursor handling; otherwise Qt only sends
    // moves while a button is down.
    window->setMouseTracking(true);

    centralWidget = new QWidget(window);
    centralWidget->setObjectName("centralWidget");
    centralWidget->setMouseTracking(true);

    verticalLayout_2 = new QVBoxLayout(centralWidget);
    verticalLayout_2->setSpacing(6);
    verticalLayout_2->setContentsMargins(11, 11, 11, 11);
    verticalLayout_2->setObjectName("verticalLayout_2");

    horizontalLayout = new QHBoxLayout();
    horizontalLayout->setSpacing(6);
    horizontalLayout->setObjectName("horizontalLayout");

    verticalLayout = new QVBoxLayout();
    verticalLayout->setSpacing(6);
    verticalLayout->setObjectName("verticalLayout");

    groupBox = new QGroupBox(centralWidget);
    groupBox->setObjectName("groupBox");
    applySizePolicy(groupBox, QSizePolicy::Fixed, QSizePolicy::Fixed);
    groupBox->setMinimumSize(QSize(150, 0));
    gridLayout = createGrid(groupBox, "gridLayout");

    p1x = createSpinBox(groupBox, "p1x");
    gridLayout->addWidget(p1x, 3, 0, 1, 1);
    p1y = createSpinBox(groupBox, "p1y");
    gridLayout->addWidget(p1y, 3, 1, 1, 1);
    p1Label = createLabel(groupBox, "p1Label", true);
    gridLayout->addWidget(p1Label, 2, 0, 1, 1);
    p2Label = createLabel(groupBox, "p2Label", true);
    gridLayout->addWidget(p2Label, 4, 0, 1, 1);
    p2x = createSpinBox(groupBox, "p2x");
    gridLayout->addWidget(p2x, 5, 0, 1, 1);
    p2y = createSpinBox(groupBox, "p2y");
    gridLayout->addWidget(p2y, 5, 1, 1, 1);
    imageLabel = createLabel(groupBox, "imageLabel", true);
    gridLayout->addWidget(imageLabel, 6, 0, 1, 1);
    wLabel = createLabel(groupBox, "wLabel", true);
    gridLayout->addWidget(wLabel, 7, 0, 1, 1);
    hLabel = createLabel(groupBox, "hLabel", true);
    gridLayout->addWidget(hLabel, 7, 1, 1, 1);
    cursorLabel = createLabel(groupBox, "cursorLabel", false);
    gridLayout->addWidget(cursorLabel, 0, 0, 1, 1);
    cursorXLabel = createLabel(groupBox, "cursorXLabel", false);
    gridLayout->addWidget(cursorXLabel, 1, 0, 1, 1);
    cursorYLabel = createLabel(groupBox, "cursorYLabel", false);
    gridLayout->addWidget(cursorYLabel, 1, 1, 1, 1);
    verticalLayout->addWidget(groupBox);

    groupBox_2 = new QGroupBox(centralWidget);
    groupBox_2->setObjectName("groupBox_2");
    applySizePolicy(groupBox_2, QSizePolicy::Fixed, QSizePolicy::Fixed);
    groupBox_2->setMinimumSize(QSize(150, 0));
    gridLayout_2 = createGrid(groupBox_2, "gridLayout_2");

    r2x = createSpinBox(groupBox_2, "r2x");
    gridLayout_2->addWidget(r2x, 3, 0, 1, 1);
    r1Label = createLabel(groupBox_2, "r1Label", true);
    gridLayout_2->addWidget(r1Label, 0, 0, 1, 1);
    r1y = createSpinBox(groupBox_2, "r1y");
    gridLayout_2->addWidget(r1y, 1, 1, 1, 1);
    r1x = createSpinBox(groupBox_2, "r1x");
    gridLayout_2->addWidget(r1x, 1, 0, 1, 1);
    r2Label = createLabel(groupBox_2, "r2Label", false);
    gridLayout_2->addWidget(r2Label, 2, 0, 1, 1);
    r2y = createSpinBox(groupBox_2, "r2y");
    gridLayout_2->addWidget(r2y, 3, 1, 1, 1);
    verticalLayout->addWidget(groupBox_2);

    measureButton = new QPushButton(centralWidget);
    measureButton->setObjectName("measureButton");
    verticalLayout->addWidget(measureButton);

    textEdit = new QPlainTextEdit(centralWidget);
    textEdit->setObjectName("textEdit");
    applySizePolicy(textEdit, QSizePolicy::Fixed, QSizePolicy::Expanding);
    textEdit->setMinimumSize(QSize(200, 0));
    verticalLayout->addWidget(textEdit);

    verticalSpacer = new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding);
    verticalLayout->addItem(verticalSpacer);

    horizontalLayout->addLayout(verticalLayout);

    paintWidget = new PaintWidget(centralWidget);
    paintWidget->setObjectName("paintWidget");
    applySizePolicy(paintWidget, QSizePolicy::Expanding, QSizePolicy::Expanding);
    paintWidget->setMinimumSize(QSize(400, 400));
    paintWidget->setMouseTracking(true);
    horizontalLayout->addWidget(paintWidget);

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

    QMetaObject::connectSlotsByName(window);
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
