#include "graph3d/PrintableMesh.h"

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <limits>
#include <map>
#include <tuple>
#include <unordered_map>
#include <unordered_set>

namespace plotwise {

namespace {

using Triangle = std::array<std::uint32_t, 3>;

bool isFinite(const MeshVertex& v) {
    return std::isfinite(v.x) && std::isfinite(v.y) && std::isfinite(v.z);
}

struct CellKey {
    std::int64_t x;
    std::int64_t y;
    std::int64_t z;
    bool operator==(const CellKey&) const = default;
};

struct CellKeyHash {
    std::size_t operator()(const CellKey& k) const {
        std::uint64_t h = static_cast<std::uint64_t>(k.x) * 0x9E3779B97F4A7C15ull;
        h ^= static_cast<std::uint64_t>(k.y) * 0xC2B2AE3D27D4EB4Full + (h << 6) + (h >> 2);
        h ^= static_cast<std::uint64_t>(k.z) * 0x165667B19E3779F9ull + (h << 6) + (h >> 2);
        return static_cast<std::size_t>(h);
    }
};

// Merges points within `eps` of each other (in every coordinate) into the first one seen.
class Welder {
public:
    explicit Welder(double eps) : eps_(eps) {}

    std::uint32_t add(const Float3& p) {
        const CellKey key = cell(p);
        for (std::int64_t dx = -1; dx <= 1; ++dx) {
            for (std::int64_t dy = -1; dy <= 1; ++dy) {
                for (std::int64_t dz = -1; dz <= 1; ++dz) {
                    const auto found = cells_.find({key.x + dx, key.y + dy, key.z + dz});
                    if (found == cells_.end()) {
                        continue;
                    }
                    for (const std::uint32_t id : found->second) {
                        const Float3& q = positions_[id];
                        if (std::fabs(static_cast<double>(q.x) - p.x) <= eps_ &&
                            std::fabs(static_cast<double>(q.y) - p.y) <= eps_ &&
                            std::fabs(static_cast<double>(q.z) - p.z) <= eps_) {
                            return id;
                        }
                    }
                }
            }
        }
        const auto id = static_cast<std::uint32_t>(positions_.size());
        positions_.push_back(p);
        cells_[key].push_back(id);
        return id;
    }

    std::vector<Float3> takePositions() { return std::move(positions_); }

private:
    CellKey cell(const Float3& p) const {
        return {static_cast<std::int64_t>(std::floor(p.x / eps_)),
                static_cast<std::int64_t>(std::floor(p.y / eps_)),
                static_cast<std::int64_t>(std::floor(p.z / eps_))};
    }

    double eps_;
    std::vector<Float3> positions_;
    std::unordered_map<CellKey, std::vector<std::uint32_t>, CellKeyHash> cells_;
};

// Two copies of a triangle wound oppositely enclose nothing and are both dropped; copies wound
// alike are kept once.
std::vector<Triangle> withoutDuplicates(const std::vector<Triangle>& triangles) {
    std::map<Triangle, std::vector<std::size_t>> bySet;
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        Triangle sorted = triangles[t];
        std::sort(sorted.begin(), sorted.end());
        bySet[sorted].push_back(t);
    }
    std::vector<bool> keep(triangles.size(), false);
    for (const auto& entry : bySet) {
        // Named copies, not a structured binding: clang 14 cannot capture those in a lambda.
        const Triangle& sorted = entry.first;
        const std::vector<std::size_t>& copies = entry.second;
        if (copies.size() == 1) {
            keep[copies.front()] = true;
            continue;
        }
        // Winding relative to the sorted order: an even rotation keeps it.
        const auto forward = [&](const Triangle& t) {
            const Triangle r1 = {t[1], t[2], t[0]};
            const Triangle r2 = {t[2], t[0], t[1]};
            return t == sorted || r1 == sorted || r2 == sorted;
        };
        std::vector<std::size_t> ahead;
        std::vector<std::size_t> back;
        for (const std::size_t t : copies) {
            (forward(triangles[t]) ? ahead : back).push_back(t);
        }
        if (ahead.size() > back.size()) {
            keep[ahead.front()] = true;
        } else if (back.size() > ahead.size()) {
            keep[back.front()] = true;
        }
    }
    std::vector<Triangle> result;
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        if (keep[t]) {
            result.push_back(triangles[t]);
        }
    }
    return result;
}

std::uint64_t edgeKey(std::uint32_t a, std::uint32_t b) {
    const std::uint32_t lo = std::min(a, b);
    const std::uint32_t hi = std::max(a, b);
    return (static_cast<std::uint64_t>(lo) << 32) | hi;
}

double volumeTerm(const std::vector<Float3>& p, const Triangle& t) {
    const Float3& a = p[t[0]];
    const Float3& b = p[t[1]];
    const Float3& c = p[t[2]];
    const double cx = static_cast<double>(b.y) * c.z - static_cast<double>(b.z) * c.y;
    const double cy = static_cast<double>(b.z) * c.x - static_cast<double>(b.x) * c.z;
    const double cz = static_cast<double>(b.x) * c.y - static_cast<double>(b.y) * c.x;
    return (a.x * cx + a.y * cy + a.z * cz) / 6.0;
}

// Winds every connected piece consistently (across edges shared by exactly two triangles) and
// turns closed pieces outwards. Returns whether every piece is closed and orientable.
bool orient(const std::vector<Float3>& positions, std::vector<Triangle>& triangles) {
    // Edge -> the triangles that use it.
    std::unordered_map<std::uint64_t, std::vector<std::uint32_t>> edges;
    for (std::size_t t = 0; t < triangles.size(); ++t) {
        for (std::size_t m = 0; m < 3; ++m) {
            edges[edgeKey(triangles[t][m], triangles[t][(m + 1) % 3])].push_back(
                static_cast<std::uint32_t>(t));
        }
    }
    // Whether triangle t runs from a to b.
    const auto runs = [&](const Triangle& t, std::uint32_t a, std::uint32_t b) {
        return (t[0] == a && t[1] == b) || (t[1] == a && t[2] == b) || (t[2] == a && t[0] == b);
    };
    std::vector<int> piece(triangles.size(), -1);
    bool allClosed = true;
    int pieces = 0;
    for (std::size_t seed = 0; seed < triangles.size(); ++seed) {
        if (piece[seed] != -1) {
            continue;
        }
        std::vector<std::uint32_t> members{static_cast<std::uint32_t>(seed)};
        piece[seed] = pieces;
        bool closed = true;
        bool orientable = true;
        for (std::size_t n = 0; n < members.size(); ++n) {
            const Triangle t = triangles[members[n]];
            for (std::size_t m = 0; m < 3; ++m) {
                const std::uint32_t a = t[m];
                const std::uint32_t b = t[(m + 1) % 3];
                const auto& users = edges[edgeKey(a, b)];
                if (users.size() != 2) {
                    closed = false;
                    continue;
                }
                const std::uint32_t other = users[0] == members[n] ? users[1] : users[0];
                if (piece[other] == -1) {
                    piece[other] = pieces;
                    if (runs(triangles[other], a, b)) {
                        std::swap(triangles[other][1], triangles[other][2]);
                    }
                    members.push_back(other);
                } else if (runs(triangles[other], a, b)) {
                    orientable = false;  // a Möbius-like piece, or two pieces met badly
                }
            }
        }
        if (closed && orientable) {
            double volume = 0;
            for (const std::uint32_t t : members) {
                volume += volumeTerm(positions, triangles[t]);
            }
            if (volume < 0) {
                for (const std::uint32_t t : members) {
                    std::swap(triangles[t][1], triangles[t][2]);
                }
            }
        } else {
            allClosed = false;
        }
        ++pieces;
    }
    return allClosed && !triangles.empty();
}

}  // namespace

PrintableMesh PrintableMesh::fromMesh(const Mesh3D& mesh, EquationType type) {
    return type == EquationType::Inequality ? fromBoxSolid(mesh) : fromSurface(mesh);
}

PrintableMesh PrintableMesh::fromSurface(const Mesh3D& mesh) {
    PrintableMesh result;
    const auto& v = mesh.vertices;
    std::vector<std::array<std::uint32_t, 3>> kept;
    float largest = 0.0f;
    for (std::size_t i = 0; i + 2 < mesh.indices.size(); i += 3) {
        const std::array<std::uint32_t, 3> t = {mesh.indices[i], mesh.indices[i + 1],
                                                mesh.indices[i + 2]};
        if (t[0] >= v.size() || t[1] >= v.size() || t[2] >= v.size() || !isFinite(v[t[0]]) ||
            !isFinite(v[t[1]]) || !isFinite(v[t[2]])) {
            continue;
        }
        kept.push_back(t);
        for (const std::uint32_t index : t) {
            largest = std::max(
                {largest, std::fabs(v[index].x), std::fabs(v[index].y), std::fabs(v[index].z)});
        }
    }
    const double eps =
        std::max(1e-6 * largest, static_cast<double>(std::numeric_limits<float>::min()));
    Welder welder(eps);
    std::vector<Triangle> triangles;
    for (const auto& t : kept) {
        Triangle welded{};
        for (std::size_t m = 0; m < 3; ++m) {
            const MeshVertex& p = v[t[m]];
            welded[m] = welder.add({p.x, p.y, p.z});
        }
        if (welded[0] != welded[1] && welded[1] != welded[2] && welded[2] != welded[0]) {
            triangles.push_back(welded);
        }
    }
    std::vector<Float3> positions = welder.takePositions();
    triangles = withoutDuplicates(triangles);
    result.closed = orient(positions, triangles);

    // Only the vertices the remaining triangles use, in first-use order.
    std::vector<std::uint32_t> renumbered(positions.size(),
                                          std::numeric_limits<std::uint32_t>::max());
    for (Triangle& t : triangles) {
        for (std::uint32_t& index : t) {
            if (renumbered[index] == std::numeric_limits<std::uint32_t>::max()) {
                renumbered[index] = static_cast<std::uint32_t>(result.positions.size());
                result.positions.push_back(positions[index]);
            }
            index = renumbered[index];
        }
    }
    result.triangles = std::move(triangles);
    return result;
}

PrintableMesh PrintableMesh::fromBoxSolid(const Mesh3D& mesh) {
    const auto& v = mesh.vertices;
    if (v.empty() || v.size() % 36 != 0) {
        return fromSurface(mesh);
    }
    struct Box {
        float x0, y0, zb, zt;
    };
    std::vector<Box> boxes;
    float width = 0.0f;
    Float3 low{std::numeric_limits<float>::infinity(), std::numeric_limits<float>::infinity(),
               std::numeric_limits<float>::infinity()};
    for (std::size_t b = 0; b < v.size(); b += 36) {
        // Corner a of the bottom face is (x+h, y+h, zb), its corner c (x-h, y-h, zb), and corner
        // a of the top face (x+h, y+h, zt).
        const MeshVertex& a = v[b];
        const MeshVertex& c = v[b + 2];
        const MeshVertex& top = v[b + 30];
        if (!isFinite(a) || !isFinite(c) || !isFinite(top)) {
            return fromSurface(mesh);
        }
        const float w = a.x - c.x;
        if (!(w > 0.0f) || (width > 0.0f && std::fabs(w - width) > 1e-3f * width)) {
            return fromSurface(mesh);
        }
        width = width > 0.0f ? width : w;
        boxes.push_back({c.x, c.y, a.z, top.z});
        low = {std::min(low.x, c.x), std::min(low.y, c.y), std::min(low.z, a.z)};
    }

    // Cells by integer position on the box's grid.
    constexpr std::int64_t kMaximumIndex = 1 << 20;
    const auto gridIndex = [&](float value, float origin) {
        return static_cast<std::int64_t>(std::lround((value - origin) / width));
    };
    std::unordered_set<CellKey, CellKeyHash> cells;
    for (const Box& box : boxes) {
        const std::int64_t ix = gridIndex(box.x0, low.x);
        const std::int64_t iy = gridIndex(box.y0, low.y);
        const std::int64_t izb = gridIndex(box.zb, low.z);
        const std::int64_t izt = gridIndex(box.zt, low.z);
        if (ix > kMaximumIndex || iy > kMaximumIndex || izt > kMaximumIndex || izt <= izb) {
            return fromSurface(mesh);
        }
        for (std::int64_t iz = izb; iz < izt; ++iz) {
            cells.insert({ix, iy, iz});
        }
    }

    PrintableMesh result;
    std::unordered_map<CellKey, std::uint32_t, CellKeyHash> nodes;
    const auto nodeAt = [&](const std::array<std::int64_t, 3>& n) {
        const CellKey key{n[0], n[1], n[2]};
        const auto found = nodes.find(key);
        if (found != nodes.end()) {
            return found->second;
        }
        const auto id = static_cast<std::uint32_t>(result.positions.size());
        result.positions.push_back({low.x + static_cast<float>(n[0]) * width,
                                    low.y + static_cast<float>(n[1]) * width,
                                    low.z + static_cast<float>(n[2]) * width});
        nodes.emplace(key, id);
        return id;
    };
    // Sorted, so that the file does not depend on the hash order.
    std::vector<CellKey> sorted(cells.begin(), cells.end());
    std::sort(sorted.begin(), sorted.end(), [](const CellKey& a, const CellKey& b) {
        return std::tie(a.x, a.y, a.z) < std::tie(b.x, b.y, b.z);
    });
    for (const CellKey& cell : sorted) {
        const std::array<std::int64_t, 3> at = {cell.x, cell.y, cell.z};
        for (std::size_t axis = 0; axis < 3; ++axis) {
            for (const int sign : {-1, 1}) {
                std::array<std::int64_t, 3> neighbour = at;
                neighbour[axis] += sign;
                if (cells.contains({neighbour[0], neighbour[1], neighbour[2]})) {
                    continue;
                }
                // Corners (0,0), (1,0), (1,1), (0,1) in the two following axes wind around
                // +axis; the negative side takes them in reverse.
                const std::size_t u = (axis + 1) % 3;
                const std::size_t w = (axis + 2) % 3;
                std::array<std::uint32_t, 4> quad{};
                const std::array<std::array<int, 2>, 4> square = {{{0, 0}, {1, 0}, {1, 1}, {0, 1}}};
                for (std::size_t q = 0; q < 4; ++q) {
                    std::array<std::int64_t, 3> corner = at;
                    corner[axis] += sign > 0 ? 1 : 0;
                    corner[u] += square[q][0];
                    corner[w] += square[q][1];
                    quad[sign > 0 ? q : 3 - q] = nodeAt(corner);
                }
                result.triangles.push_back({quad[0], quad[1], quad[2]});
                result.triangles.push_back({quad[0], quad[2], quad[3]});
            }
        }
    }
    result.closed = true;
    return result;
}

Float3 PrintableMesh::boundsMin() const {
    if (positions.empty()) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return {nan, nan, nan};
    }
    Float3 m = positions.front();
    for (const Float3& p : positions) {
        m = {std::min(m.x, p.x), std::min(m.y, p.y), std::min(m.z, p.z)};
    }
    return m;
}

Float3 PrintableMesh::boundsMax() const {
    if (positions.empty()) {
        const float nan = std::numeric_limits<float>::quiet_NaN();
        return {nan, nan, nan};
    }
    Float3 m = positions.front();
    for (const Float3& p : positions) {
        m = {std::max(m.x, p.x), std::max(m.y, p.y), std::max(m.z, p.z)};
    }
    return m;
}

double PrintableMesh::signedVolume() const {
    double volume = 0;
    for (const Triangle& t : triangles) {
        volume += volumeTerm(positions, t);
    }
    return volume;
}

}  // namespace plotwise
