#pragma once

#include "EvaluationData3D.h"
#include "EvaluationLimits3D.h"
#include "Mesh3D.h"
#include "MeshCapacities3D.h"

namespace plotwise {

// Builds the client mesh of a 3D equation by its type: 0..5 an explicit surface, 6 an implicit
// surface (marching tetrahedra with gradient normals when data.calculateSmoothForImplicit, else
// marching cubes with flat normals), 7 an inequality solid. Anything else gives no mesh.
class MeshBuilder3D {
public:
    static Mesh3D build(int type, const EvaluationLimits3D& limits, const EvaluationData3D& data,
                        const MeshCapacities3D& capacities);
};

}  // namespace plotwise
