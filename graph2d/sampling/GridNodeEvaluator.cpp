#include "graph2d/sampling/GridNodeEvaluator.h"

#include <algorithm>
#include <array>
#include <cmath>

#include "engine/VariableTable.h"

namespace plotwise {

void GridNodeEvaluator::evaluateSide(const CompiledExpression& side, BatchEvaluator& evaluator,
                                     const BatchGrid& grid, std::vector<double>& into) {
    const std::size_t count = grid.columns;
    // A constant side (the 4 of x²+y² < 4) is the same at every node: written once, not
    // evaluated per column.
    if (side.root() != nullptr && side.root()->kind == kOperationConstant) {
        if (into.size() != count) {
            into.assign(count, side.root()->data.constant);
        }
        return;
    }
    into.resize(count);
    evaluator.evaluateGrid(grid, into.data());
}

GridNodeEvaluator::GridNodeEvaluator(const EvaluationData2D& data) : data_(data) {
    if (data.isRelation) {
        left_.emplace(data.relationLeft, data.variableTable);
        right_.emplace(data.relationRight, data.variableTable);
    } else {
        root_.emplace(data.expressionNode, data.variableTable);
    }
}

void GridNodeEvaluator::evaluateColumn(double x, std::size_t count, const double* y, double* values,
                                       std::uint8_t* inside) {
    // x is one value for the whole column: it goes into the table, which a slot without input
    // reads, as one-at-a-time evaluation would read it.
    data_.variableTable[kSlotX] = x;
    // y is the column axis: parts of the expression without x are kept from column to column
    // while the rows stay the same.
    BatchGrid grid;
    grid.columns = count;
    grid.columnSlot = kSlotY;
    grid.columnValues = y;
    // Slots the expression does not read get no input.
    const auto fx = static_cast<float>(x);
    if (data_.containsR) {
        r_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const auto fy = static_cast<float>(y[i]);
            r_[i] = std::sqrt(fx * fx + fy * fy);
        }
        grid.nodeInputs[kSlotR] = r_.data();
    }
    if (data_.containsTheta) {
        theta_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            theta_[i] = std::atan2(static_cast<float>(y[i]), fx);
        }
        grid.nodeInputs[kSlotTheta] = theta_.data();
    }
    evaluatedNodeCount_ += count;
    if (root_) {
        root_->evaluateGrid(grid, values);
        if (inside != nullptr) {
            std::fill(inside, inside + count, std::uint8_t{0});
        }
        return;
    }
    evaluateSide(data_.relationLeft, *left_, grid, leftValues_);
    evaluateSide(data_.relationRight, *right_, grid, rightValues_);
    const double* l = leftValues_.data();
    const double* r = rightValues_.data();
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = r[i] - l[i];
    }
    if (inside == nullptr) {
        return;
    }
    // One loop per operator, so that the comparison is not chosen again at every node.
    auto compareAll = [&](auto holds) {
        for (std::size_t i = 0; i < count; ++i) {
            inside[i] = holds(l[i], r[i]) ? 1 : 0;
        }
    };
    switch (data_.relopType) {
        case 0:
            compareAll([](double a, double b) { return a == b; });
            break;
        case 1:
            compareAll([](double a, double b) { return a > b; });
            break;
        case 2:
            compareAll([](double a, double b) { return a < b; });
            break;
        case 3:
            compareAll([](double a, double b) { return a <= b; });
            break;
        case 4:
            compareAll([](double a, double b) { return a >= b; });
            break;
        case 5:
            compareAll([](double a, double b) { return a != b; });
            break;
        default:
            compareAll([](double, double) { return false; });
            break;
    }
}

}  // namespace plotwise
