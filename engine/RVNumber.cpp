#include "engine/RVNumber.h"

#include "engine/TextUtilities.h"

namespace plotwise {

RVNumber::RVNumber(RVToken token) : RVOperation(std::move(token)) {
    storedValue_ = decimalValue(this->token().spelling());
}

std::unique_ptr<RVNumber> RVNumber::numberWithToken(RVToken token) {
    return std::make_unique<RVNumber>(std::move(token));
}

std::unique_ptr<RVNumber> RVNumber::numberWithValue(double value) {
    auto number = std::make_unique<RVNumber>(RVToken(TOKEN_CONSTANT, plainDecimalText(value), 0));
    number->storedValue_ = value;
    return number;
}

void RVNumber::derivateWithVariable(const RVVariable&) {
    auto self = replaceSelf(numberWithValue(0.0));
}

int RVNumber::printingType() const {
    const auto& spelling = token().spelling();
    return !spelling.empty() && spelling.front() == u'-' ? TOKEN_MINUS : TOKEN_CONSTANT;
}

}  // namespace plotwise
