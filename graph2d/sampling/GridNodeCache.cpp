#include "graph2d/sampling/GridNodeCache.h"

#include <algorithm>
#include <cmath>
#include <utility>

namespace plotwise {

namespace {

bool isUsableRatio(double ratio) {
    return std::isfinite(ratio) && ratio > 0.0;
}

// The number of cells k ≥ 0 with minimum + k·width < maximum, as the walk counts them.
std::size_t cellCount(double minimum, double maximum, double width) {
    const double estimate = std::ceil((maximum - minimum) / width);
    auto count = static_cast<std::size_t>(std::max(estimate, 0.0));
    while (count > 0 && !(minimum + static_cast<double>(count - 1) * width < maximum)) {
        --count;
    }
    while (minimum + static_cast<double>(count) * width < maximum) {
        ++count;
    }
    return count;
}

// Whether [a, a + aLength] and [b, b + bLength] share more than a point.
bool overlaps(double a, double aLength, double b, double bLength) {
    return std::min(a + aLength, b + bLength) - std::max(a, b) > 0.0;
}

}  // namespace

GridNodeCache::GridNodeCache(const EvaluationLimits2D& limits, const EvaluationData2D& data,
                             double margin, bool needsInside)
    : limits_(limits), evaluator_(data), needsInside_(needsInside) {
    if (data.expressionNode.empty() || data.variableTable == nullptr ||
        !isUsableRatio(limits.pixelUnitRatioX) || !isUsableRatio(limits.pixelUnitRatioY)) {
        return;
    }
    dx_ = cellPoints / limits.pixelUnitRatioX;
    dy_ = cellPoints / limits.pixelUnitRatioY;
    const double columns = (limits.maxx - limits.minx) / dx_;
    const double rows = (limits.maxy - limits.miny) / dy_;
    if (!(dx_ > 0.0) || !(dy_ > 0.0) || !std::isfinite(limits.minx) ||
        !std::isfinite(limits.miny) || !(columns > 0.0) || !(rows > 0.0) ||
        !((columns + 2.0) * (rows + 2.0) <= maximumNodeCount)) {
        tooLarge_ = std::isfinite(columns) && std::isfinite(rows) && columns > 0.0 && rows > 0.0 &&
                    std::isfinite(limits.minx) && std::isfinite(limits.miny);
        return;
    }
    origin_ = limits.sampleOrigin();
    columnCount_ = cellCount(limits.minx, limits.maxx, dx_);
    rowCount_ = cellCount(limits.miny, limits.maxy, dy_);

    // The test rectangle: the screen, standardised, grown by the margin.
    double testX = limits.screen.origin.x;
    double testY = limits.screen.origin.y;
    double testWidth = limits.screen.size.width;
    double testHeight = limits.screen.size.height;
    if (origin_.x != 0.0 || origin_.y != 0.0) {
        // Far from the origin the single-precision screen is too coarse: the window stands in.
        testX = limits.minx;
        testY = limits.miny;
        testWidth = limits.maxx - limits.minx;
        testHeight = limits.maxy - limits.miny;
    }
    if (testWidth < 0.0) {
        testX += testWidth;
        testWidth = -testWidth;
    }
    if (testHeight < 0.0) {
        testY += testHeight;
        testHeight = -testHeight;
    }
    testX -= margin * dx_;
    testY -= margin * dy_;
    testWidth += 2.0 * margin * dx_;
    testHeight += 2.0 * margin * dy_;

    columnTested_.resize(columnCount_);
    bool anyColumn = false;
    for (std::size_t c = 0; c < columnCount_; ++c) {
        const bool tested =
            overlaps(limits.minx + static_cast<double>(c) * dx_, dx_, testX, testWidth);
        columnTested_[c] = tested ? 1 : 0;
        anyColumn = anyColumn || tested;
    }
    bool anyRow = false;
    for (std::size_t r = 0; r < rowCount_; ++r) {
        if (overlaps(limits.miny + static_cast<double>(r) * dy_, dy_, testY, testHeight)) {
            if (!anyRow) {
                firstRow_ = r;
                anyRow = true;
            }
            lastRow_ = r;
        }
    }
    if (!anyColumn || !anyRow) {
        return;
    }
    nodeY_.resize(rowCount_ + 1);
    for (std::size_t r = 0; r <= rowCount_; ++r) {
        nodeY_[r] = static_cast<float>(limits.miny - origin_.y + static_cast<double>(r) * dy_);
    }
    for (std::size_t r = firstRow_; r <= lastRow_ + 1; ++r) {
        inputY_.push_back(origin_.y + nodeY_[r]);
    }
    usable_ = true;
}

float GridNodeCache::nodeX(std::size_t column) const {
    return static_cast<float>(limits_.minx - origin_.x + static_cast<double>(column) * dx_);
}

void GridNodeCache::loadColumn(std::size_t column) {
    if (right_.column == column) {
        std::swap(left_, right_);
    } else if (left_.column != column) {
        evaluateColumn(column, left_);
    }
    if (right_.column != column + 1) {
        evaluateColumn(column + 1, right_);
    }
}

void GridNodeCache::evaluateColumn(std::size_t column, NodeColumn& into) {
    const std::size_t count = inputY_.size();
    into.column = column;
    into.values.resize(count);
    into.inside.resize(needsInside_ ? count : 0);
    evaluator_.evaluateColumn(origin_.x + nodeX(column), count, inputY_.data(), into.values.data(),
                              needsInside_ ? into.inside.data() : nullptr);
}

}  // namespace plotwise
