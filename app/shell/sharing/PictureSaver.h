#pragma once

#include <QDateTime>
#include <QString>

class QImage;

namespace plotwise {

// Writes an image as a PNG into a folder under a name made from the time ("Plotwise 2026-12-07
// 14.05.09.png"), never over an existing file: a taken name gets " 2", " 3"... The folder is
// made when missing. A failure leaves no file behind.
class PictureSaver {
public:
    struct Result {
        QString path;   // the written file, empty on failure
        QString error;  // why nothing was written, empty on success
        bool ok() const { return error.isEmpty(); }
    };

    static Result save(const QImage& image, const QString& folder, const QDateTime& time);
    // "Plotwise <date> <time>", with dots in the time: colons are not allowed on every file
    // system a phone's pictures may live on.
    static QString baseName(const QDateTime& time);

    // Names tried before giving up on a folder that is full of them.
    static constexpr int maximumAttempts = 10000;
};

}  // namespace plotwise
