#pragma once

#include "engine/RVOperation.h"

namespace plotwise {

// One of the six variables; reads and writes its slot of the parser's variable table.
class RVVariable : public RVOperation {
public:
    RVVariable(RVToken token, double* variableTable);
    static std::unique_ptr<RVVariable> variableWithToken(RVToken token, double* variableTable);

    double value() const override { return variableTable_[variableIndex_]; }
    void assignValue(double value) const { variableTable_[variableIndex_] = value; }
    void collectVariables(std::vector<const RVVariable*>& out) const override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
    void derivateWithVariable(const RVVariable& variable) override;

    double* variableTable() const { return variableTable_; }
    int variableIndex() const { return variableIndex_; }
    // The variable's letter in "xyzrΘΦ".
    char16_t letter() const;

private:
    double* variableTable_;
    int variableIndex_ = 0;
};

}  // namespace plotwise
