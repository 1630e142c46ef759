#pragma once

#include <cstdint>
#include <vector>

#include "graph3d/MeshVertex.h"

namespace plotwise {

// The client copy of one equation's mesh until the view uploads it: vertex records, triangle
// indices (3 per triangle) and wireframe line indices (2 per segment). The counts of the
// equation are the sizes of these arrays. Indices are 32-bit here; where the renderer has only
// 16-bit indices, the capacities keep every index below 65536 and the upload narrows them.
struct Mesh3D {
    std::vector<MeshVertex> vertices;
    std::vector<std::uint32_t> indices;
    std::vector<std::uint32_t> lineIndices;
    // Outer sampling lines and samples per line of an explicit grid; 0 for other kinds.
    int horizontalSteps = 0;
    int verticalSteps = 0;

    bool empty() const { return vertices.empty(); }
    void clear() { *this = Mesh3D(); }
};

}  // namespace plotwise
