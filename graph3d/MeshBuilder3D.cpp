#include "MeshBuilder3D.h"

#include "ExplicitSurfaceBuilder.h"
#include "ImplicitSurfaceBuilder.h"
#include "InequalitySolidBuilder.h"

namespace plotwise {

Mesh3D MeshBuilder3D::build(int type, const EvaluationLimits3D& limits,
                            const EvaluationData3D& data, const MeshCapacities3D& capacities) {
    if (data.variableTable == nullptr) {
        return {};
    }
    if (type >= 0 && type <= 5) {
        return ExplicitSurfaceBuilder::build(type, limits, data, capacities);
    }
    if (type == 6) {
        if (data.calculateSmoothForImplicit) {
            return ImplicitSurfaceBuilder::calculateImplicitWithSmooth(
                limits, data, capacities.implicitVertexLimit);
        }
        return ImplicitSurfaceBuilder::calculateImplicit(limits, data,
                                                         capacities.implicitVertexLimit);
    }
    if (type == 7) {
        return InequalitySolidBuilder::build(limits, data, capacities);
    }
    return {};
}

}  // namespace plotwise
