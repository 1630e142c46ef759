#include "graph3d/MeshBuilder3D.h"

#include "graph3d/ExplicitSurfaceBuilder.h"
#include "graph3d/ImplicitSurfaceBuilder.h"
#include "graph3d/InequalitySolidBuilder.h"

namespace plotwise {

Mesh3D MeshBuilder3D::build(EquationType type, const EvaluationLimits3D& limits,
                            const EvaluationData3D& data, const MeshCapacities3D& capacities) {
    if (data.variableTable == nullptr) {
        return {};
    }
    if (isExplicit(type)) {
        return ExplicitSurfaceBuilder::build(type, limits, data, capacities);
    }
    if (type == EquationType::Implicit) {
        if (data.calculateSmoothForImplicit) {
            return ImplicitSurfaceBuilder::calculateImplicitWithSmooth(
                limits, data, capacities.implicitVertexLimit);
        }
        return ImplicitSurfaceBuilder::calculateImplicit(limits, data,
                                                         capacities.implicitVertexLimit);
    }
    if (type == EquationType::Inequality) {
        return InequalitySolidBuilder::build(limits, data, capacities);
    }
    return {};
}

}  // namespace plotwise
