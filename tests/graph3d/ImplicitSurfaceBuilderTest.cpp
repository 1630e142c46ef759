#include <gtest/gtest.h>

#include <cmath>
#include <random>
#include <tuple>

#include "Graph3DTestSupport.h"
#include "graph3d/ImplicitSurfaceBuilder.h"

namespace plotwise {
namespace {

using test::equation;
using test::viewLimits;

// Every case runs over both variants (marching cubes, marching tetrahedra) and both device
// capacities.
class ImplicitSurface : public ::testing::TestWithParam<std::tuple<bool, DeviceClass>> {
protected:
    bool tetrahedra() const { return std::get<0>(GetParam()); }
    DeviceClass device() const { return std::get<1>(GetParam()); }
    EvaluationLimits3D limits() const { return viewLimits(EquationType::Implicit, device()); }
    std::size_t vertexLimit() const {
        return MeshCapacities3D::forDevice(device()).implicitVertexLimit;
    }
    ImplicitSurfaceBuilder::Extraction extract(const std::string& text, bool gradients = false) {
        auto e = equation(text, tetrahedra());
        return ImplicitSurfaceBuilder::extract(limits(), e.data, vertexLimit(), gradients);
    }
};

double length(const Float3& v) {
    return std::sqrt(static_cast<double>(v.x) * v.x + static_cast<double>(v.y) * v.y +
                     static_cast<double>(v.z) * v.z);
}

TEST_P(ImplicitSurface, FlatNormalsAreUnitAndFaceTheInside) {
    auto e = equation("x^2+y^2+z^2-4", tetrahedra());
    const Mesh3D mesh = ImplicitSurfaceBuilder::calculateImplicit(limits(), e.data, vertexLimit());
    ASSERT_FALSE(mesh.empty());
    for (std::size_t t = 0; t < mesh.vertices.size(); t += 3) {
        const MeshVertex& v = mesh.vertices[t];
        const Float3 n{v.nx, v.ny, v.nz};
        // A triangle with two welded corners has no direction; all others are unit vectors.
        if (length(n) == 0) {
            continue;
        }
        EXPECT_NEAR(length(n), 1.0, 0.003);
        for (std::size_t m = 1; m < 3; ++m) {
            EXPECT_EQ(mesh.vertices[t + m].nx, v.nx);
            EXPECT_EQ(mesh.vertices[t + m].nz, v.nz);
        }
        // Inside is F <= 0, the ball: normals point towards the centre.
        const Float3 centre{(v.x + mesh.vertices[t + 1].x + mesh.vertices[t + 2].x) / 3,
                            (v.y + mesh.vertices[t + 1].y + mesh.vertices[t + 2].y) / 3,
                            (v.z + mesh.vertices[t + 1].z + mesh.vertices[t + 2].z) / 3};
        EXPECT_LT(Float3::dot(n, centre), 0.0f);
    }
}

TEST_P(ImplicitSurface, RandomFieldsGiveClosedSurfaces) {
    // Irregular fields, outside on the border: every case and ambiguous face occurs, and
    // neighbouring cells must still agree.
    std::mt19937 random(7);
    std::uniform_real_distribution<double> magnitude(0.1, 1.0);
    for (int round = 0; round < 20; ++round) {
        // Sines at unrelated frequencies; the bowl (x²+y²+z²)/8 keeps the border outside.
        const double a = magnitude(random) * 9, b = magnitude(random) * 9,
                     c = magnitude(random) * 9, d = magnitude(random) * 3;
        const std::string text = "sin(" + fixedText(a, 4) + "x+" + fixedText(b, 4) + "y)*cos(" +
                                 fixedText(c, 4) + "z-" + fixedText(d, 4) + "y)+sin(" +
                                 fixedText(b, 4) + "z*x)+(x^2+y^2+z^2)/8-2";
        auto e = equation(text, tetrahedra());
        const auto extraction =
            ImplicitSurfaceBuilder::extract(limits(), e.data, vertexLimit(), false);
        ASSERT_FALSE(extraction.statistics.cutOff) << text;
        EXPECT_TRUE(test::watertight(test::weld(extraction.positions))) << text;
    }
}

TEST_P(ImplicitSurface, DenseSurfaceIsCutOffAtTheVertexLimit) {
    auto e = equation("sin(4x)cos(4y)+sin(4y)cos(4z)+sin(4z)cos(4x)", tetrahedra());
    ImplicitSurfaceBuilder::Statistics statistics;
    const Mesh3D mesh = ImplicitSurfaceBuilder::calculateImplicit(
        EvaluationLimits3D::forScale(1, 64), e.data, vertexLimit(), &statistics);
    EXPECT_TRUE(statistics.cutOff);
    // Whole triangles while the count plus 2 stays below the limit: 30729 of 30730 on a phone
    // (10243 triangles), all 61440 on a tablet (20480).
    const std::size_t expected = device() == DeviceClass::Phone ? 30729 : 61440;
    EXPECT_EQ(mesh.vertices.size(), expected);
    EXPECT_EQ(mesh.indices.size(), expected);
    EXPECT_EQ(mesh.lineIndices.size(), 2 * expected);
    EXPECT_EQ(mesh.indices.back(), expected - 1);
}

TEST_P(ImplicitSurface, PlaneThroughOneCubeIsTheRegularHexagon) {
    // x+y+z = 1.5 cuts the unit cube in a regular hexagon of side √2/2, area 3√3/4.
    auto e = equation("x+y+z-1.5", tetrahedra());
    const auto extraction =
        ImplicitSurfaceBuilder::extract({0.0f, 1.0f, 1.0f, 0.0f}, e.data, vertexLimit(), false);
    // Marching cubes fans the hexagon into 4 triangles; each of the six tetrahedra has two
    // corners on either side and gives 2.
    EXPECT_EQ(extraction.positions.size(), tetrahedra() ? 36u : 12u);
    double area = 0;
    for (std::size_t t = 0; t < extraction.positions.size(); t += 3) {
        const Float3& a = extraction.positions[t];
        const Float3& b = extraction.positions[t + 1];
        const Float3& c = extraction.positions[t + 2];
        area += length(Float3::cross(b - a, c - a)) / 2;
        for (const Float3& p : {a, b, c}) {
            EXPECT_FLOAT_EQ(p.x + p.y + p.z, 1.5f);
        }
        // Wound towards the inside, the corner at the origin.
        EXPECT_LT(Float3::dot(Float3::cross(b - a, c - a), Float3{1, 1, 1}), 0.0f);
    }
    EXPECT_NEAR(area, 3 * std::sqrt(3.0) / 4, 1e-5);
}

// F = x is 0 on the face x = 0: those corners are inside, so the surface lies on that face; with
// the level at 1 the far face is inside too and nothing crosses. A level of 9 on x²+y²+z² is the
// sphere of radius 3.
TEST_P(ImplicitSurface, TheTargetValueIsTheLevelAndCornersOnItAreInside) {
    auto e = equation("x", tetrahedra());
    const auto face =
        ImplicitSurfaceBuilder::extract({0.0f, 1.0f, 1.0f, 0.0f}, e.data, vertexLimit(), false);
    ASSERT_FALSE(face.positions.empty());
    for (const Float3& p : face.positions) {
        EXPECT_EQ(p.x, 0.0f);
    }
    EXPECT_TRUE(
        ImplicitSurfaceBuilder::extract({0.0f, 1.0f, 1.0f, 1.0f}, e.data, vertexLimit(), false)
            .positions.empty());
    auto ball = equation("x^2+y^2+z^2", tetrahedra());
    EvaluationLimits3D l = limits();
    l.targetValue = 9;
    const auto sphere = ImplicitSurfaceBuilder::extract(l, ball.data, vertexLimit(), false);
    ASSERT_FALSE(sphere.positions.empty());
    for (const Float3& p : sphere.positions) {
        EXPECT_NEAR(length(p), 3.0, l.step);
    }
}

TEST_P(ImplicitSurface, UndefinedValuesAreOutsideAndNeverTrap) {
    // NaN beyond radius 2; inside (F <= 0) is the shell between √3 and 2. Crossings into the
    // NaN region have no position (NaN vertices, still emitted); the others lie near √3.
    const auto extraction = extract("√(4-x^2-y^2-z^2)-1");
    ASSERT_FALSE(extraction.positions.empty());
    std::size_t undefined = 0;
    for (const Float3& p : extraction.positions) {
        if (std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z)) {
            ++undefined;
            continue;
        }
        EXPECT_NEAR(length(p), std::sqrt(3.0), limits().step);
    }
    EXPECT_GT(undefined, 0u);
    // Infinities and division by zero at grid nodes.
    for (const char* text : {"1/(x^2+y^2+z^2-4)", "1/x+1/y", "ln(x)*z", "tan(x*y*z)"}) {
        const auto other = extract(text, true);
        EXPECT_EQ(other.positions.size() % 3, 0u) << text;
        EXPECT_EQ(other.normals.size(), other.positions.size()) << text;
    }
}

TEST_P(ImplicitSurface, UnusableLimitsGiveNoMesh) {
    const float nan = std::numeric_limits<float>::quiet_NaN();
    const float inf = std::numeric_limits<float>::infinity();
    auto e = equation("x^2+y^2+z^2-4", tetrahedra());
    for (const EvaluationLimits3D l :
         {EvaluationLimits3D{-7, 7, 0, 0}, EvaluationLimits3D{-7, 7, -1, 0},
          EvaluationLimits3D{-7, 7, nan, 0}, EvaluationLimits3D{-inf, 7, 1, 0},
          EvaluationLimits3D{nan, 7, 1, 0}, EvaluationLimits3D{7, -7, 1, 0},
          EvaluationLimits3D{1, 1, 1, 0}}) {
        const auto extraction = ImplicitSurfaceBuilder::extract(l, e.data, vertexLimit(), true);
        EXPECT_TRUE(extraction.positions.empty());
        EXPECT_EQ(extraction.statistics.gridEvaluations, 0u);
    }
    // A step far too small for its box is capped per axis instead of running for ever.
    const auto capped =
        ImplicitSurfaceBuilder::extract({-7, 7, 1e-6f, 0}, e.data, vertexLimit(), false);
    EXPECT_LE(capped.statistics.cells, 256u * 256u * 256u);
}

INSTANTIATE_TEST_SUITE_P(VariantsAndDevices, ImplicitSurface, test::kVariantsAndDevices,
                         test::variantAndDeviceName);

}  // namespace
}  // namespace plotwise
