#include "GridNodeEvaluator.h"

#include <array>
#include <cmath>

#include "MathFunctions.h"

namespace plotwise {

namespace {
constexpr std::size_t kSlotX = 0;
constexpr std::size_t kSlotY = 1;
constexpr std::size_t kSlotR = 3;
constexpr std::size_t kSlotTheta = 4;
}  // namespace

GridNodeEvaluator::GridNodeEvaluator(const EvaluationData2D& data) : data_(data) {
    if (data.isRelation) {
        left_.emplace(data.relationLeft, data.variableTable);
        right_.emplace(data.relationRight, data.variableTable);
    } else {
        root_.emplace(data.expressionNode, data.variableTable);
    }
}

void GridNodeEvaluator::evaluate(std::size_t count, const double* x, const double* y,
                                 double* values, std::uint8_t* inside) {
    std::array<const double*, 6> inputs{};
    inputs[kSlotX] = x;
    inputs[kSlotY] = y;
    // Slots the expression does not read get no input.
    if (data_.containsR) {
        r_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const auto fx = static_cast<float>(x[i]);
            const auto fy = static_cast<float>(y[i]);
            r_[i] = std::sqrt(fx * fx + fy * fy);
        }
        inputs[kSlotR] = r_.data();
    }
    if (data_.containsTheta) {
        theta_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            theta_[i] = std::atan2(static_cast<float>(y[i]), static_cast<float>(x[i]));
        }
        inputs[kSlotTheta] = theta_.data();
    }
    evaluatedNodeCount_ += count;
    if (root_) {
        root_->evaluate(count, inputs, values);
        if (inside != nullptr) {
            std::fill(inside, inside + count, std::uint8_t{0});
        }
        return;
    }
    leftValues_.resize(count);
    rightValues_.resize(count);
    left_->evaluate(count, inputs, leftValues_.data());
    right_->evaluate(count, inputs, rightValues_.data());
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = rightValues_[i] - leftValues_[i];
    }
    if (inside != nullptr) {
        for (std::size_t i = 0; i < count; ++i) {
            inside[i] = math::relationValue(data_.relopType, leftValues_[i], rightValues_[i]) != 0.0
                            ? 1
                            : 0;
        }
    }
}

}  // namespace plotwise
