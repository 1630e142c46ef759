#include "engine/RVUnaryMinus.h"

#include "engine/OperationNode.h"
#include "engine/RVCommutativeOperation.h"
#include "engine/RVNumber.h"
#include "engine/TextUtilities.h"

namespace plotwise {

std::unique_ptr<RVUnaryMinus> RVUnaryMinus::unaryMinusWithToken(
    RVToken token, std::unique_ptr<RVOperation> operation) {
    return std::make_unique<RVUnaryMinus>(std::move(token), std::move(operation));
}

std::u16string RVUnaryMinus::description() const {
    const RVOperation* operand = contents();
    // A second minus right after the first does not parse ("--x"), so it gets parentheses too.
    const bool parenthesize = dynamic_cast<const RVCommutativeOperation*>(operand) != nullptr ||
                              (operand && operand->printingType() == TOKEN_MINUS);
    return parenthesize ? concatenated({u"-(", contentsDescription(), u")"})
                        : concatenated({u"-", contentsDescription()});
}

bool RVUnaryMinus::simplify() {
    const bool changed = RVWrapperOperation::simplify();
    if (contents()->isConstant() && parent() != nullptr) {
        auto self = replaceSelf(RVNumber::numberWithValue(-contents()->value()));
        return true;
    }
    return changed;
}

const OperationNode* RVUnaryMinus::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.negation(builder.compile(*contents()));
}

}  // namespace plotwise
