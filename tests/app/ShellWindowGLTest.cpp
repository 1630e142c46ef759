// The shell's window under OpenGL: run under xvfb-run.
#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>

#include "app/context/ApplicationContext.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/shell/AppDelegate.h"
#include "app/storage/NotificationCenter.h"
#include "app/storage/PreferenceStore.h"

namespace plotwise {
namespace {

// Remaking the native window for the first 3D view would drop the keyboard focus, so the
// shortcuts would stop working after Ctrl+3 until the user clicked the window.
TEST(ShellWindowGL, TheFirst3DPlaneKeepsTheNativeWindow) {
    QTemporaryDir folder;
    ASSERT_TRUE(folder.isValid());
    PreferenceStore store(folder.filePath(QStringLiteral("prefs.plist")));
    NotificationCenter center;
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        SCOPED_TRACE(static_cast<int>(device));
        ApplicationContext context(store, center, device);
        context.settings().registerDefaults();
        AppDelegate delegate(context);
        delegate.didFinishLaunching({}, false);
        ASSERT_TRUE(QTest::qWaitForWindowExposed(delegate.window()));
        const WId before = delegate.window()->winId();
        delegate.push3DController();
        QTest::qWait(200);
        EXPECT_EQ(delegate.window()->winId(), before);
        EXPECT_TRUE(delegate.window()->isVisible());
    }
}

}  // namespace
}  // namespace plotwise
