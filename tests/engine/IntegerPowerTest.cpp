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
#include "engine/OperationNode.h"

namespace plotwise {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();

// Distance in units in the last place: doubles in order as integers. Equal non-finite values
// (and two NaNs) are 0 apart.
std::uint64_t ulpsApart(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b) ? 0 : std::numeric_limits<std::uint64_t>::max();
    }
    if (a == b) {
        return 0;
    }
    auto ordered = [](double v) {
        const auto i = std::bit_cast<std::int64_t>(v);
        return i < 0 ? std::numeric_limits<std::int64_t>::min() - i : i;
    };
    const std::int64_t i = ordered(a);
    const std::int64_t j = ordered(b);
    return i > j ? static_cast<std::uint64_t>(i) - static_cast<std::uint64_t>(j)
                 : static_cast<std::uint64_t>(j) - static_cast<std::uint64_t>(i);
}

// Bases over the whole range: random magnitudes from 1e-300 to 1e300 of both signs, values near
// 1 where powers stay normal, and the special values.
std::vector<double> bases() {
    std::vector<double> values = {
        0.0,   -0.0,   1.0,  -1.0,  2.0,    -2.0,
        0.5,   3.0,    10.0, 1e-5,  1e10,   -1e-10,
        1e300, -1e300, kInf, -kInf, 1e-310, std::numeric_limits<double>::quiet_NaN()};
    std::mt19937_64 random(19);
    std::uniform_real_distribution<double> exponent(-300.0, 300.0);
    std::uniform_real_distribution<double> nearOne(-4.0, 4.0);
    for (int i = 0; i < 400; ++i) {
        const double sign = i % 2 == 0 ? 1.0 : -1.0;
        values.push_back(sign * std::pow(10.0, exponent(random)));
        values.push_back(nearOne(random));
    }
    return values;
}

template <typename Power, int... I>
void checkEveryExponent(Power power, std::integer_sequence<int, I...>) {
    const std::vector<double> values = bases();
    auto check = [&](auto exponent) {
        constexpr int n = decltype(exponent)::value;
        for (const double a : values) {
            const double expected = std::pow(test::opaque(a), static_cast<double>(n));
            const double actual = power.template operator()<n>(a);
            EXPECT_LE(ulpsApart(actual, expected), 1u)
                << "(" << test::describeDouble(a) << ")^" << n << " = "
                << test::describeDouble(actual) << ", pow gives " << test::describeDouble(expected);
        }
    };
    (check(std::integral_constant<int, I - math::kLargestIntegerExponent>{}), ...);
}

constexpr auto kExponents =
    std::make_integer_sequence<int, 2 * math::kLargestIntegerExponent + 1>();

// Both forms run here whatever the platform uses, so both are checked.
TEST(IntegerPower, ExtendedAndDoubleDoubleFormsAreWithinOneUlpOfPow) {
    checkEveryExponent([]<int N>(double a) { return math::integerPowerExtended<N>(a); },
                       kExponents);
    checkEveryExponent([]<int N>(double a) { return math::integerPowerDoubleDouble<N>(a); },
                       kExponents);
}

// powerValue, which the tree and the compiled form share: 2, 3, 4 and -1 multiply out exactly as
// before; every other whole exponent from 1 to ±32 is within one unit of pow.
TEST(IntegerPower, PowerValueKeepsTheMultipliedFormsAndSquaresTheRest) {
    for (const double a : bases()) {
        EXPECT_TRUE(test::sameValue(math::powerValue(a, 2.0), a * a));
        EXPECT_TRUE(test::sameValue(math::powerValue(a, 3.0), a * a * a));
        const double square = a * a;
        EXPECT_TRUE(test::sameValue(math::powerValue(a, 4.0), square * square));
        EXPECT_TRUE(test::sameValue(math::powerValue(a, -1.0), 1.0 / a));
        for (int n = -32; n <= 32; ++n) {
            if (n == 0) {
                continue;  // |b| < 1 follows the root rules, as before
            }
            const double expected = std::pow(test::opaque(a), static_cast<double>(n));
            EXPECT_LE(ulpsApart(math::powerValue(a, n), expected), n == 3 || n == 4 ? 2u : 1u)
                << test::describeDouble(a) << "^" << n;
        }
        // Beyond 32, and between whole numbers, pow itself.
        for (const double b : {33.0, -33.0, 2.5, -7.25}) {
            EXPECT_TRUE(test::sameValue(math::powerValue(a, b), std::pow(test::opaque(a), b)));
        }
    }
}

// The tree, the compiled form and the batch form give the same bits for powers in expressions.
TEST(IntegerPower, TreeCompiledAndBatchAgree) {
    const std::vector<std::string> texts = {
        "x^5",        "x^-2",        "x^32",       "x^-32",       "(x+1)^7",
        "2x^19-x^13", "(y-x)^-5",    "x^(3+2)",    "x^(-6)",      "x^2.5+x^0+x^1",
        "(x^3)^11",   "1/x^17+y^-3", "x^33+x^-33", "(x⋅y)^8-x^31"};
    std::vector<double> xs;
    std::vector<double> ys;
    for (const double a : bases()) {
        if (std::isfinite(a) && std::fabs(a) < 1e6) {
            xs.push_back(a);
            ys.push_back(0.75 - a);
        }
    }
    for (const std::string& text : texts) {
        SCOPED_TRACE(text);
        VariableTable table = test::zeroTable();
        RVParser parser;
        const auto tree = test::parseText(parser, text, table);
        ASSERT_TRUE(tree);
        const CompiledExpression compiled = tree->compile();
        BatchEvaluator batch(compiled, table.data());
        std::array<const double*, 6> inputs{xs.data(), ys.data()};
        std::vector<double> batched(xs.size());
        batch.evaluate(xs.size(), inputs, batched.data());
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
