#include "graph3d/GridAxis.h"

#include <cmath>

namespace plotwise {

std::vector<float> GridAxis::nodes(float min, float max, float step) {
    std::vector<float> values;
    if (!std::isfinite(min) || !std::isfinite(max) || !std::isfinite(step) || !(step > 0.0f)) {
        return values;
    }
    float v = min;
    while (v < max && values.size() < maximumCells) {
        values.push_back(v);
        v += step;
    }
    if (!values.empty()) {
        values.push_back(v);
    }
    return values;
}

}  // namespace plotwise
