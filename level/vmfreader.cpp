#include "level/vmfreader.h"

#include "level/leveltokenizer.h"

namespace {

// Deeper than any editor nests its blocks.
constexpr int maxDepth = 64;

using Token = LevelTokenizer::Token;

// "(x y z) (x y z) (x y z)", read with the tokenizer so that a fault inside
// is reported where the plane's value stands.
bool parsePlane(LevelTokenizer &tokens, const Token &value, BrushFace *face)
{
    LevelTokenizer inner(value.text.toByteArray(), QString());
    for (Vec3 &point : face->points) {
        const std::optional<Vec3> read = inner.expect('(') ? inner.vector() : std::nullopt;
        if (!read || !inner.expect(')')) {
            tokens.fail(value, QStringLiteral("expected a plane \"(x y z) (x y z) (x y z)\""));
            return false;
        }
        point = *read;
    }
    return true;
}

class VmfReader
{
public:
    VmfReader(const QByteArray &text, const QString &name)
        : tokens(text, name)
    {
    }

    LevelRead read()
    {
        while (!tokens.atEnd()) {
            const std::optional<QByteArray> name = tokens.name();
            if (!name || !tokens.expect('{'))
                break;
            if (*name == "world" || *name == "entity") {
                LevelEntity entity;
                if (*name == "world")
                    entity.classname = "worldspawn";
                if (!block(1, &entity, nullptr, nullptr))
                    break;
                level.entities.append(entity);
            } else if (!block(1, nullptr, nullptr, nullptr)) {
                break;
            }
        }
        if (tokens.failed())
            return {{}, tokens.error()};
        return {level, {}};
    }

private:
    // The rest of a block after its opening brace. Keys are taken for the
    // innermost of entity, solid and side that is given.
    bool block(int depth, LevelEntity *entity, Brush *brush, BrushFace *side)
    {
        if (depth > maxDepth) {
            tokens.failHere(QStringLiteral("blocks nested more than %1 deep").arg(maxDepth));
            return false;
        }
        for (;;) {
            const Token key = tokens.next();
            if (key.is('}'))
                return true;
            if (!key.isName()) {
                tokens.fail(key, QStringLiteral("expected a name or '}'"));
                return false;
            }
            if (tokens.nextIs('{')) {
                tokens.next();
                if (!child(depth, key.text.toByteArray(), entity, brush, side))
                    return false;
                continue;
            }
            const Token value = tokens.next();
            if (!value.isName()) {
                tokens.fail(value, QStringLiteral("expected a value or '{'"));
                return false;
            }
            if (side && key.text == "plane" && !parsePlane(tokens, value, side))
                return false;
            if (side && key.text == "material")
                side->texture = value.text.toByteArray();
            if (entity && !brush && key.text == "classname")
                entity->classname = value.text.toByteArray();
            if (entity && !brush && key.text == "origin")
                entity->origin = parseLevelVector(value.text.toByteArray());
        }
    }

    bool child(int depth, const QByteArray &name, LevelEntity *entity, Brush *brush, BrushFace *side)
    {
        if (entity && !brush && name == "solid") {
            Brush solid;
            if (!block(depth + 1, entity, &solid, nullptr))
                return false;
            entity->brushes.append(solid);
            return true;
        }
        if (brush && !side && name == "side") {
            BrushFace face;
            if (!block(depth + 1, entity, brush, &face))
                return false;
            if (brush->faces.size() < maxBrushFaces)
                brush->faces.append(face);
            else
                brush->tooManyFaces = true;
            return true;
        }
        // Anything else (editor, dispinfo, connections, ...) is read past.
        return block(depth + 1, nullptr, nullptr, nullptr);
    }

    LevelTokenizer tokens;
    Level level;
};

} // namespace

LevelRead readVmf(const QByteArray &text, const QString &name)
{
    return VmfReader(text, name).read();
}
