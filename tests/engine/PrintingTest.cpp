#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "TreeNotation.h"
#include "engine/RVNumber.h"
#include "engine/RVParser.h"

namespace plotwise {
namespace {

using test::kInf;
using test::kNaN;
using test::u16;
using test::utf8;

// ---------------------------------------------------------------------------------------------
// Printing of parsed text.

// Each text prints as given, and printing the re-parsed text is a fixed point.
TEST(ParsedPrinting, DescriptionAndFixedPoint) {
    const char* const rows[][2] = {
        {"2x", "2⋅x"},
        {"2 sin(x)", "2⋅sin(x)"},
        {" x + 3*4 ", "x+3⋅4"},
        {"MAX(1,x)", "MAX(1, x)"},
        {"if(x<0,-x,x)", "if(x<0, -x, x)"},
        {"-x^2", "-x^2"},
        {"-(x+1)^2", "-(x+1)^2"},
        {"2--3", "2--3"},
        // A unary minus as exponent or operand binds looser than "^", "⋅" and "+".
        {"2^-1+2⋅-3+(2+-3)", "2^(-1)+2⋅(-3)+(2+(-3))"},
        {"3√√16", "3√2√16"},
        {"d/dx(x^2)", "d/dx(x^2)"},
        {"5.+007", "5.+007"},
        {"x=2;x^2", "x^2"},
    };
    for (const auto& [text, printed] : rows) {
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = test::parseOrFail(parser, text, table);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(utf8(tree->description()), printed) << text;
        auto reparsed = parser.parse(tree->description(), table.data());
        ASSERT_NE(reparsed, nullptr) << utf8(parser.error());
        EXPECT_EQ(utf8(reparsed->description()), printed);
    }
}

// ---------------------------------------------------------------------------------------------
// Trees built by hand (test::buildTree), as simplification and differentiation build them.
// (Their generated trees are printed and read back at every derivative step: DerivativeTest.)

struct BuiltPrintRow {
    const char* notation;
    const char* printed;
    double value;  // at x=2, y=3, z=2, worked out by hand from the tree's meaning
};

// The printed text is fixed, and re-parses to a tree with the same value, bit for bit, at several
// points (signed zeros tell 0 - x from -x); the compiled tree agrees too.
TEST(BuiltPrinting, RoundTripsToTheSameValue) {
    const BuiltPrintRow rows[] = {
        {"(^ (^ x y) z)", "(x^y)^z", 64},
        {"(prod * 12 / (prod * y * z))", "12/(y⋅z)", 2},
        {"(prod * (sum + 1 + pi) * x)", "(1+π)⋅x", (1 + std::numbers::pi) * 2},
        {"(sum - (neg x) + y)", "-(-x)+y", 5},
        {"(sum - (prod * -2 * x) - y)", "-(-2⋅x)-y", 1},
        {"(sum - -3 + x)", "-(-3)+x", 5},
        {"(^ (root 3 8) 2)", "(3√8)^2", 4},
        {"(root (^ x 1) 9)", "(x^1)√9", 3},
        {"(sum + 12 - (sum + y + z))", "12-(y+z)", 7},
        {"(sum - x + y)", "-x+y", 1},
        {"(^ (neg x) 2)", "(-x)^2", 4},
        {"(^ -3 2)", "(-3)^2", 9},
        {"(^ 2 -1)", "2^(-1)", 0.5},
        {"(prod * x / inf)", "x/(1/0)", 0},
        {"-inf", "(-1/0)", -kInf},
        {"nan", "(0/0)", kNaN},
    };
    const VariableTable points[] = {{2, 3, 2, 0, 0, 0},       {-1.5, 0.5, 4, 1, 1, 1},
                                    {7, -2, 0.25, 3, 0.5, 2}, {1e10, 3e-5, -9, 0, 0, 0},
                                    {0, -0.0, 0, 0, 0, 0},    {-0.0, 0, -0.0, 0, 0, 0}};
    for (const BuiltPrintRow& row : rows) {
        SCOPED_TRACE(row.notation);
        VariableTable table = points[0];
        auto tree = test::buildTree(row.notation, table);
        ASSERT_TRUE(tree->hasConsistentParents());
        const std::u16string printed = tree->description();
        EXPECT_EQ(utf8(printed), row.printed);
        EXPECT_SAME_VALUE(row.value, tree->value());
        RVParser parser;
        auto reparsed = parser.parse(printed, table.data());
        ASSERT_NE(reparsed, nullptr) << utf8(parser.error()) << " at " << parser.errorPos();
        for (const VariableTable& point : points) {
            table = point;
            const double original = tree->value();
            table = point;
            EXPECT_SAME_VALUE(original, reparsed->value()) << "x=" << point[0] << " y=" << point[1];
            table = point;
            EXPECT_SAME_VALUE(original, tree->compile().evaluate());
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Numbers made from values.

// Every double prints as plain decimal text (no exponent) that reads back to the same bits.
TEST(NumberWithValue, RandomDoublesReadBackExactly) {
    using Limits = std::numeric_limits<double>;
    std::vector<double> values = {Limits::max(),
                                  Limits::min(),
                                  Limits::denorm_min(),
                                  -Limits::denorm_min(),
                                  0.1,
                                  1.0 / 3.0,
                                  -2.5,
                                  9007199254740993.0,
                                  -0.0,
                                  1e21,
                                  1e-7,
                                  1e300,
                                  1e-300};
    std::mt19937_64 rng(314159);
    for (int i = 0; i < 1500; ++i) {
        values.push_back(std::bit_cast<double>(rng()));
    }
    VariableTable table = test::zeroTable();
    RVParser parser;
    for (double value : values) {
        SCOPED_TRACE(test::describeDouble(value));
        auto number = RVNumber::numberWithValue(value);
        const std::u16string text = number->description();
        if (std::isfinite(value)) {
            for (size_t k = 0; k < text.size(); ++k) {
                const char16_t c = text[k];
                const bool allowed = (c >= u'0' && c <= u'9') || c == u'.' || (c == u'-' && k == 0);
                ASSERT_TRUE(allowed) << utf8(text);
            }
        }
        auto tree = parser.parse(text, table.data());
        ASSERT_NE(tree, nullptr) << utf8(parser.error());
        EXPECT_SAME_VALUE(value, tree->value());
    }
}

}  // namespace
}  // namespace plotwise
