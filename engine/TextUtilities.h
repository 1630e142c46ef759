#pragma once

#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

// Text helpers of the engine. Numbers are read and written with <charconv> only, so the user's
// locale never changes a decimal point.
namespace plotwise {

std::u16string toUtf16(std::string_view utf8);
std::string toUtf8(std::u16string_view utf16);

// Fills each "%@" of the format, in order, with the next argument.
std::u16string formatMessage(std::u16string_view format, const std::vector<std::u16string>& args);

// The string searches of the scanner's character classes. An empty needle is never found.
bool containsString(std::u16string_view haystack, std::u16string_view needle,
                    bool ignoringCase = false);
std::u16string stringByTrimmingWhitespace(std::u16string_view text);
std::u16string asciiLowercase(std::u16string_view text);

// The parts joined in order, and "(" + text + ")". Built by appending: GCC 12's -Wrestrict
// misfires on literal + std::u16string at -O3.
std::u16string concatenated(std::initializer_list<std::u16string_view> parts);
inline std::u16string bracketed(std::u16string_view text) {
    return concatenated({u"(", text, u")"});
}

// A decimal literal as the scanner spells it ("12", "1.5", "5."), read as the nearest double.
// Literals too large for a double read as +infinity, too small ones as 0.
double decimalValue(std::u16string_view spelling);

// The plain decimal text of a double: shortest digits that read back to the same value, never an
// exponent. Non-finite values have no literal, so they print as quotients the parser reads back to
// the same value: "(1/0)", "(-1/0)" and "(0/0)".
std::u16string plainDecimalText(double value);

// printf's "%.10f", independent of the locale.
std::string fixedText(double value, int precision = 10);

// The shortest text that reads back to the same double (for JSON and diagnostics).
std::string shortestText(double value);

}  // namespace plotwise
