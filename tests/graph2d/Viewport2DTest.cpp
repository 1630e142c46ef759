#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>
#include <utility>

#include "graph2d/sampling/Viewport2D.h"

namespace plotwise {
namespace {

// Random viewports: sizes up to 4000 points, centres up to ±1e6, ratios across the zoom bounds,
// either zoom lock; and random view points in them.
struct RandomViewports {
    Viewport2D next() {
        Viewport2D v;
        v.setSize(std::floor(4000 * unit()) + 1, std::floor(4000 * unit()) + 1);
        v.centerOn({2e6 * unit() - 1e6, 2e6 * unit() - 1e6});
        v.setPixelUnitRatios(std::pow(10.0, 14 * unit() - 7), std::pow(10.0, 14 * unit() - 7));
        v.setLockAxisZoom(unit() < 0.5);
        return v;
    }
    Point2D inside(const Viewport2D& v) { return {unit() * v.width(), unit() * v.height()}; }
    double unit() { return std::uniform_real_distribution<double>(0.0, 1.0)(engine); }
    std::mt19937_64 engine{20240611};
};

// The mapping's rounding bound in view points: a few ulps of the largest term it adds.
double tolerance(const Viewport2D& v, Point2D plane) {
    const ViewState& s = v.state();
    return 1e-14 *
           ((std::abs(plane.x) + std::abs(s.scrollX)) * s.pixelUnitRatioX +
            (std::abs(plane.y) + std::abs(s.scrollY)) * s.pixelUnitRatioY + v.width() + v.height());
}

void expectAt(const Viewport2D& v, Point2D plane, Point2D view, double slack = 0.0) {
    const Point2D mapped = v.viewPoint(plane);
    EXPECT_NEAR(mapped.x, view.x, slack + tolerance(v, plane));
    EXPECT_NEAR(mapped.y, view.y, slack + tolerance(v, plane));
}

TEST(Viewport2DTest, AFreshViewportShowsTheOriginAtEightyPointsPerUnitAndResetsToIt) {
    Viewport2D v;
    v.setSize(800, 600);
    EXPECT_EQ(v.evaluationLimits(), EvaluationLimits2D::withWindow(-5, 5, -3.75, 3.75, 80, 80));
    EXPECT_EQ(v.viewPoint({1, 1}), (Point2D{480, 220})) << "view y grows downwards";
    // Stored files hold minus the centre's y as the vertical scroll.
    v.centerOn({1.5, -0.75});
    EXPECT_EQ(v.state().scrollX, 1.5);
    EXPECT_EQ(v.state().scrollY, 0.75);
    EXPECT_EQ(v.evaluationLimits(), EvaluationLimits2D::withWindow(-3.5, 6.5, -4.5, 3, 80, 80));
    // A drag moves the plane with the pointer; a reset keeps size and lock.
    v.setLockAxisZoom(false);
    v.panBy(80, -40);
    EXPECT_EQ(v.center(), (Point2D{0.5, -1.25}));
    Viewport2D fresh;
    fresh.setSize(800, 600);
    fresh.setLockAxisZoom(false);
    v.zoomAbout({3, 4}, 2, 3);
    v.reset();
    EXPECT_EQ(v, fresh);
}

TEST(Viewport2DTest, MappingRoundTripsAndAgreesWithTheLimits) {
    RandomViewports random;
    for (int i = 0; i < 2000 && !::testing::Test::HasFailure(); ++i) {
        const Viewport2D v = random.next();
        const Point2D view = random.inside(v);
        expectAt(v, v.planePoint(view), view);
        // The corners are the window's and the centre is where it is centred.
        const EvaluationLimits2D limits = v.evaluationLimits();
        expectAt(v, {limits.minx, limits.maxy}, {0, 0});
        expectAt(v, {limits.maxx, limits.miny}, {v.width(), v.height()});
        EXPECT_EQ(v.viewPoint(v.center()), (Point2D{v.width() / 2, v.height() / 2}));
    }
}

TEST(Viewport2DTest, ZoomKeepsTheAnchorAndStaysWithinTheBounds) {
    RandomViewports random;
    for (int i = 0; i < 2000 && !::testing::Test::HasFailure(); ++i) {
        Viewport2D v = random.next();
        const Viewport2D before = v;
        const Point2D anchor = random.inside(v);
        const Point2D fixed = v.planePoint(anchor);
        const double fx = std::pow(10.0, 8 * random.unit() - 4);
        const double fy = std::pow(10.0, 8 * random.unit() - 4);
        v.zoomAbout(anchor, fx, fy);
        EXPECT_EQ(v.pixelUnitRatioX(), Viewport2D::clampRatio(before.pixelUnitRatioX() * fx));
        // The lock scales both axes alike.
        EXPECT_EQ(v.pixelUnitRatioY(),
                  Viewport2D::clampRatio(before.pixelUnitRatioY() * (v.lockAxisZoom() ? fx : fy)));
        expectAt(v, fixed, anchor, 1e-6);
    }
    for (const double factor : {10.0, 0.1}) {
        Viewport2D v;
        v.setSize(800, 600);
        for (int i = 0; i < 40; ++i) {
            v.zoomAbout({100, 450}, factor, factor);
        }
        const double bound =
            factor > 1 ? Viewport2D::maximumPixelUnitRatio : Viewport2D::minimumPixelUnitRatio;
        EXPECT_EQ(std::pair(v.pixelUnitRatioX(), v.pixelUnitRatioY()), std::pair(bound, bound));
        const EvaluationLimits2D l = v.evaluationLimits();
        EXPECT_TRUE(std::isfinite(l.minx) && l.minx < l.maxx && l.miny < l.maxy && l.maxy < 1e300);
    }
}

TEST(Viewport2DTest, MajorSpacingIsOneTwoOrFiveTimesAPowerOfTenAndFitsTheSpan) {
    // Both sides of each threshold (log10 2 and log10 5), and spans across the decades.
    const std::pair<double, double> cases[] = {{1.9, 0.2},   {2.1, 0.5}, {4.9, 0.5}, {5.1, 1},
                                               {10, 2},      {25, 5},    {60, 10},   {3, 0.5},
                                               {0.07, 0.01}, {200, 50}};
    for (const auto& [span, spacing] : cases) {
        EXPECT_NEAR(Viewport2D::majorTickWidthForSpan(span), spacing, 1e-12 * spacing) << span;
    }
    RandomViewports random;
    for (int i = 0; i < 2000; ++i) {
        const double span = std::pow(10.0, 28 * random.unit() - 14);
        const double spacing = Viewport2D::majorTickWidthForSpan(span);
        // Four to ten major lines across the span.
        ASSERT_GE(span / spacing, 4.0 * (1 - 1e-12)) << span;
        ASSERT_LT(span / spacing, 10.0 * (1 + 1e-12)) << span;
        const double mantissa = spacing / std::pow(10.0, std::floor(std::log10(spacing) + 1e-9));
        ASSERT_NEAR(mantissa, mantissa < 1.5 ? 1 : mantissa < 3.5 ? 2 : 5, 1e-9) << span;
    }
    // 800 × 600 points at 80 per unit: spans 10 and 7.5; at 20 per unit vertically, 30.
    for (const auto& [lock, ratioY, ticks] : {std::tuple{true, 80.0, TickWidths{2, 2}},
                                              {false, 80.0, TickWidths{2, 1}},
                                              {true, 20.0, TickWidths{2, 5}}}) {
        Viewport2D v;
        v.setSize(800, 600);
        v.setLockAxisZoom(lock);
        v.setPixelUnitRatios(80, ratioY);
        EXPECT_EQ(v.majorTickWidths(), ticks) << lock << " " << ratioY;
    }
}

}  // namespace
}  // namespace plotwise
