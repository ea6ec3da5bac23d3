#pragma once

#include "level/level.h"

// Reads an id Tech .map: entities of key/value pairs and brushes, whose
// faces are in the standard form (Quake, Quake 2, Quake 3, Enemy
// Territory), the Valve 220 form, or Quake 3 brush primitives (brushDef);
// and curved patches (patchDef2, patchDef3). `name` heads error messages.
LevelRead readMap(const QByteArray &text, const QString &name);
