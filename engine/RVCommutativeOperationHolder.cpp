#include "engine/RVCommutativeOperationHolder.h"

#include "engine/OperationNode.h"
#include "engine/RVCommutativeOperation.h"
#include "engine/RVUnaryMinus.h"
#include "engine/TextUtilities.h"

namespace plotwise {

std::unique_ptr<RVCommutativeOperationHolder>
RVCommutativeOperationHolder::operationHolderWithToken(RVToken token,
                                                       std::unique_ptr<RVOperation> operation) {
    switch (token.type()) {
        case TOKEN_PLUS:
            return std::make_unique<RVPlusOperation>(std::move(token), std::move(operation));
        case TOKEN_MINUS:
            return std::make_unique<RVMinusOperation>(std::move(token), std::move(operation));
        case TOKEN_TIMES:
            return std::make_unique<RVTimesOperation>(std::move(token), std::move(operation));
        case TOKEN_DIVIDE:
            return std::make_unique<RVDivideOperation>(std::move(token), std::move(operation));
        default:
            return nullptr;
    }
}

double RVCommutativeOperationHolder::performOperationWithValue(double) const {
    return 0.0;
}

std::u16string RVCommutativeOperationHolder::operandDescription() const {
    const RVOperation* operand = contents();
    if (operand == nullptr) {
        return {};
    }
    const int holderType = token().type();
    bool parenthesize = false;
    if (dynamic_cast<const RVCommutativeOperation*>(operand) != nullptr) {
        // A sum under "-" and a product under "/" would otherwise read back with the operator
        // applied to their first operand only.
        parenthesize = operand->token().type() > holderType ||
                       ((holderType == TOKEN_MINUS || holderType == TOKEN_DIVIDE) &&
                        operand->token().hasSamePriorityAsToken(token()));
    } else if (dynamic_cast<const RVUnaryMinus*>(operand) != nullptr) {
        parenthesize = operand->token().type() > holderType;
    }
    return parenthesize ? bracketed(operand->description()) : operand->description();
}

std::u16string RVCommutativeOperationHolder::description() const {
    return token().spelling() + operandDescription();
}

const OperationNode* RVCommutativeOperationHolder::operationNodeCopy(
    OperationNodeBuilder& builder) const {
    return builder.compile(*contents());
}

}  // namespace plotwise
