#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/RVParser.h"

namespace plotwise {
namespace {

using test::u16;
using test::utf8;

// ---------------------------------------------------------------------------------------------
// Tree shapes the grammar fixes.

// Each node's spelling and position (test::structure): the square root's index 2 stands at the
// sign, sums and products keep one holder per operand with the operator's position, and a single
// operand is not wrapped.
TEST(ParserShape, NodesAndTheirPositions) {
    const char* const rows[][2] = {
        {"1+√16", "+@1[+@1[1@0] +@1[√@2[2@2 16@3]]]"},
        {"x -1+y", "+@2[+@2[x@0] -@2[1@3] +@4[y@5]]"},
        {"2x", "⋅@0[⋅@0[2@0] ⋅@1[x@1]]"},
        {"2(x+1)", "⋅@0[⋅@0[2@0] ⋅@1[(@1[+@3[+@3[x@2] +@3[1@4]]]]]"},
        {"2*3×4⋅x", "⋅@0[⋅@0[2@0] ⋅@1[3@2] ⋅@3[4@4] ⋅@5[x@6]]"},
        {"x y/2", "⋅@0[⋅@0[x@0] ⋅@2[y@2] /@3[2@4]]"},
        {"7", "7@0"},
        {"-x^2", "-@0[^@2[x@1 2@3]]"},
        {"2^3^2", "^@1[2@0 ^@3[3@2 2@4]]"},
        {"(x)", "(@0[x@1]"},
        {"max(x,1)", "max@0[x@4 1@6]"},
        {"d/dy(x)", "d/d@0[y@3 x@5]"},
        {"y≤x", "≤@1[y@0 x@2]"},
        {"SiN(x)", "SiN@0[x@4]"},
    };
    for (const auto& row : rows) {
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = test::parseOrFail(parser, row[0], table);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(test::structure(*tree->root()), row[1]) << row[0];
    }
}

// ---------------------------------------------------------------------------------------------
// Failures: exact English message, format, arguments and position.

// The message with its arguments put into its format, and the position (in UTF-16 units; the
// identifier messages point at the token after the name).
TEST(ParserErrors, MessageAndPosition) {
    struct Row {
        const char* text;
        const char* message;
        unsigned position;
    };
    const Row rows[] = {
        {"sin x", "\"(\" expected", 4},
        {"sinx", "Unknown identifier \"sinx\"", 3},
        {"2+SINX (x)", "Unknown identifier \"SINX\"", 7},
        {"max(1)", "\",\" expected", 5},
        {"max(1,2,3)", "\")\" expected", 7},
        {"sin(1", "\")\" expected", 4},
        {"x<y<z", "\"<\" unexpected", 3},
        {"y=1=2", "\"=\" unexpected", 3},
        {"(x<1)", "\")\" expected", 2},
        {"d/dx(x<1)", "\")\" expected", 6},
        {"d/d2(x)", "\"Variable\" expected", 3},
        {"d/dx x", "\"(\" expected", 5},
        {"d/x", "d expected", 2},
        {"1+d/(x)", "d expected", 4},
        {"+x", "Expression expected", 0},
        {"--x", "Expression expected", 1},
        {"max(,1)", "Expression expected", 4},
        {".5", "Expression expected", 0},
        {"x=2;", "Expression expected", 3},
        {"x==1", "Expression expected", 2},
        {"θ", "Expression expected", 0},
        {"   ", "Expression expected", 2},
        {"2)", "\")\" unexpected", 1},
        {"x#", "\"#\" unexpected", 1},
        {"1.5.2", "\".\" unexpected", 3},
        {"1,2", "\",\" unexpected", 1},
        {"1\u22122", "\"\u2212\" unexpected", 1},
        {"π+Θ+#", "Expression expected", 4},
        {"x+\U0001F600", "Expression expected", 2},
        {"√x\U0001F600+1", "\"\uFFFD\" unexpected", 2},
    };
    for (const Row& row : rows) {
        VariableTable table = test::zeroTable();
        RVParser parser;
        EXPECT_EQ(test::parseText(parser, row.text, table), nullptr) << row.text;
        EXPECT_EQ(utf8(parser.error()), row.message) << row.text;
        EXPECT_EQ(parser.errorPos(), row.position) << row.text;
        std::u16string filled = parser.errorMessage().format;
        for (const auto& argument : parser.errorMessage().arguments) {
            filled.replace(filled.find(u"%@"), 2, argument);
        }
        EXPECT_EQ(utf8(filled), row.message) << row.text;
    }
}

// An empty text is "Nothing to parse" and keeps the last position; a success keeps the last
// failure; a later failure overwrites both.
TEST(ParserErrors, TheLastFailureStaysUntilTheNext) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    ASSERT_EQ(test::parseText(parser, "1+sinx", table), nullptr);
    EXPECT_EQ(parser.parse(u"", table.data()), nullptr);
    EXPECT_EQ(utf8(parser.error()), "Nothing to parse");
    EXPECT_EQ(utf8(parser.errorMessage().format), "Nothing to parse");
    EXPECT_EQ(parser.errorPos(), 5u);
    ASSERT_NE(test::parseText(parser, "x+1", table), nullptr);
    EXPECT_EQ(utf8(parser.error()), "Nothing to parse");
    EXPECT_EQ(parser.errorPos(), 5u);
    ASSERT_EQ(test::parseText(parser, "((", table), nullptr);
    EXPECT_EQ(utf8(parser.error()), "Expression expected");
    EXPECT_EQ(parser.errorPos(), 1u);
}

// Earlier statements write the table during the parse (also when a later one fails); the last
// statement runs only when evaluated; "=" inside an argument compares and never stores.
TEST(ParserStatements, EarlierStatementsWriteTheTableDuringTheParse) {
    struct Row {
        const char* text;
        double x, y;         // the table after the parse, from x = y = 0
        double value;        // nan: the parse fails
        double yAfterValue;  // y after evaluating
    };
    const Row rows[] = {
        {"x=2;x^2", 2, 0, 4, 0},
        {"x=5;y=+", 5, 0, test::kNaN, 0},
        {"x=1;y=7", 1, 0, 7, 7},
        {"x=3;if(y=x,10,20)", 3, 0, 20, 0},
        {"x=3;y=3;if(y=x,10,20)", 3, 3, 10, 3},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = test::parseText(parser, row.text, table);
        EXPECT_EQ(table[0], row.x);
        EXPECT_EQ(table[1], row.y);
        if (std::isnan(row.value)) {
            EXPECT_EQ(tree, nullptr);
            continue;
        }
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(utf8(tree->expressionString()), row.text);
        EXPECT_EQ(tree->value(), row.value);
        EXPECT_EQ(table[1], row.yAfterValue);
        EXPECT_EQ(tree->compile().evaluate(), row.value);
    }
}

// ---------------------------------------------------------------------------------------------
// Nesting: deep text is refused with a message, moderate depth parses.

std::string repeated(const std::string& piece, int count) {
    std::string out;
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

// Ten thousand levels are refused with a message; two hundred parse, evaluate (both ways) to the
// value computed level by level, and re-parse from their printed text.
TEST(ParserNesting, DeepTextIsRefusedAndModerateDepthParses) {
    struct Row {
        const char* open;
        const char* close;
        double (*level)(double);
    };
    const Row rows[] = {
        {"(", ")", [](double v) { return v; }},
        {"-(", ")", [](double v) { return -v; }},
        {"2^", "", [](double v) { return std::pow(2.0, v); }},
        {"sin(", ")", [](double v) { return std::sin(v); }},
        {"√", "", [](double v) { return std::sqrt(v); }},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.open);
        VariableTable table = test::zeroTable();
        RVParser parser;
        const std::string deep = repeated(row.open, 10000);
        for (const std::string& refused : {deep + "x" + repeated(row.close, 10000), deep}) {
            EXPECT_EQ(test::parseText(parser, refused, table), nullptr);
            EXPECT_EQ(utf8(parser.error()), "Expression too deeply nested");
            EXPECT_LE(parser.errorPos(), u16(refused).size());
        }
        table[0] = 2;  // every exponent of the power chain is then at least 1
        auto tree = test::parseText(
            parser, repeated(row.open, 200) + "x" + repeated(row.close, 200), table);
        ASSERT_NE(tree, nullptr) << utf8(parser.error());
        double expected = table[0];
        for (int i = 0; i < 200; ++i) {
            expected = row.level(expected);
        }
        EXPECT_SAME_VALUE(expected, tree->value());
        EXPECT_SAME_VALUE(expected, tree->compile().evaluate());
        auto reparsed = parser.parse(tree->description(), table.data());
        ASSERT_NE(reparsed, nullptr) << utf8(parser.error());
        EXPECT_SAME_VALUE(expected, reparsed->value());
    }
}

// Each parenthesis adds one level to the outermost operand's: the cap itself still parses.
TEST(ParserNesting, TheCapIsTheLastDepthThatParses) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    const int levels = RVParser::maximumNesting - 1;
    auto deepest =
        test::parseText(parser, repeated("(", levels) + "x" + repeated(")", levels), table);
    EXPECT_NE(deepest, nullptr) << utf8(parser.error());
    EXPECT_EQ(
        test::parseText(parser, repeated("(", levels + 1) + "x" + repeated(")", levels + 1), table),
        nullptr);
    auto tree = test::parseText(parser, "((1+2))", table);  // still usable after refusing
    ASSERT_NE(tree, nullptr) << utf8(parser.error());
    EXPECT_EQ(tree->value(), 3.0);
}

}  // namespace
}  // namespace plotwise
