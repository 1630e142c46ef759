#include "graph3d/FieldEvaluator3D.h"

#include <algorithm>
#include <cmath>

#include "engine/VariableTable.h"

namespace plotwise {

FieldEvaluator3D::FieldEvaluator3D(const EvaluationData3D& data, Reading reading)
    : data_(data),
      sides_(reading == Reading::Field && data.hasRelationSides()),
      cylindrical_(data.containsZ && (data.containsTheta || data.containsPhi)) {
    if (sides_) {
        left_.emplace(data.leftOperand, data.variableTable);
        right_.emplace(data.rightOperand, data.variableTable);
    } else {
        whole_.emplace(data.expressionNode, data.variableTable);
    }
}

FieldEvaluator3D::PolarSlots FieldEvaluator3D::polarSlots(double x, double y, double z) const {
    PolarSlots slots{0.0, 0.0, 0.0};
    if (cylindrical_) {
        // The angle about z on both half-planes, so surfaces close around the z axis.
        if (data_.containsR) {
            slots.r = std::sqrt(x * x + y * y);
        }
        if (data_.containsTheta) {
            slots.theta = std::atan2(y, x);
        }
    } else {
        const double distance = std::sqrt(x * x + y * y + z * z);
        if (data_.containsR) {
            slots.r = distance;
        }
        if (data_.containsTheta) {
            slots.theta = std::acos(z / distance);
        }
    }
    if (data_.containsPhi) {
        slots.phi = std::atan2(y, x);
    }
    return slots;
}

void FieldEvaluator3D::evaluate(std::size_t count, const double* x, const double* y,
                                const double* z, double* out) {
    if (count == 0) {
        return;
    }
    evaluations_ += count;
    std::array<const double*, 6> inputs{x, y, z, nullptr, nullptr, nullptr};
    const bool anyPolar = data_.containsR || data_.containsTheta || data_.containsPhi;
    if (anyPolar) {
        r_.resize(count);
        theta_.resize(count);
        phi_.resize(count);
        for (std::size_t i = 0; i < count; ++i) {
            const PolarSlots slots = polarSlots(x[i], y[i], z[i]);
            r_[i] = slots.r;
            theta_[i] = slots.theta;
            phi_[i] = slots.phi;
        }
        inputs[kSlotR] = r_.data();
        inputs[kSlotTheta] = theta_.data();
        inputs[kSlotPhi] = phi_.data();
    } else {
        // Unused slots are read from the table, as one point at a time would leave them.
        double* table = data_.variableTable;
        table[kSlotR] = 0.0;
        table[kSlotTheta] = 0.0;
        table[kSlotPhi] = 0.0;
    }
    if (!sides_) {
        whole_->evaluate(count, inputs, out);
        return;
    }
    leftValues_.resize(count);
    left_->evaluate(count, inputs, leftValues_.data());
    right_->evaluate(count, inputs, out);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] -= leftValues_[i];
    }
}

double FieldEvaluator3D::evaluateOne(double x, double y, double z) {
    ++evaluations_;
    double* table = data_.variableTable;
    table[0] = x;
    table[1] = y;
    table[2] = z;
    const PolarSlots slots = polarSlots(x, y, z);
    table[kSlotR] = slots.r;
    table[kSlotTheta] = slots.theta;
    table[kSlotPhi] = slots.phi;
    if (!sides_) {
        return data_.expressionNode.evaluate();
    }
    const double right = data_.rightOperand.evaluate();
    const double left = data_.leftOperand.evaluate();
    return right - left;
}

}  // namespace plotwise
