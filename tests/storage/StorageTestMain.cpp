// Runs the storage tests with HOME and the XDG folders in a fresh temporary folder, so nothing
// reads or writes the user's own files, and with the application's names set as the
// application sets them.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDir>
#include <QTemporaryDir>

#include "ApplicationIdentity.h"

int main(int argc, char** argv) {
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/plotwise-storage-tests-XXXXXX"));
    if (!root.isValid()) {
        return 1;
    }
    const QString path = QDir::cleanPath(root.path());
    for (const char* folder : {"home", "config", "data", "cache", "runtime"}) {
        QDir().mkpath(path + u'/' + QString::fromLatin1(folder));
    }
    QFile::setPermissions(path + QStringLiteral("/runtime"),
                          QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    qputenv("PLOTWISE_TEST_ROOT", QFile::encodeName(path));
    qputenv("HOME", QFile::encodeName(path + QStringLiteral("/home")));
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(path + QStringLiteral("/config")));
    qputenv("XDG_DATA_HOME", QFile::encodeName(path + QStringLiteral("/data")));
    qputenv("XDG_CACHE_HOME", QFile::encodeName(path + QStringLiteral("/cache")));
    qputenv("XDG_RUNTIME_DIR", QFile::encodeName(path + QStringLiteral("/runtime")));

    QCoreApplication application(argc, argv);
    plotwise::applyApplicationIdentity();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
