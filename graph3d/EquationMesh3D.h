#pragma once

#include <cstdint>

#include "common/DeviceClass.h"
#include "engine/EquationType.h"
#include "engine/RVOperationTree.h"
#include "graph3d/EvaluationData3D.h"
#include "graph3d/EvaluationLimits3D.h"
#include "graph3d/Mesh3D.h"
#include "graph3d/MeshCapacities3D.h"

namespace plotwise {

// The mesh side of a 3D equation, free of Qt: the compiled form and its flags, the client mesh,
// the limits of the last evaluation (the cache key) and the flags the view's upload reads.
// RVEquation3D holds one; plotwise-cli uses it alone, so both build the same meshes.
class EquationMesh3D {
public:
    // Compiles `tree` (its derivatives already carried out) for an equation of `type`, and
    // spoils the cache key so that the next evaluation rebuilds whatever the limits. The tree's
    // variable table must outlive this object. No tree gives no mesh.
    void setExpression(const RVOperationTree* tree, EquationType type);

    // Rebuilds the mesh unless every field of `limits` is within 0.01 of the last evaluation's,
    // or the equation is hidden. "Faster Implicits" (fasterLessAccurate3DAlgorithm) picks the
    // implicit variant for this evaluation. `indexWidth` is what the renderer can draw: the
    // capacities follow from it. Returns whether it rebuilt.
    bool evaluateWithLimits(const EvaluationLimits3D& limits, bool visible, DeviceClass device,
                            bool fasterLessAccurate3DAlgorithm,
                            IndexWidth indexWidth = IndexWidth::Bits16);

    // Builds the client mesh by type, without the cache.
    void evaluateVBOWithLimits(const EvaluationLimits3D& limits, DeviceClass device,
                               IndexWidth indexWidth = IndexWidth::Bits16);
    void calculateImplicit(const EvaluationLimits3D& limits, DeviceClass device,
                           IndexWidth indexWidth = IndexWidth::Bits16);
    void calculateImplicitWithSmooth(const EvaluationLimits3D& limits, DeviceClass device,
                                     IndexWidth indexWidth = IndexWidth::Bits16);

    EquationType type() const { return type_; }
    const Mesh3D& mesh() const { return mesh_; }
    // Hands the client arrays to the uploader, leaving the counts at 0.
    Mesh3D takeMesh();

    std::uint32_t dataObjectCount() const {
        return static_cast<std::uint32_t>(mesh_.vertices.size());
    }
    std::uint32_t dataIndexCount() const {
        return static_cast<std::uint32_t>(mesh_.indices.size());
    }
    std::uint32_t linesIndexCount() const {
        return static_cast<std::uint32_t>(mesh_.lineIndices.size());
    }
    int horizontalSteps() const { return mesh_.horizontalSteps; }
    int verticalSteps() const { return mesh_.verticalSteps; }

    const EvaluationLimits3D& previousEvaluationLimits() const { return previousEvaluationLimits_; }
    // The next evaluation rebuilds whatever the limits: the uploaded copy was lost with its
    // graphics context, and the client copy was freed by the upload.
    void spoilCache() { previousEvaluationLimits_.targetValue = -1.0f; }
    // Set while a mesh is being built, and from creation until the first evaluation: the view
    // must not upload then.
    bool calculating() const { return calculating_; }
    void setCalculating(bool calculating) { calculating_ = calculating; }
    // New client data waits to be uploaded.
    bool invalidVBO() const { return invalidVBO_; }
    void setInvalidVBO(bool invalid) { invalidVBO_ = invalid; }

    const EvaluationData3D& evaluationData() const { return evaluationData_; }

private:
    EvaluationData3D evaluationData_;
    Mesh3D mesh_;
    EvaluationLimits3D previousEvaluationLimits_;
    EquationType type_ = EquationType::Implicit;
    bool calculating_ = true;
    bool invalidVBO_ = false;
};

}  // namespace plotwise
