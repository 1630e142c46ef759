#include "RVParentheses.h"

#include "OperationNode.h"

namespace plotwise {

std::unique_ptr<RVParentheses> RVParentheses::parenthesesOpWithToken(
    RVToken token, std::unique_ptr<RVOperation> operation) {
    return std::make_unique<RVParentheses>(std::move(token), std::move(operation));
}

const OperationNode* RVParentheses::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.compile(*contents());
}

}  // namespace plotwise
