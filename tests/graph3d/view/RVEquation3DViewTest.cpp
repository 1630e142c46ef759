// The 3D view as a widget under OpenGL: fingers, a new window, dropped input.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QPointingDevice>
#include <QTest>
#include <memory>

#include "OffscreenScene.h"
#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph3d/view/RVEquation3DView.h"

namespace plotwise::testing {
namespace {

class EquationView3D : public ::testing::Test {
protected:
    void SetUp() override {
        window_ = std::make_unique<QWidget>();
        window_->resize(400, 300);
        view_ = new RVEquation3DView(window_.get());
        view_->resize(400, 300);
        view_->setModel(&model_);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
    }
    void TearDown() override {
        view_->setModel(nullptr);
        window_.reset();
    }

    void add(const std::string& text) {
        ParsedExpression parsed = parseExpression(toUtf16(text), table_.data());
        ASSERT_TRUE(parsed.tree);
        auto equation = RVEquation3D::equation3DwithOperationTree(std::move(parsed.tree));
        equation->setVisible(true);
        equation->setColor(QColor(230, 230, 230));
        model_.appendEquation(std::move(equation));
    }

    // Pixels that are not the black background.
    int coverage() {
        const QImage image = view_->grabFramebuffer();
        return countPixels(image, image.rect(), [](QRgb p) { return (p & 0xFFFFFF) != 0; });
    }

    float zoom() const { return view_->sceneState().actualScaleFactor(); }
    float shiftX() const { return view_->sceneState().modelViewMatrix()[12]; }

    VariableTable table_{};
    EquationModel3D model_;
    std::unique_ptr<QWidget> window_;
    RVEquation3DView* view_ = nullptr;
    QPointingDevice* touch_ = QTest::createTouchDevice();
};

TEST_F(EquationView3D, FingersRotatePanAndPinchAndEvaluateOnlyAfterPanOrPinch) {
    add("r=2");
    const int evaluations = view_->evaluationCount();
    // One finger: a rotation, the box while it moves, no evaluation.
    QTest::touchEvent(view_, touch_).press(0, {100, 100});
    QTest::touchEvent(view_, touch_).move(0, {190, 100});
    EXPECT_TRUE(view_->boxShown());
    // The box goes after a second of rest, even with the finger still down.
    EXPECT_TRUE(QTest::qWaitFor([this] { return !view_->boxShown(); }, 1500));
    const auto& m = view_->sceneState().modelViewMatrix();
    EXPECT_NEAR(m[2] / SceneState3D::resetScale, -1.0f, 1e-4f);  // model x now into the screen
    QTest::touchEvent(view_, touch_).release(0, {190, 100});
    EXPECT_EQ(view_->evaluationCount(), evaluations);

    // Two fingers the same way: a pan of 24/240 eye units, one evaluation at lift.
    view_->resetView();
    const int afterReset = view_->evaluationCount();
    QTest::touchEvent(view_, touch_).press(0, {100, 100}).press(1, {100, 200});
    QTest::touchEvent(view_, touch_).move(0, {124, 100}).move(1, {124, 200});
    EXPECT_NEAR(shiftX(), 0.1f, 1e-5f);
    QTest::touchEvent(view_, touch_).release(0, {124, 100}).release(1, {124, 200});
    EXPECT_EQ(view_->evaluationCount(), afterReset + 1);

    // Two fingers apart: a pinch; repeated, it stops at 30, then at 0.05.
    struct Pinch {
        int from, to;
        float bound;
    };
    for (const Pinch& pinch : {Pinch{50, 200, 30.0f}, Pinch{200, 50, 0.05f}}) {
        for (int i = 0; i < 6; ++i) {
            QTest::touchEvent(view_, touch_).press(0, {100, 150}).press(1, {100 + pinch.from, 150});
            QTest::touchEvent(view_, touch_).move(0, {100, 150}).move(1, {100 + pinch.to, 150});
            QTest::touchEvent(view_, touch_)
                .release(0, {100, 150})
                .release(1, {100 + pinch.to, 150});
        }
        const float bound = pinch.bound;
        EXPECT_NEAR(zoom(), bound, bound * 1e-4f);
        // The equations were meshed for the zoom reached.
        EXPECT_FLOAT_EQ(model_.equationAt(0)->previousEvaluationLimits().max, 7.0f / zoom());
    }

    // Fingers starting together give no ratio: nothing happens.
    view_->resetView();
    QTest::touchEvent(view_, touch_).press(0, {200, 150}).press(1, {200, 150});
    QTest::touchEvent(view_, touch_).move(0, {150, 150}).move(1, {250, 150});
    QTest::touchEvent(view_, touch_).release(0, {150, 150}).release(1, {250, 150});
    EXPECT_FLOAT_EQ(zoom(), 1.0f);
}

TEST_F(EquationView3D, InputQueuedDuringAnEvaluationIsDropped) {
    add("r=2");
    view_->drawViewByRotating({0, 0, 2});
    QCoreApplication::postEvent(view_, new QKeyEvent(QEvent::KeyPress, Qt::Key_M, Qt::NoModifier));
    view_->evaluateAllFunctions();
    EXPECT_EQ(view_->visualizationMode(), SceneState3D::Shaded);
    EXPECT_TRUE(view_->isEnabled());
    // Not evaluating, the same key switches the mode.
    QTest::keyClick(view_, Qt::Key_M);
    EXPECT_EQ(view_->visualizationMode(), SceneState3D::Points);
}

TEST_F(EquationView3D, DoubleTapsAndDoubleClicksSwitchTheMode) {
    const auto tap = [this](QPoint at) {
        QTest::touchEvent(view_, touch_).press(0, at);
        QTest::touchEvent(view_, touch_).release(0, at);
    };
    tap({100, 100});
    EXPECT_EQ(view_->visualizationMode(), SceneState3D::Shaded);
    tap({102, 100});
    EXPECT_EQ(view_->visualizationMode(), SceneState3D::Points);
    // A tap after a drag is no second tap.
    QTest::touchEvent(view_, touch_).press(0, {100, 100});
    QTest::touchEvent(view_, touch_).move(0, {140, 100});
    QTest::touchEvent(view_, touch_).release(0, {140, 100});
    tap({140, 100});
    EXPECT_EQ(view_->visualizationMode(), SceneState3D::Points);
    QTest::mouseDClick(view_, Qt::LeftButton, {}, {50, 50});
    EXPECT_EQ(view_->visualizationMode(), SceneState3D::Wireframe);
}

TEST_F(EquationView3D, KeysAndWheelTurnShiftAndZoom) {
    QTest::keyClick(view_, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_NEAR(shiftX(), 20.0f / 240.0f, 1e-5f);
    QTest::keyClick(view_, Qt::Key_Plus);
    EXPECT_NEAR(zoom(), 1.1f, 1e-5f);
    QWheelEvent wheel({200, 150}, view_->mapToGlobal(QPointF(200, 150)), {}, {0, 240}, Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QCoreApplication::sendEvent(view_, &wheel);
    EXPECT_NEAR(zoom(), 1.1f * 1.21f, 1e-4f);
}

TEST_F(EquationView3D, AViewMovedToANewWindowStillDraws) {
    add("r=2");
    add("x^2+y^2+z^2<1");
    view_->drawViewByRotating({0, 0, 3});
    view_->evaluateAllFunctions();
    const int before = coverage();
    EXPECT_GT(before, 3000);
    auto other = std::make_unique<QWidget>();
    other->resize(400, 300);
    view_->setParent(other.get());
    view_->show();
    other->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(other.get()));
    EXPECT_EQ(coverage(), before);
    view_->setParent(window_.get());
    other.reset();
}

}  // namespace
}  // namespace plotwise::testing
