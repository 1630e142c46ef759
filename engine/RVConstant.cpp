#include "engine/RVConstant.h"

#include <numbers>

#include "engine/RVNumber.h"

namespace plotwise {

RVConstant::RVConstant(RVToken token) : RVOperation(std::move(token)) {
    if (this->token().spelling() == u"e") {
        storedValue_ = std::numbers::e;
    } else if (this->token().spelling() == u"π") {
        storedValue_ = std::numbers::pi;
    }
}

void RVConstant::derivateWithVariable(const RVVariable&) {
    auto self = replaceSelf(RVNumber::numberWithValue(0.0));
}

std::unique_ptr<RVConstant> RVConstant::constantWithToken(RVToken token) {
    return std::make_unique<RVConstant>(std::move(token));
}

}  // namespace plotwise
