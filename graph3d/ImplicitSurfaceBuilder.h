#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graph3d/EvaluationData3D.h"
#include "graph3d/EvaluationLimits3D.h"
#include "graph3d/FieldEvaluator3D.h"
#include "graph3d/Float3.h"
#include "graph3d/Mesh3D.h"

namespace plotwise {

// The level surface F(x, y, z) = targetValue of an implicit equation inside the cubic box, by
// marching cubes (flat normals, the faster variant) or marching tetrahedra (gradient normals). A
// corner is inside when F <= targetValue; NaN counts as outside. Grid nodes are evaluated one
// x plane at a time in batches, each node once per extraction. Marching cubes reads the inside
// flags 64 nodes at a time and passes over rows without a crossing. Gradient normals come from the
// grid values (central differences at both ends of the edge, interpolated like the vertex), the
// grid then reaching one node beyond the box on every side; the field is evaluated again, six
// points a vertex, only where a grid neighbour is not finite.
class ImplicitSurfaceBuilder {
public:
    // Step of the central differences of a gradient normal, in model units whatever the zoom.
    static constexpr double gradientStep = 0.01;

    struct Statistics {
        // Grid nodes evaluated, and points evaluated for gradient normals.
        std::size_t gridEvaluations = 0;
        std::size_t gradientEvaluations = 0;
        // Cells of the grid, whether visited or not.
        std::size_t cells = 0;
        // The vertex limit stopped the extraction.
        bool cutOff = false;
    };

    struct Extraction {
        // Every three consecutive positions form a triangle, wound so that its right-hand
        // normal points towards the inside.
        std::vector<Float3> positions;
        // One gradient normal per position when asked for, else empty.
        std::vector<Float3> normals;
        Statistics statistics;
    };

    // The extraction both variants share: marching tetrahedra when data.useTetahedros, else
    // marching cubes. Whole triangles are written while the vertex count plus 2 stays below
    // `vertexLimit`.
    static Extraction extract(const EvaluationLimits3D& limits, const EvaluationData3D& data,
                              std::size_t vertexLimit, bool gradientNormals);

    // Triangles as corners into distinct vertices: every three corners form a triangle, wound as
    // in Extraction.
    struct IndexedSurface {
        std::vector<Float3> vertices;
        std::vector<std::uint32_t> corners;
        bool cutOff = false;
    };

    // Marching cubes over values already computed at the grid nodes of `limits`,
    // values[(i * n + j) * n + k] at (x_i, y_j, z_k) for n nodes an axis; empty when the count
    // is not n^3. The triangles are those calculateImplicit builds from the same values.
    static IndexedSurface extractGrid(const EvaluationLimits3D& limits,
                                      const std::vector<double>& values, std::size_t vertexLimit);

    // Mesh with one flat normal per triangle, normalise((P2 - P1) x (P0 - P1)).
    static Mesh3D calculateImplicit(const EvaluationLimits3D& limits, const EvaluationData3D& data,
                                    std::size_t vertexLimit, Statistics* statistics = nullptr);
    // Mesh with a gradient normal per vertex.
    static Mesh3D calculateImplicitWithSmooth(const EvaluationLimits3D& limits,
                                              const EvaluationData3D& data, std::size_t vertexLimit,
                                              Statistics* statistics = nullptr);

    // The unit vector towards decreasing F at p, from central differences of step
    // gradientStep, evaluated point by point.
    static Float3 gradientNormal(FieldEvaluator3D& field, Float3 p);
};

}  // namespace plotwise
