#include "graph3d/FieldEvaluator3D.h"

#include <algorithm>
#include <cmath>

#include "engine/VariableTable.h"

namespace plotwise {

FieldEvaluator3D::FieldEvaluator3D(const EvaluationData3D& data, Reading reading)
    : data_(data),
      sides_(reading == Reading::Field && data.hasRelationSides()),
      cylindrical_(data.containsZ && (data.containsTheta || data.containsPhi)) {
    for (BatchForms* forms : {&points_, &planes_}) {
        if (sides_) {
            forms->left.emplace(data.leftOperand, data.variableTable);
            forms->right.emplace(data.rightOperand, data.variableTable);
        } else {
            forms->whole.emplace(data.expressionNode, data.variableTable);
        }
    }
}

void FieldEvaluator3D::evaluateForms(BatchForms& forms, const BatchGrid& grid, std::size_t count,
                                     double* out) {
    if (!sides_) {
        forms.whole->evaluateGrid(grid, out);
        return;
    }
    // A constant side (the 0 of f = 0) is subtracted from or subtracted as one value, without
    // passes of its own.
    const OperationNode* right = data_.rightOperand.root();
    if (right != nullptr && right->kind == kOperationConstant) {
        const double r = right->data.constant;
        forms.left->evaluateGrid(grid, out);
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = r - out[i];
        }
        return;
    }
    const OperationNode* left = data_.leftOperand.root();
    if (left != nullptr && left->kind == kOperationConstant) {
        const double l = left->data.constant;
        forms.right->evaluateGrid(grid, out);
        for (std::size_t i = 0; i < count; ++i) {
            out[i] -= l;
        }
        return;
    }
    leftValues_.resize(count);
    forms.left->evaluateGrid(grid, leftValues_.data());
    forms.right->evaluateGrid(grid, out);
    for (std::size_t i = 0; i < count; ++i) {
        out[i] -= leftValues_[i];
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
    BatchGrid grid;
    grid.columns = count;
    grid.nodeInputs = inputs;
    evaluateForms(points_, grid, count, out);
}

void FieldEvaluator3D::evaluatePlane(double x, std::size_t rows, const double* ys,
                                     std::size_t columns, const double* zs, double* out) {
    const std::size_t count = rows * columns;
    if (count == 0) {
        return;
    }
    evaluations_ += count;
    double* table = data_.variableTable;
    table[kSlotX] = x;
    BatchGrid grid;
    grid.rows = rows;
    grid.columns = columns;
    grid.rowSlot = kSlotY;
    grid.rowValues = ys;
    grid.columnSlot = kSlotZ;
    grid.columnValues = zs;
    if (data_.containsR || data_.containsTheta || data_.containsPhi) {
        for (auto& values : plane_) {
            values.resize(count);
        }
        for (std::size_t j = 0; j < rows; ++j) {
            for (std::size_t k = 0; k < columns; ++k) {
                const PolarSlots slots = polarSlots(x, ys[j], zs[k]);
                plane_[0][j * columns + k] = slots.r;
                plane_[1][j * columns + k] = slots.theta;
                plane_[2][j * columns + k] = slots.phi;
            }
        }
        grid.nodeInputs[kSlotR] = plane_[0].data();
        grid.nodeInputs[kSlotTheta] = plane_[1].data();
        grid.nodeInputs[kSlotPhi] = plane_[2].data();
    } else {
        table[kSlotR] = 0.0;
        table[kSlotTheta] = 0.0;
        table[kSlotPhi] = 0.0;
    }
    evaluateForms(planes_, grid, count, out);
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
