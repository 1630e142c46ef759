// The shell's window under OpenGL: run under xvfb-run.
#include "AppFixture.h"

namespace plotwise {
namespace {

using ShellWindowGL = testing::AppFixture;

// Remaking the native window for the first 3D view would drop the keyboard focus, so the
// shortcuts would stop working after Ctrl+3 until the user clicked the window.
TEST_F(ShellWindowGL, TheFirst3DPlaneKeepsTheNativeWindow) {
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        SCOPED_TRACE(static_cast<int>(device));
        launch(device);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate_->window()));
        const WId before = delegate_->window()->winId();
        delegate_->push3DController();
        QTest::qWait(200);
        EXPECT_EQ(delegate_->window()->winId(), before);
    }
}

}  // namespace
}  // namespace plotwise
