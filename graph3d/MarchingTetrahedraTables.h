#pragma once

#include <array>
#include <cstdint>

namespace plotwise {

// The marching-tetrahedra tables: six tetrahedra that split a cube (cube corners numbered as in
// MarchingCubesTables) around the diagonal 0-6, the six edges of a tetrahedron and its 16 cases
// (bit k set when tetrahedron corner k is inside). All six tetrahedra have the same handedness,
// so one case table winds every surface piece towards the inside.
class MarchingTetrahedraTables {
public:
    static constexpr std::array<std::array<int, 4>, 6> tetrahedra = {{
        {0, 5, 1, 6},
        {0, 1, 2, 6},
        {0, 2, 3, 6},
        {0, 3, 7, 6},
        {0, 7, 4, 6},
        {0, 4, 5, 6},
    }};
    static constexpr std::array<std::array<int, 2>, 6> edgeCorners = {{
        {0, 1},
        {1, 2},
        {2, 0},
        {0, 3},
        {1, 3},
        {2, 3},
    }};
    static constexpr std::array<std::uint8_t, 16> edgeTable = {
        0x00, 0x0D, 0x13, 0x1E, 0x26, 0x2B, 0x35, 0x38,
        0x38, 0x35, 0x2B, 0x26, 0x1E, 0x13, 0x0D, 0x00,
    };
    // Up to two triangles as edge triples, ended by -1.
    static constexpr std::array<std::array<std::int8_t, 7>, 16> triangleTable = {{
        {-1, -1, -1, -1, -1, -1, -1},
        {0, 3, 2, -1, -1, -1, -1},
        {0, 1, 4, -1, -1, -1, -1},
        {1, 4, 2, 2, 4, 3, -1},
        {1, 2, 5, -1, -1, -1, -1},
        {0, 3, 5, 0, 5, 1, -1},
        {0, 2, 5, 0, 5, 4, -1},
        {5, 4, 3, -1, -1, -1, -1},
        {3, 4, 5, -1, -1, -1, -1},
        {4, 5, 0, 5, 2, 0, -1},
        {1, 5, 0, 5, 3, 0, -1},
        {5, 2, 1, -1, -1, -1, -1},
        {3, 4, 2, 2, 4, 1, -1},
        {4, 1, 0, -1, -1, -1, -1},
        {2, 3, 0, -1, -1, -1, -1},
        {-1, -1, -1, -1, -1, -1, -1},
    }};
};

}  // namespace plotwise
