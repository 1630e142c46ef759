#include <gtest/gtest.h>

#include <cmath>
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

TEST(ExplicitSampler, StraightLineIsTwoPointsPerChunk) {
    ParsedEquation line("y=2x+1");
    ASSERT_EQ(line.type(), EquationType::ExplicitY);
    // 32 points per unit: chunks of 5/24 units; 10.1 units hold 48.48 of them, so 49 chunks.
    const double width = kChunkPoints / 32.0;
    const auto points = sample(line, window(-5.0, 5.1, -5.0, 5.0, 32.0));
    ASSERT_EQ(points.size(), 98u);
    for (std::size_t k = 0; k < 49; ++k) {
        const double a = -5.0 + static_cast<double>(k) * width;
        const double b = a + width;
        EXPECT_NEAR(points[2 * k].x, a, 1e-6) << k;
        EXPECT_NEAR(points[2 * k].y, 2 * a + 1, 1e-6) << k;
        EXPECT_NEAR(points[2 * k + 1].x, b, 1e-6) << k;
        EXPECT_NEAR(points[2 * k + 1].y, 2 * b + 1, 1e-6) << k;
        if (k > 0) {
            // Each chunk starts with the point the previous one ended with.
            EXPECT_EQ(points[2 * k], points[2 * k - 1]) << k;
        }
    }
}

TEST(ExplicitSampler, StraightLineInYSwapsTheAxes) {
    ParsedEquation line("x=3-y/2");
    ASSERT_EQ(line.type(), EquationType::ExplicitX);
    // The chunks follow the y ratio (40: 1/6 unit) and the tolerance the x ratio.
    const double width = kChunkPoints / 40.0;
    const auto points =
        sample(line, EvaluationLimits2D::withWindow(-100.0, 100.0, 0.05, 1.0, 10.0, 40.0));
    // 0.95 / (1/6) = 5.7: 6 chunks.
    ASSERT_EQ(points.size(), 12u);
    for (std::size_t k = 0; k < 6; ++k) {
        const double a = 0.05 + static_cast<double>(k) * width;
        EXPECT_NEAR(points[2 * k].y, a, 1e-6);
        EXPECT_NEAR(points[2 * k].x, 3 - a / 2, 1e-6);
        EXPECT_NEAR(points[2 * k + 1].y, a + width, 1e-6);
    }
}

TEST(ExplicitSampler, UnitCircleAt32PointsPerUnitIsOnePointPerChunk) {
    ParsedEquation circle("r=1");
    ASSERT_EQ(circle.type(), EquationType::ExplicitR);
    // A 4° chord of the unit circle is 2.2 points long: below 5, so only the first point stays.
    const auto points = sample(circle, window(-2, 2, -2, 2, 32.0));
    ASSERT_EQ(points.size(), 90u);
    for (std::size_t k = 0; k < 90; ++k) {
        const double angle = static_cast<double>(k) * kFourDegrees;
        EXPECT_NEAR(points[k].x, std::cos(angle), 1e-6) << k;
        EXPECT_NEAR(points[k].y, std::sin(angle), 1e-6) << k;
    }
}

TEST(ExplicitSampler, UnitCircleAt100PointsPerUnitKeepsBothEnds) {
    ParsedEquation circle("r=1");
    // The chord is now 7 points, but the arc lies 1 − cos 2° = 0.0006 units (0.06 points) off
    // its middle, below half a point: each chunk stores its two ends.
    const auto points = sample(circle, window(-2, 2, -2, 2, 100.0));
    ASSERT_EQ(points.size(), 180u);
    for (std::size_t k = 0; k < 90; ++k) {
        const double a = static_cast<double>(k) * kFourDegrees;
        EXPECT_NEAR(points[2 * k].x, std::cos(a), 1e-6);
        EXPECT_NEAR(points[2 * k].y, std::sin(a), 1e-6);
        EXPECT_NEAR(points[2 * k + 1].x, std::cos(a + kFourDegrees), 1e-6);
        EXPECT_NEAR(points[2 * k + 1].y, std::sin(a + kFourDegrees), 1e-6);
    }
}

TEST(ExplicitSampler, RayInRadiusWalksFromNearToFar) {
    ParsedEquation ray("Θ=1");
    ASSERT_EQ(ray.type(), EquationType::ExplicitTheta);
    // Window [1, 3] × [2, 4]: rNear = min(1, 2) = 1, rFar = √(3² + 4²) = 5. Chunks follow the
    // smaller ratio (21: 0.3175 units, 12.6 chunks, so 13), the limits the larger (42). A straight
    // ray is never refined: two points per chunk.
    const double width = kChunkPoints / 21.0;
    const auto points = sample(ray, EvaluationLimits2D::withWindow(1, 3, 2, 4, 21.0, 42.0));
    ASSERT_EQ(points.size(), 26u);
    for (std::size_t k = 0; k < 13; ++k) {
        const double r = 1.0 + static_cast<double>(k) * width;
        EXPECT_NEAR(points[2 * k].x, r * std::cos(1.0), 1e-5) << k;
        EXPECT_NEAR(points[2 * k].y, r * std::sin(1.0), 1e-5) << k;
        EXPECT_NEAR(points[2 * k + 1].x, (r + width) * std::cos(1.0), 1e-5) << k;
    }
}

TEST(ExplicitSampler, RadiusWalkStartsAtTheOriginWhenARangeHoldsZero) {
    ParsedEquation ray("Θ=2");
    // nearX = 0 (the range holds 0), nearY = 1: rNear = 0; rFar = √(2² + 3²).
    const double width = kChunkPoints / 10.0;
    const auto points = sample(ray, window(-1, 2, 1, 3, 10.0));
    const std::size_t chunks = walkCount(0.0, std::sqrt(13.0), width);
    ASSERT_EQ(points.size(), 2 * chunks);
    EXPECT_EQ(points.front(), (SamplePoint{0.0f, 0.0f}));
    const double lastEnd = static_cast<double>(chunks) * width;
    EXPECT_NEAR(std::hypot(points.back().x, points.back().y), lastEnd, 1e-5);
}

TEST(ExplicitSampler, PolesRefineToTheDeepestLevel) {
    ParsedEquation hyperbola("y=1/x");
    // Chunks of 5/24 from −1: the fifth, [−1/6, 1/24], holds 0 and is halved down to 1/32 of a
    // chunk on both sides of it.
    const double width = kChunkPoints / 32.0;
    const auto points = sample(hyperbola, window(-1, 1, -3, 3, 32.0));
    bool straddles = false;
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        if (points[i].x < 0.0f && points[i + 1].x > 0.0f) {
            EXPECT_FALSE(straddles) << "0 is crossed once";
            straddles = true;
            EXPECT_NEAR(points[i + 1].x - points[i].x, width / 32.0, 1e-6);
            // 1/x within 1/32 of a chunk (0.0065) of 0: beyond ±150.
            EXPECT_LT(points[i].y, -150.0f);
            EXPECT_GT(points[i + 1].y, 150.0f);
        }
    }
    EXPECT_TRUE(straddles);
}

TEST(ExplicitSampler, SquareRootStartsAtItsDomain) {
    ParsedEquation root("y=√x");
    // Chunks of 5/24 from −5.1: the 25th, [−0.1, 0.108], holds 0.
    const double width = kChunkPoints / 32.0;
    const auto points = sample(root, window(-5.1, 5.0, -1, 3, 32.0));
    ASSERT_FALSE(points.empty());
    const auto start = static_cast<float>(-5.1 + 24 * width);
    // Chunks wholly left of 0 give nothing; the first point is that chunk's NaN start.
    EXPECT_FLOAT_EQ(points.front().x, start);
    EXPECT_TRUE(std::isnan(points.front().y));
    std::size_t firstFinite = 0;
    while (firstFinite < points.size() && std::isnan(points[firstFinite].y)) {
        EXPECT_LT(points[firstFinite].x, 0.0f);
        ++firstFinite;
    }
    ASSERT_LT(firstFinite, points.size());
    EXPECT_GE(points[firstFinite].x, 0.0f);
    EXPECT_LE(points[firstFinite].x, width / 32.0 + 1e-6);
    for (const SamplePoint& p : points) {
        EXPECT_GE(p.x, start);
    }
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

TEST(ExplicitSampler, FullBufferStopsWithinTheLastThreePlaces) {
    ParsedEquation parabola("y=x^2");
    // 4,800 chunks of 33 points would need 158,400.
    const auto points = sample(parabola, EvaluationLimits2D::withWindow(0, 1000, 0, 1, 32.0, 1e9));
    EXPECT_GE(points.size(), 127997u);
    EXPECT_LE(points.size(), 128000u);
    for (std::size_t i = 1; i < points.size(); ++i) {
        ASSERT_GE(points[i].x, points[i - 1].x) << i;
    }
}

TEST(ExplicitSampler, SmallCapacitiesKeepCountsConsistent) {
    ParsedEquation rose("r=2cos(4Θ)");
    ParsedEquation wave("y=sin(40x)");
    for (std::uint32_t capacity = 0; capacity < 70; ++capacity) {
        const auto a = sample(rose, window(-3, 3, -3, 3, 200.0), capacity);
        const auto b = sample(wave, window(-3, 3, -3, 3, 200.0), capacity);
        EXPECT_LE(a.size(), capacity);
        EXPECT_LE(b.size(), capacity);
        if (capacity >= 3) {
            EXPECT_GE(b.size(), capacity - 3);
        }
    }
}

TEST(ExplicitSampler, TypesWithoutA2DCurveGiveNothing) {
    for (const char* text : {"z=x+y", "Φ=1", "x^2+y^2=4", "y<x"}) {
        ParsedEquation equation(text);
        EXPECT_TRUE(sample(equation, window(-5, 5, -5, 5, 32.0)).empty()) << text;
    }
}

TEST(ExplicitSampler, UndefinedEverywhereGivesNothing) {
    ParsedEquation nowhere("y=√(-1-x^2)");
    EXPECT_TRUE(sample(nowhere, window(-5, 5, -5, 5, 32.0)).empty());
}

TEST(ExplicitSampler, InfiniteValuesAreKeptUnrefined) {
    // ∞ − ∞ is NaN, which is not above the tolerance and not a value: no chunk subdivides.
    ParsedEquation infinite("y=1/(x-x)");
    const auto points = sample(infinite, window(-5, 5.1, -5, 5, 32.0));
    ASSERT_EQ(points.size(), 98u);
    for (const SamplePoint& p : points) {
        EXPECT_EQ(p.y, std::numeric_limits<float>::infinity());
    }
}

TEST(ExplicitSampler, PolarRefinesTowardsTheEdgeOfItsDomain) {
    ParsedEquation spiral("r=√(Θ-3)");
    const auto points = sample(spiral, window(-3, 3, -3, 3, 32.0));
    std::size_t firstFinite = 0;
    while (firstFinite < points.size() && std::isnan(points[firstFinite].x)) {
        ++firstFinite;
    }
    ASSERT_LT(firstFinite, points.size());
    // The edge Θ = 3 is found within 1/512 of a 4° chunk.
    const double angle = std::atan2(points[firstFinite].y, points[firstFinite].x);
    EXPECT_GE(angle, 3.0 - 1e-6);
    EXPECT_LE(angle, 3.0 + kFourDegrees / 512.0 + 1e-6);
}

TEST(ExplicitSampler, UnusableLimitsGiveNothingAndEnd) {
    ParsedEquation line("y=2x+1");
    ParsedEquation ray("Θ=1");
    ParsedEquation circle("r=1");
    const std::vector<EvaluationLimits2D> unusable = {
        window(kNaN, 5, -5, 5, 32),
        window(-5, kNaN, -5, 5, 32),
        window(-kInf, 5, -5, 5, 32),
        window(-5, kInf, -5, 5, 32),
        window(5, 5, -5, 5, 32),
        window(5, -5, -5, 5, 32),
        window(-5, 5, -5, 5, 0),
        window(-5, 5, -5, 5, -32),
        window(-5, 5, -5, 5, kNaN),
        window(-5, 5, -5, 5, kInf),
        window(-5, 5, -5, 5, 1e300),
        window(-1e300, 1e300, -1e300, 1e300, 1),
        EvaluationLimits2D::withWindow(-5, 5, -5, 5, 32, 0),
    };
    for (const EvaluationLimits2D& limits : unusable) {
        EXPECT_TRUE(sample(line, limits).empty()) << limits.minx << " " << limits.maxx;
        EXPECT_TRUE(sample(ray, limits).empty()) << limits.minx << " " << limits.maxx;
    }
    // The angle walk needs only the ratios.
    EXPECT_TRUE(sample(circle, window(-5, 5, -5, 5, 0)).empty());
    EXPECT_TRUE(sample(circle, window(-5, 5, -5, 5, kNaN)).empty());
    EXPECT_EQ(sample(circle, window(kNaN, kNaN, kNaN, kNaN, 32)).size(), 90u);
}

TEST(ExplicitSampler, WindowsBeyondDoublePrecisionEnd) {
    ParsedEquation line("y=2x+1");
    // Chunks of 6.7 units at 1e20, where doubles are 16,384 apart: the walk still ends.
    const auto points = sample(line, window(1e20, 1e20 + 1e5, -1, 1, 1.0));
    EXPECT_LE(points.size(), 128000u);
    EXPECT_FALSE(points.empty());
    // Huge chunks (a tiny ratio) hold the whole window in one.
    EXPECT_EQ(sample(line, window(-5, 5, -5, 5, 1e-300)).size(), 2u);
}

}  // namespace
}  // namespace plotwise::test
