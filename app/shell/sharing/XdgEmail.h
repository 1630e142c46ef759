#pragma once

#include <QString>
#include <QStringList>
#include <optional>

namespace plotwise {

// The desktop's mail composer reached through xdg-email (Debian's xdg-utils), which hands the
// subject, body and attachments to whichever mail client the user chose.
class XdgEmail {
public:
    // xdg-email on PATH, or empty when there is none or the desktop names no mail program
    // (xdg-email would then fail after the application had let go of it). An unknown answer
    // counts as a mail program, so xdg-email gets its chance.
    static QString programPath();
    // Exactly: --utf8 --subject <subject> --body <body>, then --attach <file> for each file.
    static QStringList arguments(const QString& subject, const QString& body,
                                 const QStringList& attachments);
    // Starts `program` with `arguments` directly (never through a shell), detached: it is never
    // waited for or ended, and keeps running when the application quits. Its standard streams
    // are /dev/null, so it neither holds the application's terminal or log pipe open nor dies
    // writing to it once the application is gone. The process id, or nothing with the reason
    // in `error`.
    static std::optional<qint64> start(const QString& program, const QStringList& arguments,
                                       QString* error);
};

}  // namespace plotwise
