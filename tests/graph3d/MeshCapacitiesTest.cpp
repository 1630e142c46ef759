#include <gtest/gtest.h>

#include <cstddef>
#include <limits>
#include <tuple>

#include "Graph3DTestSupport.h"
#include "graph3d/ImplicitSurfaceBuilder.h"
#include "graph3d/InequalitySolidBuilder.h"
#include "graph3d/MeshBuilder3D.h"

namespace plotwise {
namespace {

using test::equation;

constexpr std::size_t kUncapped = std::numeric_limits<std::size_t>::max();

// 16-bit caps keep every mesh addressable by 16-bit indices; 32-bit capacities fill the
// device's budget, not more.
TEST(MeshCapacities, CapacitiesFitTheirIndicesAndTheBudget) {
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        const MeshCapacities3D narrow = MeshCapacities3D::forDevice(device);
        const MeshCapacities3D wide = MeshCapacities3D::forDevice(device, IndexWidth::Bits32);
        const std::size_t budget =
            device == DeviceClass::Tablet ? std::size_t{256} << 20 : std::size_t{64} << 20;
        EXPECT_LT(std::max(narrow.implicitVertexLimit, narrow.inequalityVertices), 65536u);
        EXPECT_LE(wide.implicitVertexLimit * (sizeof(MeshVertex) + 3 * sizeof(std::uint32_t)),
                  budget);
        EXPECT_GT(wide.implicitVertexLimit, 1000000u);
        EXPECT_LE(wide.inequalityInsidePoints * 2 * sizeof(Float3), budget);
        EXPECT_EQ(wide.implicitDivisions, narrow.implicitDivisions);
    }
}

// The dense gyroid at 64³ (marching cubes, 48³ for the tetrahedra's many more triangles): the
// 16-bit caps cut it off, the phone's budget holds it whole, with exactly the triangles of an
// extraction without any limit.
TEST(MeshCapacities, GyroidIsWholeWithThirtyTwoBitIndices) {
    for (const bool tetrahedra : {false, true}) {
        SCOPED_TRACE(tetrahedra ? "tetrahedra" : "cubes");
        const EvaluationLimits3D limits = EvaluationLimits3D::forScale(1, tetrahedra ? 48 : 64);
        auto e = equation("sin(2x)cos(2y)+sin(2y)cos(2z)+sin(2z)cos(2x)", tetrahedra);
        const auto reference = ImplicitSurfaceBuilder::extract(limits, e.data, kUncapped, false);
        ASSERT_FALSE(reference.statistics.cutOff);
        const MeshCapacities3D narrow = MeshCapacities3D::forDevice(DeviceClass::Phone);
        const MeshCapacities3D wide =
            MeshCapacities3D::forDevice(DeviceClass::Phone, IndexWidth::Bits32);
        ImplicitSurfaceBuilder::Statistics cut;
        ImplicitSurfaceBuilder::calculateImplicit(limits, e.data, narrow.implicitVertexLimit, &cut);
        EXPECT_TRUE(cut.cutOff);
        const Mesh3D whole = MeshBuilder3D::build(EquationType::Implicit, limits, e.data, wide);
        EXPECT_GT(whole.vertices.size(), 65536u);
        EXPECT_EQ(whole.vertices.size(), reference.positions.size());
        ASSERT_EQ(whole.indices.size(), reference.positions.size());
        EXPECT_EQ(whole.indices.back(), whole.indices.size() - 1);
        EXPECT_EQ(whole.lineIndices.size(), 2 * whole.indices.size());
        for (std::size_t i = 0; i < whole.vertices.size(); i += 9973) {
            EXPECT_EQ(whole.vertices[i].x, reference.positions[i].x);
            EXPECT_EQ(whole.vertices[i].z, reference.positions[i].z);
        }
    }
}

// A half space at 64 steps per axis has 64³/2 inside cells: over the 16-bit caps, within the
// budget.
TEST(MeshCapacities, InequalitySolidIsWholeWithThirtyTwoBitIndices) {
    const EvaluationLimits3D limits = EvaluationLimits3D::forScale(1, 64);
    auto e = equation("x<y");
    for (const auto& [width, cutOff] :
         {std::tuple{IndexWidth::Bits16, true}, std::tuple{IndexWidth::Bits32, false}}) {
        InequalitySolidBuilder::Statistics statistics;
        const Mesh3D mesh = InequalitySolidBuilder::build(
            limits, e.data, MeshCapacities3D::forDevice(DeviceClass::Phone, width), &statistics);
        EXPECT_EQ(statistics.cutOff, cutOff);
        if (!cutOff) {
            // One box per (x, y) column with x < y: 64·63/2 columns of 36 vertices.
            EXPECT_EQ(mesh.vertices.size(), 36u * 64 * 63 / 2);
            EXPECT_EQ(mesh.indices.back(), mesh.vertices.size() - 1);
        }
    }
}

}  // namespace
}  // namespace plotwise
