#pragma once

#include <string>

#include "engine/OperationNode.h"
#include "engine/RVOperation.h"

namespace plotwise {

// The holder of a parsed expression: its root, the whole source text and the variable table
// the variables point into (not owned; it must outlive the tree).
class RVOperationTree : public RVOperation {
public:
    explicit RVOperationTree(std::unique_ptr<RVOperation> root);
    static std::unique_ptr<RVOperationTree> operationTreeWithRootOperation(
        std::unique_ptr<RVOperation> root);

    RVOperation* root() const { return root_.get(); }
    // Installs a new root and hands back the old one.
    std::unique_ptr<RVOperation> setRoot(std::unique_ptr<RVOperation> root);

    std::u16string description() const override;
    double value() const override;
    bool isConstant() const override { return root_ && root_->isConstant(); }
    bool isSimplifiable() const override { return root_ && root_->isSimplifiable(); }
    void organize() override;
    std::unique_ptr<RVOperation> replaceOperation(
        const RVOperation* old, std::unique_ptr<RVOperation> replacement) override;
    // The root's variables without repeated indices, first occurrences in order.
    std::vector<const RVVariable*> variables() const override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
    void forEachChild(const std::function<void(const RVOperation&)>& visit) const override;

    // One simplification pass: organize, then simplify the root once. True when it changed the
    // tree (the derivative-steps list shows the tree after each pass).
    bool stepSimplify();
    // Passes until one changes nothing; true when any pass changed the tree. Differentiation
    // happens here: no derivative node survives a full simplification that stays in budget.
    bool simplify() override;
    // Whether the last simplify() stopped because the tree outgrew the simplification budget
    // ("Expression too complex"); the tree is then half-done and should be discarded.
    bool simplificationExhausted() const { return simplificationExhausted_; }

    // The compiled form of the whole tree.
    CompiledExpression compile() const { return compileOperation(*this); }

    const std::u16string& expressionString() const { return expressionString_; }
    void setExpressionString(std::u16string text) { expressionString_ = std::move(text); }
    double* variableTable() const { return variableTable_; }
    void setVariableTable(double* table) { variableTable_ = table; }

private:
    std::unique_ptr<RVOperation> root_;
    std::u16string expressionString_;
    double* variableTable_ = nullptr;
    bool simplificationExhausted_ = false;
};

// The message of a simplification that outgrew its budget.
inline constexpr std::u16string_view kExpressionTooComplex = u"Expression too complex";

// Counts the nodes of a subtree.
std::size_t nodeCount(const RVOperation& operation);

}  // namespace plotwise
