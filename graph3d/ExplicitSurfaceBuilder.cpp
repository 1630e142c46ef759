#include "graph3d/ExplicitSurfaceBuilder.h"

#include <cmath>
#include <functional>
#include <limits>
#include <numbers>

#include "engine/VariableTable.h"
#include "graph3d/FastInverseSquareRoot.h"

namespace plotwise {

namespace {

constexpr float kNaN = std::numeric_limits<float>::quiet_NaN();

// The values of one loop, capped at `cap` samples.
using Loop = std::vector<double>;

// From `start` by `step` while below `end`; an inner loop runs at least once.
Loop stepLoop(double start, double end, double step, bool atLeastOnce, std::size_t cap) {
    Loop values;
    double v = start;
    if (atLeastOnce && cap > 0) {
        values.push_back(v);
        v += step;
    }
    while (v < end && values.size() < cap) {
        values.push_back(v);
        v += step;
    }
    return values;
}

// N angles with both ends included: i·span/(N−1).
Loop angleLoop(int samples, double span, std::size_t cap) {
    Loop values;
    for (int i = 0; i < samples && values.size() < cap; ++i) {
        values.push_back(i * span / (samples - 1));
    }
    return values;
}

float clipped(double value) {
    return value < -ExplicitSurfaceBuilder::clipLimit || value > ExplicitSurfaceBuilder::clipLimit
               ? kNaN
               : static_cast<float>(value);
}

// Θ about z, Φ from the pole.
Float3 sphericalPoint(double r, double theta, double phi) {
    return Float3{clipped(r * std::cos(theta) * std::sin(phi)),
                  clipped(r * std::sin(theta) * std::sin(phi)), clipped(r * std::cos(phi))};
}

Float3 cylindricalPoint(double r, double theta, double z) {
    return Float3{clipped(r * std::cos(theta)), clipped(r * std::sin(theta)), clipped(z)};
}

bool isBad(const Float3& p) {
    return std::isnan(p.x) || std::isnan(p.y) || std::isnan(p.z);
}

// Calls visit(A, B, C, D) for every cell of an H×V grid, in increasing first corner A.
template <typename Visit>
void forEachCell(int horizontal, int vertical, Visit visit) {
    const std::size_t v = static_cast<std::size_t>(vertical);
    const std::size_t total = static_cast<std::size_t>(horizontal) * v;
    for (std::size_t i = 0; i + v < total; ++i) {
        if ((i + 1) % v == 0) {
            continue;
        }
        visit(i, i + 1, i + v + 1, i + v);
    }
}

}  // namespace

ExplicitSurfaceBuilder::Grid ExplicitSurfaceBuilder::sample(EquationType type,
                                                            const EvaluationLimits3D& limits,
                                                            const EvaluationData3D& data,
                                                            const MeshCapacities3D& capacities) {
    Grid grid;
    if (data.variableTable == nullptr || !isExplicit(type)) {
        return grid;
    }
    double* table = data.variableTable;
    const CompiledExpression& f =
        data.rightOperand.empty() ? data.expressionNode : data.rightOperand;
    const std::size_t cap = capacities.explicitSamples;
    const int n = capacities.angularSamples;
    const double min = limits.min;
    const double max = limits.max;
    const double step = limits.step;
    constexpr double twoPi = 2.0 * std::numbers::pi;
    constexpr double pi = std::numbers::pi;

    // The loops of each row: outer values, inner values, the slots they write, and the point.
    Loop outer;
    Loop inner;
    std::size_t outerSlot = 0;
    std::size_t innerSlot = 0;
    std::function<Float3(double, double, double)> point;
    std::size_t resultSlot = 0;  // the left-hand letter's slot, written where the table says
    bool writeResult = false;
    const auto innerLoop = [&](bool coordinate) {
        return coordinate ? stepLoop(min, max, step, true, cap) : Loop{};
    };
    const auto outerCoordinate = [&](std::size_t lineCap) {
        return min < max ? stepLoop(min, max, step, false, lineCap) : Loop{};
    };
    const auto radial = [&](double end, bool isInner, std::size_t lineCap) {
        if (end > 0) {
            return stepLoop(0.0, end, step, isInner, lineCap);
        }
        return isInner ? Loop{0.0} : Loop{};
    };
    const bool cylindricalZ = data.containsR || data.containsTheta;

    // Inner loops first: the number of outer lines is what the buffer has room for.
    switch (type) {
        case EquationType::ExplicitX:  // x = f(y, z)
            inner = innerLoop(true);
            innerSlot = kSlotZ;
            outerSlot = kSlotY;
            point = [](double y, double z, double fx) {
                return Float3{clipped(fx), static_cast<float>(y), static_cast<float>(z)};
            };
            break;
        case EquationType::ExplicitY:  // y = f(z, x)
            inner = innerLoop(true);
            innerSlot = kSlotX;
            outerSlot = kSlotZ;
            point = [](double z, double x, double fy) {
                return Float3{static_cast<float>(x), clipped(fy), static_cast<float>(z)};
            };
            break;
        case EquationType::ExplicitZ:
            if (!cylindricalZ) {  // z = f(x, y)
                inner = innerLoop(true);
                innerSlot = kSlotY;
                outerSlot = kSlotX;
                point = [](double x, double y, double fz) {
                    return Float3{static_cast<float>(x), static_cast<float>(y), clipped(fz)};
                };
            } else {  // z = f(r, Θ): Θ about z outside, r from the axis inside
                inner = radial(2.0 * max, true, cap);
                innerSlot = kSlotR;
                outerSlot = kSlotTheta;
                resultSlot = kSlotZ;
                writeResult = true;
                point = [](double theta, double r, double fz) {
                    return cylindricalPoint(r, theta, fz);
                };
            }
            break;
        case EquationType::ExplicitR:
            resultSlot = kSlotR;
            writeResult = true;
            if (!data.containsZ) {  // spherical r = f(Θ, Φ)
                inner = angleLoop(n, pi, cap);
                innerSlot = kSlotPhi;
                outerSlot = kSlotTheta;
                point = [](double theta, double phi, double r) {
                    return sphericalPoint(r, theta, phi);
                };
            } else {  // cylindrical r = f(z, Θ)
                inner = angleLoop(n, twoPi, cap);
                innerSlot = kSlotTheta;
                outerSlot = kSlotZ;
                point = [](double z, double theta, double r) {
                    return cylindricalPoint(r, theta, z);
                };
            }
            break;
        case EquationType::ExplicitTheta:
            resultSlot = kSlotTheta;
            writeResult = true;
            if (!data.containsZ) {  // spherical Θ = f(r, Φ)
                inner = angleLoop(n, pi, cap);
                innerSlot = kSlotPhi;
                outerSlot = kSlotR;
                point = [](double r, double phi, double theta) {
                    return sphericalPoint(r, theta, phi);
                };
            } else {  // cylindrical Θ = f(r, z)
                inner = innerLoop(true);
                innerSlot = kSlotZ;
                outerSlot = kSlotR;
                point = [](double r, double z, double theta) {
                    return cylindricalPoint(r, theta, z);
                };
            }
            break;
        default:  // 5: spherical Φ = f(r, Θ)
            resultSlot = kSlotPhi;
            writeResult = true;
            inner = angleLoop(n, twoPi, cap);
            innerSlot = kSlotTheta;
            outerSlot = kSlotR;
            point = [](double r, double theta, double phi) {
                return sphericalPoint(r, theta, phi);
            };
            break;
    }
    if (inner.empty()) {
        return grid;
    }
    const std::size_t lineCap = cap / inner.size();
    switch (type) {
        case EquationType::ExplicitZ:
            outer = cylindricalZ ? angleLoop(n, twoPi, lineCap) : outerCoordinate(lineCap);
            break;
        case EquationType::ExplicitR:
            outer = data.containsZ ? outerCoordinate(lineCap) : angleLoop(n, twoPi, lineCap);
            break;
        case EquationType::ExplicitTheta:
            outer =
                data.containsZ ? radial(max, false, lineCap) : radial(2.0 * max, false, lineCap);
            break;
        case EquationType::ExplicitPhi:
            outer = radial(2.0 * max, false, lineCap);
            break;
        default:
            outer = outerCoordinate(lineCap);
            break;
    }
    if (outer.empty()) {
        return grid;
    }

    grid.points.reserve(outer.size() * inner.size());
    for (const double o : outer) {
        table[outerSlot] = o;
        for (const double v : inner) {
            table[innerSlot] = v;
            const double value = f.evaluate();
            if (writeResult) {
                table[resultSlot] = value;
            }
            grid.points.push_back(point(o, v, value));
        }
    }
    grid.horizontalSteps = static_cast<int>(outer.size());
    grid.verticalSteps = static_cast<int>(inner.size());
    return grid;
}

std::vector<Float3> ExplicitSurfaceBuilder::gridNormals(const Grid& grid) {
    const std::vector<Float3>& p = grid.points;
    std::vector<Float3> normals(p.size());
    // A corner takes part only when it is a whole point: the cartesian x = and y = rows and the
    // curved rows put their NaN holes in x or y, not only in z.
    forEachCell(grid.horizontalSteps, grid.verticalSteps,
                [&](std::size_t a, std::size_t b, std::size_t c, std::size_t d) {
                    Float3 face;
                    if (!isBad(p[a]) && !isBad(p[b]) && !isBad(p[c])) {
                        face = normalizeFast(Float3::cross(p[c] - p[b], p[a] - p[b]));
                    }
                    for (const std::size_t corner : {a, b, c, d}) {
                        if (!isBad(p[corner])) {
                            normals[corner] = normalizeFast((normals[corner] + face) * 0.5f);
                        }
                    }
                });
    return normals;
}

Mesh3D ExplicitSurfaceBuilder::build(EquationType type, const EvaluationLimits3D& limits,
                                     const EvaluationData3D& data,
                                     const MeshCapacities3D& capacities) {
    Mesh3D mesh;
    const Grid grid = sample(type, limits, data, capacities);
    if (grid.points.empty()) {
        return mesh;
    }
    const std::vector<Float3> normals = gridNormals(grid);
    const std::vector<Float3>& p = grid.points;
    mesh.horizontalSteps = grid.horizontalSteps;
    mesh.verticalSteps = grid.verticalSteps;
    mesh.vertices.reserve(p.size());
    for (std::size_t k = 0; k < p.size(); ++k) {
        mesh.vertices.push_back({p[k].x, p[k].y, p[k].z, normals[k].x, normals[k].y, normals[k].z});
    }
    const std::size_t v = static_cast<std::size_t>(grid.verticalSteps);
    const std::size_t cells = p.size() - v;
    mesh.indices.reserve(6 * cells);
    mesh.lineIndices.reserve(8 * cells);
    forEachCell(
        grid.horizontalSteps, grid.verticalSteps,
        [&](std::size_t a, std::size_t b, std::size_t c, std::size_t d) {
            const int bad = isBad(p[a]) + isBad(p[b]) + isBad(p[c]) + isBad(p[d]);
            if (bad >= 2) {
                return;
            }
            // One missing corner among A, B, C is replaced by D: a single triangle.
            const auto index = [&](std::size_t corner) {
                return static_cast<std::uint32_t>(isBad(p[corner]) ? d : corner);
            };
            const std::uint32_t a1 = index(a);
            const std::uint32_t b1 = index(b);
            const std::uint32_t c1 = index(c);
            const auto d1 = static_cast<std::uint32_t>(d);
            mesh.indices.insert(mesh.indices.end(), {a1, b1, c1, a1, c1, d1});
            mesh.lineIndices.insert(mesh.lineIndices.end(), {a1, b1, b1, c1, c1, d1, d1, a1});
        });
    return mesh;
}

}  // namespace plotwise
