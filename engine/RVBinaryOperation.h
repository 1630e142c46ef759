#pragma once

#include "engine/RVOperation.h"

namespace plotwise {

// A two-operand operator. The parser builds only the three subclasses.
class RVBinaryOperation : public RVOperation {
public:
    RVBinaryOperation(RVToken token, std::unique_ptr<RVOperation> lvalue,
                      std::unique_ptr<RVOperation> rvalue);
    // "^" → power, "√" → root, a relation token → relation; nullptr for anything else.
    static std::unique_ptr<RVBinaryOperation> binaryOperationWithOperatorToken(
        RVToken token, std::unique_ptr<RVOperation> lvalue, std::unique_ptr<RVOperation> rvalue);

    std::u16string description() const override;
    bool isConstant() const override;
    bool isSimplifiable() const override;
    void organize() override;
    // The left operand's pass; the right one's only when the left changed nothing.
    bool simplify() override;
    std::unique_ptr<RVOperation> replaceOperation(
        const RVOperation* old, std::unique_ptr<RVOperation> replacement) override;
    void forEachChild(const std::function<void(const RVOperation&)>& visit) const override;

    RVOperation* lvalue() const { return lvalue_.get(); }
    RVOperation* rvalue() const { return rvalue_.get(); }
    std::unique_ptr<RVOperation> setLvalue(std::unique_ptr<RVOperation> lvalue);
    std::unique_ptr<RVOperation> setRvalue(std::unique_ptr<RVOperation> rvalue);

protected:
    // Whether the left operand needs parentheses to read back as this node's left operand.
    virtual bool parenthesizesLeft(const RVOperation& left) const;

private:
    std::unique_ptr<RVOperation> lvalue_;
    std::unique_ptr<RVOperation> rvalue_;
};

// a^b, with the real-root rules of math::powerValue.
class RVPowerOperation : public RVBinaryOperation {
public:
    using RVBinaryOperation::RVBinaryOperation;
    double value() const override;
    bool simplify() override;
    void derivateWithVariable(const RVVariable& variable) override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;

protected:
    bool parenthesizesLeft(const RVOperation& left) const override;
};

// n√a: the n-th root of a (lvalue the index, rvalue the radicand).
class RVRootOperation : public RVBinaryOperation {
public:
    using RVBinaryOperation::RVBinaryOperation;
    double value() const override;
    bool simplify() override;
    void derivateWithVariable(const RVVariable& variable) override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;

protected:
    bool parenthesizesLeft(const RVOperation& left) const override;
};

}  // namespace plotwise
