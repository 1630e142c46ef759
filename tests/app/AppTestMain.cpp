// Runs the application tests with HOME and the XDG folders in a fresh temporary folder so the
// user's own settings and workspace are never read or written. Offscreen, except that the
// external display's widget suite (PLOTWISE_TWO_SCREENS) gets two offscreen screens side by
// side from a configuration file, and its OpenGL suite (PLOTWISE_MIRROR_GL) runs on the X
// platform when there is a display.
#include <gtest/gtest.h>

#include <QApplication>
#include <QFile>

#include "app/storage/ApplicationIdentity.h"
#include "tests/support/IsolatedUserFolders.h"

int main(int argc, char** argv) {
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/plotwise-app-tests-XXXXXX"));
    if (!plotwise::testing::isolateUserFolders(root)) {
        return 1;
    }
#if defined(PLOTWISE_MIRROR_GL)
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    }
#elif defined(PLOTWISE_TWO_SCREENS)
    QFile screens(root.filePath(QStringLiteral("screens.json")));
    if (!screens.open(QIODevice::WriteOnly) ||
        screens.write(R"({"synchronousWindowSystemEvents": false, "windowFrameMargins": false,
            "screens": [{"name": "Main", "x": 0, "y": 0, "width": 800, "height": 600},
                        {"name": "External", "x": 800, "y": 0, "width": 1024, "height": 768}]})") <
            0) {
        return 1;
    }
    screens.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(screens.fileName()));
#endif
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // As the application does: the mirror's 3D view draws the buffers the 3D screen uploaded.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    plotwise::applyApplicationIdentity();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
