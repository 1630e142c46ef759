#include "app/storage/PreferenceStore.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QStandardPaths>

#include "app/storage/PropertyList.h"

namespace plotwise {

namespace {

std::filesystem::path nativePath(const QString& path) {
    return std::filesystem::path(QFile::encodeName(path).toStdString());
}

bool hasPropertyListForm(const QVariant& value) {
    QString error;
    return !PropertyList::write(value, &error).isEmpty();
}

}  // namespace

PreferenceStore& PreferenceStore::standard() {
    static PreferenceStore store(standardFilePath());
    return store;
}

QString PreferenceStore::standardFilePath() {
    return QStandardPaths::writableLocation(QStandardPaths::AppConfigLocation) +
           QStringLiteral("/preferences.plist");
}

PreferenceStore::PreferenceStore(QString filePath) : filePath_(std::move(filePath)) {}

void PreferenceStore::registerDefaults(const QVariantMap& defaults) {
    const QMutexLocker lock(&mutex_);
    for (auto it = defaults.begin(); it != defaults.end(); ++it) {
        defaults_.insert(it.key(), it.value());
    }
}

QVariant PreferenceStore::value(const QString& key) const {
    const QMutexLocker lock(&mutex_);
    refreshLocked();
    const auto stored = stored_.constFind(key);
    if (stored != stored_.constEnd()) {
        return *stored;
    }
    return defaults_.value(key);
}

bool PreferenceStore::boolValue(const QString& key) const {
    const QVariant v = value(key);
    switch (v.typeId()) {
        case QMetaType::Bool:
            return v.toBool();
        case QMetaType::Int:
        case QMetaType::UInt:
        case QMetaType::LongLong:
        case QMetaType::ULongLong:
        case QMetaType::Double:
            return v.toDouble() != 0.0;
        case QMetaType::QString: {
            const QString text = v.toString().trimmed();
            return text.compare(u"YES", Qt::CaseInsensitive) == 0 ||
                   text.compare(u"true", Qt::CaseInsensitive) == 0 || text == u"1";
        }
        default:
            return false;
    }
}

QString PreferenceStore::stringValue(const QString& key) const {
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QString ? v.toString() : QString();
}

QVariantList PreferenceStore::arrayValue(const QString& key) const {
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QVariantList ? v.toList() : QVariantList();
}

QVariantMap PreferenceStore::dictionaryValue(const QString& key) const {
    const QVariant v = value(key);
    return v.typeId() == QMetaType::QVariantMap ? v.toMap() : QVariantMap();
}

bool PreferenceStore::setValue(const QString& key, const QVariant& value) {
    QVariantMap change;
    change.insert(key, value);
    return setValues(change);
}

bool PreferenceStore::setValues(const QVariantMap& values) {
    for (const QVariant& value : values) {
        if (value.isValid() && !hasPropertyListForm(value)) {
            return false;
        }
    }
    const QMutexLocker lock(&mutex_);
    return applyLocked(values);
}

bool PreferenceStore::removeValue(const QString& key) {
    return setValue(key, QVariant());
}

QVariantMap PreferenceStore::storedValues() const {
    const QMutexLocker lock(&mutex_);
    refreshLocked();
    return stored_;
}

QString PreferenceStore::keptAsidePath() const {
    const QMutexLocker lock(&mutex_);
    return keptAsidePath_;
}

bool PreferenceStore::fileUnreadable() const {
    const QMutexLocker lock(&mutex_);
    refreshLocked();
    return unreadable_;
}

PreferenceStore::FileStamp PreferenceStore::currentStamp() const {
    FileStamp stamp;
    std::error_code error;
    const std::filesystem::path path = nativePath(filePath_);
    stamp.exists = std::filesystem::exists(path, error);
    if (stamp.exists) {
        stamp.size = std::filesystem::file_size(path, error);
        stamp.modified = std::filesystem::last_write_time(path, error);
    }
    return stamp;
}

void PreferenceStore::refreshLocked() const {
    const FileStamp stamp = currentStamp();
    if (loaded_ && stamp == stamp_) {
        return;
    }
    loaded_ = true;
    stamp_ = stamp;
    const PropertyList::ReadResult read = PropertyList::readFile(filePath_);
    if (read.status == PropertyList::Status::Missing) {
        stored_.clear();
        unreadable_ = false;
    } else if (read.ok() && read.value.typeId() == QMetaType::QVariantMap) {
        stored_ = read.value.toMap();
        unreadable_ = false;
    } else {
        // Defaults stand in until the next write moves the file aside.
        stored_.clear();
        unreadable_ = true;
    }
}

bool PreferenceStore::applyLocked(const QVariantMap& values) {
    // Another process of the same user may write too: the lock makes read-change-write whole.
    const QString folder = QFileInfo(filePath_).absolutePath();
    QDir().mkpath(folder);
    QLockFile lockFile(filePath_ + QStringLiteral(".lock"));
    const bool locked = lockFile.tryLock(2000);

    refreshLocked();
    for (auto it = values.begin(); it != values.end(); ++it) {
        if (it.value().isValid()) {
            stored_.insert(it.key(), it.value());
        } else {
            stored_.remove(it.key());
        }
    }
    if (!locked) {
        return false;
    }
    if (unreadable_) {
        const QString aside = PropertyList::keepAside(filePath_);
        if (aside.isEmpty()) {
            return false;
        }
        keptAsidePath_ = aside;
        unreadable_ = false;
    }
    const bool written = PropertyList::writeFile(filePath_, stored_);
    stamp_ = currentStamp();
    return written;
}

}  // namespace plotwise
