#pragma once

#include <array>
#include <cstdint>
#include <vector>

#include "engine/EquationType.h"
#include "graph3d/Float3.h"
#include "graph3d/Mesh3D.h"

namespace plotwise {

// A triangle mesh for other programs and 3D printers, made from an equation's mesh: shared
// vertices welded, triangles with a non-finite corner left out, and each closed piece wound so
// that its right-hand normals point outwards. Indices are 32-bit: files have no 16-bit limit.
class PrintableMesh {
public:
    std::vector<Float3> positions;
    std::vector<std::array<std::uint32_t, 3>> triangles;
    // Watertight and consistently wound: every edge is crossed as often in one direction as in
    // the other (by exactly two triangles in a welded surface; cells of a solid that touch only
    // along an edge share it four times).
    bool closed = false;

    // The mesh of an equation of `type`: an inequality's boxes become the outer surface of the
    // cells they cover, anything else a welded surface.
    static PrintableMesh fromMesh(const Mesh3D& mesh, EquationType type);

    // Welds vertices closer than a millionth of the mesh's largest coordinate (the seams and
    // poles of curved grids meet within a few float steps), drops degenerate triangles and
    // pairs that cancel, then winds each connected piece consistently; a closed piece is turned
    // so that it encloses positive volume.
    static PrintableMesh fromSurface(const Mesh3D& mesh);

    // The boundary of the cells covered by the 36-vertex boxes of an inequality solid: one
    // square per cell face between a covered and an uncovered cell, wound outwards. Boxes that
    // touch share no inner faces, so the result is closed. Falls back to fromSurface when the
    // vertices are not boxes of one grid.
    static PrintableMesh fromBoxSolid(const Mesh3D& mesh);

    // Bounds of the positions; both NaN when there are none.
    Float3 boundsMin() const;
    Float3 boundsMax() const;

    // Enclosed volume by the divergence theorem (positive when wound outwards).
    double signedVolume() const;
};

}  // namespace plotwise
