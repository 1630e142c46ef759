#include <gtest/gtest.h>

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

}  // namespace
}  // namespace plotwise::test
