#include "graph2d/sampling/EvaluationData2D.h"

#include "engine/RVRelationOperation.h"
#include "engine/RVVariable.h"

namespace plotwise {

EvaluationData2D EvaluationData2D::withOperationTree(const RVOperationTree& tree) {
    EvaluationData2D data;
    data.expressionNode = tree.compile();
    data.variableTable = tree.variableTable();
    for (const RVVariable* variable : tree.variables()) {
        data.containsR = data.containsR || variable->variableIndex() == 3;
        data.containsTheta = data.containsTheta || variable->variableIndex() == 4;
    }
    const auto* relation = dynamic_cast<const RVRelationOperation*>(tree.root());
    if (relation != nullptr && relation->lvalue() != nullptr && relation->rvalue() != nullptr) {
        data.isRelation = true;
        data.relopType = relation->relopType();
        data.relationLeft = compileOperation(*relation->lvalue());
        data.relationRight = compileOperation(*relation->rvalue());
    }
    return data;
}

}  // namespace plotwise
