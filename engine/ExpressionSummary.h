#pragma once

#include <string>

#include "engine/EquationType.h"
#include "engine/RVOperationTree.h"

namespace plotwise {

// How an expression is classified from its root: equation type 0..5 explicit in that variable,
// 6 implicit or a bare expression, 7 an inequality; and the relation operator index.
struct ExpressionClassification {
    EquationType equationType = EquationType::Implicit;
    int relopType = 0;
    bool isRelation = false;
    bool isAssignment = false;
};

ExpressionClassification classifyExpression(const RVOperationTree& tree);

// The live preview of a value: "True"/"False" for a relation root of type 6 or 7 (the value
// truncated to an integer is not 0), otherwise the value as "%.10f". English; the application
// translates "True" and "False".
std::u16string previewText(const RVOperationTree& tree, double value);

}  // namespace plotwise
