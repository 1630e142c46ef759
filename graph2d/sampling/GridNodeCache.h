#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graph2d/sampling/EvaluationData2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/GridNodeEvaluator.h"

namespace plotwise {

// The sampling grid of the contour and region builders: cells of 5.0001 screen points from
// (minx, miny), walked column by column from the left and, in each column, row by row from the
// bottom. Node (c, r) sits at (minx + c·dx, miny + r·dy) in single precision. The walk only ever
// needs the two node columns of one cell column, so the cache holds those two: each column is
// evaluated in one batch, when first needed, and every node at most once.
class GridNodeCache {
public:
    static constexpr double cellPoints = 5.0001;
    // Grids with more nodes than this are not built (they would stand for a screen of about
    // 10,000 × 10,000 points); it bounds the work and memory a nonsensical window can ask for.
    static constexpr double maximumNodeCount = 1 << 22;

    // Cells that do not overlap the limits' `screen` grown by `margin` cells on every side are
    // skipped and their nodes are not evaluated unless another cell needs them.
    GridNodeCache(const EvaluationLimits2D& limits, const EvaluationData2D& data, double margin,
                  bool needsInside);

    // False when there is nothing to walk: no compiled form, an empty or unbounded window,
    // unusable ratios, too many nodes, or no cell meeting the test rectangle.
    bool usable() const { return usable_; }
    // Whether the window was refused only because its grid would exceed maximumNodeCount.
    bool tooLarge() const { return tooLarge_; }
    std::size_t columnCount() const { return columnCount_; }
    std::size_t rowCount() const { return rowCount_; }
    bool columnIsTested(std::size_t column) const { return columnTested_[column] != 0; }

    float nodeX(std::size_t column) const;
    float nodeY(std::size_t row) const { return nodeY_[row]; }

    // Makes the nodes of cell column `column` available: node column `column` as the left side,
    // `column + 1` as the right, for the rows of tested cells and the row above the last.
    void loadColumn(std::size_t column);
    // The loaded columns' values and inside flags, from the first tested row on (index 0).
    const double* leftValues() const { return left_.values.data(); }
    const double* rightValues() const { return right_.values.data(); }
    const std::uint8_t* leftInsides() const { return left_.inside.data(); }
    const std::uint8_t* rightInsides() const { return right_.inside.data(); }
    std::size_t firstTestedRow() const { return firstRow_; }
    // One past the last tested row (equal to firstTestedRow() when no row is tested).
    std::size_t endTestedRow() const { return firstRow_ <= lastRow_ ? lastRow_ + 1 : firstRow_; }

    std::size_t evaluatedNodeCount() const { return evaluator_.evaluatedNodeCount(); }

private:
    struct NodeColumn {
        std::size_t column = SIZE_MAX;
        std::vector<double> values;
        std::vector<std::uint8_t> inside;
    };

    void evaluateColumn(std::size_t column, NodeColumn& into);

    const EvaluationLimits2D& limits_;
    GridNodeEvaluator evaluator_;
    bool usable_ = false;
    bool tooLarge_ = false;
    bool needsInside_ = false;
    double dx_ = 0.0;
    double dy_ = 0.0;
    std::size_t columnCount_ = 0;
    std::size_t rowCount_ = 0;
    std::vector<std::uint8_t> columnTested_;
    // The tested cell rows are consecutive: [firstRow_, lastRow_], empty when first > last.
    std::size_t firstRow_ = 1;
    std::size_t lastRow_ = 0;
    std::vector<float> nodeY_;
    std::vector<double> inputY_;
    // Nodes are placed relative to this (EvaluationLimits2D::sampleOrigin).
    EvaluationLimits2D::PlanePoint origin_;
    NodeColumn left_;
    NodeColumn right_;
};

}  // namespace plotwise
