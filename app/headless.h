#pragma once

#include <QString>

struct CommandLine;

// What a mode without a window printed, and how it ended: 0 done, 1 a
// usage error, 2 a file that could not be read or written, 3 no confident
// placement.
struct Headless
{
    int status = 0;
    QString out;
    QString err;
};

// --render: the level seen from above written to the picture named, and
// its placement printed as Measure prints it.
Headless renderLevel(const CommandLine &line);

// --place: where the picture lies in the level, in the format asked for,
// or why no placement can be trusted.
Headless placeOnLevel(const CommandLine &line);
