// Simplification passes and symbolic differentiation: worked examples, the steps list and the work
// budget. (Generated expressions are simplified in the derivative suite's property.)
#include <gtest/gtest.h>

#include <cmath>
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

TEST(Rules, SimplifyToTheWorkedResult) {
    for (const WorkedExample& example : kWorkedExamples) {
        VariableTable table{};
        const Simplified simplified = simplifyFully(example.input, table);
        ASSERT_TRUE(simplified.tree) << example.input;
        EXPECT_EQ(simplified.text, example.result) << example.input;
        EXPECT_FALSE(simplified.tree->containsDerivative()) << example.input;
        EXPECT_TRUE(simplified.tree->hasConsistentParents()) << example.input;
    }
}

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

// One step per pass from the input to the result; input that does not parse reports the
// parser's message and no steps.
TEST(DerivativeSteps, OneStepPerPassFromInputToResult) {
    EXPECT_EQ(stepTexts("d/dx(x)"), (std::vector<std::string>{"d/dx(x)", "1"}));
    EXPECT_EQ(stepTexts("d/dx(x^2)"),
              (std::vector<std::string>{"d/dx(x^2)",
                                        "(2)⋅(x)^((2)-1)⋅d/dx(x)+(x)^(2)⋅ln(x)⋅d/dx(2)", "2⋅x"}));
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
    const auto repeated = [](std::string_view piece, int count) {
        std::string out;
        for (int i = 0; i < count; ++i) {
            out += piece;
        }
        return out;
    };
    const std::string inputs[] = {
        "d/dx(d/dx(d/dx(d/dx(d/dx(x^x^x)))))",
        repeated("d/dx(", 120) + "x^x" + std::string(120, ')'),
        "d/dx(" + repeated("1/(", 120) + "x" + std::string(121, ')'),
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

}  // namespace
}  // namespace plotwise::test
