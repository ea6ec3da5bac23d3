#pragma once

#include "level/level.h"

// Reads the level file at path: a .vmf as Source KeyValues, anything else
// as an id Tech .map. Only regular files of at most maxLevelBytes are read.
LevelRead readLevel(const QString &path);

constexpr qint64 maxLevelBytes = qint64(512) << 20;
