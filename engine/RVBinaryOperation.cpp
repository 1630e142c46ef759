#include "engine/RVBinaryOperation.h"

#include <cmath>

#include "engine/DerivativeText.h"
#include "engine/MathFunctions.h"
#include "engine/OperationNode.h"
#include "engine/RVNumber.h"
#include "engine/RVRelationOperation.h"
#include "engine/RVVariable.h"
#include "engine/TextUtilities.h"

namespace plotwise {

RVBinaryOperation::RVBinaryOperation(RVToken token, std::unique_ptr<RVOperation> lvalue,
                                     std::unique_ptr<RVOperation> rvalue)
    : RVOperation(std::move(token)),
      lvalue_(adopt(std::move(lvalue))),
      rvalue_(adopt(std::move(rvalue))) {}

std::unique_ptr<RVBinaryOperation> RVBinaryOperation::binaryOperationWithOperatorToken(
    RVToken token, std::unique_ptr<RVOperation> lvalue, std::unique_ptr<RVOperation> rvalue) {
    if (token.type() == TOKEN_RELOP) {
        return std::make_unique<RVRelationOperation>(std::move(token), std::move(lvalue),
                                                     std::move(rvalue));
    }
    if (token.spelling() == u"^") {
        return std::make_unique<RVPowerOperation>(std::move(token), std::move(lvalue),
                                                  std::move(rvalue));
    }
    if (token.spelling() == u"√") {
        return std::make_unique<RVRootOperation>(std::move(token), std::move(lvalue),
                                                 std::move(rvalue));
    }
    return nullptr;
}

bool RVBinaryOperation::parenthesizesLeft(const RVOperation& left) const {
    return left.printingType() > token().type();
}

std::u16string RVBinaryOperation::description() const {
    auto operand = [](const RVOperation* node, bool parenthesize) {
        if (node == nullptr) {
            return std::u16string();
        }
        return parenthesize ? bracketed(node->description()) : node->description();
    };
    const bool left = lvalue_ && parenthesizesLeft(*lvalue_);
    const bool right = rvalue_ && rvalue_->printingType() > token().type();
    return operand(lvalue_.get(), left) + token().spelling() + operand(rvalue_.get(), right);
}

bool RVBinaryOperation::isConstant() const {
    return lvalue_ && rvalue_ && lvalue_->isConstant() && rvalue_->isConstant();
}

bool RVBinaryOperation::isSimplifiable() const {
    return lvalue_ && rvalue_ && lvalue_->isSimplifiable() && rvalue_->isSimplifiable();
}

void RVBinaryOperation::organize() {
    if (lvalue_) {
        lvalue_->organize();
    }
    if (rvalue_) {
        rvalue_->organize();
    }
}

bool RVBinaryOperation::simplify() {
    if (lvalue_ && lvalue_->simplify()) {
        return true;
    }
    return rvalue_ && rvalue_->simplify();
}

std::unique_ptr<RVOperation> RVBinaryOperation::setLvalue(std::unique_ptr<RVOperation> lvalue) {
    std::swap(lvalue_, lvalue);
    if (lvalue_) {
        lvalue_->setParent(this);
    }
    return lvalue;
}

std::unique_ptr<RVOperation> RVBinaryOperation::setRvalue(std::unique_ptr<RVOperation> rvalue) {
    std::swap(rvalue_, rvalue);
    if (rvalue_) {
        rvalue_->setParent(this);
    }
    return rvalue;
}

std::unique_ptr<RVOperation> RVBinaryOperation::replaceOperation(
    const RVOperation* old, std::unique_ptr<RVOperation> replacement) {
    if (old == nullptr) {
        return nullptr;
    }
    if (old == lvalue_.get()) {
        return setLvalue(std::move(replacement));
    }
    if (old == rvalue_.get()) {
        return setRvalue(std::move(replacement));
    }
    return nullptr;
}

void RVBinaryOperation::forEachChild(const std::function<void(const RVOperation&)>& visit) const {
    if (lvalue_) {
        visit(*lvalue_);
    }
    if (rvalue_) {
        visit(*rvalue_);
    }
}

// Powers and roots associate to the right, so a power or root as the left operand needs
// parentheses to read back: (a^b)^c is not a^b^c.
bool RVPowerOperation::parenthesizesLeft(const RVOperation& left) const {
    const int type = left.printingType();
    return type == TOKEN_POWER || type == TOKEN_ROOT || RVBinaryOperation::parenthesizesLeft(left);
}

bool RVRootOperation::parenthesizesLeft(const RVOperation& left) const {
    const int type = left.printingType();
    return type == TOKEN_POWER || type == TOKEN_ROOT || RVBinaryOperation::parenthesizesLeft(left);
}

bool RVPowerOperation::simplify() {
    const bool changed = RVBinaryOperation::simplify();
    if (parent() == nullptr) {
        return changed;
    }
    if (isConstant()) {
        auto self = replaceSelf(RVNumber::numberWithValue(value()));
        return true;
    }
    if (rvalue()->isConstant()) {
        const double exponent = rvalue()->value();
        if (exponent == 0.0) {
            auto self = replaceSelf(RVNumber::numberWithValue(1.0));
            return true;
        }
        if (exponent == 1.0) {
            auto self = replaceSelf(setLvalue(nullptr));
            return true;
        }
    }
    return changed;
}

void RVPowerOperation::derivateWithVariable(const RVVariable& variable) {
    const std::u16string a = lvalue()->description();
    const std::u16string b = rvalue()->description();
    const std::u16string v = variable.token().spelling();
    if (rvalue()->isConstant()) {
        // a^(1/n) for an odd n is the odd root n√a (math::powerValue), real for a negative base
        // too; the general rule's a^(b−1) is not, so it is differentiated as that root.
        const double exponent = rvalue()->value();
        if (std::fabs(exponent) < 1.0 && exponent != 0.0) {
            const double index = 1.0 / exponent;
            const double parity = std::fmod(index, 2.0);
            if (parity == 1.0 || parity == -1.0) {
                auto self = replaceByDerivativeText(
                    *this, rootDerivativeText(bracketed(plainDecimalText(index)), a, variable),
                    variable);
                return;
            }
        }
    }
    // The general rule, so variable exponents (x^x) work too; its second term vanishes after
    // simplification when the exponent is constant, taking ln of a negative base with it.
    const std::u16string text = fillTemplate(
        u"(%@)*(%@)^((%@)-1)*d/d%@(%@)+(%@)^(%@)*ln(%@)*d/d%@(%@)", {b, a, b, v, a, a, b, a, v, b});
    auto self = replaceByDerivativeText(*this, text, variable);
}

double RVPowerOperation::value() const {
    return math::powerValue(lvalue()->value(), rvalue()->value());
}

const OperationNode* RVPowerOperation::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.power(builder.compile(*lvalue()), builder.compile(*rvalue()));
}

bool RVRootOperation::simplify() {
    const bool changed = RVBinaryOperation::simplify();
    if (isConstant() && parent() != nullptr) {
        auto self = replaceSelf(RVNumber::numberWithValue(value()));
        return true;
    }
    return changed;
}

void RVRootOperation::derivateWithVariable(const RVVariable& variable) {
    const std::u16string n = lvalue()->description();
    const std::u16string a = rvalue()->description();
    const std::u16string v = variable.token().spelling();
    if (!dependsOnVariable(*lvalue(), variable)) {
        auto self = replaceByDerivativeText(*this, rootDerivativeText(n, a, variable), variable);
        return;
    }
    const std::u16string text =
        fillTemplate(u"1/(%@)*(%@)^(1/(%@)-1)*d/d%@(%@)+(%@)^(1/(%@))*ln(%@)*d/d%@(1/(%@))",
                     {n, a, n, v, a, a, n, a, v, n});
    auto self = replaceByDerivativeText(*this, text, variable);
}

double RVRootOperation::value() const {
    const double radicand = rvalue()->value();
    return math::rootValue(lvalue()->value(), radicand);
}

const OperationNode* RVRootOperation::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.root(builder.compile(*lvalue()), builder.compile(*rvalue()));
}

}  // namespace plotwise
