#pragma once

#include "engine/OperationNode.h"
#include "engine/RVOperationTree.h"

namespace plotwise {

// The compiled form an equation keeps for sampling. It refers to the variable table only, never
// to the tree it was made from, which may be replaced or released after.
struct EvaluationData2D {
    // The whole expression: what the explicit and polar samplers evaluate. For an explicit
    // equation (an assignment) its value is the right side's.
    CompiledExpression expressionNode;
    // The variable table the compiled records read (six slots); not owned.
    double* variableTable = nullptr;
    bool containsTheta = false;
    bool containsR = false;

    // When the root is a relation, its two sides compiled apart (the same records the relation
    // holds): a grid node's value is right − left and its inside flag the relation's result.
    bool isRelation = false;
    int relopType = 0;
    CompiledExpression relationLeft;
    CompiledExpression relationRight;

    static EvaluationData2D withOperationTree(const RVOperationTree& tree);
};

}  // namespace plotwise
