#include "engine/RVOperation.h"

#include "engine/OperationNode.h"

namespace plotwise {

std::unique_ptr<RVOperation> RVOperation::replaceOperation(const RVOperation*,
                                                           std::unique_ptr<RVOperation>) {
    return nullptr;
}

void RVOperation::collectVariables(std::vector<const RVVariable*>& out) const {
    forEachChild([&out](const RVOperation& child) { child.collectVariables(out); });
}

bool RVOperation::containsDerivative() const {
    bool found = false;
    forEachChild(
        [&found](const RVOperation& child) { found = found || child.containsDerivative(); });
    return found;
}

const OperationNode* RVOperation::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.constant(storedValue_);
}

void RVOperation::forEachChild(const std::function<void(const RVOperation&)>&) const {}

std::vector<const RVVariable*> RVOperation::variables() const {
    std::vector<const RVVariable*> out;
    collectVariables(out);
    return out;
}

bool RVOperation::hasConsistentParents() const {
    bool consistent = true;
    forEachChild([this, &consistent](const RVOperation& child) {
        consistent = consistent && child.parent() == this && child.hasConsistentParents();
    });
    return consistent;
}

}  // namespace plotwise
