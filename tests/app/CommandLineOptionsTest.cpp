#include <gtest/gtest.h>

#include "app/shell/CommandLineOptions.h"

namespace plotwise {
namespace {

using Action = CommandLineOptions::Action;

CommandLineOptions parsed(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), "plotwise");
    return CommandLineOptions::parse(arguments);
}

TEST(CommandLineOptions, HelpAndVersionWinOverEverythingBeforeThem) {
    EXPECT_EQ(parsed({"--help"}).action, Action::ShowHelp);
    EXPECT_EQ(parsed({"-h"}).action, Action::ShowHelp);
    EXPECT_EQ(parsed({"y=x", "--idiom", "phone", "--version"}).action, Action::ShowVersion);
    // After "--" they are expressions like any other word.
    const auto options = parsed({"--", "--help"});
    EXPECT_EQ(options.action, Action::Run);
    EXPECT_EQ(options.expressions, std::vector<std::string>{"--help"});
    EXPECT_NE(CommandLineOptions::helpText("plotwise").find("--idiom phone|tablet"),
              std::string::npos);
    EXPECT_EQ(CommandLineOptions::versionText().rfind("plotwise ", 0), 0u);
}

TEST(CommandLineOptions, IdiomInBothSpellings) {
    EXPECT_EQ(parsed({"--idiom", "phone"}).idiom, DeviceClass::Phone);
    EXPECT_EQ(parsed({"--idiom=tablet"}).idiom, DeviceClass::Tablet);
    EXPECT_FALSE(parsed({}).idiom.has_value());
    for (const auto& bad : std::vector<std::vector<std::string>>{
             {"--idiom"}, {"--idiom", "watch"}, {"--idiom="}, {"--idiom=Phone"}}) {
        const auto options = parsed(bad);
        EXPECT_EQ(options.action, Action::UsageError) << bad.back();
        EXPECT_FALSE(options.error.empty());
    }
}

TEST(CommandLineOptions, ExpressionsKeepTheirOrderAndLeadingMinus) {
    const auto options =
        parsed({"y=x^2", "-x^2<y", "--idiom", "tablet", "r=2cos(4Θ)", "-", "--", "--x"});
    EXPECT_EQ(options.action, Action::Run);
    EXPECT_EQ(options.expressions,
              (std::vector<std::string>{"y=x^2", "-x^2<y", "r=2cos(4Θ)", "-", "--x"}));
}

TEST(CommandLineOptions, QtOptionsAreLeftToQtAndNotTakenAsExpressions) {
    const auto options = parsed({"-platform", "offscreen", "y=x", "-style=fusion", "-reverse",
                                 "-stylesheet", "a.qss", "x=y"});
    EXPECT_EQ(options.action, Action::Run);
    EXPECT_EQ(options.expressions, (std::vector<std::string>{"y=x", "x=y"}));
}

TEST(CommandLineOptions, UnknownDoubleDashOptionsAreUsageErrors) {
    const auto options = parsed({"y=x", "--verbose"});
    EXPECT_EQ(options.action, Action::UsageError);
    EXPECT_NE(options.error.find("--verbose"), std::string::npos);
}

TEST(DeviceClassForScreen, TabletFromSixHundredOnTheShorterSide) {
    EXPECT_EQ(deviceClassForScreen(390, 844), DeviceClass::Phone);
    EXPECT_EQ(deviceClassForScreen(844, 390), DeviceClass::Phone);
    EXPECT_EQ(deviceClassForScreen(599, 2000), DeviceClass::Phone);
    EXPECT_EQ(deviceClassForScreen(600, 600), DeviceClass::Tablet);
    EXPECT_EQ(deviceClassForScreen(1920, 1080), DeviceClass::Tablet);
}

}  // namespace
}  // namespace plotwise
