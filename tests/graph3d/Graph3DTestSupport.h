#pragma once

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "common/DeviceClass.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph3d/EvaluationData3D.h"
#include "graph3d/EvaluationLimits3D.h"
#include "graph3d/Float3.h"
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

// Parameters of the suites that run on both devices, and with both implicit variants.
inline const auto kDevices = ::testing::Values(DeviceClass::Phone, DeviceClass::Tablet);
inline const auto kVariantsAndDevices = ::testing::Combine(::testing::Bool(), kDevices);

inline std::string deviceName(DeviceClass device) {
    return device == DeviceClass::Tablet ? "Tablet" : "Phone";
}
inline std::string deviceParamName(const ::testing::TestParamInfo<DeviceClass>& info) {
    return deviceName(info.param);
}
inline std::string variantAndDeviceName(
    const ::testing::TestParamInfo<std::tuple<bool, DeviceClass>>& info) {
    return (std::get<0>(info.param) ? "Tetrahedra" : "Cubes") + deviceName(std::get<1>(info.param));
}

inline bool finite(const MeshVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

// Every undirected edge is crossed as often in one direction as in the other: a closed,
// consistently wound surface. A triangle with two equal corners has no edges.
inline bool watertight(const std::vector<std::array<std::uint32_t, 3>>& triangles) {
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> balance;
    for (const auto& t : triangles) {
        for (std::size_t m = 0; t[0] != t[1] && t[1] != t[2] && t[2] != t[0] && m < 3; ++m) {
            const std::uint32_t a = t[m];
            const std::uint32_t b = t[(m + 1) % 3];
            balance[{std::min(a, b), std::max(a, b)}] += a < b ? 1 : -1;
        }
    }
    for (const auto& [edge, count] : balance) {
        if (count != 0) {
            return false;
        }
    }
    return !balance.empty();
}

// Triangles of consecutive positions, their corners welded by exact bits.
inline std::vector<std::array<std::uint32_t, 3>> weld(const std::vector<Float3>& positions) {
    std::map<std::array<std::uint32_t, 3>, std::uint32_t> ids;
    std::vector<std::array<std::uint32_t, 3>> triangles(positions.size() / 3);
    for (std::size_t i = 0; i < 3 * triangles.size(); ++i) {
        const Float3& p = positions[i];
        const std::array<std::uint32_t, 3> key = {std::bit_cast<std::uint32_t>(p.x),
                                                  std::bit_cast<std::uint32_t>(p.y),
                                                  std::bit_cast<std::uint32_t>(p.z)};
        triangles[i / 3][i % 3] =
            ids.emplace(key, static_cast<std::uint32_t>(ids.size())).first->second;
    }
    return triangles;
}

}  // namespace plotwise::test
