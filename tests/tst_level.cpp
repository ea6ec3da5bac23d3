#include "level/footprints.h"
#include "level/levelfile.h"
#include "level/mapreader.h"
#include "level/vmfreader.h"
#include "testsupport.h"

#if defined(Q_OS_LINUX)
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

// Faces of the cube 0..64 on each axis: three points on each plane, clockwise
// seen from outside, as id Tech writes them; then what follows the texture.
QByteArray cube(const QByteArray &texture, const QByteArray &rest = "0 0 0 1 1")
{
    QByteArray faces;
    for (const char *points : {"( 64 0 64 ) ( 0 0 64 ) ( 0 64 64 )", "( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 )",
                               "( 64 64 0 ) ( 64 0 0 ) ( 64 0 64 )", "( 0 0 64 ) ( 0 0 0 ) ( 0 64 0 )",
                               "( 0 64 64 ) ( 0 64 0 ) ( 64 64 0 )", "( 64 0 0 ) ( 0 0 0 ) ( 0 0 64 )"})
        faces += QByteArray(points) + ' ' + texture + ' ' + rest + '\n';
    return "{\n" + faces + "}\n";
}

// Outlines ("x,y x,y ...", one per brush or patch, joined by " | "), marks
// and the brushes left out as not closed.
QString describe(const Footprints &f)
{
    QStringList outlines, marks;
    for (const QPolygonF &outline : f.outlines) {
        QStringList points;
        for (const QPointF &p : outline)
            points << QString("%1,%2").arg(p.x()).arg(p.y());
        outlines << points.join(' ');
    }
    for (const QPointF &p : f.marks)
        marks << QString("%1,%2").arg(p.x()).arg(p.y());
    return QString("%1; marks %2; skipped %3").arg(outlines.join(" | "), marks.join(' ')).arg(f.skipped);
}

const QString square = "0,0 64,0 64,64 0,64";

} // namespace

class TestLevel : public QObject
{
    Q_OBJECT

private slots:
    void dialects_data();
    void dialects();
    void badInput_data();
    void badInput();
    void toolTextures_data();
    void toolTextures();
    void origins_data();
    void origins();
    void summary_data();
    void summary();
    void sample();
    void addressSpace();
};

void TestLevel::dialects_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("footprints");

    const QByteArray world = "{\n\"classname\" \"worldspawn\"\n";
    QTest::newRow("Quake cube, an empty message") << "q1.map" << world + "\"message\" \"\"\n" + cube("wbrick1_5") + "}\n" << square + "; marks ; skipped 0";
    QTest::newRow("Quake 2 cube with flags, as large as a level gets") << "q2.map" << world + cube("e1u1/floor1_3", "0 0 0 1 1 0 0 0").replace("64", "524288") + "}\n" << "0,0 524288,0 524288,524288 0,524288; marks ; skipped 0";
    QTest::newRow("Valve 220 cube") << "v.map" << world + cube("__TB_empty", "[ 1 0 0 0 ] [ 0 -1 0 0 ] 0 1 1") + "}\n" << square + "; marks ; skipped 0";
    // A pillar of eight sides, and a sliver whose two middle corners stand 1/127 unit out of line.
    QByteArray brushes;
    for (const QList<QPoint> &corners : {QList<QPoint>{{-32, -80}, {32, -80}, {80, -32}, {80, 32}, {32, 80}, {-32, 80}, {-80, 32}, {-80, -32}},
                                         QList<QPoint>{{0, 0}, {64, 1}, {127, 2}, {63, 1}}}) {
        brushes += "{\nbrushDef\n{\n";
        for (qsizetype i = 0; i < corners.size(); ++i) {
            const QPoint a = corners[i], b = corners[(i + 1) % corners.size()];
            brushes += QString("( %1 %2 0 ) ( %3 %4 0 ) ( %3 %4 64 ) ( ( 0.0078125 0 0 ) ( 0 0.0078125 0 ) ) common/caulk 0 0 0\n")
                               .arg(b.x()).arg(b.y()).arg(a.x()).arg(a.y()).toLatin1();
        }
        brushes += "( 64 0 64 ) ( 0 0 64 ) ( 0 64 64 ) ( ( 0.0078125 0 0 ) ( 0 0.0078125 0 ) ) gothic_floor/floor 0 0 0\n"
                   "( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 ) ( ( 0.0078125 0 0 ) ( 0 0.0078125 0 ) ) gothic_floor/floor 0 0 0\n}\n}\n";
    }
    QTest::newRow("Quake 3 brush primitives: a pillar, a sliver") << "q3.map" << world + brushes + "}\n" << "-80,-32 -32,-80 32,-80 80,-32 80,32 32,80 -32,80 -80,32 | 0,0 64,1 127,2 63,1; marks ; skipped 0";
    const QByteArray arch = "( ( ( 0 0 0 0 0 ) ( 0 32 64 0 0 ) ( 0 64 0 0 0 ) ) ( ( 32 0 0 0 0 ) ( 32 32 64 0 0 ) ( 32 64 0 0 0 ) )"
                            " ( ( 64 0 0 0 0 ) ( 64 32 64 0 0 ) ( 64 64 0 0 0 ) ) )\n}\n}\n";
    const QString archOutline = "0,32 0,0 64,0 64,64 0,64";
    QTest::newRow("patchDef2 arch") << "p2.map" << world + "{\npatchDef2\n{\ngothic_trim/arch\n( 3 3 0 0 0 )\n" + arch + "}\n" << archOutline + "; marks ; skipped 0";
    QTest::newRow("patchDef3 arch of two rows of two; a patch of one row not drawn") << "p3.map" << world + "{\npatchDef3\n{\n\"textures/arch\"\n( 3 3 4 4 0 0 0 )\n"
               + QByteArray(arch).replace(" ( ( 32 0 0 0 0 ) ( 32 32 64 0 0 ) ( 32 64 0 0 0 ) )", "").replace(" ( 0 32 64 0 0 )", "").replace(" ( 64 32 64 0 0 )", "") + "{\npatchDef2\n{\nrow\n( 3 1 0 0 0 )\n( ( ( 0 0 0 0 0 ) ( 9 9 0 0 0 ) ( 64 64 0 0 0 ) ) )\n}\n}\n}\n" << "64,0 64,64 0,64 0,0; marks ; skipped 0";
    QTest::newRow("a pipe lying down closes seen from above") << "pipe.map" << world + "{\npatchDef2\n{\npipe\n( 3 3 0 0 0 )\n("
            " ( ( 0 -32 0 0 0 ) ( 0 32 32 0 0 ) ( 0 -32 64 0 0 ) ) ( ( 32 -32 0 0 0 ) ( 32 32 32 0 0 ) ( 32 -32 64 0 0 ) )"
            " ( ( 64 -32 0 0 0 ) ( 64 32 32 0 0 ) ( 64 -32 64 0 0 ) ) )\n}\n}\n}\n" << "32,32 0,32 0,-32 64,-32 64,32; marks ; skipped 0";
    QTest::newRow("a wall patch standing upright is a line to its farthest point") << "wall.map" << world + "{\npatchDef2\n{\nwall\n( 3 3 0 0 0 )\n("
            " ( ( 0 0 0 0 0 ) ( 32 0 0 0 0 ) ( 64 0 0 0 0 ) ) ( ( 0 0 32 0 0 ) ( 32 0 32 0 0 ) ( 96 0 32 0 0 ) )"
            " ( ( -32 0 64 0 0 ) ( 32 0 64 0 0 ) ( 64 0 64 0 0 ) ) )\n}\n}\n}\n" << "0,0 32,0 64,0 96,0 64,0 32,0 -32,0 0,0; marks ; skipped 0";
    QTest::newRow("a brush of tool and visible faces drawn") << "mixed.map" << world + cube("common/clip").replace("( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 ) common/clip", "( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 ) floor") + "}\n" << square + "; marks ; skipped 0";
    QTest::newRow("an upright patch of two distinct points is a line") << "two.map" << world + "{\npatchDef2\n{\nwall\n( 3 3 0 0 0 )\n( ( ( 0 0 0 0 0 ) ( 64 0 0 0 0 ) ( 64 0 0 0 0 ) ) ( ( 64 0 32 0 0 ) ( 64 0 32 0 0 ) ( 64 0 32 0 0 ) ) ( ( 64 0 64 0 0 ) ( 64 0 64 0 0 ) ( 64 0 64 0 0 ) ) )\n}\n}\n}\n" << "0,0 64,0; marks ; skipped 0";
    QTest::newRow("an upright patch along a diagonal is a line") << "diagonal.map" << world + "{\npatchDef2\n{\nwall\n( 3 3 0 0 0 )\n( ( ( 0 0 0 0 0 ) ( 32 32 0 0 0 ) ( 64 64 0 0 0 ) ) ( ( 0 0 32 0 0 ) ( 32 32 32 0 0 ) ( 64 64 32 0 0 ) ) ( ( 0 0 64 0 0 ) ( 32 32 64 0 0 ) ( 64 64 64 0 0 ) ) )\n}\n}\n}\n" << "0,0 32,32 64,64 32,32 0,0; marks ; skipped 0";
    QTest::newRow("an upright wall patch, its rows along the ground") << "wall2.map" << world + "{\npatchDef2\n{\nwall\n( 3 3 0 0 0 )\n("
            " ( ( 0 16 0 0 0 ) ( 0 16 32 0 0 ) ( 0 16 64 0 0 ) ) ( ( 32 16 0 0 0 ) ( 32 16 32 0 0 ) ( 32 16 64 0 0 ) )"
            " ( ( 64 16 0 0 0 ) ( 64 16 32 0 0 ) ( 64 16 64 0 0 ) ) )\n}\n}\n}\n" << "0,16 32,16 64,16 32,16; marks ; skipped 0";
    const QByteArray tetrahedron = "( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 ) w 0 0 0 1 1\n( 0 0 64 ) ( 0 0 0 ) ( 0 64 0 ) w 0 0 0 1 1\n"
                                   "( 64 0 0 ) ( 0 0 0 ) ( 0 0 64 ) w 0 0 0 1 1\n( 64 0 0 ) ( 0 0 64 ) ( 0 64 0 ) w 0 0 0 1 1\n";
    QTest::newRow("a brush of four faces, and one cut by a fifth") << "tet.map" << world + "{\n" + tetrahedron + "}\n{\n" + tetrahedron
            + "( 32 64 0 ) ( 32 0 0 ) ( 32 0 64 ) w 0 0 0 1 1\n}\n}\n" << "0,0 64,0 0,64 | 0,0 32,0 32,32 0,64; marks ; skipped 0";
    QTest::newRow("a roof, its ridge on the outline") << "roof.map" << world + "{\n( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 ) w 0 0 0 1 1\n"
            "( 64 0 0 ) ( 0 0 0 ) ( 0 0 64 ) w 0 0 0 1 1\n( 0 64 0 ) ( 64 64 0 ) ( 64 64 64 ) w 0 0 0 1 1\n"
            "( 0 0 0 ) ( 0 64 0 ) ( 32 64 32 ) w 0 0 0 1 1\n( 64 64 0 ) ( 64 0 0 ) ( 32 0 32 ) w 0 0 0 1 1\n}\n}\n" << square + "; marks ; skipped 0";
    QTest::newRow("every brush entity drawn but triggers, whatever their texture") << "ents.map" << world + "}\n{\n\"classname\" \"rotate_object\"\n" + cube("metal1") + "}\n{\n\"classname\" \"Trigger_Hurt\"\n" + cube("lava") + "}\n{\n\"classname\" \"misc_model\"\n" + cube("TOOLS/TOOLSCLIP") + "}\n" << square + "; marks ; skipped 0";
    QTest::newRow("func_door drawn, trigger and tool brushes left out, spawn marked") << "e.map" << world + cube("common/clip") + cube("skies/hellsky") + "}\n{\n\"classname\" \"func_door\"\n" + cube("door1") + "}\n{\n\"classname\" \"trigger_multiple\"\n" + cube("common/trigger") + "}\n{\n\"classname\" \"info_player_start\"\n\"origin\" \"-16 24.5 8\"\n}\n" << square + "; marks -16,24.5; skipped 0";
    QTest::newRow("brushes that do not close") << "open.map" << world + "{\n"
            "( 64 0 64 ) ( 0 0 64 ) ( 0 64 64 ) w 0 0 0 1 1\n( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 ) w 0 0 0 1 1\n}\n{\n"
            "( 64 0 64 ) ( 0 0 64 ) ( 0 64 64 ) w 0 0 0 1 1\n( 64 64 0 ) ( 64 0 0 ) ( 64 0 64 ) w 0 0 0 1 1\n"
            "( 0 0 64 ) ( 0 0 0 ) ( 0 64 0 ) w 0 0 0 1 1\n( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 ) w 0 0 0 1 1\n}\n" + cube("w").replace("( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 )", "( 64 0 64 ) ( 0 0 64 ) ( 0 64 64 )")
               + cube("w").replace("( 64 0 64 ) ( 0 0 64 ) ( 0 64 64 )", "( 64 0 0 ) ( 0 0 0 ) ( 0 64 0 )") + "}\n" << "; marks ; skipped 4";
    QTest::newRow("CRLF, byte-order mark, comments, quotes, exponents") << "crlf.map" << QByteArray("\xEF\xBB\xBF// made by hand\r\n{\r\n\"classname\" \"worldspawn\" // the world\r\n{\r\n") + cube("\"my texture\"", "0 0 0 1e0 1.0E+0").mid(2).replace("\n", "\r\n").replace("64", "6.4e1") + "}\r\n//" << square + "; marks ; skipped 0";
    QByteArray vmf = "versioninfo\n{\n\t\"editorversion\" \"400\"\n}\nvisgroups\n{\n}\nworld\n{\n\t\"id\" \"1\"\n\t\"classname\" \"worldspawn\"\n\tsolid\n\t{\n";
    QByteArray sides;
    for (const char *plane : {"(64 0 64) (0 0 64) (0 64 64)", "(0 64 0) (0 0 0) (64 0 0)", "(64 64 0) (64 0 0) (64 0 64)",
                              "(0 0 64) (0 0 0) (0 64 0)", "(0 64 64) (0 64 0) (64 64 0)", "(64 0 0) (0 0 0) (0 0 64)"})
        sides += QByteArray("\t\tside\n\t\t{\n\t\t\t\"plane\" \"") + plane + "\"\n\t\t\t\"material\" \"DEV/DEV_MEASUREGENERIC01\"\n"
               "\t\t\tdispinfo\n\t\t\t{\n\t\t\t\tnormals\n\t\t\t\t{\n\t\t\t\t\t\"row0\" \"0 0 1\"\n\t\t\t\t}\n\t\t\t}\n\t\t}\n";
    QTest::newRow("Source trigger, keys after its class") << "t.vmf" << "entity\n{\n\"classname\" \"trigger_multiple\"\n\"spawnflags\" \"1\"\nsolid\n{\n" + sides + "}\n}\n" << "; marks ; skipped 0";
    vmf += sides + "\t\teditor\n\t\t{\n\t\t\t\"color\" \"0 255 0\"\n\t\t\t\"plane\" \"(32 0 0) (32 64 0) (32 64 64)\"\n\t\t}\n\t}\n}\nentity\n{\n\t\"classname\" \"info_player_terrorist\"\n"
           "\t\"origin\" \"100 -200 8\"\n\t\"material\" \"x\"\n\teditor\n\t{\n\t}\n}\ncameras\n{\n}\ncordons\n{\n}\n";
    QTest::newRow("Source tool brush left out") << "tool.vmf" << "world\n{\nsolid\n{\n" + QByteArray(sides).replace("DEV/DEV_MEASUREGENERIC01", "Tools/ToolsClip") + "}\n}\n" << "; marks ; skipped 0";
    QTest::newRow("Source world of no brushes, its origin no mark") << "w.vmf" << QByteArray("world\n{\n\"origin\" \"5 5 0\"\n}\n") << "; marks ; skipped 0";
    QTest::newRow("Source cube, spawn and blocks read past") << "s.vmf" << vmf << square + "; marks 100,-200; skipped 0";
}

// Each dialect reads from a file, as the editors write it, to the exact
// outline of its brushes seen from above.
void TestLevel::dialects()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(QString, footprints);
    QTemporaryDir dir;
    QFile file(dir.filePath(name));
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    const LevelRead read = readLevel(file.fileName());
    QCOMPARE(read.error, QString());
    const Footprints found = ::footprints(read.level); // and a height for every outline
    QCOMPARE(describe(found) + (found.tops.size() == found.outlines.size() ? "" : ", heights astray"), footprints);
}

void TestLevel::badInput_data()
{
    QTest::addColumn<QString>("name");
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("error");
    const QByteArray world = "{\n\"classname\" \"worldspawn\"\n{\n";
    QTest::newRow("a parenthesis missing") << "a.map" << world + "( 0 0 0 ) ( 64 0 0 ( 0 64 0 ) t 0 0 0 1 1\n}\n}\n" << "a.map:4:20: expected ')'";
    QTest::newRow("cut short") << "b.map" << world + "( 0 0 0 ) ( 64" << "b.map:4:15: expected a number (the file ends)";
    QTest::newRow("a control character ending a number") << "c.map" << world + "( 0 0 7\x01 )" << "c.map:4:8: unexpected control character";
    QTest::newRow("a number beyond a double") << "c.map" << world + "( 0 0 1e999 )" << "c.map:4:7: number out of range";
    QTest::newRow("nan") << "d.map" << world + "( nan 0 0 )" << "d.map:4:3: expected a number";
    QTest::newRow("inf") << "e.map" << world + "( 0 -inf 0 )" << "e.map:4:5: expected a number";
    QTest::newRow("a brace too many") << "f.map" << world + "}\n}\n}\n" << "f.map:6:1: expected '{'";
    QTest::newRow("no closing brace") << "g.map" << world + "}\n" << "g.map:5:1: expected '\"', '{' or '}' (the file ends)";
    QTest::newRow("unterminated string") << "h.map" << QByteArray("{\n\"classname\n}\n") << "h.map:2:1: unterminated string";
    QTest::newRow("a picture") << "i.map" << QByteArray("\x89PNG\r\n\x1a\n\0\0", 10) << "i.map:1:1: expected '{'";
    QTest::newRow("binary garbage") << "l.map" << QByteArray("{\n\"a\" \"b\"\n\x7f" "ELF\x02\x01") << "l.map:3:1: unexpected control character";
    QTest::newRow("blocks a thousand deep, inside a side") << "j.vmf" << "world {\nsolid {\nside {\n" + QByteArray("a {\n").repeated(1000) << "j.vmf:66:1: blocks nested more than 64 deep";
    QTest::newRow("a plane without its last parenthesis") << "k.vmf" << QByteArray("world\n{\nsolid\n{\nside\n{\n\"plane\" \"(0 0 0) (1 1 1) (2 2 2\"\n}\n}\n}\n") << "k.vmf:7:9: expected a plane \"(x y z) (x y z) (x y z)\"";
    // One row for each way a reader turns a file down, with its line and column.
    const QByteArray face = "( 0 0 0 ) ( 64 0 0 ) ( 0 64 0 ) ";
    QTest::newRow("map: a second point without its parenthesis") << "m.map" << world + "( 0 0 0 ) 5" << "m.map:4:11: expected '('";
    QTest::newRow("map: a face that is not a face") << "m.map" << world + "tex\n" << "m.map:4:1: expected '(' or '}'";
    QTest::newRow("map: no texture") << "m.map" << world + face + "( 1" << "m.map:4:33: expected a texture";
    QTest::newRow("map: a word among the texture's numbers") << "m.map" << world + face + "t 0 0 zero\n" << "m.map:4:39: expected a number";
    QTest::newRow("map: a negative number out of range") << "m.map" << world + QByteArray(face).replace("64 0 0", "-1e10 0 0") << "m.map:4:13: number out of range";
    QTest::newRow("map: a sign alone") << "m.map" << world + "( - 0 0 )" << "m.map:4:3: expected a number";
    QTest::newRow("map: two signs") << "m.map" << world + "( 0 --5 0 )" << "m.map:4:5: expected a number";
    QTest::newRow("map: a minus inside") << "m.map" << world + "( 0 0 1-2 )" << "m.map:4:7: expected a number";
    QTest::newRow("map: a whole number too large, of ten digits") << "m.map" << world + "( 0 1000000001 0 )" << "m.map:4:5: number out of range";
    QTest::newRow("map: a hexadecimal number") << "m.map" << world + "( 0x10 0 0 )" << "m.map:4:3: expected a number";
    QTest::newRow("map: nine digits, negative, then a bad one") << "m.map" << world + "( -123456789 0000000001234 1e )" << "m.map:4:28: expected a number";
    QTest::newRow("map: brushDef without its brace") << "m.map" << world + "brushDef\n(" << "m.map:5:1: expected '{'";
    QTest::newRow("map: brushDef's texture axes cut") << "m.map" << world + "brushDef\n{\n" + face + "( ( 1 0 0 ) ( 0 1 x ) )" << "m.map:6:51: expected a number";
    QTest::newRow("map: brushDef's second brace missing") << "m.map" << world + "brushDef\n{\n}\n\"k\"" << "m.map:7:1: expected '}'";
    QTest::newRow("map: a patch without its brace") << "m.map" << world + "patchDef2\nt" << "m.map:5:1: expected '{'";
    QTest::newRow("map: a patch without its texture") << "m.map" << world + "patchDef2\n{\n(" << "m.map:6:1: expected a name";
    QTest::newRow("map: a patch's header not numbers") << "m.map" << world + "patchDef2\n{\nt\n( 3 x )" << "m.map:7:5: expected a number";
    QTest::newRow("map: a patch's grid without its parenthesis") << "m.map" << world + "patchDef2\n{\nt\n( 3 3 0 0 0 )\n{" << "m.map:8:1: expected '('";
    QTest::newRow("map: a patch's row without its parenthesis") << "m.map" << world + "patchDef2\n{\nt\n( 3 3 0 0 0 )\n(\n{" << "m.map:9:1: expected '('";
    QTest::newRow("map: a patch's point without its parenthesis") << "m.map" << world + "patchDef2\n{\nt\n( 3 3 0 0 0 )\n(\n( 1" << "m.map:9:3: expected '('";
    QTest::newRow("map: a patch's point cut short") << "m.map" << world + "patchDef2\n{\nt\n( 3 3 0 0 0 )\n(\n( ( 1 2 )" << "m.map:9:9: expected a number";
    QTest::newRow("map: a patch's texture coordinate not a number") << "m.map" << world + "patchDef2\n{\nt\n( 3 3 0 0 0 )\n(\n( ( 1 2 3 s )" << "m.map:9:11: expected a number";
    QTest::newRow("map: a patch not closed") << "m.map" << world + "patchDef2\n{\nt\n( 3 3 0 0 0 )\n(\n)\n}\n)" << "m.map:11:1: expected '}'";
    QTest::newRow("map: a key without its value") << "m.map" << QByteArray("{\n\"classname\" worldspawn\n}") << "m.map:2:13: expected '\"'";
    QTest::newRow("map: a string running past its line") << "m.map" << QByteArray("{\n\"classname\" \"world\nspawn\"\n}") << "m.map:2:13: unterminated string";
    QTest::newRow("map: columns count after a byte-order mark") << "m.map" << QByteArray("\xEF\xBB\xBF}") << "m.map:1:1: expected '{'";
    QTest::newRow("map: lines count CRLF and comments") << "m.map" << QByteArray("// a\r\n{\r\n\t\"a\" }") << "m.map:3:6: expected '\"'";
    QTest::newRow("vmf: a block without a name") << "v.vmf" << QByteArray("\n  {\n}") << "v.vmf:2:3: expected a name";
    QTest::newRow("vmf: a name without a block") << "v.vmf" << QByteArray("world\n\"x\"") << "v.vmf:2:1: expected '{'";
    QTest::newRow("vmf: a key that is no name") << "v.vmf" << QByteArray("world\n{\n\t(") << "v.vmf:3:2: expected a name or '}'";
    QTest::newRow("vmf: a key without its value") << "v.vmf" << QByteArray("world\n{\n\t\"id\" }") << "v.vmf:3:7: expected a value or '{'";
    QTest::newRow("vmf: a plane's number out of range") << "v.vmf" << QByteArray("world\n{\nsolid\n{\nside\n{\n\"plane\" \"(0 0 -1e30) (1 1 1) (2 2 2)\"\n}\n}\n}\n") << "v.vmf:7:9: expected a plane \"(x y z) (x y z) (x y z)\"";
    QTest::newRow("vmf: a block not closed") << "v.vmf" << QByteArray("world\n{\n\tsolid\n\t{\n}") << "v.vmf:5:2: expected a name or '}' (the file ends)";
    QTest::newRow("a folder") << "folder.map" << QByteArray() << "folder.map: it is a folder";
    QTest::newRow("a pipe") << "pipe.map" << QByteArray() << "pipe.map: not a regular file";
    QTest::newRow("missing") << "missing.map" << QByteArray() << "missing.map: no such file";
    QTest::newRow("larger than the limit") << "huge.map" << QByteArray() << "huge.map: larger than 512 MB";
    QTest::newRow("as large as the limit: read") << "huge-limit.map" << QByteArray("{") << "huge-limit.map:1:2: unexpected control character";
}

// Bad input of every kind gives one message naming the file, the line and
// the column: never a crash, a hang or memory without bound.
void TestLevel::badInput()
{
    QFETCH(QString, name);
    QFETCH(QByteArray, text);
    QFETCH(QString, error);
    QTemporaryDir dir;
    const QString path = dir.filePath(name);
    if (name.startsWith("folder")) {
        QVERIFY(QDir().mkdir(path));
    } else if (name.startsWith("pipe")) {
        if (!makePipe(path))
            QSKIP("no named pipes here");
    } else if (!name.startsWith("missing")) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size() && (!name.startsWith("huge") || file.resize(maxLevelBytes + !name.contains("limit"))));
    }
    const LevelRead read = readLevel(path);
    QCOMPARE(read.error + (read.level.entities.isEmpty() ? "" : ", and a level read"), error);
}

void TestLevel::toolTextures_data()
{
    QTest::addColumn<QByteArray>("texture");
    QTest::addColumn<bool>("tool");
    for (const char *name : {"common/clip", "CLIP", "tools/toolsclip", "TOOLS/TOOLSTRIGGER", "tools/toolsskip", "common/hintskip", "e1u1/sky4", "sky1", "skies/hellsky",
                             "Skies/Blue", "textures/common/origin", "toolsareaportal", "full_clip", "common/donotenter", "common/lightgrid", "common/cushion", "trigger"})
        QTest::newRow(name) << QByteArray(name) << true;
    for (const char *name : {"common/caulk", "tools/toolsnodraw", "metal/clip_edge", "cliff", "textures/skies/x", "e1u1/trigger1",
                             "tools/tools", "", "dev/dev_measuregeneric01"})
        QTest::newRow(*name ? name : "no name") << QByteArray(name) << false;
}

// Which textures stand for no visible surface, in every engine's naming and
// in any case.
void TestLevel::toolTextures()
{
    QFETCH(QByteArray, texture);
    QFETCH(bool, tool);
    QCOMPARE(isToolTexture(texture), tool);
}

void TestLevel::origins_data()
{
    QTest::addColumn<QByteArray>("origin");
    QTest::addColumn<QString>("mark"); // empty for none
    QTest::newRow("three numbers") << QByteArray("-16 24.5 8") << "-16,24.5";
    QTest::newRow("spaced with tabs") << QByteArray(" 1\t 2  3 ") << "1,2";
    QTest::newRow("two numbers") << QByteArray("1 2") << "";
    QTest::newRow("four numbers") << QByteArray("1 2 3 4") << "";
    QTest::newRow("a word") << QByteArray("1 two 3") << "";
    QTest::newRow("out of range") << QByteArray("1e30 0 0") << "";
    QTest::newRow("signed decimals") << QByteArray("+1.5 -2.5 +3") << "1.5,-2.5";
}

// A point entity is marked where its origin says, and not at all when the
// origin cannot be read.
void TestLevel::origins()
{
    QFETCH(QByteArray, origin);
    QFETCH(QString, mark);
    const LevelRead read = readMap("{\n\"classname\" \"light\"\n\"origin\" \"" + origin + "\"\n}\n", "o.map");
    QCOMPARE(read.error, QString());
    const Footprints f = footprints(read.level);
    QCOMPARE(f.marks.isEmpty() ? QString() : QString("%1,%2").arg(f.marks[0].x()).arg(f.marks[0].y()), mark);
}

void TestLevel::summary_data()
{
    QTest::addColumn<QByteArray>("text");
    QTest::addColumn<QString>("note");
    const QByteArray spawn = "{\n\"classname\" \"info_player_start\"\n\"origin\" \"0 0 0\"\n}\n";
    const QByteArray open = "{\n( 64 0 64 ) ( 0 0 64 ) ( 0 64 64 ) w 0 0 0 1 1\n( 0 64 0 ) ( 0 0 0 ) ( 64 0 0 ) w 0 0 0 1 1\n}\n";
    QTest::newRow("an empty file") << QByteArray() << "m.map: the file holds no brushes, 0 marks";
    QTest::newRow("an empty world, one spawn") << "{\n\"classname\" \"worldspawn\"\n}\n" + spawn << "m.map: the file holds no brushes, 1 mark";
    QTest::newRow("one brush, two marks") << "{\n\"classname\" \"worldspawn\"\n" + cube("w") + "}\n" + spawn + spawn << "m.map: 1 brush, 2 marks";
    QTest::newRow("only tool brushes") << "{\n\"classname\" \"worldspawn\"\n" + cube("common/clip") + "}\n" << "m.map: 0 brushes, 0 marks; left out: 1 tool brush";
    QTest::newRow("every reason, counted") << "{\n\"classname\" \"worldspawn\"\n" + cube("w") + cube("w") + cube("clip") + cube("sky1") + open
               + "}\n{\n\"classname\" \"trigger_once\"\n" + cube("w") + "}\n{\n\"classname\" \"trigger_push\"\n" + cube("w") + open + "}\n" << "m.map: 2 brushes, 0 marks; left out: 2 tool brushes, 3 trigger brushes, 1 brush that does not close";
    QTest::newRow("two that do not close") << "{\n\"classname\" \"worldspawn\"\n" + open + open + "}\n" << "m.map: 0 brushes, 0 marks; left out: 2 brushes that do not close";
}

// The note over the picture says what is drawn and what was left out, and
// why; a file with no brushes says so.
void TestLevel::summary()
{
    QFETCH(QByteArray, text);
    QFETCH(QString, note);
    const LevelRead read = readMap(text, "m.map");
    QCOMPARE(read.error, QString());
    QCOMPARE(footprintsSummary("m.map", footprints(read.level)), note);
}

// The sample level reads whole, and a brush of a million faces is left out
// and counted, not worked through; a patch is capped the same way.
void TestLevel::sample()
{
    const LevelRead read = readLevel(SOURCE_DIR "/examples/sample-level.map");
    QCOMPARE(read.error, QString());
    const Footprints f = footprints(read.level);
    QCOMPARE(QString("%1 %2 %3").arg(f.brushes).arg(f.marks.size()).arg(f.skipped), QString("42 4 0"));
    const QByteArray faces = cube("w").mid(2).chopped(2); // a cube's, that would close it many times over
    const LevelRead many = readMap("{\n\"classname\" \"worldspawn\"\n{\n" + faces.repeated(1000000 / 6) + "}\n}\n", "many.map");
    QCOMPARE(QString("%1 %2").arg(many.level.entities.value(0).brushes.value(0).faces.size()).arg(footprints(many.level).skipped), QString("%1 1").arg(maxBrushFaces));
    const QByteArray side = QString(faces).replace(QRegularExpression("(.*) w 0 0 0 1 1\n"), "side\n{\n\"plane\" \"\\1\"\n\"material\" \"w\"\n}\n").toLatin1();
    const LevelRead sides = readVmf("world\n{\nsolid\n{\n" + side.repeated(maxBrushFaces / 6 + 1) + "}\n}\n", "many.vmf");
    QCOMPARE(QString("%1 %2").arg(sides.level.entities.value(0).brushes.value(0).faces.size()).arg(footprints(sides.level).skipped), QString("%1 1").arg(maxBrushFaces));
    const QByteArray point = "( 0 0 0 0 0 ) ";
    const LevelRead patch = readMap("{\n\"classname\" \"worldspawn\"\n{\npatchDef2\n{\nt\n( 3 3 0 0 0 )\n(\n( " + point.repeated(maxBrushFaces + 1) + ")\n" + ("( " + point + ")\n").repeated(maxBrushFaces) + ")\n}\n}\n}\n", "patch.map");
    const QList<QList<Vec3>> grid = patch.level.entities.value(0).patches.value(0).grid;
    QCOMPARE(QString("%1 %2").arg(grid.size()).arg(grid.value(0).size()), QString("%1 %1").arg(maxBrushFaces));
}

// Reading a small level takes about what it holds: under an address-space
// limit far below the largest level, it still reads.
void TestLevel::addressSpace()
{
#if defined(Q_OS_LINUX) && !defined(__SANITIZE_ADDRESS__)
    QTemporaryDir dir;
    QFile file(dir.filePath("small.map"));
    const QByteArray text = "{\n\"classname\" \"worldspawn\"\n" + cube("w") + "}\n";
    QVERIFY(file.open(QIODevice::WriteOnly) && file.write(text) == text.size());
    file.close();
    const pid_t child = fork();
    if (child == 0) {
        const qint64 used = residentKiB("VmSize:") * 1024;
        const rlimit limit{rlim_t(used + (maxLevelBytes >> 2)), rlim_t(used + (maxLevelBytes >> 2))};
        setrlimit(RLIMIT_AS, &limit);
        try {
            _exit(readLevel(file.fileName()).level.entities.size() == 1 ? 0 : 1);
        } catch (...) {
            _exit(2);
        }
    }
    int status = -1;
    QCOMPARE(waitpid(child, &status, 0), child);
    QVERIFY2(WIFEXITED(status) && WEXITSTATUS(status) == 0, qPrintable(QString::number(status)));
#else
    QSKIP("address-space limits are a Linux matter, and the sanitizers reserve their own");
#endif
}

QTEST_APPLESS_MAIN(TestLevel)
#include "tst_level.moc"

