#pragma once

#include "engine/RVWrapperOperation.h"

namespace plotwise {

// -operand.
class RVUnaryMinus : public RVWrapperOperation {
public:
    using RVWrapperOperation::RVWrapperOperation;
    static std::unique_ptr<RVUnaryMinus> unaryMinusWithToken(
        RVToken token, std::unique_ptr<RVOperation> operation);

    double value() const override { return -contentsValue(); }
    std::u16string description() const override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
    bool simplify() override;
};

}  // namespace plotwise
