#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace plotwise::fuzz {

// Parses the text (UTF-8), and when it parses: prints it, re-parses the print, compiles it and
// evaluates all three at a few variable assignments; then simplifies it fully (carrying out
// derivatives within the work budget) and checks the result and its readable form. Returns a
// description of the first disagreement (print that fails to parse, values that differ), or nothing
// when all agree. Shared by the libFuzzer target and the corpus replay test.
std::optional<std::string> checkParserRoundTrip(std::string_view utf8);

}  // namespace plotwise::fuzz
