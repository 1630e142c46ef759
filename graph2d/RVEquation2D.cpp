#include "graph2d/RVEquation2D.h"

#include <atomic>

#include "engine/VariableTable.h"
#include "graph2d/sampling/EquationSampler2D.h"
#include "graph2d/sampling/ExplicitSampler.h"

namespace plotwise {

namespace {

// Revisions count up across all equations: main thread and restore thread alike.
std::uint64_t nextSamplesRevision() {
    static std::atomic<std::uint64_t> counter{0};
    return ++counter;
}

}  // namespace

RVEquation2D::RVEquation2D() {
    invalidateSamples();
}

RVEquation2D::~RVEquation2D() = default;

std::unique_ptr<RVEquation2D> RVEquation2D::equation2DwithOperationTree(
    std::unique_ptr<RVOperationTree> tree) {
    auto equation = std::make_unique<RVEquation2D>();
    equation->initWithOperationTree(std::move(tree));
    return equation;
}

std::unique_ptr<RVEquation2D> RVEquation2D::equation2DwithStateFromDictionary(
    const QVariantMap& state, double* table) {
    auto equation = std::make_unique<RVEquation2D>();
    if (!equation->initWithStateFromDictionary(state, table)) {
        return nullptr;
    }
    return equation;
}

void RVEquation2D::setExpression(std::unique_ptr<RVOperationTree> tree) {
    // The compiled form refers only to the variable table, so the old one may go after the tree.
    RVEquation::setExpression(std::move(tree));
    invalidateSamples();
    evaluationData_ =
        expression() ? EvaluationData2D::withOperationTree(*expression()) : EvaluationData2D{};
}

void RVEquation2D::setVisible(bool visible) {
    RVEquation::setVisible(visible);
    if (visible) {
        invalidateSamples();
    } else {
        data_.reset();
        samplesRevision_ = nextSamplesRevision();
    }
}

void RVEquation2D::invalidateSamples() {
    // No window has negative ratios, so nothing equals these limits.
    previousEvaluationLimits_.pixelUnitRatioX = -1.0;
    previousEvaluationLimits_.pixelUnitRatioY = -1.0;
}

void RVEquation2D::evaluateWithLimits(const EvaluationLimits2D& limits, DeviceClass device) {
    if (!visible() || (limits == previousEvaluationLimits_ && device == previousDevice_)) {
        return;
    }
    std::optional<SampleBuffer2D> samples =
        EquationSampler2D::sample(type(), limits, evaluationData_, device);
    if (!samples) {
        return;
    }
    data_ = std::move(samples);
    samplesRevision_ = nextSamplesRevision();
    previousEvaluationLimits_ = limits;
    previousDevice_ = device;
}

std::uint32_t RVEquation2D::evaluateExplicitWithLimits(const EvaluationLimits2D& limits,
                                                       SamplePoint* storage) {
    ExplicitSampler sampler(evaluationData_, storage);
    return sampler.evaluateExplicitWithLimits(type(), limits);
}

std::optional<SamplePoint> RVEquation2D::traceAt(double x, double y) {
    double* table = evaluationData_.variableTable;
    if (!expression() || table == nullptr) {
        return std::nullopt;
    }
    if (type() == EquationType::ExplicitY) {
        table[kSlotX] = x;
        return SamplePoint{static_cast<float>(x), static_cast<float>(expression()->value())};
    }
    if (type() == EquationType::ExplicitX) {
        table[kSlotY] = y;
        return SamplePoint{static_cast<float>(expression()->value()), static_cast<float>(y)};
    }
    return std::nullopt;
}

}  // namespace plotwise
