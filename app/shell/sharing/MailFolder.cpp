#include "app/shell/sharing/MailFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <filesystem>
#include <limits>

namespace plotwise {

namespace {

constexpr QFileDevice::Permissions kOwnerOnly =
    QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner;

// Folders this process made: never stale while it runs, even if removeStale runs again.
QSet<QString>& madeHere() {
    static QSet<QString> folders;
    return folders;
}

bool processRunning(qint64 pid) {
    if (pid <= 0 || pid > std::numeric_limits<pid_t>::max()) {
        return false;
    }
    // EPERM: it runs, as another user.
    return ::kill(static_cast<pid_t>(pid), 0) == 0 || errno == EPERM;
}

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

}  // namespace

QString MailFolder::location() {
    return QStandardPaths::writableLocation(QStandardPaths::CacheLocation) +
           QStringLiteral("/mail");
}

QString MailFolder::create(QString* error) {
    const QString base = location();
    if (!QDir().mkpath(base)) {
        *error =
            QStringLiteral("The folder %1 cannot be made.").arg(QDir::toNativeSeparators(base));
        return {};
    }
    QFile::setPermissions(base, kOwnerOnly);
    QTemporaryDir folder(base +
                         QStringLiteral("/mail-%1-XXXXXX").arg(QCoreApplication::applicationPid()));
    if (!folder.isValid()) {
        *error = folder.errorString();
        return {};
    }
    folder.setAutoRemove(false);
    // QTemporaryDir already makes it 0700; said again so no umask or platform can widen it.
    QFile::setPermissions(folder.path(), kOwnerOnly);
    madeHere().insert(folder.path());
    return folder.path();
}

int MailFolder::removeStale() {
    static const QRegularExpression name(QStringLiteral("^mail-(\\d{1,10})-[A-Za-z0-9]{6}$"));
    const QString base = location();
    std::error_code failure;
    std::filesystem::directory_iterator entries(nativePath(base), failure);
    if (failure) {
        return 0;
    }
    int removed = 0;
    for (const std::filesystem::directory_entry& entry : entries) {
        const QString fileName = QFile::decodeName(entry.path().filename().string().c_str());
        const QRegularExpressionMatch match = name.match(fileName);
        if (!match.hasMatch() || !entry.is_directory(failure) || entry.is_symlink(failure)) {
            continue;
        }
        const QString path = base + u'/' + fileName;
        const qint64 pid = match.captured(1).toLongLong();
        const bool ours = pid == QCoreApplication::applicationPid();
        if (madeHere().contains(path) || (!ours && processRunning(pid))) {
            continue;
        }
        // remove_all deletes a link inside, never what it points to.
        if (std::filesystem::remove_all(entry.path(), failure) > 0 && !failure) {
            ++removed;
        }
    }
    return removed;
}

}  // namespace plotwise
