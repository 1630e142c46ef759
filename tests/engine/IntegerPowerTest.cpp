#include <gtest/gtest.h>

#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/BatchEvaluator.h"
#include "engine/IntegerPower.h"
#include "engine/MathFunctions.h"

namespace plotwise {
namespace {

// Units in the last place between a and b (0 for equal values, two NaNs included).
std::uint64_t ulpsApart(double a, double b) {
    if (std::isnan(a) || std::isnan(b) || a == b) {
        return std::isnan(a) == std::isnan(b) ? 0 : ~std::uint64_t{0};
    }
    auto ordered = [](double v) {
        const auto i = std::bit_cast<std::int64_t>(v);
        return i < 0 ? std::numeric_limits<std::int64_t>::min() - i : i;
    };
    const std::int64_t d = ordered(a) - ordered(b);
    return d < 0 ? static_cast<std::uint64_t>(-d) : static_cast<std::uint64_t>(d);
}

// Random magnitudes from 1e-300 to 1e300 of both signs, values near 1, and special values.
std::vector<double> bases() {
    const double inf = std::numeric_limits<double>::infinity();
    std::vector<double> values = {0.0,
                                  -0.0,
                                  1.0,
                                  -1.0,
                                  -2.0,
                                  1e300,
                                  -1e-300,
                                  inf,
                                  -inf,
                                  1e-310,
                                  std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 random(19);
    std::uniform_real_distribution<double> exponent(-300.0, 300.0);
    std::uniform_real_distribution<double> nearOne(-4.0, 4.0);
    for (int i = 0; i < 300; ++i) {
        values.push_back((i % 2 == 0 ? 1.0 : -1.0) * std::pow(10.0, exponent(random)));
        values.push_back(nearOne(random));
    }
    return values;
}

// Every exponent from -32 to 32 of both wide forms (whichever the platform uses, both are
// checked here) and of powerValue, which tree and compiled form share, is within one ulp of pow;
// 2, 3, 4 and -1 multiply out exactly as before, 0 keeps its root rule.
TEST(IntegerPower, EveryFormIsWithinOneUlpOfPow) {
    const std::vector<double> values = bases();
    auto check = [&]<int N>(std::integral_constant<int, N>) {
        for (const double a : values) {
            const double expected = std::pow(test::opaque(a), static_cast<double>(N));
            SCOPED_TRACE(test::describeDouble(a) + "^" + std::to_string(N));
            EXPECT_LE(ulpsApart(math::integerPowerExtended<N>(a), expected), 1u);
            EXPECT_LE(ulpsApart(math::integerPowerDoubleDouble<N>(a), expected), 1u);
            if (N != 0) {
                EXPECT_LE(ulpsApart(math::powerValue(a, N), expected), N == 3 || N == 4 ? 2u : 1u);
            }
        }
    };
    [&]<int... I>(std::integer_sequence<int, I...>) {
        (check(std::integral_constant<int, I - 32>{}), ...);
    }
    (std::make_integer_sequence<int, 65>());
    for (const double a : values) {
        const double square = a * a;
        EXPECT_TRUE(test::sameValue(math::powerValue(a, 2.0), square));
        EXPECT_TRUE(test::sameValue(math::powerValue(a, 3.0), a * a * a));
        EXPECT_TRUE(test::sameValue(math::powerValue(a, 4.0), square * square));
        EXPECT_TRUE(test::sameValue(math::powerValue(a, -1.0), 1.0 / a));
        for (const double b : {33.0, -33.0, 2.5, -7.25}) {
            EXPECT_TRUE(test::sameValue(math::powerValue(a, b), std::pow(test::opaque(a), b)));
        }
    }
}

// The tree, the compiled form and the batch form give the same bits for powers in expressions.
TEST(IntegerPower, TreeCompiledAndBatchAgree) {
    std::vector<double> xs;
    std::vector<double> ys;
    for (const double a : bases()) {
        if (std::fabs(a) < 1e6) {
            xs.push_back(a);
            ys.push_back(0.75 - a);
        }
    }
    for (const char* text :
         {"x^5", "x^-2+x^32-x^-32", "(x+1)^7", "2x^19-x^13", "(y-x)^-5", "x^(3+2)", "x^2.5+x^0+x^1",
          "(x^3)^11", "1/x^17+y^-3", "x^33+x^-33", "(x⋅y)^8-x^31"}) {
        SCOPED_TRACE(text);
        VariableTable table = test::zeroTable();
        RVParser parser;
        const auto tree = test::parseText(parser, text, table);
        ASSERT_TRUE(tree);
        const CompiledExpression compiled = tree->compile();
        std::vector<double> batched(xs.size());
        BatchEvaluator(compiled, table.data())
            .evaluate(xs.size(), {xs.data(), ys.data()}, batched.data());
        for (std::size_t i = 0; i < xs.size(); ++i) {
            table[0] = xs[i];
            table[1] = ys[i];
            const double value = tree->value();
            EXPECT_PRED_FORMAT2(test::SameValue, value, compiled.evaluate());
            EXPECT_PRED_FORMAT2(test::SameValue, value, batched[i]);
        }
    }
}

}  // namespace
}  // namespace plotwise
