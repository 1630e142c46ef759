#pragma once

#include <cstddef>
#include <iosfwd>
#include <optional>
#include <span>
#include <string>
#include <string_view>

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

enum class OptionMatch { No, Yes, MissingValue };

// Whether arguments[i] is the option `name`, given as "NAME VALUE" or, for a long option,
// "NAME=VALUE"; on a match `value` holds the value and i points at the last word used.
OptionMatch matchOption(Arguments arguments, std::size_t& i, std::string_view name,
                        std::string& value);

// A word that matched no option: an unknown "--option" is a usage error (its status returned);
// any other word joins `expression`, blank-separated, since the words of an unquoted expression
// arrive apart and the scanner skips blanks.
std::optional<int> appendExpressionWord(const std::string& argument, bool positionalOnly,
                                        std::string& expression, bool& haveExpression,
                                        std::ostream& err);

// A finite or non-finite decimal number ("1.5", "-2", "1e3", "inf", "nan"), locale-independent.
std::optional<double> parseNumber(std::string_view text);

// The variable index (x 0, y 1, z 2, r 3, Θ 4, Φ 5) of a variable written as its letter or as the
// ASCII names theta and phi.
std::optional<int> variableIndexForName(std::string_view name);

// The letter of a variable index, UTF-8.
std::string variableLetter(int index);

}  // namespace plotwise::cli
