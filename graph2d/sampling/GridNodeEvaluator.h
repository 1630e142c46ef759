#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "engine/BatchEvaluator.h"
#include "graph2d/sampling/EvaluationData2D.h"

namespace plotwise {

// Evaluates grid nodes of the contour and region builders many at a time, through the batch form
// of the compiled expression. A node's value is exactly what one-at-a-time evaluation gives: with
// x and y written, r = √(x² + y²) and Θ = atan2(y, x) in single precision when the expression
// uses them, the root's value, or for a relation right − left with each side evaluated apart and
// the relation's own result as the inside flag. Columns are a grid of one row: parts of the
// expression that read only y are computed once while the columns' y values stay the same, and
// parts that read only x once per column.
class GridNodeEvaluator {
public:
    explicit GridNodeEvaluator(const EvaluationData2D& data);

    // Evaluates the column of nodes (x, y[i]) for i < count; writes count values and, when
    // `inside` is not null, count inside flags (1 or 0; always 0 without a relation). Writes x
    // into the variable table's x slot.
    void evaluateColumn(double x, std::size_t count, const double* y, double* values,
                        std::uint8_t* inside);

    // How many nodes have been evaluated so far.
    std::size_t evaluatedNodeCount() const { return evaluatedNodeCount_; }

private:
    static void evaluateSide(const CompiledExpression& side, BatchEvaluator& evaluator,
                             const BatchGrid& grid, std::vector<double>& into);

    const EvaluationData2D& data_;
    std::optional<BatchEvaluator> root_;
    std::optional<BatchEvaluator> left_;
    std::optional<BatchEvaluator> right_;
    std::vector<double> r_;
    std::vector<double> theta_;
    std::vector<double> leftValues_;
    std::vector<double> rightValues_;
    std::size_t evaluatedNodeCount_ = 0;
};

}  // namespace plotwise
