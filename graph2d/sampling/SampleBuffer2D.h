#pragma once

#include <cstdint>
#include <vector>

#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/RegionRecord.h"
#include "graph2d/sampling/SamplePoint.h"

namespace plotwise {

// The samples of one 2D equation at their exact length: a polyline (types 0, 1, 3, 4), segment
// pairs (type 6), or region records (type 7). Only one of the two lists is ever filled.
class SampleBuffer2D {
public:
    SampleBuffer2D() = default;
    // dataObjectCount is the number of points − 1, never below 0.
    // Points are measured from `origin` (EvaluationLimits2D::sampleOrigin).
    static SampleBuffer2D withPoints(const SamplePoint* points, std::uint32_t count,
                                     EvaluationLimits2D::PlanePoint origin = {});
    // dataObjectCount is the number of records.
    static SampleBuffer2D withRecords(const RegionRecord* records, std::uint32_t count,
                                      EvaluationLimits2D::PlanePoint origin = {});

    const std::vector<SamplePoint>& points() const { return points_; }
    const std::vector<RegionRecord>& records() const { return records_; }
    std::uint32_t dataObjectCount() const { return dataObjectCount_; }
    // The plane point a sample (x, y) stands for is origin + (x, y), added in double precision.
    EvaluationLimits2D::PlanePoint origin() const { return origin_; }
    // Whether the sampler stopped at a limit and left part of the picture out.
    bool truncated() const { return truncated_; }
    void setTruncated(bool truncated) { truncated_ = truncated; }
    bool empty() const { return points_.empty() && records_.empty(); }

private:
    std::vector<SamplePoint> points_;
    std::vector<RegionRecord> records_;
    std::uint32_t dataObjectCount_ = 0;
    EvaluationLimits2D::PlanePoint origin_;
    bool truncated_ = false;
};

}  // namespace plotwise
