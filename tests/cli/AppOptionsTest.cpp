// The application's command line, read by the same parser as plotwise-cli's commands.
#include <gtest/gtest.h>

#include "CliTable.h"
#include "app/platform/DeviceClassChoice.h"
#include "app/shell/CommandLineOptions.h"

namespace plotwise {
namespace {

using Action = CommandLineOptions::Action;

struct AppRow {
    std::vector<std::string> arguments;
    Action action;
    std::vector<std::string> expressions = {};
    std::optional<DeviceClass> idiom = std::nullopt;
    std::string error = "";  // a part of the error line
    bool in3D = false;
};

TEST(AppOptions, Table) {
    const std::vector<AppRow> rows = {
        {{"--help"}, Action::ShowHelp},
        {{"y=x", "--idiom", "phone", "--version"}, Action::ShowVersion},
        {{"--", "--help"}, Action::Run, {"--help"}},
        {{"--idiom", "phone"}, Action::Run, {}, DeviceClass::Phone},
        {{"--idiom=tablet"}, Action::Run, {}, DeviceClass::Tablet},
        {{"--idiom"}, Action::UsageError, {}, std::nullopt, "--idiom needs"},
        {{"--idiom", "watch"}, Action::UsageError, {}, std::nullopt, "'watch'"},
        {{"--idiom="}, Action::UsageError, {}, std::nullopt, "''"},
        {{"--idiom=Phone"}, Action::UsageError, {}, std::nullopt, "'Phone'"},
        {{"y=x^2", "-x^2<y", "--idiom", "tablet", "r=2cos(4Θ)", "-", "--", "--x"},
         Action::Run,
         {"y=x^2", "-x^2<y", "r=2cos(4Θ)", "-", "--x"},
         DeviceClass::Tablet},
        {{"-platform", "offscreen", "y=x", "-style=fusion", "-reverse", "-stylesheet", "a.qss",
          "x=y"},
         Action::Run,
         {"y=x", "x=y"}},
        {{"y=x", "--verbose"}, Action::UsageError, {}, std::nullopt, "'--verbose'"},
        {{"z=x^2", "--3d", "r=2"}, Action::Run, {"z=x^2", "r=2"}, std::nullopt, "", true},
        {{"--", "--3d"}, Action::Run, {"--3d"}},
    };
    for (const AppRow& row : rows) {
        SCOPED_TRACE(testing::joined(row.arguments));
        std::vector<std::string> arguments = row.arguments;
        arguments.insert(arguments.begin(), "plotwise");
        const CommandLineOptions options = CommandLineOptions::parse(arguments);
        EXPECT_EQ(options.action, row.action);
        if (row.action == Action::Run) {
            EXPECT_EQ(options.expressions, row.expressions);
            EXPECT_EQ(options.idiom, row.idiom);
            EXPECT_EQ(options.expressionsIn3D, row.in3D);
        }
        EXPECT_EQ(options.error.empty(), row.error.empty());
        EXPECT_NE(options.error.find(row.error), std::string::npos) << options.error;
    }
    EXPECT_NE(CommandLineOptions::helpText("plotwise").find("--idiom phone|tablet] [--3d]"),
              std::string::npos);
    EXPECT_EQ(CommandLineOptions::versionText().rfind("plotwise ", 0), 0u);
}

TEST(AppOptions, TabletFromSixHundredOnTheShorterSide) {
    EXPECT_EQ(deviceClassForScreen(844, 390), DeviceClass::Phone);
    EXPECT_EQ(deviceClassForScreen(599, 2000), DeviceClass::Phone);
    EXPECT_EQ(deviceClassForScreen(600, 600), DeviceClass::Tablet);
}

}  // namespace
}  // namespace plotwise
