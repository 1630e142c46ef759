#include "engine/TextUtilities.h"

#include <array>
#include <charconv>
#include <cmath>
#include <limits>

namespace plotwise {

std::u16string toUtf16(std::string_view utf8) {
    std::u16string out;
    out.reserve(utf8.size());
    size_t i = 0;
    while (i < utf8.size()) {
        const auto c = static_cast<unsigned char>(utf8[i]);
        char32_t cp = 0xFFFD;
        size_t length = 1;
        if (c < 0x80) {
            cp = c;
        } else if ((c >> 5) == 0x6) {
            length = 2;
        } else if ((c >> 4) == 0xE) {
            length = 3;
        } else if ((c >> 3) == 0x1E) {
            length = 4;
        }
        if (length > 1) {
            if (i + length > utf8.size()) {
                cp = 0xFFFD;
                length = 1;
            } else {
                cp = c & (0x7F >> length);
                bool valid = true;
                for (size_t k = 1; k < length; ++k) {
                    const auto cc = static_cast<unsigned char>(utf8[i + k]);
                    if ((cc >> 6) != 0x2) {
                        valid = false;
                        break;
                    }
                    cp = (cp << 6) | (cc & 0x3F);
                }
                if (!valid || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
                    cp = 0xFFFD;
                    length = 1;
                }
            }
        }
        i += length;
        if (cp >= 0x10000) {
            cp -= 0x10000;
            out.push_back(static_cast<char16_t>(0xD800 + (cp >> 10)));
            out.push_back(static_cast<char16_t>(0xDC00 + (cp & 0x3FF)));
        } else {
            out.push_back(static_cast<char16_t>(cp));
        }
    }
    return out;
}

std::string toUtf8(std::u16string_view utf16) {
    std::string out;
    out.reserve(utf16.size());
    for (size_t i = 0; i < utf16.size(); ++i) {
        char32_t cp = utf16[i];
        if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < utf16.size() && utf16[i + 1] >= 0xDC00 &&
            utf16[i + 1] <= 0xDFFF) {
            cp = 0x10000 + ((cp - 0xD800) << 10) + (utf16[i + 1] - 0xDC00);
            ++i;
        } else if (cp >= 0xD800 && cp <= 0xDFFF) {
            cp = 0xFFFD;  // a lone surrogate
        }
        if (cp < 0x80) {
            out.push_back(static_cast<char>(cp));
        } else if (cp < 0x800) {
            out.push_back(static_cast<char>(0xC0 | (cp >> 6)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else if (cp < 0x10000) {
            out.push_back(static_cast<char>(0xE0 | (cp >> 12)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        } else {
            out.push_back(static_cast<char>(0xF0 | (cp >> 18)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 12) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | ((cp >> 6) & 0x3F)));
            out.push_back(static_cast<char>(0x80 | (cp & 0x3F)));
        }
    }
    return out;
}

std::u16string formatMessage(std::u16string_view format, const std::vector<std::u16string>& args) {
    std::u16string out;
    size_t next = 0;
    for (size_t i = 0; i < format.size(); ++i) {
        if (format[i] == u'%' && i + 1 < format.size() && format[i + 1] == u'@') {
            if (next < args.size()) {
                out += args[next];
            }
            ++next;
            ++i;
        } else {
            out.push_back(format[i]);
        }
    }
    return out;
}

namespace {
char16_t lowerAscii(char16_t c) {
    return (c >= u'A' && c <= u'Z') ? c + (u'a' - u'A') : c;
}
}  // namespace

bool containsString(std::u16string_view haystack, std::u16string_view needle, bool ignoringCase) {
    if (needle.empty()) {
        return false;
    }
    if (!ignoringCase) {
        return haystack.find(needle) != std::u16string_view::npos;
    }
    return asciiLowercase(haystack).find(asciiLowercase(needle)) != std::u16string::npos;
}

std::u16string concatenated(std::initializer_list<std::u16string_view> parts) {
    std::size_t length = 0;
    for (const auto part : parts) {
        length += part.size();
    }
    std::u16string out;
    out.reserve(length);
    for (const auto part : parts) {
        out.append(part);
    }
    return out;
}

std::u16string asciiLowercase(std::u16string_view text) {
    std::u16string out(text);
    for (auto& c : out) {
        c = lowerAscii(c);
    }
    return out;
}

std::u16string stringByTrimmingWhitespace(std::u16string_view text) {
    auto isSpace = [](char16_t c) {
        return c == u' ' || c == u'\t' || c == u'\n' || c == u'\r' || c == u'\v' || c == u'\f' ||
               c == u'\u00A0' || c == u'\u2028' || c == u'\u2029' || c == u'\u0085';
    };
    size_t begin = 0;
    size_t end = text.size();
    while (begin < end && isSpace(text[begin])) {
        ++begin;
    }
    while (end > begin && isSpace(text[end - 1])) {
        --end;
    }
    return std::u16string(text.substr(begin, end - begin));
}

double decimalValue(std::u16string_view spelling) {
    std::string ascii;
    ascii.reserve(spelling.size());
    for (char16_t c : spelling) {
        if ((c < u'0' || c > u'9') && c != u'.') {
            return std::numeric_limits<double>::quiet_NaN();
        }
        ascii.push_back(static_cast<char>(c));
    }
    double value = 0;
    const auto result =
        std::from_chars(ascii.data(), ascii.data() + ascii.size(), value, std::chars_format::fixed);
    if (result.ec == std::errc::result_out_of_range) {
        // Overflow when a non-zero digit stands before the point; otherwise an underflow.
        const size_t point = ascii.find('.');
        const std::string_view integral =
            std::string_view(ascii).substr(0, point == std::string::npos ? ascii.size() : point);
        return integral.find_first_not_of('0') != std::string_view::npos
                   ? std::numeric_limits<double>::infinity()
                   : 0.0;
    }
    if (result.ec != std::errc()) {
        return std::numeric_limits<double>::quiet_NaN();
    }
    return value;
}

std::u16string plainDecimalText(double value) {
    if (std::isnan(value)) {
        return u"(0/0)";
    }
    if (std::isinf(value)) {
        return value > 0 ? u"(1/0)" : u"(-1/0)";
    }
    // The longest shortest-round-trip fixed text of a double is about 330 characters.
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed);
    return toUtf16(
        std::string_view(buffer.data(), static_cast<size_t>(result.ptr - buffer.data())));
}

std::string fixedText(double value, int precision) {
    // A NaN's sign bit means nothing to a reader: never "-nan".
    if (std::isnan(value)) {
        return "nan";
    }
    std::array<char, 400> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value,
                                      std::chars_format::fixed, precision);
    return std::string(buffer.data(), result.ptr);
}

std::string shortestText(double value) {
    std::array<char, 64> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

}  // namespace plotwise
