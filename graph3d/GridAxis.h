#pragma once

#include <cstddef>
#include <vector>

namespace plotwise {

// The sample positions of one axis of the cubic box, as the single-precision loop
// "for v = min; v < max; v += step" visits them.
class GridAxis {
public:
    // Cells per axis are capped here: the 3D view asks for at most 26, a zoom of any size stays
    // below this, and a step that is tiny for its box cannot make the work grow without bound.
    static constexpr std::size_t maximumCells = 256;

    // The cell starts the loop visits (at most maximumCells), followed by one more value, the
    // far side of the last cell, computed by the same addition; empty when the loop does not run
    // or the limits are unusable.
    static std::vector<float> nodes(float min, float max, float step);
};

}  // namespace plotwise
