#pragma once

#include <array>
#include <cstddef>

namespace plotwise {

// The six variable slots in the order of the variable alphabet "xyzrΘΦ". Owned by whoever parses;
// trees and compiled forms only point into it, so it must outlive both.
using VariableTable = std::array<double, 6>;

inline constexpr std::size_t kVariableCount = 6;

// The slot of each variable in the table.
enum VariableSlot : std::size_t { kSlotX = 0, kSlotY, kSlotZ, kSlotR, kSlotTheta, kSlotPhi };

}  // namespace plotwise
