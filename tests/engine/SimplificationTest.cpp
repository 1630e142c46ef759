// Simplification passes and symbolic differentiation: worked examples, the steps list, the work
// budget, and properties over generated smooth expressions.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/DerivativeSteps.h"
#include "engine/ExpressionParsing.h"

namespace plotwise::test {
namespace {

struct Simplified {
    std::unique_ptr<RVOperationTree> tree;
    std::string text;
};

Simplified simplifyFully(std::string_view source, VariableTable& table) {
    RVParser parser;
    auto tree = parser.parse(u16(source), table.data());
    EXPECT_TRUE(tree) << source << ": " << utf8(parser.error());
    if (!tree) {
        return {};
    }
    tree->simplify();
    EXPECT_FALSE(tree->simplificationExhausted()) << source;
    std::string text = utf8(tree->description());
    return {std::move(tree), text};
}

struct WorkedExample {
    const char* input;
    const char* result;
};

// Results worked out by hand from the rules: canonical order puts numbers first, folds the
// leading numeric run, drops neutral operands and expands one derivative level per pass.
const WorkedExample kWorkedExamples[] = {
    {"x+2+3", "5+x"},
    {"2⋅x⋅3", "6⋅x"},
    {"1/2⋅x", "0.5⋅x"},
    {"x⋅0", "0"},
    {"x+0", "x"},
    {"x^1", "x"},
    {"x^0", "1"},
    {"0/x", "0"},
    {"x/1", "x"},
    {"x/0", "(1/0)⋅x"},
    {"3-3", "0"},
    {"π⋅2", "2⋅π"},
    {"sin(0)", "0"},
    {"sin(π)", "0"},
    {"sin(1)", "sin(1)"},
    {"floor(2.5)", "2"},
    {"(x)", "x"},
    {"(x+1)⋅2", "(1+x)⋅2"},
    {"2⋅(3+4)", "14"},
    {"0-x", "-x"},
    {"ln(0)", "(-1/0)"},
    {"ln(-1)", "ln(-1)"},
    {"d/dx(x)", "1"},
    {"d/dx(x^2)", "2⋅x"},
    {"d/dx(x^3)", "3⋅x^2"},
    {"d/dx(5)", "0"},
    {"d/dx(y)", "0"},
    {"d/dy(y)", "1"},
    {"d/dx(sin(x))", "cos(x)"},
    {"d/dx(cos(x))", "-sin(x)"},
    {"d/dx(-x^2)", "-(2⋅x)"},
    {"d/dx(x^2)+1", "1+2⋅x"},
    {"d/dx(max(x, 2x))", "if(x>(2⋅x), 1, 2)"},
    {"d/dx(floor(x^2))", "0"},
    {"d/dx(if(x, x^2, x))", "if(x, 2⋅x, 1)"},
    {"d/dx(mod(x, 3))", "1"},
    {"d/dx(if(x<0, -x, x))", "if(x<0, -1, 1)"},
};

class WorkedExamples : public ::testing::TestWithParam<WorkedExample> {};

TEST_P(WorkedExamples, SimplifyToTheWorkedResult) {
    VariableTable table{};
    const Simplified simplified = simplifyFully(GetParam().input, table);
    EXPECT_EQ(simplified.text, GetParam().result);
    if (simplified.tree) {
        EXPECT_FALSE(simplified.tree->containsDerivative());
        EXPECT_TRUE(simplified.tree->hasConsistentParents());
    }
}

INSTANTIATE_TEST_SUITE_P(Rules, WorkedExamples, ::testing::ValuesIn(kWorkedExamples),
                         [](const auto& info) {
                             return std::to_string(info.index) + "_" + testName(info.param.input);
                         });

std::vector<std::string> stepTexts(std::string_view source) {
    VariableTable table{};
    const DerivativeSteps steps = derivativeSteps(u16(source), table.data());
    EXPECT_FALSE(steps.error.has_value()) << source;
    std::vector<std::string> texts;
    for (const auto& step : steps.steps) {
        texts.push_back(utf8(step->description()));
    }
    return texts;
}

TEST(DerivativeSteps, OneStepPerPassFromInputToResult) {
    EXPECT_EQ(stepTexts("d/dx(x)"), (std::vector<std::string>{"d/dx(x)", "1"}));
    EXPECT_EQ(stepTexts("d/dx(x^2)"),
              (std::vector<std::string>{"d/dx(x^2)",
                                        "(2)⋅(x)^((2)-1)⋅d/dx(x)+(x)^(2)⋅ln(x)⋅d/dx(2)", "2⋅x"}));
}

TEST(DerivativeSteps, InputThatDoesNotParseReportsTheParserMessage) {
    VariableTable table{};
    const DerivativeSteps steps = derivativeSteps(u"d/dx(x", table.data());
    ASSERT_TRUE(steps.error.has_value());
    EXPECT_EQ(utf8(steps.error->text()), "\")\" expected");
    EXPECT_EQ(steps.errorPosition, 5u);
    EXPECT_TRUE(steps.steps.empty());
}

// Folding keeps the value: a division by zero keeps its infinities and NaNs (bit for bit), and
// flattening a group under "-" or "/" keeps the sign of each member.
TEST(Simplification, FoldingAndFlatteningKeepTheValue) {
    for (const char* text : {"x/0", "x/0+1", "-x/0", "(x+1)/0", "x⋅(1/0)", "x-(1+π)", "x/(2π)",
                             "x-(y-π)", "x/(y/π)", "x-(π-2+y)"}) {
        VariableTable table{};
        RVParser parser;
        auto original = parser.parse(u16(text), table.data());
        ASSERT_TRUE(original) << text;
        const Simplified simplified = simplifyFully(text, table);
        ASSERT_TRUE(simplified.tree) << text;
        for (const double x : {2.0, -3.0, 0.0, 17.25}) {
            table = {x, 1.75, 0, 0, 0, 0};
            const double expected = original->value();
            const double actual = simplified.tree->value();
            EXPECT_TRUE(sameValue(expected, actual) ||
                        std::fabs(actual - expected) <= 1e-12 * (1 + std::fabs(x)))
                << text << " simplified to " << simplified.text << " at x = " << x;
        }
    }
}

TEST(Simplification, StepSimplifyAnswersFalseWhenNothingIsLeftToFold) {
    VariableTable table{};
    RVParser parser;
    auto tree = parser.parse(u"x⋅2", table.data());
    ASSERT_TRUE(tree);
    // The pass still reorders the product into 2⋅x, which is not a change.
    EXPECT_FALSE(tree->stepSimplify());
    EXPECT_EQ(utf8(tree->description()), "2⋅x");
}

TEST(Simplification, DerivativeOfADerivativeKeepsItsVariable) {
    VariableTable table{};
    const Simplified second = simplifyFully("d/dx(d/dx(1/x))", table);
    for (double x : {0.5, 2.0, -3.0}) {
        table[0] = x;
        EXPECT_NEAR(second.tree->value(), 2.0 / (x * x * x), 1e-12) << second.text;
    }
    const Simplified mixed = simplifyFully("d/dy(d/dx(x^2⋅y^3))", table);
    table = {1.5, -2.0, 0, 0, 0, 0};
    EXPECT_NEAR(mixed.tree->value(), 6.0 * 1.5 * 4.0, 1e-12) << mixed.text;
}

TEST(Budget, RunawayDerivativesStopWithExpressionTooComplex) {
    const std::string inputs[] = {
        "d/dx(d/dx(d/dx(d/dx(d/dx(x^x^x)))))",
        [] {
            std::string s;
            for (int i = 0; i < 120; ++i) {
                s += "d/dx(";
            }
            s += "x^x";
            return s + std::string(120, ')');
        }(),
        [] {
            std::string s = "d/dx(";
            for (int i = 0; i < 120; ++i) {
                s += "1/(";
            }
            s += "x";
            return s + std::string(121, ')');
        }(),
    };
    for (const std::string& input : inputs) {
        SCOPED_TRACE(input.substr(0, 60));
        ASSERT_LE(input.size(), 1000u);
        VariableTable table{};
        const ParsedExpression parsed = parseExpression(u16(input), table.data());
        ASSERT_FALSE(parsed.tree);
        ASSERT_TRUE(parsed.error.has_value());
        EXPECT_EQ(utf8(parsed.error->text()), "Expression too complex");
        const DerivativeSteps steps = derivativeSteps(u16(input), table.data());
        ASSERT_TRUE(steps.error.has_value());
        EXPECT_EQ(utf8(steps.error->text()), "Expression too complex");
    }
}

// Smooth functions of x with y as a parameter: every subexpression is defined everywhere. (The
// derivatives' values are checked against finite differences in the derivative suite.)
class SmoothExpressionGenerator {
public:
    explicit SmoothExpressionGenerator(unsigned seed) : random_(seed) {}

    std::string expression(int depth) {
        if (depth == 0 || pick(4) == 0) {
            return atom();
        }
        const std::string a = expression(depth - 1);
        switch (pick(11)) {
            case 0:
                return a + "+" + expression(depth - 1);
            case 1:
                return a + "-" + expression(depth - 1);
            case 2:
                return "(" + a + ")⋅(" + expression(depth - 1) + ")";
            case 3:
                return "(" + a + ")/(1+(" + expression(depth - 1) + ")^2)";
            case 4:
                return "sin(" + a + ")";
            case 5:
                return "cos(" + a + ")";
            case 6:
                return "atan(" + a + ")";
            case 7:
                return "ln(1+(" + a + ")^2)";
            case 8:
                return "√(2+sin(" + a + "))";
            case 9:
                return "(" + a + ")^" + std::to_string(2 + pick(3));
            default:
                return "e^(sin(" + a + "))";
        }
    }

private:
    int pick(int n) { return std::uniform_int_distribution<int>(0, n - 1)(random_); }
    std::string atom() {
        switch (pick(6)) {
            case 0:
                return std::to_string(1 + pick(9));
            case 1:
                return "π";
            case 2:
                return "y";
            case 3:
                return std::to_string(pick(5)) + "x";
            default:
                return "x";
        }
    }
    std::mt19937 random_;
};

TEST(Property, EveryDerivativeStepReadsBackToTheTextItPrinted) {
    SmoothExpressionGenerator generator(99);
    for (int i = 0; i < 150; ++i) {
        const std::string f = "d/dx(" + generator.expression(3) + ")";
        SCOPED_TRACE(f);
        VariableTable table{};
        const DerivativeSteps steps = derivativeSteps(u16(f), table.data());
        if (steps.error) {
            EXPECT_EQ(utf8(steps.error->text()), "Expression too complex");
            continue;
        }
        ASSERT_GE(steps.steps.size(), 2u);
        for (const auto& step : steps.steps) {
            const std::u16string printed = step->description();
            RVParser parser;
            const auto again = parser.parse(printed, table.data());
            ASSERT_TRUE(again) << utf8(printed) << ": " << utf8(parser.error());
            EXPECT_EQ(utf8(again->description()), utf8(printed));
        }
        EXPECT_FALSE(steps.steps.back()->containsDerivative());
        EXPECT_FALSE(steps.result->containsDerivative());
    }
}

TEST(Property, SimplificationKeepsTheValue) {
    SmoothExpressionGenerator generator(5);
    std::mt19937 random(11);
    std::uniform_real_distribution<double> point(-3.0, 3.0);
    for (int i = 0; i < 400; ++i) {
        const std::string f = generator.expression(4);
        SCOPED_TRACE(f);
        VariableTable table{};
        RVParser parser;
        auto original = parser.parse(u16(f), table.data());
        ASSERT_TRUE(original);
        const Simplified simplified = simplifyFully(f, table);
        ASSERT_TRUE(simplified.tree);
        for (int k = 0; k < 3; ++k) {
            table = {point(random), point(random), 0, 0, 0, 0};
            const double expected = original->value();
            const double actual = simplified.tree->value();
            if (std::isfinite(expected) && std::fabs(expected) < 1e8) {
                EXPECT_NEAR(actual, expected, 1e-9 * (1 + std::fabs(expected)))
                    << "simplified to " << simplified.text;
            }
        }
    }
}

}  // namespace
}  // namespace plotwise::test
