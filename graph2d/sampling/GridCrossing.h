#pragma once

#include <cmath>

#include "graph2d/sampling/SamplePoint.h"

namespace plotwise {

// Where the linear interpolation of the values u at U and v at V is zero on the edge from U to V:
// U + (V − U)·|u / (u − v)|. The contour and region builders both place their crossings here, so
// an edge shared by two triangles, walked in the same direction by both, gets the same point.
struct GridCrossing {
    static SamplePoint between(SamplePoint from, double u, SamplePoint to, double v) {
        const double t = std::fabs(u / (u - v));
        return {static_cast<float>(from.x + (static_cast<double>(to.x) - from.x) * t),
                static_cast<float>(from.y + (static_cast<double>(to.y) - from.y) * t)};
    }
};

}  // namespace plotwise
