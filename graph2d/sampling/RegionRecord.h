#pragma once

#include <array>
#include <cstdint>

#include "graph2d/sampling/SamplePoint.h"

namespace plotwise {

// One filled piece of an inequality's region: a triangle (vertexCount 3, points[3] unused) or a
// quadrilateral (vertexCount 4), in drawing order.
struct RegionRecord {
    std::int32_t vertexCount;
    std::array<SamplePoint, 4> points;
};

static_assert(sizeof(RegionRecord) == 36);

}  // namespace plotwise
