#pragma once

#include "core/calibration.h"
#include "level/footprints.h"

#include <QObject>
#include <QString>

#include <optional>

struct MainForm;
class LevelView;
class QWidget;

// The level: read from its file and turned into footprints once, drawn
// over the picture where each Measure places it, so that it shows what the
// printed numbers mean, and shown from above in a window of its own, where
// the world points are picked on the level and the measured picture lies
// under it.
class LevelLayer : public QObject
{
    Q_OBJECT

public:
    LevelLayer(const MainForm &form, QWidget *window);

    // Replaces the level; a file that cannot be read drops the previous one
    // and says why, with its line and column. Returns that reason.
    QString load(const QString &path);
    // The last level asked for, read or not, and whether it was read.
    QString path() const { return levelPath; }
    bool loaded() const { return levelRead; }
    // The entries of the last Measure, or none when it gave no result.
    void place(const std::optional<CalibrationEntries> &entries);
    void setShown(bool shown);
    void showWindow();

private:
    void placePicture();
    void placeOverlay();
    void showWorldPoints();

    const MainForm &form;
    QWidget *window;
    LevelView *levelView = nullptr;
    Footprints world;
    QString levelPath;
    bool levelRead = false;
    std::optional<CalibrationEntries> placement;
    bool shown = true;
};
