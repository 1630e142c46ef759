#include "engine/RVRelationOperation.h"

#include "engine/MathFunctions.h"
#include "engine/OperationNode.h"
#include "engine/RVVariable.h"

namespace plotwise {

RVRelationOperation::RVRelationOperation(RVToken token, std::unique_ptr<RVOperation> lvalue,
                                         std::unique_ptr<RVOperation> rvalue)
    : RVBinaryOperation(std::move(token), std::move(lvalue), std::move(rvalue)) {
    updateClassification();
    if (!isExplicit_ && this->token().spelling() != u"=") {
        equationType_ = EquationType::Inequality;
        const auto position = relationOperators.find(this->token().spelling());
        relopType_ = position == std::u16string_view::npos ? 0 : static_cast<int>(position);
    }
}

bool RVRelationOperation::determineIfExplicit() const {
    const auto* left = dynamic_cast<const RVVariable*>(lvalue());
    if (token().spelling() != u"=" || left == nullptr || rvalue() == nullptr) {
        return false;
    }
    unsigned char mask = coordinateSystemMasks[left->variableIndex()];
    for (const RVVariable* variable : rvalue()->variables()) {
        if (variable->variableIndex() == left->variableIndex()) {
            return false;
        }
        mask &= coordinateSystemMasks[variable->variableIndex()];
    }
    return mask != 0;
}

void RVRelationOperation::updateClassification() {
    isExplicit_ = determineIfExplicit();
    if (isExplicit_) {
        equationType_ = explicitTypeForSlot(
            static_cast<VariableSlot>(static_cast<const RVVariable*>(lvalue())->variableIndex()));
    }
}

bool RVRelationOperation::simplify() {
    const bool changed = RVBinaryOperation::simplify();
    updateClassification();
    return changed;
}

double RVRelationOperation::value() const {
    if (isExplicit_) {
        const double right = rvalue()->value();
        if (isAssignment_) {
            static_cast<const RVVariable*>(lvalue())->assignValue(right);
            return right;
        }
    }
    return math::relationValue(relopType_, lvalue()->value(), rvalue()->value());
}

const OperationNode* RVRelationOperation::operationNodeCopy(OperationNodeBuilder& builder) const {
    if (isExplicit_ && isAssignment_) {
        const auto* left = static_cast<const RVVariable*>(lvalue());
        return builder.assignment(left->operationNodeCopy(builder), builder.compile(*rvalue()));
    }
    return builder.relation(relopType_, builder.compile(*lvalue()), builder.compile(*rvalue()));
}

}  // namespace plotwise
