#include "engine/RVVariable.h"

#include <cassert>

#include "engine/OperationNode.h"
#include "engine/RVNumber.h"
#include "engine/RVScanner.h"

namespace plotwise {

RVVariable::RVVariable(RVToken token, double* variableTable)
    : RVOperation(std::move(token)), variableTable_(variableTable) {
    assert(variableTable_ != nullptr);
    const auto index = RVScanner::variableAlphabet.find(this->token().spelling());
    variableIndex_ = index == std::u16string_view::npos ? 0 : static_cast<int>(index);
}

std::unique_ptr<RVVariable> RVVariable::variableWithToken(RVToken token, double* variableTable) {
    return std::make_unique<RVVariable>(std::move(token), variableTable);
}

void RVVariable::collectVariables(std::vector<const RVVariable*>& out) const {
    out.push_back(this);
}

const OperationNode* RVVariable::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.variable(variableTable_ + variableIndex_);
}

void RVVariable::derivateWithVariable(const RVVariable& variable) {
    const bool same = variable.variableIndex() == variableIndex_;
    auto self = replaceSelf(RVNumber::numberWithValue(same ? 1.0 : 0.0));
}

char16_t RVVariable::letter() const {
    return RVScanner::variableAlphabet[static_cast<size_t>(variableIndex_)];
}

}  // namespace plotwise
