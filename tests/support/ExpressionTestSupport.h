#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "engine/RVOperation.h"
#include "engine/RVOperationTree.h"
#include "engine/RVParser.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

// Qt-free helpers for every suite that parses expressions: IEEE constants, UTF-8 test text, a
// parse that fails the test with the parser's message, and a structure printer so that a test
// states a tree's shape in one string instead of a chain of casts.
namespace plotwise::test {

inline constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();
inline constexpr double kInf = std::numeric_limits<double>::infinity();

// Bit-identical, with every NaN equal to every other NaN (payloads are not part of the contract).
inline bool sameValue(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

inline std::u16string u16(std::string_view utf8) {
    return toUtf16(utf8);
}
inline std::string utf8(std::u16string_view text) {
    return toUtf8(text);
}

// Parses with the given parser into `table`; a failure is reported with message and position.
inline std::unique_ptr<RVOperationTree> parseOrFail(RVParser& parser, std::string_view text,
                                                    VariableTable& table) {
    auto tree = parser.parse(u16(text), table.data());
    if (!tree) {
        ADD_FAILURE() << "\"" << text << "\" did not parse: " << utf8(parser.error()) << " at "
                      << parser.errorPos();
    }
    return tree;
}

// Each node as spelling@position, its children in brackets: "1+√16" is
// "+@1[+@1[1@0] +@1[√@2[2@2 16@3]]]" (the sum, its holders, the root with its index).
inline std::string structure(const RVOperation& node) {
    std::string out =
        utf8(node.token().spelling()) + "@" + std::to_string(node.token().locationInSource());
    std::string children;
    node.forEachChild([&children](const RVOperation& child) {
        children += (children.empty() ? "" : " ") + structure(child);
    });
    return children.empty() ? out : out + "[" + children + "]";
}

}  // namespace plotwise::test
