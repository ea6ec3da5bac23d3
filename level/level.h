#pragma once

#include <QByteArray>
#include <QList>
#include <QString>

#include <optional>

// A level as its editor wrote it: entities with their brushes, given as the
// planes of their faces, and curved patches, given as control grids. World
// units, z up.

struct Vec3
{
    double x = 0;
    double y = 0;
    double z = 0;
};

// A face's plane, through three points; the brush lies behind it.
struct BrushFace
{
    Vec3 points[3];
    QByteArray texture;
};

struct Brush
{
    QList<BrushFace> faces;
    // More faces than a brush may have: left out, and counted.
    bool tooManyFaces = false;
};

struct Patch
{
    QList<QList<Vec3>> grid;
};

struct LevelEntity
{
    QByteArray classname;
    std::optional<Vec3> origin;
    QList<Brush> brushes;
    QList<Patch> patches;
};

struct Level
{
    QList<LevelEntity> entities;
};

// A level read from a file, or why it could not be: "NAME:LINE:COLUMN: ...".
struct LevelRead
{
    Level level;
    QString error;
};

// The most faces a brush may have; the editors stop far below.
constexpr int maxBrushFaces = 1024;
