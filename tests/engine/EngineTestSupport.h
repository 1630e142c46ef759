#pragma once

#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <limits>
#include <memory>
#include <string>
#include <string_view>

#include "ExpressionTestSupport.h"
#include "engine/RVOperationTree.h"
#include "engine/RVParser.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

// Helpers shared by the engine suites. Test data is written as UTF-8 (the source encoding) and
// converted at the boundary, so failure messages stay readable.
namespace plotwise::test {

inline std::string describeDouble(double v) {
    return shortestText(v) + " [bits " + std::to_string(std::bit_cast<std::uint64_t>(v)) + "]";
}

inline ::testing::AssertionResult SameValue(const char* expectedExpr, const char* actualExpr,
                                            double expected, double actual) {
    if (sameValue(expected, actual)) {
        return ::testing::AssertionSuccess();
    }
    return ::testing::AssertionFailure()
           << actualExpr << " is " << describeDouble(actual) << ", expected " << expectedExpr
           << " = " << describeDouble(expected);
}

// Makes a valid gtest parameter name out of a row label.
inline std::string testName(std::string_view label) {
    std::string name;
    for (char c : label) {
        name.push_back(std::isalnum(static_cast<unsigned char>(c)) ? c : '_');
    }
    return name;
}

// Hides a constant from the compiler, so a libm call in an expectation runs at run time like the
// engine's own call instead of being folded with different rounding at compile time.
inline double opaque(double v) {
    volatile double hidden = v;
    return hidden;
}

// A table with every slot zero; the six slots are x y z r Θ Φ.
inline VariableTable zeroTable() {
    return VariableTable{0, 0, 0, 0, 0, 0};
}

inline std::unique_ptr<RVOperationTree> parseText(RVParser& parser, std::string_view text,
                                                  VariableTable& table) {
    return parser.parse(u16(text), table.data());
}

}  // namespace plotwise::test

// gtest-friendly comparison: EXPECT_SAME_VALUE(expected, actual).
#define EXPECT_SAME_VALUE(expected, actual) \
    EXPECT_PRED_FORMAT2(::plotwise::test::SameValue, expected, actual)
#define ASSERT_SAME_VALUE(expected, actual) \
    ASSERT_PRED_FORMAT2(::plotwise::test::SameValue, expected, actual)
