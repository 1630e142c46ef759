#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>
#include <random>
#include <utility>
#include <vector>

#include "Graph3DTestSupport.h"
#include "app/examples/BuiltInExamples.h"
#include "graph3d/FieldEvaluator3D.h"
#include "graph3d/GridAxis.h"
#include "graph3d/ImplicitSurfaceBuilder.h"
#include "graph3d/MarchingCubesTables.h"

namespace plotwise {
namespace {

using Triangle = std::array<std::array<float, 3>, 3>;
constexpr std::size_t kUncapped = std::size_t{1} << 30;

// Marching cubes the plain way: eight loads and a table lookup per cell, each crossing computed
// from its edge's lower end along one axis.
std::vector<Float3> referenceCubes(const EvaluationLimits3D& limits,
                                   const std::vector<double>& values) {
    using T = MarchingCubesTables;
    const std::vector<float> axis = GridAxis::nodes(limits.min, limits.max, limits.step);
    const std::size_t n = axis.size();
    std::vector<Float3> positions;
    for (std::size_t cell = 0; n > 1 && cell < (n - 1) * (n - 1) * (n - 1); ++cell) {
        const std::array<std::size_t, 3> base = {cell / ((n - 1) * (n - 1)),
                                                 cell / (n - 1) % (n - 1), cell % (n - 1)};
        const auto node = [&](int corner) {
            std::array<std::size_t, 3> c = base;
            for (std::size_t d = 0; d < 3; ++d) {
                c[d] +=
                    static_cast<std::size_t>(T::cornerOffsets[static_cast<std::size_t>(corner)][d]);
            }
            return c;
        };
        const auto value = [&](const std::array<std::size_t, 3>& c) {
            return values[(c[0] * n + c[1]) * n + c[2]];
        };
        unsigned index = 0;
        for (int c = 0; c < 8; ++c) {
            index |= (value(node(c)) <= limits.targetValue ? 1u : 0u) << c;
        }
        const auto& row = T::triangleTable()[index];
        for (std::size_t t = 0; t < row.size() && row[t] >= 0; ++t) {
            const auto& pair = T::edgeCorners[static_cast<std::size_t>(row[t])];
            auto low = node(pair[0]);
            auto high = node(pair[1]);
            if (low > high) {
                std::swap(low, high);
            }
            const double vl = value(low);
            const double vh = value(high);
            const double s = vh == vl ? 0.5 : (limits.targetValue - vl) / (vh - vl);
            std::array<float, 3> p{};
            for (std::size_t d = 0; d < 3; ++d) {
                p[d] = low[d] == high[d] ? axis[low[d]]
                                         : static_cast<float>(axis[low[d]] + s * limits.step);
            }
            positions.push_back({p[0], p[1], p[2]});
        }
    }
    return positions;
}

// Triangles rotated to start at their least corner (keeping the winding) and sorted, so that
// only the surfaces are compared, not their order.
std::vector<Triangle> sortedTriangles(const std::vector<Float3>& positions) {
    std::vector<Triangle> triangles;
    for (std::size_t t = 0; t + 2 < positions.size(); t += 3) {
        Triangle triangle{};
        for (std::size_t m = 0; m < 3; ++m) {
            const Float3& p = positions[t + m];
            triangle[m] = {p.x, p.y, p.z};
        }
        std::rotate(triangle.begin(), std::min_element(triangle.begin(), triangle.end()),
                    triangle.end());
        triangles.push_back(triangle);
    }
    std::sort(triangles.begin(), triangles.end());
    return triangles;
}

// The same triangles, corner by corner within 1e-6 of a step (NaN corners both NaN).
void expectSameSurface(const std::vector<Triangle>& actual, const std::vector<Triangle>& expected,
                       float step) {
    ASSERT_EQ(actual.size(), expected.size());
    std::size_t different = 0;
    for (std::size_t t = 0; t < actual.size(); ++t) {
        for (std::size_t m = 0; m < 3; ++m) {
            for (std::size_t d = 0; d < 3; ++d) {
                const float a = actual[t][m][d];
                const float e = expected[t][m][d];
                const bool same = std::isnan(a) ? std::isnan(e) : std::abs(a - e) <= 1e-6f * step;
                different += same ? 0 : 1;
            }
        }
    }
    EXPECT_EQ(different, 0u);
}

std::vector<Float3> expand(const ImplicitSurfaceBuilder::IndexedSurface& surface) {
    std::vector<Float3> positions;
    for (const std::uint32_t id : surface.corners) {
        positions.push_back(surface.vertices[id]);
    }
    return positions;
}

TEST(GridExtraction, RandomFieldsMatchThePlainExtraction) {
    // Inside nodes, NaN and values exactly on the level (inside), in grids whose rows end inside
    // the first 64-bit word, one node into the next word, and two nodes into it.
    std::mt19937 random(19);
    std::uniform_real_distribution<double> uniform(0.0, 1.0);
    // Dense fields only on small grids, to stay fast under ASan.
    for (const auto& [cells, insideShare] : {std::pair{5.0f, 0.15}, std::pair{9.0f, 0.07},
                                             std::pair{64.0f, 0.003}, std::pair{65.0f, 0.003}}) {
        const EvaluationLimits3D limits{0.0f, cells, 1.0f, 0.25f};
        const std::size_t n = GridAxis::nodes(limits.min, limits.max, limits.step).size();
        std::vector<double> values(n * n * n);
        for (double& v : values) {
            const double u = uniform(random);
            v = u < insideShare       ? -u
                : u < 2 * insideShare ? std::numeric_limits<double>::quiet_NaN()
                : u < 3 * insideShare ? 0.25
                                      : 1 + u;
        }
        const auto surface = ImplicitSurfaceBuilder::extractGrid(limits, values, kUncapped);
        ASSERT_FALSE(surface.corners.empty());
        expectSameSurface(sortedTriangles(expand(surface)),
                          sortedTriangles(referenceCubes(limits, values)), limits.step);
    }
}

TEST(GridExtraction, BuiltInExamplesMatchThePlainExtraction) {
    for (const BuiltInExample& example : kBuiltInExamples3D) {
        auto e = test::equation(example.source);
        if (e.type != EquationType::Implicit) {
            continue;
        }
        const EvaluationLimits3D limits = test::viewLimits(e.type, DeviceClass::Tablet);
        const std::vector<float> axis = GridAxis::nodes(limits.min, limits.max, limits.step);
        const std::vector<double> nodes(axis.begin(), axis.end());
        const std::size_t n = nodes.size();
        std::vector<double> values(n * n * n);
        FieldEvaluator3D field(e.data, FieldEvaluator3D::Reading::Field);
        for (std::size_t i = 0; i < n; ++i) {
            field.evaluatePlane(nodes[i], n, nodes.data(), n, nodes.data(), &values[i * n * n]);
        }
        const std::vector<Triangle> expected = sortedTriangles(referenceCubes(limits, values));
        SCOPED_TRACE(example.source);
        expectSameSurface(
            sortedTriangles(
                ImplicitSurfaceBuilder::extract(limits, e.data, kUncapped, false).positions),
            expected, limits.step);
        expectSameSurface(
            sortedTriangles(expand(ImplicitSurfaceBuilder::extractGrid(limits, values, kUncapped))),
            expected, limits.step);
    }
}

TEST(GridExtraction, ValuesNotFillingTheGridGiveNothing) {
    const EvaluationLimits3D limits{0.0f, 4.0f, 1.0f, 0.0f};
    for (const std::size_t count : {std::size_t{0}, std::size_t{124}, std::size_t{126}}) {
        EXPECT_TRUE(
            ImplicitSurfaceBuilder::extractGrid(limits, std::vector<double>(count, -1.0), kUncapped)
                .vertices.empty());
    }
}

}  // namespace
}  // namespace plotwise
