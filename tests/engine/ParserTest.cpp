#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/RVBinaryOperation.h"
#include "engine/RVFunction.h"
#include "engine/RVParser.h"
#include "engine/RVRelationOperation.h"
#include "engine/RVVariable.h"

namespace plotwise {
namespace {

using test::u16;
using test::utf8;

// ---------------------------------------------------------------------------------------------
// Accepted inputs and their values.

struct ValueCase {
    const char* name;
    const char* text;
    double x;
    double y;
    double expected;
};

void PrintTo(const ValueCase& c, std::ostream* os) {
    *os << c.name << " \"" << c.text << "\"";
}

class ParseValues : public ::testing::TestWithParam<ValueCase> {};

TEST_P(ParseValues, TreeAndCompiledFormGiveTheValue) {
    const ValueCase& c = GetParam();
    VariableTable table = test::zeroTable();
    table[0] = c.x;
    table[1] = c.y;
    RVParser parser;
    auto tree = test::parseText(parser, c.text, table);
    ASSERT_NE(tree, nullptr) << utf8(parser.error()) << " at " << parser.errorPos();
    EXPECT_TRUE(tree->hasConsistentParents());
    EXPECT_EQ(utf8(tree->expressionString()), c.text);
    EXPECT_EQ(tree->variableTable(), table.data());
    EXPECT_SAME_VALUE(c.expected, tree->value());
    EXPECT_SAME_VALUE(c.expected, tree->compile().evaluate());
}

const double kE = std::numbers::e;
const double kPi = std::numbers::pi;

const ValueCase kValueCases[] = {
    {"PowerAssociatesRight", "2^3^2", 0, 0, 512},
    {"MinusBindsLooserThanPower", "-2^2", 0, 0, -4},
    {"NegativeExponent", "2^-1", 0, 0, 0.5},
    {"ExponentMinusAppliesToChain", "2^-1^2", 0, 0, 0.5},
    {"ParenthesisedNegativeBase", "(-2)^2", 0, 0, 4},
    {"SquareRootSign", "√16", 0, 0, 4},
    {"CubeRoot", "3√8", 0, 0, 2},
    {"VariableIndexRoot", "x√y", 3, 27, 3},
    {"RootOfSignedRadicand", "3√-8", 0, 0, -2},
    {"ImplicitNumberVariable", "2x", 3, 0, 6},
    {"ImplicitNumberParentheses", "2(x+1)", 3, 0, 8},
    {"ImplicitWithBlank", "x y", 3, 5, 15},
    {"ImplicitFunction", "2sin(x)", 3, 0, 2 * std::sin(test::opaque(3.0))},
    {"ImplicitConstant", "2e", 0, 0, 2 * kE},
    // An unsimplified derivative is worth 0.
    {"ImplicitDerivative", "3d/dx(x^2)", 3, 0, 0},
    {"UpperCaseFunction", "SIN(x)", 0.5, 0, std::sin(test::opaque(0.5))},
    {"MixedCaseFunction", "Sin(x)", 0.5, 0, std::sin(test::opaque(0.5))},
    {"UpperCaseTwoArguments", "LogN(2,8)", 0, 0,
     std::log(test::opaque(8.0)) / std::log(test::opaque(2.0))},
    {"WhitespaceAnywhere", " 1 +\t2\u00A0⋅ 3 ", 0, 0, 7},
    {"TrailingPointNumber", "5.+1", 0, 0, 6},
    {"RelationOfSums", "x+1≥2x-1", 2, 0, 1},
    {"NamedConstants", "π-e", 0, 0, kPi - kE},
    {"SemicolonKeepsLastStatement", "1;2;x+1", 4, 0, 5},
    {"AssignmentsRunInOrder", "x=2;y=x+1;x⋅y", 0, 0, 6},
};

INSTANTIATE_TEST_SUITE_P(Parser, ParseValues, ::testing::ValuesIn(kValueCases),
                         [](const ::testing::TestParamInfo<ValueCase>& info) {
                             return std::string(info.param.name);
                         });

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
    };
    for (const auto& row : rows) {
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = test::parseOrFail(parser, row[0], table);
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(test::structure(*tree->root()), row[1]) << row[0];
    }
}

TEST(ParserShape, FunctionNameKeepsTheCaseTyped) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = test::parseText(parser, "SiN(x)", table);
    ASSERT_NE(tree, nullptr);
    const auto* function = dynamic_cast<const RVFunction*>(tree->root());
    ASSERT_NE(function, nullptr);
    EXPECT_EQ(utf8(function->functionName()), "sin");
    EXPECT_EQ(utf8(function->token().spelling()), "SiN");
    EXPECT_EQ(function->arguments().size(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Failures: exact English message, format, arguments and position.

struct ErrorCase {
    const char* name;
    const char* text;
    const char* message;
    const char* format;
    std::vector<const char*> arguments;
    unsigned position;
};

void PrintTo(const ErrorCase& c, std::ostream* os) {
    *os << c.name << " \"" << c.text << "\"";
}

class ParseErrors : public ::testing::TestWithParam<ErrorCase> {};

TEST_P(ParseErrors, MessageAndPosition) {
    const ErrorCase& c = GetParam();
    VariableTable table = test::zeroTable();
    RVParser parser;
    EXPECT_EQ(test::parseText(parser, c.text, table), nullptr);
    EXPECT_EQ(utf8(parser.error()), c.message);
    EXPECT_EQ(utf8(parser.errorMessage().format), c.format);
    std::vector<std::string> arguments;
    for (const auto& argument : parser.errorMessage().arguments) {
        arguments.push_back(utf8(argument));
    }
    EXPECT_EQ(arguments, std::vector<std::string>(c.arguments.begin(), c.arguments.end()));
    EXPECT_EQ(parser.errorPos(), c.position);
}

const char* const kExpected = "\"%@\" expected";
const char* const kUnexpected = "\"%@\" unexpected";
const char* const kExpressionExpected = "Expression expected";
const char* const kUnknown = "Unknown identifier \"%@\"";

const ErrorCase kErrorCases[] = {
    {"FunctionWithoutParentheses", "sin x", "\"(\" expected", kExpected, {"("}, 4},
    // The identifier messages point at the token after the name.
    {"FunctionNameRunIntoVariable", "sinx", "Unknown identifier \"sinx\"", kUnknown, {"sinx"}, 3},
    {"UnknownNameBeforeParenthesis", "foo(1)", "Unknown identifier \"foo\"", kUnknown, {"foo"}, 3},
    {"UnknownNameKeepsItsCase", "2+SINX (x)", "Unknown identifier \"SINX\"", kUnknown, {"SINX"}, 7},
    {"TooFewArguments", "max(1)", "\",\" expected", kExpected, {","}, 5},
    {"TooManyArguments", "max(1,2,3)", "\")\" expected", kExpected, {")"}, 7},
    {"IfWithTwoArguments", "if(1,2)", "\",\" expected", kExpected, {","}, 6},
    {"UnclosedArgumentList", "sin(1", "\")\" expected", kExpected, {")"}, 4},
    {"ChainedRelations", "x<y<z", "\"<\" unexpected", kUnexpected, {"<"}, 3},
    {"SecondEquals", "y=1=2", "\"=\" unexpected", kUnexpected, {"="}, 3},
    {"RelationInsideParentheses", "(x<1)", "\")\" expected", kExpected, {")"}, 2},
    {"RelationInsideDerivative", "d/dx(x<1)", "\")\" expected", kExpected, {")"}, 6},
    {"DerivativeOfANumber", "d/d2(x)", "\"Variable\" expected", kExpected, {"Variable"}, 3},
    {"DerivativeWithoutParentheses", "d/dx x", "\"(\" expected", kExpected, {"("}, 5},
    {"DerivativePrefixBroken", "d/x", "d expected", "%@ expected", {"d"}, 2},
    {"DerivativePrefixBrokenLater", "1+d/(x)", "d expected", "%@ expected", {"d"}, 4},
    {"LeadingPlus", "+x", "Expression expected", kExpressionExpected, {}, 0},
    {"SecondMinus", "--x", "Expression expected", kExpressionExpected, {}, 1},
    {"EmptyArgument", "max(,1)", "Expression expected", kExpressionExpected, {}, 4},
    {"EndOfTextAfterOperator", "1+", "Expression expected", kExpressionExpected, {}, 1},
    {"StrayPoint", ".5", "Expression expected", kExpressionExpected, {}, 0},
    {"TrailingSemicolon", "x=2;", "Expression expected", kExpressionExpected, {}, 3},
    {"EmptyStatement", "x=2;;1", "Expression expected", kExpressionExpected, {}, 4},
    {"RelationWithoutRightSide", "x=", "Expression expected", kExpressionExpected, {}, 1},
    {"DoubledRelation", "x==1", "Expression expected", kExpressionExpected, {}, 2},
    {"LowerCaseTheta", "θ", "Expression expected", kExpressionExpected, {}, 0},
    {"OnlyBlanks", "   ", "Expression expected", kExpressionExpected, {}, 2},
    {"LoneOpenParenthesis", "(", "Expression expected", kExpressionExpected, {}, 0},
    {"UnclosedParenthesis", "(1", "\")\" expected", kExpected, {")"}, 1},
    {"LoneCloseParenthesis", ")", "Expression expected", kExpressionExpected, {}, 0},
    {"ExtraCloseParenthesis", "2)", "\")\" unexpected", kUnexpected, {")"}, 1},
    {"UnknownCharacterAfterOperand", "x#", "\"#\" unexpected", kUnexpected, {"#"}, 1},
    {"SecondPointInNumber", "1.5.2", "\".\" unexpected", kUnexpected, {"."}, 3},
    {"TopLevelComma", "1,2", "\",\" unexpected", kUnexpected, {","}, 1},
    {"UnicodeMinus", "1\u22122", "\"\u2212\" unexpected", kUnexpected, {"\u2212"}, 1},
    // Positions count UTF-16 units, not bytes or code points.
    {"NonAsciiLettersCountOneUnitEach", "π+Θ+#", "Expression expected", kExpressionExpected, {}, 4},
    {"SurrogatePairAsOperand", "x+\U0001F600", "Expression expected", kExpressionExpected, {}, 2},
    // The lone high surrogate is the leftover token; toUtf8 shows it as U+FFFD.
    {"SurrogateAfterOperand",
     "√x\U0001F600+1",
     "\"\uFFFD\" unexpected",
     kUnexpected,
     {"\uFFFD"},
     2},
};

INSTANTIATE_TEST_SUITE_P(Parser, ParseErrors, ::testing::ValuesIn(kErrorCases),
                         [](const ::testing::TestParamInfo<ErrorCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(ParserErrors, EmptyTextIsNothingToParseAndKeepsThePosition) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    ASSERT_EQ(test::parseText(parser, "1+sinx", table), nullptr);
    ASSERT_EQ(parser.errorPos(), 5u);
    EXPECT_EQ(parser.parse(u"", table.data()), nullptr);
    EXPECT_EQ(utf8(parser.error()), "Nothing to parse");
    EXPECT_EQ(utf8(parser.errorMessage().format), "Nothing to parse");
    EXPECT_TRUE(parser.errorMessage().arguments.empty());
    EXPECT_EQ(parser.errorPos(), 5u);
}

TEST(ParserErrors, SuccessfulParseDoesNotClearTheLastFailure) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    ASSERT_EQ(test::parseText(parser, "max(1)", table), nullptr);
    const std::u16string message = parser.error();
    const unsigned position = parser.errorPos();
    ASSERT_NE(test::parseText(parser, "x+1", table), nullptr);
    EXPECT_EQ(parser.error(), message);
    EXPECT_EQ(parser.errorPos(), position);
    // A later failure overwrites both.
    ASSERT_EQ(test::parseText(parser, "((", table), nullptr);
    EXPECT_EQ(utf8(parser.error()), "Expression expected");
    EXPECT_EQ(parser.errorPos(), 1u);
}

// ---------------------------------------------------------------------------------------------
// Statements and assignments.

TEST(ParserStatements, EarlierStatementsWriteTheTableDuringTheParse) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = test::parseText(parser, "x=2;x^2", table);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(table[0], 2.0);  // already written by the parse
    EXPECT_EQ(utf8(tree->expressionString()), "x=2;x^2");
    EXPECT_EQ(utf8(tree->description()), "x^2");
    EXPECT_EQ(tree->value(), 4.0);
    EXPECT_NE(dynamic_cast<const RVPowerOperation*>(tree->root()), nullptr);
}

TEST(ParserStatements, FailureAfterAStatementLeavesItsAssignment) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    EXPECT_EQ(test::parseText(parser, "x=5;y=+", table), nullptr);
    EXPECT_EQ(table[0], 5.0);
    EXPECT_EQ(table[1], 0.0);
    EXPECT_EQ(parser.errorPos(), 6u);
}

TEST(ParserStatements, LastStatementIsNotRunByTheParse) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = test::parseText(parser, "x=1;y=7", table);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(table[0], 1.0);
    EXPECT_EQ(table[1], 0.0);
    EXPECT_EQ(tree->value(), 7.0);
    EXPECT_EQ(table[1], 7.0);
}

TEST(ParserStatements, EqualsInsideAnArgumentIsNeverAnAssignment) {
    VariableTable table = test::zeroTable();
    table[0] = 3;
    table[1] = 5;
    RVParser parser;
    auto tree = test::parseText(parser, "if(y=x,10,20)", table);
    ASSERT_NE(tree, nullptr);
    const auto* function = dynamic_cast<const RVFunction*>(tree->root());
    ASSERT_NE(function, nullptr);
    const auto* relation = dynamic_cast<const RVRelationOperation*>(function->arguments()[0].get());
    ASSERT_NE(relation, nullptr);
    EXPECT_FALSE(relation->isAssignment());
    EXPECT_TRUE(relation->isExplicit());
    // Compared, not stored: y stays 5 and 5 = 3 is false.
    EXPECT_EQ(tree->value(), 20.0);
    EXPECT_EQ(tree->compile().evaluate(), 20.0);
    EXPECT_EQ(table[1], 5.0);
    table[1] = 3;
    EXPECT_EQ(tree->value(), 10.0);
    EXPECT_EQ(tree->compile().evaluate(), 10.0);
}

// ---------------------------------------------------------------------------------------------
// Nesting: deep text is refused with a message, moderate depth parses.

struct NestingCase {
    const char* name;
    std::string open;
    std::string middle;
    std::string close;
};

void PrintTo(const NestingCase& c, std::ostream* os) {
    *os << c.name;
}

std::string repeated(const std::string& piece, int count) {
    std::string out;
    out.reserve(piece.size() * static_cast<size_t>(count));
    for (int i = 0; i < count; ++i) {
        out += piece;
    }
    return out;
}

class Nesting : public ::testing::TestWithParam<NestingCase> {};

TEST_P(Nesting, TenThousandLevelsAreRefused) {
    const NestingCase& c = GetParam();
    const std::string text = repeated(c.open, 10000) + c.middle + repeated(c.close, 10000);
    VariableTable table = test::zeroTable();
    RVParser parser;
    for (const std::string& refused : {text, repeated(c.open, 10000)}) {
        EXPECT_EQ(test::parseText(parser, refused, table), nullptr);
        EXPECT_EQ(utf8(parser.error()), "Expression too deeply nested");
        EXPECT_LE(parser.errorPos(), u16(refused).size());
    }
}

TEST_P(Nesting, TwoHundredLevelsParse) {
    const NestingCase& c = GetParam();
    const std::string text = repeated(c.open, 200) + c.middle + repeated(c.close, 200);
    VariableTable table = test::zeroTable();
    table[0] = 2;  // every exponent of the power chain is then at least 1
    RVParser parser;
    auto tree = test::parseText(parser, text, table);
    ASSERT_NE(tree, nullptr) << utf8(parser.error());
    EXPECT_TRUE(tree->hasConsistentParents());
    // The expected value, computed level by level from the inside out.
    double expected = table[0];
    for (int i = 0; i < 200; ++i) {
        if (c.open == "(") {
            continue;
        } else if (c.open == "-(") {
            expected = -expected;
        } else if (c.open == "2^") {
            expected = std::pow(2.0, expected);
        } else if (c.open == "sin(") {
            expected = std::sin(expected);
        } else if (c.open == "√") {
            expected = std::sqrt(expected);
        }
    }
    EXPECT_SAME_VALUE(expected, tree->value());
    EXPECT_SAME_VALUE(expected, tree->compile().evaluate());
    RVParser again;
    auto reparsed = again.parse(tree->description(), table.data());
    ASSERT_NE(reparsed, nullptr) << utf8(again.error());
    EXPECT_SAME_VALUE(expected, reparsed->value());
}

const NestingCase kNestingCases[] = {
    {"Parentheses", "(", "x", ")"},    {"NegatedParentheses", "-(", "x", ")"},
    {"PowerChain", "2^", "x", ""},     {"NestedSine", "sin(", "x", ")"},
    {"SquareRootChain", "√", "x", ""},
};

INSTANTIATE_TEST_SUITE_P(Parser, Nesting, ::testing::ValuesIn(kNestingCases),
                         [](const ::testing::TestParamInfo<NestingCase>& info) {
                             return std::string(info.param.name);
                         });

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
}

TEST(ParserNesting, ParserStaysUsableAfterRefusingDeepText) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    ASSERT_EQ(test::parseText(parser, repeated("(", 5000), table), nullptr);
    auto tree = test::parseText(parser, "((1+2))", table);
    ASSERT_NE(tree, nullptr) << utf8(parser.error());
    EXPECT_EQ(tree->value(), 3.0);
}

}  // namespace
}  // namespace plotwise
