#include "app/shell/sharing/PlaneImageExport.h"

#include <QImage>
#include <QImageWriter>
#include <QPainter>
#include <QSaveFile>

#include "graph2d/view/PlaneFileWriter.h"

namespace plotwise {

QString writePngFile(const QImage& image, const QString& path) {
    if (image.isNull()) {
        return QStringLiteral("The graph has no image.");
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        const QString reason =
            file.error() != QFileDevice::NoError ? file.errorString() : writer.errorString();
        file.cancelWriting();
        return reason;
    }
    return file.commit() ? QString() : file.errorString();
}

bool exportPlaneImage(const QImage& image, const QString& path, const QString& format,
                      QString* error) {
    const auto report = [error](const QString& reason) {
        if (error != nullptr) {
            *error = reason;
        }
        return reason.isEmpty();
    };
    const auto planeFormat = PlaneFileWriter::formatNamed(format);
    if (!planeFormat) {
        return report(QStringLiteral("Unknown format \"%1\".").arg(format));
    }
    if (*planeFormat == PlaneFileFormat::Png) {
        return report(writePngFile(image, path));
    }
    if (image.isNull()) {
        return report(QStringLiteral("The graph has no image."));
    }
    // The vector formats measure in points: the image keeps its on-screen size and all its
    // pixels (QSvgGenerator embeds a drawn image as a PNG data URI).
    const QSizeF points = image.deviceIndependentSize();
    const QSize size = points.toSize().expandedTo(QSize(1, 1));
    const auto failure =
        PlaneFileWriter::write(path, *planeFormat, size, [&image, size](QPainter& painter) {
            painter.drawImage(QRectF(QPointF(), QSizeF(size)), image);
        });
    return report(failure.value_or(QString()));
}

}  // namespace plotwise
