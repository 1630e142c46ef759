#include <gtest/gtest.h>

#include <cmath>
#include <vector>

#include "SamplingTestSupport.h"
#include "graph2d/sampling/EquationSampler2D.h"

namespace plotwise::test {
namespace {

// What each type samples into: a polyline of points counting its segments, segment pairs
// (six segments, worked out in the contour builder's test) counting all but the last point, or
// nothing, counted as zero, for a curve undefined everywhere or no compiled form.
TEST(EquationSampler2D, EachTypeCountsItsObjects) {
    struct Row {
        const char* text;
        EquationType type;
        EvaluationLimits2D limits;
        std::size_t points;
        std::uint32_t objects;
    };
    const Row rows[] = {
        {"y=2x+1", EquationType::ExplicitY, window(-5, 5.1, -5, 5, 32), 98, 97},
        {"x-y-0.5", EquationType::Implicit, window(0, 2, 0, 2, 5.0001), 12, 11},
        {"y=√(-1-x^2)", EquationType::ExplicitY, window(-5, 5, -5, 5, 32), 0, 0},
    };
    for (const Row& row : rows) {
        ParsedEquation equation(row.text);
        for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
            const auto samples =
                EquationSampler2D::sample(row.type, row.limits, equation.data(), device);
            ASSERT_TRUE(samples) << row.text;
            EXPECT_EQ(samples->points().size(), row.points) << row.text;
            EXPECT_EQ(samples->dataObjectCount(), row.objects) << row.text;
            EXPECT_TRUE(samples->records().empty()) << row.text;
        }
    }
    const EvaluationData2D nothing;
    for (int type = 0; type <= 7; ++type) {
        const auto none = EquationSampler2D::sample(
            static_cast<EquationType>(type), window(-5, 5, -5, 5, 32), nothing, DeviceClass::Phone);
        ASSERT_TRUE(none);
        EXPECT_TRUE(none->empty()) << type;
        EXPECT_EQ(none->dataObjectCount(), 0u) << type;
    }
}

// Deep zoom far from the origin: at 1e5 points per unit near (1000, 1000) a float in plane
// units is 6 points coarse. Every sample of a circle of radius 0.003 (300 points) there lies
// within half a point of it, for the contour, the explicit half and the disc's boundary (whose
// records may also lie inside). Near the origin samples stay plane coordinates.
TEST(EquationSampler2D, DeepZoomFarFromTheOriginStaysOnTheCurve) {
    const double ratio = 1e5;
    const EvaluationLimits2D limits = window(999.996, 1000.004, 999.997, 1000.003, ratio);
    const auto pointsOff = [&](double x, double y) {
        return (std::hypot(x - 1000, y - 1000) - 0.003) * ratio;  // in points, < 0 inside
    };
    for (const char* text : {"(x-1000)^2+(y-1000)^2=0.003^2", "y=1000+√(0.003^2-(x-1000)^2)",
                             "(x-1000)^2+(y-1000)^2<0.003^2"}) {
        ParsedEquation circle(text);
        const auto samples =
            EquationSampler2D::sample(circle.type(), limits, circle.data(), DeviceClass::Tablet);
        ASSERT_TRUE(samples && !samples->empty()) << text;
        const auto origin = samples->origin();
        EXPECT_NEAR(origin.x, 1000, 0.01) << text;
        std::size_t onCurve = 0;
        const auto check = [&](SamplePoint p, bool mayBeInside) {
            if (std::isfinite(p.x) && std::isfinite(p.y)) {
                const double off = pointsOff(origin.x + p.x, origin.y + p.y);
                EXPECT_LE(mayBeInside ? off : std::fabs(off), 0.5) << text << " at " << p.x;
                onCurve += std::fabs(off) <= 0.5 ? 1 : 0;
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
        EXPECT_GT(onCurve, 100u) << text;
    }
    EXPECT_EQ(window(-5, 5, -5, 5, 1e5).sampleOrigin().x, 0.0);
    EXPECT_EQ(window(-5, 5, 990, 1010, 32).sampleOrigin().y, 0.0);
}

}  // namespace
}  // namespace plotwise::test
