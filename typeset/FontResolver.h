#pragma once

#include <QFont>
#include <QString>

namespace plotwise {

// The one place where the named fonts of the design become installed fonts: "Marker Felt" is
// Comic Neue (fonts-comic-neue), "Helvetica-Bold" is Liberation Sans Bold (fonts-liberation2)
// and the system font is the application font. A face that is not installed falls back to the
// application font, so drawing never fails for want of a font. Needs a QGuiApplication.
class FontResolver {
public:
    enum class Face { MarkerFelt, HelveticaBold, System };

    // The face at a size in device-independent pixels.
    static QFont font(Face face, qreal pixelSize);
    // The family that stands in for the face on this system (resolved once, then kept).
    static QString family(Face face);
    // A font of `preferredFamily` when it is installed, else the application font's family.
    static QFont fontWithFamily(const QString& preferredFamily, qreal pixelSize,
                                QFont::Weight weight = QFont::Normal);
    // The application font's size in device-independent pixels.
    static qreal standardFontSize();
};

}  // namespace plotwise
