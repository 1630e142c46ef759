#pragma once

#include <string>
#include <string_view>

namespace plotwise {

// Token types. The numbers are stored and also order printing: among 7..13 a smaller type binds
// tighter, so a node prints an operand in parentheses when the operand's type is greater.
enum TokenType : int {
    TOKEN_LPAREN = 0,
    TOKEN_RPAREN = 1,
    TOKEN_CONSTANT = 2,  // a number literal (the names are crossed on purpose)
    TOKEN_NUMBER = 3,    // e or π
    TOKEN_VARIABLE = 4,
    TOKEN_FUNCTION = 5,
    TOKEN_DERIVATIVE = 6,
    TOKEN_POWER = 7,
    TOKEN_ROOT = 8,
    TOKEN_TIMES = 9,
    TOKEN_DIVIDE = 10,
    TOKEN_PLUS = 11,
    TOKEN_MINUS = 12,
    TOKEN_RELOP = 13,
    TOKEN_COMMA = 14,
    TOKEN_EOL = 15,
    TOKEN_EOF = 16,
    TOKEN_UNKNOWN = 17,
};

// One lexical token: its type, its spelling and where it began in the source (UTF-16 index).
class RVToken {
public:
    RVToken() = default;
    RVToken(int type, std::u16string spelling, int locationInSource)
        : type_(type), spelling_(std::move(spelling)), locationInSource_(locationInSource) {}

    static RVToken tokenWithType(int type, std::u16string spelling, int position) {
        return RVToken(type, std::move(spelling), position);
    }
    // Ready-made operator tokens at position 0. plusToken..rootToken are the only tokens spelled
    // "*" for times; the scanner always normalises to "⋅".
    static RVToken plusToken() { return {TOKEN_PLUS, u"+", 0}; }
    static RVToken minusToken() { return {TOKEN_MINUS, u"-", 0}; }
    static RVToken timesToken() { return {TOKEN_TIMES, u"*", 0}; }
    static RVToken divideToken() { return {TOKEN_DIVIDE, u"/", 0}; }
    static RVToken powerToken() { return {TOKEN_POWER, u"^", 0}; }
    static RVToken rootToken() { return {TOKEN_ROOT, u"√", 0}; }

    // The printed name used in "expected" messages; only 0..17 are valid.
    static std::u16string_view stringForTokenType(int type);

    bool hasSamePriorityAsToken(const RVToken& other) const;
    std::u16string description() const;

    int type() const { return type_; }
    const std::u16string& spelling() const { return spelling_; }
    int locationInSource() const { return locationInSource_; }
    void setType(int type) { type_ = type; }
    void setSpelling(std::u16string spelling) { spelling_ = std::move(spelling); }
    void setLocationInSource(int location) { locationInSource_ = location; }

private:
    int type_ = TOKEN_UNKNOWN;
    std::u16string spelling_;
    int locationInSource_ = 0;
};

}  // namespace plotwise
