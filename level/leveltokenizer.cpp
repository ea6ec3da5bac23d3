#include "leveltokenizer.h"

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

std::optional<double> parseLevelNumber(const QByteArray &word)
{
    const char *first = word.constData();
    const char *last = first + word.size();
    if (first != last && *first == '+')
        ++first;
    double value = 0;
    const auto [end, error] = std::from_chars(first, last, value);
    if (error != std::errc() || end != last || !std::isfinite(value) || std::fabs(value) > largestCoordinate)
        return std::nullopt;
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
    for (;;) {
        while (pos < text.size() && isSpace(text[pos])) {
            if (text[pos++] == '\n') {
                ++line;
                lineStart = pos;
            }
        }
        if (pos + 1 < text.size() && text[pos] == '/' && text[pos + 1] == '/') {
            while (pos < text.size() && text[pos] != '\n')
                ++pos;
            continue;
        }
        break;
    }
    ahead.line = line;
    ahead.column = int(pos - lineStart) + 1;
    if (pos >= text.size())
        return;
    const char c = text[pos];
    if (isControl(c)) {
        fail(ahead, QStringLiteral("unexpected control character"));
        ahead.kind = End;
        return;
    }
    if (isPunctuation(c)) {
        ahead.kind = Punctuation;
        ahead.text = text.mid(pos++, 1);
        return;
    }
    if (c == '"') {
        const qsizetype close = text.indexOf('"', pos + 1);
        const qsizetype lineEnd = text.indexOf('\n', pos + 1);
        if (close < 0 || (lineEnd >= 0 && lineEnd < close)) {
            fail(ahead, QStringLiteral("unterminated string"));
            ahead.kind = End;
            return;
        }
        ahead.kind = String;
        ahead.text = text.mid(pos + 1, close - pos - 1);
        pos = close + 1;
        return;
    }
    const qsizetype start = pos;
    while (pos < text.size() && !isSpace(text[pos]) && !isPunctuation(text[pos]) && text[pos] != '"'
           && !isControl(text[pos]))
        ++pos;
    ahead.kind = Word;
    ahead.text = text.mid(start, pos - start);
}

bool LevelTokenizer::expect(char punctuation)
{
    const Token token = next();
    if (token.kind == Punctuation && token.text[0] == punctuation)
        return true;
    fail(token, QStringLiteral("expected '%1'").arg(QLatin1Char(punctuation)));
    return false;
}

std::optional<double> LevelTokenizer::number()
{
    const Token token = next();
    const std::optional<double> value = token.kind == Word ? parseLevelNumber(token.text) : std::nullopt;
    if (!value)
        fail(token, QStringLiteral("expected a number"));
    return value;
}

std::optional<QByteArray> LevelTokenizer::name()
{
    const Token token = next();
    if (token.kind == Word || token.kind == String)
        return token.text;
    fail(token, QStringLiteral("expected a name"));
    return std::nullopt;
}

void LevelTokenizer::fail(const Token &at, const QString &what)
{
    if (failed())
        return;
    const QString found = at.kind == End && pos >= text.size() ? QStringLiteral(" (the file ends)") : QString();
    fault = QStringLiteral("%1:%2:%3: %4%5").arg(fileName).arg(at.line).arg(at.column).arg(what, found);
    haveAhead = true;
    ahead = Token();
}
