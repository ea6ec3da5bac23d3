#include "form/entrytext.h"

#include <QRegularExpression>
#include <QStringList>

#include <cmath>

namespace {

// The text of a number as the user sees it, without a trailing ".0".
QString shown(double number)
{
    return QString::number(number, 'g', 12);
}

} // namespace

WholeEntry wholeEntry(double number, int limit)
{
    const double rounded = std::round(number);
    if (!std::isfinite(number) || std::fabs(rounded) > limit)
        return {0, {}, QStringLiteral("%1 lies beyond the boxes' range, -%2 to %2").arg(shown(number)).arg(limit)};
    return {int(rounded), rounded == number ? QString() : QStringLiteral("rounded from %1").arg(shown(number)), {}};
}

std::optional<QList<double>> entryNumbers(const QString &text)
{
    static const QRegularExpression separators(QStringLiteral("\\s*[,\\s]\\s*"));
    static const QRegularExpression decimal(QStringLiteral("^[+-]?(\\d+\\.?\\d*|\\.\\d+)$"));
    QString plain = text.trimmed();
    plain.replace(QChar(0x2212), QLatin1Char('-')); // a typographic minus
    const QStringList parts = plain.split(separators);
    if (parts.size() > 3)
        return std::nullopt;
    QList<double> numbers;
    for (const QString &part : parts) {
        if (!decimal.match(part).hasMatch())
            return std::nullopt;
        numbers.append(part.toDouble());
    }
    return numbers;
}
