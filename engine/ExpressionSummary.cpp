#include "engine/ExpressionSummary.h"

#include <cmath>

#include "engine/RVRelationOperation.h"
#include "engine/TextUtilities.h"

namespace plotwise {

ExpressionClassification classifyExpression(const RVOperationTree& tree) {
    ExpressionClassification result;
    if (const auto* relation = dynamic_cast<const RVRelationOperation*>(tree.root())) {
        result.isRelation = true;
        result.equationType = relation->equationType();
        result.relopType = relation->relopType();
        result.isAssignment = relation->isAssignment();
    }
    return result;
}

std::u16string previewText(const RVOperationTree& tree, double value) {
    const ExpressionClassification classification = classifyExpression(tree);
    if (classification.isRelation && (classification.equationType == EquationType::Implicit ||
                                      classification.equationType == EquationType::Inequality)) {
        // Truncation toward zero; NaN is not a relation's result, but reads as true like C would
        // not define, so it is treated as "not 0".
        const bool truthy = std::isnan(value) || std::trunc(value) != 0.0;
        return truthy ? u"True" : u"False";
    }
    return toUtf16(fixedText(value, 10));
}

}  // namespace plotwise
