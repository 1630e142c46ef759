#include <gtest/gtest.h>

#include <cmath>
#include <numbers>

#include "Graph3DTestSupport.h"
#include "graph3d/ExplicitSurfaceBuilder.h"

namespace plotwise {
namespace {

using test::equation;
using test::viewLimits;

class ExplicitSurface : public ::testing::TestWithParam<DeviceClass> {
protected:
    DeviceClass device() const { return GetParam(); }
    bool tablet() const { return device() == DeviceClass::Tablet; }
    MeshCapacities3D capacities() const { return MeshCapacities3D::forDevice(device()); }
    Mesh3D build(const char* text, EquationType expectedType) {
        auto e = equation(text);
        EXPECT_EQ(e.type, expectedType) << text;
        return ExplicitSurfaceBuilder::build(e.type, viewLimits(e.type, device()), e.data,
                                             capacities());
    }
};

TEST_P(ExplicitSurface, CylindricalRowRunsRadiallyToTwiceTheBox) {
    const Mesh3D mesh = build("z=100*sin(7r)/(1+r)^2", EquationType::ExplicitZ);
    // 30 angles (40 on a tablet) × radii 0, step, … below 14: 30 (phone), 41 (tablet).
    EXPECT_EQ(mesh.horizontalSteps, tablet() ? 40 : 30);
    EXPECT_EQ(mesh.verticalSteps, tablet() ? 41 : 30);
    const float step = viewLimits(EquationType::ExplicitZ, device()).step;
    const int n = mesh.horizontalSteps;
    for (int a = 0; a < n; a += 3) {
        const double theta = a * 2 * std::numbers::pi / (n - 1);
        for (int i = 0; i < mesh.verticalSteps; i += 4) {
            const double r = i * static_cast<double>(step);
            const MeshVertex& v =
                mesh.vertices[static_cast<std::size_t>(a * mesh.verticalSteps + i)];
            EXPECT_NEAR(v.x, r * std::cos(theta), 1e-5);
            EXPECT_NEAR(v.y, r * std::sin(theta), 1e-5);
            const double z = 100 * std::sin(7 * r) / ((1 + r) * (1 + r));
            EXPECT_NEAR(v.z, z, 1e-4);
        }
    }
}

TEST_P(ExplicitSurface, SphericalRoseClosesItsFirstAndLastAngleLines) {
    const Mesh3D mesh = build("r=2sin(4Θ+cos(4Φ))", EquationType::ExplicitR);
    const int n = tablet() ? 40 : 30;
    EXPECT_EQ(mesh.horizontalSteps, n);
    EXPECT_EQ(mesh.verticalSteps, n);
    const std::size_t last = static_cast<std::size_t>((n - 1) * n);
    for (std::size_t i = 0; i < static_cast<std::size_t>(n); ++i) {
        EXPECT_NEAR(mesh.vertices[i].x, mesh.vertices[last + i].x, 1e-5);
        EXPECT_NEAR(mesh.vertices[i].y, mesh.vertices[last + i].y, 1e-5);
        EXPECT_NEAR(mesh.vertices[i].z, mesh.vertices[last + i].z, 1e-5);
    }
    // Φ = 0 is the pole: r·cos 0 on the z axis.
    const double r0 = 2 * std::sin(std::cos(0.0));
    EXPECT_NEAR(mesh.vertices[0].z, r0, 1e-6);
    EXPECT_NEAR(mesh.vertices[0].x, 0, 1e-6);
}

// Every kind gives a full grid within the capacity, two triangles and eight line ends per cell.
TEST_P(ExplicitSurface, RowsOfEveryKind) {
    const EvaluationLimits3D limits = viewLimits(EquationType::ExplicitX, device());
    const int n = tablet() ? 40 : 30;  // angle samples
    const std::pair<const char*, EquationType> rows[] = {
        {"r=Θ-sin(z)", EquationType::ExplicitR},
        {"Θ=r+cos(1/z)", EquationType::ExplicitTheta},
        {"Θ=sin(Φ+r)/2", EquationType::ExplicitTheta},
        {"Φ=3-sin(3Θ+r)", EquationType::ExplicitPhi},
        {"r=2sin(5Φ)", EquationType::ExplicitR},
        {"x=d/dz(e^(-4(z^2+y^2)))", EquationType::ExplicitX},
        {"y=x+z", EquationType::ExplicitY},
        {"z=abs(cos(x)*sin(y))", EquationType::ExplicitZ},
    };
    for (const auto& [text, type] : rows) {
        const Mesh3D mesh = build(text, type);
        const auto cells =
            static_cast<std::size_t>((mesh.horizontalSteps - 1) * (mesh.verticalSteps - 1));
        EXPECT_GT(cells, 100u) << text;
        EXPECT_EQ(mesh.vertices.size(), static_cast<std::size_t>(mesh.horizontalSteps) *
                                            static_cast<std::size_t>(mesh.verticalSteps));
        EXPECT_LE(mesh.vertices.size(), capacities().explicitSamples);
        EXPECT_LE(mesh.indices.size(), 6 * cells) << text;
        EXPECT_EQ(mesh.indices.size() % 6, 0u);
        EXPECT_EQ(mesh.lineIndices.size() / 8, mesh.indices.size() / 6);
    }
    // Points of the cylindrical and spherical rows follow the coordinate conventions.
    {
        const Mesh3D mesh = build("Θ=r+cos(1/z)", EquationType::ExplicitTheta);
        const std::size_t k = 3 * static_cast<std::size_t>(mesh.verticalSteps) + 11;
        const double r = 3 * static_cast<double>(limits.step);
        const double z = limits.min + 11 * static_cast<double>(limits.step);
        const double theta = r + std::cos(1 / z);
        EXPECT_NEAR(mesh.vertices[k].x, r * std::cos(theta), 1e-5);
        EXPECT_NEAR(mesh.vertices[k].y, r * std::sin(theta), 1e-5);
        EXPECT_NEAR(mesh.vertices[k].z, z, 1e-5);
    }
    {
        const Mesh3D mesh = build("Φ=3-sin(3Θ+r)", EquationType::ExplicitPhi);
        const std::size_t k = 5 * static_cast<std::size_t>(mesh.verticalSteps) + 7;
        const double r = 5 * static_cast<double>(limits.step);
        const double theta = 7 * 2 * std::numbers::pi / (n - 1);
        const double phi = 3 - std::sin(3 * theta + r);
        EXPECT_NEAR(mesh.vertices[k].x, r * std::cos(theta) * std::sin(phi), 1e-5);
        EXPECT_NEAR(mesh.vertices[k].y, r * std::sin(theta) * std::sin(phi), 1e-5);
        EXPECT_NEAR(mesh.vertices[k].z, r * std::cos(phi), 1e-5);
    }
}

TEST_P(ExplicitSurface, OneMissingCornerLeavesOneTriangleTwoDropTheCell) {
    // A 3×3 grid (x and y at 0, 1, 2). √(x+y−0.5) is undefined only at (0, 0), point 0, the A
    // corner of the first cell (A 0, B 1, C 4, D 3): A is replaced by D.
    auto e = equation("z=√(x+y-0.5)");
    const EvaluationLimits3D limits{0.0f, 2.5f, 1.0f, 0.0f};
    const Mesh3D mesh =
        ExplicitSurfaceBuilder::build(EquationType::ExplicitZ, limits, e.data, capacities());
    ASSERT_EQ(mesh.horizontalSteps, 3);
    ASSERT_EQ(mesh.verticalSteps, 3);
    ASSERT_EQ(mesh.indices.size(), 24u);
    EXPECT_EQ(std::vector<std::uint32_t>(mesh.indices.begin(), mesh.indices.begin() + 6),
              (std::vector<std::uint32_t>{3, 1, 4, 3, 4, 3}));
    EXPECT_EQ(std::vector<std::uint32_t>(mesh.lineIndices.begin(), mesh.lineIndices.begin() + 8),
              (std::vector<std::uint32_t>{3, 1, 1, 4, 4, 3, 3, 3}));
    // The second cell (A 1, B 2, C 5, D 4) is whole.
    EXPECT_EQ(std::vector<std::uint32_t>(mesh.indices.begin() + 6, mesh.indices.begin() + 12),
              (std::vector<std::uint32_t>{1, 2, 5, 1, 5, 4}));

    // Undefined where x < 0.5, points 0, 1, 2: cells 0 (0, 1, 4, 3) and 1 (1, 2, 5, 4) have two
    // bad corners each and are dropped; cells 3 and 4 are whole.
    auto two = equation("z=√(x-0.5)");
    const Mesh3D dropped =
        ExplicitSurfaceBuilder::build(EquationType::ExplicitZ, limits, two.data, capacities());
    EXPECT_EQ(dropped.indices, (std::vector<std::uint32_t>{3, 4, 7, 3, 7, 6, 4, 5, 8, 4, 8, 7}));
}

TEST_P(ExplicitSurface, NormalsOfAPlaneAreItsUnitNormal) {
    // z = x: each cell's (C − B) × (A − B) is (s², 0, −s²).
    const Mesh3D mesh = build("z=x", EquationType::ExplicitZ);
    const double k = 1 / std::sqrt(2.0);
    for (const MeshVertex& v : mesh.vertices) {
        EXPECT_NEAR(v.nx, k, 0.003);
        EXPECT_NEAR(v.ny, 0, 1e-6);
        EXPECT_NEAR(v.nz, -k, 0.003);
    }
}

TEST_P(ExplicitSurface, CapacityBoundsAnyLimits) {
    auto e = equation("z=x*y");
    const float nan = std::numeric_limits<float>::quiet_NaN();
    for (const EvaluationLimits3D l :
         {EvaluationLimits3D{-7, 7, 1e-6f, 0}, EvaluationLimits3D{-7, 7, 0, 0},
          EvaluationLimits3D{-7, 7, -1, 0}, EvaluationLimits3D{nan, 7, 1, 0},
          EvaluationLimits3D{-7, 7, nan, 0}, EvaluationLimits3D{7, -7, 1, 0}}) {
        const Mesh3D mesh =
            ExplicitSurfaceBuilder::build(EquationType::ExplicitZ, l, e.data, capacities());
        EXPECT_LE(mesh.vertices.size(), capacities().explicitSamples);
    }
    for (const char* text : {"r=2", "Φ=1", "Θ=r+z"}) {
        auto curved = equation(text);
        const Mesh3D mesh =
            ExplicitSurfaceBuilder::build(curved.type, {-7, 7, 0, 0}, curved.data, capacities());
        EXPECT_LE(mesh.vertices.size(), capacities().explicitSamples) << text;
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, ExplicitSurface, test::kDevices, test::deviceParamName);

}  // namespace
}  // namespace plotwise
