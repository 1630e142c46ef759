#pragma once

#include <QSize>
#include <QString>
#include <functional>
#include <optional>

class QPainter;

namespace plotwise {

enum class PlaneFileFormat { Png, Svg, Pdf };

// Writes a drawing of the plane to a file as a PNG, an SVG or a PDF, through the same painting
// code as the screen: curves become paths, regions filled polygons and labels text in the vector
// formats, and a page is the plane's size in points. The command line and the share menu both
// write through it.
class PlaneFileWriter {
public:
    // Paints the plane at the size given to write, in points.
    using Drawing = std::function<void(QPainter&)>;

    // "png", "svg" or "pdf", in any case.
    static std::optional<PlaneFileFormat> formatNamed(const QString& name);
    // SVG or PDF when the name ends in ".svg" or ".pdf" (any case), else PNG.
    static PlaneFileFormat formatForFileName(const QString& path);
    static QString formatName(PlaneFileFormat format);

    // Writes the whole file or reports why not (a folder that cannot be written, a full disk):
    // the reason, or nothing on success. A regular file is replaced atomically, so a failure
    // leaves no partial file behind; a device or pipe (/dev/stdout) is written in place. A PNG
    // has `pixelRatio` pixels per point.
    static std::optional<QString> write(const QString& path, PlaneFileFormat format, QSize size,
                                        const Drawing& draw, double pixelRatio = 1.0);
};

}  // namespace plotwise
