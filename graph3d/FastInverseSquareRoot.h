#pragma once

#include <bit>
#include <cstdint>

#include "graph3d/Float3.h"

namespace plotwise {

// 1/√s by the bit-level first guess with one Newton step, as every normal of the 3D meshes is
// scaled. The magic constant is 0x5F3759D5 (not the better-known 0x5F3759DF); the result is
// within about 0.2% of the true value. The subtraction wraps in unsigned arithmetic so that a
// negative or NaN argument gives a value, never undefined behaviour.
inline float fastInverseSquareRoot(float s) {
    const auto bits = std::bit_cast<std::int32_t>(s);
    const auto guessBits =
        static_cast<std::uint32_t>(0x5F3759D5u) - static_cast<std::uint32_t>(bits >> 1);
    const float y0 = std::bit_cast<float>(guessBits);
    return y0 * (1.5f - 0.5f * s * y0 * y0);
}

// The vector scaled by the fast inverse square root of its squared length. A zero vector stays
// zero.
inline Float3 normalizeFast(Float3 v) {
    const float s = v.x * v.x + v.y * v.y + v.z * v.z;
    return v * fastInverseSquareRoot(s);
}

}  // namespace plotwise
