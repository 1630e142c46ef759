#include "typeset/FontResolver.h"

#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>

#include <algorithm>
#include <array>
#include <cmath>
#include <optional>

namespace plotwise {

namespace {

QString preferredFamily(FontResolver::Face face) {
    switch (face) {
        case FontResolver::Face::MarkerFelt:
            return QStringLiteral("Comic Neue");
        case FontResolver::Face::HelveticaBold:
            return QStringLiteral("Liberation Sans");
        case FontResolver::Face::System:
            break;
    }
    return QGuiApplication::font().family();
}

QFont::Weight weightOf(FontResolver::Face face) {
    return face == FontResolver::Face::HelveticaBold ? QFont::Bold : QFont::Normal;
}

QFont sized(QFont font, qreal pixelSize) {
    // QFont takes whole pixels; the formula sizes are whole numbers anyway.
    font.setPixelSize(std::max(1, static_cast<int>(std::lround(pixelSize))));
    // Unhinted outlines measure the same at every pixel ratio, so a box measured once fits the
    // drawing on any screen.
    font.setHintingPreference(QFont::PreferNoHinting);
    return font;
}

}  // namespace

QFont FontResolver::fontWithFamily(const QString& preferredFamily, qreal pixelSize,
                                   QFont::Weight weight) {
    QFont font = QGuiApplication::font();
    if (QFontDatabase::hasFamily(preferredFamily)) {
        font = QFont(preferredFamily);
    }
    font.setWeight(weight);
    font.setStyle(QFont::StyleNormal);
    return sized(font, pixelSize);
}

QString FontResolver::family(Face face) {
    if (face == Face::System) {
        return QGuiApplication::font().family();
    }
    // Looked up once per face: the font database does not change while the application runs,
    // and the formula layout asks for a font at every node.
    static std::array<std::optional<QString>, 3> resolved;
    std::optional<QString>& entry = resolved[static_cast<size_t>(face)];
    if (!entry) {
        const QString wanted = preferredFamily(face);
        entry = QFontDatabase::hasFamily(wanted) ? wanted : QGuiApplication::font().family();
    }
    return *entry;
}

QFont FontResolver::font(Face face, qreal pixelSize) {
    if (face == Face::System) {
        return sized(QGuiApplication::font(), pixelSize);
    }
    QFont font(family(face));
    font.setWeight(weightOf(face));
    font.setStyle(QFont::StyleNormal);
    return sized(font, pixelSize);
}

qreal FontResolver::standardFontSize() {
    const QFont font = QGuiApplication::font();
    if (font.pixelSize() > 0) {
        return font.pixelSize();
    }
    // Point sizes follow the screen's logical resolution; the layout works in pixels.
    return QFontInfo(font).pixelSize();
}

}  // namespace plotwise
