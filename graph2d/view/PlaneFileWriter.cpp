#include "graph2d/view/PlaneFileWriter.h"

#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QImageWriter>
#include <QPageSize>
#include <QPainter>
#include <QPdfWriter>
#include <QSaveFile>
#include <QSvgGenerator>

namespace plotwise {

namespace {

// One point is one unit of the vector formats' coordinates.
constexpr int kPointsPerInch = 72;

// The file's own error when it has one ("No space left on device"), else `fallback`.
QString reason(const QFileDevice& file, const QString& fallback) {
    return file.error() != QFileDevice::NoError ? file.errorString() : fallback;
}

std::optional<QString> writePng(QFileDevice& file, QSize size, const PlaneFileWriter::Drawing& draw,
                                double pixelRatio) {
    QImage image((QSizeF(size) * pixelRatio).toSize(), QImage::Format_RGB32);
    if (image.isNull()) {
        return QStringLiteral("not enough memory for the image");
    }
    image.setDevicePixelRatio(pixelRatio);
    {
        QPainter painter(&image);
        draw(painter);
    }
    QImageWriter writer(&file, "png");
    if (!writer.write(image)) {
        return reason(file, writer.errorString());
    }
    return std::nullopt;
}

std::optional<QString> writeSvg(QFileDevice& file, QSize size,
                                const PlaneFileWriter::Drawing& draw) {
    QSvgGenerator generator;
    generator.setOutputDevice(&file);
    generator.setResolution(kPointsPerInch);
    generator.setSize(size);
    generator.setViewBox(QRect(QPoint(0, 0), size));
    generator.setTitle(QStringLiteral("Plotwise graph"));
    QPainter painter;
    if (!painter.begin(&generator)) {
        return reason(file, QStringLiteral("cannot start the SVG"));
    }
    draw(painter);
    painter.end();
    return file.error() != QFileDevice::NoError ? std::optional(file.errorString()) : std::nullopt;
}

std::optional<QString> writePdf(QFileDevice& file, QSize size,
                                const PlaneFileWriter::Drawing& draw) {
    QPdfWriter writer(&file);
    writer.setCreator(QStringLiteral("Plotwise"));
    writer.setTitle(QStringLiteral("Plotwise graph"));
    writer.setResolution(kPointsPerInch);
    writer.setPageMargins(QMarginsF(0, 0, 0, 0));
    if (!writer.setPageSize(
            QPageSize(QSizeF(size), QPageSize::Point, QString(), QPageSize::ExactMatch))) {
        return QStringLiteral("the page size is not usable");
    }
    QPainter painter;
    if (!painter.begin(&writer)) {
        return reason(file, QStringLiteral("cannot start the PDF"));
    }
    draw(painter);
    painter.end();
    return file.error() != QFileDevice::NoError ? std::optional(file.errorString()) : std::nullopt;
}

std::optional<QString> writeInto(QFileDevice& file, PlaneFileFormat format, QSize size,
                                 const PlaneFileWriter::Drawing& draw, double pixelRatio) {
    switch (format) {
        case PlaneFileFormat::Svg:
            return writeSvg(file, size, draw);
        case PlaneFileFormat::Pdf:
            return writePdf(file, size, draw);
        case PlaneFileFormat::Png:
            break;
    }
    return writePng(file, size, draw, pixelRatio);
}

}  // namespace

std::optional<PlaneFileFormat> PlaneFileWriter::formatNamed(const QString& name) {
    for (const PlaneFileFormat format :
         {PlaneFileFormat::Png, PlaneFileFormat::Svg, PlaneFileFormat::Pdf}) {
        if (name.compare(formatName(format), Qt::CaseInsensitive) == 0) {
            return format;
        }
    }
    return std::nullopt;
}

PlaneFileFormat PlaneFileWriter::formatForFileName(const QString& path) {
    const QString suffix = QFileInfo(path).suffix();
    const auto named = formatNamed(suffix);
    return named && *named != PlaneFileFormat::Png ? *named : PlaneFileFormat::Png;
}

QString PlaneFileWriter::formatName(PlaneFileFormat format) {
    switch (format) {
        case PlaneFileFormat::Svg:
            return QStringLiteral("svg");
        case PlaneFileFormat::Pdf:
            return QStringLiteral("pdf");
        case PlaneFileFormat::Png:
            break;
    }
    return QStringLiteral("png");
}

std::optional<QString> PlaneFileWriter::write(const QString& path, PlaneFileFormat format,
                                              QSize size, const Drawing& draw, double pixelRatio) {
    if (size.isEmpty() || !(pixelRatio > 0.0)) {
        return QStringLiteral("the plane has no area");
    }
    const QFileInfo info(path);
    if (info.exists() && !info.isFile()) {
        // Not a file to replace: renaming over a device would swap it for a plain file.
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly)) {
            return file.errorString();
        }
        if (auto error = writeInto(file, format, size, draw, pixelRatio)) {
            return error;
        }
        if (!file.flush()) {
            return file.errorString();
        }
        file.close();
        return file.error() != QFileDevice::NoError ? std::optional(file.errorString())
                                                    : std::nullopt;
    }
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly)) {
        return file.errorString();
    }
    if (auto error = writeInto(file, format, size, draw, pixelRatio)) {
        file.cancelWriting();
        return error;
    }
    if (!file.commit()) {
        return file.errorString();
    }
    return std::nullopt;
}

}  // namespace plotwise
