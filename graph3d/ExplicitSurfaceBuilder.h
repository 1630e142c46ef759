#pragma once

#include <cstddef>
#include <vector>

#include "engine/EquationType.h"
#include "graph3d/EvaluationData3D.h"
#include "graph3d/EvaluationLimits3D.h"
#include "graph3d/Float3.h"
#include "graph3d/Mesh3D.h"
#include "graph3d/MeshCapacities3D.h"

namespace plotwise {

// The surface of an explicit equation (type 0..5: x, y, z, r, Θ or Φ on the left) sampled on a
// grid of outer lines by inner samples, in cartesian, cylindrical or spherical coordinates, with
// grid normals, triangles and a wireframe. Coordinates beyond ±70 and undefined values become
// NaN holes.
class ExplicitSurfaceBuilder {
public:
    static constexpr double clipLimit = 70.0;

    // The sampled grid: point k = outer·verticalSteps + inner.
    struct Grid {
        std::vector<Float3> points;
        int horizontalSteps = 0;
        int verticalSteps = 0;
    };

    // Samples the right side of the equation. The sample buffer holds capacities.explicitSamples
    // points: an inner loop stops there, and outer lines stop when the next would not fit.
    static Grid sample(EquationType type, const EvaluationLimits3D& limits,
                       const EvaluationData3D& data, const MeshCapacities3D& capacities);

    // The whole mesh: sampling, normals, triangles and lines; empty when no point was sampled.
    static Mesh3D build(EquationType type, const EvaluationLimits3D& limits,
                        const EvaluationData3D& data, const MeshCapacities3D& capacities);

    // Vertex normals of a grid: face normals of the cells blended into their corners in cell
    // order.
    static std::vector<Float3> gridNormals(const Grid& grid);
};

}  // namespace plotwise
