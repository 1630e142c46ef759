#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/Sample2dCommand.h"

namespace plotwise::cli {
namespace {

struct CommandRun {
    int status;
    std::string out;
    std::string err;
};

CommandRun run(std::vector<std::string> arguments) {
    std::ostringstream out;
    std::ostringstream err;
    const int status = runSample2d(Arguments(arguments.data(), arguments.size()), out, err);
    return {status, out.str(), err.str()};
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> result;
    std::istringstream stream(text);
    for (std::string line; std::getline(stream, line);) {
        result.push_back(line);
    }
    return result;
}

std::size_t occurrences(const std::string& text, const std::string& what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1)) {
        ++count;
    }
    return count;
}

TEST(Sample2dCommand, StraightLinePrintsTwoPointsPerChunk) {
    // 49 chunks of 5/24 units over [−5, 5.1] (see the explicit sampler's test).
    const CommandRun plain =
        run({"y=2x+1", "--window", "-5", "5.1", "-5", "5", "--ratio", "32", "32"});
    ASSERT_EQ(plain.status, 0) << plain.err;
    const auto rows = lines(plain.out);
    ASSERT_EQ(rows.size(), 98u);
    EXPECT_EQ(rows.front(), "-5 -9");
    EXPECT_TRUE(plain.err.empty());

    const CommandRun json =
        run({"--json", "y=2x+1", "--window", "-5", "5.1", "-5", "5", "--ratio", "32", "32"});
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(json.out.rfind(
                  R"({"ok": true, "type": 1, "dataObjectCount": 97, "points": [[-5, -9], )", 0),
              0u)
        << json.out.substr(0, 120);
    EXPECT_EQ(occurrences(json.out, "], ["), 97u);
    EXPECT_EQ(json.out.substr(json.out.size() - 4), "]]}\n");
}

TEST(Sample2dCommand, PolarCircleAndWordsOfTheExpression) {
    const CommandRun circle =
        run({"r", "=", "1", "--window", "-2", "2", "-2", "2", "--ratio", "32", "32"});
    ASSERT_EQ(circle.status, 0) << circle.err;
    const auto rows = lines(circle.out);
    ASSERT_EQ(rows.size(), 90u);
    EXPECT_EQ(rows.front(), "1 0");
}

TEST(Sample2dCommand, NonFiniteCoordinatesAreWords) {
    const CommandRun plain =
        run({"y=√x", "--window", "-5.1", "5", "-1", "3", "--ratio", "32", "32"});
    ASSERT_EQ(plain.status, 0);
    const auto rows = lines(plain.out);
    ASSERT_FALSE(rows.empty());
    EXPECT_EQ(rows.front().substr(rows.front().find(' ')), " nan");
    const CommandRun json =
        run({"y=√x", "--json", "--window", "-5.1", "5", "-1", "3", "--ratio", "32", "32"});
    EXPECT_NE(json.out.find(R"(, "nan"])"), std::string::npos);
    const CommandRun infinite =
        run({"y=1/(x-x)", "--json", "--window", "-1", "1", "-1", "1", "--ratio", "10", "10"});
    EXPECT_NE(infinite.out.find(R"(, "inf"])"), std::string::npos);
}

TEST(Sample2dCommand, InequalitiesPrintRecords) {
    // The window lies inside the disc: one rectangle per column of cells (5.0001 / 10 wide).
    const CommandRun json = run(
        {"x^2+y^2<1", "--json", "--window", "-0.5", "0.5", "-0.4", "0.4", "--ratio", "10", "10"});
    ASSERT_EQ(json.status, 0) << json.err;
    EXPECT_EQ(
        json.out.rfind(
            R"({"ok": true, "type": 7, "dataObjectCount": 2, "records": [{"n": 4, "points": [[-0.5, -0.4)",
            0),
        0u)
        << json.out;
    EXPECT_EQ(occurrences(json.out, R"("n": 4)"), 2u);
    const CommandRun plain =
        run({"x^2+y^2<1", "--window", "-0.5", "0.5", "-0.4", "0.4", "--ratio", "10", "10"});
    const auto rows = lines(plain.out);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("4 -0.5 -0.4", 0), 0u) << rows[0];
}

TEST(Sample2dCommand, TabletHoldsMoreRegionRecords) {
    const std::vector<std::string> base = {"sin(20x)⋅sin(20y)>0.1",
                                           "--json",
                                           "--window",
                                           "-16",
                                           "16",
                                           "-10",
                                           "10",
                                           "--ratio",
                                           "80",
                                           "80"};
    std::vector<std::string> tablet = base;
    tablet.push_back("--tablet");
    const CommandRun phoneRun = run(base);
    const CommandRun tabletRun = run(tablet);
    ASSERT_EQ(phoneRun.status, 0);
    ASSERT_EQ(tabletRun.status, 0);
    const std::size_t phoneCount = occurrences(phoneRun.out, R"("n": )");
    const std::size_t tabletCount = occurrences(tabletRun.out, R"("n": )");
    EXPECT_GE(phoneCount, 28442u);
    EXPECT_LE(phoneCount, 28443u);
    EXPECT_GE(tabletCount, 56887u);
    EXPECT_LE(tabletCount, 56888u);
}

TEST(Sample2dCommand, NothingToDrawIsAnEmptyList) {
    const CommandRun json =
        run({"z=x+y", "--json", "--window", "-1", "1", "-1", "1", "--ratio", "9", "9"});
    ASSERT_EQ(json.status, 0);
    EXPECT_EQ(json.out, "{\"ok\": true, \"type\": 2, \"dataObjectCount\": 0, \"points\": []}\n");
}

TEST(Sample2dCommand, BadWindowsAndRatiosAreUsageErrors) {
    const std::vector<std::vector<std::string>> bad = {
        {"y=x", "--window", "1", "1", "0", "1", "--ratio", "10", "10"},
        {"y=x", "--window", "2", "1", "0", "1", "--ratio", "10", "10"},
        {"y=x", "--window", "0", "1", "1", "0", "--ratio", "10", "10"},
        {"y=x", "--window", "nan", "1", "0", "1", "--ratio", "10", "10"},
        {"y=x", "--window", "0", "inf", "0", "1", "--ratio", "10", "10"},
        {"y=x", "--window", "0", "1", "0", "1", "--ratio", "0", "10"},
        {"y=x", "--window", "0", "1", "0", "1", "--ratio", "10", "-1"},
        {"y=x", "--window", "0", "1", "0", "1", "--ratio", "nan", "10"},
        {"y=x", "--window", "0", "1", "0", "1", "--ratio", "10", "inf"},
        {"y=x", "--window", "0", "1", "0", "one", "--ratio", "10", "10"},
        {"y=x", "--window", "0", "1", "0", "--ratio", "10", "10"},
        {"y=x", "--window", "0", "1", "0", "1", "--ratio", "10"},
        {"y=x", "--ratio", "10", "10"},
        {"y=x", "--window", "0", "1", "0", "1"},
        {"--window", "0", "1", "0", "1", "--ratio", "10", "10"},
        {"y=x", "--window", "0", "1", "0", "1", "--ratio", "10", "10", "--phone"},
    };
    for (const auto& arguments : bad) {
        const CommandRun result = run(arguments);
        EXPECT_EQ(result.status, kExitUsage) << arguments[1] << " " << arguments.back();
        EXPECT_TRUE(result.out.empty());
        EXPECT_EQ(result.err.rfind("plotwise-cli: ", 0), 0u) << result.err;
        EXPECT_EQ(occurrences(result.err, "\n"), 1u) << result.err;
    }
    EXPECT_NE(run(bad[1]).err.find("MINX < MAXX"), std::string::npos);
    EXPECT_NE(run(bad[5]).err.find("positive finite"), std::string::npos);
}

TEST(Sample2dCommand, ParseErrorsAreInputFailures) {
    const CommandRun plain = run({"y=(", "--window", "0", "1", "0", "1", "--ratio", "10", "10"});
    EXPECT_EQ(plain.status, kExitInputFailure);
    EXPECT_EQ(plain.err.rfind("error at ", 0), 0u) << plain.err;
    EXPECT_NE(plain.err.find(": Expression expected"), std::string::npos) << plain.err;
    const CommandRun json =
        run({"y=(", "--json", "--window", "0", "1", "0", "1", "--ratio", "10", "10"});
    EXPECT_EQ(json.status, kExitInputFailure);
    EXPECT_EQ(json.out.rfind(R"({"ok": false, "error": )", 0), 0u) << json.out;
}

}  // namespace
}  // namespace plotwise::cli
