#include "cli/Usage.h"

#include <array>
#include <cstddef>

namespace plotwise::cli {

namespace {

struct CommandUsage {
    std::string_view name;
    // Synopsis, then the description indented; the program's usage indents it by two more.
    std::string_view text;
};

constexpr std::array<CommandUsage, 8> kCommands = {{
    {"eval", R"(eval [--set VAR=NUMBER]... [--json] EXPR
      Evaluate EXPR as the keyboard's live preview does: every variable is 0 unless set.
      Prints the value as %.10f, or True/False for an implicit equation or inequality.
      VAR is x, y, z, r, Θ, Φ, theta or phi. A derivative is carried out first.
)"},
    {"simplify", R"(simplify [--steps] [--readable] [--json] EXPR
      Simplify EXPR fully, carrying out derivatives, and print the result; with --steps,
      print every simplification step, the input first and the result last. --readable
      prints the result as a student would write it (with --steps, as a last step where it
      reads differently). With --json, "readable" always carries that form.
)"},
    {"library", R"(library [--3d] [--json]
      Load the 2D (or 3D) library as the library screen does, from expressions2D.plist
      (expressions3D.plist) in the data folder, or the built-in examples when the file is
      missing or unreadable, and print one line per equation: its source text, a tab, its
      caption. With --json, an array of objects: expressionString, caption, notes, type,
      color (the colour text, or null) and visible. Honours XDG_DATA_HOME.
)"},
    {"typeset", R"(typeset EXPR -o FILE.png [--depth D] [--color RRGGBB] [--scale F] [--json]
      Typeset EXPR as the keyboard shows it (derivatives carried out) and write the formula
      as a PNG with a transparent background: at depth D (default 0, deeper is smaller), in
      the colour given (default 000000), at F image pixels per point (default 2). With
      --json, print the formula's box in points: width, height, baselineOffset.
)"},
    {"mesh3d",
     R"(mesh3d EXPR [--scale S] [--divisions N] [--tablet] [--accurate] [--format json|obj|stl|ply]
       [-o FILE]
      Build EXPR as a 3D equation (derivatives carried out) and mesh it once over the 3D
      view's box at zoom S (default 1: from -7/S to 7/S, in N steps per axis from 1 to 512,
      by default the divisions of its kind on a phone, or a tablet with --tablet), bounded
      only by the device's memory budget per mesh (64 MiB on a phone, 256 MiB on a tablet);
      --accurate turns "Faster Implicits" off. json (the
      default) prints type, the counts, horizontalSteps, verticalSteps, vertices (x y z nx ny
      nz), indices and lineIndices; obj, stl (binary) and ply write the welded triangle mesh,
      wound outwards where closed, for other programs and 3D printers. -o writes to FILE.
)"},
    {"sample2d", R"(sample2d EXPR --window MINX MAXX MINY MAXY --ratio RX RY [--tablet] [--json]
      Build EXPR as a 2D equation (derivatives carried out) and sample it once over the
      window at RX and RY points per unit, as the 2D view does: one line "x y" per point
      (curves; contour segments in pairs), or per region record of an inequality its
      vertex count and points. --tablet uses the tablet's region capacity. With --json:
      type, dataObjectCount and points, or records of n points for an inequality.
)"},
    {"render",
     R"(render EXPR... -o FILE.png [--size WxH] [--center X Y] [--ratio R | --ratio RX RY] [--dark]
       [--thick] [--color RRGGBB]... [--format png|svg|pdf] [--json]
      Draw each EXPR (one argument each, derivatives carried out) on the 2D plane as the
      app's view does and write the picture as a PNG, one pixel per point: WxH pixels
      (default 800x600) around the plane point X Y (default 0 0) at R, or RX and RY, points
      per unit (default 80, from 1e-07 to 1e+07), light or --dark background, --thick lines.
      The n-th --color colours the n-th EXPR (RRGGBBAA sets alpha); the rest take a fixed
      palette; inequalities are half transparent. FILE ending in .svg or .pdf, or --format,
      writes an SVG or a PDF instead, a page of WxH points with curves as paths, regions as
      filled polygons and labels as text. Prints FILE; with --json: file, width, height
      and equations (expression, type, color, dataObjectCount).
)"},
    {"render3d",
     R"(render3d EXPR... -o FILE.png [--size WxH] [--mode points|wire|shaded] [--rotation AX AY]
       [--scale S] [--light] [--labels] [--tablet] [--accurate] [--color RRGGBB]... [--json]
      Draw each EXPR in the 3D scene with the app's renderer, offscreen with OpenGL, as the
      phone's (--tablet: tablet's) screen of WxH pixels (default 800x600, at most 8192 a
      side) shows it from the
      reset view: zoomed by S (0.05 to 30), then turned by one drag of AX AY points; shaded
      by default, --light background, --labels for the value labels, --accurate turns
      "Faster Implicits" off. Colours as render. Prints FILE; with --json: file, width,
      height, renderer and equations (expression, type, color and the mesh counts). Needs
      an X display with GLX: run it under xvfb-run.
)"},
}};

constexpr std::string_view kOptions = R"(
Options:
  --help       show this text
  --version    show the version
)";

constexpr std::string_view kContract = R"(
Output is plain text, or one JSON object with --json (non-finite numbers as "nan", "inf",
"-inf"). Exit status: 0 success, 1 bad input (the error goes to standard error as
"error at POSITION: MESSAGE"), 2 bad usage.
)";

}  // namespace

std::string programUsage() {
    std::string text = "Usage: plotwise-cli COMMAND [OPTIONS] ...\n\nCommands:\n";
    for (const CommandUsage& command : kCommands) {
        for (std::size_t begin = 0; begin < command.text.size();) {
            const std::size_t end = command.text.find('\n', begin) + 1;
            text += "  ";
            text += command.text.substr(begin, end - begin);
            begin = end;
        }
    }
    text += kOptions;
    text += kContract;
    return text;
}

std::string commandUsage(std::string_view name) {
    for (const CommandUsage& command : kCommands) {
        if (command.name == name) {
            return "Usage: plotwise-cli " + std::string(command.text) + std::string(kContract);
        }
    }
    return programUsage();
}

}  // namespace plotwise::cli
