#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

#include "SamplingTestSupport.h"
#include "graph2d/sampling/ExplicitSampler.h"

namespace plotwise::test {
namespace {

constexpr double kChunkPoints = 20.0 / 3.0;
constexpr double kFourDegrees = 4.0 * std::numbers::pi / 180.0;

std::vector<SamplePoint> sample(ParsedEquation& equation, const EvaluationLimits2D& limits,
                                std::uint32_t capacity = ExplicitSampler::defaultCapacity) {
    std::vector<SamplePoint> storage(capacity + 16, kSentinel);
    ExplicitSampler sampler(equation.data(), storage.data(), capacity);
    const std::uint32_t count = sampler.evaluateExplicitWithLimits(equation.type(), limits);
    // Exactly the points counted were written, and nothing beyond them.
    EXPECT_EQ(writtenPrefix(storage), count) << equation.text();
    EXPECT_LE(count, capacity);
    storage.resize(count);
    return storage;
}

bool isBreak(SamplePoint p) {
    return std::isnan(p.x) && std::isnan(p.y);
}

// Curves that are never refined, point by point:
//   y = 2x + 1 at 32 points per unit: chunks of 5/24 units, 49 of them in 10.1 units, two
//     points each, each chunk starting where the previous one ended;
//   r = 1: a 4° chord is 2.2 points long, below 5, so each chunk keeps its first point only;
//   Θ = 1 over [1, 3] × [2, 4]: r from min(1, 2) to √(3² + 4²) in chunks of the smaller ratio
//     (21: 0.3175 units, 13 chunks), two points each;
//   y = 1/(x − x) is ∞ everywhere, and ∞ − ∞ is no reason to halve.
TEST(ExplicitSampler, UnrefinedCurvesArePointsAtTheChunkEnds) {
    struct Row {
        const char* text;
        EvaluationLimits2D limits;
        std::size_t count;
        double first, step;  // point i is at first + step · (i, or (i + 1) / 2 in pairs)
        bool pairs;
        SamplePoint (*at)(double);
    };
    const Row rows[] = {
        {"y=2x+1", window(-5.0, 5.1, -5.0, 5.0, 32.0), 98, -5.0, kChunkPoints / 32.0, true,
         [](double x) {
             return SamplePoint{float(x), float(2 * x + 1)};
         }},
        {"r=1", window(-2, 2, -2, 2, 32.0), 90, 0, kFourDegrees, false,
         [](double a) {
             return SamplePoint{float(std::cos(a)), float(std::sin(a))};
         }},
        {"Θ=1", EvaluationLimits2D::withWindow(1, 3, 2, 4, 21.0, 42.0), 26, 1.0,
         kChunkPoints / 21.0, true,
         [](double r) {
             return SamplePoint{float(r * std::cos(1.0)), float(r * std::sin(1.0))};
         }},
        {"y=1/(x-x)", window(-5, 5.1, -5, 5, 32.0), 98, -5.0, kChunkPoints / 32.0, true,
         [](double x) {
             return SamplePoint{float(x), std::numeric_limits<float>::infinity()};
         }},
    };
    for (const Row& row : rows) {
        ParsedEquation curve(row.text);
        const auto points = sample(curve, row.limits);
        ASSERT_EQ(points.size(), row.count) << row.text;
        for (std::size_t i = 0; i < row.count; ++i) {
            const double k = static_cast<double>(row.pairs ? (i + 1) / 2 : i);
            const SamplePoint expected = row.at(row.first + k * row.step);
            EXPECT_NEAR(points[i].x, expected.x, 1e-5) << row.text << " " << i;
            EXPECT_TRUE(points[i].y == expected.y || std::fabs(points[i].y - expected.y) < 1e-5)
                << row.text << " " << i << ": " << points[i].y;
        }
    }
}

// A pole inside a chunk or exactly on a chunk's end is refined from both sides down to 1/32 of
// a chunk, where |f| is beyond `beyond`, and the curve breaks there.
TEST(ExplicitSampler, PolesAreReachedFromBothSidesAndBreakTheCurve) {
    struct Row {
        const char* text;
        double minx;
        double ratio;
        double pole;
        double beyond;
    };
    const Row rows[] = {
        // Chunks of 5/24 from −1: the fifth, [−1/6, 1/24], holds 0.
        {"y=1/x", -1, 32, 0, 150},
        // At 80 points per unit the chunks are 1/12 wide: the twelfth ends at the pole.
        {"y=1/x", -1, 80, 0, 380},
        {"y=-1/x", -1, 80, 0, 380},
        {"y=1/x^2", -1, 80, 0, 140000},
        {"y=1/(x-1)", 0, 80, 1, 380},
    };
    for (const Row& row : rows) {
        const double width = kChunkPoints / row.ratio;
        ParsedEquation curve(row.text);
        const auto points = sample(curve, window(row.minx, row.minx + 2, -4, 4, row.ratio));
        double left = 0;
        double right = 0;
        for (const SamplePoint& p : points) {
            if (std::isfinite(p.y) && std::fabs(p.x - row.pole) < width / 8) {
                double& side = p.x < row.pole ? left : right;
                side = std::max(side, std::fabs(static_cast<double>(p.y)));
            }
        }
        EXPECT_GT(left, row.beyond) << row.text << " at " << row.ratio;
        EXPECT_GT(right, row.beyond) << row.text << " at " << row.ratio;
        // No drawn segment (both ends finite) spans the pole, and a break lies beside it.
        bool broken = false;
        for (std::size_t i = 0; i + 1 < points.size(); ++i) {
            const SamplePoint a = points[i];
            const SamplePoint b = points[i + 1];
            broken = broken || (isBreak(a) && std::fabs(points[i + 1].x - row.pole) < width / 16);
            EXPECT_FALSE(std::isfinite(a.y) && std::isfinite(b.y) && a.x < row.pole &&
                         b.x > row.pole)
                << row.text << " joins " << a.x << " to " << b.x;
        }
        EXPECT_TRUE(broken) << row.text << " at " << row.ratio;
    }
}

// A gap that does not shrink as the interval does is a jump: no segment crosses it, and each
// jump in the window is one break. Steep continuous curves (tan x near its poles, x³ where it is
// nearly vertical, √|x| and ∛y at their vertical tangents) stay joined; over its poles tan x
// breaks at ±π/2 and nowhere else.
TEST(ExplicitSampler, JumpsBreakTheCurveAndSteepCurvesStayJoined) {
    struct Row {
        const char* text;
        EvaluationLimits2D limits;
        int breaks;
        bool level;  // between jumps the curve moves by at most its slope (≤ 1) per segment
    };
    const EvaluationLimits2D jumpWindow = window(-3.1, 3.3, -3.1, 3.3, 40.0);
    const Row rows[] = {
        // mod is the remainder of a truncated quotient.
        {"y=floor(x)", jumpWindow, 7, true},
        {"y=mod(x,2)", jumpWindow, 2, true},
        {"y=x/abs(x)", jumpWindow, 1, true},
        {"x=floor(y)", jumpWindow, 7, true},
        // No chunk reaches a pole of tan here (the last one may end beyond the window).
        {"y=tan(x)", window(-1.5, 1.4, -4, 4, 40.0), 0, false},
        {"y=tan(x)", window(-3, 3, -4, 4, 40.0), 2, false},
        {"y=x^3", EvaluationLimits2D::withWindow(-1000, 1000, -1e9, 1e9, 0.5, 5e-7), 0, false},
        {"y=√(abs(x))", window(-1, 1, -1, 1, 400.0), 0, false},
        {"x=y^(1/3)", window(-2, 2, -2, 2, 100.0), 0, false},
    };
    for (const Row& row : rows) {
        ParsedEquation curve(row.text);
        const auto points = sample(curve, row.limits);
        ASSERT_FALSE(points.empty()) << row.text;
        const bool swapped = curve.type() == EquationType::ExplicitX;
        std::vector<double> breaks;
        for (std::size_t i = 0; i < points.size(); ++i) {
            const SamplePoint a = points[i];
            if (isBreak(a)) {
                if (i > 0 && i + 1 < points.size()) {
                    breaks.push_back((points[i - 1].x + points[i + 1].x) / 2);
                }
                continue;
            }
            ASSERT_TRUE(std::isfinite(a.x) && std::isfinite(a.y)) << row.text;
            if (row.level && i + 1 < points.size() && !isBreak(points[i + 1])) {
                const SamplePoint b = points[i + 1];
                EXPECT_LE(std::fabs(swapped ? b.x - a.x : b.y - a.y),
                          std::fabs(swapped ? b.y - a.y : b.x - a.x) + 1e-4)
                    << row.text << " joins " << a.x << "," << a.y << " to " << b.x << "," << b.y;
            }
        }
        ASSERT_EQ(breaks.size(), static_cast<std::size_t>(row.breaks)) << row.text;
        if (std::string_view(row.text) == "y=tan(x)" && row.breaks == 2) {
            EXPECT_NEAR(breaks[0], -std::numbers::pi / 2, 1e-2);
            EXPECT_NEAR(breaks[1], std::numbers::pi / 2, 1e-2);
        }
    }
}

// The edge of a domain is found by halving: √x within 1/32 of a chunk after 0, and r = √(Θ − 3)
// within 1/512 of a 4° chunk after Θ = 3. Chunks wholly outside the domain give nothing; the
// first point is the NaN start of the chunk that holds the edge.
TEST(ExplicitSampler, CurvesStartAtTheEdgeOfTheirDomain) {
    ParsedEquation root("y=√x");
    // Chunks of 5/24 from −5.1: the 25th, [−0.1, 0.108], holds 0.
    const double width = kChunkPoints / 32.0;
    const auto points = sample(root, window(-5.1, 5.0, -1, 3, 32.0));
    ASSERT_FALSE(points.empty());
    EXPECT_FLOAT_EQ(points.front().x, static_cast<float>(-5.1 + 24 * width));
    const auto first =
        std::find_if(points.begin(), points.end(), [](SamplePoint p) { return !std::isnan(p.y); });
    ASSERT_NE(first, points.end());
    EXPECT_TRUE(std::all_of(points.begin(), first, [](SamplePoint p) { return p.x < 0.0f; }));
    EXPECT_GE(first->x, 0.0f);
    EXPECT_LE(first->x, width / 32.0 + 1e-6);

    ParsedEquation spiral("r=√(Θ-3)");
    const auto turns = sample(spiral, window(-3, 3, -3, 3, 32.0));
    const auto start =
        std::find_if(turns.begin(), turns.end(), [](SamplePoint p) { return !std::isnan(p.x); });
    ASSERT_NE(start, turns.end());
    const double angle = std::atan2(start->y, start->x);
    EXPECT_GE(angle, 3.0 - 1e-6);
    EXPECT_LE(angle, 3.0 + kFourDegrees / 512.0 + 1e-6);
}

TEST(ExplicitSampler, CapacityIsHonouredWithTheCountOfWhatWasWritten) {
    // x² with a tolerance of 1e-9 units always halves, so the first chunk wants 33 points. With
    // room for 10: the start, then depth 4, 3, 4, 2, 4, 3 midpoints (1/32 .. 6/32), the depth 1
    // and depth 0 midpoints (8/32, 16/32) and the end; no point is left for a second chunk.
    ParsedEquation parabola("y=x^2");
    const double width = kChunkPoints / 32.0;
    const auto points =
        sample(parabola, EvaluationLimits2D::withWindow(0, 100, 0, 1, 32.0, 1e9), 10);
    const std::vector<double> expected = {0, 1, 2, 3, 4, 5, 6, 8, 16, 32};
    ASSERT_EQ(points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_FLOAT_EQ(points[i].x, static_cast<float>(expected[i] * width / 32.0)) << i;
    }
}

// Nothing to draw: undefined everywhere, or limits no walk can take (the angle walk needs only
// the ratios). Windows beyond double precision still end.
TEST(ExplicitSampler, UnusableLimitsAndEmptyCurvesGiveNothingAndEnd) {
    ParsedEquation line("y=2x+1");
    ParsedEquation ray("Θ=1");
    ParsedEquation circle("r=1");
    ParsedEquation nowhere("y=√(-1-x^2)");
    EXPECT_TRUE(sample(nowhere, window(-5, 5, -5, 5, 32.0)).empty());
    for (const EvaluationLimits2D& limits : unusableWindows()) {
        EXPECT_TRUE(sample(line, limits).empty()) << limits.minx << " " << limits.maxx;
        EXPECT_TRUE(sample(ray, limits).empty()) << limits.minx << " " << limits.maxx;
    }
    EXPECT_TRUE(sample(circle, window(-5, 5, -5, 5, 0)).empty());
    EXPECT_TRUE(sample(circle, window(-5, 5, -5, 5, kNaN)).empty());
    EXPECT_EQ(sample(circle, window(kNaN, kNaN, kNaN, kNaN, 32)).size(), 90u);
    // Chunks of 6.7 units at 1e20, where doubles are 16,384 apart: the walk still ends.
    const auto far = sample(line, window(1e20, 1e20 + 1e5, -1, 1, 1.0));
    EXPECT_LE(far.size(), 128000u);
    EXPECT_FALSE(far.empty());
    // Huge chunks (a tiny ratio) hold the whole window in one.
    EXPECT_EQ(sample(line, window(-5, 5, -5, 5, 1e-300)).size(), 2u);
}

}  // namespace
}  // namespace plotwise::test
