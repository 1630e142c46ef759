#include "graph3d/EvaluationData3D.h"

#include "engine/RVRelationOperation.h"
#include "engine/RVVariable.h"

namespace plotwise {

EvaluationData3D EvaluationData3D::fromTree(const RVOperationTree& tree) {
    EvaluationData3D data;
    data.variableTable = tree.variableTable();
    data.expressionNode = tree.compile();
    // The sides are compiled exactly as the relation record compiles them, so a side's value is
    // the value the record's operand would give.
    if (const auto* relation = dynamic_cast<const RVRelationOperation*>(tree.root());
        relation != nullptr && relation->lvalue() != nullptr && relation->rvalue() != nullptr) {
        data.leftOperand = compileOperation(*relation->lvalue());
        data.rightOperand = compileOperation(*relation->rvalue());
    }
    for (const RVVariable* variable : tree.variables()) {
        switch (variable->variableIndex()) {
            case 2:
                data.containsZ = true;
                break;
            case 3:
                data.containsR = true;
                break;
            case 4:
                data.containsTheta = true;
                break;
            case 5:
                data.containsPhi = true;
                break;
            default:
                break;
        }
    }
    return data;
}

}  // namespace plotwise
