#pragma once

#include <QString>
#include <vector>

namespace plotwise {

// The texts of one axis's tick labels: "%1.6lg" (six significant digits) where that tells every
// label from its neighbour, else as many more digits as the tick spacing needs (far from the
// origin or deep in a zoom, "100000" or "1000.71" would repeat).
class TickLabels {
public:
    // `values` in increasing order, as the grid lines lie.
    static std::vector<QString> texts(const std::vector<double>& values);
};

}  // namespace plotwise
