#include "graph2d/sampling/SampleBuffer2D.h"

namespace plotwise {

SampleBuffer2D SampleBuffer2D::withPoints(const SamplePoint* points, std::uint32_t count,
                                          EvaluationLimits2D::PlanePoint origin) {
    SampleBuffer2D buffer;
    buffer.origin_ = origin;
    buffer.points_.assign(points, points + count);
    buffer.dataObjectCount_ = count > 0 ? count - 1 : 0;
    return buffer;
}

SampleBuffer2D SampleBuffer2D::withRecords(const RegionRecord* records, std::uint32_t count,
                                           EvaluationLimits2D::PlanePoint origin) {
    SampleBuffer2D buffer;
    buffer.origin_ = origin;
    buffer.records_.assign(records, records + count);
    buffer.dataObjectCount_ = count;
    return buffer;
}

}  // namespace plotwise
