#pragma once

#include <cstddef>
#include <cstdint>

#include "common/DeviceClass.h"
#include "graph2d/sampling/EvaluationData2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/RegionRecord.h"

namespace plotwise {

// Fills the region of an inequality (type 7) over the sampling grid: a cell wholly inside becomes
// a rectangle, merged with the full cell below it into one strip per run; any other cell is split
// into the triangles (A, B, C) and (B, C, D), each clipped at the interpolated zeros of its edges
// to the side that is inside.
class RegionBuilder {
public:
    static constexpr std::uint32_t phoneCapacity = 28444;
    static constexpr std::uint32_t tabletCapacity = 56889;
    static constexpr std::uint32_t capacityFor(DeviceClass device) {
        return device == DeviceClass::Tablet ? tabletCapacity : phoneCapacity;
    }

    // `storage` has room for `capacity` records and is written from its start.
    RegionBuilder(const EvaluationData2D& data, RegionRecord* storage, std::uint32_t capacity);

    // Returns the number of records written.
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
        bool inside;
        // The side of the boundary: the value's sign, or for a node exactly on the boundary
        // the side its inside flag puts it on; 0 for NaN, which crosses no edge.
        int side;
    };

    Corner corner(SamplePoint point, double value, bool inside) const;
    void add(const RegionRecord& record, bool touchesBoundary);

    void fullCell(const SamplePoint& a, const SamplePoint& b, const SamplePoint& d,
                  const SamplePoint& c);
    void clip(const Corner& p, const Corner& q, const Corner& r);

    const EvaluationData2D& data_;
    RegionRecord* storage_;
    std::uint32_t capacity_;
    // The sign of the values inside (−1 for ">" and "≥", +1 for "<", "≤" and "≠").
    int insideSign_ = 1;
    std::uint32_t count_ = 0;
    std::size_t evaluatedNodeCount_ = 0;
    bool truncated_ = false;
};

}  // namespace plotwise
