#include "engine/RVOperationTree.h"

#include <array>
#include <cassert>

#include "engine/SimplificationBudget.h"

#include "engine/RVVariable.h"

namespace plotwise {

RVOperationTree::RVOperationTree(std::unique_ptr<RVOperation> root)
    : RVOperation(RVToken(TOKEN_UNKNOWN, u"root", 0)) {
    setRoot(std::move(root));
}

std::unique_ptr<RVOperationTree> RVOperationTree::operationTreeWithRootOperation(
    std::unique_ptr<RVOperation> root) {
    return std::make_unique<RVOperationTree>(std::move(root));
}

std::unique_ptr<RVOperation> RVOperationTree::setRoot(std::unique_ptr<RVOperation> root) {
    std::swap(root_, root);
    if (root_) {
        root_->setParent(this);
    }
    return root;
}

std::u16string RVOperationTree::description() const {
    return root_ ? root_->description() : std::u16string();
}

double RVOperationTree::value() const {
    return root_ ? root_->value() : 0.0;
}

void RVOperationTree::organize() {
    if (root_) {
        root_->organize();
    }
}

std::unique_ptr<RVOperation> RVOperationTree::replaceOperation(
    const RVOperation* old, std::unique_ptr<RVOperation> replacement) {
    if (old == nullptr || old != root_.get()) {
        return nullptr;
    }
    return setRoot(std::move(replacement));
}

std::vector<const RVVariable*> RVOperationTree::variables() const {
    std::vector<const RVVariable*> unique;
    if (!root_) {
        return unique;
    }
    std::array<bool, 6> seen{};
    for (const RVVariable* variable : root_->variables()) {
        const auto index = static_cast<size_t>(variable->variableIndex());
        if (!seen[index]) {
            seen[index] = true;
            unique.push_back(variable);
        }
    }
    return unique;
}

bool RVOperationTree::stepSimplify() {
    if (!root_) {
        return false;
    }
    root_->organize();
    const bool changed = root_->simplify();
    assert(hasConsistentParents());
    return changed;
}

bool RVOperationTree::simplify() {
    SimplificationBudget budget;
    simplificationExhausted_ = false;
    bool changed = false;
    for (;;) {
        budget.startPass();
        if (!stepSimplify()) {
            return changed;
        }
        changed = true;
        if (!budget.chargePass(nodeCount(*this))) {
            simplificationExhausted_ = true;
            return changed;
        }
    }
}

std::size_t nodeCount(const RVOperation& operation) {
    std::size_t count = 1;
    operation.forEachChild([&count](const RVOperation& child) { count += nodeCount(child); });
    return count;
}

const OperationNode* RVOperationTree::operationNodeCopy(OperationNodeBuilder& builder) const {
    return root_ ? builder.compile(*root_) : builder.constant(0.0);
}

void RVOperationTree::forEachChild(const std::function<void(const RVOperation&)>& visit) const {
    if (root_) {
        visit(*root_);
    }
}

}  // namespace plotwise
