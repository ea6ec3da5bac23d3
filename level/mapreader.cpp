#include "level/mapreader.h"

#include "level/leveltokenizer.h"

namespace {

using Token = LevelTokenizer::Token;

class MapReader
{
public:
    MapReader(const QByteArray &text, const QString &name)
        : tokens(text, name)
    {
    }

    LevelRead read()
    {
        while (!tokens.atEnd() && readEntity()) {
        }
        if (tokens.failed())
            return {{}, tokens.error()};
        return {level, {}};
    }

private:
    // "( x y z )"
    std::optional<Vec3> point()
    {
        if (!tokens.expect('('))
            return std::nullopt;
        const std::optional<Vec3> point = tokens.vector();
        return point && tokens.expect(')') ? point : std::nullopt;
    }

    // A parenthesised list of numbers, as many as there are.
    bool skipNumbers()
    {
        if (!tokens.expect('('))
            return false;
        while (!tokens.nextIs(')')) {
            if (!tokens.number())
                return false;
        }
        return tokens.expect(')');
    }

    // What follows a face's texture: offsets, rotation, scales, the Valve 220
    // axes in brackets and the Quake 2 flags, all numbers.
    bool skipFaceRest()
    {
        while (!tokens.nextIs('(') && !tokens.nextIs('}')) {
            if (tokens.nextIs('[') || tokens.nextIs(']'))
                tokens.next();
            else if (!tokens.number())
                return false;
        }
        return true;
    }

    // Faces mostly share their texture with the face before: one copy serves.
    QByteArray sharedTexture(QByteArrayView name)
    {
        if (lastTexture != name)
            lastTexture = name.toByteArray();
        return lastTexture;
    }

    bool readFace(Brush *brush, bool primitive)
    {
        BrushFace face;
        for (Vec3 &corner : face.points) {
            const std::optional<Vec3> read = point();
            if (!read)
                return false;
            corner = *read;
        }
        // Brush primitives give the texture's axes as two rows of numbers.
        if (primitive && !(tokens.expect('(') && skipNumbers() && skipNumbers() && tokens.expect(')')))
            return false;
        const Token texture = tokens.next();
        if (!texture.isName()) {
            tokens.fail(texture, QStringLiteral("expected a texture"));
            return false;
        }
        if (!skipFaceRest())
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
    bool readPatch(LevelEntity *entity)
    {
        if (!tokens.expect('{') || !tokens.name() || !skipNumbers() || !tokens.expect('('))
            return false;
        Patch patch;
        while (!tokens.nextIs(')')) {
            if (!tokens.expect('('))
                return false;
            QList<Vec3> row;
            while (!tokens.nextIs(')')) {
                if (!tokens.expect('('))
                    return false;
                const std::optional<Vec3> point = tokens.vector();
                if (!point)
                    return false;
                while (!tokens.nextIs(')')) {
                    if (!tokens.number())
                        return false;
                }
                tokens.next();
                if (row.size() < maxBrushFaces)
                    row.append(*point);
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
    bool readBrush(LevelEntity *entity)
    {
        const Token &first = tokens.peek();
        if (first.kind == LevelTokenizer::Word && (first.text == "patchDef2" || first.text == "patchDef3")) {
            tokens.next();
            return readPatch(entity);
        }
        const bool primitive = first.kind == LevelTokenizer::Word && first.text == "brushDef";
        if (primitive && !(tokens.next().kind == LevelTokenizer::Word && tokens.expect('{')))
            return false;
        Brush brush;
        while (!tokens.nextIs('}')) {
            if (!tokens.nextIs('(')) {
                tokens.failHere(QStringLiteral("expected '(' or '}'"));
                return false;
            }
            if (!readFace(&brush, primitive))
                return false;
        }
        tokens.next();
        if (primitive && !tokens.expect('}'))
            return false;
        entity->brushes.append(brush);
        return true;
    }

    bool readEntity()
    {
        if (!tokens.expect('{'))
            return false;
        LevelEntity entity;
        for (;;) {
            const Token token = tokens.next();
            if (token.is('}'))
                break;
            if (token.is('{')) {
                if (!readBrush(&entity))
                    return false;
                continue;
            }
            if (token.kind != LevelTokenizer::String) {
                tokens.fail(token, QStringLiteral("expected '\"', '{' or '}'"));
                return false;
            }
            const Token value = tokens.next();
            if (value.kind != LevelTokenizer::String) {
                tokens.fail(value, QStringLiteral("expected '\"'"));
                return false;
            }
            if (token.text == "classname")
                entity.classname = value.text.toByteArray();
            else if (token.text == "origin")
                entity.origin = parseLevelVector(value.text.toByteArray());
        }
        level.entities.append(entity);
        return true;
    }

    LevelTokenizer tokens;
    Level level;
    QByteArray lastTexture;
};

} // namespace

LevelRead readMap(const QByteArray &text, const QString &name)
{
    return MapReader(text, name).read();
}
