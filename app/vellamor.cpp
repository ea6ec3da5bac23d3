#include "vellamor.h"

#include "calibration.h"
#include "droppaths.h"
#include "paintwidget.h"

#include <QDragEnterEvent>
#include <QDropEvent>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QMouseEvent>
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

void Vellamor::mouseMoveEvent(QMouseEvent *event)
{
    // The picture is drawn at the view's origin, so view coordinates are
    // picture pixels. The central widget fills the window, which has no
    // menu or tool bar, so window and central widget coordinates agree.
    const QPoint pos = form.paintWidget->mapFromParent(event->position().toPoint());
    cursorX = pos.x();
    cursorY = pos.y();
    // The far bound is the size itself, one past the last pixel.
    if (cursorX < 0)
        cursorX = 0;
    if (cursorX > imageWidth)
        cursorX = imageWidth;
    if (cursorY < 0)
        cursorY = 0;
    if (cursorY > imageHeight)
        cursorY = imageHeight;
    form.cursorXLabel->setText(QStringLiteral("x = ") + QString::number(cursorX));
    form.cursorYLabel->setText(QStringLiteral("y = ") + QString::number(cursorY));
    form.centralWidget->repaint();
}

void Vellamor::keyPressEvent(QKeyEvent *event)
{
    const Qt::KeyboardModifiers modifiers = QGuiApplication::keyboardModifiers();
    if (modifiers & (Qt::ShiftModifier | Qt::ControlModifier))
        return;

    // Each setValue runs pChanged before the next step, and the boxes clamp
    // to their range. The second point is kept right of and below the first.
    if (event->key() == Qt::Key_F1) {
        if (cursorX == imageWidth)
            --cursorX;
        if (cursorY == imageHeight)
            --cursorY;
        form.p1x->setValue(cursorX);
        form.p1y->setValue(cursorY);
        if (form.p2x->value() < cursorX)
            form.p2x->setValue(cursorX + 1);
        if (form.p2y->value() < cursorY)
            form.p2y->setValue(cursorY + 1);
    } else if (event->key() == Qt::Key_F2) {
        if (cursorX == 0)
            ++cursorX;
        if (cursorY == 0)
            ++cursorY;
        form.p2x->setValue(cursorX);
        form.p2y->setValue(cursorY);
        if (cursorX < form.p1x->value())
            form.p1x->setValue(cursorX - 1);
        if (cursorY < form.p1y->value())
            form.p1y->setValue(cursorY - 1);
    }
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
