#pragma once

#include "RVFunction.h"

namespace plotwise {

// d/dv(expression): arguments [variable, expression]. It has no value of its own (0) and
// compiles to the constant 0 until simplification replaces it by the derivative.
class RVFunctionDERIVATE : public RVFunction {
public:
    using RVFunction::RVFunction;

    double value() const override { return 0.0; }
    std::u16string description() const override;
    bool containsDerivative() const override { return true; }
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
};

}  // namespace plotwise
