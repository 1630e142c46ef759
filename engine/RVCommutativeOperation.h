#pragma once

#include <vector>

#include "engine/RVCommutativeOperationHolder.h"

namespace plotwise {

// A sum (plus token) or product (times token): a list of holders folded left from `modulo`
// (0 for sums, 1 for products), so a/b⋅c is ((1⋅a)/b)⋅c.
class RVCommutativeOperation : public RVOperation {
public:
    explicit RVCommutativeOperation(RVToken token);
    static std::unique_ptr<RVCommutativeOperation> commutativeOperationWithToken(RVToken token);

    void appendOperationHolder(std::unique_ptr<RVCommutativeOperationHolder> holder);
    // Wraps the operand in the holder for the operator token; an operator that makes no holder
    // is ignored.
    void appendOperation(std::unique_ptr<RVOperation> operation, RVToken opToken);

    double value() const override;
    std::u16string description() const override;
    bool isConstant() const override;
    bool isSimplifiable() const override;
    // Organizes every operand, then sorts the holders into canonical order.
    void organize() override;
    bool simplify() override;
    void derivateWithVariable(const RVVariable& variable) override;
    std::unique_ptr<RVOperation> replaceOperation(
        const RVOperation* old, std::unique_ptr<RVOperation> replacement) override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
    void forEachChild(const std::function<void(const RVOperation&)>& visit) const override;

    double modulo() const { return modulo_; }
    bool isSum() const { return token().type() == TOKEN_PLUS || token().type() == TOKEN_MINUS; }
    bool isProduct() const { return token().type() == TOKEN_TIMES; }
    const std::vector<std::unique_ptr<RVCommutativeOperationHolder>>& contents() const {
        return contents_;
    }
    // Replaces the whole list of holders and hands back the old one.
    std::vector<std::unique_ptr<RVCommutativeOperationHolder>> setContents(
        std::vector<std::unique_ptr<RVCommutativeOperationHolder>> contents);

private:
    // Simplification steps; each answers whether it changed the list. A step that replaced this
    // node answers through `replaced` and the caller must return at once.
    bool removeNeutralOperands(bool& replaced);
    bool foldLeadingNumbers();
    bool replaceBySingleOperand();
    bool flattenIntoParent();
    void insertHolder(std::size_t index, std::unique_ptr<RVCommutativeOperationHolder> holder);
    std::unique_ptr<RVCommutativeOperationHolder> removeHolder(std::size_t index);

    std::vector<std::unique_ptr<RVCommutativeOperationHolder>> contents_;
    double modulo_ = 0.0;
};

}  // namespace plotwise
