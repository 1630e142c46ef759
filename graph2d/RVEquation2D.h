#pragma once

#include <QVariantMap>
#include <cstdint>
#include <memory>
#include <optional>

#include "common/DeviceClass.h"
#include "equations/RVEquation.h"
#include "graph2d/sampling/EvaluationData2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/SampleBuffer2D.h"
#include "graph2d/sampling/SamplePoint.h"

namespace plotwise {

// An equation of the 2D plane. Setting its expression classifies it, notes whether it uses r or
// Θ and compiles it; evaluating it over a window fills its samples (a polyline, contour segments
// or region records by type), which are kept until the window, the expression or the visibility
// changes. Sampling writes the free variables into the equation's variable table, which the
// screen's equations share: two equations of one table must not sample at the same time.
class RVEquation2D : public RVEquation {
public:
    RVEquation2D();
    ~RVEquation2D() override;

    // As RVEquation's factories, producing a 2D equation.
    static std::unique_ptr<RVEquation2D> equation2DwithOperationTree(
        std::unique_ptr<RVOperationTree> tree);
    static std::unique_ptr<RVEquation2D> equation2DwithStateFromDictionary(const QVariantMap& state,
                                                                           double* table);

    // Classifies and compiles the new tree and invalidates the cached samples (they stay until
    // the next evaluation).
    void setExpression(std::unique_ptr<RVOperationTree> tree) override;
    // Showing invalidates the cached samples; hiding drops them.
    void setVisible(bool visible) override;

    // Recomputes the samples unless the equation is hidden or they were made for exactly these
    // limits (and this device class, which sizes an inequality's buffer). If the work buffer
    // cannot be allocated, the previous samples stay.
    void evaluateWithLimits(const EvaluationLimits2D& limits, DeviceClass device);
    // Samples an explicit or polar equation (types 0, 1, 3, 4) into `storage`, which has room
    // for ExplicitSampler::defaultCapacity points; returns the number written (0 for other
    // types).
    std::uint32_t evaluateExplicitWithLimits(const EvaluationLimits2D& limits,
                                             SamplePoint* storage);

    // The last samples; null when hidden or never evaluated.
    const SampleBuffer2D* data() const { return data_ ? &*data_ : nullptr; }
    std::uint32_t dataObjectCount() const { return data_ ? data_->dataObjectCount() : 0; }
    const EvaluationLimits2D& previousEvaluationLimits() const { return previousEvaluationLimits_; }
    // Changes whenever the samples do; unique among all equations, so a drawing cached for
    // one set of samples is never taken for another's.
    std::uint64_t samplesRevision() const { return samplesRevision_; }

    const EvaluationData2D& evaluationData() const { return evaluationData_; }
    bool containsR() const { return evaluationData_.containsR; }
    bool containsTheta() const { return evaluationData_.containsTheta; }

    // The point a trace at the plane point (x, y) reads off: (x, f(x)) for y = f(x), (f(y), y)
    // for x = f(y), by the expression tree's value; nothing for other types. Writes x or y into
    // the variable table, which the plane's equations share.
    std::optional<SamplePoint> traceAt(double x, double y);
    // The point the view's trace shows on this equation.
    SamplePoint trace() const { return trace_; }
    void setTrace(SamplePoint trace) { trace_ = trace; }

private:
    void invalidateSamples();

    EvaluationData2D evaluationData_;
    std::optional<SampleBuffer2D> data_;
    EvaluationLimits2D previousEvaluationLimits_;
    DeviceClass previousDevice_ = DeviceClass::Phone;
    SamplePoint trace_{0.0f, 0.0f};
    std::uint64_t samplesRevision_ = 0;
};

}  // namespace plotwise
