#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "graph2d/sampling/EvaluationData2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/SamplePoint.h"

namespace plotwise {

// Draws the zero set of an implicit equation (type 6) by marching triangles over the sampling
// grid: each cell is split along its B–C diagonal into the triangles (A, B, C) and (B, C, D), and
// a triangle whose corners change sign adds one segment between the linearly interpolated zeros
// on two of its edges. Output: pairs of points, one pair per segment.
class ContourBuilder {
public:
    static constexpr std::uint32_t defaultCapacity = 128000;

    // `storage` has room for `capacity` points and is written from its start.
    ContourBuilder(const EvaluationData2D& data, SamplePoint* storage,
                   std::uint32_t capacity = defaultCapacity);

    // Returns the number of points written (twice the number of segments).
    std::uint32_t build(const EvaluationLimits2D& limits);

    // Nodes evaluated by the last build.
    std::size_t evaluatedNodeCount() const { return evaluatedNodeCount_; }
    // Whether the last build stopped at its capacity or refused a grid beyond its node limit,
    // leaving part of the picture out.
    bool truncated() const { return truncated_; }

private:
    struct Corner {
        SamplePoint point;
        double value;
    };

    // A column's strict signs as bits, 64 nodes a word: positive and negative (0 and NaN
    // neither).
    struct SignBits {
        std::vector<std::uint64_t> positive;
        std::vector<std::uint64_t> negative;
        void assign(const double* values, std::size_t count);
    };

    void triangle(const Corner& p, const Corner& q, const Corner& r);

    const EvaluationData2D& data_;
    SamplePoint* storage_;
    std::uint32_t capacity_;
    std::uint32_t count_ = 0;
    std::size_t evaluatedNodeCount_ = 0;
    bool truncated_ = false;
    SignBits leftSigns_;
    SignBits rightSigns_;
};

}  // namespace plotwise
