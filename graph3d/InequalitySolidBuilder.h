#pragma once

#include <cstddef>
#include <vector>

#include "graph3d/EvaluationData3D.h"
#include "graph3d/EvaluationLimits3D.h"
#include "graph3d/Float3.h"
#include "graph3d/Mesh3D.h"
#include "graph3d/MeshCapacities3D.h"

namespace plotwise {

// The region where an inequality holds, shown as axis-aligned boxes: the cells of the box whose
// centre satisfies the relation, merged along z into columns. Centres are evaluated one x slab
// at a time in batches, each once.
class InequalitySolidBuilder {
public:
    // One merged column of cells: centre x and y, the centres of its first and last cell in z.
    struct Column {
        float x;
        float y;
        float zFirst;
        float zLast;
    };

    struct Statistics {
        std::size_t evaluations = 0;
        std::size_t insidePoints = 0;
        // The inside-point buffer or the vertex capacity cut the solid off.
        bool cutOff = false;
    };

    // The inside cell centres in x, y, z order, at most capacities.inequalityInsidePoints.
    static std::vector<Float3> insidePoints(const EvaluationLimits3D& limits,
                                            const EvaluationData3D& data,
                                            const MeshCapacities3D& capacities,
                                            Statistics* statistics = nullptr);

    // Runs of centres with the same x and y whose z advances by one step (within 1e-5).
    static std::vector<Column> mergeColumns(const std::vector<Float3>& points, float step);

    // 36 vertices (12 triangles) and 24 line indices per column, while the vertex count plus 36
    // stays below capacities.inequalityVertices.
    static Mesh3D build(const EvaluationLimits3D& limits, const EvaluationData3D& data,
                        const MeshCapacities3D& capacities, Statistics* statistics = nullptr);
};

}  // namespace plotwise
