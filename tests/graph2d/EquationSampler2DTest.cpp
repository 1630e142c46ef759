#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SamplingTestSupport.h"
#include "graph2d/sampling/EquationSampler2D.h"

namespace plotwise::test {
namespace {

constexpr DeviceClass kDevices[] = {DeviceClass::Phone, DeviceClass::Tablet};

TEST(EquationSampler2D, ExplicitCurveCountsSegmentsBetweenItsPoints) {
    ParsedEquation line("y=2x+1");
    for (DeviceClass device : kDevices) {
        const auto samples = EquationSampler2D::sample(
            EquationType::ExplicitY, window(-5, 5.1, -5, 5, 32), line.data(), device);
        ASSERT_TRUE(samples);
        EXPECT_EQ(samples->points().size(), 98u);
        EXPECT_EQ(samples->dataObjectCount(), 97u);
        EXPECT_TRUE(samples->records().empty());
    }
}

TEST(EquationSampler2D, ImplicitCurveIsSegmentPairs) {
    ParsedEquation line("x-y-0.5");
    const auto samples = EquationSampler2D::sample(
        EquationType::Implicit, window(0, 2, 0, 2, 5.0001), line.data(), DeviceClass::Phone);
    ASSERT_TRUE(samples);
    // Six segments (worked out in the contour builder's test): 12 points, 11 counted objects.
    EXPECT_EQ(samples->points().size(), 12u);
    EXPECT_EQ(samples->dataObjectCount(), 11u);
}

TEST(EquationSampler2D, EmptyResultsCountZero) {
    ParsedEquation nowhere("y=√(-1-x^2)");
    const auto samples = EquationSampler2D::sample(
        EquationType::ExplicitY, window(-5, 5, -5, 5, 32), nowhere.data(), DeviceClass::Phone);
    ASSERT_TRUE(samples);
    EXPECT_TRUE(samples->empty());
    EXPECT_EQ(samples->dataObjectCount(), 0u);
    const EvaluationData2D nothing;
    for (int type = 0; type <= 7; ++type) {
        const auto none = EquationSampler2D::sample(
            static_cast<EquationType>(type), window(-5, 5, -5, 5, 32), nothing, DeviceClass::Phone);
        ASSERT_TRUE(none);
        EXPECT_TRUE(none->empty()) << type;
    }
}

TEST(EvaluationLimits2D, WindowAndExactEquality) {
    const EvaluationLimits2D limits = EvaluationLimits2D::withWindow(-1, 3, -2, 5, 40, 50);
    EXPECT_EQ(limits.screen.origin.x, -1.0f);
    EXPECT_EQ(limits.screen.origin.y, -2.0f);
    EXPECT_EQ(limits.screen.size.width, 4.0f);
    EXPECT_EQ(limits.screen.size.height, 7.0f);
    EXPECT_EQ(limits.pixelUnitRatioX, 40.0);
    EXPECT_EQ(limits.pixelUnitRatioY, 50.0);
    EXPECT_TRUE(limits == EvaluationLimits2D::withWindow(-1, 3, -2, 5, 40, 50));
    // Each of the ten fields on its own makes the limits differ.
    for (int field = 0; field < kEvaluationLimitsFieldCount; ++field) {
        const EvaluationLimits2D changed = withFieldNudged(limits, field);
        EXPECT_FALSE(changed == limits) << field;
    }
    const EvaluationLimits2D undefined = window(kNaN, 1, 0, 1, 10);
    EXPECT_FALSE(undefined == undefined);
}

// Deep zoom far from the origin: at 1e5 points per unit near (1000, 1000) a float in plane
// units is 6 points coarse. Every sample of a circle of radius 0.003 (300 points) there lies
// within half a point of it, for the contour, the explicit half and the disc's boundary.
TEST(EquationSampler2D, DeepZoomFarFromTheOriginStaysOnTheCurve) {
    const double ratio = 1e5;
    const EvaluationLimits2D limits = window(999.996, 1000.004, 999.997, 1000.003, ratio);
    const double radius = 0.003;
    auto pointsOff = [&](double x, double y) {
        return (std::hypot(x - 1000, y - 1000) - radius) * ratio;  // in points, < 0 inside
    };
    struct Row {
        const char* text;
        EquationType type;
    };
    const Row rows[] = {
        {"(x-1000)^2+(y-1000)^2=0.003^2", EquationType::Implicit},
        {"y=1000+√(0.003^2-(x-1000)^2)", EquationType::ExplicitY},
        {"(x-1000)^2+(y-1000)^2<0.003^2", EquationType::Inequality},
    };
    for (const Row& row : rows) {
        ParsedEquation circle(row.text);
        ASSERT_EQ(circle.type(), row.type) << row.text;
        const auto samples =
            EquationSampler2D::sample(row.type, limits, circle.data(), DeviceClass::Tablet);
        ASSERT_TRUE(samples && !samples->empty()) << row.text;
        const auto origin = samples->origin();
        EXPECT_NEAR(origin.x, 1000, 0.01) << row.text;
        std::size_t onCurve = 0;
        auto check = [&](SamplePoint p, bool inside) {
            if (!std::isfinite(p.x) || !std::isfinite(p.y)) {
                return;
            }
            const double off = pointsOff(origin.x + p.x, origin.y + p.y);
            if (inside) {
                EXPECT_LE(off, 0.5) << row.text << " at " << p.x << "," << p.y;
                onCurve += std::fabs(off) <= 0.5 ? 1 : 0;
            } else {
                EXPECT_LE(std::fabs(off), 0.5) << row.text << " at " << p.x << "," << p.y;
                ++onCurve;
            }
        };
        for (const SamplePoint& p : samples->points()) {
            check(p, false);
        }
        for (const RegionRecord& record : samples->records()) {
            for (int i = 0; i < record.vertexCount; ++i) {
                check(record.points[static_cast<std::size_t>(i)], true);
            }
        }
        EXPECT_GT(onCurve, 100u) << row.text;
    }
    // Near the origin samples stay plane coordinates, as they always were.
    EXPECT_EQ(window(-5, 5, -5, 5, 1e5).sampleOrigin().x, 0.0);
    EXPECT_EQ(window(-5, 5, 990, 1010, 32).sampleOrigin().y, 0.0);
}

}  // namespace
}  // namespace plotwise::test
