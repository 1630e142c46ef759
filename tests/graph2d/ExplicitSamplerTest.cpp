#include <gtest/gtest.h>

#include <algorithm>
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

TEST(ExplicitSampler, PolesRefineToTheDeepestLevel) {
    ParsedEquation hyperbola("y=1/x");
    // Chunks of 5/24 from −1: the fifth, [−1/6, 1/24], holds 0 and is halved down to 1/32 of a
    // chunk on both sides of it.
    const double width = kChunkPoints / 32.0;
    const auto points = sample(hyperbola, window(-1, 1, -3, 3, 32.0));
    bool straddles = false;
    for (std::size_t i = 0; i + 2 < points.size(); ++i) {
        if (points[i].x < 0.0f && points[i + 2].x > 0.0f) {
            EXPECT_FALSE(straddles) << "0 is crossed once";
            straddles = true;
            // The curve is broken between the two sides.
            EXPECT_TRUE(std::isnan(points[i + 1].x) && std::isnan(points[i + 1].y));
            EXPECT_NEAR(points[i + 2].x - points[i].x, width / 32.0, 1e-6);
            // 1/x within 1/32 of a chunk (0.0065) of 0: beyond ±150.
            EXPECT_LT(points[i].y, -150.0f);
            EXPECT_GT(points[i + 2].y, 150.0f);
        }
    }
    EXPECT_TRUE(straddles);
}

TEST(ExplicitSampler, PolesOnAChunkEndAreReachedFromBothSides) {
    // At 80 points per unit the chunks are 1/12 wide: the twelfth from −1 (or 0) ends at the
    // pole, where the next one starts. Both sides refine down to 1/32 of a chunk, where |f| is
    // beyond 384 (1/x) or 147,000 (1/x²).
    struct Row {
        const char* text;
        double minx;
        double pole;
        double beyond;  // |f| at 1/32 of a chunk from the pole, less a margin
    };
    const double width = kChunkPoints / 80.0;
    const Row rows[] = {
        {"y=1/x", -1, 0, 380},
        {"y=-1/x", -1, 0, 380},
        {"y=1/x^2", -1, 0, 140000},
        {"y=1/(x-1)", 0, 1, 380},
    };
    for (const Row& row : rows) {
        // The pole is exactly the end of chunk 12.
        ASSERT_EQ(row.minx + 12.0 * width, row.pole) << row.text;
        ParsedEquation curve(row.text);
        const auto points = sample(curve, window(row.minx, row.minx + 2, -4, 4, 80.0));
        double left = 0;
        double right = 0;
        for (const SamplePoint& p : points) {
            if (std::isfinite(p.y) && std::fabs(p.x - row.pole) < width / 8) {
                (p.x < row.pole ? left : right) =
                    std::max(p.x < row.pole ? left : right, std::fabs(static_cast<double>(p.y)));
            }
        }
        EXPECT_GT(left, row.beyond) << row.text;
        EXPECT_GT(right, row.beyond) << row.text;
    }
}

// A polyline's segments: consecutive points that are both finite.
template <typename Visit>
void forEachSegment(const std::vector<SamplePoint>& points, Visit visit) {
    for (std::size_t i = 0; i + 1 < points.size(); ++i) {
        const SamplePoint a = points[i];
        const SamplePoint b = points[i + 1];
        if (std::isfinite(a.x) && std::isfinite(a.y) && std::isfinite(b.x) && std::isfinite(b.y)) {
            visit(a, b);
        }
    }
}

TEST(ExplicitSampler, JumpsBreakTheCurve) {
    // Every jump is at least 1; a continuous stretch moves by at most its slope (≤ 1) times a
    // chunk (1/6 at 40 points per unit) between two points. No segment crosses a jump, and
    // each jump in the window is one break (a point with no value).
    struct Row {
        const char* text;
        int jumps;  // in x (or y) from −3.1 to 3.3 (mod is the remainder of a truncated quotient)
    };
    const Row rows[] = {
        {"y=floor(x)", 7}, {"y=ceil(x)", 7},  {"y=mod(x,2)", 2},
        {"y=x/abs(x)", 1}, {"x=floor(y)", 7}, {"y=floor(2x)/2", 13},
    };
    for (const Row& row : rows) {
        ParsedEquation curve(row.text);
        const auto points = sample(curve, window(-3.1, 3.3, -3.1, 3.3, 40.0));
        ASSERT_FALSE(points.empty()) << row.text;
        const bool swapped = curve.type() == EquationType::ExplicitX;
        forEachSegment(points, [&](SamplePoint a, SamplePoint b) {
            const double along = swapped ? b.y - a.y : b.x - a.x;
            const double across = swapped ? b.x - a.x : b.y - a.y;
            EXPECT_LE(std::fabs(across), std::fabs(along) + 1e-4)
                << row.text << " joins " << a.x << "," << a.y << " to " << b.x << "," << b.y;
        });
        const auto breaks = std::count_if(points.begin(), points.end(), [](SamplePoint p) {
            return std::isnan(p.x) && std::isnan(p.y);
        });
        EXPECT_EQ(breaks, row.jumps) << row.text;
    }
}

TEST(ExplicitSampler, SteepContinuousCurvesStayJoined) {
    struct Row {
        const char* text;
        EvaluationLimits2D limits;
    };
    const Row rows[] = {
        // tan x up to ±14 where it is steepest on screen; no chunk reaches a pole (the last
        // one may end beyond the window).
        {"y=tan(x)", window(-1.5, 1.4, -4, 4, 40.0)},
        {"y=tan(x)", window(-1.5, 0.1, -40, 40, 4.0)},
        // x³ on a scale where it is nearly vertical: 1e9 over 1000.
        {"y=x^3", EvaluationLimits2D::withWindow(-1000, 1000, -1e9, 1e9, 0.5, 5e-7)},
        {"y=x^3", window(-3, 3, -3, 3, 300.0)},
        {"y=√(abs(x))", window(-1, 1, -1, 1, 400.0)},
        {"x=y^(1/3)", window(-2, 2, -2, 2, 100.0)},
    };
    for (const Row& row : rows) {
        ParsedEquation curve(row.text);
        const auto points = sample(curve, row.limits);
        ASSERT_FALSE(points.empty()) << row.text;
        for (const SamplePoint& p : points) {
            ASSERT_TRUE(std::isfinite(p.x) && std::isfinite(p.y))
                << row.text << " broken at " << p.x << "," << p.y;
        }
    }
    // Over its poles tan x breaks once at each and nowhere else.
    ParsedEquation tangent("y=tan(x)");
    const auto points = sample(tangent, window(-3, 3, -4, 4, 40.0));
    std::vector<double> breaks;
    for (std::size_t i = 1; i + 1 < points.size(); ++i) {
        if (std::isnan(points[i].y)) {
            breaks.push_back((points[i - 1].x + points[i + 1].x) / 2);
        }
    }
    ASSERT_EQ(breaks.size(), 2u);
    EXPECT_NEAR(breaks[0], -std::numbers::pi / 2, 1e-2);
    EXPECT_NEAR(breaks[1], std::numbers::pi / 2, 1e-2);
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
    for (const EvaluationLimits2D& limits : unusableWindows()) {
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
