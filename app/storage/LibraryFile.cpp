#include "app/storage/LibraryFile.h"

#include <QCryptographicHash>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QSaveFile>
#include <filesystem>

#include "app/storage/PropertyList.h"

namespace plotwise {

namespace {

QByteArray contentHash(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256);
}

// Copies the file to "<path>.<tag>-<UTC time>" (with a counter if taken). A copy, not a rename,
// so that readers never find the path empty before the new version replaces it.
QString copyAside(const QString& path, QStringView tag) {
    const QString stem = path + u'.' + tag.toString() + u'-' +
                         QDateTime::currentDateTimeUtc().toString(u"yyyyMMdd'T'HHmmss'Z'");
    QString target = stem;
    for (int counter = 2; QFileInfo::exists(target) || QFileInfo(target).isSymLink(); ++counter) {
        target = stem + u'-' + QString::number(counter);
    }
    return QFile::copy(path, target) ? target : QString();
}

QString lockError() {
    return QStringLiteral("another program holds the library's lock file");
}

}  // namespace

LibraryFile::LibraryFile(QString fileName) : fileName_(std::move(fileName)) {}

QString LibraryFile::path() const {
    return LibraryStorage::libraryFilePath(fileName_);
}

LibraryFile::Stamp LibraryFile::diskStamp() const {
    Stamp stamp;
    std::error_code error;
    const std::filesystem::path native(QFile::encodeName(path()).toStdString());
    if (!std::filesystem::is_regular_file(native, error)) {
        // Anything else in its place (a folder) is neither readable nor writable as the file.
        stamp.exists = std::filesystem::exists(native, error);
        return stamp;
    }
    stamp.exists = true;
    stamp.size = static_cast<qint64>(std::filesystem::file_size(native, error));
    stamp.modified = static_cast<qint64>(
        std::filesystem::last_write_time(native, error).time_since_epoch().count());
    return stamp;
}

LibraryStorage::Library LibraryFile::load(double* table) {
    QDir().mkpath(QFileInfo(path()).absolutePath());
    QLockFile lock(path() + QStringLiteral(".lock"));
    // Reading without the lock is still whole (writers replace the file by renaming); the lock
    // only keeps the remembered stamp and the bytes read together.
    const bool locked = lock.tryLock(lockTimeoutMilliseconds);
    Stamp stamp = diskStamp();
    QByteArray document;
    bool opened = false;
    if (stamp.exists) {
        QFile file(path());
        opened = stamp.size <= PropertyList::maximumFileSize && file.open(QIODevice::ReadOnly);
        if (opened) {
            document = file.readAll();
        }
        stamp.hash = contentHash(document);
    }
    if (locked) {
        lock.unlock();
    }
    PropertyList::ReadResult read;
    if (!stamp.exists) {
        read.status = PropertyList::Status::Missing;
    } else if (stamp.size > PropertyList::maximumFileSize) {
        read.error =
            QStringLiteral("the file is larger than %1 bytes").arg(PropertyList::maximumFileSize);
    } else if (!opened) {
        read.error = QStringLiteral("the file cannot be opened");
    } else {
        read = PropertyList::read(document);
    }
    LibraryStorage::Library library = LibraryStorage::libraryFromRead(fileName_, read, table);
    remembered_ = stamp;
    unreadItems_ = library.unreadItems;
    unreadable_ = library.source == LibraryStorage::Source::ExamplesInsteadOfUnreadableFile;
    return library;
}

bool LibraryFile::changedSinceRemembered(const Stamp& now) const {
    if (now.exists != remembered_.exists) {
        return now.exists;
    }
    if (!now.exists) {
        return false;
    }
    if (now.size == remembered_.size && now.modified == remembered_.modified) {
        return false;
    }
    // Touched but maybe the same bytes: only the content decides.
    QFile file(path());
    if (!file.open(QIODevice::ReadOnly)) {
        return true;
    }
    return contentHash(file.readAll()) != remembered_.hash;
}

LibraryFile::SaveResult LibraryFile::save(const QVariantList& states) {
    SaveResult result;
    QVariantList items = states;
    items.append(unreadItems_);
    QString writeError;
    const QByteArray document = PropertyList::write(items, &writeError);
    if (document.isEmpty()) {
        result.error = writeError;
        return result;
    }
    const QString filePath = path();
    if (!QDir().mkpath(QFileInfo(filePath).absolutePath())) {
        result.error = QStringLiteral("cannot create %1").arg(QFileInfo(filePath).absolutePath());
        return result;
    }
    QLockFile lock(filePath + QStringLiteral(".lock"));
    if (!lock.tryLock(lockTimeoutMilliseconds)) {
        result.error = lockError();
        return result;
    }

    const Stamp now = diskStamp();
    const bool changed = changedSinceRemembered(now);
    if (changed || (unreadable_ && now.exists)) {
        result.keptUnreadable = !changed;
        result.keptAside =
            copyAside(filePath, changed ? QStringView(u"changed") : QStringView(u"unreadable"));
        if (result.keptAside.isEmpty()) {
            result.error = QStringLiteral("%1 could not be kept aside").arg(filePath);
            return result;
        }
    }
    unreadable_ = false;

    QSaveFile file(filePath);
    if (!file.open(QIODevice::WriteOnly) || file.write(document) != document.size() ||
        !file.commit()) {
        result.error = file.errorString();
        return result;
    }
    remembered_ = diskStamp();
    remembered_.hash = contentHash(document);
    result.saved = true;
    return result;
}

}  // namespace plotwise
