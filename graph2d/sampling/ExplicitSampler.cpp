#include "graph2d/sampling/ExplicitSampler.h"

#include <algorithm>
#include <cmath>
#include <limits>

#include "engine/VariableTable.h"

namespace plotwise {

namespace {

// 20/3 screen points: the chunk width of the cartesian and radial walks.
constexpr double kChunkPoints = 6.666666666666667;
// 4°: the chunk width of the angular walk, 90 chunks to 2π.
constexpr double kAngleChunk = 0.06981317007977318;
constexpr double kFullTurn = 6.283185307179586;
// Bisection depth limits: depths 0 to 4 (1/32 of a chunk), polar 0 to 8 (1/512 of a chunk).
constexpr int kCartesianDepths = 5;
constexpr int kPolarDepths = 9;
// Halvings of a finest interval that tell a jump from a steep but continuous stretch.
constexpr int kJumpHalvings = 16;

// Whether some of the values are infinite and some finite: the curve runs off towards a pole
// there, which the chord error (∞ − ∞ is NaN) cannot see from the pole's side.
bool reachesInfinity(double fa, double fm, double fb) {
    const bool anyInfinite = std::isinf(fa) || std::isinf(fm) || std::isinf(fb);
    const bool anyFinite = std::isfinite(fa) || std::isfinite(fm) || std::isfinite(fb);
    return anyInfinite && anyFinite;
}

bool isUsableRatio(double ratio) {
    return std::isfinite(ratio) && ratio > 0.0;
}

// Whether a walk over [minimum, maximum) in chunks of `width` takes at most maximumChunkCount
// chunks (NaN and infinite ends or widths take too many).
bool isBoundedWalk(double minimum, double maximum, double width) {
    return std::isfinite(width) && width > 0.0 &&
           (maximum - minimum) / width <= ExplicitSampler::maximumChunkCount;
}

// Whether a walk is refused only for its length: finite ends and width, too many chunks.
bool isTooLong(double minimum, double maximum, double width) {
    return std::isfinite(minimum) && std::isfinite(maximum) && std::isfinite(width) &&
           width > 0.0 && (maximum - minimum) / width > ExplicitSampler::maximumChunkCount;
}

}  // namespace

ExplicitSampler::ExplicitSampler(const EvaluationData2D& data, SamplePoint* storage,
                                 std::uint32_t capacity)
    : data_(data), storage_(storage), capacity_(capacity) {}

std::uint32_t ExplicitSampler::evaluateExplicitWithLimits(EquationType type,
                                                          const EvaluationLimits2D& limits) {
    if (data_.expressionNode.empty() || data_.variableTable == nullptr || storage_ == nullptr ||
        !isUsableRatio(limits.pixelUnitRatioX) || !isUsableRatio(limits.pixelUnitRatioY)) {
        return 0;
    }
    const double scale = std::max(limits.pixelUnitRatioX, limits.pixelUnitRatioY);
    origin_ = limits.sampleOrigin();
    truncated_ = false;
    // The walks in x, y and r start from the window: an empty or unbounded one shows nothing.
    const bool usableWindow = std::isfinite(limits.minx) && std::isfinite(limits.maxx) &&
                              std::isfinite(limits.miny) && std::isfinite(limits.maxy) &&
                              limits.maxx > limits.minx && limits.maxy > limits.miny;
    if (type != EquationType::ExplicitR && !usableWindow) {
        return 0;
    }
    switch (type) {
        case EquationType::ExplicitY:
            return sampleCartesian(kSlotX, limits.minx, limits.maxx,
                                   kChunkPoints / limits.pixelUnitRatioX,
                                   1.0 / limits.pixelUnitRatioY);
        case EquationType::ExplicitX:
            return sampleCartesian(kSlotY, limits.miny, limits.maxy,
                                   kChunkPoints / limits.pixelUnitRatioY,
                                   1.0 / limits.pixelUnitRatioX);
        case EquationType::ExplicitR:
            return sampleAngles(scale);
        case EquationType::ExplicitTheta:
            return sampleRadii(limits, scale);
        default:
            return 0;
    }
}

std::uint32_t ExplicitSampler::sampleCartesian(std::size_t freeSlot, double minimum, double maximum,
                                               double chunkWidth, double tolerance) {
    if (!isBoundedWalk(minimum, maximum, chunkWidth) || !(minimum < maximum)) {
        truncated_ = isTooLong(minimum, maximum, chunkWidth);
        return 0;
    }
    freeSlot_ = freeSlot;
    tolerance_ = tolerance;
    std::uint32_t n = 0;
    // Chunk k is [minimum + k·w, minimum + (k + 1)·w]: computed from the index, so that a chunk
    // ends exactly where the next begins and the walk ends however small w is beside minimum.
    double fa = evaluateCartesian(minimum);
    for (double k = 0.0;; k += 1.0) {
        const double a = minimum + k * chunkWidth;
        if (!(a < maximum) || isFull(n)) {
            break;
        }
        const double b = minimum + (k + 1.0) * chunkWidth;
        const double fb = evaluateCartesian(b);
        n += cartesian(a, fa, b, fb, 0, n);
        fa = fb;
    }
    // The last places were not enough: part of the curve is left out.
    truncated_ = truncated_ || isFull(n);
    return n;
}

std::uint32_t ExplicitSampler::sampleAngles(double scale) {
    radial_ = false;
    chordLimit_ = 5.0 / scale;
    errorLimit_ = 0.5 / scale;
    std::uint32_t n = 0;
    PolarValue pa = evaluatePolar(0.0);
    for (double k = 0.0; k * kAngleChunk < kFullTurn && !isFull(n); k += 1.0) {
        const double b = (k + 1.0) * kAngleChunk;
        const PolarValue pb = evaluatePolar(b);
        n += polar(k * kAngleChunk, pa, b, pb, 0, n);
        pa = pb;
    }
    // The last places were not enough: part of the curve is left out.
    truncated_ = truncated_ || isFull(n);
    return n;
}

std::uint32_t ExplicitSampler::sampleRadii(const EvaluationLimits2D& limits, double scale) {
    // The distances from the origin to the window: per axis the near one is 0 when the range
    // holds 0, the far one the larger end.
    auto nearDistance = [](double lo, double hi) {
        if (lo > 0.0 && hi > 0.0) {
            return lo;
        }
        if (lo < 0.0 && hi < 0.0) {
            return -hi;
        }
        return 0.0;
    };
    auto farDistance = [](double lo, double hi) { return std::max(std::fabs(lo), std::fabs(hi)); };
    const double rNear =
        std::min(nearDistance(limits.minx, limits.maxx), nearDistance(limits.miny, limits.maxy));
    const double farX = farDistance(limits.minx, limits.maxx);
    const double farY = farDistance(limits.miny, limits.maxy);
    const double rFar = std::sqrt(farX * farX + farY * farY);
    const double width = kChunkPoints / std::min(limits.pixelUnitRatioX, limits.pixelUnitRatioY);
    if (!isBoundedWalk(rNear, rFar, width) || !(rNear < rFar)) {
        truncated_ = isTooLong(rNear, rFar, width);
        return 0;
    }
    radial_ = true;
    chordLimit_ = 5.0 / scale;
    errorLimit_ = 0.5 / scale;
    std::uint32_t n = 0;
    PolarValue pa = evaluatePolar(rNear);
    for (double k = 0.0;; k += 1.0) {
        const double a = rNear + k * width;
        if (!(a < rFar) || isFull(n)) {
            break;
        }
        const double b = rNear + (k + 1.0) * width;
        const PolarValue pb = evaluatePolar(b);
        n += polar(a, pa, b, pb, 0, n);
        pa = pb;
    }
    // The last places were not enough: part of the curve is left out.
    truncated_ = truncated_ || isFull(n);
    return n;
}

std::uint32_t ExplicitSampler::cartesian(double a, double fa, double b, double fb, int depth,
                                         std::uint32_t n) {
    if (isFull(n)) {
        return 0;
    }
    if (depth >= kCartesianDepths) {
        // A finest interval across a jump is left open: a point with no value breaks the line.
        if (isJump(a, fa, b, fb)) {
            storage_[n] = {std::numeric_limits<float>::quiet_NaN(),
                           std::numeric_limits<float>::quiet_NaN()};
            return 1;
        }
        return 0;
    }
    if (std::isnan(fa) && std::isnan(fb)) {
        return 0;
    }
    const double m = a + (b - a) * 0.5;
    const double fm = evaluateCartesian(m);
    std::uint32_t total = 0;
    if (depth == 0) {
        storeCartesian(n, a, fa);
        total = 1;
    }
    // How far the curve's midpoint lies from the chord's midpoint.
    const double error = fa + (fb - fa) * 0.5 - fm;
    if (std::fabs(error) > tolerance_ || std::isnan(fa) || std::isnan(fm) || std::isnan(fb) ||
        reachesInfinity(fa, fm, fb)) {
        const std::uint32_t left = total + cartesian(a, fa, m, fm, depth + 1, n + total);
        if (n + left >= capacity_) {
            return left;
        }
        storeCartesian(n + left, m, fm);
        total = left + 1 + cartesian(m, fm, b, fb, depth + 1, n + left + 1);
    }
    if (depth == 0 && n + total < capacity_) {
        storeCartesian(n + total, b, fb);
        ++total;
    }
    return total;
}

std::uint32_t ExplicitSampler::polar(double a, const PolarValue& pa, double b, const PolarValue& pb,
                                     int depth, std::uint32_t n) {
    if (isFull(n) || depth >= kPolarDepths) {
        return 0;
    }
    std::uint32_t total = 0;
    if (depth == 0) {
        storePolar(n, pa);
        total = 1;
    }
    const double chordX = pb.x - pa.x;
    const double chordY = pb.y - pa.y;
    // A NaN chord is not short: it refines towards the edge of the domain.
    if (std::sqrt(chordX * chordX + chordY * chordY) < chordLimit_) {
        return total;
    }
    const double m = a + (b - a) * 0.5;
    const PolarValue pm = evaluatePolar(m);
    const double midX = pa.x + chordX * 0.5;
    const double midY = pa.y + chordY * 0.5;
    double error = 0.0;
    if (radial_) {
        error = std::sqrt((pm.x - midX) * (pm.x - midX) + (pm.y - midY) * (pm.y - midY));
    } else {
        // The radial gap between the chord's midpoint and the curve.
        error = std::fabs(std::sqrt(midX * midX + midY * midY) - std::fabs(pm.value));
    }
    if (error > errorLimit_ || std::isnan(pa.value) || std::isnan(pm.value) ||
        std::isnan(pb.value)) {
        const std::uint32_t left = total + polar(a, pa, m, pm, depth + 1, n + total);
        if (n + left >= capacity_) {
            return left;
        }
        storePolar(n + left, pm);
        total = left + 1 + polar(m, pm, b, pb, depth + 1, n + left + 1);
    }
    if (depth == 0 && n + total < capacity_) {
        storePolar(n + total, pb);
        ++total;
    }
    return total;
}

bool ExplicitSampler::isJump(double a, double fa, double b, double fb) const {
    // Follows the half with the larger gap: across a continuous stretch, however steep, the gap
    // shrinks with the interval; across a jump or a pole it stays (or grows).
    const double gap = std::fabs(fb - fa);
    if (!(gap > tolerance_)) {
        return false;  // too small to see, or NaN: the domain's edge is handled elsewhere
    }
    for (int k = 0; k < kJumpHalvings; ++k) {
        const double m = a + (b - a) * 0.5;
        if (!(m > a && m < b)) {
            break;  // no double left between the ends
        }
        const double fm = evaluateCartesian(m);
        const double leftGap = std::fabs(fm - fa);
        const double rightGap = std::fabs(fb - fm);
        if (std::isnan(leftGap) || std::isnan(rightGap)) {
            return false;
        }
        if (leftGap >= rightGap) {
            b = m, fb = fm;
        } else {
            a = m, fa = fm;
        }
        const double narrower = std::max(leftGap, rightGap);
        if (!(narrower > tolerance_) || narrower < 0.5 * gap) {
            return false;
        }
    }
    return true;
}

double ExplicitSampler::evaluateCartesian(double t) const {
    data_.variableTable[freeSlot_] = t;
    return data_.expressionNode.evaluate();
}

ExplicitSampler::PolarValue ExplicitSampler::evaluatePolar(double t) const {
    double* table = data_.variableTable;
    double r = t;
    double theta = t;
    // The computed coordinate is written back too, as the other one was before evaluating.
    if (radial_) {
        table[kSlotR] = r;
        theta = data_.expressionNode.evaluate();
        table[kSlotTheta] = theta;
        return {theta, r * std::cos(theta), r * std::sin(theta)};
    }
    table[kSlotTheta] = theta;
    r = data_.expressionNode.evaluate();
    table[kSlotR] = r;
    return {r, r * std::cos(theta), r * std::sin(theta)};
}

void ExplicitSampler::storeCartesian(std::uint32_t position, double t, double value) const {
    SamplePoint& point = storage_[position];
    if (freeSlot_ == 0) {
        point = {static_cast<float>(t - origin_.x), static_cast<float>(value - origin_.y)};
    } else {
        point = {static_cast<float>(value - origin_.x), static_cast<float>(t - origin_.y)};
    }
}

void ExplicitSampler::storePolar(std::uint32_t position, const PolarValue& point) const {
    storage_[position] = {static_cast<float>(point.x - origin_.x),
                          static_cast<float>(point.y - origin_.y)};
}

}  // namespace plotwise
