#pragma once

#include <QByteArray>
#include <QString>
#include <QVariant>

namespace plotwise {

// XML property lists (version 1.0), the format of the library files and the preference store.
//
// Kinds: array (QVariantList; QStringList on writing), dictionary (QVariantMap; QVariantHash on
// writing), string (QString), Boolean (bool), integer (qlonglong, or qulonglong above the signed
// range), real (double), data (QByteArray) and date (QDateTime in UTC, whole seconds).
//
// Numbers never pass through the C library or QLocale, so the user's locale cannot change them.
// Reading refuses documents that declare entities (the XML reader would drop them silently) and
// containers nested deeper than maximumDepth.
class PropertyList {
public:
    static constexpr int maximumDepth = 64;
    // Larger files are refused rather than read into memory.
    static constexpr qint64 maximumFileSize = 64 * 1024 * 1024;

    enum class Status { Ok, Missing, Unreadable };

    struct ReadResult {
        Status status = Status::Unreadable;
        QVariant value;
        // Why the document was refused (English, for diagnostics).
        QString error;
        bool ok() const { return status == Status::Ok; }
    };

    static ReadResult read(const QByteArray& document);
    // Missing when the file does not exist; Unreadable when it exists but cannot be opened or
    // parsed.
    static ReadResult readFile(const QString& path);

    // The document, or an empty array when `value` holds a kind that has no plist form.
    // Characters that XML 1.0 cannot carry (most control characters, unpaired surrogates) are
    // written as U+FFFD so that the file always reads back.
    static QByteArray write(const QVariant& value, QString* error = nullptr);
    // Writes atomically (QSaveFile): the old file stays whole until the new one is complete.
    // Creates the folder when needed.
    static bool writeFile(const QString& path, const QVariant& value, QString* error = nullptr);

    // Renames an unreadable file to "<path>.unreadable-<UTC time>" (with a counter if taken) so
    // that nothing is ever written over it. Returns the new path, or an empty string on failure.
    static QString keepAside(const QString& path);

    PropertyList() = delete;
};

}  // namespace plotwise
