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

        bool is(char punctuation) const { return kind == Punctuation && text[0] == punctuation; }
        bool isName() const { return kind == Word || kind == String; }
    };

    const Token &peek();
    Token next();
    bool atEnd() { return peek().kind == End; }
    // Whether the next token is this punctuation.
    bool nextIs(char punctuation) { return peek().is(punctuation); }

    // Each takes the next token or tokens, or records what was expected.
    bool expect(char punctuation);
    std::optional<double> number();
    std::optional<Vec3> vector(); // three numbers
    std::optional<QByteArray> name(); // a word or a quoted string

    // Where reading stopped, and why.
    struct Fault
    {
        int line = 0;
        int column = 0;
        QString message;
    };
    // Records a fault at this token unless one is recorded already.
    void fail(const Token &at, const QString &what);
    void failHere(const QString &what) { fail(peek(), what); }
    bool failed() const { return !fault.message.isEmpty(); }
    // "NAME:LINE:COLUMN: what", the one form every reader's fault takes.
    QString error() const;

private:
    void read();

    QByteArray text;
    QString fileName;
    qsizetype pos = 0;
    int line = 1;
    qsizetype lineStart = 0;
    Token ahead;
    bool haveAhead = false;
    Fault fault;
};

// A number as a level writes it, finite and within a sane world. A number
// written well but beyond that world sets outOfRange, if given.
std::optional<double> parseLevelNumber(QByteArrayView word, bool *outOfRange = nullptr);

// "x y z", as an entity's origin is written.
std::optional<Vec3> parseLevelVector(const QByteArray &text);
