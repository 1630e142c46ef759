// plotwise-cli: the command-line front end over Plotwise's libraries.
#include <iostream>
#include <string>
#include <string_view>
#include <vector>

#include "cli/CommandSupport.h"
#include "cli/EvalCommand.h"
#include "cli/Mesh3DCommand.h"
#include "cli/Usage.h"
#ifdef PLOTWISE_CLI_RENDER
#include "cli/RenderCommand.h"
#endif
#ifdef PLOTWISE_CLI_RENDER3D
#include "cli/Render3DCommand.h"
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

}  // namespace

int main(int argc, char** argv) {
    using namespace plotwise::cli;
    std::vector<std::string> arguments(argv + 1, argv + argc);
    if (arguments.empty()) {
        std::cerr << programUsage();
        return kExitUsage;
    }
    const std::string command = arguments.front();
    const Arguments rest(arguments.data() + 1, arguments.size() - 1);
    if (command == "--help" || command == "-h" || command == "help") {
        std::cout << programUsage();
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
#ifdef PLOTWISE_CLI_RENDER3D
    if (command == "render3d") {
        return runRender3D(rest, std::cout, std::cerr);
    }
#endif
    return usageError(std::cerr, "unknown command '" + command + "'");
}
