#pragma once

#include <cstddef>

#include "common/DeviceClass.h"
#include "engine/EquationType.h"

namespace plotwise {

// The fixed buffer capacities and grid divisions of one device class. They bound every mesh far
// below the 65536 vertices that 16-bit indices can reach.
struct MeshCapacities3D {
    // Points of an explicit grid (31×31 on a phone, 41×41 on a tablet).
    std::size_t explicitSamples;
    // Samples of an angle loop, both ends included.
    int angularSamples;
    // Cell centres inside an inequality before the solid is cut off.
    std::size_t inequalityInsidePoints;
    // Vertex records of an inequality solid.
    std::size_t inequalityVertices;
    // Vertices of an implicit surface: whole triangles are written while the count plus 2 stays
    // below it.
    std::size_t implicitVertexLimit;
    // Steps per axis of the 3D view's box, by equation kind.
    float explicitDivisions;
    float implicitDivisions;
    float inequalityDivisions;

    static constexpr MeshCapacities3D forDevice(DeviceClass device) {
        if (device == DeviceClass::Tablet) {
            return {1681, 40, 20480, 30720, 61440, 40.0f, 24.0f, 25.0f};
        }
        return {961, 30, 10240, 15360, 30730, 30.0f, 16.0f, 15.0f};
    }

    // The divisions the 3D view uses for an equation of `type` (6 implicit, 7 inequality, else
    // explicit).
    constexpr float divisionsForType(EquationType type) const {
        if (type == EquationType::Implicit) {
            return implicitDivisions;
        }
        if (type == EquationType::Inequality) {
            return inequalityDivisions;
        }
        return explicitDivisions;
    }
};

}  // namespace plotwise
