#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <vector>

#include "graph3d/FastInverseSquareRoot.h"
#include "graph3d/MarchingCubesTables.h"
#include "graph3d/MarchingTetrahedraTables.h"

namespace plotwise {
namespace {

using Cube = MarchingCubesTables;
using Tetra = MarchingTetrahedraTables;

TEST(FastInverseSquareRoot, WithinTwoThousandthsOverManyMagnitudes) {
    for (float s = 1e-6f; s < 1e6f; s *= 1.37f) {
        const double exact = 1.0 / std::sqrt(static_cast<double>(s));
        EXPECT_NEAR(fastInverseSquareRoot(s) / exact, 1.0, 0.002) << s;
    }
}

TEST(FastInverseSquareRoot, ZeroVectorStaysZeroAndNaNStaysNaN) {
    const Float3 zero = normalizeFast({0, 0, 0});
    EXPECT_EQ(zero, (Float3{0, 0, 0}));
    const float nan = std::numeric_limits<float>::quiet_NaN();
    EXPECT_TRUE(std::isnan(normalizeFast({nan, 1, 0}).x));
    const Float3 n = normalizeFast({3, 0, 4});
    EXPECT_NEAR(n.x, 0.6f, 0.002f);
    EXPECT_NEAR(n.z, 0.8f, 0.002f);
    // Far outside float's comfortable range the result is not finite, but nothing traps.
    EXPECT_FALSE(std::isfinite(normalizeFast({1e30f, 1e30f, 0}).x));
}

std::vector<std::array<int, 3>> triangles(const std::array<std::int8_t, 16>& row) {
    std::vector<std::array<int, 3>> out;
    for (std::size_t i = 0; i + 2 < row.size() && row[i] >= 0; i += 3) {
        out.push_back({row[i], row[i + 1], row[i + 2]});
    }
    return out;
}

TEST(MarchingCubesTables, EdgeMasksAndTrianglesAgreeWithTheCorners) {
    for (int index = 0; index < 256; ++index) {
        unsigned mask = 0;
        for (int e = 0; e < 12; ++e) {
            const auto [a, b] = Cube::edgeCorners[static_cast<std::size_t>(e)];
            if (((index >> a) & 1) != ((index >> b) & 1)) {
                mask |= 1u << e;
            }
        }
        EXPECT_EQ(Cube::edgeTable()[static_cast<std::size_t>(index)], mask) << index;
        EXPECT_EQ(Cube::edgeTable()[static_cast<std::size_t>(255 - index)], mask) << index;
        const auto tris = triangles(Cube::triangleTable()[static_cast<std::size_t>(index)]);
        EXPECT_LE(tris.size(), 5u);
        unsigned used = 0;
        for (const auto& t : tris) {
            for (const int e : t) {
                used |= 1u << e;
            }
        }
        // Every crossing is a vertex, and no vertex sits on an edge that is not crossed.
        EXPECT_EQ(used, mask) << index;
        // No triangle lies within a cube face: its three edges never belong to one face.
        for (const auto& t : tris) {
            for (int x = 0; x < 2; ++x) {
                for (int axis = 0; axis < 3; ++axis) {
                    bool allOnFace = true;
                    for (const int e : t) {
                        const auto [a, b] = Cube::edgeCorners[static_cast<std::size_t>(e)];
                        allOnFace = allOnFace &&
                                    Cube::cornerOffsets[static_cast<std::size_t>(a)]
                                                       [static_cast<std::size_t>(axis)] == x &&
                                    Cube::cornerOffsets[static_cast<std::size_t>(b)]
                                                       [static_cast<std::size_t>(axis)] == x;
                    }
                    EXPECT_FALSE(allOnFace) << "case " << index;
                }
            }
        }
        // Consistent winding: no directed edge twice.
        std::vector<std::array<int, 2>> directed;
        for (const auto& t : tris) {
            for (std::size_t m = 0; m < 3; ++m) {
                directed.push_back({t[m], t[(m + 1) % 3]});
            }
        }
        for (const auto& d : directed) {
            const int same = static_cast<int>(std::count(directed.begin(), directed.end(), d));
            EXPECT_EQ(same, 1) << index;
        }
    }
}

std::array<std::array<double, 3>, 4> tetraCorners(std::size_t tet) {
    std::array<std::array<double, 3>, 4> p{};
    for (std::size_t m = 0; m < 4; ++m) {
        const auto& o = Cube::cornerOffsets[static_cast<std::size_t>(Tetra::tetrahedra[tet][m])];
        p[m] = {static_cast<double>(o[0]), static_cast<double>(o[1]), static_cast<double>(o[2])};
    }
    return p;
}

TEST(MarchingTetrahedraTables, SixTetrahedraOfOneHandednessFillTheCube) {
    double volume = 0;
    for (std::size_t tet = 0; tet < 6; ++tet) {
        const auto p = tetraCorners(tet);
        const auto d = [&](std::size_t m, std::size_t i) { return p[m][i] - p[0][i]; };
        const double det = d(1, 0) * (d(2, 1) * d(3, 2) - d(2, 2) * d(3, 1)) -
                           d(1, 1) * (d(2, 0) * d(3, 2) - d(2, 2) * d(3, 0)) +
                           d(1, 2) * (d(2, 0) * d(3, 1) - d(2, 1) * d(3, 0));
        EXPECT_EQ(det, 1.0) << tet;
        volume += det / 6;
    }
    EXPECT_DOUBLE_EQ(volume, 1.0);
}

TEST(MarchingTetrahedraTables, TrianglesCrossTheMaskedEdgesAndFaceTheInside) {
    const auto p = tetraCorners(0);
    const auto corner = [&](std::size_t m) {
        return Float3{static_cast<float>(p[m][0]), static_cast<float>(p[m][1]),
                      static_cast<float>(p[m][2])};
    };
    for (std::size_t index = 0; index < 16; ++index) {
        unsigned mask = 0;
        for (std::size_t e = 0; e < 6; ++e) {
            const auto [a, b] = Tetra::edgeCorners[e];
            mask |= (((index >> a) & 1) != ((index >> b) & 1)) ? 1u << e : 0u;
        }
        EXPECT_EQ(Tetra::edgeTable[index], mask) << index;
        Float3 inside{0, 0, 0};
        for (std::size_t m = 0; m < 4; ++m) {
            inside = ((index >> m) & 1) != 0 ? inside + corner(m) : inside;
        }
        const auto& row = Tetra::triangleTable[index];
        unsigned used = 0;
        for (std::size_t t = 0; t + 2 < row.size() && row[t] >= 0; t += 3) {
            std::array<Float3, 3> v{};
            for (std::size_t m = 0; m < 3; ++m) {
                const auto e = static_cast<std::size_t>(row[t + m]);
                used |= 1u << e;
                const auto [a, b] = Tetra::edgeCorners[e];
                v[m] = (corner(static_cast<std::size_t>(a)) + corner(static_cast<std::size_t>(b))) *
                       0.5f;
            }
            // The normal points towards the inside corners' centre (their sum, scaled).
            const Float3 centre = (v[0] + v[1] + v[2]) * (1.0f / 3.0f);
            const int insideCount = std::popcount(static_cast<unsigned>(index));
            EXPECT_GT(Float3::dot(Float3::cross(v[1] - v[0], v[2] - v[0]),
                                  inside * (1.0f / static_cast<float>(insideCount)) - centre),
                      0.0f)
                << "case " << index << " triangle " << t / 3;
        }
        EXPECT_EQ(used, mask) << index;
    }
}

}  // namespace
}  // namespace plotwise
