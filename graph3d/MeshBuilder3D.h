#pragma once

#include "engine/EquationType.h"
#include "graph3d/EvaluationData3D.h"
#include "graph3d/EvaluationLimits3D.h"
#include "graph3d/Mesh3D.h"
#include "graph3d/MeshCapacities3D.h"

namespace plotwise {

// Builds the client mesh of a 3D equation by its type: 0..5 an explicit surface, 6 an implicit
// surface (marching tetrahedra with gradient normals when data.calculateSmoothForImplicit, else
// marching cubes with flat normals), 7 an inequality solid. Anything else gives no mesh.
class MeshBuilder3D {
public:
    static Mesh3D build(EquationType type, const EvaluationLimits3D& limits,
                        const EvaluationData3D& data, const MeshCapacities3D& capacities);
};

}  // namespace plotwise
