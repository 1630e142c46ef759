#include "graph3d/MarchingCubesTables.h"

namespace plotwise {

namespace {

using Corners = std::array<std::array<int, 3>, 8>;

struct Face {
    std::array<int, 4> corners;  // in cyclic order around the face
    std::array<int, 3> outward;  // outward normal
};

constexpr std::array<Face, 6> kFaces = {{
    {{0, 1, 2, 3}, {0, 0, -1}},
    {{4, 5, 6, 7}, {0, 0, 1}},
    {{0, 1, 5, 4}, {0, -1, 0}},
    {{3, 2, 6, 7}, {0, 1, 0}},
    {{0, 3, 7, 4}, {-1, 0, 0}},
    {{1, 2, 6, 5}, {1, 0, 0}},
}};

struct Tables {
    std::array<std::uint16_t, 256> edges{};
    std::array<std::array<std::int8_t, 16>, 256> triangles{};
};

constexpr int edgeBetween(int a, int b) {
    for (int e = 0; e < 12; ++e) {
        const auto& pair = MarchingCubesTables::edgeCorners[static_cast<unsigned>(e)];
        if ((pair[0] == a && pair[1] == b) || (pair[0] == b && pair[1] == a)) {
            return e;
        }
    }
    return -1;
}

// Twice the edge's midpoint, so that the orientation test stays in integers.
constexpr std::array<int, 3> doubledMidpoint(int edge) {
    const Corners& c = MarchingCubesTables::cornerOffsets;
    const auto& pair = MarchingCubesTables::edgeCorners[static_cast<unsigned>(edge)];
    const auto& a = c[static_cast<unsigned>(pair[0])];
    const auto& b = c[static_cast<unsigned>(pair[1])];
    return {a[0] + b[0], a[1] + b[1], a[2] + b[2]};
}

constexpr std::array<int, 3> cross(const std::array<int, 3>& a, const std::array<int, 3>& b) {
    return {a[1] * b[2] - a[2] * b[1], a[2] * b[0] - a[0] * b[2], a[0] * b[1] - a[1] * b[0]};
}

// Sets next[from] = to for the segment between the crossings on edges p and q of `face`, wound so
// that, seen from outside the cube, the inside corner `corner` lies on its left.
constexpr bool addSegment(std::array<int, 12>& next, const Face& face, int p, int q, int corner) {
    const auto mp = doubledMidpoint(p);
    const auto mq = doubledMidpoint(q);
    const std::array<int, 3> d = {mq[0] - mp[0], mq[1] - mp[1], mq[2] - mp[2]};
    const auto left = cross(face.outward, d);
    const auto& c = MarchingCubesTables::cornerOffsets[static_cast<unsigned>(corner)];
    // Compared at four times the scale: corner ×4, segment midpoint (mp + mq) ×1.
    const std::array<int, 3> toCorner = {4 * c[0] - mp[0] - mq[0], 4 * c[1] - mp[1] - mq[1],
                                         4 * c[2] - mp[2] - mq[2]};
    const int side = left[0] * toCorner[0] + left[1] * toCorner[1] + left[2] * toCorner[2];
    const int from = side > 0 ? p : q;
    const int to = side > 0 ? q : p;
    if (next[static_cast<unsigned>(from)] != -1) {
        return false;
    }
    next[static_cast<unsigned>(from)] = to;
    return true;
}

// Whether the crossings on three edges all lie on one face of the cube.
constexpr bool onOneFace(int a, int b, int c) {
    for (const Face& face : kFaces) {
        int found = 0;
        for (const int e : {a, b, c}) {
            const auto& pair = MarchingCubesTables::edgeCorners[static_cast<unsigned>(e)];
            bool first = false;
            bool second = false;
            for (const int corner : face.corners) {
                first = first || corner == pair[0];
                second = second || corner == pair[1];
            }
            found += first && second ? 1 : 0;
        }
        if (found == 3) {
            return true;
        }
    }
    return false;
}

// Triangles of a polygon of n corners as positions in it (unused rows start with -1): a
// quadrilateral split along its first diagonal, listed as the published table lists case 3;
// anything else a fan from the first corner.
constexpr std::array<std::array<int, 3>, 10> splitOrder(int n) {
    std::array<std::array<int, 3>, 10> order{};
    for (auto& t : order) {
        t = {-1, -1, -1};
    }
    if (n == 4) {
        order[0] = {0, 2, 3};
        order[1] = {1, 2, 0};
        return order;
    }
    for (int i = 1; i + 1 < n; ++i) {
        order[static_cast<unsigned>(i - 1)] = {0, i, i + 1};
    }
    return order;
}

constexpr Tables generate() {
    Tables tables;
    for (int index = 0; index < 256; ++index) {
        const auto inside = [index](int corner) { return ((index >> corner) & 1) != 0; };
        std::uint16_t mask = 0;
        for (int e = 0; e < 12; ++e) {
            const auto& pair = MarchingCubesTables::edgeCorners[static_cast<unsigned>(e)];
            if (inside(pair[0]) != inside(pair[1])) {
                mask = static_cast<std::uint16_t>(mask | (1u << e));
            }
        }
        tables.edges[static_cast<unsigned>(index)] = mask;

        std::array<int, 12> next{};
        for (int& n : next) {
            n = -1;
        }
        for (const Face& face : kFaces) {
            std::array<int, 4> crossing{};
            int crossings = 0;
            for (int i = 0; i < 4; ++i) {
                const int a = face.corners[static_cast<unsigned>(i)];
                const int b = face.corners[static_cast<unsigned>((i + 1) % 4)];
                if (inside(a) != inside(b)) {
                    crossing[static_cast<unsigned>(crossings++)] = i;
                }
            }
            const auto edgeAt = [&face](int i) {
                return edgeBetween(face.corners[static_cast<unsigned>(i)],
                                   face.corners[static_cast<unsigned>((i + 1) % 4)]);
            };
            if (crossings == 2) {
                int insideCorner = -1;
                for (const int c : face.corners) {
                    if (inside(c)) {
                        insideCorner = c;
                    }
                }
                if (!addSegment(next, face, edgeAt(crossing[0]), edgeAt(crossing[1]),
                                insideCorner)) {
                    throw "inconsistent winding";
                }
            } else if (crossings == 4) {
                // Two inside corners on a diagonal: cut each one off on its own.
                for (int i = 0; i < 4; ++i) {
                    const int corner = face.corners[static_cast<unsigned>(i)];
                    if (inside(corner) &&
                        !addSegment(next, face, edgeAt((i + 3) % 4), edgeAt(i), corner)) {
                        throw "inconsistent winding";
                    }
                }
            }
        }

        auto& row = tables.triangles[static_cast<unsigned>(index)];
        for (auto& entry : row) {
            entry = -1;
        }
        std::array<bool, 12> used{};
        int written = 0;
        for (int start = 0; start < 12; ++start) {
            if (next[static_cast<unsigned>(start)] == -1 || used[static_cast<unsigned>(start)]) {
                continue;
            }
            std::array<int, 12> polygon{};
            int count = 0;
            for (int e = start; !used[static_cast<unsigned>(e)];
                 e = next[static_cast<unsigned>(e)]) {
                used[static_cast<unsigned>(e)] = true;
                polygon[static_cast<unsigned>(count++)] = e;
                if (next[static_cast<unsigned>(e)] == -1) {
                    throw "open loop";
                }
            }
            // A triangle with all three corners on one cube face would lie in that face, where
            // the neighbouring cube may put its own: start the split where none does.
            int shift = -1;
            for (int s = 0; s < count && shift == -1; ++s) {
                bool flat = false;
                for (const auto& t : splitOrder(count)) {
                    if (t[0] >= 0 &&
                        onOneFace(polygon[static_cast<unsigned>((t[0] + s) % count)],
                                  polygon[static_cast<unsigned>((t[1] + s) % count)],
                                  polygon[static_cast<unsigned>((t[2] + s) % count)])) {
                        flat = true;
                    }
                }
                if (!flat) {
                    shift = s;
                }
            }
            if (shift == -1) {
                throw "no split keeps out of the faces";
            }
            for (const auto& t : splitOrder(count)) {
                if (t[0] < 0) {
                    continue;
                }
                if (written + 3 > 3 * MarchingCubesTables::maximumTriangles) {
                    throw "too many triangles";
                }
                for (const int corner : t) {
                    row[static_cast<unsigned>(written++)] = static_cast<std::int8_t>(
                        polygon[static_cast<unsigned>((corner + shift) % count)]);
                }
            }
        }
    }
    return tables;
}

// Generated once on first use. Not a constexpr constant: clang 14 (the fuzz preset's compiler)
// does not evaluate the generator at compile time.
const Tables& tables() {
    static const Tables generated = generate();
    return generated;
}

}  // namespace

const std::array<std::uint16_t, 256>& MarchingCubesTables::edgeTable() {
    return tables().edges;
}

const std::array<std::array<std::int8_t, 16>, 256>& MarchingCubesTables::triangleTable() {
    return tables().triangles;
}

}  // namespace plotwise
