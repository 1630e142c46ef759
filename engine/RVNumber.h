#pragma once

#include "engine/RVOperation.h"

namespace plotwise {

// A number literal, or a number made by folding.
class RVNumber : public RVOperation {
public:
    // The value is the spelling read as a decimal ("5." is 5).
    explicit RVNumber(RVToken token);
    static std::unique_ptr<RVNumber> numberWithToken(RVToken token);
    // The spelling is the plain decimal text of the value (see plainDecimalText).
    static std::unique_ptr<RVNumber> numberWithValue(double value);

    bool isConstant() const override { return true; }
    bool isSimplifiable() const override { return true; }
    // A negative number binds like a leading minus: (-3)^2 must keep its parentheses.
    int printingType() const override;
    void derivateWithVariable(const RVVariable& variable) override;
};

}  // namespace plotwise
