#pragma once

#include "engine/VariableTable.h"

namespace plotwise {

// What an equation draws, classified from its relation. The numbers are stored and printed
// (state, JSON), so they never change: 0..5 explicit in the variable of that slot, 6 an implicit
// equation or a bare expression, 7 an inequality.
enum class EquationType : int {
    ExplicitX = 0,      // x = f(y) in 2D, x = f(y, z) in 3D
    ExplicitY = 1,      // y = f(x), y = f(x, z)
    ExplicitZ = 2,      // z = f(x, y)
    ExplicitR = 3,      // r = f(Θ), r = f(Θ, Φ)
    ExplicitTheta = 4,  // Θ = f(r), Θ = f(r, z)
    ExplicitPhi = 5,    // Φ = f(r, Θ)
    Implicit = 6,
    Inequality = 7,
};

constexpr int toInt(EquationType type) {
    return static_cast<int>(type);
}

constexpr bool isExplicit(EquationType type) {
    return toInt(type) >= 0 && toInt(type) <= 5;
}

// The type of an equation explicit in the variable of `slot`.
constexpr EquationType explicitTypeForSlot(VariableSlot slot) {
    return static_cast<EquationType>(slot);
}

// The slot of the variable an explicit equation gives; meaningless for the other types.
constexpr VariableSlot explicitSlot(EquationType type) {
    return static_cast<VariableSlot>(toInt(type));
}

}  // namespace plotwise
