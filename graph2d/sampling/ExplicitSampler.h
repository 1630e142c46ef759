#pragma once

#include <cstddef>
#include <cstdint>

#include "engine/EquationType.h"
#include "graph2d/sampling/EvaluationData2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/SamplePoint.h"

namespace plotwise {

// Samples explicit and polar equations (types 0, 1, 3, 4) into one polyline by chunked adaptive
// bisection, evaluating the compiled form one point at a time: the free variable is written into
// the shared variable table before each evaluation, so two samplings over one table must not run
// at the same time.
class ExplicitSampler {
public:
    // Points of an explicit equation's sample buffer.
    static constexpr std::uint32_t defaultCapacity = 128000;
    // Windows that would need more chunks than this are not sampled at all (no screen is that
    // many times wider than 20/3 points); it bounds the work a nonsensical window can ask for.
    static constexpr double maximumChunkCount = 1 << 20;

    // `storage` has room for `capacity` points and is written from its start.
    ExplicitSampler(const EvaluationData2D& data, SamplePoint* storage,
                    std::uint32_t capacity = defaultCapacity);

    // Samples an equation of type `type` over `limits`; returns the number of points written
    // (0 for types other than 0, 1, 3, 4 and for unusable limits).
    std::uint32_t evaluateExplicitWithLimits(EquationType type, const EvaluationLimits2D& limits);

    // Whether the last sampling stopped at the capacity or refused a window of more than
    // maximumChunkCount chunks, leaving part of the curve out.
    bool truncated() const { return truncated_; }

private:
    struct PolarValue {
        double value;  // r for r = f(Θ), Θ for Θ = f(r)
        double x;
        double y;
    };

    std::uint32_t sampleCartesian(std::size_t freeSlot, double minimum, double maximum,
                                  double chunkWidth, double tolerance);
    std::uint32_t sampleAngles(double scale);
    std::uint32_t sampleRadii(const EvaluationLimits2D& limits, double scale);

    // One bisection step over [a, b] whose end values are already known: every point is
    // evaluated once, however often the halves share it.
    std::uint32_t cartesian(double a, double fa, double b, double fb, int depth, std::uint32_t n);
    std::uint32_t polar(double a, const PolarValue& pa, double b, const PolarValue& pb, int depth,
                        std::uint32_t n);

    // Whether f has a jump or a pole in [a, b] rather than a steep continuous stretch.
    bool isJump(double a, double fa, double b, double fb) const;
    double evaluateCartesian(double t) const;
    PolarValue evaluatePolar(double t) const;
    void storeCartesian(std::uint32_t position, double t, double value) const;
    void storePolar(std::uint32_t position, const PolarValue& point) const;
    // No point may be started at or beyond this write position (the last three places stay
    // free for a chunk's first, middle and last points).
    bool isFull(std::uint32_t n) const { return n + 3 >= capacity_; }

    const EvaluationData2D& data_;
    SamplePoint* storage_;
    std::uint32_t capacity_;
    // Set per sampling.
    bool radial_ = false;       // Θ = f(r) rather than r = f(Θ)
    std::size_t freeSlot_ = 0;  // the cartesian free variable: 0 for y = f(x), 1 for x = f(y)
    double tolerance_ = 0.0;    // cartesian: chord error in plane units
    double chordLimit_ = 0.0;   // polar: 5 screen points in plane units
    double errorLimit_ = 0.0;   // polar: half a screen point in plane units
    EvaluationLimits2D::PlanePoint origin_;  // points are stored relative to it
    bool truncated_ = false;
};

}  // namespace plotwise
