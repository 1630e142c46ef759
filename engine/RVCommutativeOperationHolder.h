#pragma once

#include "engine/RVWrapperOperation.h"

namespace plotwise {

// One operand of a sum or product, with the operator that applies it (+, -, ⋅, /).
class RVCommutativeOperationHolder : public RVWrapperOperation {
public:
    using RVWrapperOperation::RVWrapperOperation;
    // Plus, minus, times or divide token → the matching holder; nullptr for any other token.
    static std::unique_ptr<RVCommutativeOperationHolder> operationHolderWithToken(
        RVToken token, std::unique_ptr<RVOperation> operation);

    // The running value of the sum or product after this holder.
    virtual double performOperationWithValue(double value) const;
    // The operand's value, without the operator's sign.
    double value() const override { return contentsValue(); }
    std::u16string description() const override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
    // The operand as printed right after this holder's operator.
    std::u16string operandDescription() const;
};

class RVPlusOperation : public RVCommutativeOperationHolder {
public:
    using RVCommutativeOperationHolder::RVCommutativeOperationHolder;
    double performOperationWithValue(double value) const override {
        return contentsValue() + value;
    }
};

class RVMinusOperation : public RVCommutativeOperationHolder {
public:
    using RVCommutativeOperationHolder::RVCommutativeOperationHolder;
    double performOperationWithValue(double value) const override {
        return value - contentsValue();
    }
};

class RVTimesOperation : public RVCommutativeOperationHolder {
public:
    using RVCommutativeOperationHolder::RVCommutativeOperationHolder;
    double performOperationWithValue(double value) const override {
        return contentsValue() * value;
    }
};

class RVDivideOperation : public RVCommutativeOperationHolder {
public:
    using RVCommutativeOperationHolder::RVCommutativeOperationHolder;
    double performOperationWithValue(double value) const override {
        return value / contentsValue();
    }
};

}  // namespace plotwise
