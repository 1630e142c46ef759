#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "common/CommandLine.h"

namespace plotwise::cli {

// Exit statuses of the command line contract.
inline constexpr int kExitSuccess = 0;
inline constexpr int kExitInputFailure = 1;
inline constexpr int kExitUsage = 2;

using Arguments = std::span<const std::string>;

// Prints "plotwise-cli: MESSAGE" and a hint to the usage text; returns kExitUsage.
int usageError(std::ostream& err, std::string_view message);

// Reports a failure of the input: "error at POSITION: MESSAGE" on standard error and, with
// JSON, {"ok": false, "error": MESSAGE, "position": POSITION} on standard output. Returns
// kExitInputFailure.
int inputFailure(std::ostream& out, std::ostream& err, bool json, const std::string& message,
                 unsigned position);

// Reports a failure that is not about the expression's text (an image too large, a file that
// cannot be written): "error: MESSAGE" on standard error and, with JSON,
// {"ok": false, "error": MESSAGE} on standard output. Returns kExitInputFailure.
int outputFailure(std::ostream& out, std::ostream& err, bool json, const std::string& message);

// A user's text as a message repeats it: cut after 80 characters (code points) with "…".
std::string echoed(std::string_view text);

// Parses a command's arguments with `line`. Returns an exit status when the command ends there:
// --help prints `usage` and succeeds; a mistake is a usage error.
std::optional<int> parseCommandLine(CommandLine& line, Arguments arguments, std::string_view usage,
                                    std::ostream& out, std::ostream& err);

// The words of an expression joined by blanks: the words of an unquoted expression arrive apart
// and the scanner skips blanks.
std::string joinedWords(const std::vector<std::string>& words);

// A finite or non-finite decimal number ("1.5", "-2", "1e3", "inf", "nan"), locale-independent.
std::optional<double> parseNumber(std::string_view text);

// The variable index (x 0, y 1, z 2, r 3, Θ 4, Φ 5) of a variable written as its letter or as the
// ASCII names theta and phi.
std::optional<int> variableIndexForName(std::string_view name);

// The letter of a variable index, UTF-8.
std::string variableLetter(int index);

}  // namespace plotwise::cli
