#pragma once

#include <cstddef>

#include "common/DeviceClass.h"
#include "engine/EquationType.h"

namespace plotwise {

// How wide the indices of the renderer's element buffers may be.
enum class IndexWidth {
    // Only 16-bit indices (OpenGL ES 2 without OES_element_index_uint): at most 65536 vertices.
    Bits16,
    // 32-bit indices (desktop OpenGL, OpenGL ES 3, or ES 2 with the extension).
    Bits32,
};

// The buffer capacities and grid divisions of one device class. With 16-bit indices they are the
// fixed caps, far below the 65536 vertices 16-bit indices reach; with 32-bit indices the vertex
// capacities follow from a memory budget per mesh instead, so that no surface is cut off.
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

    // Bytes one mesh may take with 32-bit indices.
    static constexpr std::size_t phoneMeshBudget = std::size_t{64} << 20;
    static constexpr std::size_t tabletMeshBudget = std::size_t{256} << 20;
    // What a vertex costs while its mesh is built: the 24-byte record, its index, two line
    // indices, and the extraction's share (corner id, position and normal of shared vertices).
    static constexpr std::size_t bytesPerVertex = 48;
    // What an inside cell centre of an inequality costs: its position and its share of the
    // columns merged from them.
    static constexpr std::size_t bytesPerInsidePoint = 24;

    static constexpr MeshCapacities3D forDevice(DeviceClass device,
                                                IndexWidth width = IndexWidth::Bits16) {
        MeshCapacities3D capacities =
            device == DeviceClass::Tablet
                ? MeshCapacities3D{1681, 40, 20480, 30720, 61440, 40.0f, 24.0f, 25.0f}
                : MeshCapacities3D{961, 30, 10240, 15360, 30730, 30.0f, 16.0f, 15.0f};
        if (width == IndexWidth::Bits32) {
            const std::size_t budget =
                device == DeviceClass::Tablet ? tabletMeshBudget : phoneMeshBudget;
            const std::size_t vertices = budget / bytesPerVertex;
            capacities.explicitSamples = vertices;
            capacities.implicitVertexLimit = vertices;
            capacities.inequalityVertices = vertices;
            capacities.inequalityInsidePoints = budget / bytesPerInsidePoint;
        }
        return capacities;
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
