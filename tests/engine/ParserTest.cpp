#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/RVBinaryOperation.h"
#include "engine/RVCommutativeOperation.h"
#include "engine/RVFunction.h"
#include "engine/RVNumber.h"
#include "engine/RVParentheses.h"
#include "engine/RVParser.h"
#include "engine/RVRelationOperation.h"
#include "engine/RVUnaryMinus.h"
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
    {"NestedSquareRoots", "√√16", 0, 0, 2},
    {"VariableIndexRoot", "x√y", 3, 27, 3},
    {"RootOfSignedRadicand", "3√-8", 0, 0, -2},
    {"ImplicitNumberVariable", "2x", 3, 0, 6},
    {"ImplicitNumberParentheses", "2(x+1)", 3, 0, 8},
    {"ImplicitParenthesesParentheses", "(x+1)(x-1)", 3, 0, 8},
    {"ImplicitWithBlank", "x y", 3, 5, 15},
    {"ImplicitFunction", "2sin(x)", 3, 0, 2 * std::sin(test::opaque(3.0))},
    {"ImplicitConstant", "2e", 0, 0, 2 * kE},
    // An unsimplified derivative is worth 0.
    {"ImplicitDerivative", "3d/dx(x^2)", 3, 0, 0},
    {"MinusIsADifference", "2-3", 0, 0, -1},
    {"DifferenceFoldsLeft", "1-2-3", 0, 0, -4},
    {"DivisionFoldsLeft", "8/2/2", 0, 0, 2},
    {"DivideThenTimesFoldsLeft", "8/2⋅4", 0, 0, 16},
    {"StarAndCross", "3*4×2", 0, 0, 24},
    {"IfTakesARelation", "if(x<0,-x,x)", -3, 0, 3},
    {"UpperCaseFunction", "SIN(x)", 0.5, 0, std::sin(test::opaque(0.5))},
    {"MixedCaseFunction", "Sin(x)", 0.5, 0, std::sin(test::opaque(0.5))},
    {"UpperCaseTwoArguments", "LogN(2,8)", 0, 0,
     std::log(test::opaque(8.0)) / std::log(test::opaque(2.0))},
    {"WhitespaceAnywhere", " 1 +\t2\u00A0⋅ 3 ", 0, 0, 7},
    {"TrailingPointNumber", "5.+1", 0, 0, 6},
    {"TrueRelation", "1<2", 0, 0, 1},
    {"FalseRelation", "2<1", 0, 0, 0},
    {"RelationOfSums", "x+1≥2x-1", 2, 0, 1},
    {"NamedConstants", "π-e", 0, 0, kPi - kE},
    {"SemicolonKeepsLastStatement", "1;2;x+1", 4, 0, 5},
    {"AssignmentsRunInOrder", "x=2;y=x+1;x⋅y", 0, 0, 6},
    {"DivisionByZero", "1/0", 0, 0, test::kInf},
    {"ZeroOverZero", "0/0", 0, 0, test::kNaN},
    {"LogOfNegative", "ln(-1)", 0, 0, test::kNaN},
};

INSTANTIATE_TEST_SUITE_P(Parser, ParseValues, ::testing::ValuesIn(kValueCases),
                         [](const ::testing::TestParamInfo<ValueCase>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Tree shapes the grammar fixes.

TEST(ParserShape, SquareRootGetsIndexTwoAtTheSign) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = test::parseText(parser, "1+√16", table);
    ASSERT_NE(tree, nullptr);
    const auto* sum = dynamic_cast<const RVCommutativeOperation*>(tree->root());
    ASSERT_NE(sum, nullptr);
    ASSERT_EQ(sum->contents().size(), 2u);
    const auto* root = dynamic_cast<const RVRootOperation*>(sum->contents()[1]->contents());
    ASSERT_NE(root, nullptr);
    const auto* index = dynamic_cast<const RVNumber*>(root->lvalue());
    ASSERT_NE(index, nullptr);
    EXPECT_EQ(utf8(index->token().spelling()), "2");
    EXPECT_EQ(index->token().locationInSource(), 2);
    EXPECT_EQ(index->value(), 2.0);
}

TEST(ParserShape, ImplicitProductTokens) {
    struct Row {
        const char* text;
        std::vector<int> holderPositions;  // the second and later holders
    };
    const Row rows[] = {
        {"2x", {1}},      {"x y", {2}}, {"2(x+1)", {1}},   {"(x+1)(x-1)", {5}},
        {"2sin(x)", {1}}, {"2e", {1}},  {"3d/dx(x)", {1}}, {"2*3×4⋅x", {1, 3, 5}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = test::parseText(parser, row.text, table);
        ASSERT_NE(tree, nullptr);
        const auto* product = dynamic_cast<const RVCommutativeOperation*>(tree->root());
        ASSERT_NE(product, nullptr);
        EXPECT_TRUE(product->isProduct());
        EXPECT_EQ(product->modulo(), 1.0);
        EXPECT_EQ(product->token().type(), TOKEN_TIMES);
        ASSERT_EQ(product->contents().size(), row.holderPositions.size() + 1);
        const RVToken& first = product->contents()[0]->token();
        EXPECT_EQ(first.type(), TOKEN_TIMES);
        EXPECT_EQ(utf8(first.spelling()), "⋅");
        EXPECT_EQ(first.locationInSource(), 0);
        for (size_t i = 0; i < row.holderPositions.size(); ++i) {
            const RVToken& op = product->contents()[i + 1]->token();
            EXPECT_EQ(op.type(), TOKEN_TIMES);
            EXPECT_EQ(utf8(op.spelling()), "⋅");
            EXPECT_EQ(op.locationInSource(), row.holderPositions[i]);
        }
    }
}

TEST(ParserShape, SumTokens) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = test::parseText(parser, "x -1+y", table);
    ASSERT_NE(tree, nullptr);
    const auto* sum = dynamic_cast<const RVCommutativeOperation*>(tree->root());
    ASSERT_NE(sum, nullptr);
    EXPECT_TRUE(sum->isSum());
    EXPECT_EQ(sum->modulo(), 0.0);
    EXPECT_EQ(sum->token().type(), TOKEN_PLUS);
    EXPECT_EQ(sum->token().locationInSource(), 2);
    ASSERT_EQ(sum->contents().size(), 3u);
    const int types[] = {TOKEN_PLUS, TOKEN_MINUS, TOKEN_PLUS};
    const int positions[] = {2, 2, 4};
    for (size_t i = 0; i < 3; ++i) {
        EXPECT_EQ(sum->contents()[i]->token().type(), types[i]);
        EXPECT_EQ(sum->contents()[i]->token().locationInSource(), positions[i]);
    }
}

TEST(ParserShape, SingleOperandsAreNotWrapped) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto number = test::parseText(parser, "7", table);
    ASSERT_NE(number, nullptr);
    EXPECT_NE(dynamic_cast<const RVNumber*>(number->root()), nullptr);
    auto negated = test::parseText(parser, "-x^2", table);
    ASSERT_NE(negated, nullptr);
    const auto* minus = dynamic_cast<const RVUnaryMinus*>(negated->root());
    ASSERT_NE(minus, nullptr);
    EXPECT_NE(dynamic_cast<const RVPowerOperation*>(minus->contents()), nullptr);
    auto grouped = test::parseText(parser, "(x)", table);
    ASSERT_NE(grouped, nullptr);
    EXPECT_NE(dynamic_cast<const RVParentheses*>(grouped->root()), nullptr);
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

TEST(ParserErrors, ScanErrorThenParseErrorWithOneParser) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    ASSERT_EQ(test::parseText(parser, "xd/y", table), nullptr);
    EXPECT_EQ(utf8(parser.error()), "d expected");
    EXPECT_EQ(parser.errorPos(), 3u);
    ASSERT_EQ(test::parseText(parser, "sin 1", table), nullptr);
    EXPECT_EQ(utf8(parser.error()), "\"(\" expected");
    EXPECT_EQ(parser.errorPos(), 4u);
}

TEST(ParserErrors, NoRegisteredFunctionCanReachTheParameterCountMessage) {
    // The count message is raised only for a function taking 0 arguments or fewer; a wrong
    // count for the others shows up as "," or ")" expected.
    for (const FunctionDefinition& definition : functionRegistry()) {
        SCOPED_TRACE(utf8(definition.functionName));
        EXPECT_GE(definition.validParameterCount, 1);
    }
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

struct AssignmentCase {
    const char* name;
    const char* text;
    bool isAssignment;
};

void PrintTo(const AssignmentCase& c, std::ostream* os) {
    *os << c.name << " \"" << c.text << "\"";
}

class Assignments : public ::testing::TestWithParam<AssignmentCase> {};

// isAssignment: statement level, the left side is a variable node itself, and the operator "=".
TEST_P(Assignments, RootRelationFlag) {
    const AssignmentCase& c = GetParam();
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = test::parseText(parser, c.text, table);
    ASSERT_NE(tree, nullptr) << utf8(parser.error());
    const auto* relation = dynamic_cast<const RVRelationOperation*>(tree->root());
    ASSERT_NE(relation, nullptr);
    EXPECT_EQ(relation->isAssignment(), c.isAssignment);
}

const AssignmentCase kAssignmentCases[] = {
    {"ExplicitEquation", "y=x^2", true},
    {"NumberToVariable", "x=2", true},
    {"AfterStatement", "x=2;y=x", true},
    {"ImplicitButVariableLeft", "y=y+1", true},
    {"NumberOnTheLeft", "2=x", false},
    {"SumOnTheLeft", "y+0=x", false},
    {"ParenthesisedVariable", "(y)=x", false},
    {"NegatedVariable", "-y=x", false},
    {"LessThan", "y<x", false},
    {"GreaterOrEqual", "y≥x", false},
    {"NotEqual", "y≠x", false},
};

INSTANTIATE_TEST_SUITE_P(Parser, Assignments, ::testing::ValuesIn(kAssignmentCases),
                         [](const ::testing::TestParamInfo<AssignmentCase>& info) {
                             return std::string(info.param.name);
                         });

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

TEST(ParserStatements, ImplicitAssignmentCompares) {
    VariableTable table = test::zeroTable();
    table[1] = 4;
    RVParser parser;
    auto tree = test::parseText(parser, "y=y+1", table);
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->value(), 0.0);
    EXPECT_EQ(tree->compile().evaluate(), 0.0);
    EXPECT_EQ(table[1], 4.0);
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
    EXPECT_EQ(test::parseText(parser, text, table), nullptr);
    EXPECT_EQ(utf8(parser.error()), "Expression too deeply nested");
    EXPECT_LE(parser.errorPos(), u16(text).size());
}

TEST_P(Nesting, UnclosedTenThousandLevelsAreRefused) {
    const NestingCase& c = GetParam();
    const std::string text = repeated(c.open, 10000);
    VariableTable table = test::zeroTable();
    RVParser parser;
    EXPECT_EQ(test::parseText(parser, text, table), nullptr);
    EXPECT_EQ(utf8(parser.error()), "Expression too deeply nested");
    EXPECT_LE(parser.errorPos(), u16(text).size());
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

TEST(ParserNesting, TheLimitIsExact) {
    // The whole text is the first level, each bracket one more.
    VariableTable table = test::zeroTable();
    const int brackets = RVParser::maximumNesting - 1;
    RVParser parser;
    EXPECT_NE(
        test::parseText(parser, repeated("(", brackets) + "x" + repeated(")", brackets), table),
        nullptr)
        << utf8(parser.error());
    EXPECT_EQ(test::parseText(
                  parser, repeated("(", brackets + 1) + "x" + repeated(")", brackets + 1), table),
              nullptr);
    EXPECT_EQ(utf8(parser.error()), "Expression too deeply nested");
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
