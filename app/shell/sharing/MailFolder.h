#pragma once

#include <QString>

namespace plotwise {

// The folders that hold a mail's attachments, under the cache location. A mail client reads its
// attachments when it likes, after the application may have quit, so a folder outlives the
// launch that made it and is removed by a later launch. Each folder's name carries the process
// id of its launch, so a second running instance keeps the folders of the first.
class MailFolder {
public:
    // <cache>/mail
    static QString location();
    // A new folder only its owner may enter (mode 0700): its path, or empty with the reason
    // in `error`.
    static QString create(QString* error);
    // Removes the folders made by launches that are no longer running; never follows a link
    // and leaves anything it did not name alone. Returns how many folders it removed.
    static int removeStale();
};

}  // namespace plotwise
