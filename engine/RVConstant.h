#pragma once

#include "engine/RVOperation.h"

namespace plotwise {

// The named constants e and π. Constant, but never folded into a number by simplification.
class RVConstant : public RVOperation {
public:
    explicit RVConstant(RVToken token);
    static std::unique_ptr<RVConstant> constantWithToken(RVToken token);

    bool isConstant() const override { return true; }
    bool isSimplifiable() const override { return false; }
    void derivateWithVariable(const RVVariable& variable) override;
};

}  // namespace plotwise
