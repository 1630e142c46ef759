#include "equations/ColorText.h"

#include <QRandomGenerator>
#include <algorithm>
#include <cmath>

namespace plotwise {

namespace {

quint32 byteOfComponent(double component) {
    const double clamped = std::clamp(component, 0.0, 1.0);
    // lround rounds halves away from zero.
    return static_cast<quint32>(std::lround(clamped * 255.0));
}

int hexDigitValue(QChar c) {
    const char16_t u = c.unicode();
    if (u >= u'0' && u <= u'9') {
        return u - u'0';
    }
    if (u >= u'a' && u <= u'f') {
        return u - u'a' + 10;
    }
    if (u >= u'A' && u <= u'F') {
        return u - u'A' + 10;
    }
    return -1;
}

}  // namespace

QString hexStringFromColor(const QColor& color) {
    if (!color.isValid()) {
        return QStringLiteral("000000");
    }
    // Extended RGB keeps components outside [0, 1]; other specs are converted first.
    const QColor rgb =
        color.spec() == QColor::Rgb || color.spec() == QColor::ExtendedRgb ? color : color.toRgb();
    const quint32 r = byteOfComponent(rgb.redF());
    const quint32 g = byteOfComponent(rgb.greenF());
    const quint32 b = byteOfComponent(rgb.blueF());
    if (rgb.alphaF() == 1.0f) {
        return QString::number((r << 16) | (g << 8) | b, 16).toUpper().rightJustified(6, u'0');
    }
    const quint32 a = byteOfComponent(rgb.alphaF());
    return QString::number((r << 24) | (g << 16) | (b << 8) | a, 16)
        .toUpper()
        .rightJustified(8, u'0');
}

QColor colorWithHexString(const QString& text) {
    qsizetype i = 0;
    while (i < text.size() && text[i].isSpace()) {
        ++i;
    }
    if (i + 2 < text.size() && text[i] == u'0' && (text[i + 1] == u'x' || text[i + 1] == u'X') &&
        hexDigitValue(text[i + 2]) >= 0) {
        i += 2;
    }
    quint64 value = 0;
    bool anyDigit = false;
    for (; i < text.size(); ++i) {
        const int digit = hexDigitValue(text[i]);
        if (digit < 0) {
            break;
        }
        anyDigit = true;
        value = std::min<quint64>(value * 16 + static_cast<quint64>(digit), 0xFFFFFFFFu);
    }
    if (!anyDigit) {
        return {};
    }
    const auto scanned = static_cast<quint32>(value);
    return text.size() == 6 ? colorWithRGBHex(scanned) : colorWithRGBAHex(scanned);
}

QColor colorWithRGBHex(quint32 value) {
    return QColor(static_cast<int>((value >> 16) & 0xFF), static_cast<int>((value >> 8) & 0xFF),
                  static_cast<int>(value & 0xFF));
}

QColor colorWithRGBAHex(quint32 value) {
    return QColor(static_cast<int>((value >> 24) & 0xFF), static_cast<int>((value >> 16) & 0xFF),
                  static_cast<int>((value >> 8) & 0xFF), static_cast<int>(value & 0xFF));
}

double relativeLuminance(const QColor& color) {
    const auto linear = [](double channel) {
        return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
    };
    return 0.2126 * linear(color.redF()) + 0.7152 * linear(color.greenF()) +
           0.0722 * linear(color.blueF());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

QColor randomColor(QRandomGenerator& generator) {
    constexpr double scale = 1.0 / 4294967296.0;
    // About two draws in three pass; the bound only guards against a broken generator.
    QColor color;
    for (int attempt = 0; attempt < 1000; ++attempt) {
        const double r = generator.generate() * scale;
        const double g = generator.generate() * scale;
        const double b = generator.generate() * scale;
        color = QColor::fromRgbF(static_cast<float>(r), static_cast<float>(g),
                                 static_cast<float>(b), 1.0f);
        if (contrastRatio(color, Qt::white) >= kRandomColorContrast &&
            contrastRatio(color, Qt::black) >= kRandomColorContrast) {
            break;
        }
    }
    return color;
}

QColor randomColor() {
    return randomColor(*QRandomGenerator::global());
}

}  // namespace plotwise
