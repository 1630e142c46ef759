// Runs the storage tests with HOME and the XDG folders in a fresh temporary folder, so nothing
// reads or writes the user's own files, and with the application's names set as the
// application sets them.
#include <gtest/gtest.h>

#include <QCoreApplication>

#include "app/storage/ApplicationIdentity.h"
#include "tests/support/IsolatedUserFolders.h"

int main(int argc, char** argv) {
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/plotwise-storage-tests-XXXXXX"));
    if (!plotwise::testing::isolateUserFolders(root)) {
        return 1;
    }
    QCoreApplication application(argc, argv);
    plotwise::applyApplicationIdentity();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
