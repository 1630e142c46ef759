#pragma once

#include <QVariantMap>
#include <cstdint>
#include <memory>

#include "common/DeviceClass.h"
#include "equations/RVEquation.h"
#include "graph3d/EquationMesh3D.h"

namespace plotwise {

// An equation of the 3D plane: the stored equation of RVEquation plus the mesh its expression
// makes over the 3D view's box. The mesh itself is EquationMesh3D, which knows nothing of Qt;
// uploading it to graphics memory is the view's part.
class RVEquation3D : public RVEquation {
public:
    // Both factories leave the equation calculating until its first evaluation, so that nothing
    // is uploaded before there is a mesh.
    static std::unique_ptr<RVEquation3D> equation3DwithOperationTree(
        std::unique_ptr<RVOperationTree> tree);
    static std::unique_ptr<RVEquation3D> equation3DwithStateFromDictionary(const QVariantMap& state,
                                                                           double* table);

    // Classifies as RVEquation does, compiles, and spoils the cache key.
    void setExpression(std::unique_ptr<RVOperationTree> tree) override;

    // Rebuilds the mesh unless every field of `limits` is within 0.01 of the last evaluation's;
    // a hidden equation is left as it is. `fasterLessAccurate3DAlgorithm` is the "Faster
    // Implicits" setting, read for this evaluation; `indexWidth` what the renderer can draw.
    // Returns whether it rebuilt.
    bool evaluateWithLimits(const EvaluationLimits3D& limits, DeviceClass device,
                            bool fasterLessAccurate3DAlgorithm,
                            IndexWidth indexWidth = IndexWidth::Bits16);
    void evaluateVBOWithLimits(const EvaluationLimits3D& limits, DeviceClass device) {
        mesh_.evaluateVBOWithLimits(limits, device);
    }
    void calculateImplicit(const EvaluationLimits3D& limits, DeviceClass device) {
        mesh_.calculateImplicit(limits, device);
    }
    void calculateImplicitWithSmooth(const EvaluationLimits3D& limits, DeviceClass device) {
        mesh_.calculateImplicitWithSmooth(limits, device);
    }

    // Drawing order by colour alpha: -1 when this one is more opaque than `other`, 1 when less,
    // 0 when equal, so that sorting draws opaque equations first.
    int compareAlpha(const RVEquation3D& other) const;

    const Mesh3D& mesh() const { return mesh_.mesh(); }
    Mesh3D takeMesh() { return mesh_.takeMesh(); }
    std::uint32_t dataObjectCount() const { return mesh_.dataObjectCount(); }
    std::uint32_t dataIndexCount() const { return mesh_.dataIndexCount(); }
    std::uint32_t linesIndexCount() const { return mesh_.linesIndexCount(); }
    int horizontalSteps() const { return mesh_.horizontalSteps(); }
    int verticalSteps() const { return mesh_.verticalSteps(); }
    const EvaluationLimits3D& previousEvaluationLimits() const {
        return mesh_.previousEvaluationLimits();
    }
    void spoilCache() { mesh_.spoilCache(); }
    bool calculating() const { return mesh_.calculating(); }
    void setCalculating(bool calculating) { mesh_.setCalculating(calculating); }
    bool invalidVBO() const { return mesh_.invalidVBO(); }
    void setInvalidVBO(bool invalid) { mesh_.setInvalidVBO(invalid); }
    const EvaluationData3D& evaluationData() const { return mesh_.evaluationData(); }

private:
    EquationMesh3D mesh_;
};

}  // namespace plotwise
