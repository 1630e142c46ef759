#include "graph3d/EquationMesh3D.h"

#include <utility>

#include "graph3d/ImplicitSurfaceBuilder.h"
#include "graph3d/MeshBuilder3D.h"

namespace plotwise {

void EquationMesh3D::setExpression(const RVOperationTree* tree, EquationType type) {
    // The view always asks with target value 0, so -1 never matches.
    previousEvaluationLimits_.targetValue = -1.0f;
    type_ = type;
    evaluationData_ = tree != nullptr ? EvaluationData3D::fromTree(*tree) : EvaluationData3D();
}

bool EquationMesh3D::evaluateWithLimits(const EvaluationLimits3D& limits, bool visible,
                                        DeviceClass device, bool fasterLessAccurate3DAlgorithm,
                                        IndexWidth indexWidth) {
    if (limits.closeTo(previousEvaluationLimits_)) {
        return false;
    }
    if (!visible) {
        return false;
    }
    evaluationData_.useTetahedros = !fasterLessAccurate3DAlgorithm;
    evaluationData_.calculateSmoothForImplicit = !fasterLessAccurate3DAlgorithm;
    calculating_ = true;
    mesh_.clear();
    invalidVBO_ = true;
    evaluateVBOWithLimits(limits, device, indexWidth);
    previousEvaluationLimits_ = limits;
    calculating_ = false;
    return true;
}

void EquationMesh3D::evaluateVBOWithLimits(const EvaluationLimits3D& limits, DeviceClass device,
                                           IndexWidth indexWidth) {
    mesh_ = MeshBuilder3D::build(type_, limits, evaluationData_,
                                 MeshCapacities3D::forDevice(device, indexWidth));
}

void EquationMesh3D::calculateImplicit(const EvaluationLimits3D& limits, DeviceClass device,
                                       IndexWidth indexWidth) {
    mesh_ = ImplicitSurfaceBuilder::calculateImplicit(
        limits, evaluationData_,
        MeshCapacities3D::forDevice(device, indexWidth).implicitVertexLimit);
}

void EquationMesh3D::calculateImplicitWithSmooth(const EvaluationLimits3D& limits,
                                                 DeviceClass device, IndexWidth indexWidth) {
    mesh_ = ImplicitSurfaceBuilder::calculateImplicitWithSmooth(
        limits, evaluationData_,
        MeshCapacities3D::forDevice(device, indexWidth).implicitVertexLimit);
}

Mesh3D EquationMesh3D::takeMesh() {
    Mesh3D taken = std::move(mesh_);
    mesh_.clear();
    return taken;
}

}  // namespace plotwise
