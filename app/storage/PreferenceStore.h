#pragma once

#include <QMutex>
#include <QString>
#include <QVariant>
#include <QVariantMap>
#include <cstdint>
#include <filesystem>

namespace plotwise {

// The per-user preference store: defaults registered by the running process, over a dictionary
// persisted as a property list. Every change is written at once and atomically; changes that
// another process made to the file are picked up on the next read or write. A file that exists
// but cannot be read is renamed aside before anything is written in its place, so it is never
// lost. Thread-safe.
class PreferenceStore {
public:
    // The store of the running application: "preferences.plist" in
    // QStandardPaths::AppConfigLocation, fixed at the first call.
    static PreferenceStore& standard();
    static QString standardFilePath();

    explicit PreferenceStore(QString filePath);
    PreferenceStore(const PreferenceStore&) = delete;
    PreferenceStore& operator=(const PreferenceStore&) = delete;

    const QString& filePath() const { return filePath_; }

    // Kept in memory for this process only; a key never stored reads as its default.
    void registerDefaults(const QVariantMap& defaults);

    // The stored value, else the registered default, else an invalid QVariant.
    QVariant value(const QString& key) const;
    // A Boolean, a number (non-zero) or the texts "YES", "true", "1" (any case) read as true.
    bool boolValue(const QString& key) const;
    // A text, else "".
    QString stringValue(const QString& key) const;
    // An array, else an empty list.
    QVariantList arrayValue(const QString& key) const;
    // A dictionary, else an empty map.
    QVariantMap dictionaryValue(const QString& key) const;

    // Store `value` under `key` (an invalid QVariant removes the key). Returns whether the file
    // was written; the change is kept in memory either way. Values must have a property-list
    // form; one that has none is refused and changes nothing.
    bool setValue(const QString& key, const QVariant& value);
    // Several changes in one write.
    bool setValues(const QVariantMap& values);
    bool removeValue(const QString& key);

    // What the file holds (without defaults).
    QVariantMap storedValues() const;
    // The path the last unreadable file was moved to, or "" if none was.
    QString keptAsidePath() const;
    // The file exists but could not be read; the next write moves it aside.
    bool fileUnreadable() const;

private:
    struct FileStamp {
        bool exists = false;
        std::uintmax_t size = 0;
        std::filesystem::file_time_type modified{};
        bool operator==(const FileStamp&) const = default;
    };

    FileStamp currentStamp() const;
    // Re-reads the file when it changed since it was last read or written.
    void refreshLocked() const;
    bool applyLocked(const QVariantMap& values);

    QString filePath_;
    mutable QMutex mutex_;
    QVariantMap defaults_;
    mutable QVariantMap stored_;
    mutable FileStamp stamp_;
    mutable bool loaded_ = false;
    // The file exists but could not be read: it must be moved aside before the next write.
    mutable bool unreadable_ = false;
    QString keptAsidePath_;
};

}  // namespace plotwise
