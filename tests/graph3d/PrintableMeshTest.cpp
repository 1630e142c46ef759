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

// Closed surfaces weld into a watertight file wound outwards (the extraction winds towards the
// inside): the ball of radius 2 (32π/3 ≈ 33.5, less what the coarse phone grid cuts off), the
// spherical r = 2 whose seam and poles coincide, and the heart.
TEST_P(Printable, ClosedSurfacesAreWatertightAndWoundOutwards) {
    const double ball = 32 * std::numbers::pi / 3;
    const std::tuple<const char*, double, double> rows[] = {
        {"x^2+y^2+z^2-4", 0.8 * ball, 1.02 * ball},
        {"r=2", ball - 1, ball + 1},
        {"320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)=0", 0, 10},
    };
    for (const auto& [text, low, high] : rows) {
        const Mesh3D mesh = buildMesh(text, tetrahedra(), device());
        const PrintableMesh printable = PrintableMesh::fromSurface(mesh);
        EXPECT_TRUE(printable.closed) << text;
        EXPECT_TRUE(test::watertight(printable.triangles)) << text;
        EXPECT_GT(printable.signedVolume(), low) << text;
        EXPECT_LT(printable.signedVolume(), high) << text;
        if (text[0] != 'r') {  // implicit surfaces are triangle soups: welding shares vertices
            EXPECT_LT(printable.positions.size(), mesh.vertices.size() / 3) << text;
        }
    }
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
    EXPECT_TRUE(test::watertight(printable.triangles));
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
            EXPECT_EQ(read.bound(true), (test::Point{low.x, low.y, low.z})) << text;
            EXPECT_EQ(read.bound(false), (test::Point{high.x, high.y, high.z})) << text;
        };
        std::ostringstream obj, ply, stl(std::ios::binary);
        MeshFileWriter::writeObj(printable, obj);
        MeshFileWriter::writePly(printable, ply);
        MeshFileWriter::writeStl(printable, stl);
        const auto readObj = test::readObj(obj.str());
        const auto readPly = test::readPly(ply.str());
        const auto readStl = test::readStl(stl.str());
        ASSERT_TRUE(readObj && readPly && readStl) << text;
        EXPECT_EQ(readObj->triangles.size(), printable.triangles.size());
        EXPECT_EQ(readObj->vertices.size(), printable.positions.size());
        EXPECT_EQ(readPly->triangles, readObj->triangles);
        EXPECT_EQ(readStl->facetNormals.size(), printable.triangles.size());
        for (const test::ReadMesh* read : {&*readObj, &*readPly, &*readStl}) {
            sameBounds(*read);
        }
        // Facet normals agree with the winding of the corners.
        for (std::size_t f = 0; f < readStl->facetNormals.size(); f += 11) {
            const auto corner = [&](std::size_t c) {
                const test::Point& p = readStl->vertices[3 * f + c];
                return Float3{p[0], p[1], p[2]};
            };
            const test::Point& n = readStl->facetNormals[f];
            EXPECT_GE(Float3::dot(Float3{n[0], n[1], n[2]},
                                  Float3::cross(corner(1) - corner(0), corner(2) - corner(0))),
                      0.0f);
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
    EXPECT_TRUE(read->facetNormals.empty());
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

INSTANTIATE_TEST_SUITE_P(VariantsAndDevices, Printable, test::kVariantsAndDevices,
                         test::variantAndDeviceName);

}  // namespace
}  // namespace plotwise
