#include "graph3d/ImplicitSurfaceBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>
#include <utility>

#include "graph3d/FastInverseSquareRoot.h"
#include "graph3d/GridAxis.h"
#include "graph3d/MarchingCubesTables.h"
#include "graph3d/MarchingTetrahedraTables.h"

namespace plotwise {

namespace {

using CubeTables = MarchingCubesTables;
using TetraTables = MarchingTetrahedraTables;

// Vertex ids are 32-bit; the capacities set the real limit.
constexpr std::size_t kIndexableVertices = std::numeric_limits<std::int32_t>::max();
// Reserved up front: more than most surfaces need, little against a memory budget.
constexpr std::size_t kReservedVertices = std::size_t{1} << 16;

// A grid edge seen from one cube: its lower end (no coordinate above the other end's) and the
// axes it advances along (x 1, y 2, z 4). Every edge of the cubes and of the six tetrahedra
// runs this way, so a grid edge has one name whichever cell reaches it.
struct CubeEdge {
    int low;
    int high;
    int direction;
};

constexpr CubeEdge cubeEdge(int a, int b) {
    const auto& pa = CubeTables::cornerOffsets[static_cast<std::size_t>(a)];
    const auto& pb = CubeTables::cornerOffsets[static_cast<std::size_t>(b)];
    const bool aLow = pa[0] <= pb[0] && pa[1] <= pb[1] && pa[2] <= pb[2];
    const int low = aLow ? a : b;
    const int high = aLow ? b : a;
    const auto& pl = CubeTables::cornerOffsets[static_cast<std::size_t>(low)];
    const auto& ph = CubeTables::cornerOffsets[static_cast<std::size_t>(high)];
    return {low, high, (ph[0] - pl[0]) | ((ph[1] - pl[1]) << 1) | ((ph[2] - pl[2]) << 2)};
}

constexpr std::array<CubeEdge, 12> makeCubeEdges() {
    std::array<CubeEdge, 12> edges{};
    for (std::size_t e = 0; e < 12; ++e) {
        edges[e] = cubeEdge(CubeTables::edgeCorners[e][0], CubeTables::edgeCorners[e][1]);
    }
    return edges;
}

constexpr std::array<std::array<CubeEdge, 6>, 6> makeTetraEdges() {
    std::array<std::array<CubeEdge, 6>, 6> edges{};
    for (std::size_t t = 0; t < 6; ++t) {
        for (std::size_t e = 0; e < 6; ++e) {
            const auto& pair = TetraTables::edgeCorners[e];
            edges[t][e] = cubeEdge(TetraTables::tetrahedra[t][static_cast<std::size_t>(pair[0])],
                                   TetraTables::tetrahedra[t][static_cast<std::size_t>(pair[1])]);
        }
    }
    return edges;
}

constexpr std::array<CubeEdge, 12> kCubeEdges = makeCubeEdges();
constexpr std::array<std::array<CubeEdge, 6>, 6> kTetraEdges = makeTetraEdges();

// Edges that advance along x (directions 1, 3, 5, 7) cross the slab; the others (2, 4, 6) lie in
// a plane. Each kind gets its own lanes of the vertex cache: the cubes use one lane across the
// slab and two per plane, the tetrahedra four and three.
constexpr std::size_t laneOf(int direction) {
    return (direction & 1) != 0 ? static_cast<std::size_t>((direction - 1) / 2)
                                : static_cast<std::size_t>(direction / 2 - 1);
}

class Extractor {
public:
    Extractor(const EvaluationLimits3D& limits, const EvaluationData3D& data,
              std::size_t vertexLimit, bool gradients)
        : axis_(GridAxis::nodes(limits.min, limits.max, limits.step)),
          target_(limits.targetValue),
          step_(limits.step),
          field_(data, FieldEvaluator3D::Reading::Field),
          limit_(std::min(vertexLimit, kIndexableVertices)),
          tetrahedra_(data.useTetahedros),
          gradients_(gradients),
          hasTable_(data.variableTable != nullptr) {}

    void run() {
        if (axis_.size() < 2 || !hasTable_) {
            return;
        }
        cells_ = axis_.size() - 1;
        side_ = axis_.size();
        planeSize_ = side_ * side_;
        axisValues_.assign(axis_.begin(), axis_.end());
        for (std::size_t p = 0; p < kPlanes; ++p) {
            values_[p].resize(planeSize_);
            inside_[p].resize(planeSize_);
        }
        const std::size_t slabLanes = tetrahedra_ ? 4 : 1;
        const std::size_t planeLanes = tetrahedra_ ? 3 : 2;
        cache_[0].assign(slabLanes * planeSize_, -1);
        cache_[1].assign(planeLanes * planeSize_, -1);
        cache_[2].assign(planeLanes * planeSize_, -1);

        // Room for a typical surface, reserved once: growing by doubling copies and faults in
        // fresh pages at every step. Larger limits come from a memory budget; they grow.
        output_.reserve(std::min(limit_, kReservedVertices));
        unique_.reserve(std::min(limit_, kReservedVertices));

        std::size_t evaluated = 0;
        for (std::size_t i = 0; i < cells_ && !cutOff_; ++i) {
            // Gradients need the planes on both sides of the slab as well.
            const std::size_t needed = std::min(side_, i + (gradients_ ? 3 : 2));
            for (; evaluated < needed; ++evaluated) {
                evaluatePlane(evaluated);
            }
            slab_ = i;
            resetCaches();
            if (tetrahedra_) {
                tetrahedraSlab(i);
            } else {
                cubesSlab(i);
            }
            std::swap(cache_[1], cache_[2]);
            std::swap(touched_[1], touched_[2]);
        }
    }

    std::size_t cells() const { return cells_ * cells_ * cells_; }
    bool cutOff() const { return cutOff_; }
    FieldEvaluator3D& field() { return field_; }
    std::vector<Float3> takeUniqueVertices() { return std::move(unique_); }
    std::vector<std::uint32_t> takeOutput() { return std::move(output_); }
    std::vector<Float3> takeNormals() { return std::move(normals_); }
    // Vertices whose normal needs the field's own gradient: a grid neighbour was missing or not
    // finite.
    const std::vector<std::uint32_t>& fallbacks() const { return fallbacks_; }

private:
    // Planes live in a ring: plane p in slot p mod 4, so a slab's planes and their neighbours
    // on either side are all at hand.
    static constexpr std::size_t kPlanes = 4;

    void evaluatePlane(std::size_t plane) {
        const std::size_t slot = plane % kPlanes;
        field_.evaluatePlane(axisValues_[plane], side_, axisValues_.data(), side_,
                             axisValues_.data(), values_[slot].data());
        const std::vector<double>& values = values_[slot];
        std::vector<std::uint8_t>& inside = inside_[slot];
        for (std::size_t n = 0; n < planeSize_; ++n) {
            inside[n] = values[n] <= target_ ? 1 : 0;  // NaN is outside
        }
    }

    // The edges across the slab and those in its high plane are new for each slab. Only the
    // entries written are cleared, so an empty slab costs nothing here.
    void resetCaches() {
        for (const std::size_t slot : {std::size_t{0}, std::size_t{2}}) {
            for (const std::size_t entry : touched_[slot]) {
                cache_[slot][entry] = -1;
            }
            touched_[slot].clear();
        }
    }

    std::size_t node(std::size_t j, std::size_t k, int corner) const {
        const auto& o = CubeTables::cornerOffsets[static_cast<std::size_t>(corner)];
        return (j + static_cast<std::size_t>(o[1])) * side_ + k + static_cast<std::size_t>(o[2]);
    }

    double cornerValue(std::size_t j, std::size_t k, int corner) const {
        const auto plane = static_cast<std::size_t>(
            CubeTables::cornerOffsets[static_cast<std::size_t>(corner)][0]);
        return values_[(slab_ + plane) % kPlanes][node(j, k, corner)];
    }

    Float3 cornerPosition(std::size_t i, std::size_t j, std::size_t k, int corner) const {
        const auto& o = CubeTables::cornerOffsets[static_cast<std::size_t>(corner)];
        return {axis_[i + static_cast<std::size_t>(o[0])],
                axis_[j + static_cast<std::size_t>(o[1])],
                axis_[k + static_cast<std::size_t>(o[2])]};
    }

    // The crossing on a grid edge, computed once per extraction from its lower end, so that
    // every cell that meets the edge gets the same bits.
    std::uint32_t vertex(std::size_t i, std::size_t j, std::size_t k, const CubeEdge& edge) {
        const auto& o = CubeTables::cornerOffsets[static_cast<std::size_t>(edge.low)];
        const std::size_t cacheSlot =
            (edge.direction & 1) != 0 ? 0 : 1 + static_cast<std::size_t>(o[0]);
        const std::size_t entry = laneOf(edge.direction) * planeSize_ + node(j, k, edge.low);
        std::int32_t& id = cache_[cacheSlot][entry];
        if (id >= 0) {
            return static_cast<std::uint32_t>(id);
        }
        touched_[cacheSlot].push_back(entry);
        const double va = cornerValue(j, k, edge.low);
        const double vb = cornerValue(j, k, edge.high);
        const double t = vb == va ? 0.5 : (target_ - va) / (vb - va);
        const Float3 a = cornerPosition(i, j, k, edge.low);
        Float3 p;
        if (tetrahedra_) {
            const Float3 b = cornerPosition(i, j, k, edge.high);
            p = {interpolate(a.x, b.x, t), interpolate(a.y, b.y, t), interpolate(a.z, b.z, t)};
        } else {
            // Along one axis: the lower corner plus t steps.
            p = a;
            const double offset = t * step_;
            if (edge.direction == 1) {
                p.x = static_cast<float>(a.x + offset);
            } else if (edge.direction == 2) {
                p.y = static_cast<float>(a.y + offset);
            } else {
                p.z = static_cast<float>(a.z + offset);
            }
        }
        id = static_cast<std::int32_t>(unique_.size());
        unique_.push_back(p);
        if (gradients_) {
            const auto& low = CubeTables::cornerOffsets[static_cast<std::size_t>(edge.low)];
            const auto& high = CubeTables::cornerOffsets[static_cast<std::size_t>(edge.high)];
            std::array<double, 3> a{};
            std::array<double, 3> b{};
            if (nodeGradient(i + static_cast<std::size_t>(low[0]),
                             j + static_cast<std::size_t>(low[1]),
                             k + static_cast<std::size_t>(low[2]), a) &&
                nodeGradient(i + static_cast<std::size_t>(high[0]),
                             j + static_cast<std::size_t>(high[1]),
                             k + static_cast<std::size_t>(high[2]), b)) {
                normals_.push_back(
                    normalizeFast({static_cast<float>((1.0 - t) * a[0] + t * b[0]),
                                   static_cast<float>((1.0 - t) * a[1] + t * b[1]),
                                   static_cast<float>((1.0 - t) * a[2] + t * b[2])}));
            } else {
                normals_.push_back({});
                fallbacks_.push_back(static_cast<std::uint32_t>(id));
            }
        }
        return static_cast<std::uint32_t>(id);
    }

    // Central differences of the grid values at node (I, J, K), towards decreasing F (the
    // common factor 1/(2·step) left out); false when a neighbour is off the grid or not finite.
    bool nodeGradient(std::size_t I, std::size_t J, std::size_t K,
                      std::array<double, 3>& gradient) const {
        if (I == 0 || J == 0 || K == 0 || I + 1 >= side_ || J + 1 >= side_ || K + 1 >= side_) {
            return false;
        }
        const std::size_t n = J * side_ + K;
        const std::vector<double>& here = values_[I % kPlanes];
        gradient = {values_[(I - 1) % kPlanes][n] - values_[(I + 1) % kPlanes][n],
                    here[n - side_] - here[n + side_], here[n - 1] - here[n + 1]};
        return std::isfinite(gradient[0]) && std::isfinite(gradient[1]) &&
               std::isfinite(gradient[2]);
    }

    static float interpolate(float a, float b, double t) {
        return static_cast<float>((1.0 - t) * a + t * b);
    }

    bool roomForTriangle() {
        if (output_.size() + 2 >= limit_) {
            cutOff_ = true;
            return false;
        }
        return true;
    }

    unsigned caseIndex(std::size_t j, std::size_t k) const {
        const auto& a = inside_[slab_ % kPlanes];
        const auto& b = inside_[(slab_ + 1) % kPlanes];
        const std::size_t n = j * side_ + k;
        const std::size_t up = n + side_;
        return static_cast<unsigned>(a[n] | (b[n] << 1) | (b[up] << 2) | (a[up] << 3) |
                                     (a[n + 1] << 4) | (b[n + 1] << 5) | (b[up + 1] << 6) |
                                     (a[up + 1] << 7));
    }

    void cubesSlab(std::size_t i) {
        const auto& edgeTable = CubeTables::edgeTable();
        const auto& triangleTable = CubeTables::triangleTable();
        for (std::size_t j = 0; j < cells_; ++j) {
            for (std::size_t k = 0; k < cells_; ++k) {
                const unsigned index = caseIndex(j, k);
                if (edgeTable[index] == 0) {
                    continue;
                }
                const auto& row = triangleTable[index];
                for (std::size_t t = 0; t < row.size() && row[t] >= 0; t += 3) {
                    if (!roomForTriangle()) {
                        return;
                    }
                    for (std::size_t m = 0; m < 3; ++m) {
                        output_.push_back(
                            vertex(i, j, k, kCubeEdges[static_cast<std::size_t>(row[t + m])]));
                    }
                }
            }
        }
    }

    void tetrahedraSlab(std::size_t i) {
        for (std::size_t j = 0; j < cells_; ++j) {
            for (std::size_t k = 0; k < cells_; ++k) {
                const unsigned cube = caseIndex(j, k);
                if (cube == 0 || cube == 255) {
                    continue;  // every tetrahedron is wholly inside or outside
                }
                for (std::size_t tet = 0; tet < 6; ++tet) {
                    const auto& corners = TetraTables::tetrahedra[tet];
                    unsigned index = 0;
                    for (std::size_t m = 0; m < 4; ++m) {
                        index |= ((cube >> corners[m]) & 1u) << m;
                    }
                    const auto& row = TetraTables::triangleTable[index];
                    for (std::size_t t = 0; t < row.size() && row[t] >= 0; t += 3) {
                        if (!roomForTriangle()) {
                            return;  // no later triangle can fit either
                        }
                        for (std::size_t m = 0; m < 3; ++m) {
                            output_.push_back(vertex(
                                i, j, k, kTetraEdges[tet][static_cast<std::size_t>(row[t + m])]));
                        }
                    }
                }
            }
        }
    }

    std::vector<float> axis_;
    double target_;
    double step_;
    FieldEvaluator3D field_;
    std::size_t limit_;
    bool tetrahedra_;
    bool gradients_;
    bool hasTable_;  // an expression compiled against a variable table
    bool cutOff_ = false;
    std::size_t cells_ = 0;
    std::size_t side_ = 0;
    std::size_t planeSize_ = 0;
    std::vector<double> axisValues_;  // the axis in double, for the field's rows and columns
    // [0] the plane at the slab's low x, [1] at its high x.
    std::size_t slab_ = 0;
    std::array<std::vector<double>, kPlanes> values_;
    std::array<std::vector<std::uint8_t>, kPlanes> inside_;
    // Vertex ids by lane (laneOf the direction) and lower end node: [0] edges across the slab,
    // [1] edges in the low plane, [2] edges in the high plane; -1 when not yet computed.
    std::array<std::vector<std::int32_t>, 3> cache_;
    std::array<std::vector<std::size_t>, 3> touched_;
    std::vector<Float3> unique_;
    std::vector<Float3> normals_;  // per unique vertex, when gradients are asked for
    std::vector<std::uint32_t> fallbacks_;
    std::vector<std::uint32_t> output_;
};

Float3 differenceNormal(const double* f) {
    return normalizeFast({static_cast<float>(f[0] - f[1]), static_cast<float>(f[2] - f[3]),
                          static_cast<float>(f[4] - f[5])});
}

// Gradient normals of many points, six field values each, in batches.
std::vector<Float3> gradientNormals(FieldEvaluator3D& field, const std::vector<Float3>& points) {
    constexpr std::size_t kChunk = 1024;
    constexpr double h = ImplicitSurfaceBuilder::gradientStep;
    std::vector<Float3> normals(points.size());
    const std::size_t room = 6 * std::min(kChunk, points.size());
    std::vector<double> xs(room), ys(room), zs(room), f(room);
    for (std::size_t start = 0; start < points.size(); start += kChunk) {
        const std::size_t count = std::min(kChunk, points.size() - start);
        for (std::size_t n = 0; n < count; ++n) {
            const double x = points[start + n].x;
            const double y = points[start + n].y;
            const double z = points[start + n].z;
            const std::array<std::array<double, 3>, 6> samples = {{
                {x - h, y, z},
                {x + h, y, z},
                {x, y - h, z},
                {x, y + h, z},
                {x, y, z - h},
                {x, y, z + h},
            }};
            for (std::size_t s = 0; s < 6; ++s) {
                xs[6 * n + s] = samples[s][0];
                ys[6 * n + s] = samples[s][1];
                zs[6 * n + s] = samples[s][2];
            }
        }
        field.evaluate(6 * count, xs.data(), ys.data(), zs.data(), f.data());
        for (std::size_t n = 0; n < count; ++n) {
            normals[start + n] = differenceNormal(&f[6 * n]);
        }
    }
    return normals;
}

// The extraction as shared vertices: output triangle corners refer to distinct crossings.
struct SharedExtraction {
    std::vector<Float3> vertices;
    std::vector<std::uint32_t> corners;
    std::vector<Float3> normals;  // per distinct vertex, when asked for
    ImplicitSurfaceBuilder::Statistics statistics;
};

SharedExtraction extractShared(const EvaluationLimits3D& limits, const EvaluationData3D& data,
                               std::size_t vertexLimit, bool withGradients) {
    Extractor extractor(limits, data, vertexLimit, withGradients);
    extractor.run();
    SharedExtraction shared;
    shared.statistics.cells = extractor.cells();
    shared.statistics.cutOff = extractor.cutOff();
    shared.statistics.gridEvaluations = extractor.field().evaluations();
    shared.vertices = extractor.takeUniqueVertices();
    shared.corners = extractor.takeOutput();
    if (withGradients && !shared.vertices.empty()) {
        // One gradient per grid-edge crossing, from the grid values; the field's own six-point
        // gradient only where the grid has no finite neighbour.
        shared.normals = extractor.takeNormals();
        const std::vector<std::uint32_t>& fallbacks = extractor.fallbacks();
        if (!fallbacks.empty()) {
            std::vector<Float3> points;
            points.reserve(fallbacks.size());
            for (const std::uint32_t id : fallbacks) {
                points.push_back(shared.vertices[id]);
            }
            const std::vector<Float3> normals = gradientNormals(extractor.field(), points);
            for (std::size_t n = 0; n < fallbacks.size(); ++n) {
                shared.normals[fallbacks[n]] = normals[n];
            }
        }
        shared.statistics.gradientEvaluations =
            extractor.field().evaluations() - shared.statistics.gridEvaluations;
    }
    return shared;
}

// Records, indices and lines written once each (reserved, then appended): a mesh of tens of
// thousands of vertices is mostly fresh memory, and touching it twice costs as much as the
// extraction.
Mesh3D meshFromExtraction(const SharedExtraction& shared, bool smooth) {
    Mesh3D mesh;
    const std::vector<Float3>& p = shared.vertices;
    const std::vector<std::uint32_t>& corners = shared.corners;
    const std::size_t n = corners.size();
    if (n == 0) {
        return mesh;
    }
    mesh.vertices.reserve(n);
    mesh.indices.reserve(n);
    mesh.lineIndices.reserve(2 * n);
    for (std::size_t t = 0; t + 2 < n; t += 3) {
        const Float3& a = p[corners[t]];
        const Float3& b = p[corners[t + 1]];
        const Float3& c = p[corners[t + 2]];
        const Float3 flat = normalizeFast(Float3::cross(c - b, a - b));
        for (std::size_t m = 0; m < 3; ++m) {
            const Float3& q = p[corners[t + m]];
            const Float3 normal = smooth ? shared.normals[corners[t + m]] : flat;
            mesh.vertices.push_back({q.x, q.y, q.z, normal.x, normal.y, normal.z});
            mesh.indices.push_back(static_cast<std::uint32_t>(t + m));
        }
        const auto ia = static_cast<std::uint32_t>(t);
        const auto ib = static_cast<std::uint32_t>(t + 1);
        const auto ic = static_cast<std::uint32_t>(t + 2);
        mesh.lineIndices.insert(mesh.lineIndices.end(), {ia, ib, ib, ic, ic, ia});
    }
    return mesh;
}

}  // namespace

ImplicitSurfaceBuilder::Extraction ImplicitSurfaceBuilder::extract(const EvaluationLimits3D& limits,
                                                                   const EvaluationData3D& data,
                                                                   std::size_t vertexLimit,
                                                                   bool gradientNormals) {
    const SharedExtraction shared = extractShared(limits, data, vertexLimit, gradientNormals);
    Extraction extraction;
    extraction.statistics = shared.statistics;
    extraction.positions.reserve(shared.corners.size());
    for (const std::uint32_t id : shared.corners) {
        extraction.positions.push_back(shared.vertices[id]);
    }
    if (!shared.normals.empty()) {
        extraction.normals.reserve(shared.corners.size());
        for (const std::uint32_t id : shared.corners) {
            extraction.normals.push_back(shared.normals[id]);
        }
    }
    return extraction;
}

Mesh3D ImplicitSurfaceBuilder::calculateImplicit(const EvaluationLimits3D& limits,
                                                 const EvaluationData3D& data,
                                                 std::size_t vertexLimit, Statistics* statistics) {
    const SharedExtraction shared = extractShared(limits, data, vertexLimit, false);
    if (statistics != nullptr) {
        *statistics = shared.statistics;
    }
    return meshFromExtraction(shared, false);
}

Mesh3D ImplicitSurfaceBuilder::calculateImplicitWithSmooth(const EvaluationLimits3D& limits,
                                                           const EvaluationData3D& data,
                                                           std::size_t vertexLimit,
                                                           Statistics* statistics) {
    const SharedExtraction shared = extractShared(limits, data, vertexLimit, true);
    if (statistics != nullptr) {
        *statistics = shared.statistics;
    }
    return meshFromExtraction(shared, true);
}

Float3 ImplicitSurfaceBuilder::gradientNormal(FieldEvaluator3D& field, Float3 p) {
    const double h = gradientStep;
    const double x = p.x;
    const double y = p.y;
    const double z = p.z;
    const std::array<double, 6> f = {
        field.evaluateOne(x - h, y, z), field.evaluateOne(x + h, y, z),
        field.evaluateOne(x, y - h, z), field.evaluateOne(x, y + h, z),
        field.evaluateOne(x, y, z - h), field.evaluateOne(x, y, z + h),
    };
    return differenceNormal(f.data());
}

}  // namespace plotwise
