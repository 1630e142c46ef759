#include "engine/RVParentheses.h"

#include "engine/OperationNode.h"
#include "engine/RVFunction.h"
#include "engine/RVOperationTree.h"
#include "engine/RVVariable.h"

namespace plotwise {

std::unique_ptr<RVParentheses> RVParentheses::parenthesesOpWithToken(
    RVToken token, std::unique_ptr<RVOperation> operation) {
    return std::make_unique<RVParentheses>(std::move(token), std::move(operation));
}

bool RVParentheses::simplify() {
    const bool changed = RVWrapperOperation::simplify();
    const RVOperation* inside = contents();
    const RVOperation* holder = parent();
    // Brackets stay only around a group with variables inside a sum, product, power or minus.
    const bool redundant = inside->isConstant() ||
                           dynamic_cast<const RVOperationTree*>(holder) != nullptr ||
                           dynamic_cast<const RVFunction*>(holder) != nullptr ||
                           dynamic_cast<const RVParentheses*>(holder) != nullptr ||
                           dynamic_cast<const RVVariable*>(inside) != nullptr;
    if (redundant && holder != nullptr) {
        auto self = replaceSelf(takeContents());
        return true;
    }
    return changed;
}

const OperationNode* RVParentheses::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.compile(*contents());
}

}  // namespace plotwise
