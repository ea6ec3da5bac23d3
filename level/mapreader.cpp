#include "level/mapreader.h"

#include "level/leveltokenizer.h"

namespace {

bool isPunctuation(const LevelTokenizer::Token &token, char c)
{
    return token.kind == LevelTokenizer::Punctuation && token.text[0] == c;
}

bool readPoint(LevelTokenizer &tokens, Vec3 *point)
{
    if (!tokens.expect('('))
        return false;
    for (double *axis : {&point->x, &point->y, &point->z}) {
        const std::optional<double> value = tokens.number();
        if (!value)
            return false;
        *axis = *value;
    }
    return tokens.expect(')');
}

// A parenthesised list of numbers, as many as there are.
bool skipNumbers(LevelTokenizer &tokens)
{
    if (!tokens.expect('('))
        return false;
    while (!isPunctuation(tokens.peek(), ')')) {
        if (!tokens.number())
            return false;
    }
    return tokens.expect(')');
}

// Written like a number; the value itself is not needed.
bool numeric(QByteArrayView word)
{
    if (word.isEmpty())
        return false;
    for (const char c : word) {
        if (!((c >= '0' && c <= '9') || c == '-' || c == '+' || c == '.' || c == 'e' || c == 'E'))
            return false;
    }
    return true;
}

// What follows a face's texture: offsets, rotation, scales, the Valve 220
// axes in brackets and the Quake 2 flags, all numbers.
bool skipFaceRest(LevelTokenizer &tokens)
{
    for (;;) {
        const LevelTokenizer::Token &token = tokens.peek();
        if (isPunctuation(token, '(') || isPunctuation(token, '}'))
            return true;
        if (!isPunctuation(token, '[') && !isPunctuation(token, ']') && !numeric(token.text)) {
            tokens.failHere(QStringLiteral("expected a number"));
            return false;
        }
        tokens.next();
    }
}

// Faces mostly share their texture with the face before: one copy serves.
QByteArray sharedTexture(QByteArrayView name)
{
    static thread_local QByteArray last;
    if (last != name)
        last = name.toByteArray();
    return last;
}

bool readFace(LevelTokenizer &tokens, Brush *brush, bool primitive)
{
    BrushFace face;
    for (Vec3 &point : face.points) {
        if (!readPoint(tokens, &point))
            return false;
    }
    // Brush primitives give the texture's axes as two rows of numbers.
    if (primitive && !(tokens.expect('(') && skipNumbers(tokens) && skipNumbers(tokens) && tokens.expect(')')))
        return false;
    const LevelTokenizer::Token texture = tokens.next();
    if (texture.kind != LevelTokenizer::Word && texture.kind != LevelTokenizer::String) {
        tokens.fail(texture, QStringLiteral("expected a texture"));
        return false;
    }
    if (!skipFaceRest(tokens))
        return false;
    face.texture = sharedTexture(texture.text);
    if (brush->faces.size() < maxBrushFaces)
        brush->faces.append(face);
    else
        brush->tooManyFaces = true;
    return true;
}

// patchDef2 and patchDef3: a texture, a header of numbers, then rows of
// control points ( x y z s t ).
bool readPatch(LevelTokenizer &tokens, LevelEntity *entity)
{
    if (!tokens.expect('{') || !tokens.name() || !skipNumbers(tokens) || !tokens.expect('('))
        return false;
    Patch patch;
    while (!isPunctuation(tokens.peek(), ')')) {
        if (!tokens.expect('('))
            return false;
        QList<Vec3> row;
        while (!isPunctuation(tokens.peek(), ')')) {
            Vec3 point;
            if (!tokens.expect('('))
                return false;
            for (double *axis : {&point.x, &point.y, &point.z}) {
                const std::optional<double> value = tokens.number();
                if (!value)
                    return false;
                *axis = *value;
            }
            while (!isPunctuation(tokens.peek(), ')')) {
                if (!tokens.number())
                    return false;
            }
            tokens.next();
            if (row.size() < maxBrushFaces)
                row.append(point);
        }
        tokens.next();
        if (patch.grid.size() < maxBrushFaces)
            patch.grid.append(row);
    }
    if (!tokens.expect(')') || !tokens.expect('}') || !tokens.expect('}'))
        return false;
    entity->patches.append(patch);
    return true;
}

// After the brush's opening brace.
bool readBrush(LevelTokenizer &tokens, LevelEntity *entity)
{
    const LevelTokenizer::Token &first = tokens.peek();
    if (first.kind == LevelTokenizer::Word && (first.text == "patchDef2" || first.text == "patchDef3")) {
        tokens.next();
        return readPatch(tokens, entity);
    }
    const bool primitive = first.kind == LevelTokenizer::Word && first.text == "brushDef";
    if (primitive && !(tokens.next().kind == LevelTokenizer::Word && tokens.expect('{')))
        return false;
    Brush brush;
    while (!isPunctuation(tokens.peek(), '}')) {
        if (!isPunctuation(tokens.peek(), '(')) {
            tokens.failHere(QStringLiteral("expected '(' or '}'"));
            return false;
        }
        if (!readFace(tokens, &brush, primitive))
            return false;
    }
    tokens.next();
    if (primitive && !tokens.expect('}'))
        return false;
    entity->brushes.append(brush);
    return true;
}

bool readEntity(LevelTokenizer &tokens, Level *level)
{
    if (!tokens.expect('{'))
        return false;
    LevelEntity entity;
    for (;;) {
        const LevelTokenizer::Token token = tokens.next();
        if (isPunctuation(token, '}'))
            break;
        if (isPunctuation(token, '{')) {
            if (!readBrush(tokens, &entity))
                return false;
            continue;
        }
        if (token.kind != LevelTokenizer::String) {
            tokens.fail(token, QStringLiteral("expected '\"', '{' or '}'"));
            return false;
        }
        const LevelTokenizer::Token value = tokens.next();
        if (value.kind != LevelTokenizer::String) {
            tokens.fail(value, QStringLiteral("expected '\"'"));
            return false;
        }
        if (token.text == "classname")
            entity.classname = value.text.toByteArray();
        else if (token.text == "origin")
            entity.origin = parseLevelVector(value.text.toByteArray());
    }
    level->entities.append(entity);
    return true;
}

} // namespace

LevelRead readMap(const QByteArray &text, const QString &name)
{
    LevelTokenizer tokens(text, name);
    LevelRead read;
    while (!tokens.atEnd() && readEntity(tokens, &read.level)) {
    }
    if (tokens.failed())
        return {{}, tokens.error()};
    return read;
}
