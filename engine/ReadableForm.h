#pragma once

#include <string>

namespace plotwise {

class RVOperation;

// The expression as a student would write it, for showing only (plotting keeps the tree):
// signs tidied (x-1, -a⋅b), like terms and numeric factors collected (4⋅x, 2⋅cos(x)), negative
// powers as quotients (1/x^2), brackets only where the grammar needs them, √ without its index,
// and numbers that are simple fractions within one ulp written as fractions (1/3). The text
// re-parses to the same values as the tree, up to rounding; it is never longer than the tree's
// own description, which is returned instead when it would be.
std::u16string readableText(const RVOperation& operation);

}  // namespace plotwise
