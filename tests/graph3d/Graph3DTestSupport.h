#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <string>
#include <string_view>

#include "common/DeviceClass.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph3d/EvaluationData3D.h"
#include "graph3d/EvaluationLimits3D.h"
#include "graph3d/Mesh3D.h"
#include "graph3d/MeshCapacities3D.h"

// Helpers shared by the 3D builder suites.
namespace plotwise::test {

// An expression parsed as the keyboard parses it, with its own variable table, classified and
// compiled for the mesh builders.
struct Equation3D {
    std::unique_ptr<VariableTable> table = std::make_unique<VariableTable>();
    std::unique_ptr<RVOperationTree> tree;
    EquationType type = EquationType::Implicit;
    EvaluationData3D data;
};

inline Equation3D equation(std::string_view text, bool tetrahedra = false) {
    Equation3D e;
    ParsedExpression parsed = parseExpression(toUtf16(text), e.table->data());
    if (!parsed.tree) {
        ADD_FAILURE() << "'" << text << "' does not parse";
        return e;
    }
    e.tree = std::move(parsed.tree);
    e.type = classifyExpression(*e.tree).equationType;
    e.data = EvaluationData3D::fromTree(*e.tree);
    e.data.useTetahedros = tetrahedra;
    e.data.calculateSmoothForImplicit = tetrahedra;
    return e;
}

// The 3D view's limits at zoom 1 for an equation of `type` on `device`.
inline EvaluationLimits3D viewLimits(EquationType type, DeviceClass device, float scale = 1.0f) {
    return EvaluationLimits3D::forScale(scale,
                                        MeshCapacities3D::forDevice(device).divisionsForType(type));
}

inline std::string deviceName(DeviceClass device) {
    return device == DeviceClass::Tablet ? "Tablet" : "Phone";
}

inline bool finite(const MeshVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

}  // namespace plotwise::test
