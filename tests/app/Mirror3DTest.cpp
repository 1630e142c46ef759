// The mirror of the 3D plane, drawn through the shared OpenGL context: run under xvfb-run.
#include <QSignalSpy>
#include <QTest>

#include "MirrorFixture.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "app/shell/mirror/RVPWExternalDisplayViewController.h"
#include "graph2d/view/RVEquation2DView.h"
#include "graph3d/view/RVEquation3DView.h"

namespace plotwise {
namespace {

using testing::MirrorFixture;

class Mirror3D : public MirrorFixture {
protected:
    void SetUp() override {
        MirrorFixture::SetUp();
        window_ = std::make_unique<QWidget>();
        window_->resize(400, 300);
        screen_ = new RVPW3DViewController(*context_, window_.get());
        screen_->resize(400, 300);
        window_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(window_.get()));
        ASSERT_NE(screen_->equationView(), nullptr) << "OpenGL is needed: run under xvfb-run";
        if (!screen_->loadingDone()) {
            QSignalSpy finished(screen_, &RVPW3DViewController::loadingFinished);
            ASSERT_TRUE(finished.wait(10000));
        }
        mirrorWindow_ = std::make_unique<QWidget>();
        mirrorWindow_->resize(320, 240);
        mirror_ = new RVPWExternalDisplayViewController(mirrorWindow_.get());
        mirror_->resize(320, 240);
        mirrorWindow_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(mirrorWindow_.get()));
    }

    void TearDown() override {
        mirrorWindow_.reset();
        window_.reset();
    }

    RVEquation3D* add(const QString& text) {
        auto equation = RVEquation3D::equation3DwithStateFromDictionary(
            equationState(text, QStringLiteral("E6E6E6")), screen_->variableTable());
        RVEquation3D* added = equation.get();
        screen_->equations().appendEquation(std::move(equation));
        return added;
    }

    RVEquation3DView* mirrorView() const {
        return qobject_cast<RVEquation3DView*>(mirror_->currentView());
    }

    // Pixels of the mirror's frame that are not the black background.
    int coverage() const {
        const QImage image = mirrorView()->grabFramebuffer();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += (image.pixel(x, y) & 0xFFFFFF) != 0 ? 1 : 0;
            }
        }
        return count;
    }

    std::unique_ptr<QWidget> window_;
    std::unique_ptr<QWidget> mirrorWindow_;
    RVPW3DViewController* screen_ = nullptr;
    RVPWExternalDisplayViewController* mirror_ = nullptr;
};

TEST_F(Mirror3D, DrawsThePlanesMeshesAndDropsADeletedEquation) {
    mirror_->showPlaneOf(screen_);
    ASSERT_NE(mirrorView(), nullptr);
    EXPECT_EQ(mirror_->mode(), RVPWExternalDisplayViewController::Mode::ThreeD);
    const int empty = coverage();

    RVEquation3D* surface = add(QStringLiteral("z=x^2/4-y^2/4"));
    // The screen meshes it and uploads the buffers the mirror draws.
    screen_->equationView()->grabFramebuffer();
    EXPECT_EQ(mirrorView()->equations(), screen_->equationView()->equations());
    const int drawn = coverage();
    EXPECT_GT(drawn, empty + 1000);

    screen_->equations().takeEquation(screen_->equations().rowOf(surface));
    EXPECT_TRUE(mirrorView()->equations().empty());
    EXPECT_NEAR(coverage(), empty, 50);
}

TEST_F(Mirror3D, FollowsTurnsAndSwitchesPlanes) {
    add(QStringLiteral("z=x^2/4-y^2/4"));
    mirror_->showPlaneOf(screen_);
    ASSERT_NE(mirrorView(), nullptr);
    RVEquation3DView* front = screen_->equationView();
    const QVariantMap before = mirrorView()->dictionaryWithViewState();
    front->drawViewByRotating({30.0f, 15.0f, 1.0f, 0.0f, 0.0f});
    // The screen reports its state after the frame it draws.
    front->grabFramebuffer();
    EXPECT_NE(mirrorView()->dictionaryWithViewState(), before);
    EXPECT_EQ(mirrorView()->dictionaryWithViewState(), front->dictionaryWithViewState());
    EXPECT_GT(coverage(), 1000) << "the turned surface";

    RVPW2DViewController screen2D(*context_);
    mirror_->showPlaneOf(&screen2D);
    EXPECT_EQ(mirror_->mode(), RVPWExternalDisplayViewController::Mode::TwoD);
    EXPECT_NE(qobject_cast<RVEquation2DView*>(mirror_->currentView()), nullptr);
    mirror_->showPlaneOf(screen_);
    ASSERT_NE(mirrorView(), nullptr) << "a new 3D view on the way back";
    EXPECT_EQ(mirrorView()->dictionaryWithViewState(), front->dictionaryWithViewState());
}

// Known fault, kept as a reproducer: a 3D mirror view made after an earlier one was deleted
// leaves it and the 3D screen drawing the axes alone (deleting one alone keeps the surfaces).
TEST_F(Mirror3D, ARemadeMirrorKeepsTheSurfaces) {
    add(QStringLiteral("z=x^2/4-y^2/4"));
    RVEquation3DView* front = screen_->equationView();
    mirror_->showPlaneOf(screen_);
    front->grabFramebuffer();
    const int drawn = coverage();
    mirror_->showPlaneOf(nullptr);
    mirror_->showPlaneOf(screen_);
    EXPECT_NEAR(coverage(), drawn, drawn / 20);
    const QImage frontFrame = front->grabFramebuffer();
    int frontCoverage = 0;
    for (int y = 0; y < frontFrame.height(); ++y) {
        for (int x = 0; x < frontFrame.width(); ++x) {
            frontCoverage += (frontFrame.pixel(x, y) & 0xFFFFFF) != 0 ? 1 : 0;
        }
    }
    EXPECT_GT(frontCoverage, 10000);
}

}  // namespace
}  // namespace plotwise
