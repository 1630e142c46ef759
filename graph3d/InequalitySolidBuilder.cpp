#include "graph3d/InequalitySolidBuilder.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdint>
#include <limits>

#include "graph3d/FastInverseSquareRoot.h"
#include "graph3d/FieldEvaluator3D.h"
#include "graph3d/GridAxis.h"

namespace plotwise {

namespace {

// Offsets within a box's 36 vertices of its 12 wireframe segments: the bottom outline, the four
// vertical edges, the top outline.
constexpr std::array<std::uint32_t, 24> kBoxLines = {
    0, 1, 1, 2, 2, 5, 5, 0, 6, 7, 8, 11, 18, 19, 20, 23, 30, 31, 31, 32, 32, 35, 35, 30,
};

// A relation's value is 1 or 0; anything whose integer part is not zero counts as inside, NaN
// does not.
bool holds(double value) {
    return std::fabs(value) >= 1.0;
}

void appendBox(Mesh3D& mesh, const InequalitySolidBuilder::Column& column, float h) {
    const float x = column.x;
    const float y = column.y;
    const float zb = column.zFirst - h;
    const float zt = column.zLast + h;
    // Each face lists corners a, b, c, d for the triangles (a, b, c) and (a, c, d).
    const std::array<std::array<Float3, 4>, 6> faces = {{
        {{{x + h, y + h, zb}, {x + h, y - h, zb}, {x - h, y - h, zb}, {x - h, y + h, zb}}},
        {{{x + h, y + h, zb}, {x + h, y + h, zt}, {x - h, y + h, zt}, {x - h, y + h, zb}}},
        {{{x + h, y + h, zb}, {x + h, y - h, zb}, {x + h, y - h, zt}, {x + h, y + h, zt}}},
        {{{x + h, y - h, zb}, {x + h, y - h, zt}, {x - h, y - h, zt}, {x - h, y - h, zb}}},
        {{{x - h, y - h, zb}, {x - h, y - h, zt}, {x - h, y + h, zt}, {x - h, y + h, zb}}},
        {{{x + h, y + h, zt}, {x + h, y - h, zt}, {x - h, y - h, zt}, {x - h, y + h, zt}}},
    }};
    const auto base = static_cast<std::uint32_t>(mesh.vertices.size());
    for (const auto& face : faces) {
        const std::array<std::array<Float3, 3>, 2> triangles = {{
            {face[0], face[1], face[2]},
            {face[0], face[2], face[3]},
        }};
        for (const auto& t : triangles) {
            const Float3 n = normalizeFast(Float3::cross(t[1] - t[0], t[2] - t[0]));
            for (const Float3& p : t) {
                mesh.vertices.push_back({p.x, p.y, p.z, n.x, n.y, n.z});
            }
        }
    }
    for (std::uint32_t i = 0; i < 36; ++i) {
        mesh.indices.push_back(base + i);
    }
    for (const std::uint32_t offset : kBoxLines) {
        mesh.lineIndices.push_back(base + offset);
    }
}

}  // namespace

std::vector<Float3> InequalitySolidBuilder::insidePoints(const EvaluationLimits3D& limits,
                                                         const EvaluationData3D& data,
                                                         const MeshCapacities3D& capacities,
                                                         Statistics* statistics) {
    std::vector<Float3> inside;
    Statistics local;
    Statistics& stats = statistics != nullptr ? *statistics : local;
    stats = Statistics();
    std::vector<float> axis = GridAxis::nodes(limits.min, limits.max, limits.step);
    if (axis.size() < 2 || data.variableTable == nullptr) {
        return inside;
    }
    axis.pop_back();  // cell starts only
    const float h = limits.step * 0.5f;
    std::vector<float> centres;
    for (const float v : axis) {
        centres.push_back(v + h);
    }
    const std::size_t n = centres.size();
    const std::size_t slab = n * n;
    const std::vector<double> centreValues(centres.begin(), centres.end());
    std::vector<double> values(slab);
    FieldEvaluator3D field(data, FieldEvaluator3D::Reading::Value);
    const std::size_t capacity = capacities.inequalityInsidePoints;
    for (std::size_t i = 0; i < n; ++i) {
        field.evaluatePlane(centreValues[i], n, centreValues.data(), n, centreValues.data(),
                            values.data());
        for (std::size_t c = 0; c < slab; ++c) {
            if (inside.size() >= capacity) {
                stats.cutOff = true;
                break;
            }
            if (holds(values[c])) {
                inside.push_back({centres[i], centres[c / n], centres[c % n]});
            }
        }
        if (stats.cutOff) {
            break;
        }
    }
    stats.evaluations = field.evaluations();
    stats.insidePoints = inside.size();
    return inside;
}

std::vector<InequalitySolidBuilder::Column> InequalitySolidBuilder::mergeColumns(
    const std::vector<Float3>& points, float step) {
    std::vector<Column> columns;
    std::size_t start = 0;
    while (start < points.size()) {
        std::size_t end = start;
        while (end + 1 < points.size() && points[end + 1].x == points[end].x &&
               points[end + 1].y == points[end].y &&
               std::fabs(step - (points[end + 1].z - points[end].z)) < 1e-5f) {
            ++end;
        }
        columns.push_back({points[start].x, points[start].y, points[start].z, points[end].z});
        start = end + 1;
    }
    return columns;
}

Mesh3D InequalitySolidBuilder::build(const EvaluationLimits3D& limits, const EvaluationData3D& data,
                                     const MeshCapacities3D& capacities, Statistics* statistics) {
    Statistics local;
    Statistics& stats = statistics != nullptr ? *statistics : local;
    const std::vector<Float3> points = insidePoints(limits, data, capacities, &stats);
    Mesh3D mesh;
    if (points.empty()) {
        return mesh;
    }
    const std::vector<Column> columns = mergeColumns(points, limits.step);
    const float h = limits.step * 0.5f;
    const std::size_t capacity = capacities.inequalityVertices;
    // Before each box: stop when the count plus 36 would reach the capacity. 32-bit indices
    // bound any capacity a caller passes.
    const std::size_t fitting =
        std::min<std::size_t>(capacity, std::numeric_limits<std::uint32_t>::max());
    const std::size_t boxes = std::min(columns.size(), fitting >= 36 ? (fitting - 1) / 36 : 0);
    if (boxes < columns.size()) {
        stats.cutOff = true;
    }
    mesh.vertices.reserve(36 * boxes);
    mesh.indices.reserve(36 * boxes);
    mesh.lineIndices.reserve(24 * boxes);
    for (std::size_t b = 0; b < boxes; ++b) {
        appendBox(mesh, columns[b], h);
    }
    return mesh;
}

}  // namespace plotwise
