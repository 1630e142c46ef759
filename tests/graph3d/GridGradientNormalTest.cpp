#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <tuple>

#include "Graph3DTestSupport.h"
#include "graph3d/ImplicitSurfaceBuilder.h"

namespace plotwise {
namespace {

using test::equation;

double degreesBetween(const Float3& a, const Float3& b) {
    const double dot = static_cast<double>(a.x) * b.x + static_cast<double>(a.y) * b.y +
                       static_cast<double>(a.z) * b.z;
    const double la = std::sqrt(static_cast<double>(Float3::dot(a, a)));
    const double lb = std::sqrt(static_cast<double>(Float3::dot(b, b)));
    return std::acos(std::clamp(dot / (la * lb), -1.0, 1.0)) * 180.0 / std::numbers::pi;
}

Float3 inwards(const Float3& p) {
    return {-p.x, -p.y, -p.z};
}
Float3 outwards(const Float3& p) {
    return p;
}
Float3 planeNormal(const Float3&) {
    return {-1, -2, 1};
}

// Surfaces with the exact direction of decreasing F at their points. Right minus left:
// 4 − (x²+y²+z²) falls outwards. The plane meets the box's faces, where the grid reaches one node
// beyond the box.
const std::tuple<const char*, float, Float3 (*)(const Float3&)> kCases[] = {
    {"x^2+y^2+z^2-4", 16, inwards},
    {"x^2+y^2+z^2-4", 64, inwards},
    {"x^2+y^2+z^2=4", 24, outwards},
    {"x+2y-z-0.3", 16, planeNormal},
};

// Normals from the grid values (central differences along the edge) reach the mesh's vertices
// within 2 degrees of the exact gradient, with no evaluation beyond the grid's (its halo included).
TEST(GridGradientNormals, FollowTheExactGradientWithoutFurtherEvaluations) {
    for (const bool tetrahedra : {false, true}) {
        for (const auto& [text, divisions, exact] : kCases) {
            SCOPED_TRACE(std::string(text) + (tetrahedra ? " tetrahedra" : " cubes"));
            auto e = equation(text, tetrahedra);
            ImplicitSurfaceBuilder::Statistics statistics;
            const Mesh3D mesh = ImplicitSurfaceBuilder::calculateImplicitWithSmooth(
                EvaluationLimits3D::forScale(1, divisions), e.data, 1u << 24, &statistics);
            ASSERT_FALSE(mesh.empty());
            double worst = 0;
            for (const MeshVertex& v : mesh.vertices) {
                const Float3 n{v.nx, v.ny, v.nz};
                EXPECT_NEAR(std::sqrt(Float3::dot(n, n)), 1.0, 0.003);
                worst = std::max(worst, degreesBetween(n, exact(Float3{v.x, v.y, v.z})));
            }
            EXPECT_LT(worst, 2.0);
            const auto side = static_cast<std::size_t>(divisions) + 3;
            EXPECT_EQ(statistics.gridEvaluations, side * side * side);
            EXPECT_EQ(statistics.gradientEvaluations, 0u);
        }
    }
}

// Where a grid neighbour is not finite, the field's own six-point gradient stands in: the
// normals of a surface beside a region of NaN match ImplicitSurfaceBuilder::gradientNormal.
TEST(GridGradientNormals, NonFiniteNeighboursFallBackToTheFieldsGradient) {
    auto e = equation("z-1-(x-0.43)^0.5⋅0", false);
    const EvaluationLimits3D limits = EvaluationLimits3D::forScale(1, 16);
    const auto extraction = ImplicitSurfaceBuilder::extract(limits, e.data, 1u << 24, true);
    ASSERT_FALSE(extraction.positions.empty());
    FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
    int fallbacks = 0;
    for (std::size_t v = 0; v < extraction.positions.size(); ++v) {
        const Float3& p = extraction.positions[v];
        const Float3 expected = ImplicitSurfaceBuilder::gradientNormal(field, p);
        const Float3& n = extraction.normals[v];
        if (std::isnan(expected.x) || std::isnan(n.x)) {
            EXPECT_EQ(std::isnan(expected.x), std::isnan(n.x));
            continue;
        }
        // Away from the NaN half the grid gives (0, 0, -1) too.
        EXPECT_LT(degreesBetween(n, expected), 2.0);
        EXPECT_LT(degreesBetween(n, Float3{0, 0, -1}), 2.0);
        fallbacks += p.x < 1.5f ? 1 : 0;
    }
    EXPECT_GT(fallbacks, 0);
    EXPECT_GT(extraction.statistics.gradientEvaluations, 0u);
}

}  // namespace
}  // namespace plotwise
