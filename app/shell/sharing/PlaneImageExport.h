#pragma once

#include <QString>

class QImage;

namespace plotwise {

// Writes an image as a PNG through QSaveFile, so a failure leaves no partial file. Empty on
// success, else the reason.
QString writePngFile(const QImage& image, const QString& path);

// The export of a plane that exists only as pixels (the 3D plane): "png" writes the image as it
// is, "svg" embeds it as a PNG data URI image, "pdf" puts it on one page of its size in points.
// False with the reason in `error` (when given).
bool exportPlaneImage(const QImage& image, const QString& path, const QString& format,
                      QString* error);

}  // namespace plotwise
