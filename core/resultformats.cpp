#include "core/resultformats.h"

#include <QFileInfo>
#include <QLocale>

#include <cmath>

namespace {

// The shortest decimal that is exact, or else exact to a millionth of a
// unit: no exponent, no trailing zeros.
QString number(double value)
{
    QString text = QString::number(value, 'f', QLocale::FloatingPointShortest);
    if (text.size() - text.indexOf('.') <= 10 || !text.contains('.'))
        return text == QLatin1String("-0") ? QStringLiteral("0") : text;
    text = QString::number(value, 'f', 6);
    while (text.endsWith('0'))
        text.chop(1);
    if (text.endsWith('.'))
        text.chop(1);
    return text == QLatin1String("-0") ? QStringLiteral("0") : text;
}

// Safe in a POSIX shell whatever the text holds; in the Windows prompt, a
// path in double quotes, which no Windows file name holds.
QString shellQuoted(QString text, Shell shell)
{
    if (shell == Shell::WindowsPrompt)
        return '"' + text.replace('/', '\\') + '"';
    return '\'' + text.replace('\'', QStringLiteral("'\\''")) + '\'';
}

// KeyValues ends a quoted string at '"', reads '\' as an escape and braces
// as blocks in some readers; line ends and other controls break the line.
QString keyValuesName(QString name)
{
    for (QChar &c : name) {
        if (c == '"' || c == '\\' || c == '{' || c == '}' || c.category() == QChar::Other_Control)
            c = '_';
    }
    return name;
}

double unitsPerPixelX(const Calibration &c, QSize picture)
{
    return (c.exactEndX - c.exactOriginX) / picture.width();
}

double unitsPerPixelY(const Calibration &c, QSize picture)
{
    return (c.exactOriginY - c.exactEndY) / picture.height();
}

} // namespace

QString worldspawnKeys(const Calibration &c)
{
    return QStringLiteral("\"mapcoordsmins\" \"%1 %2\"\n\"mapcoordsmaxs\" \"%3 %4\"\n")
            .arg(number(c.exactOriginX), number(c.exactOriginY), number(c.exactEndX), number(c.exactEndY));
}

QString sourceOverview(const Calibration &c, const QString &name)
{
    const QString width = number(c.exactEndX - c.exactOriginX);
    const QString height = number(c.exactOriginY - c.exactEndY);
    QString text;
    if (width != height)
        text = QStringLiteral("// Not square: the picture spans %1 x %2 world units, but a radar picture "
                              "must be square.\n").arg(width, height);
    return text + QStringLiteral("\"%1\"\n{\n\t\"material\"\t\"overviews/%1\"\n\t\"pos_x\"\t\"%2\"\n"
                                 "\t\"pos_y\"\t\"%3\"\n\t\"scale\"\t\"%4\"\n\t\"rotate\"\t\"0\"\n}\n")
            .arg(keyValuesName(name), number(c.exactOriginX), number(c.exactOriginY),
                 number((c.exactEndX - c.exactOriginX) / 1024)); // in one pass: a "%2" in the name stays as it is
}

QString exactCorners(const Calibration &c)
{
    return QStringLiteral("%1 %2 to %3 %4").arg(number(c.exactOriginX), number(c.exactOriginY),
                                                number(c.exactEndX), number(c.exactEndY));
}

QString worldFile(const Calibration &c, QSize picture)
{
    const double a = unitsPerPixelX(c, picture);
    const double e = -unitsPerPixelY(c, picture);
    return QStringList{number(a), QStringLiteral("0"), QStringLiteral("0"), number(e),
                       number(c.exactOriginX + a / 2), number(c.exactOriginY + e / 2)}.join('\n') + '\n';
}

QString gdalCommand(const Calibration &c, const QString &picturePath,
                    const std::function<bool(const QString &)> &exists, Shell shell)
{
    const QFileInfo picture(picturePath);
    const QString stem = picture.path() + '/' + picture.completeBaseName();
    // Never over the picture itself or any other file.
    QString target = stem + QStringLiteral(".tif");
    for (int n = 1; target == picturePath || exists(target); ++n)
        target = stem + QStringLiteral("-placed") + (n > 1 ? '-' + QString::number(n) : QString()) + ".tif";
    return QStringLiteral("gdal_translate -a_ullr %1 %2 %3 %4 %5 %6")
            .arg(number(c.exactOriginX), number(c.exactOriginY), number(c.exactEndX), number(c.exactEndY),
                 shellQuoted(picturePath, shell), shellQuoted(target, shell));
}

QString worldFileSuffix(const QString &picturePath)
{
    const QString suffix = QFileInfo(picturePath).suffix().toLower();
    if (suffix.size() < 2)
        return QStringLiteral("wld");
    return QString(suffix.front()) + suffix.back() + 'w';
}

QString scaleCheck(const Calibration &c, QSize picture)
{
    const double x = unitsPerPixelX(c, picture);
    const double y = unitsPerPixelY(c, picture);
    QString text = QStringLiteral("x: %1 units per pixel, y: %2 units per pixel; exactly %3")
                           .arg(number(x), number(y), exactCorners(c));
    const double smaller = std::min(x, y);
    const double disagreement = (std::max(x, y) / smaller - 1) * 100;
    if (disagreement > 1)
        text += QStringLiteral("\nThe two axes disagree by %1 %, which usually means a reference point was "
                               "picked or typed wrong, or the picture is stretched.")
                        .arg(number(std::round(disagreement * 10) / 10));
    return text;
}

QString validEntriesHint()
{
    return QStringLiteral("Entries are valid when a picture is loaded, the 2nd point lies right of and below "
                          "the 1st, and world x grows and world y falls from the 1st point to the 2nd.");
}
