#pragma once

#include "level/level.h"

// Reads a Source .vmf (KeyValues): the world and entity blocks with their
// solids, each side's plane and material; every other block is read past.
// `name` heads error messages.
LevelRead readVmf(const QByteArray &text, const QString &name);
