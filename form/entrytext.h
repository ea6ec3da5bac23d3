#pragma once

#include <QList>
#include <QString>

#include <optional>

// What a typed, pasted or picked number means for a box of whole units.
struct WholeEntry
{
    int value = 0;
    QString note;    // "rounded from -544.5" when the number had a fraction
    QString refusal; // why the number cannot be taken; then value is 0
};

// The number rounded to the nearest whole unit (halves away from zero), or
// refused when that lies beyond -limit ... limit.
WholeEntry wholeEntry(double number, int limit);

// One to three numbers as an editor copies a position: "-17.82",
// "1024 -768 64", "1024, -768" or tab-separated; nothing for anything else.
std::optional<QList<double>> entryNumbers(const QString &text);
