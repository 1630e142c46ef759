// Runs the application tests offscreen, with HOME and the XDG folders in a fresh temporary
// folder so the user's own settings and workspace are never read or written.
#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include "ApplicationIdentity.h"
#include "RVPWSettingsManager.h"

int main(int argc, char** argv) {
    QTemporaryDir root(QDir::tempPath() + QStringLiteral("/plotwise-app-tests-XXXXXX"));
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
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }

    QApplication application(argc, argv);
    plotwise::applyApplicationIdentity();
    plotwise::RVPWSettingsManager::registerDefaults();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
