#pragma once

namespace plotwise {

// One vertex record of a 3D mesh as the view uploads it: position, then normal. A missing point
// has NaN coordinates.
struct MeshVertex {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;
    float nx = 0.0f;
    float ny = 0.0f;
    float nz = 0.0f;
};

static_assert(sizeof(MeshVertex) == 24, "the view uploads 24-byte records");

}  // namespace plotwise
