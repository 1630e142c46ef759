#include "engine/RVToken.h"

#include <array>

#include "engine/TextUtilities.h"

namespace plotwise {

std::u16string_view RVToken::stringForTokenType(int type) {
    static constexpr std::array<std::u16string_view, 18> names = {
        u"(",   u")",     u"Constant", u"Number",    u"Variable",  u"Function",
        u"d/d", u"^",     u"√",        u"*",         u"/",         u"+",
        u"-",   u"Relop", u",",        u"TOKEN_EOL", u"TOKEN_EOF", u"Unknown",
    };
    if (type < 0 || type >= static_cast<int>(names.size())) {
        return u"Unknown";
    }
    return names[static_cast<size_t>(type)];
}

bool RVToken::hasSamePriorityAsToken(const RVToken& other) const {
    auto isMultiplicative = [](int t) { return t == TOKEN_TIMES || t == TOKEN_DIVIDE; };
    auto isAdditive = [](int t) { return t == TOKEN_PLUS || t == TOKEN_MINUS; };
    return type_ == other.type_ || (isMultiplicative(type_) && isMultiplicative(other.type_)) ||
           (isAdditive(type_) && isAdditive(other.type_));
}

std::u16string RVToken::description() const {
    return formatMessage(
        u"\"%@\" (%@:%@) pos:%@",
        {spelling_, std::u16string(stringForTokenType(type_)), toUtf16(std::to_string(type_)),
         toUtf16(std::to_string(locationInSource_))});
}

}  // namespace plotwise
