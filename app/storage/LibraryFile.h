#pragma once

#include <QByteArray>
#include <QString>
#include <QVariantList>

#include "app/storage/LibraryStorage.h"

namespace plotwise {

// One library file as one library screen holds it open. Every read and write happens under the
// file's lock file, which every process takes. The file is remembered as it was read or last
// written (size, time and content hash): when another program has changed it since, its version
// is copied aside as "<file>.changed-<UTC time>" before this one is written, and an unreadable
// file is copied aside as "<file>.unreadable-<UTC time>" by the first write, so neither is lost.
// The new version then replaces the file in one rename, so a reader never finds it missing.
// Items that gave no equation are written back after the shown entries.
// Not thread-safe: one thread at a time (the screen loads on a worker, then saves on its own).
class LibraryFile {
public:
    static constexpr int lockTimeoutMilliseconds = 5000;

    // `fileName` is one of the library files, in LibraryStorage::libraryFilePath's folder.
    explicit LibraryFile(QString fileName);

    const QString& fileName() const { return fileName_; }
    QString path() const;

    // The library as the screen shows it: the file's equations, or the examples when it is
    // missing or unreadable. Equations parse against `table`, which must outlive them.
    LibraryStorage::Library load(double* table);

    struct SaveResult {
        bool saved = false;
        // Where a version this screen had not seen, or the unreadable file, was copied; "" if
        // nothing was.
        QString keptAside;
        // The kept-aside file was the unreadable one (not another program's version).
        bool keptUnreadable = false;
        // Why nothing was written.
        QString error;
    };
    // Writes `states` and then the unread items, atomically (QSaveFile).
    SaveResult save(const QVariantList& states);

    // What the last load could not read, written back by every save.
    const QVariantList& unreadItems() const { return unreadItems_; }
    // The file was there but could not be read, and has not been kept aside yet.
    bool unreadable() const { return unreadable_; }

private:
    struct Stamp {
        bool exists = false;
        qint64 size = 0;
        qint64 modified = 0;
        QByteArray hash;
    };
    Stamp diskStamp() const;
    // Whether the file differs from what was read or last written.
    bool changedSinceRemembered(const Stamp& now) const;

    QString fileName_;
    Stamp remembered_;
    QVariantList unreadItems_;
    bool unreadable_ = false;
};

}  // namespace plotwise
