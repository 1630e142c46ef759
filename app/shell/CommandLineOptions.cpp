#include "app/shell/CommandLineOptions.h"

#include <algorithm>
#include <array>
#include <cstddef>
#include <string_view>

#include "common/CommandLine.h"

namespace plotwise {

namespace {

// QGuiApplication's and QApplication's options that take a value; the others are single words.
constexpr std::array<std::string_view, 11> kQtOptionsWithValue{
    "-platform",        "-platformpluginpath", "-platformtheme", "-plugin",
    "-qwindowgeometry", "-geometry",           "-qwindowtitle",  "-qwindowicon",
    "-style",           "-stylesheet",         "-display"};
constexpr std::array<std::string_view, 6> kQtSingleOptions{"-reverse", "-nograb",      "-dograb",
                                                           "-sync",    "-widgetcount", "-session"};

bool isQtOptionWithValue(std::string_view argument) {
    return std::find(kQtOptionsWithValue.begin(), kQtOptionsWithValue.end(), argument) !=
           kQtOptionsWithValue.end();
}

bool isQtSingleOption(std::string_view argument) {
    // "-style=fusion" and the like carry their value in the word.
    const std::string_view name = argument.substr(0, argument.find('='));
    return std::find(kQtSingleOptions.begin(), kQtSingleOptions.end(), name) !=
               kQtSingleOptions.end() ||
           (name != argument && isQtOptionWithValue(name));
}

CommandLineOptions usageError(std::string message) {
    CommandLineOptions options;
    options.action = CommandLineOptions::Action::UsageError;
    options.error = std::move(message);
    return options;
}

std::optional<DeviceClass> idiomNamed(std::string_view name) {
    if (name == "phone") {
        return DeviceClass::Phone;
    }
    if (name == "tablet") {
        return DeviceClass::Tablet;
    }
    return std::nullopt;
}

}  // namespace

CommandLineOptions CommandLineOptions::parse(const std::vector<std::string>& arguments) {
    // QApplication reads its own options later: they are no expressions and no mistakes.
    std::vector<std::string> ours;
    for (size_t i = 1; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        if (argument == "--") {
            ours.insert(ours.end(), arguments.begin() + static_cast<std::ptrdiff_t>(i),
                        arguments.end());
            break;
        }
        if (isQtOptionWithValue(argument)) {
            ++i;
        } else if (!isQtSingleOption(argument)) {
            ours.push_back(argument);
        }
    }

    CommandLine line("plotwise");
    bool version = false;
    bool options3D = false;
    std::string idiom;
    line.app().set_help_flag("-h,--help", "show the usage");
    line.flag("--version", version);
    line.flag("--3d", options3D);
    line.option("--idiom", idiom, "a value: phone or tablet");
    const CommandLine::Outcome outcome = line.parse(ours);
    CommandLineOptions options;
    // Help and the version are answered even when something else is wrong.
    if (outcome == CommandLine::Outcome::Help || line.app().get_help_ptr()->count() > 0) {
        options.action = Action::ShowHelp;
    } else if (version) {
        options.action = Action::ShowVersion;
    } else if (outcome == CommandLine::Outcome::UsageError) {
        return usageError(line.error());
    } else if (line.app().count("--idiom") > 0) {
        options.idiom = idiomNamed(idiom);
        if (!options.idiom) {
            return usageError("unknown idiom '" + idiom + "' (phone or tablet)");
        }
    }
    // A single dash starts many expressions: "-x^2", "-2<y".
    options.expressions = line.words();
    options.expressionsIn3D = options3D;
    return options;
}

std::string CommandLineOptions::helpText(const std::string& programName) {
    return "Usage: " + programName +
           " [--idiom phone|tablet] [--3d] [EXPRESSION...]\n"
           "\n"
           "Plotwise, a graphing calculator. Starts with the plane in front as it was left; each\n"
           "EXPRESSION given (for instance 'y=x^2' or 'r=2*cos(4Θ)') is added to the 2D plane.\n"
           "\n"
           "Options:\n"
           "  --idiom phone|tablet  lay out for a phone or a tablet (default: chosen from the\n"
           "                        screen; tablet when its shorter side is 600 pixels or more)\n"
           "  --3d                  add the expressions to the 3D plane and show it\n"
           "  --help, -h            show this help and quit\n"
           "  --version             show the version and quit\n"
           "  --                    treat every later argument as an expression\n"
           "\n"
           "Qt's own options, such as -platform or -style, are accepted too.\n";
}

std::string CommandLineOptions::versionText() {
    return std::string("plotwise ") + PLOTWISE_VERSION + "\n";
}

}  // namespace plotwise
