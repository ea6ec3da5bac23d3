#include "vellamor.h"

#include "calibration.h"
#include "droppaths.h"
#include "paintwidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSpinBox>

Vellamor::Vellamor(QWidget *parent, Qt::WindowFlags flags)
    : QMainWindow(parent, flags)
{
    form.setupForm(this);

    connect(form.measureButton, SIGNAL(pressed()), this, SLOT(compute()));
    connect(form.p1x, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));
    connect(form.p1y, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));
    connect(form.p2x, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));
    connect(form.p2y, SIGNAL(valueChanged(int)), this, SLOT(pChanged(int)));

    form.paintWidget->pickRefs[0] = &pickX1;
    form.paintWidget->pickRefs[1] = &pickY1;
    form.paintWidget->pickRefs[2] = &pickX2;
    form.paintWidget->pickRefs[3] = &pickY2;

    imageHeight = 0;
    imageWidth = 0;
}

Vellamor::~Vellamor() = default;

void Vellamor::compute()
{
    readPicks();

    CalibrationEntries entries;
    entries.imageWidth = imageWidth;
    entries.imageHeight = imageHeight;
    entries.x1 = pickX1;
    entries.y1 = pickY1;
    entries.x2 = pickX2;
    entries.y2 = pickY2;
    entries.worldX1 = form.r1x->value();
    entries.worldY1 = form.r1y->value();
    entries.worldX2 = form.r2x->value();
    entries.worldY2 = form.r2y->value();

    form.textEdit->setPlainText(calibrationText(calibrate(entries)));
}

void Vellamor::pChanged(int)
{
    readPicks();
    form.paintWidget->repaint();
}

void Vellamor::readPicks()
{
    pickX1 = form.p1x->value();
    pickY1 = form.p1y->value();
    pickX2 = form.p2x->value();
    pickY2 = form.p2y->value();
}

void Vellamor::dragEnterEvent(QDragEnterEvent *event)
{
    if (isPictureDrop(dropPaths(event->mimeData())))
        event->accept();
}

void Vellamor::dropEvent(QDropEvent *event)
{
    const QStringList paths = dropPaths(event->mimeData());
    if (paths.isEmpty())
        return;
    form.paintWidget->loadImage(paths.first(), &imageWidth, &imageHeight);
    form.wLabel->setText(QStringLiteral("w = ") + QString::number(imageWidth));
    form.hLabel->setText(QStringLiteral("h = ") + QString::number(imageHeight));
    form.paintWidget->repaint();
}
