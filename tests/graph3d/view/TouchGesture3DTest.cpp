// Fingers turned into scene increments, without widgets.
#include <gtest/gtest.h>

#include "graph3d/view/TouchGesture3D.h"

namespace plotwise {
namespace {

using Finger = TouchGesture3D::Finger;

TEST(TouchGesture3D, APinchUnderWayIgnoresSmallPansAndAPanIgnoresSmallPinches) {
    TouchGesture3D gesture;
    const Finger a{{100, 100}, {100, 100}};
    gesture.began({a, {{200, 100}, {200, 100}}}, 2);
    // Spread to 150: a pinch step of 1.5.
    auto step = gesture.moved({a, {{250, 100}, {200, 100}}}, {{{250, 100}, {200, 100}}});
    ASSERT_TRUE(step);
    EXPECT_FLOAT_EQ(step->k, 1.5f);
    // Both fingers a little the same way: still the pinch, no pan yet.
    step = gesture.moved({{{110, 100}, {100, 100}}, {{260, 100}, {250, 100}}},
                         {{{110, 100}, {100, 100}}, {{260, 100}, {250, 100}}});
    EXPECT_FALSE(step);
    // Once the pan has gone far enough, it takes over.
    for (int i = 0; i < 4; ++i) {
        step = gesture.moved({{{110, 100}, {100, 100}}, {{260, 100}, {250, 100}}},
                             {{{110, 100}, {100, 100}}, {{260, 100}, {250, 100}}});
    }
    ASSERT_TRUE(step);
    EXPECT_NEAR(step->tx, 10.0 / 240.0, 1e-6);
    EXPECT_FLOAT_EQ(step->k, 1.0f);
    // A pan goes on through a small change of spread, and breaks for a large one.
    EXPECT_FALSE(gesture.moved({{{110, 100}, {100, 100}}, {{265, 100}, {260, 100}}},
                               {{{265, 100}, {260, 100}}}));
    step = gesture.moved({{{110, 100}, {100, 100}}, {{400, 100}, {265, 100}}},
                         {{{400, 100}, {265, 100}}});
    ASSERT_TRUE(step);
    EXPECT_GT(step->k, 1.5f);
    // Lifting asks for one evaluation; the next lift, without movement, for none.
    EXPECT_TRUE(gesture.ended({}));
    gesture.began({a}, 1);
    EXPECT_FALSE(gesture.ended({}));
}

TEST(TouchGesture3D, OneFingerRotatesFromWhereTheLastFingerStayed) {
    TouchGesture3D gesture;
    gesture.began({{{100, 100}, {100, 100}}, {{200, 100}, {200, 100}}}, 2);
    // The second finger lifts: rotation carries on from the finger that stayed.
    EXPECT_FALSE(gesture.ended({{{200, 100}, {200, 100}}}));
    const auto step = gesture.moved({{{230, 90}, {200, 100}}}, {{{230, 90}, {200, 100}}});
    ASSERT_TRUE(step);
    EXPECT_FLOAT_EQ(step->ax, 30.0f);
    EXPECT_FLOAT_EQ(step->ay, -10.0f);
    EXPECT_TRUE(gesture.isRotating());
    EXPECT_FALSE(gesture.ended({}));
    EXPECT_FALSE(gesture.isRotating());
}

}  // namespace
}  // namespace plotwise
