#pragma once

// What every section of the benchmark shares: the rounds, the display for
// Xvfb, the statistics, the pictures and the platforms.

#include "core/picturefile.h"
#include "framewatch.h"
#include "level/footprints.h"
#include "level/levelfile.h"
#include "picturewindow.h"
#include "testsupport.h"
#include "view/levelview.h"
#include "view/magnifier.h"
#include "view/picturearea.h"

#include <QAction>
#include <QElapsedTimer>
#include <QImageReader>
#include <QLabel>
#include <QMainWindow>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QRegularExpression>
#include <QSysInfo>
#include <QScrollBar>
#include <QThread>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <functional>
#include <cstdio>

extern int rounds;
extern QString xvfbDisplay;

double elapsedMs(const QElapsedTimer &timer);
double percentile(QList<double> values, double p);
double median(const QList<double> &values);
double minimum(const QList<double> &values);
QString ms(double value);
QString ratioCells(const QList<double> &ours, const QList<double> &limit);
QList<double> sums(const QList<double> &a, const QList<double> &b);
void print(const QString &line);
QImage mapPicture(int size, bool alpha);

struct Picture
{
    QString label;
    QString path;
    int size;
};

QList<Picture> writePictures(const QTemporaryDir &dir, const QList<int> &sizes);
void showAndWait(QWidget &window);
QImage decode(const QString &path);
QProcessEnvironment platform(const QString &name);
QStringList platforms();
QString platformLabel(const QString &name);
// Runs a child section on the offscreen platform here, then on Xvfb.
void inChildren(const char *option, int (*child)(const QStringList &), const QStringList &paths);
QStringList jpegPaths(const QList<Picture> &pictures);

// The sections, each in a file of its own, and their child modes.
void benchStartup();
void benchPictureStart(const QList<Picture> &pictures);
void benchDrop(const QList<Picture> &pictures);
void benchMemory(const QList<Picture> &pictures);
int peakChild(const QString &path);
void benchCursor(const QList<Picture> &pictures);
void benchScroll(const QList<Picture> &pictures);
int cursorChild(const QStringList &paths);
int scrollChild(const QStringList &paths);
void benchLevel(const QTemporaryDir &dir, const QList<Picture> &pictures);
int levelChild(const QStringList &paths);
int levelWindowChild(const QStringList &paths);
void benchMeasure(const QTemporaryDir &dir);
