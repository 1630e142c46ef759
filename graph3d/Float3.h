#pragma once

namespace plotwise {

// A single-precision 3-vector for mesh geometry.
struct Float3 {
    float x = 0.0f;
    float y = 0.0f;
    float z = 0.0f;

    friend constexpr Float3 operator+(Float3 a, Float3 b) {
        return {a.x + b.x, a.y + b.y, a.z + b.z};
    }
    friend constexpr Float3 operator-(Float3 a, Float3 b) {
        return {a.x - b.x, a.y - b.y, a.z - b.z};
    }
    friend constexpr Float3 operator*(Float3 a, float s) { return {a.x * s, a.y * s, a.z * s}; }
    friend constexpr bool operator==(Float3 a, Float3 b) = default;

    static constexpr Float3 cross(Float3 a, Float3 b) {
        return {a.y * b.z - a.z * b.y, a.z * b.x - a.x * b.z, a.x * b.y - a.y * b.x};
    }
    static constexpr float dot(Float3 a, Float3 b) { return a.x * b.x + a.y * b.y + a.z * b.z; }
};

}  // namespace plotwise
