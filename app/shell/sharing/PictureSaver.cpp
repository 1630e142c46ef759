#include "app/shell/sharing/PictureSaver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QImage>

#include "app/shell/sharing/PlaneImageExport.h"

namespace plotwise {

namespace {

enum class Reservation { Made, Taken, Failed };

// Creates `path` only if nothing is there, so a name another program took meanwhile is never
// reused; `error` gets the reason of a failure.
Reservation reserve(const QString& path, QString* error) {
    QFile file(path);
    if (file.open(QIODevice::WriteOnly | QIODevice::NewOnly)) {
        return Reservation::Made;
    }
    if (QFileInfo::exists(path) || QFileInfo(path).isSymLink()) {
        return Reservation::Taken;
    }
    *error = file.errorString();
    return Reservation::Failed;
}

}  // namespace

QString PictureSaver::baseName(const QDateTime& time) {
    return QStringLiteral("Plotwise ") + time.toString(QStringLiteral("yyyy-MM-dd HH.mm.ss"));
}

PictureSaver::Result PictureSaver::save(const QImage& image, const QString& folder,
                                        const QDateTime& time) {
    if (image.isNull()) {
        return {{}, QStringLiteral("The graph has no image.")};
    }
    if (folder.isEmpty()) {
        return {{}, QStringLiteral("There is no pictures folder.")};
    }
    if (!QDir().mkpath(folder)) {
        const QFileInfo info(folder);
        return {{},
                info.exists() && !info.isDir() ? QStringLiteral("It is not a folder.")
                                               : QStringLiteral("The folder cannot be made.")};
    }
    const QString stem = QDir(folder).filePath(baseName(time));
    for (int attempt = 1; attempt <= maximumAttempts; ++attempt) {
        const QString path = attempt == 1 ? stem + QStringLiteral(".png")
                                          : stem + QStringLiteral(" %1.png").arg(attempt);
        QString error;
        const Reservation reservation = reserve(path, &error);
        if (reservation == Reservation::Taken) {
            continue;
        }
        if (reservation == Reservation::Failed) {
            return {{}, error};
        }
        // The empty reservation is ours: the finished file replaces it in one rename.
        if (error = writePngFile(image, path); !error.isEmpty()) {
            QFile::remove(path);
            return {{}, error};
        }
        return {path, {}};
    }
    return {{}, QStringLiteral("Every name for the picture is taken.")};
}

}  // namespace plotwise
