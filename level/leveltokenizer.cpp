#include "level/leveltokenizer.h"

#include <algorithm>
#include <charconv>
#include <cmath>

namespace {

bool isPunctuation(char c)
{
    return c == '{' || c == '}' || c == '(' || c == ')' || c == '[' || c == ']';
}

bool isSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

// Any control character but white space: binary data, not a level.
bool isControl(char c)
{
    return (uchar(c) < 0x20 && !isSpace(c)) || c == 0x7f;
}

// Far beyond any editor's world, still exact in a double's arithmetic.
constexpr double largestCoordinate = 1e9;

} // namespace

std::optional<double> parseLevelNumber(QByteArrayView word, bool *outOfRange)
{
    if (outOfRange)
        *outOfRange = false;
    // Most coordinates are whole numbers: read those at once.
    if (word.size() > 0 && word.size() < 10) {
        qsizetype i = word[0] == '-' || word[0] == '+' ? 1 : 0;
        qint64 whole = 0;
        for (; i < word.size() && word[i] >= '0' && word[i] <= '9'; ++i)
            whole = whole * 10 + (word[i] - '0');
        if (i == word.size() && word.size() > (word[0] == '-' || word[0] == '+' ? 1 : 0))
            return double(word[0] == '-' ? -whole : whole);
    }
    const char *first = word.constData();
    const char *last = first + word.size();
    if (first != last && *first == '+')
        ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (end != last || (error != std::errc() && error != std::errc::result_out_of_range) || std::isnan(value))
        return std::nullopt;
    if (error == std::errc::result_out_of_range || std::fabs(value) > largestCoordinate) {
        // "inf" is no number a level writes; "1e999" and "-1e30" are, too large.
        if (outOfRange)
            *outOfRange = std::none_of(first, last, [](char c) { return c == 'i' || c == 'I'; });
        return std::nullopt;
    }
    return value;
}

std::optional<Vec3> parseLevelVector(const QByteArray &text)
{
    const QList<QByteArray> parts = text.simplified().split(' ');
    if (parts.size() != 3)
        return std::nullopt;
    const std::optional<double> x = parseLevelNumber(parts[0]), y = parseLevelNumber(parts[1]),
                                z = parseLevelNumber(parts[2]);
    if (!x || !y || !z)
        return std::nullopt;
    return Vec3{*x, *y, *z};
}

LevelTokenizer::LevelTokenizer(const QByteArray &text, const QString &name)
    : text(text)
    , fileName(name)
{
    if (text.startsWith("\xEF\xBB\xBF"))
        pos = lineStart = 3;
}

const LevelTokenizer::Token &LevelTokenizer::peek()
{
    if (!haveAhead) {
        read();
        haveAhead = true;
    }
    return ahead;
}

LevelTokenizer::Token LevelTokenizer::next()
{
    peek();
    haveAhead = false;
    return ahead;
}

void LevelTokenizer::read()
{
    ahead = Token();
    if (failed())
        return;
    const char *data = text.constData();
    const qsizetype size = text.size();
    for (;;) {
        while (pos < size && isSpace(data[pos])) {
            if (data[pos++] == '\n') {
                ++line;
                lineStart = pos;
            }
        }
        if (pos + 1 < size && data[pos] == '/' && data[pos + 1] == '/') {
            while (pos < size && data[pos] != '\n')
                ++pos;
            continue;
        }
        break;
    }
    ahead.line = line;
    ahead.column = int(pos - lineStart) + 1;
    if (pos >= size)
        return;
    const char c = data[pos];
    if (isControl(c)) {
        fail(ahead, QStringLiteral("unexpected control character"));
        ahead.kind = End;
        return;
    }
    if (isPunctuation(c)) {
        ahead.kind = Punctuation;
        ahead.text = QByteArrayView(data + pos++, 1);
        return;
    }
    if (c == '"') {
        qsizetype close = pos + 1;
        while (close < size && data[close] != '"' && data[close] != '\n')
            ++close;
        if (close >= size || data[close] != '"') {
            fail(ahead, QStringLiteral("unterminated string"));
            ahead.kind = End;
            return;
        }
        ahead.kind = String;
        ahead.text = QByteArrayView(data + pos + 1, close - pos - 1);
        pos = close + 1;
        return;
    }
    const qsizetype start = pos;
    while (pos < size && !isSpace(data[pos]) && !isPunctuation(data[pos]) && data[pos] != '"' && !isControl(data[pos]))
        ++pos;
    ahead.kind = Word;
    ahead.text = QByteArrayView(data + start, pos - start);
}

bool LevelTokenizer::expect(char punctuation)
{
    const Token token = next();
    if (token.is(punctuation))
        return true;
    fail(token, QStringLiteral("expected '%1'").arg(QLatin1Char(punctuation)));
    return false;
}

std::optional<double> LevelTokenizer::number()
{
    const Token token = next();
    bool outOfRange = false;
    const std::optional<double> value = token.kind == Word ? parseLevelNumber(token.text, &outOfRange) : std::nullopt;
    if (!value)
        fail(token, outOfRange ? QStringLiteral("number out of range") : QStringLiteral("expected a number"));
    return value;
}

std::optional<Vec3> LevelTokenizer::vector()
{
    Vec3 point;
    for (double *axis : {&point.x, &point.y, &point.z}) {
        const std::optional<double> value = number();
        if (!value)
            return std::nullopt;
        *axis = *value;
    }
    return point;
}

std::optional<QByteArray> LevelTokenizer::name()
{
    const Token token = next();
    if (token.isName())
        return token.text.toByteArray();
    fail(token, QStringLiteral("expected a name"));
    return std::nullopt;
}

void LevelTokenizer::fail(const Token &at, const QString &what)
{
    if (failed())
        return;
    const QString found = at.kind == End && pos >= text.size() ? QStringLiteral(" (the file ends)") : QString();
    fault = {at.line, at.column, what + found};
    haveAhead = true;
    ahead = Token();
}

QString LevelTokenizer::error() const
{
    return failed() ? QStringLiteral("%1:%2:%3: %4").arg(fileName).arg(fault.line).arg(fault.column).arg(fault.message) : QString();
}
