#include <gtest/gtest.h>

#include <cmath>
#include <map>
#include <numbers>
#include <sstream>

#include "Graph3DTestSupport.h"
#include "MeshFileReaders.h"
#include "graph3d/MeshBuilder3D.h"
#include "graph3d/MeshFileWriter.h"
#include "graph3d/PrintableMesh.h"

namespace plotwise {
namespace {

using test::equation;
using test::viewLimits;

struct Case {
    const char* text;
    bool tetrahedra;
};

Mesh3D buildMesh(const char* text, bool tetrahedra, DeviceClass device,
                 EquationType* type = nullptr) {
    auto e = equation(text, tetrahedra);
    if (type != nullptr) {
        *type = e.type;
    }
    return MeshBuilder3D::build(e.type, viewLimits(e.type, device), e.data,
                                MeshCapacities3D::forDevice(device));
}

// Every undirected edge is crossed as often in one direction as in the other.
bool watertight(const std::vector<std::array<std::uint32_t, 3>>& triangles) {
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> balance;
    for (const auto& t : triangles) {
        for (std::size_t m = 0; m < 3; ++m) {
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
    return !triangles.empty();
}

double volume(const test::ReadMesh& mesh) {
    double v = 0;
    for (const auto& t : mesh.triangles) {
        const auto& a = mesh.vertices[t[0]];
        const auto& b = mesh.vertices[t[1]];
        const auto& c = mesh.vertices[t[2]];
        v += (static_cast<double>(a[0]) * (b[1] * c[2] - b[2] * c[1]) +
              static_cast<double>(a[1]) * (b[2] * c[0] - b[0] * c[2]) +
              static_cast<double>(a[2]) * (b[0] * c[1] - b[1] * c[0])) /
             6;
    }
    return v;
}

class Printable : public ::testing::TestWithParam<std::tuple<bool, DeviceClass>> {
protected:
    bool tetrahedra() const { return std::get<0>(GetParam()); }
    DeviceClass device() const { return std::get<1>(GetParam()); }
};

TEST_P(Printable, SphereIsClosedAndWoundOutwards) {
    const Mesh3D mesh = buildMesh("x^2+y^2+z^2-4", tetrahedra(), device());
    const PrintableMesh printable = PrintableMesh::fromSurface(mesh);
    EXPECT_TRUE(printable.closed);
    EXPECT_TRUE(watertight(printable.triangles));
    // The extraction winds towards the inside; the file encloses the ball, 32π/3 ≈ 33.5, less
    // what the coarse phone grid (step 0.875) cuts off.
    const double ball = 32 * std::numbers::pi / 3;
    EXPECT_GT(printable.signedVolume(), 0.8 * ball);
    EXPECT_LT(printable.signedVolume(), 1.02 * ball);
    // Fewer vertices than the triangle soup: each is shared.
    EXPECT_LT(printable.positions.size(), mesh.vertices.size() / 3);
}

TEST_P(Printable, HeartIsClosed) {
    const Mesh3D mesh =
        buildMesh("320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)=0", tetrahedra(), device());
    const PrintableMesh printable = PrintableMesh::fromSurface(mesh);
    EXPECT_TRUE(printable.closed);
    EXPECT_TRUE(watertight(printable.triangles));
    EXPECT_GT(printable.signedVolume(), 0);
}

TEST_P(Printable, SphericalSurfaceWeldsItsSeamAndPoles) {
    // r = 2 sampled on angles: the first and last Θ lines and the two pole rows coincide.
    const Mesh3D mesh = buildMesh("r=2", tetrahedra(), device());
    const PrintableMesh printable = PrintableMesh::fromSurface(mesh);
    EXPECT_TRUE(printable.closed);
    EXPECT_NEAR(printable.signedVolume(), 32 * std::numbers::pi / 3, 1.0);
}

TEST_P(Printable, OpenSurfaceStaysOpenAndLeavesHolesOut) {
    // 1/(x²+y²) clips near the z axis; triangles with a NaN corner are left out.
    const Mesh3D mesh = buildMesh("z=1/(x^2+y^2)", tetrahedra(), device());
    const PrintableMesh printable = PrintableMesh::fromSurface(mesh);
    EXPECT_FALSE(printable.closed);
    ASSERT_FALSE(printable.triangles.empty());
    for (const Float3& p : printable.positions) {
        EXPECT_TRUE(std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z));
    }
    // The explicit grid's surface is consistently wound: no directed edge twice.
    std::map<std::pair<std::uint32_t, std::uint32_t>, int> directed;
    for (const auto& t : printable.triangles) {
        for (std::size_t m = 0; m < 3; ++m) {
            const int uses = ++directed[{t[m], t[(m + 1) % 3]}];
            EXPECT_EQ(uses, 1);
        }
    }
}

TEST_P(Printable, InequalitySolidBecomesTheSurfaceOfItsCells) {
    EquationType type = EquationType::ExplicitX;
    const char* torus = "(x^2+y^2+z^2+4^2-2^2)^2 - 4*4^2*(x^2+y^2)<0";
    const Mesh3D mesh = buildMesh(torus, tetrahedra(), device(), &type);
    ASSERT_EQ(type, EquationType::Inequality);
    const PrintableMesh printable = PrintableMesh::fromMesh(mesh, type);
    EXPECT_TRUE(printable.closed);
    EXPECT_TRUE(watertight(printable.triangles));
    // The cells' volume: each box is step × step × its height.
    double cells = 0;
    for (std::size_t b = 0; b < mesh.vertices.size(); b += 36) {
        const double w = mesh.vertices[b].x - mesh.vertices[b + 2].x;
        cells += w * w * (mesh.vertices[b + 30].z - mesh.vertices[b].z);
    }
    EXPECT_NEAR(printable.signedVolume(), cells, 1e-3 * cells);
    float lowest = mesh.vertices[0].z;
    for (const MeshVertex& v : mesh.vertices) {
        lowest = std::min(lowest, v.z);
    }
    EXPECT_EQ(printable.boundsMin().z, lowest);
}

TEST_P(Printable, FilesReadBackWithTheSameTrianglesAndBounds) {
    for (const char* text :
         {"x^2+y^2+z^2-4", "z=y^2/16-x^2/25", "(x^2+y^2+z^2+4^2-2^2)^2 - 4*4^2*(x^2+y^2)<0"}) {
        EquationType type = EquationType::ExplicitX;
        const Mesh3D mesh = buildMesh(text, tetrahedra(), device(), &type);
        const PrintableMesh printable = PrintableMesh::fromMesh(mesh, type);
        ASSERT_FALSE(printable.triangles.empty()) << text;
        const Float3 low = printable.boundsMin();
        const Float3 high = printable.boundsMax();
        const auto sameBounds = [&](const test::ReadMesh& read) {
            const auto l = read.low();
            const auto h = read.high();
            EXPECT_EQ(l[0], low.x) << text;
            EXPECT_EQ(l[1], low.y) << text;
            EXPECT_EQ(l[2], low.z) << text;
            EXPECT_EQ(h[0], high.x) << text;
            EXPECT_EQ(h[1], high.y) << text;
            EXPECT_EQ(h[2], high.z) << text;
        };
        std::ostringstream obj;
        MeshFileWriter::writeObj(printable, obj);
        const auto readObj = test::readObj(obj.str());
        ASSERT_TRUE(readObj) << text;
        EXPECT_EQ(readObj->triangles.size(), printable.triangles.size());
        EXPECT_EQ(readObj->vertices.size(), printable.positions.size());
        sameBounds(*readObj);

        std::ostringstream ply;
        MeshFileWriter::writePly(printable, ply);
        const auto readPly = test::readPly(ply.str());
        ASSERT_TRUE(readPly) << text;
        EXPECT_EQ(readPly->triangles, readObj->triangles);
        sameBounds(*readPly);

        std::ostringstream stl(std::ios::binary);
        MeshFileWriter::writeStl(printable, stl);
        const auto readStl = test::readStl(stl.str());
        ASSERT_TRUE(readStl) << text;
        EXPECT_EQ(readStl->facets.size(), printable.triangles.size());
        sameBounds(*readStl);
        // Facet normals agree with the winding of the corners.
        for (std::size_t f = 0; f < readStl->facets.size(); f += 11) {
            const auto& p = readStl->facets[f];
            const Float3 a{p[0][0], p[0][1], p[0][2]};
            const Float3 b{p[1][0], p[1][1], p[1][2]};
            const Float3 c{p[2][0], p[2][1], p[2][2]};
            const Float3 n{readStl->facetNormals[f][0], readStl->facetNormals[f][1],
                           readStl->facetNormals[f][2]};
            EXPECT_GE(Float3::dot(n, Float3::cross(b - a, c - a)), 0.0f);
        }
        if (printable.closed) {
            EXPECT_GT(volume(*readObj), 0) << text;
        }
    }
}

TEST(PrintableMesh, EmptyAndBrokenMeshesGiveEmptyFiles) {
    const PrintableMesh empty = PrintableMesh::fromSurface(Mesh3D{});
    EXPECT_TRUE(empty.triangles.empty());
    EXPECT_FALSE(empty.closed);
    EXPECT_TRUE(std::isnan(empty.boundsMin().x));
    std::ostringstream stl;
    MeshFileWriter::writeStl(empty, stl);
    const auto read = test::readStl(stl.str());
    ASSERT_TRUE(read);
    EXPECT_TRUE(read->facets.empty());
    // Out-of-range indices and NaN corners are left out; a box solid that is not made of
    // boxes falls back to the surface path.
    Mesh3D broken;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    broken.vertices = {{0, 0, 0}, {1, 0, 0}, {0, 1, 0}, {nan, 0, 0}};
    broken.indices = {0, 1, 2, 0, 1, 3, 0, 1, 9};
    const PrintableMesh one = PrintableMesh::fromMesh(broken, EquationType::Inequality);
    EXPECT_EQ(one.triangles.size(), 1u);
    EXPECT_FALSE(one.closed);
}

TEST(MeshFileWriter, NumbersAreShortestAndLocaleFree) {
    EXPECT_EQ(MeshFileWriter::number(0.5f), "0.5");
    EXPECT_EQ(MeshFileWriter::number(-7.0f), "-7");
    EXPECT_EQ(MeshFileWriter::number(0.46666667f), "0.46666667");
}

INSTANTIATE_TEST_SUITE_P(VariantsAndDevices, Printable,
                         ::testing::Combine(::testing::Bool(),
                                            ::testing::Values(DeviceClass::Phone,
                                                              DeviceClass::Tablet)),
                         [](const ::testing::TestParamInfo<std::tuple<bool, DeviceClass>>& info) {
                             return std::string(std::get<0>(info.param) ? "Tetrahedra" : "Cubes") +
                                    test::deviceName(std::get<1>(info.param));
                         });

}  // namespace
}  // namespace plotwise
