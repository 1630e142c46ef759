// plotwise-cli's contract for the commands built with the Qt layers.
#include <gtest/gtest.h>

#include <QImage>

#include <algorithm>
#include <cmath>

#include "CliTable.h"

namespace plotwise::testing {
namespace {

const std::string kUsage = R"(^plotwise-cli: [^\n]+ \(see plotwise-cli --help\)\n$)";
const std::string kNone = "^$";
const std::string kPng = "^.PNG\r\n";

TEST(Cli, Library) {
    const std::string stored =
        "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\"><array><dict>"
        "<key>expressionString</key><string>r=2⋅Θ</string>"
        "<key>expressionColor</key><string>12AB3480</string>"
        "<key>expressionVisibile</key><false/>"
        "<key>expressionCaption</key><string>Spiral\twith\ttabs</string></dict>"
        "<string>x=y^2</string><string>y=(</string><integer>5</integer></array></plist>\n";
    checkRows({
        {"library --help", 0, R"(^Usage: plotwise-cli library \[--3d\] \[--json\])"},
        {"library", 0,
         "^y=x\\^2\tCartesian example - Parabola\n([^\n]*\n){11}y<sin\\(5r\\)\tInequality "
         "example\n$"},
        {"library --3d", 0, "^z=y\\^2/16-x\\^2/25\t[^\n]*\n([^\n]*\n){13}$"},
        {"library --json --3d", 0,
         R"(^\[\{"expressionString": "z=y\^2/16-x\^2/25", "caption": "Cartesian example - )"
         R"(Hyperbolic paraboloid", "notes": "Example of an explicit cartesian equation", )"
         R"("type": 2, "color": "000000", "visible": true\}, (\{[^}]*\}, ){12}\{[^}]*\}\]\n$)"},
        {"library", 0, "^r=2⋅Θ\tSpiral with tabs\nx=y\\^2\t\n$", kNone, "", stored},
        {"library --json", 0,
         R"(^\[\{"expressionString": "r=2⋅Θ", "caption": "Spiral\\twith\\ttabs", "notes": "", )"
         R"("type": 3, "color": "12AB3480", "visible": false\}, \{"expressionString": "x=y\^2", )"
         R"("caption": "", "notes": "", "type": 0, "color": "FF0000", "visible": true\}\]\n$)",
         kNone, "", stored},
        {"library", 0, "^y=x\\^2\t([^\n]*\n){13}$",
         "^plotwise-cli: [^\n]*expressions2D.plist cannot be read \\([^\n]*\n$", "",
         "<?xml version=\"1.0\"?><plist><array><string>y=x"},
        {"library --bogus", 2, kNone, "unknown option '--bogus'"},
        {"library extra", 2, kNone, "library takes no argument, got 'extra'"},
    });
}

TEST(Cli, Typeset) {
    const std::string box =
        R"(^\{"ok": true, "width": [\d.]+, "height": [\d.]+, "baselineOffset": [\d.]+\}\n$)";
    checkRows({
        {"typeset --help", 0, R"(^Usage: plotwise-cli typeset EXPR -o FILE.png )"},
        {"typeset x^2+1 -o @ --json", 0, box, kNone, kPng},
        {"typeset - x --output=@", 0, kNone, kNone, kPng},
        {"typeset (x+1)/y --output @ --color #FF000080 --scale=1 --depth 8", 0, kNone, kNone, kPng},
        {{"typeset", "sin x", "-o", "@", "--json"},
         1,
         R"(^\{"ok": false, "error": "\\"\(\\" expected", "position": 4\}\n$)",
         "^error at 4: \"\\(\" expected\n$"},
        {"typeset x -o /nonexistent-folder/x.png", 1, kNone, "^error: cannot write "},
        // A full device is a failure too, with its reason.
        {"typeset x -o /dev/full", 1, "^$",
         "^error: cannot write /dev/full: No space left on device\n$"},
        {"typeset theta*2 -o @ --json", 0, box, kNone, kPng},
        {"typeset theta+) -o @", 1, kNone, "^error at 6: "},
        {"typeset x", 2, kNone, "typeset needs -o FILE.png"},
        {"typeset -o @", 2, kNone, "typeset needs an expression"},
        {"typeset x -o", 2, kNone, "-o needs a file name"},
        {"typeset x -o @ --color red", 2, kNone, "--color needs RRGGBB"},
        {"typeset x -o @ --scale 0", 2, kNone, "--scale needs"},
        {"typeset x -o @ --depth -1", 2, kNone, "--depth needs"},
        {"typeset x -o @ --shadow", 2, kNone, "unknown option '--shadow'"},
    });
}

TEST(Cli, Sample2d) {
    const std::vector<std::string> unit = {"--window", "0", "1", "0", "1", "--ratio", "10", "10"};
    const auto with = [&unit](std::vector<std::string> words) {
        words.insert(words.begin(), "sample2d");
        words.insert(words.end(), unit.begin(), unit.end());
        return words;
    };
    checkRows({
        {"sample2d --help", 0, R"(^Usage: plotwise-cli sample2d EXPR --window MINX )"},
        {"sample2d y=2x+1 --window 0 0.4 -1 3 --ratio 32 32", 0,
         "^0 1\n0.2083333283662796 1.4166666269302368\n0.2083333283662796 1.4166666269302368\n"
         "0.4166666567325592 1.8333333730697632\n$"},
        {"sample2d r = 1 --window -2 2 -2 2 --ratio 32 32", 0, "^1 0\n"},
        {"sample2d --json x^2+y^2<1 --window -0.5 0.5 -0.4 0.4 --ratio 10 10", 0,
         R"(^\{"ok": true, "type": 7, "dataObjectCount": 2, "records": \[\{"n": 4, "points": )"
         R"(\[\[-0.5, -0.4000000059604645\], (\[[^\]]+\], ){2}\[[^\]]+\]\]\}, \{"n": 4, )"},
        {"sample2d x^2+y^2<1 --window -0.5 0.5 -0.4 0.4 --ratio 10 10", 0,
         "^4 -0.5 -0.4000000059604645 [^\n]+\n4 [^\n]+\n$"},
        {"sample2d y=√x --json --window -1 1 0 1 --ratio 10 10", 0,
         R"(^\{"ok": true, "type": 1, "dataObjectCount": \d+, "points": \[\[[-.\d]+, "nan"\], )"},
        {with({"y=1/(x-x)", "--json"}), 0, R"(\[0, "inf"\])"},
        {with({"z=x+y", "--json"}), 0,
         R"(^\{"ok": true, "type": 2, "dataObjectCount": 0, )"
         R"("points": \[\]\}\n$)"},
        // ASCII spellings; an error position in the typed text.
        {with({"y=sqrt(x)*pi"}), 0, "^0 0\n"},
        {with({"y+)"}), 1, kNone, "^error at 2: "},
        {with({"theta=r+)"}), 1, kNone, "^error at 8: "},
        // A sampling that stops at its buffer's capacity says so.
        {"sample2d y=sin(1000x) --json --window -100 100 -1 1 --ratio 300 300", 0,
         R"(^\{"ok": true, "type": 1, "dataObjectCount": 127999, "truncated": true, )",
         "^warning: sampling stopped at its limit \\(128000 points\\); part of the graph is "
         "missing\n$"},
        // The limit met is named with its size: the region's records, the grid's nodes.
        {"sample2d sin(20x)⋅sin(20y)>0.1 --tablet --json --window -16 16 -10 10 --ratio 80 80", 0,
         R"("truncated": true)",
         R"(^warning: sampling stopped at its limit \(56889 region records\); )"},
        {"sample2d x^2+y^2=4 --window -1000 1000 -1000 1000 --ratio 100 100", 0, kNone,
         R"(\(the window needs more than 4194304 grid nodes\); part of the graph is missing\n$)"},
        {with({"y=(", "--json"}), 1,
         R"(^\{"ok": false, "error": "Expression expected", "position": 2\}\n$)", "^error at 2: "},
        {"sample2d y=x --window 2 1 0 1 --ratio 10 10", 2, kNone,
         "--window needs MINX < MAXX and MINY < MAXY"},
        {"sample2d y=x --window 0 inf 0 1 --ratio 10 10", 2, kNone,
         "--window needs finite numbers"},
        {"sample2d y=x --window 0 1 0 1 --ratio 0 10", 2, kNone,
         "--ratio needs positive finite numbers"},
        {"sample2d y=x --window 0 1 0 one --ratio 10 10", 2, kNone, "'one' is not a number"},
        {"sample2d y=x --window 0 1 0 1 --ratio 10", 2, kNone, "--ratio needs RX RY"},
        {"sample2d y=x --ratio 10 10", 2, kNone, "sample2d needs --window"},
        {"sample2d y=x --window 0 1 0 1", 2, kNone, "sample2d needs --ratio"},
        {with({}), 2, kNone, "sample2d needs an expression"},
        {with({"y=x", "--phone"}), 2, kNone, "unknown option '--phone'"},
    });
}

TEST(Cli, Render) {
    const std::string json = R"(^\{"ok": true, "file": "[^"]+/written", )";
    const auto only = [](const std::string& expressions) {
        return R"("equations": \[)" + expressions + R"(\]\}\n$)";
    };
    const std::string equation = R"(\{"expression": "[^"]+", "type": \d, "color": "\w+", )"
                                 R"("dataObjectCount": \d+\})";
    checkRows({
        {"render --help", 0, R"(^Usage: plotwise-cli render EXPR\.\.\. -o FILE\.png )"},
        {"render y=x -o @ --size 64x48", 0, "^/[^\n]*/written\n$", kNone, kPng},
        {"render --json y=x x^2+y^2<4 --output @ --size 320x200 --ratio 10 20", 0,
         json +
             R"("width": 320, "height": 200, "equations": \[\{"expression": "y=x", "type": 1, )"
             R"("color": "1F77B4", "dataObjectCount": [1-9]\d*\}, \{"expression": )"
             R"("x\^2\+y\^2<4", "type": 7, "color": "D6272880", "dataObjectCount": [1-9]\d*\}\]\}\n$)",
         kNone, kPng},
        // The n-th --color colours the n-th expression, the others take the palette in turn.
        {"render y=1 y=-1 --color #FF0000 --color 00FF0080 x=1 y=2 --json -o @ --size 64x48 --dark "
         "--thick",
         0,
         R"("color": "FF0000", [^}]*\}, \{[^}]*"color": "00FF0080", [^}]*\}, )"
         R"(\{[^}]*"color": "1F77B4", [^}]*\}, \{[^}]*"color": "D62728", )",
         kNone, kPng},
        // A number right after "--ratio R" is RY; anything else is an expression.
        {"render --json --ratio 40 20 y=x -o @", 0, only(equation), kNone, kPng},
        {"render --json --ratio=40 20 y=x -o @", 0,
         only(R"(\{"expression": "20", [^}]*\}, \{"expression": "y=x", [^}]*\})"), kNone, kPng},
        {"render --json --ratio 40 --dark 20 y=x -o @", 0, only(equation + ", " + equation), kNone,
         kPng},
        {"render -o @ --ratio 40 -- --dark", 1, kNone, "in '--dark'\n$"},
        {"render y=x --ratio 40 -.5 -o @", 2, kNone, "--ratio needs R or RX RY"},
        {"render y=x --center -1 -.5 --ratio 1e-7 -o @ --size 16384x1", 0, "written\n$", kNone,
         kPng},
        {{"render", "y=x", "sin x", "-o", "@"},
         1,
         kNone,
         "^error at 4: \"\\(\" expected in 'sin x'\n$"},
        {"render y=( --json -o @", 1,
         R"(^\{"ok": false, "error": "Expression expected in 'y=\('", "position": 2\}\n$)",
         "^error at 2: Expression expected in 'y=\\('\n$"},
        {"render y=x -o /dev/full", 1, "^$",
         "^error: cannot write /dev/full: No space left on device\n$"},
        {"render y=x -o /dev/full --json", 1,
         R"(^\{"ok": false, "error": "cannot write /dev/full: No space left on device"\}\n$)",
         "^error: "},
        // --format, else the name's extension, picks the file's kind; a vector file's failed
        // write fails as a PNG's does.
        {"render y=x x^2+y^2<4 --format svg -o @ --size 64x48", 0, "written\n$", kNone,
         "^<\\?xml "},
        {"render y=x --format PDF --output=@ --size 64x48", 0, "written\n$", kNone,
         "^%PDF-1\\.\\d"},
        // Without --format the name's extension, in any case, picks SVG or PDF, else PNG; a
        // vector file is a whole document of the plane's size in points (an SVG's size in mm).
        {"render y=x --size 40x30 -o @.svg", 0, "written.svg\n$", kNone,
         "<svg width=\"14.1111mm\" height=\"10.5833mm\""},
        {"render y=x --size 40x30 -o @.svg", 0, "written.svg\n$", kNone, "viewBox=\"0 0 40 30\""},
        {"render y=x --size 40x30 -o @.PDF", 0, "written.PDF\n$", kNone, "/MediaBox \\[0 0 40"},
        {"render y=x --size 40x30 -o @.pdf.png", 0, "written.pdf.png\n$", kNone, kPng},
        {"render y=x -o @ --format gif", 2, kNone, "--format needs png, svg or pdf"},
        {"render y=x -o /dev/full --format svg", 1, "^$",
         "^error: cannot write /dev/full: No space left on device\n$"},
        {"render r=2cos(4theta) y<=x*pi -o @ --size 64x48", 0, "written\n$", kNone, kPng},
        {"render y=x y<=x+) -o @", 1, kNone, R"(^error at 5: [^\n]+ in 'y<=x\+\)'\n$)"},
        // An echoed expression is cut after 80 characters.
        {{"render", "y=(" + std::string(100, 'x'), "-o", "@"},
         1,
         kNone,
         "^error at [0-9]+: [^\n]+ in 'y=\\(x{77}…'\n$"},
        {{"render", "y=Θ+" + std::string(76, 'x') + "ΘΘ+)", "-o", "@"},
         1,
         kNone,
         "^error at 83: [^\n]+ in 'y=Θ\\+x{76}…'\n$"},
        {"render -o @", 2, kNone, "render needs at least one expression"},
        {"render y=x", 2, kNone, "render needs -o FILE.png"},
        {"render y=x -o", 2, kNone, "-o needs a file name"},
        {"render y=x --output= y=2x", 2, kNone, "--output= needs a file name"},
        {"render y=x -o @ --size 16385x10", 2, kNone, "--size needs WxH"},
        {"render y=x -o @ --ratio 80 2e7", 2, kNone, kUsage},
        {"render y=x -o @ --center 1", 2, kNone, "--center needs X Y"},
        {"render y=x -o @ --center 0 -inf", 2, kNone, kUsage},
        {"render y=x -o @ --color GG0000", 2, kNone, "--color needs RRGGBB"},
        {"render y=x -o @ --color FF0000 --color 00FF00", 2, kNone,
         "more --color values than expressions"},
        {"render y=x -o @ --tablet", 2, kNone, "unknown option '--tablet'"},
    });
}

// Without a display there is no OpenGL: everything but the drawing is checked here; the
// pictures are compared with the renderer's own under xvfb-run (label opengl).
TEST(Cli, Render3DWithoutOpenGL) {
    const std::string noGL = "no OpenGL \\(no X display with GLX; try xvfb-run\\)";
    const auto with = [](std::vector<std::string> words) {
        words.insert(words.begin(), {"render3d", "z=x", "-o", "@"});
        return words;
    };
    checkRows({
        {"render3d --help", 0, R"(^Usage: plotwise-cli render3d EXPR\.\.\. -o FILE\.png )"},
        {with({}), 1, kNone, "^error: " + noGL + "\n$"},
        {with({"--json", "--mode", "wire", "--rotation", "-30", "20", "--scale", "30", "--light",
               "--labels", "--tablet", "--accurate", "--color", "FF000080"}),
         1, R"(^\{"ok": false, "error": ")" + noGL + R"("\}\n$)", "^error: " + noGL},
        // The text is read before any drawing.
        {"render3d z=( -o @", 1, kNone, "^error at \\d+: Expression expected in 'z=\\('\n$"},
        {with({"--scale", "30.5"}), 2, kNone, "--scale needs a zoom from 0.05 to 30"},
        {with({"--mode", "solid"}), 2, kNone, "--mode needs points, wire or shaded"},
        {with({"--size", "0x10"}), 2, kNone, "--size needs WxH, whole pixels from 1 to 8192"},
        {with({"--size", "8193x10"}), 2, kNone, kUsage},
        {with({"--rotation", "1", "inf"}), 2, kNone, "--rotation needs AX AY"},
        {with({"--color", "red"}), 2, kNone, "--color needs RRGGBB"},
        {with({"--color", "FF0000", "--color", "00FF00"}), 2, kNone, "more --color values"},
        {with({"--dark"}), 2, kNone, "unknown option '--dark'"},
        {"render3d -o @", 2, kNone, "render3d needs at least one expression"},
        {"render3d z=x", 2, kNone, "render3d needs -o FILE.png"},
    });
}

// The picture: the curve where the view's mapping puts it, here with a centre and a ratio per
// axis: column = (x - cx) * rx + w / 2, row = h / 2 - (y - cy) * ry. (The view draws the axes
// by the same mapping.)
TEST(Cli, RenderDrawsWhereTheViewMaps) {
    const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                         ("plotwise-cli-render-" + std::to_string(getpid()));
    std::filesystem::create_directories(folder);
    const std::string png = (folder / "plane.png").string();
    const CliRun run = runProgram(PLOTWISE_CLI,
                                  {"render", "y=x^2", "--color", "FF0000", "--size", "500x700",
                                   "--center", "-0.5", "1", "--ratio", "50", "120", "-o", png},
                                  folder);
    ASSERT_EQ(run.status, 0) << run.err;
    const QImage image = QImage(QString::fromStdString(png)).convertToFormat(QImage::Format_RGB32);
    std::filesystem::remove_all(folder);
    ASSERT_EQ(image.size(), QSize(500, 700));
    const auto column = [](double x) { return (x + 0.5) * 50 + 250; };
    const auto row = [](double y) { return 350 - (y - 1) * 120; };

    for (const double x : {-1.5, -1.0, -0.25, 0.5, 1.5}) {
        bool red = false;
        for (int dx = -2; dx <= 2; ++dx) {
            for (int dy = -2; dy <= 2; ++dy) {
                const QRgb p = image.pixel(static_cast<int>(column(x)) + dx,
                                           static_cast<int>(row(x * x)) + dy);
                red = red || qRed(p) - std::max(qGreen(p), qBlue(p)) > 100;
            }
        }
        EXPECT_TRUE(red) << x;
    }
}

}  // namespace
}  // namespace plotwise::testing
