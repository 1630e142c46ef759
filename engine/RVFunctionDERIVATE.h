#pragma once

#include "engine/RVFunction.h"

namespace plotwise {

// d/dv(expression): arguments [variable, expression]. It has no value of its own (0) and
// compiles to the constant 0 until simplification replaces it by the derivative.
class RVFunctionDERIVATE : public RVFunction {
public:
    using RVFunction::RVFunction;

    double value() const override { return 0.0; }
    std::u16string description() const override;
    bool containsDerivative() const override { return true; }
    // Carries out one level of differentiation and puts the result in this node's place.
    bool simplify() override;
    // d/dx of a derivative node wraps its expression only: the variable argument stays.
    void derivateWithVariable(const RVVariable& variable) override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
};

}  // namespace plotwise
