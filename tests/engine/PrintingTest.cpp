#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <functional>
#include <limits>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/RVBinaryOperation.h"
#include "engine/RVCommutativeOperation.h"
#include "engine/RVConstant.h"
#include "engine/RVFunction.h"
#include "engine/RVNumber.h"
#include "engine/RVParentheses.h"
#include "engine/RVParser.h"
#include "engine/RVUnaryMinus.h"
#include "engine/RVVariable.h"

namespace plotwise {
namespace {

using test::kInf;
using test::kNaN;
using test::u16;
using test::utf8;

// ---------------------------------------------------------------------------------------------
// Printing of parsed text.

struct ParsedPrintRow {
    const char* name;
    const char* text;
    const char* printed;
};

void PrintTo(const ParsedPrintRow& row, std::ostream* os) {
    *os << row.name << " \"" << row.text << "\"";
}

class ParsedPrinting : public ::testing::TestWithParam<ParsedPrintRow> {};

TEST_P(ParsedPrinting, DescriptionAndFixedPoint) {
    const ParsedPrintRow& row = GetParam();
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = parser.parse(u16(row.text), table.data());
    ASSERT_NE(tree, nullptr) << utf8(parser.error());
    const std::u16string printed = tree->description();
    EXPECT_EQ(utf8(printed), row.printed);
    auto reparsed = parser.parse(printed, table.data());
    ASSERT_NE(reparsed, nullptr) << utf8(parser.error());
    EXPECT_EQ(utf8(reparsed->description()), row.printed);
}

const ParsedPrintRow kParsedPrintRows[] = {
    {"ImplicitProductGetsADot", "2x", "2⋅x"},
    {"ImplicitProductWithBlank", "x y", "x⋅y"},
    {"ImplicitFunctionProduct", "2 sin(x)", "2⋅sin(x)"},
    {"StarPrintsAsDot", "3*4", "3⋅4"},
    {"CrossPrintsAsDot", "3×4", "3⋅4"},
    {"BlanksDropped", " x + 1 ", "x+1"},
    {"FunctionArgumentsGetABlank", "max(1,x)", "max(1, x)"},
    {"FunctionKeepsItsCase", "MAX(1,x)", "MAX(1, x)"},
    {"IfWithRelation", "if(x<0,-x,x)", "if(x<0, -x, x)"},
    {"MinusOverPowerStaysBare", "-x^2", "-x^2"},
    {"ParenthesesAreKept", "(x+1)^2", "(x+1)^2"},
    {"ExponentParenthesesKept", "2^(x+1)", "2^(x+1)"},
    {"NegatedSumKeepsParentheses", "-(x+1)", "-(x+1)"},
    {"QuotientChain", "8/2/2", "8/2/2"},
    {"DifferenceChain", "1-2-3", "1-2-3"},
    {"DoubleMinusBetweenTerms", "2--3", "2--3"},
    {"ExplicitEquation", "y=x^2", "y=x^2"},
    {"Inequality", "x ≤ y", "x≤y"},
    // A unary minus as exponent or operand binds looser than "^", "⋅" and "+".
    {"SignedExponent", "2^-1", "2^(-1)"},
    {"SignedFactor", "2⋅-3", "2⋅(-3)"},
    {"SignedTerm", "2+-3", "2+(-3)"},
    {"SquareRootShowsItsIndex", "√16", "2√16"},
    {"RootChain", "3√√16", "3√2√16"},
    {"PowerChain", "2^3^2", "2^3^2"},
    {"Derivative", "d/dx(x^2)", "d/dx(x^2)"},
    {"NumberSpellingKept", "5.+007", "5.+007"},
    {"NamedConstants", "e π", "e⋅π"},
    {"OnlyTheLastStatement", "x=2;x^2", "x^2"},
    {"GreekVariables", "Θ⋅Φ", "Θ⋅Φ"},
};

INSTANTIATE_TEST_SUITE_P(Parsed, ParsedPrinting, ::testing::ValuesIn(kParsedPrintRows),
                         [](const ::testing::TestParamInfo<ParsedPrintRow>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Trees built by hand, as simplification and differentiation build them.

using Node = std::unique_ptr<RVOperation>;

// Builds nodes against one variable table.
class Nodes {
public:
    explicit Nodes(VariableTable& table) : table_(table) {}

    Node var(const char* letter) const {
        return RVVariable::variableWithToken(RVToken(TOKEN_VARIABLE, u16(letter), 0),
                                             table_.data());
    }
    static Node num(double value) { return RVNumber::numberWithValue(value); }
    static Node pi() { return RVConstant::constantWithToken(RVToken(TOKEN_NUMBER, u"π", 0)); }
    static Node power(Node base, Node exponent) {
        return RVBinaryOperation::binaryOperationWithOperatorToken(
            RVToken::powerToken(), std::move(base), std::move(exponent));
    }
    static Node root(Node index, Node radicand) {
        return RVBinaryOperation::binaryOperationWithOperatorToken(
            RVToken::rootToken(), std::move(index), std::move(radicand));
    }
    static Node relation(const char* op, Node left, Node right) {
        return RVBinaryOperation::binaryOperationWithOperatorToken(
            RVToken(TOKEN_RELOP, u16(op), 0), std::move(left), std::move(right));
    }
    static Node neg(Node operand) {
        return RVUnaryMinus::unaryMinusWithToken(RVToken::minusToken(), std::move(operand));
    }
    static Node parens(Node operand) {
        return RVParentheses::parenthesesOpWithToken(RVToken(TOKEN_LPAREN, u"(", 0),
                                                     std::move(operand));
    }
    static Node call(const char* name, Node a, Node b = nullptr) {
        std::vector<Node> arguments;
        arguments.push_back(std::move(a));
        if (b) {
            arguments.push_back(std::move(b));
        }
        return RVFunction::functionWithToken(RVToken(TOKEN_FUNCTION, u16(name), 0),
                                             std::move(arguments));
    }

private:
    VariableTable& table_;
};

// A sum or product, holder by holder.
class Fold {
public:
    static Fold sum() { return Fold(RVToken(TOKEN_PLUS, u"+", 0)); }
    static Fold product() { return Fold(RVToken(TOKEN_TIMES, u"⋅", 0)); }

    Fold&& plus(Node operand) && {
        return std::move(*this).with(TOKEN_PLUS, u"+", std::move(operand));
    }
    Fold&& minus(Node operand) && {
        return std::move(*this).with(TOKEN_MINUS, u"-", std::move(operand));
    }
    Fold&& times(Node operand) && {
        return std::move(*this).with(TOKEN_TIMES, u"⋅", std::move(operand));
    }
    Fold&& over(Node operand) && {
        return std::move(*this).with(TOKEN_DIVIDE, u"/", std::move(operand));
    }
    // A holder with the ready-made times token, which is spelled "*".
    Fold&& star(Node operand) && {
        return std::move(*this).with(TOKEN_TIMES, u"*", std::move(operand));
    }
    Node build() && { return std::move(node_); }

private:
    explicit Fold(RVToken token)
        : node_(RVCommutativeOperation::commutativeOperationWithToken(std::move(token))) {}
    Fold&& with(int type, const char16_t* spelling, Node operand) && {
        node_->appendOperation(std::move(operand), RVToken(type, spelling, 0));
        return std::move(*this);
    }
    std::unique_ptr<RVCommutativeOperation> node_;
};

struct BuiltPrintRow {
    const char* name;
    std::function<Node(const Nodes&)> build;
    const char* printed;  // nullptr where only the round trip is fixed
    // The value at x=2, y=3, z=2 worked out by hand from the tree's meaning.
    double value;
};

void PrintTo(const BuiltPrintRow& row, std::ostream* os) {
    *os << row.name;
}

class BuiltPrinting : public ::testing::TestWithParam<BuiltPrintRow> {};

// The printed text re-parses to a tree with the same value, bit for bit, at several points.
TEST_P(BuiltPrinting, RoundTripsToTheSameValue) {
    const BuiltPrintRow& row = GetParam();
    VariableTable table = test::zeroTable();
    const Nodes nodes(table);
    auto tree = RVOperationTree::operationTreeWithRootOperation(row.build(nodes));
    ASSERT_NE(tree->root(), nullptr);
    ASSERT_TRUE(tree->hasConsistentParents());
    const std::u16string printed = tree->description();
    SCOPED_TRACE(utf8(printed));
    if (row.printed != nullptr) {
        EXPECT_EQ(utf8(printed), row.printed);
    }
    table = {2, 3, 2, 0, 0, 0};
    EXPECT_SAME_VALUE(row.value, tree->value());

    RVParser parser;
    auto reparsed = parser.parse(printed, table.data());
    ASSERT_NE(reparsed, nullptr) << utf8(parser.error()) << " at " << parser.errorPos();
    const VariableTable points[] = {{2, 3, 2, 0, 0, 0},
                                    {-1.5, 0.5, 4, 1, 1, 1},
                                    {7, -2, 0.25, 3, 0.5, 2},
                                    {1e10, 3e-5, -9, 0, 0, 0},
                                    // Signed zeros tell 0 - x from -x.
                                    {0, -0.0, 0, 0, 0, 0},
                                    {-0.0, 0, -0.0, 0, 0, 0}};
    for (const VariableTable& point : points) {
        SCOPED_TRACE("x=" + test::describeDouble(point[0]) + " y=" +
                     test::describeDouble(point[1]) + " z=" + test::describeDouble(point[2]));
        table = point;
        const double original = tree->value();
        table = point;
        EXPECT_SAME_VALUE(original, reparsed->value());
        table = point;
        EXPECT_SAME_VALUE(original, tree->compile().evaluate());
    }
}

const double kPi = std::numbers::pi;

const BuiltPrintRow kBuiltPrintRows[] = {
    // The four places where printing adds parentheses that the plain formats would leave out.
    {"PowerAsPowerBase",
     [](const Nodes& n) { return Nodes::power(Nodes::power(n.var("x"), n.var("y")), n.var("z")); },
     "(x^y)^z", 64},
    {"DivideOverBareProduct",
     [](const Nodes& n) {
         return Fold::product()
             .times(Nodes::num(12))
             .over(Fold::product().times(n.var("y")).times(n.var("z")).build())
             .build();
     },
     "12/(y⋅z)", 2},
    {"BareSumAsFirstFactor",
     [](const Nodes& n) {
         return Fold::product()
             .times(Fold::sum().plus(Nodes::num(1)).plus(Nodes::pi()).build())
             .times(n.var("x"))
             .build();
     },
     "(1+π)⋅x", (1 + kPi) * 2},
    {"LeadingMinusHolderOverUnaryMinus",
     [](const Nodes& n) {
         return Fold::sum().minus(Nodes::neg(n.var("x"))).plus(n.var("y")).build();
     },
     "-(-x)+y", 5},
    {"LeadingMinusHolderOverProductLedByNegativeNumber",
     [](const Nodes& n) {
         return Fold::sum()
             .minus(Fold::product().times(Nodes::num(-2)).times(n.var("x")).build())
             .minus(n.var("y"))
             .build();
     },
     "-(-2⋅x)-y", 1},
    {"LeadingMinusHolderOverNegativeNumber",
     [](const Nodes& n) { return Fold::sum().minus(Nodes::num(-3)).plus(n.var("x")).build(); },
     "-(-3)+x", 5},
    // Neighbours of those four.
    {"RootAsPowerBase",
     [](const Nodes&) {
         return Nodes::power(Nodes::root(Nodes::num(3), Nodes::num(8)), Nodes::num(2));
     },
     "(3√8)^2", 4},
    {"RootAsRootIndex",
     [](const Nodes&) {
         return Nodes::root(Nodes::root(Nodes::num(2), Nodes::num(16)), Nodes::num(16));
     },
     "(2√16)√16", 2},
    {"PowerAsRootIndex",
     [](const Nodes& n) {
         return Nodes::root(Nodes::power(n.var("x"), Nodes::num(1)), Nodes::num(9));
     },
     "(x^1)√9", 3},
    {"MinusOverBareSum",
     [](const Nodes& n) {
         return Fold::sum()
             .plus(Nodes::num(12))
             .minus(Fold::sum().plus(n.var("y")).plus(n.var("z")).build())
             .build();
     },
     "12-(y+z)", 7},
    {"LeadingMinusHolderOverSum",
     [](const Nodes& n) {
         return Fold::sum()
             .minus(Fold::sum().plus(n.var("x")).plus(n.var("y")).build())
             .plus(n.var("z"))
             .build();
     },
     "-(x+y)+z", -3},
    {"LaterMinusHolderOverUnaryMinus",
     [](const Nodes& n) {
         return Fold::sum().plus(n.var("x")).minus(Nodes::neg(n.var("y"))).build();
     },
     "x--y", 5},
    {"ProductOfOnlyADivide",
     [](const Nodes& n) { return Fold::product().over(n.var("x")).build(); }, "1/x", 0.5},
    {"SumStartingWithMinus",
     [](const Nodes& n) { return Fold::sum().minus(n.var("x")).plus(n.var("y")).build(); }, "-x+y",
     1},
    {"SumUnderTimes",
     [](const Nodes& n) {
         return Fold::product()
             .times(Nodes::num(2))
             .times(Fold::sum().plus(n.var("x")).plus(Nodes::num(1)).build())
             .build();
     },
     "2⋅(x+1)", 6},
    {"ProductAsFirstTerm",
     [](const Nodes& n) {
         return Fold::sum()
             .plus(Fold::product().times(n.var("x")).times(n.var("y")).build())
             .plus(n.var("z"))
             .build();
     },
     "x⋅y+z", 8},
    {"UnaryMinusOverSum",
     [](const Nodes& n) {
         return Nodes::neg(Fold::sum().plus(n.var("x")).plus(n.var("y")).build());
     },
     "-(x+y)", -5},
    {"UnaryMinusOverPower",
     [](const Nodes& n) { return Nodes::neg(Nodes::power(n.var("x"), Nodes::num(2))); }, "-x^2",
     -4},
    {"UnaryMinusOverUnaryMinus", [](const Nodes& n) { return Nodes::neg(Nodes::neg(n.var("x"))); },
     nullptr, 2},
    {"SumAsPowerBase",
     [](const Nodes& n) {
         return Nodes::power(Fold::sum().plus(n.var("x")).plus(Nodes::num(1)).build(),
                             Nodes::num(2));
     },
     "(x+1)^2", 9},
    {"SumAsExponent",
     [](const Nodes& n) {
         return Nodes::power(Nodes::num(2),
                             Fold::sum().plus(n.var("x")).plus(Nodes::num(1)).build());
     },
     "2^(x+1)", 8},
    {"ProductAsExponent",
     [](const Nodes& n) {
         return Nodes::power(n.var("x"),
                             Fold::product().times(n.var("y")).times(n.var("z")).build());
     },
     "x^(y⋅z)", 64},
    {"UnaryMinusAsPowerBase",
     [](const Nodes& n) { return Nodes::power(Nodes::neg(n.var("x")), Nodes::num(2)); }, "(-x)^2",
     4},
    {"UnaryMinusUnderTimes",
     [](const Nodes& n) {
         return Fold::product().times(n.var("x")).times(Nodes::neg(n.var("y"))).build();
     },
     "x⋅(-y)", -6},
    {"UnaryMinusUnderPlus",
     [](const Nodes& n) {
         return Fold::sum().plus(n.var("x")).plus(Nodes::neg(n.var("y"))).build();
     },
     "x+(-y)", -1},
    {"RelationOfSums",
     [](const Nodes& n) {
         return Nodes::relation("<", Fold::sum().plus(n.var("x")).plus(Nodes::num(1)).build(),
                                Nodes::num(4));
     },
     "x+1<4", 1},
    {"FunctionArguments",
     [](const Nodes& n) { return Nodes::call("max", Nodes::num(1), n.var("x")); }, "max(1, x)", 2},
    {"StarSpelledTimesToken",
     [](const Nodes& n) { return Fold::product().star(n.var("x")).star(n.var("y")).build(); },
     nullptr, 6},
    {"ParenthesesNode",
     [](const Nodes& n) {
         return Nodes::power(Nodes::parens(Fold::sum().plus(n.var("x")).minus(n.var("y")).build()),
                             Nodes::num(3));
     },
     "(x-y)^3", -1},

    // Negative numbers made from values print with a leading "-".
    {"NegativeNumberAsPowerBase",
     [](const Nodes&) { return Nodes::power(Nodes::num(-3), Nodes::num(2)); }, "(-3)^2", 9},
    {"NegativeFractionAsPowerBase",
     [](const Nodes&) { return Nodes::power(Nodes::num(-0.5), Nodes::num(3)); }, "(-0.5)^3",
     -0.125},
    {"NegativeZeroAsPowerBase",
     [](const Nodes&) { return Nodes::power(Nodes::num(-0.0), Nodes::num(-1)); }, nullptr, -kInf},
    {"NegativeNumberAsExponent",
     [](const Nodes&) { return Nodes::power(Nodes::num(2), Nodes::num(-1)); }, "2^(-1)", 0.5},
    {"NegativeNumberAsRootIndex",
     [](const Nodes&) { return Nodes::root(Nodes::num(-3), Nodes::num(8)); }, nullptr, 0.5},
    {"NegativeNumberAsRadicand",
     [](const Nodes&) { return Nodes::root(Nodes::num(3), Nodes::num(-8)); }, nullptr, -2},
    {"NegativeNumberUnderTimes",
     [](const Nodes&) {
         return Fold::product().times(Nodes::num(2)).times(Nodes::num(-3)).build();
     },
     nullptr, -6},
    {"NegativeNumberUnderDivide",
     [](const Nodes& n) { return Fold::product().times(n.var("x")).over(Nodes::num(-4)).build(); },
     nullptr, -0.5},
    {"NegativeNumberUnderUnaryMinus", [](const Nodes&) { return Nodes::neg(Nodes::num(-3)); },
     nullptr, 3},
    {"NegativeNumberUnderLeadingMinus",
     [](const Nodes& n) { return Fold::sum().minus(Nodes::num(-3)).plus(n.var("x")).build(); },
     nullptr, 5},
    {"NegativeNumberUnderLaterMinus",
     [](const Nodes& n) { return Fold::sum().plus(n.var("x")).minus(Nodes::num(-3)).build(); },
     nullptr, 5},
    {"NegativeNumberFirstInSum",
     [](const Nodes& n) { return Fold::sum().plus(Nodes::num(-3)).plus(n.var("x")).build(); },
     nullptr, -1},
    {"NegativeNumberInRelation",
     [](const Nodes& n) { return Nodes::relation("<", Nodes::num(-3), n.var("x")); }, nullptr, 1},
    {"NegativeNumberAsArgument", [](const Nodes&) { return Nodes::call("abs", Nodes::num(-3)); },
     "abs(-3)", 3},

    // Non-finite numbers have no literal and print as quotients.
    {"InfinityNumber", [](const Nodes&) { return Nodes::num(kInf); }, "(1/0)", kInf},
    {"MinusInfinityNumber", [](const Nodes&) { return Nodes::num(-kInf); }, "(-1/0)", -kInf},
    {"NaNNumber", [](const Nodes&) { return Nodes::num(kNaN); }, "(0/0)", kNaN},
    {"MinusInfinityAsPowerBase",
     [](const Nodes&) { return Nodes::power(Nodes::num(-kInf), Nodes::num(3)); }, "(-1/0)^3",
     -kInf},
    {"InfinityUnderDivide",
     [](const Nodes& n) {
         return Fold::product().times(n.var("x")).over(Nodes::num(kInf)).build();
     },
     "x/(1/0)", 0},
    {"InfinityUnderUnaryMinus", [](const Nodes&) { return Nodes::neg(Nodes::num(kInf)); }, "-(1/0)",
     -kInf},
    {"MinusInfinityUnderLeadingMinus",
     [](const Nodes& n) { return Fold::sum().minus(Nodes::num(-kInf)).plus(n.var("x")).build(); },
     nullptr, kInf},
    {"InfinityAsRadicand",
     [](const Nodes&) { return Nodes::root(Nodes::num(2), Nodes::num(kInf)); }, "2√(1/0)", kInf},
    {"NaNUnderTimes",
     [](const Nodes& n) {
         return Fold::product().times(n.var("x")).times(Nodes::num(kNaN)).build();
     },
     "x⋅(0/0)", kNaN},
};

INSTANTIATE_TEST_SUITE_P(Built, BuiltPrinting, ::testing::ValuesIn(kBuiltPrintRows),
                         [](const ::testing::TestParamInfo<BuiltPrintRow>& info) {
                             return std::string(info.param.name);
                         });

// ---------------------------------------------------------------------------------------------
// Numbers made from values.

TEST(NumberWithValue, SpellingsOfSimpleValues) {
    struct Row {
        double value;
        const char* spelling;
    };
    const Row rows[] = {{0.5, "0.5"},
                        {-3, "-3"},
                        {0, "0"},
                        {-0.0, "-0"},
                        {1e21, "1000000000000000000000"},
                        {1e-7, "0.0000001"},
                        {123.25, "123.25"},
                        {kInf, "(1/0)"},
                        {-kInf, "(-1/0)"},
                        {kNaN, "(0/0)"}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.spelling);
        auto number = RVNumber::numberWithValue(row.value);
        EXPECT_EQ(utf8(number->description()), row.spelling);
        EXPECT_EQ(number->token().type(), TOKEN_CONSTANT);
        EXPECT_EQ(number->token().locationInSource(), 0);
        EXPECT_SAME_VALUE(row.value, number->value());
    }
}

// Every double prints as plain decimal text (no exponent) that reads back to the same bits.
TEST(NumberWithValue, RandomDoublesReadBackExactly) {
    std::vector<double> values = {std::numeric_limits<double>::max(),
                                  std::numeric_limits<double>::min(),
                                  std::numeric_limits<double>::denorm_min(),
                                  -std::numeric_limits<double>::denorm_min(),
                                  0.1,
                                  1.0 / 3.0,
                                  -2.5,
                                  9007199254740993.0,
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
