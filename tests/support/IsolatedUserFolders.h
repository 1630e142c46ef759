#pragma once

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

namespace plotwise::testing {

// Points HOME and the XDG folders into a fresh temporary folder (exported as
// PLOTWISE_TEST_ROOT), so tests never read or write the user's own settings, workspace or
// library. Call before the application object exists; the folder lives as long as the result.
inline bool isolateUserFolders(QTemporaryDir& root) {
    if (!root.isValid()) {
        return false;
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
    return true;
}

}  // namespace plotwise::testing
