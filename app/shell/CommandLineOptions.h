#pragma once

#include <optional>
#include <string>
#include <vector>

#include "common/DeviceClass.h"

namespace plotwise {

// What the command line of `plotwise` asks for. It is read before QApplication exists, so that
// --help, --version and mistakes are answered without a display. Qt's own options
// ("-platform offscreen", "-style fusion", ...) are left to QApplication.
struct CommandLineOptions {
    enum class Action { Run, ShowHelp, ShowVersion, UsageError };

    Action action = Action::Run;
    // Forced by --idiom; otherwise chosen from the screen.
    std::optional<DeviceClass> idiom;
    // Added to the 2D plane (with --3d, to the 3D plane, which is then shown) after it is
    // restored, in order.
    std::vector<std::string> expressions;
    bool expressionsIn3D = false;
    // For UsageError: one line saying what was wrong.
    std::string error;

    static CommandLineOptions parse(const std::vector<std::string>& arguments);
    static std::string helpText(const std::string& programName);
    static std::string versionText();
};

}  // namespace plotwise
