#pragma once

#include <cstddef>
#include <optional>
#include <vector>

#include "engine/BatchEvaluator.h"
#include "graph3d/EvaluationData3D.h"

namespace plotwise {

// Evaluates an equation's field at points (x, y, z) in batches. Before each evaluation the
// variable table's r, Θ and Φ are derived from the point: spherically (r the distance from the
// origin, Θ the angle from the positive z axis), or, when the expression uses z with Θ or Φ,
// cylindrically (r the distance from the z axis, Θ the angle about z); Φ is always the angle
// about z. A slot the expression does not use holds 0.
class FieldEvaluator3D {
public:
    enum class Reading {
        // The implicit field: right side minus left side of an "=" root, else the value.
        Field,
        // The whole expression: an inequality's 1 or 0.
        Value,
    };

    FieldEvaluator3D(const EvaluationData3D& data, Reading reading);

    // Writes `count` values for the points (x[i], y[i], z[i]) to `out`: exactly what
    // evaluateOne gives for each.
    void evaluate(std::size_t count, const double* x, const double* y, const double* z,
                  double* out);

    // Writes rows * columns values for the plane of points (x, ys[j], zs[k]) to out[j * columns
    // + k]: exactly what evaluateOne gives for each. Parts of the expression that do not depend on
    // x are kept from plane to plane while ys and zs stay the same. Writes x into the variable
    // table.
    void evaluatePlane(double x, std::size_t rows, const double* ys, std::size_t columns,
                       const double* zs, double* out);

    // One point, evaluated record by record through the variable table, which keeps the
    // point's slots afterwards.
    double evaluateOne(double x, double y, double z);

    // Points evaluated so far by either operation.
    std::size_t evaluations() const { return evaluations_; }

private:
    struct PolarSlots {
        double r;
        double theta;
        double phi;
    };
    PolarSlots polarSlots(double x, double y, double z) const;

    const EvaluationData3D& data_;
    bool sides_;
    bool cylindrical_;
    // Batch forms of the whole expression or of the two sides. Planes keep their own, so that the
    // values they keep from plane to plane survive evaluations at scattered points.
    struct BatchForms {
        std::optional<BatchEvaluator> whole;
        std::optional<BatchEvaluator> left;
        std::optional<BatchEvaluator> right;
    };
    void evaluateForms(BatchForms& forms, const BatchGrid& grid, std::size_t count, double* out);

    BatchForms points_;
    BatchForms planes_;
    std::vector<double> r_;
    std::vector<double> theta_;
    std::vector<double> phi_;
    std::vector<double> leftValues_;
    std::vector<double> plane_[3];
    std::size_t evaluations_ = 0;
};

}  // namespace plotwise
