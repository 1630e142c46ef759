#include "cli/AsciiSpellings.h"

#include <array>
#include <string_view>
#include <utility>

#include "engine/TextUtilities.h"

namespace plotwise::cli {

namespace {

// Longer spellings first where one begins another.
constexpr std::array<std::pair<std::u16string_view, char16_t>, 8> kSpellings = {{
    {u"theta", u'Θ'},
    {u"phi", u'Φ'},
    {u"pi", u'π'},
    {u"sqrt(", u'√'},  // the parenthesis is kept: see below
    {u"<=", u'≤'},
    {u">=", u'≥'},
    {u"!=", u'≠'},
    {u"*", u'⋅'},
}};

}  // namespace

AsciiSpellings AsciiSpellings::of(const std::u16string& typed) {
    AsciiSpellings spellings;
    std::size_t i = 0;
    while (i < typed.size()) {
        const std::u16string_view rest = std::u16string_view(typed).substr(i);
        bool replaced = false;
        for (const auto& [ascii, symbol] : kSpellings) {
            if (rest.starts_with(ascii)) {
                spellings.text_.push_back(symbol);
                spellings.typed_.push_back(static_cast<unsigned>(i));
                // "sqrt(" becomes "√(": its parenthesis stays where it was typed.
                const std::size_t length = ascii.back() == u'(' ? ascii.size() - 1 : ascii.size();
                i += length;
                replaced = true;
                break;
            }
        }
        if (!replaced) {
            spellings.text_.push_back(typed[i]);
            spellings.typed_.push_back(static_cast<unsigned>(i));
            ++i;
        }
    }
    spellings.typed_.push_back(static_cast<unsigned>(typed.size()));
    return spellings;
}

unsigned AsciiSpellings::typedPosition(unsigned position) const {
    return position < typed_.size() ? typed_[position] : typed_.back();
}

ParsedExpression parseTypedExpression(const std::string& typed, double* table) {
    const AsciiSpellings spellings = AsciiSpellings::of(toUtf16(typed));
    ParsedExpression parsed = parseExpression(spellings.text(), table);
    if (!parsed.tree) {
        parsed.errorPosition = spellings.typedPosition(parsed.errorPosition);
    }
    return parsed;
}

}  // namespace plotwise::cli
