#pragma once

#include <QColor>
#include <QString>

class QRandomGenerator;

// The colour text of stored equations and of the default-colour setting: six upper-case
// hexadecimal digits for an opaque colour, eight (alpha last) otherwise.
namespace plotwise {

// Components are clamped to [0, 1], scaled by 255 and rounded half away from zero. Alpha counts
// as opaque only when it is exactly 1. An invalid colour writes "000000".
QString hexStringFromColor(const QColor& color);

// Scans an unsigned hexadecimal number from the start (leading blanks and a "0x" prefix allowed;
// a value too large saturates). A text of exactly six characters is read as RGB, any other
// length as RGBA. No digits: an invalid colour.
QColor colorWithHexString(const QString& text);

// Red in bits 16-23, green 8-15, blue 0-7; opaque.
QColor colorWithRGBHex(quint32 value);
// Red in bits 24-31, green 16-23, blue 8-15, alpha 0-7.
QColor colorWithRGBAHex(quint32 value);

// The WCAG relative luminance of a colour (its alpha left out): 0 for black, 1 for white.
double relativeLuminance(const QColor& color);
// The WCAG contrast ratio of two colours, from 1 to 21.
double contrastRatio(const QColor& a, const QColor& b);

// The contrast a new random colour keeps against both plane backgrounds (white and black).
inline constexpr double kRandomColorContrast = 2.0;

// Red, green and blue each a uniform 32-bit random integer times 2^-32; opaque; drawn again
// while its contrast against white or against black is below kRandomColorContrast, so a new
// curve never vanishes into its background. Uniform over the colours that pass.
QColor randomColor(QRandomGenerator& generator);
QColor randomColor();

}  // namespace plotwise
