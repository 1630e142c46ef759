#pragma once

namespace plotwise {

// One sampled point in plane units. Plain and trivially constructible, so a sample buffer can be
// allocated at its full capacity without touching the memory it never fills.
struct SamplePoint {
    float x;
    float y;

    friend bool operator==(const SamplePoint&, const SamplePoint&) = default;
};

static_assert(sizeof(SamplePoint) == 8);

}  // namespace plotwise
