#include <gtest/gtest.h>

#include <cmath>

#include "Graph3DTestSupport.h"
#include "graph3d/InequalitySolidBuilder.h"

namespace plotwise {
namespace {

using test::equation;
using test::viewLimits;

class InequalitySolid : public ::testing::TestWithParam<DeviceClass> {
protected:
    DeviceClass device() const { return GetParam(); }
    bool tablet() const { return device() == DeviceClass::Tablet; }
    MeshCapacities3D capacities() const { return MeshCapacities3D::forDevice(device()); }
};

TEST_P(InequalitySolid, BallOfEightCellsMergesIntoFourColumns) {
    // Cells of side 1 from −2: centres ±0.5 and ±1.5. Only the eight centres (±0.5, ±0.5, ±0.5)
    // have x²+y²+z² = 0.75 < 1; each (x, y) pair merges its two z cells.
    auto e = equation("x^2+y^2+z^2<1");
    ASSERT_EQ(e.type, EquationType::Inequality);
    const EvaluationLimits3D limits{-2.0f, 2.0f, 1.0f, 0.0f};
    InequalitySolidBuilder::Statistics statistics;
    const Mesh3D mesh = InequalitySolidBuilder::build(limits, e.data, capacities(), &statistics);
    EXPECT_EQ(statistics.insidePoints, 8u);
    EXPECT_EQ(statistics.evaluations, 64u);
    ASSERT_EQ(mesh.vertices.size(), 4u * 36u);
    EXPECT_EQ(mesh.indices.size(), 4u * 36u);
    EXPECT_EQ(mesh.lineIndices.size(), 4u * 24u);
    for (std::size_t i = 0; i < mesh.indices.size(); ++i) {
        EXPECT_EQ(mesh.indices[i], i);
    }
    // The first column is x = y = −0.5: the box [−1, 0] × [−1, 0] × [−1, 1].
    for (std::size_t v = 0; v < 36; ++v) {
        EXPECT_TRUE(mesh.vertices[v].x == -1.0f || mesh.vertices[v].x == 0.0f);
        EXPECT_TRUE(mesh.vertices[v].y == -1.0f || mesh.vertices[v].y == 0.0f);
        EXPECT_TRUE(mesh.vertices[v].z == -1.0f || mesh.vertices[v].z == 1.0f);
    }
    // Bottom corner a (x+h, y+h, zb), top corner a (x+h, y+h, zt).
    EXPECT_EQ(mesh.vertices[0].z, -1.0f);
    EXPECT_EQ(mesh.vertices[30].z, 1.0f);
    EXPECT_EQ(mesh.vertices[0].x, 0.0f);
    // Both faces of an axis share one normal, towards the negative axis: faces bottom, y + h,
    // x + h, y − h, x − h, top.
    for (std::size_t face = 0; face < 6; ++face) {
        const MeshVertex& v = mesh.vertices[6 * face];
        const float along[] = {v.nz, v.ny, v.nx, v.ny, v.nx, v.nz};
        EXPECT_NEAR(along[face], -1.0f, 0.003f) << face;
    }
    // Wireframe of the first box: bottom outline first.
    EXPECT_EQ(std::vector<std::uint32_t>(mesh.lineIndices.begin(), mesh.lineIndices.begin() + 8),
              (std::vector<std::uint32_t>{0, 1, 1, 2, 2, 5, 5, 0}));
    EXPECT_EQ(mesh.lineIndices[24], 36);  // the second box starts at vertex 36
}

TEST_P(InequalitySolid, FullBoxStopsAtTheInsidePointBuffer) {
    // Everything holds: the buffer takes as many centres as it holds, in x, y, z order, n per
    // column, so that many full columns and one partial one.
    auto e = equation("x<100");
    const EvaluationLimits3D limits = EvaluationLimits3D::forScale(1, 30);
    std::size_t n = 0;
    for (float v = limits.min; v < limits.max; v += limits.step) {
        ++n;
    }
    const std::size_t inside = capacities().inequalityInsidePoints;
    ASSERT_GT(n * n * n, inside);
    InequalitySolidBuilder::Statistics statistics;
    const Mesh3D mesh = InequalitySolidBuilder::build(limits, e.data, capacities(), &statistics);
    EXPECT_EQ(statistics.insidePoints, inside);
    EXPECT_TRUE(statistics.cutOff);
    EXPECT_EQ(mesh.vertices.size() / 36, inside / n + (inside % n != 0 ? 1 : 0));
    const std::size_t last = mesh.vertices.size() - 36;
    const float lastHeight = mesh.vertices[last + 30].z - mesh.vertices[last].z;
    EXPECT_NEAR(lastHeight / limits.step, static_cast<float>(inside % n == 0 ? n : inside % n),
                1e-3);
}

TEST_P(InequalitySolid, NothingInsideGivesNoMesh) {
    for (const char* text : {"x^2+y^2+z^2<-1", "x>100", "√(-1-x^2)>0"}) {
        auto e = equation(text);
        const Mesh3D mesh = InequalitySolidBuilder::build(
            viewLimits(EquationType::Inequality, device()), e.data, capacities());
        EXPECT_TRUE(mesh.empty()) << text;
        EXPECT_TRUE(mesh.lineIndices.empty());
    }
    auto e = equation("x<1");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const EvaluationLimits3D l :
         {EvaluationLimits3D{-7, 7, 0, 0}, EvaluationLimits3D{-7, 7, nan, 0},
          EvaluationLimits3D{nan, 7, 1, 0}, EvaluationLimits3D{7, -7, 1, 0}}) {
        EXPECT_TRUE(InequalitySolidBuilder::build(l, e.data, capacities()).empty());
    }
}

TEST_P(InequalitySolid, CylindricalReadingCoversBothHalvesAroundZ) {
    // With z in play Θ is the angle about z: Θ > 0 is the half y > 0 (and the negative x
    // axis, where the angle is π), on both sides of the y axis.
    auto e = equation("Θ+0*z>0");
    const std::vector<Float3> points = InequalitySolidBuilder::insidePoints(
        viewLimits(EquationType::Inequality, device()), e.data, capacities());
    ASSERT_FALSE(points.empty());
    bool left = false;
    bool right = false;
    for (const Float3& p : points) {
        EXPECT_TRUE(p.y > 0.0f || (p.y == 0.0f && p.x < 0.0f)) << p.x << ", " << p.y;
        left = left || p.x < 0.0f;
        right = right || p.x > 0.0f;
    }
    EXPECT_TRUE(left && right);
    auto beyond = equation("Θ+0*z>2");  // angles above 2 rad lie at x < 0, y >= 0
    const std::vector<Float3> leftPoints = InequalitySolidBuilder::insidePoints(
        viewLimits(EquationType::Inequality, device()), beyond.data, capacities());
    ASSERT_FALSE(leftPoints.empty());
    for (const Float3& p : leftPoints) {
        EXPECT_LT(p.x, 0.0f);
        EXPECT_GE(p.y, 0.0f);
    }
}

TEST(InequalitySolidMerge, RunsNeedTheSameColumnAndOneStep) {
    const std::vector<Float3> points = {
        {0, 0, 0}, {0, 0, 1}, {0, 0, 2},  // one run
        {0, 0, 4},                        // a gap of two steps starts another
        {0, 1, 5}, {1, 1, 6},             // other columns
    };
    const auto columns = InequalitySolidBuilder::mergeColumns(points, 1.0f);
    ASSERT_EQ(columns.size(), 4u);
    EXPECT_EQ(columns[0].zFirst, 0.0f);
    EXPECT_EQ(columns[0].zLast, 2.0f);
    EXPECT_EQ(columns[1].zFirst, 4.0f);
    EXPECT_EQ(columns[1].zLast, 4.0f);
    EXPECT_EQ(columns[3].x, 1.0f);
}

INSTANTIATE_TEST_SUITE_P(Devices, InequalitySolid, test::kDevices, test::deviceParamName);

}  // namespace
}  // namespace plotwise
