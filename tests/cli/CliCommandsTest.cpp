// plotwise-cli's contract, command by command: arguments -> exit status, output, errors, file.
// These commands are built in every preset.
#include <gtest/gtest.h>

#include "CliTable.h"

namespace plotwise::testing {
namespace {

// A usage error: nothing on standard output, one line on standard error.
const std::string kUsage = R"(^plotwise-cli: [^\n]+ \(see plotwise-cli --help\)\n$)";
const std::string kNone = "^$";

TEST(Cli, Dispatch) {
    checkRows({
        {{}, 2, kNone, R"(^Usage: plotwise-cli COMMAND [\s\S]*Exit status)"},
        {"--help", 0, R"(^Usage: plotwise-cli COMMAND [\s\S]*  eval \[--set VAR=NUMBER\])"},
        {"-h", 0, R"(^Usage: plotwise-cli COMMAND [\s\S]*  mesh3d EXPR)"},
        {"help", 0, R"(^Usage: plotwise-cli COMMAND [\s\S]*2 bad usage\.\n$)"},
        {"--version", 0, R"(^plotwise-cli \d+\.\d+\.\d+\n$)"},
        {"frobnicate", 2, kNone, "^plotwise-cli: unknown command 'frobnicate' "},
        {"--json eval 1", 2, kNone, "unknown command '--json'"},
    });
}

TEST(Cli, Eval) {
    checkRows({
        {"eval --help", 0, R"(^Usage: plotwise-cli eval \[--set VAR=NUMBER\]\.\.\. )"},
        {"eval --set x=3 x^2+1", 0, "^10.0000000000\n$"},
        {"eval x<1", 0, "^True\n$"},
        // The words of an unquoted expression are joined; both spellings of an option.
        {"eval x ^ 2 + 1 --set=x=2", 0, "^5.0000000000\n$"},
        {"eval --set theta=2 --set phi=1 Θ+Φ", 0, "^3.0000000000\n$"},
        {"eval --set Θ=2 --set Φ=0.5 --set r=1 Θ+Φ+r", 0, "^3.5000000000"},
        {"eval --set x=1 --set x=2 x", 0, "^2.0000000000\n$"},
        {"eval --json --set x=3 x^2", 0,
         R"(^\{"ok": true, "value": 9, "compiledValue": 9, "preview": "9.0000000000", )"
         R"("printed": "x\^2", "type": 6, "relop": 0, "isRelation": false, )"
         R"("isAssignment": false, "variables": \["x"\], )"
         R"("table": \{"x": 3, "y": 0, "z": 0, "r": 0, "Θ": 0, "Φ": 0\}\}\n$)"},
        {"eval --json y=x+1", 0,
         R"("type": 1, "relop": 0, "isRelation": true, )"
         R"("isAssignment": true, "variables": \["y", "x"\], )"},
        {"eval --json 1/0", 0, R"(^\{"ok": true, "value": "inf", "compiledValue": "inf")"},
        {"eval --json -1/0", 0, R"("value": "-inf", "compiledValue": "-inf")"},
        {"eval --json 0/0", 0, R"("value": "nan", "compiledValue": "nan", "preview": "nan", )"},
        // A NaN prints without its sign bit, however it was made.
        {"eval 0/0", 0, "^nan\n$"},
        // ASCII spellings give their symbols' values, and errors point into the typed text.
        {"eval --set x=2 sqrt(x*8)+pi-π", 0, "^4.0000000000\n$"},
        {"eval --json x<=0", 0,
         R"("preview": "True", "printed": "x≤0", "type": 7, )"
         R"("relop": 3, )"},
        {"eval x!=1", 0, "^True\n$"},
        {"eval x<=<1", 1, kNone, "^error at 3: Expression expected\n$"},
        {"eval sqrt(4)+)", 1, kNone, "^error at 8: Expression expected\n$"},
        {"eval --json theta*phi+)", 1, R"("position": 10\}\n$)", "^error at 10: "},
        {{"eval", "sqrt 4"}, 1, kNone, "Unknown identifier \"sqrt\""},
        {"eval --json --set x=nan x", 0, R"("table": \{"x": "nan", )"},
        {{"eval", "sin x"}, 1, kNone, "^error at 4: \"\\(\" expected\n$"},
        {"eval --json x^", 1,
         R"(^\{"ok": false, "error": "Expression expected", "position": 1\}\n$)",
         "^error at 1: Expression expected\n$"},
        // After "--" every word is the expression's.
        {"eval -- --set", 1, kNone, "^error at "},
        {"eval --json -- -1", 0, R"("value": -1, )"},
        {"eval", 2, kNone, kUsage},
        {"eval x --set", 2, kNone, "--set needs VAR=NUMBER"},
        {"eval --set q=1 x", 2, kNone, "unknown variable 'q'"},
        {"eval --set x=abc x", 2, kNone, "'abc' is not a number"},
        {"eval --bogus x", 2, kNone, "^plotwise-cli: unknown option '--bogus' "},
    });
}

TEST(Cli, Simplify) {
    checkRows({
        {"simplify --help", 0,
         R"(^Usage: plotwise-cli simplify \[--steps\] \[--readable\] \[--json\] EXPR)"},
        {"simplify d/dx(x^2)", 0, "^2⋅x\n$"},
        {"simplify --steps d/dx (x^2)", 0,
         R"(^d/dx\(x\^2\)\n\(2\)⋅\(x\)\^\(\(2\)-1\)⋅d/dx\(x\)\+\(x\)\^\(2\)⋅ln\(x\)⋅d/dx\(2\)\n2⋅x\n$)"},
        {"simplify --json d/dx(x^2)", 0,
         R"re(^\{"ok": true, "result": "2⋅x", "readable": "2⋅x", "steps": \["d/dx\(x\^2\)", "[^"]+", "2⋅x"\]\}\n$)re"},
        {"simplify --readable d/dx(asin(x))", 0, "^1/√\\(1-x\\^2\\)\n$"},
        {"simplify --json x^", 1,
         R"(^\{"ok": false, "error": "Expression expected", "position": 1\}\n$)",
         "^error at 1: Expression expected\n$"},
        {"simplify d/dx(d/dx(d/dx(d/dx(d/dx(x^x^x)))))", 1, kNone, "Expression too complex\n$"},
        {"simplify -- --steps", 1, kNone, "^error at "},
        {"simplify", 2, kNone, kUsage},
        {"simplify --stepz x", 2, kNone, "unknown option '--stepz'"},
    });
}

TEST(Cli, Mesh3D) {
    const std::string parse =
        R"(^\{"ok": false, "error": "Expression expected", "position": 3\}\n$)";
    checkRows({
        {"mesh3d --help", 0, R"(^Usage: plotwise-cli mesh3d EXPR \[--scale S\])"},
        // (libstdc++'s regex recurses per character: no pattern spans a whole mesh.)
        {"mesh3d z=x+y", 0,
         R"(^\{"ok": true, "type": 2, "dataObjectCount": 900, "dataIndexCount": \d+, )"
         R"("linesIndexCount": \d+, "horizontalSteps": 30, "verticalSteps": 30, )"
         R"("vertices": \[\[-7, -7, -14, [-\d.]+, [-\d.]+, [-\d.]+\], \[-7, )"},
        {"mesh3d z=x+y", 0, R"(\]\], "indices": \[\d+, \d+, \d+, )"},
        {"mesh3d z=x+y", 0, R"(\], "lineIndices": \[\d+, \d+, \d+, )"},
        {"mesh3d z=x+y", 0, R"(\d\]\}\n$)"},
        {"mesh3d z = x + y --tablet", 0, R"("horizontalSteps": 41, )"},
        {"mesh3d --scale 2 z=x*y", 0, R"("vertices": \[\[-3.5, -3.5, 12.25, )"},
        {"mesh3d z=√(x)", 0, R"("vertices": \[\[-7, -7, "nan", )"},
        {"mesh3d x^2+y^2+z^2-4 --accurate --format obj -o @", 0, kNone, kNone,
         "\nf \\d+ \\d+ \\d+\n"},
        {"mesh3d x^2+y^2+z^2<9 --format=ply --output @", 0, kNone, kNone,
         "^ply\nformat ascii 1.0\n"},
        // Binary STL: an 80-byte header, a count, then 50 bytes per facet.
        {"mesh3d x^2+y^2+z^2-4 --output=@ --format stl", 0, kNone, kNone, "^[\\s\\S]{134}"},
        {"mesh3d x^2+y^2+z^2-4 -o @", 0, kNone, kNone, R"(^\{"ok": true, "type": 6, )"},
        {"mesh3d x^2+", 1, parse, "^error at 3: Expression expected\n$"},
        {"mesh3d x -o /nonexistent-folder/mesh.json", 1, kNone, "cannot write"},
        {"mesh3d", 2, kNone, kUsage},
        {"mesh3d --scale -1 x", 2, kNone, "got '-1'"},
        {"mesh3d --scale 1e-300 x", 2, kNone, kUsage},
        {"mesh3d --scale", 2, kNone, "--scale needs"},
        {"mesh3d --format pdf x", 2, kNone, "--format needs json, obj, stl or ply"},
        {"mesh3d x -o", 2, kNone, "-o needs a file name"},
        {"mesh3d --colour x", 2, kNone, "unknown option '--colour'"},
    });
}

}  // namespace
}  // namespace plotwise::testing
