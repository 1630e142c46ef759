#pragma once

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "engine/RVToken.h"

namespace plotwise {

class RVVariable;
class OperationNodeBuilder;
struct OperationNode;

// A node of the expression tree. A container owns its children through unique_ptr and sets each
// child's parent, a plain back pointer; a node belongs to exactly one container at a time.
class RVOperation {
public:
    explicit RVOperation(RVToken token) : token_(std::move(token)) {}
    virtual ~RVOperation() = default;
    RVOperation(const RVOperation&) = delete;
    RVOperation& operator=(const RVOperation&) = delete;

    // Text that the parser reads back to an equivalent tree.
    virtual std::u16string description() const { return token_.spelling(); }
    // No variable in the subtree.
    virtual bool isConstant() const { return false; }
    // Foldable into one number: like isConstant, but e and π answer false.
    virtual bool isSimplifiable() const { return false; }
    // Replaces the child `old` by `replacement` (nullptr removes it where the container allows)
    // and hands back the detached old child, so a node may replace itself and stay alive until
    // the caller drops the result. A node that is not a child is ignored (nullptr returned).
    virtual std::unique_ptr<RVOperation> replaceOperation(const RVOperation* old,
                                                          std::unique_ptr<RVOperation> replacement);
    // Brings sums and products into canonical order, recursively.
    virtual void organize() {}
    // One simplification pass over the subtree; true when anything changed. A node that
    // rewrites itself replaces itself through its parent and touches none of its fields after.
    virtual bool simplify() { return false; }
    virtual double value() const { return storedValue_; }
    // Replaces this node, through its parent, by its derivative (which may hold new derivative
    // nodes for its parts).
    virtual void derivateWithVariable(const RVVariable& /*variable*/) {}
    // Appends every variable node of the subtree, left to right, duplicates included.
    virtual void collectVariables(std::vector<const RVVariable*>& out) const;
    virtual bool containsDerivative() const;
    // Compiles the subtree into records owned by the builder.
    virtual const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const;
    // Visits the direct children in order.
    virtual void forEachChild(const std::function<void(const RVOperation&)>& visit) const;

    // Every variable node of the subtree, left to right (the tree holder removes repeats).
    virtual std::vector<const RVVariable*> variables() const;
    // The token type that decides parentheses when this node is printed as an operand.
    virtual int printingType() const { return token_.type(); }

    const RVToken& token() const { return token_; }
    void setToken(RVToken token) { token_ = std::move(token); }
    RVOperation* parent() const { return parent_; }
    void setParent(RVOperation* parent) { parent_ = parent; }

    // True when every child in the subtree points back to its holder (checked by assertions).
    bool hasConsistentParents() const;

protected:
    // Puts `replacement` in this node's place in its parent. The detached node (this one) lives
    // until the caller drops the result, so the caller must return right after.
    [[nodiscard]] std::unique_ptr<RVOperation> replaceSelf(
        std::unique_ptr<RVOperation> replacement) {
        return parent_ ? parent_->replaceOperation(this, std::move(replacement)) : nullptr;
    }

    // Adopts a child: sets its parent and returns it for storing.
    std::unique_ptr<RVOperation> adopt(std::unique_ptr<RVOperation> child) {
        if (child) {
            child->setParent(this);
        }
        return child;
    }

    double storedValue_ = 0.0;

private:
    RVOperation* parent_ = nullptr;
    RVToken token_;
};

}  // namespace plotwise
