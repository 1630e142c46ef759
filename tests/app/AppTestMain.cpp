// Runs the application tests offscreen, with HOME and the XDG folders in a fresh temporary
// folder so the user's own settings and workspace are never read or written.
#include <gtest/gtest.h>

#include <QApplication>

#include "app/storage/ApplicationIdentity.h"
#include "tests/support/IsolatedUserFolders.h"

int main(int argc, char** argv) {
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/plotwise-app-tests-XXXXXX"));
    if (!plotwise::testing::isolateUserFolders(root)) {
        return 1;
    }
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    plotwise::applyApplicationIdentity();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
