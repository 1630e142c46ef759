// plotwise-cli: the command-line front end over Plotwise's libraries.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandSupport.h"
#include "cli/EvalCommand.h"
#include "cli/Mesh3DCommand.h"
#ifdef PLOTWISE_CLI_RENDER
#include "cli/RenderCommand.h"
#endif
#ifdef PLOTWISE_CLI_LIBRARY
#include "cli/LibraryCommand.h"
#endif
#ifdef PLOTWISE_CLI_SAMPLE2D
#include "cli/Sample2dCommand.h"
#endif
#include "cli/SimplifyCommand.h"
#ifdef PLOTWISE_CLI_TYPESET
#include "cli/TypesetCommand.h"
#endif

namespace {

constexpr std::string_view kVersion = PLOTWISE_VERSION;

constexpr std::string_view kUsage =
    R"(Usage: plotwise-cli COMMAND [OPTIONS] ...

Commands:
  eval [--set VAR=NUMBER]... [--json] EXPR
        Evaluate EXPR as the keyboard's live preview does: every variable is 0 unless set.
        Prints the value as %.10f, or True/False for an implicit equation or inequality.
        VAR is x, y, z, r, Θ, Φ, theta or phi. A derivative is carried out first.
  simplify [--steps] [--readable] [--json] EXPR
        Simplify EXPR fully, carrying out derivatives, and print the result; with --steps,
        print every simplification step, the input first and the result last. --readable
        prints the result as a student would write it (with --steps, as a last step where it
        reads differently). With --json, "readable" always carries that form.
  library [--3d] [--json]
        Load the 2D (or 3D) library as the library screen does, from expressions2D.plist
        (expressions3D.plist) in the data folder, or the built-in examples when the file is
        missing or unreadable, and print one line per equation: its source text, a tab, its
        caption. With --json, an array of objects: expressionString, caption, notes, type,
        color (the colour text, or null) and visible. Honours XDG_DATA_HOME.
  typeset EXPR -o FILE.png [--depth D] [--color RRGGBB] [--scale F] [--json]
        Typeset EXPR as the keyboard shows it (derivatives carried out) and write the formula
        as a PNG with a transparent background: at depth D (default 0, deeper is smaller), in
        the colour given (default 000000), at F image pixels per point (default 2). With
        --json, print the formula's box in points: width, height, baselineOffset.
  mesh3d EXPR [--scale S] [--tablet] [--accurate] [--format json|obj|stl|ply] [-o FILE]
        Build EXPR as a 3D equation (derivatives carried out) and mesh it once over the 3D
        view's box at zoom S (default 1: from -7/S to 7/S, in the divisions of its kind on a
        phone, or a tablet with --tablet); --accurate turns "Faster Implicits" off. json (the
        default) prints type, the counts, horizontalSteps, verticalSteps, vertices (x y z nx ny
        nz), indices and lineIndices; obj, stl (binary) and ply write the welded triangle mesh,
        wound outwards where closed, for other programs and 3D printers. -o writes to FILE.
  sample2d EXPR --window MINX MAXX MINY MAXY --ratio RX RY [--tablet] [--json]
        Build EXPR as a 2D equation (derivatives carried out) and sample it once over the
        window at RX and RY points per unit, as the 2D view does: one line "x y" per point
        (curves; contour segments in pairs), or per region record of an inequality its
        vertex count and points. --tablet uses the tablet's region capacity. With --json:
        type, dataObjectCount and points, or records of n points for an inequality.
  render EXPR... -o FILE.png [--size WxH] [--center X Y] [--ratio R | --ratio RX RY] [--dark]
         [--thick] [--color RRGGBB]... [--json]
        Draw each EXPR (one argument each, derivatives carried out) on the 2D plane as the
        app's view does and write the picture as a PNG, one pixel per point: WxH pixels
        (default 800x600) around the plane point X Y (default 0 0) at R, or RX and RY, points
        per unit (default 80, from 1e-07 to 1e+07), light or --dark background, --thick lines.
        The n-th --color colours the n-th EXPR (RRGGBBAA sets alpha); the rest take a fixed
        palette; inequalities are half transparent. Prints FILE; with --json: file, width,
        height and equations (expression, type, color, dataObjectCount).

Options:
  --help       show this text
  --version    show the version

Output is plain text, or one JSON object with --json (non-finite numbers as "nan", "inf",
"-inf"). Exit status: 0 success, 1 bad input (the error goes to standard error as
"error at POSITION: MESSAGE"), 2 bad usage.
)";

}  // namespace

int main(int argc, char** argv) {
    using namespace plotwise::cli;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        std::cerr << kUsage;
        return kExitUsage;
    }
    const std::string command = arguments.front();
    const Arguments rest(arguments.data() + 1, arguments.size() - 1);
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << kUsage;
        return kExitSuccess;
    }
    if (command == "--version") {
        std::cout << "plotwise-cli " << kVersion << '\n';
        return kExitSuccess;
    }
    if (command == "eval") {
        return runEval(rest, std::cout, std::cerr);
    }
    if (command == "simplify") {
        return runSimplify(rest, std::cout, std::cerr);
    }
    if (command == "mesh3d") {
        return runMesh3D(rest, std::cout, std::cerr);
    }
#ifdef PLOTWISE_CLI_LIBRARY
    if (command == "library") {
        return runLibrary(rest, std::cout, std::cerr);
    }
#endif
#ifdef PLOTWISE_CLI_TYPESET
    if (command == "typeset") {
        return runTypeset(rest, std::cout, std::cerr);
    }
#endif
#ifdef PLOTWISE_CLI_SAMPLE2D
    if (command == "sample2d") {
        return runSample2d(rest, std::cout, std::cerr);
    }
#endif
#ifdef PLOTWISE_CLI_RENDER
    if (command == "render") {
        return runRender(rest, std::cout, std::cerr);
    }
#endif
    return usageError(std::cerr, "unknown command '" + command + "'");
}
