#pragma once

#include <array>
#include <cstdint>

namespace plotwise {

// The marching-cubes case tables for this corner and edge numbering:
//   corners 0 (0,0,0), 1 (1,0,0), 2 (1,1,0), 3 (0,1,0), 4 (0,0,1), 5 (1,0,1), 6 (1,1,1), 7 (0,1,1);
//   edges 0 (0,1), 1 (1,2), 2 (2,3), 3 (3,0), 4 (4,5), 5 (5,6), 6 (6,7), 7 (7,4), 8 (0,4), 9 (1,5),
//   10 (2,6), 11 (3,7).
// A case index has bit k set when corner k is inside. The tables are derived from the cube
// itself at compile time rather than typed in: on every cube face the crossing points are
// joined so that inside corners on a face diagonal stay apart, which two neighbouring cubes
// decide alike, so surfaces close without cracks. Each loop of segments becomes a polygon that
// starts at its lowest edge number and winds so that the right-hand normal points towards the
// inside corners; it is split so that no triangle lies within a cube face (where the
// neighbouring cube could lay its own); polygons are listed by their lowest edge. This
// reproduces the commonly
// published entries for the simple cases (1: 0 8 3; 2: 0 1 9; 3: 1 8 3, 9 8 1; 254: 0 3 8).
class MarchingCubesTables {
public:
    static constexpr int maximumTriangles = 5;

    static constexpr std::array<std::array<int, 3>, 8> cornerOffsets = {{
        {0, 0, 0},
        {1, 0, 0},
        {1, 1, 0},
        {0, 1, 0},
        {0, 0, 1},
        {1, 0, 1},
        {1, 1, 1},
        {0, 1, 1},
    }};
    static constexpr std::array<std::array<int, 2>, 12> edgeCorners = {{
        {0, 1},
        {1, 2},
        {2, 3},
        {3, 0},
        {4, 5},
        {5, 6},
        {6, 7},
        {7, 4},
        {0, 4},
        {1, 5},
        {2, 6},
        {3, 7},
    }};

    // 12-bit masks of the edges whose two corners differ.
    static const std::array<std::uint16_t, 256>& edgeTable();
    // Up to five triangles as triples of edge numbers, ended by -1 (16 entries per case).
    static const std::array<std::array<std::int8_t, 16>, 256>& triangleTable();
};

}  // namespace plotwise
