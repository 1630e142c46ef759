#pragma once

#include <cstdint>
#include <vector>

#include "graph3d/MeshVertex.h"

namespace plotwise {

// The client copy of one equation's mesh until the view uploads it: vertex records, triangle
// indices (3 per triangle) and wireframe line indices (2 per segment). The counts of the
// equation are the sizes of these arrays.
struct Mesh3D {
    std::vector<MeshVertex> vertices;
    std::vector<std::uint16_t> indices;
    std::vector<std::uint16_t> lineIndices;
    // Outer sampling lines and samples per line of an explicit grid; 0 for other kinds.
    int horizontalSteps = 0;
    int verticalSteps = 0;

    bool empty() const { return vertices.empty(); }
    void clear() { *this = Mesh3D(); }
};

}  // namespace plotwise
