#pragma once

#include <string>
#include <string_view>

#include "engine/RVToken.h"

namespace plotwise {

// Raised by take() when the expected character is missing; caught by the parser.
struct ScanException {
    std::u16string format;  // English format, translated with the context "Parser"
    std::u16string argument;
    int position = 0;
};

// Turns source text into tokens. Positions are UTF-16 indices into the source.
class RVScanner {
public:
    static constexpr std::u16string_view variableAlphabet = u"xyzrΘΦ";
    static constexpr std::u16string_view constants = u"eπ";
    static constexpr std::u16string_view addops = u"+-";
    static constexpr std::u16string_view mulops = u"*⋅×/";
    static constexpr std::u16string_view powops = u"^√";
    static constexpr std::u16string_view relops = u"=><≤≥≠";
    static constexpr std::u16string_view whites = u" \t\n\u00A0";
    static constexpr std::u16string_view alphas =
        u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz_";
    static constexpr std::u16string_view digits = u"0123456789";

    void setSource(std::u16string source);
    RVToken scan();

    // Class tests on a one-character string; the empty end-of-text character is in no class.
    static bool isVariable(std::u16string_view c);
    static bool isConstant(std::u16string_view c);
    static bool isAddop(std::u16string_view c);
    static bool isMulop(std::u16string_view c);
    static bool isPowop(std::u16string_view c);
    static bool isRelop(std::u16string_view c);
    static bool isWhite(std::u16string_view c);
    static bool isAlpha(std::u16string_view c);
    static bool isDigit(std::u16string_view c);
    static bool isAlphaNum(std::u16string_view c);

    const std::u16string& source() const { return source_; }
    int sourcePtr() const { return sourcePtr_; }

private:
    int scanToken();
    void nextChar();
    void takeIt();
    void take(char16_t expected);
    std::u16string_view currentChar() const {
        return atEnd_ ? std::u16string_view() : std::u16string_view(&currentChar_, 1);
    }

    std::u16string source_;
    int sourcePtr_ = 0;
    char16_t currentChar_ = 0;
    bool atEnd_ = true;
    std::u16string currentSpelling_;
    int currentType_ = TOKEN_EOF;
};

}  // namespace plotwise
