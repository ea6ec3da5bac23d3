#pragma once

#include "calibration.h"
#include "footprints.h"

#include <QObject>
#include <QString>

#include <optional>

class PaintWidget;
class QLabel;

// The level drawn over the picture: read from its file, turned into
// footprints once, and placed in the picture's pixels by each Measure, so
// that it shows what the printed numbers mean.
class LevelLayer : public QObject
{
    Q_OBJECT

public:
    LevelLayer(PaintWidget *view, QLabel *label, QObject *parent);

    // Replaces the level; a file that cannot be read drops the previous one
    // and says why, with its line and column. Returns that reason.
    QString load(const QString &path);
    QString path() const { return levelPath; }
    const Footprints &footprints() const { return world; }
    // The entries of the last Measure, or none when it gave no result.
    void place(const std::optional<CalibrationEntries> &entries);
    void setShown(bool shown);

private:
    void update();

    PaintWidget *view;
    QLabel *label;
    Footprints world;
    QString levelPath;
    std::optional<CalibrationEntries> placement;
    bool shown = true;
};
