#include "graph2d/sampling/EquationSampler2D.h"

#include <memory>
#include <new>

#include "graph2d/sampling/ContourBuilder.h"
#include "graph2d/sampling/ExplicitSampler.h"
#include "graph2d/sampling/RegionBuilder.h"

namespace plotwise {

std::optional<SampleBuffer2D> EquationSampler2D::sample(EquationType type,
                                                        const EvaluationLimits2D& limits,
                                                        const EvaluationData2D& data,
                                                        DeviceClass device) {
    // Left uninitialised: only the part written is read (and copied) after.
    if (type == EquationType::Inequality) {
        const std::uint32_t capacity = RegionBuilder::capacityFor(device);
        std::unique_ptr<RegionRecord[]> storage(new (std::nothrow) RegionRecord[capacity]);
        if (!storage) {
            return std::nullopt;
        }
        RegionBuilder builder(data, storage.get(), capacity);
        const std::uint32_t count = builder.build(limits);
        SampleBuffer2D buffer =
            SampleBuffer2D::withRecords(storage.get(), count, limits.sampleOrigin());
        buffer.setTruncated(builder.truncated());
        return buffer;
    }
    const std::uint32_t capacity = ExplicitSampler::defaultCapacity;
    std::unique_ptr<SamplePoint[]> storage(new (std::nothrow) SamplePoint[capacity]);
    if (!storage) {
        return std::nullopt;
    }
    std::uint32_t count = 0;
    bool truncated = false;
    if (type == EquationType::Implicit) {
        ContourBuilder builder(data, storage.get(), capacity);
        count = builder.build(limits);
        truncated = builder.truncated();
    } else {
        ExplicitSampler sampler(data, storage.get(), capacity);
        count = sampler.evaluateExplicitWithLimits(type, limits);
        truncated = sampler.truncated();
    }
    SampleBuffer2D buffer = SampleBuffer2D::withPoints(storage.get(), count, limits.sampleOrigin());
    buffer.setTruncated(truncated);
    return buffer;
}

}  // namespace plotwise
