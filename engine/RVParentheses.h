#pragma once

#include "engine/RVWrapperOperation.h"
#include "engine/TextUtilities.h"

namespace plotwise {

// (operand): kept in the tree so that printing and typesetting show what the user grouped.
class RVParentheses : public RVWrapperOperation {
public:
    using RVWrapperOperation::RVWrapperOperation;
    static std::unique_ptr<RVParentheses> parenthesesOpWithToken(
        RVToken token, std::unique_ptr<RVOperation> operation);

    double value() const override { return contentsValue(); }
    std::u16string description() const override { return bracketed(contentsDescription()); }
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
    bool simplify() override;
};

}  // namespace plotwise
