#include "graph3d/ImplicitSurfaceBuilder.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <optional>
#include <utility>

#include "engine/ComparisonBits.h"
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
    Extractor(const EvaluationLimits3D& limits, std::size_t vertexLimit, bool tetrahedra,
              bool gradients)
        : axis_(GridAxis::nodes(limits.min, limits.max, limits.step)),
          target_(limits.targetValue),
          step_(limits.step),
          limit_(std::min(vertexLimit, kIndexableVertices)),
          tetrahedra_(tetrahedra),
          gradients_(gradients) {}

    // The field evaluated plane by plane as the slabs need it.
    void useField(const EvaluationData3D& data) {
        field_.emplace(data, FieldEvaluator3D::Reading::Field);
        ready_ = data.variableTable != nullptr;  // an expression compiled against a table
    }
    // Values already computed, values[(i * side + j) * side + k] for the node (x_i, y_j, z_k).
    void useGrid(const double* values) {
        grid_ = values;
        ready_ = true;
    }

    void run() {
        if (axis_.size() < 2 || !ready_) {
            return;
        }
        cells_ = axis_.size() - 1;
        side_ = axis_.size();
        // Gradients read one node beyond the box on every side, so that vertices on its faces
        // take their normals from the grid too.
        halo_ = gradients_ ? 1 : 0;
        stride_ = side_ + 2 * halo_;
        planeSize_ = stride_ * stride_;
        words_ = (side_ + 63) / 64;
        axisValues_.assign(axis_.begin(), axis_.end());
        if (halo_ != 0) {
            const float step = static_cast<float>(step_);
            axisValues_.insert(axisValues_.begin(), static_cast<double>(axis_.front() - step));
            axisValues_.push_back(static_cast<double>(axis_.back() + step));
        }
        for (std::size_t p = 0; p < kPlanes; ++p) {
            if (grid_ == nullptr) {
                storage_[p].resize(planeSize_);
            }
            bits_[p].resize(side_ * words_);
            rowState_[p].resize(side_);
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
            const std::size_t needed = std::min(stride_, i + 2 + 2 * halo_);
            for (; evaluated < needed; ++evaluated) {
                loadPlane(evaluated);
            }
            slab_ = i;
            resetCaches();
            if (tetrahedra_) {
                forEachCrossedCell([this, i](std::size_t j, std::size_t k, unsigned cube) {
                    return tetrahedraCell(i, j, k, cube);
                });
            } else {
                forEachCrossedCell([this, i](std::size_t j, std::size_t k, unsigned cube) {
                    return cubeCell(i, j, k, cube);
                });
            }
            std::swap(cache_[1], cache_[2]);
            std::swap(touched_[1], touched_[2]);
        }
    }

    std::size_t cells() const { return cells_ * cells_ * cells_; }
    bool cutOff() const { return cutOff_; }
    FieldEvaluator3D& field() { return *field_; }
    std::size_t evaluations() const { return field_ ? field_->evaluations() : 0; }
    std::vector<Float3> takeUniqueVertices() { return std::move(unique_); }
    std::vector<std::uint32_t> takeOutput() { return std::move(output_); }
    std::vector<Float3> takeNormals() { return std::move(normals_); }
    // Vertices whose normal needs the field's own gradient: a grid neighbour was not finite.
    const std::vector<std::uint32_t>& fallbacks() const { return fallbacks_; }

private:
    // Planes live in a ring: plane p (counted from the halo's when there is one) in slot p mod 4,
    // so a slab's planes and their neighbours on either side are all at hand.
    static constexpr std::size_t kPlanes = 4;
    enum RowState : std::uint8_t { kOutside, kInside, kMixed };

    void loadPlane(std::size_t plane) {
        const std::size_t slot = plane % kPlanes;
        if (grid_ != nullptr) {
            planes_[slot] = grid_ + plane * planeSize_;
        } else {
            field_->evaluatePlane(axisValues_[plane], stride_, axisValues_.data(), stride_,
                                  axisValues_.data(), storage_[slot].data());
            planes_[slot] = storage_[slot].data();
        }
        classify(slot);
    }

    // Inside flags as bits, 64 nodes of a row a word, and whether each row is wholly inside,
    // wholly outside or mixed.
    void classify(std::size_t slot) {
        const double* values = planes_[slot];
        std::uint64_t* bits = bits_[slot].data();
        for (std::size_t j = 0; j < side_; ++j) {
            const double* row = values + at(j, 0);
            std::uint64_t any = 0;
            std::uint64_t all = ~std::uint64_t{0};
            for (std::size_t w = 0; w < words_; ++w) {
                const std::size_t begin = 64 * w;
                const std::size_t count = std::min<std::size_t>(64, side_ - begin);
                const std::uint64_t word =  // NaN is outside
                    comparisonBits<Comparison::AtMost>(row + begin, count, target_);
                bits[j * words_ + w] = word;
                any |= word;
                all &= count == 64 ? word : word | (~std::uint64_t{0} << count);
            }
            rowState_[slot][j] = any == 0 ? kOutside : all == ~std::uint64_t{0} ? kInside : kMixed;
        }
    }

    // Calls visit(j, k, case index) for every cell of the slab whose corners are not all alike,
    // row by row in order of k, until visit returns false. Rows whose four corner rows are all
    // inside or all outside are passed over whole; within a row, 64 cells a word are tested at
    // once, and the case index of a cell following a crossed cell reuses its right face.
    template <typename Visit>
    void forEachCrossedCell(Visit visit) {
        const std::size_t low = (slab_ + halo_) % kPlanes;
        const std::size_t high = (slab_ + halo_ + 1) % kPlanes;
        const std::size_t lastCells = cells_ - 64 * (words_ - 1);
        const std::uint64_t lastMask =
            lastCells >= 64 ? ~std::uint64_t{0} : (std::uint64_t{1} << lastCells) - 1;
        for (std::size_t j = 0; j < cells_; ++j) {
            const std::uint8_t s = rowState_[low][j];
            if (s != kMixed && rowState_[low][j + 1] == s && rowState_[high][j] == s &&
                rowState_[high][j + 1] == s) {
                continue;
            }
            // Corner rows: a (low plane) and b (high plane), at row j and j + 1.
            const std::uint64_t* a0 = bits_[low].data() + j * words_;
            const std::uint64_t* a1 = a0 + words_;
            const std::uint64_t* b0 = bits_[high].data() + j * words_;
            const std::uint64_t* b1 = b0 + words_;
            unsigned previous = 0;
            std::size_t following = ~std::size_t{0};  // the cell after the last one visited
            for (std::size_t w = 0; w < words_; ++w) {
                const bool more = w + 1 < words_;
                // Bits of the node at k + 1, for the cell's high-z face.
                const auto next = [&](const std::uint64_t* r) {
                    return (r[w] >> 1) | (more ? r[w + 1] << 63 : 0);
                };
                const std::uint64_t na0 = next(a0);
                const std::uint64_t na1 = next(a1);
                const std::uint64_t nb0 = next(b0);
                const std::uint64_t nb1 = next(b1);
                const std::uint64_t any = a0[w] | a1[w] | b0[w] | b1[w];
                const std::uint64_t all = a0[w] & a1[w] & b0[w] & b1[w];
                const std::uint64_t nextAny = na0 | na1 | nb0 | nb1;
                const std::uint64_t nextAll = na0 & na1 & nb0 & nb1;
                std::uint64_t crossed = (any ^ all) | (nextAny ^ nextAll) | (all ^ nextAll);
                if (!more) {
                    crossed &= lastMask;
                }
                while (crossed != 0) {
                    const auto b = static_cast<unsigned>(std::countr_zero(crossed));
                    crossed &= crossed - 1;
                    const std::size_t k = 64 * w + b;
                    const auto face = [b](std::uint64_t c0, std::uint64_t c1, std::uint64_t c2,
                                          std::uint64_t c3) {
                        return static_cast<unsigned>(((c0 >> b) & 1) | (((c1 >> b) & 1) << 1) |
                                                     (((c2 >> b) & 1) << 2) |
                                                     (((c3 >> b) & 1) << 3));
                    };
                    const unsigned right = face(na0, nb0, nb1, na1) << 4;
                    const unsigned index = k == following
                                               ? (previous >> 4) | right
                                               : face(a0[w], b0[w], b1[w], a1[w]) | right;
                    previous = index;
                    following = k + 1;
                    if (!visit(j, k, index)) {
                        return;
                    }
                }
            }
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

    // The value of node (j, k) within its plane.
    std::size_t at(std::size_t j, std::size_t k) const { return (j + halo_) * stride_ + k + halo_; }

    std::size_t node(std::size_t j, std::size_t k, int corner) const {
        const auto& o = CubeTables::cornerOffsets[static_cast<std::size_t>(corner)];
        return at(j + static_cast<std::size_t>(o[1]), k + static_cast<std::size_t>(o[2]));
    }

    double cornerValue(std::size_t j, std::size_t k, int corner) const {
        const auto plane = static_cast<std::size_t>(
            CubeTables::cornerOffsets[static_cast<std::size_t>(corner)][0]);
        return planes_[(slab_ + halo_ + plane) % kPlanes][node(j, k, corner)];
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
    // common factor 1/(2·step) left out); false when a neighbour is not finite. Needs the halo.
    bool nodeGradient(std::size_t I, std::size_t J, std::size_t K,
                      std::array<double, 3>& gradient) const {
        const std::size_t n = at(J, K);
        const double* here = planes_[(I + 1) % kPlanes];
        gradient = {planes_[I % kPlanes][n] - planes_[(I + 2) % kPlanes][n],
                    here[n - stride_] - here[n + stride_], here[n - 1] - here[n + 1]};
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

    bool cubeCell(std::size_t i, std::size_t j, std::size_t k, unsigned index) {
        const auto& row = CubeTables::triangleTable()[index];
        for (std::size_t t = 0; t < row.size() && row[t] >= 0; t += 3) {
            if (!roomForTriangle()) {
                return false;
            }
            for (std::size_t m = 0; m < 3; ++m) {
                output_.push_back(
                    vertex(i, j, k, kCubeEdges[static_cast<std::size_t>(row[t + m])]));
            }
        }
        return true;
    }

    bool tetrahedraCell(std::size_t i, std::size_t j, std::size_t k, unsigned cube) {
        for (std::size_t tet = 0; tet < 6; ++tet) {
            const auto& corners = TetraTables::tetrahedra[tet];
            unsigned index = 0;
            for (std::size_t m = 0; m < 4; ++m) {
                index |= ((cube >> corners[m]) & 1u) << m;
            }
            const auto& row = TetraTables::triangleTable[index];
            for (std::size_t t = 0; t < row.size() && row[t] >= 0; t += 3) {
                if (!roomForTriangle()) {
                    return false;  // no later triangle can fit either
                }
                for (std::size_t m = 0; m < 3; ++m) {
                    output_.push_back(
                        vertex(i, j, k, kTetraEdges[tet][static_cast<std::size_t>(row[t + m])]));
                }
            }
        }
        return true;
    }

    std::vector<float> axis_;
    double target_;
    double step_;
    std::optional<FieldEvaluator3D> field_;
    const double* grid_ = nullptr;
    std::size_t limit_;
    bool tetrahedra_;
    bool gradients_;
    bool ready_ = false;
    bool cutOff_ = false;
    std::size_t cells_ = 0;
    std::size_t side_ = 0;
    std::size_t halo_ = 0;    // nodes evaluated beyond the box on each side
    std::size_t stride_ = 0;  // values a row, halo included
    std::size_t planeSize_ = 0;
    std::size_t words_ = 0;           // 64-bit words of inside flags a row
    std::vector<double> axisValues_;  // the axis in double, for the field's rows and columns
    std::size_t slab_ = 0;
    // The ring's planes of values: evaluated into storage_, or read in place from the grid.
    std::array<const double*, kPlanes> planes_{};
    std::array<std::vector<double>, kPlanes> storage_;
    std::array<std::vector<std::uint64_t>, kPlanes> bits_;
    std::array<std::vector<std::uint8_t>, kPlanes> rowState_;
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
    Extractor extractor(limits, vertexLimit, data.useTetahedros, withGradients);
    extractor.useField(data);
    extractor.run();
    SharedExtraction shared;
    shared.statistics.cells = extractor.cells();
    shared.statistics.cutOff = extractor.cutOff();
    shared.statistics.gridEvaluations = extractor.evaluations();
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

ImplicitSurfaceBuilder::IndexedSurface ImplicitSurfaceBuilder::extractGrid(
    const EvaluationLimits3D& limits, const std::vector<double>& values, std::size_t vertexLimit) {
    IndexedSurface surface;
    const std::size_t side = GridAxis::nodes(limits.min, limits.max, limits.step).size();
    if (values.size() != side * side * side) {
        return surface;
    }
    Extractor extractor(limits, vertexLimit, false, false);
    extractor.useGrid(values.data());
    extractor.run();
    surface.vertices = extractor.takeUniqueVertices();
    surface.corners = extractor.takeOutput();
    surface.cutOff = extractor.cutOff();
    return surface;
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
