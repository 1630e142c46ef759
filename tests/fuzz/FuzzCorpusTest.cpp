// Replays the fuzzer's seed corpus and every kept crash input through the fuzzer's checks.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "fuzz/ParserRoundTrip.h"

namespace {

std::vector<std::filesystem::path> inputsUnder(const std::filesystem::path& folder) {
    std::vector<std::filesystem::path> files;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        if (entry.is_regular_file() && entry.path().filename() != "README.md") {
            files.push_back(entry.path());
        }
    }
    return files;
}

void replay(const std::filesystem::path& folder) {
    for (const auto& file : inputsUnder(folder)) {
        SCOPED_TRACE(file.string());
        std::ifstream in(file, std::ios::binary);
        std::stringstream content;
        content << in.rdbuf();
        const auto failure = plotwise::fuzz::checkParserRoundTrip(content.str());
        EXPECT_FALSE(failure.has_value()) << *failure;
    }
}

TEST(FuzzCorpus, SeedsAgreeEverywhere) {
    const auto files = inputsUnder(PLOTWISE_FUZZ_DIR "/corpus/parser");
    ASSERT_GE(files.size(), 20u);
    replay(PLOTWISE_FUZZ_DIR "/corpus/parser");
}

TEST(FuzzCorpus, KeptCrashInputsStayFixed) {
    replay(PLOTWISE_FUZZ_DIR "/regressions");
}

}  // namespace
