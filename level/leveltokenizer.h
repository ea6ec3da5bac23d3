#pragma once

#include "level/level.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

// Splits a level's text into tokens: the punctuation { } ( ) [ ], quoted
// strings, and words (names and numbers), past white space of any kind,
// line ends of either kind, a UTF-8 byte-order mark and // comments. The
// first fault found is kept with its line and column, and from then on every
// token is the end.
class LevelTokenizer
{
public:
    LevelTokenizer(const QByteArray &text, const QString &name);

    enum Kind { End, Punctuation, String, Word };
    // A token's text points into the level's text, which the tokenizer keeps.
    struct Token
    {
        Kind kind = End;
        QByteArrayView text;
        int line = 1;
        int column = 1;
    };

    const Token &peek();
    Token next();
    bool atEnd() { return peek().kind == End; }

    // Each takes the next token, or records what was expected there.
    bool expect(char punctuation);
    std::optional<double> number();
    std::optional<QByteArray> name(); // a word or a quoted string

    // Records a fault at this token unless one is recorded already.
    void fail(const Token &at, const QString &what);
    void failHere(const QString &what) { fail(peek(), what); }
    bool failed() const { return !fault.isEmpty(); }
    QString error() const { return fault; }

private:
    void read();

    QByteArray text;
    QString fileName;
    qsizetype pos = 0;
    int line = 1;
    qsizetype lineStart = 0;
    Token ahead;
    bool haveAhead = false;
    QString fault;
};

// A number as a level writes it, finite and within a sane world. A number
// written well but beyond that world sets outOfRange, if given.
std::optional<double> parseLevelNumber(QByteArrayView word, bool *outOfRange = nullptr);

// "x y z", as an entity's origin is written.
std::optional<Vec3> parseLevelVector(const QByteArray &text);
