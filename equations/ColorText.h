#pragma once

#include <QColor>
#include <QString>

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

// Red, green and blue each a uniform 32-bit random integer times 2^-32; opaque.
QColor randomColor();

}  // namespace plotwise
