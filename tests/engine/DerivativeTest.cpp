// Symbolic derivatives against central differences, and the readable form against the result it
// presents: textbook functions, the functions with switches away from them, and generated
// expressions over every function of the registry.
#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/DerivativeSteps.h"
#include "engine/ExpressionParsing.h"
#include "engine/FunctionLibrary.h"
#include "engine/ReadableForm.h"

namespace plotwise::test {
namespace {

constexpr double kY = 0.7;  // y is held at this value: a constant for d/dx

struct Compiled {
    std::unique_ptr<RVOperationTree> tree;
    CompiledExpression compiled;
};

Compiled carriedOut(const std::string& text, VariableTable& table) {
    ParsedExpression parsed = parseExpression(u16(text), table.data());
    EXPECT_TRUE(parsed.tree) << text;
    if (!parsed.tree) {
        return {};
    }
    EXPECT_FALSE(parsed.tree->containsDerivative()) << text;
    CompiledExpression compiled = parsed.tree->compile();
    return {std::move(parsed.tree), std::move(compiled)};
}

// The readable form reads back to the result's values (relative 1e-12) and is not longer.
::testing::AssertionResult readableAgrees(const RVOperationTree& result, VariableTable& table,
                                          const std::vector<double>& xs) {
    const std::u16string readable = readableText(result);
    const std::u16string original = result.description();
    if (readable.size() > original.size()) {
        return ::testing::AssertionFailure()
               << utf8(readable) << " is longer than " << utf8(original);
    }
    RVParser parser;
    const auto again = parser.parse(readable, table.data());
    if (!again) {
        return ::testing::AssertionFailure() << utf8(readable) << ": " << utf8(parser.error());
    }
    for (const double x : xs) {
        table = {x, kY, 0, 0, 0, 0};
        const double expected = result.value();
        const double actual = again->value();
        if (std::isnan(expected)) {
            continue;  // collected terms may cancel an ∞−∞ or 0⋅∞ of the result
        }
        if (!(std::fabs(actual - expected) <= 1e-12 * std::max(1.0, std::fabs(expected)))) {
            return ::testing::AssertionFailure()
                   << utf8(readable) << " is " << actual << " at x = " << x << ", "
                   << utf8(original) << " is " << expected;
        }
    }
    return ::testing::AssertionSuccess();
}

struct Row {
    const char* f;  // a function of x (y held at kY)
    double low;     // sampled in [low, high], an interval without kinks or jumps
    double high;
};

// The functions with switches, sampled away from them, powers with the variable in the exponent,
// odd roots of negative numbers and nested derivatives; every function is also in the generated
// property below.
const Row kRows[] = {
    {"x^x+x^(1/x)+x^sin(x)+2^x", 0.3, 3},
    {"3√(x)+5√(x)+x^(1/3)+x^(-1/3)", -4, -0.1},
    {"y√(x)", 0.1, 4},
    {"x√(x+2)", 1, 3},
    {"logn(y+x, x^2)", 1.5, 4},
    {"abs(x^3-1)", -2, 0.9},
    {"x^2⋅y^3+sin(x⋅y)", -3, 3},
    {"floor(x^2)", 1.05, 1.4},
    {"ceil(3x)", 0.05, 0.3},
    {"max(sin(x), cos(x))", 0, 0.7},
    {"min(x, -x)", -3, -0.1},
    {"if(x, x^2, x)", -2, 2},
    {"if(x<0, x^3, sin(x))", -2, -0.1},
    {"mod(x, 3)", 0.1, 2.9},
    {"mod(x^2, x)", 1.1, 1.9},
    {"mod(5, x)", 2.6, 4.9},
    {"d/dx(x^3⋅sin(x))", -2, 2},
    {"d/dx(d/dx(x^4⋅e^x))", -2, 2},
};

double valueAt(const CompiledExpression& compiled, VariableTable& table, double x) {
    table = {x, kY, 0, 0, 0, 0};
    return compiled.evaluate();
}

TEST(Textbook, DerivativesMatchACentralDifference) {
    for (const Row& row : kRows) {
        SCOPED_TRACE(row.f);
        VariableTable table{};
        const Compiled f = carriedOut(row.f, table);
        const Compiled d = carriedOut(std::string("d/dx(") + row.f + ")", table);
        ASSERT_TRUE(f.tree && d.tree);
        std::mt19937 random(std::hash<std::string>{}(row.f));
        std::uniform_real_distribution<double> point(row.low, row.high);
        std::vector<double> xs;
        for (int k = 0; k < 6; ++k) {
            const double x = xs.emplace_back(point(random));
            const double h = 1e-5;
            const double numeric =
                (valueAt(f.compiled, table, x + h) - valueAt(f.compiled, table, x - h)) / (2 * h);
            const double symbolic = valueAt(d.compiled, table, x);
            EXPECT_SAME_VALUE(symbolic, d.tree->value());
            EXPECT_NEAR(symbolic, numeric, 1e-5 * (1 + std::fabs(numeric)))
                << "x = " << x << ": " << utf8(d.tree->description());
        }
        EXPECT_TRUE(readableAgrees(*d.tree, table, xs));
    }
}

// Expressions over every function of the registry, nested two or three deep.
class AnyFunctionGenerator {
public:
    explicit AnyFunctionGenerator(unsigned seed) : random_(seed) {
        for (const FunctionDefinition& definition : functionRegistry()) {
            if (definition.shape != FunctionShape::Derivative) {
                functions_.push_back(&definition);
            }
        }
    }

    std::string expression(int depth) {
        if (depth == 0 || pick(5) == 0) {
            const char* atoms[] = {"x", "y", "2", "0.5", "π", "3x", "x^2", "(x-1)"};
            return atoms[pick(8)];
        }
        const std::string a = expression(depth - 1);
        switch (pick(8)) {
            case 0:
                return a + "+" + expression(depth - 1);
            case 1: {
                // x^2-x^2 is a constant whose derivative no finite difference sees.
                const std::string b = expression(depth - 1);
                return a + (a == b ? "+" : "-") + b;
            }
            case 2:
                return "(" + a + ")⋅(" + expression(depth - 1) + ")";
            case 3:
                return "(" + a + ")/(" + expression(depth - 1) + ")";
            case 4:
                return "(" + a + ")^" + std::to_string(pick(4));
            case 5:
                return std::to_string(2 + pick(4)) + "√(" + a + ")";
            case 6:
                return "-(" + a + ")";
            default: {
                const FunctionDefinition& f = *functions_[pick(functions_.size())];
                std::string text = utf8(f.functionName) + "(" + a;
                if (f.shape == FunctionShape::Condition && pick(2) == 0) {
                    text += "<" + expression(depth - 1);
                }
                for (int i = 1; i < f.validParameterCount; ++i) {
                    text += ", " + expression(depth - 1);
                }
                return text + ")";
            }
        }
    }

private:
    std::size_t pick(std::size_t n) {
        return std::uniform_int_distribution<std::size_t>(0, n - 1)(random_);
    }
    std::mt19937 random_;
    std::vector<const FunctionDefinition*> functions_;
};

// Where two central differences (steps h and h/2) agree, the function is smooth around x: the
// symbolic derivative must match them and the simplified function the function; elsewhere x is
// near a kink, jump or pole and is skipped.
TEST(Property, DerivativesOfEveryFunctionAgreeWithFiniteDifferences) {
    AnyFunctionGenerator generator(2027);
    std::mt19937 random(3);
    std::uniform_real_distribution<double> point(-3.0, 3.0);
    int compared = 0;
    int shorter = 0;
    int tidyable = 0;
    for (int i = 0; i < 600; ++i) {
        const std::string f = generator.expression(3);
        SCOPED_TRACE(f);
        VariableTable table{};
        const Compiled function = carriedOut(f, table);
        const DerivativeSteps d = derivativeSteps(u16("d/dx(" + f + ")"), table.data());
        ASSERT_TRUE(function.tree);
        if (d.error) {
            EXPECT_EQ(utf8(d.error->text()), "Expression too complex");
            continue;
        }
        // Every step reads back to the text it printed.
        for (const auto& step : d.steps) {
            RVParser parser;
            const auto again = parser.parse(step->description(), table.data());
            ASSERT_TRUE(again) << utf8(step->description()) << ": " << utf8(parser.error());
            EXPECT_EQ(utf8(again->description()), utf8(step->description()));
        }
        // Simplifying f keeps its value where f is smooth.
        RVParser parser;
        const auto simplified = parser.parse(u16(f), table.data());
        simplified->simplify();
        const CompiledExpression simple = simplified->compile();
        const CompiledExpression compiled = d.result->compile();
        std::vector<double> xs;
        for (int k = 0; k < 4; ++k) {
            const double x = point(random);
            xs.push_back(x);
            const double h = 1e-4;
            const double wide = (valueAt(function.compiled, table, x + h) -
                                 valueAt(function.compiled, table, x - h)) /
                                (2 * h);
            const double narrow = (valueAt(function.compiled, table, x + h / 2) -
                                   valueAt(function.compiled, table, x - h / 2)) /
                                  h;
            if (!std::isfinite(wide) || !std::isfinite(narrow) || std::fabs(narrow) > 1e4 ||
                std::fabs(wide - narrow) > 1e-5 * (1 + std::fabs(narrow))) {
                continue;
            }
            const double symbolic = valueAt(compiled, table, x);
            EXPECT_NEAR(symbolic, narrow, 1e-5 * (1 + std::fabs(narrow)))
                << "x = " << x << ": " << utf8(d.result->description());
            const double value = valueAt(function.compiled, table, x);
            EXPECT_NEAR(valueAt(simple, table, x), value, 1e-9 * (1 + std::fabs(value)))
                << "x = " << x << ": " << utf8(simplified->description());
            ++compared;
        }
        EXPECT_TRUE(readableAgrees(*d.result, table, xs));
        const std::size_t length = d.result->description().size();
        if (length > 10) {
            ++tidyable;
            shorter += readableText(*d.result).size() < length;
        }
    }
    EXPECT_GT(compared, 1000);
    // The readable pass must tidy most results that are more than a number or a single call,
    // not fall back to them.
    EXPECT_GT(shorter * 4, tidyable * 3);
}

TEST(DerivativeSteps, EndWithTheReadableFormWhereItReadsDifferently) {
    VariableTable table{};
    const DerivativeSteps quotient = derivativeSteps(u"d/dx((x+1)/(x-1))", table.data());
    ASSERT_TRUE(quotient.simplified);
    EXPECT_EQ(utf8(quotient.readable), utf8(quotient.simplified->description()));
    EXPECT_NE(quotient.readable, quotient.steps.back()->description());
    EXPECT_TRUE(readableAgrees(*quotient.result, table, {-2.5, 0.5, 3.0}));

    const DerivativeSteps square = derivativeSteps(u"d/dx(x^2)", table.data());
    EXPECT_EQ(utf8(square.readable), "2⋅x");
    EXPECT_FALSE(square.simplified);
}

}  // namespace
}  // namespace plotwise::test
