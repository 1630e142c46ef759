// Runs the external display tests with HOME and the XDG folders in a fresh temporary folder.
// The widget suite runs on the offscreen platform with two screens side by side, read from a
// configuration file written here; the OpenGL suite needs a display and runs on the X platform.
#include <gtest/gtest.h>

#include <QApplication>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include "app/storage/ApplicationIdentity.h"
#include "tests/support/IsolatedUserFolders.h"

#ifndef PLOTWISE_MIRROR_GL
namespace {

bool useTwoOffscreenScreens(const QTemporaryDir& root) {
    const QJsonObject main{{"name", "Main"}, {"x", 0}, {"y", 0}, {"width", 800}, {"height", 600}};
    const QJsonObject external{
        {"name", "External"}, {"x", 800}, {"y", 0}, {"width", 1024}, {"height", 768}};
    const QJsonObject config{{"synchronousWindowSystemEvents", false},
                             {"windowFrameMargins", false},
                             {"screens", QJsonArray{main, external}}};
    QFile file(root.filePath(QStringLiteral("screens.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(config).toJson()) < 0) {
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(file.fileName()));
    return true;
}

}  // namespace
#endif

int main(int argc, char** argv) {
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/plotwise-mirror-tests-XXXXXX"));
    if (!plotwise::testing::isolateUserFolders(root)) {
        return 1;
    }
#ifdef PLOTWISE_MIRROR_GL
    if (!qEnvironmentVariableIsEmpty("DISPLAY")) {
        qputenv("QT_QPA_PLATFORM", "xcb");
    } else if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
#else
    if (!useTwoOffscreenScreens(root)) {
        return 1;
    }
#endif
    // As the application does: the mirror's 3D view draws the buffers the 3D screen uploaded.
    QApplication::setAttribute(Qt::AA_ShareOpenGLContexts);
    QApplication application(argc, argv);
    plotwise::applyApplicationIdentity();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
