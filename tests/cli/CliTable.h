#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <string>
#include <vector>

#include "CliRunner.h"

namespace plotwise::testing {

// A command line: a braced list of words, or one string split at each space.
struct Words : std::vector<std::string> {
    Words() = default;
    Words(std::initializer_list<std::string> words) : std::vector<std::string>(words) {}
    Words(std::vector<std::string> words) : std::vector<std::string>(std::move(words)) {}
    Words(const char* line) {
        for (std::string rest = line; !rest.empty();) {
            const std::size_t space = rest.find(' ');
            push_back(rest.substr(0, space));
            rest = space == std::string::npos ? "" : rest.substr(space + 1);
        }
    }
};

// One run of plotwise-cli and what the contract says of it. In `arguments`, "@" stands for a
// file in a fresh folder ("--output=@" and "@.svg" too); the patterns are ECMAScript regular
// expressions searched in the text.
struct CliRow {
    Words arguments;
    int status;
    std::string out;
    std::string err = "^$";
    // What "@" holds afterwards; empty: the file must not exist.
    std::string file = "";
    // When set, the stored 2D library; it must be left as it was.
    std::string library2D = "";
};

inline std::string joined(const std::vector<std::string>& words) {
    std::string line;
    for (const std::string& word : words) {
        line += (line.empty() ? "" : " ") + word;
    }
    return line;
}

// Runs each row in its own folder with its own data folder, without a display or a platform
// chosen, and checks status, output, errors and the file written.
inline void checkRows(const std::vector<CliRow>& rows) {
    for (const CliRow& row : rows) {
        SCOPED_TRACE(joined(row.arguments));
        const std::filesystem::path folder = std::filesystem::temp_directory_path() /
                                             ("plotwise-cli-test-" + std::to_string(getpid()));
        std::filesystem::remove_all(folder);
        std::filesystem::create_directories(folder / "data");
        std::string file = (folder / "written").string();
        std::vector<std::string> arguments = row.arguments;
        for (std::string& word : arguments) {
            if (const auto at = word.find('@'); at != std::string::npos) {
                file = (folder / "written").string() + word.substr(at + 1);
                word.replace(at, 1, (folder / "written").string());
            }
        }
        const std::filesystem::path library = folder / "data/Plotwise/plotwise/expressions2D.plist";
        if (!row.library2D.empty()) {
            std::filesystem::create_directories(library.parent_path());
            std::ofstream(library, std::ios::binary) << row.library2D;
        }
        const CliRun run = runProgram(PLOTWISE_CLI, arguments, folder,
                                      {{"XDG_DATA_HOME", (folder / "data").string()},
                                       {"QT_QPA_PLATFORM", ""},
                                       {"DISPLAY", ""},
                                       {"WAYLAND_DISPLAY", ""},
                                       {"LC_ALL", "C.UTF-8"}});
        EXPECT_EQ(run.status, row.status) << run.err;
        EXPECT_TRUE(std::regex_search(run.out, std::regex(row.out))) << run.out.substr(0, 400);
        EXPECT_TRUE(std::regex_search(run.err, std::regex(row.err))) << run.err;
        if (row.file.empty()) {
            EXPECT_FALSE(std::filesystem::exists(file));
        } else {
            EXPECT_TRUE(std::regex_search(fileContents(file), std::regex(row.file)));
        }
        if (!row.library2D.empty()) {
            EXPECT_EQ(fileContents(library), row.library2D);
        }
        std::filesystem::remove_all(folder);
    }
}

}  // namespace plotwise::testing
