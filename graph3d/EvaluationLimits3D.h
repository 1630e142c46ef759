#pragma once

#include <cmath>

namespace plotwise {

// The cubic evaluation box of the 3D view: every axis runs from min to max, sampled every step;
// targetValue is the level of implicit surfaces. Single precision, as the loops that read it.
struct EvaluationLimits3D {
    float min = 0.0f;
    float max = 0.0f;
    float step = 0.0f;
    float targetValue = 0.0f;

    // The limits the 3D view computes at zoom `scaleFactor` for `divisions` steps per axis.
    static EvaluationLimits3D forScale(float scaleFactor, float divisions, float targetValue = 0) {
        EvaluationLimits3D limits;
        limits.min = -7.0f / scaleFactor;
        limits.max = 7.0f / scaleFactor;
        limits.step = (limits.max - limits.min) / divisions;
        limits.targetValue = targetValue;
        return limits;
    }

    // Whether a box can be sampled at all: finite bounds and a positive finite step. Anything
    // else gives an empty mesh instead of a loop that never advances.
    bool isUsable() const {
        return std::isfinite(min) && std::isfinite(max) && std::isfinite(step) && step > 0.0f;
    }

    // The cache rule of an evaluation: every field within 0.01 of the other's.
    bool closeTo(const EvaluationLimits3D& other) const {
        return std::fabs(min - other.min) < 0.01f && std::fabs(max - other.max) < 0.01f &&
               std::fabs(step - other.step) < 0.01f &&
               std::fabs(targetValue - other.targetValue) < 0.01f;
    }
};

}  // namespace plotwise
