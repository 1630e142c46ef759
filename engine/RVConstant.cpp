#include "RVConstant.h"

#include <numbers>

namespace plotwise {

RVConstant::RVConstant(RVToken token) : RVOperation(std::move(token)) {
    if (this->token().spelling() == u"e") {
        storedValue_ = std::numbers::e;
    } else if (this->token().spelling() == u"π") {
        storedValue_ = std::numbers::pi;
    }
}

std::unique_ptr<RVConstant> RVConstant::constantWithToken(RVToken token) {
    return std::make_unique<RVConstant>(std::move(token));
}

}  // namespace plotwise
