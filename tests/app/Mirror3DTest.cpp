// The mirror of the 3D plane, drawn through the shared OpenGL context: run under xvfb-run.

#include "AppFixture.h"
#include "app/shell/mirror/RVPWExternalDisplayViewController.h"
#include "graph2d/view/RVEquation2DView.h"
#include "graph3d/view/RVEquation3DView.h"

namespace plotwise {
namespace {

using testing::AppFixture;

// A 3D screen in a window of its own, and a mirror in another.
class Mirror3D : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        screen_ = new RVPW3DViewController(*context_, &window_);
        for (QWidget* widget : {&window_, static_cast<QWidget*>(screen_), &mirrorWindow_,
                                static_cast<QWidget*>(mirror_)}) {
            widget->resize(400, 300);
        }
        window_.show();
        mirrorWindow_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window_) &&
                    QTest::qWaitForWindowExposed(&mirrorWindow_));
        ASSERT_NE(screen_->equationView(), nullptr) << "OpenGL is needed: run under xvfb-run";
        waitRestored(screen_);
    }

    RVEquation3DView* mirrorView() const {
        return qobject_cast<RVEquation3DView*>(mirror_->currentView());
    }
    // Pixels of a frame (the mirror's by default) that are not the black background.
    int coverage(RVEquation3DView* view = nullptr) const {
        const QImage image = (view != nullptr ? view : mirrorView())->grabFramebuffer();
        int count = 0;
        for (int y = 0; y < image.height(); ++y) {
            for (int x = 0; x < image.width(); ++x) {
                count += (image.pixel(x, y) & 0xFFFFFF) != 0 ? 1 : 0;
            }
        }
        return count;
    }

    QWidget window_, mirrorWindow_;
    RVPW3DViewController* screen_ = nullptr;
    RVPWExternalDisplayViewController* mirror_ =
        new RVPWExternalDisplayViewController(&mirrorWindow_);
};

// The mirror draws the meshes the screen uploaded, follows its turns, comes back from the 2D
// plane in a new view that (like the screen) still draws the surface, and drops a deleted one.
TEST_F(Mirror3D, DrawsThePlanesMeshesFollowsTurnsAndSwitchesPlanes) {
    mirror_->showPlaneOf(screen_);
    ASSERT_NE(mirrorView(), nullptr);
    EXPECT_EQ(mirror_->mode(), RVPWExternalDisplayViewController::Mode::ThreeD);
    const int empty = coverage();
    auto equation = RVEquation3D::equation3DwithStateFromDictionary(
        equationState(QStringLiteral("z=x^2/4-y^2/4"), QStringLiteral("E6E6E6")),
        screen_->variableTable());
    RVEquation3D* surface = equation.get();
    screen_->equations().appendEquation(std::move(equation));
    RVEquation3DView* front = screen_->equationView();
    const QVariantMap before = mirrorView()->dictionaryWithViewState();
    front->drawViewByRotating({30.0f, 15.0f, 1.0f, 0.0f, 0.0f});
    // The screen meshes, uploads and reports its state after the frame it draws.
    front->grabFramebuffer();
    EXPECT_EQ(mirrorView()->equations(), front->equations());
    EXPECT_NE(mirrorView()->dictionaryWithViewState(), before);
    EXPECT_EQ(mirrorView()->dictionaryWithViewState(), front->dictionaryWithViewState());
    const int drawn = coverage();
    EXPECT_GT(drawn, empty + 1000);

    RVPW2DViewController screen2D(*context_);
    mirror_->showPlaneOf(&screen2D);
    EXPECT_NE(qobject_cast<RVEquation2DView*>(mirror_->currentView()), nullptr);
    mirror_->showPlaneOf(screen_);
    ASSERT_NE(mirrorView(), nullptr);
    EXPECT_EQ(mirrorView()->dictionaryWithViewState(), front->dictionaryWithViewState());
    EXPECT_NEAR(coverage(), drawn, drawn / 20);
    EXPECT_GT(coverage(front), 10000);

    screen_->equations().takeEquation(screen_->equations().rowOf(surface));
    EXPECT_TRUE(mirrorView()->equations().empty());
    EXPECT_NEAR(coverage(), empty, 200);  // turned, the axes cover a little more or less
}

}  // namespace
}  // namespace plotwise
