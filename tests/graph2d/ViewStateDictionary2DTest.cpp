#include <gtest/gtest.h>

#include <QVariantMap>
#include <cmath>
#include <limits>
#include <utility>

#include "graph2d/ViewStateDictionary2D.h"

namespace plotwise {
namespace {

using Dictionary = ViewStateDictionary2D;

Viewport2D viewport(double centerX, double centerY, double ratioX, double ratioY) {
    Viewport2D v;
    v.setSize(800, 600);
    v.centerOn({centerX, centerY});
    v.setPixelUnitRatios(ratioX, ratioY);
    return v;
}

TEST(ViewStateDictionary2DTest, WritesTheStoredKeysAndReadsThemBack) {
    const Viewport2D v = viewport(-4.5, 0.25, 12.0, 9.0);
    const QVariantMap state = Dictionary::dictionary(v, {false, 3.0, -1.0}, true);
    const QVariantMap expected = {
        {"scrollX", -4.5},  {"scrollY", -0.25}, {"pixelUnitRatioX", 12.0}, {"pixelUnitRatioY", 9.0},
        {"tracing", false}, {"tracingX", 3.0},  {"tracingY", -1.0},        {"movedOrZoomed", true}};
    EXPECT_EQ(state, expected);

    const auto restored = Dictionary::read(state, viewport(0, 0, 80, 80));
    ASSERT_TRUE(restored);
    EXPECT_EQ(restored->viewport, v);
    EXPECT_TRUE(restored->newRatio);
    EXPECT_TRUE(restored->traceAgain) << "\"tracing\" is true while the trace is hidden";
    EXPECT_EQ(std::pair(restored->tracingX, restored->tracingY), std::pair(3.0, -1.0));
}

TEST(ViewStateDictionary2DTest, ReadingToleratesMissingAndUnusableValues) {
    const Viewport2D current = viewport(7.0, 7.0, 20.0, 30.0);
    EXPECT_FALSE(Dictionary::read({}, current)) << "an empty dictionary changes nothing";
    const double nan = std::numeric_limits<double>::quiet_NaN();
    struct Case {
        QVariantMap state;
        ViewState expected;
        bool newRatio;
        bool traceAgain;
    };
    const Case cases[] = {
        // Missing scrolls read as 0; one ratio serves both axes.
        {{{"pixelUnitRatio", 50.0}}, {0, 0, 400, 300, 50, 50}, true, false},
        // Per-axis ratios count only where they differ.
        {{{"scrollX", 1.0}, {"pixelUnitRatioX", 20.0}, {"pixelUnitRatioY", 40.0}},
         {1, 0, 400, 300, 20, 40},
         true,
         false},
        {{{"pixelUnitRatioX", 20.0}, {"pixelUnitRatioY", 30.0}},
         {0, 0, 400, 300, 20, 30},
         false,
         false},
        // Zero, negative, non-finite and unreadable values are ignored.
        {{{"pixelUnitRatio", 0.0},
          {"pixelUnitRatioX", -5.0},
          {"pixelUnitRatioY", "nonsense"},
          {"scrollY", nan},
          {"tracing", true}},
         {0, 0, 400, 300, 20, 30},
         false,
         false},
        // Ratios beyond the zoom bounds are brought within them.
        {{{"pixelUnitRatioX", 1e12}, {"pixelUnitRatioY", 1e-12}, {"tracing", false}},
         {0, 0, 400, 300, Viewport2D::maximumPixelUnitRatio, Viewport2D::minimumPixelUnitRatio},
         true,
         true},
    };
    for (const Case& c : cases) {
        const auto restored = Dictionary::read(c.state, current);
        ASSERT_TRUE(restored);
        EXPECT_EQ(restored->viewport.state(), c.expected) << c.state.keys().join(' ').toStdString();
        EXPECT_EQ(restored->newRatio, c.newRatio) << c.state.keys().join(' ').toStdString();
        EXPECT_EQ(restored->traceAgain, c.traceAgain) << c.state.keys().join(' ').toStdString();
        EXPECT_EQ(restored->viewport.lockAxisZoom(), current.lockAxisZoom());
    }
}

}  // namespace
}  // namespace plotwise
