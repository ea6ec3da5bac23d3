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

// A label or a number box, named, in its grid cell; most are at least 18
// pixels tall.
template<class Widget>
Widget *addToGrid(QGridLayout *grid, Widget *widget, const char *name, int row, int column, bool tall = true)
{
    widget->setObjectName(name);
    if (tall)
        widget->setMinimumSize(QSize(0, 18));
    grid->addWidget(widget, row, column, 1, 1);
    return widget;
}

// Reaches -limit ... limit.
WholeSpinBox *numberBox(QWidget *parent, int limit)
{
    auto *box = new WholeSpinBox(parent);
    box->setMinimum(-limit);
    box->setMaximum(limit);
    return box;
}

// A group box of its preferred size, its children in a grid.
QGridLayout *groupGrid(QGroupBox *group, const char *gridName)
{
    auto *grid = new QGridLayout(group);
    grid->setSpacing(6);
    grid->setContentsMargins(11, 11, 11, 11);
    grid->setObjectName(gridName);
    return grid;
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

    // One row: the entries' column on the left, the picture on the right.
    auto *outerLayout = new QVBoxLayout(centralWidget);
    outerLayout->setSpacing(6);
    outerLayout->setContentsMargins(11, 11, 11, 11);
    outerLayout->setObjectName("verticalLayout_2");

    auto *rowLayout = new QHBoxLayout();
    rowLayout->setSpacing(6);
    rowLayout->setObjectName("horizontalLayout");

    auto *entriesLayout = new QVBoxLayout();
    entriesLayout->setSpacing(6);
    entriesLayout->setObjectName("verticalLayout");

    // The picture's points reach every pixel of a picture that loads; the
    // cursor and the picture's size are shown above and below them.
    pictureGroup = sized(new QGroupBox(centralWidget), "groupBox", QSizePolicy::Fixed, QSizePolicy::Fixed, QSize(150, 0));
    QGridLayout *pictureGrid = groupGrid(pictureGroup, "gridLayout");
    p1x = addToGrid(pictureGrid, numberBox(pictureGroup, maxPictureSide), "p1x", 3, 0);
    p1y = addToGrid(pictureGrid, numberBox(pictureGroup, maxPictureSide), "p1y", 3, 1);
    p1Label = addToGrid(pictureGrid, new QLabel(pictureGroup), "p1Label", 2, 0);
    p2Label = addToGrid(pictureGrid, new QLabel(pictureGroup), "p2Label", 4, 0);
    p2x = addToGrid(pictureGrid, numberBox(pictureGroup, maxPictureSide), "p2x", 5, 0);
    p2y = addToGrid(pictureGrid, numberBox(pictureGroup, maxPictureSide), "p2y", 5, 1);
    imageLabel = addToGrid(pictureGrid, new QLabel(pictureGroup), "imageLabel", 6, 0);
    wLabel = addToGrid(pictureGrid, new QLabel(pictureGroup), "wLabel", 7, 0);
    hLabel = addToGrid(pictureGrid, new QLabel(pictureGroup), "hLabel", 7, 1);
    cursorLabel = addToGrid(pictureGrid, new QLabel(pictureGroup), "cursorLabel", 0, 0, false);
    cursorXLabel = addToGrid(pictureGrid, new QLabel(pictureGroup), "cursorXLabel", 1, 0, false);
    cursorYLabel = addToGrid(pictureGrid, new QLabel(pictureGroup), "cursorYLabel", 1, 1, false);
    entriesLayout->addWidget(pictureGroup);

    // The world's points reach the largest world.
    worldGroup = sized(new QGroupBox(centralWidget), "groupBox_2", QSizePolicy::Fixed, QSizePolicy::Fixed, QSize(150, 0));
    QGridLayout *worldGrid = groupGrid(worldGroup, "gridLayout_2");
    r2x = addToGrid(worldGrid, numberBox(worldGroup, maxWorldCoordinate), "r2x", 3, 0);
    r1Label = addToGrid(worldGrid, new QLabel(worldGroup), "r1Label", 0, 0);
    r1y = addToGrid(worldGrid, numberBox(worldGroup, maxWorldCoordinate), "r1y", 1, 1);
    r1x = addToGrid(worldGrid, numberBox(worldGroup, maxWorldCoordinate), "r1x", 1, 0);
    r2Label = addToGrid(worldGrid, new QLabel(worldGroup), "r2Label", 2, 0, false);
    r2y = addToGrid(worldGrid, numberBox(worldGroup, maxWorldCoordinate), "r2y", 3, 1);
    entriesLayout->addWidget(worldGroup);

    measureButton = new QPushButton(centralWidget);
    measureButton->setObjectName("measureButton");
    placeButton = new QPushButton(centralWidget);
    placeButton->setObjectName("placeButton");
    auto *buttonsLayout = new QHBoxLayout();
    buttonsLayout->addWidget(measureButton);
    buttonsLayout->addWidget(placeButton);
    entriesLayout->addLayout(buttonsLayout);

    textEdit = sized(new QPlainTextEdit(centralWidget), "textEdit", QSizePolicy::Fixed, QSizePolicy::Expanding, QSize(200, 0));
    entriesLayout->addWidget(textEdit);

    entriesLayout->addItem(new QSpacerItem(20, 40, QSizePolicy::Minimum, QSizePolicy::Expanding));

    rowLayout->addLayout(entriesLayout);

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
    rowLayout->addWidget(viewArea);

    outerLayout->addLayout(rowLayout);

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
    pictureGroup->setTitle(tr("Your Visualization"));
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
    worldGroup->setTitle(tr("Quake (radiant)"));
    r1Label->setText(tr("1st Point"));
    r2Label->setText(tr("2nd Point"));
    measureButton->setText(tr("Measure"));
    placeButton->setText(tr("Place"));
    placeButton->setToolTip(tr("Place automatically (Ctrl+P): find where the picture lies in the level"));
}
