#include "graph3d/RVEquation3D.h"

namespace plotwise {

std::unique_ptr<RVEquation3D> RVEquation3D::equation3DwithOperationTree(
    std::unique_ptr<RVOperationTree> tree) {
    auto equation = std::make_unique<RVEquation3D>();
    equation->initWithOperationTree(std::move(tree));
    equation->setCalculating(true);
    return equation;
}

std::unique_ptr<RVEquation3D> RVEquation3D::equation3DwithStateFromDictionary(
    const QVariantMap& state, double* table) {
    auto equation = std::make_unique<RVEquation3D>();
    if (!equation->initWithStateFromDictionary(state, table)) {
        return nullptr;
    }
    equation->setCalculating(true);
    return equation;
}

void RVEquation3D::setExpression(std::unique_ptr<RVOperationTree> tree) {
    RVEquation::setExpression(std::move(tree));
    mesh_.setExpression(expression(), type());
}

bool RVEquation3D::evaluateWithLimits(const EvaluationLimits3D& limits, DeviceClass device,
                                      bool fasterLessAccurate3DAlgorithm, IndexWidth indexWidth) {
    return mesh_.evaluateWithLimits(limits, visible(), device, fasterLessAccurate3DAlgorithm,
                                    indexWidth);
}

int RVEquation3D::compareAlpha(const RVEquation3D& other) const {
    const float mine = color().alphaF();
    const float theirs = other.color().alphaF();
    if (mine > theirs) {
        return -1;
    }
    if (mine < theirs) {
        return 1;
    }
    return 0;
}

}  // namespace plotwise
