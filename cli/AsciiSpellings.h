#pragma once

#include <string>
#include <vector>

#include "engine/ExpressionParsing.h"

namespace plotwise::cli {

// What a terminal user types for the language's symbols (theta Θ, phi Φ, pi π, sqrt( √(, <= ≤,
// >= ≥, != ≠, * ⋅), replaced by the symbols before parsing, with the way back from a position
// in the replaced text to the typed one. The application's language itself is unchanged.
class AsciiSpellings {
public:
    static AsciiSpellings of(const std::u16string& typed);

    const std::u16string& text() const { return text_; }
    // The typed position (UTF-16 index) of the replaced text's position `position`; its end
    // maps to the typed text's end.
    unsigned typedPosition(unsigned position) const;

private:
    std::u16string text_;
    // For each character of text_, where it starts in the typed text; then the typed length.
    std::vector<unsigned> typed_;
};

// Parses a command-line expression (UTF-8) with its ASCII spellings replaced; an error position
// points into the text as typed.
ParsedExpression parseTypedExpression(const std::string& typed, double* table);

}  // namespace plotwise::cli
