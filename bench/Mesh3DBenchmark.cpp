// Cost of building 3D meshes: every built-in 3D example at the phone's and the tablet's
// divisions and at 64 per axis, and implicit surfaces (heart, sphere, gyroid) from 16 to 128 cells
// per axis by both variants. Each row measures the build and, in the same iterations, the
// evaluation it cannot avoid (the same grid nodes, cell centres or sample points, and the
// gradient points, through the same evaluator), so the evaluation share and the extraction cost
// per cell are read side by side. The peer row evaluates the corners one at a time with the
// z-column reuse of the classic loop (8 + 4(m - 1) evaluations per column of m cubes). The field
// rows evaluate whole planes of nodes, beside the same field written natively; the extract rows
// run marching cubes alone over values computed beforehand.
#include <benchmark/benchmark.h>
#if defined(__GLIBC__)
#include <malloc.h>
#endif

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstddef>
#include <ctime>
#include <iostream>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "app/examples/BuiltInExamples.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph3d/EvaluationData3D.h"
#include "graph3d/EvaluationLimits3D.h"
#include "graph3d/ExplicitSurfaceBuilder.h"
#include "graph3d/FieldEvaluator3D.h"
#include "graph3d/GridAxis.h"
#include "graph3d/ImplicitSurfaceBuilder.h"
#include "graph3d/InequalitySolidBuilder.h"
#include "graph3d/MeshCapacities3D.h"

namespace {

using plotwise::DeviceClass;
using plotwise::EvaluationLimits3D;
using plotwise::FieldEvaluator3D;
using plotwise::ImplicitSurfaceBuilder;
using plotwise::MeshCapacities3D;

std::string decimal(long value) {
    std::array<char, 24> buffer{};
    const auto result = std::to_chars(buffer.data(), buffer.data() + buffer.size(), value);
    return std::string(buffer.data(), result.ptr);
}

// This thread's processor time in seconds: the machine is shared, and wall time would count the
// time other processes hold the processor.
double cpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + 1e-9 * static_cast<double>(now.tv_nsec);
}

struct Prepared {
    plotwise::VariableTable table{};
    std::unique_ptr<plotwise::RVOperationTree> tree;
    plotwise::EvaluationData3D data;
    plotwise::EquationType type = plotwise::EquationType::Implicit;
};

std::unique_ptr<Prepared> prepare(const std::string& text, bool tetrahedra) {
    auto prepared = std::make_unique<Prepared>();
    plotwise::ParsedExpression parsed =
        plotwise::parseExpression(plotwise::toUtf16(text), prepared->table.data());
    if (!parsed.tree) {
        std::cerr << "plotwise-bench-mesh3d: cannot parse \"" << text << "\"\n";
        return nullptr;
    }
    prepared->tree = std::move(parsed.tree);
    prepared->type = plotwise::classifyExpression(*prepared->tree).equationType;
    prepared->data = plotwise::EvaluationData3D::fromTree(*prepared->tree);
    prepared->data.useTetahedros = tetrahedra;
    prepared->data.calculateSmoothForImplicit = tetrahedra;
    return prepared;
}

// Divisions of a row: the device's for the equation's kind, or a fixed number per axis.
struct Resolution {
    const char* name;
    DeviceClass device;
    float divisions;  // 0: the device's divisions for the kind
};

constexpr Resolution kExampleResolutions[] = {
    {"phone", DeviceClass::Phone, 0},
    {"tablet", DeviceClass::Tablet, 0},
    {"64^3", DeviceClass::Tablet, 64},
};

EvaluationLimits3D limitsFor(const Prepared& prepared, const Resolution& resolution) {
    const MeshCapacities3D capacities = MeshCapacities3D::forDevice(resolution.device);
    const float divisions = resolution.divisions > 0 ? resolution.divisions
                                                     : capacities.divisionsForType(prepared.type);
    return EvaluationLimits3D::forScale(1.0f, divisions);
}

// Evaluates the first `planes` x planes of grid nodes (or cell centres, `centres`; with one node
// beyond the box on every side, `halo`) as the builders take them; returns the points evaluated.
std::size_t evaluatePlanes(FieldEvaluator3D& field, const EvaluationLimits3D& limits,
                           std::size_t planes, bool centres, bool halo = false) {
    std::vector<float> axis = plotwise::GridAxis::nodes(limits.min, limits.max, limits.step);
    if (axis.size() < 2) {
        return 0;
    }
    if (halo) {
        axis.insert(axis.begin(), axis.front() - limits.step);
        axis.push_back(axis.back() + limits.step);
    }
    if (centres) {
        axis.pop_back();
        for (float& v : axis) {
            v += limits.step * 0.5f;
        }
    }
    const std::size_t side = axis.size();
    const std::vector<double> values(axis.begin(), axis.end());
    std::vector<double> out(side * side);
    std::size_t evaluated = 0;
    for (std::size_t i = 0; i < planes && i < side; ++i) {
        field.evaluatePlane(values[i], side, values.data(), side, values.data(), out.data());
        benchmark::DoNotOptimize(out.data());
        evaluated += side * side;
    }
    return evaluated;
}

// Evaluates `count` gradient points (six per vertex) near the given positions, in chunks as the
// builder takes them.
void evaluateGradientPoints(FieldEvaluator3D& field, const std::vector<plotwise::Float3>& at,
                            std::size_t count) {
    constexpr std::size_t kChunk = 6 * 1024;
    const std::size_t room = std::min(kChunk, count);
    std::vector<double> xs(room), ys(room), zs(room), out(room);
    for (std::size_t start = 0; start < count && !at.empty(); start += kChunk) {
        const std::size_t n = std::min(kChunk, count - start);
        for (std::size_t c = 0; c < n; ++c) {
            const std::size_t i = start + c;
            const plotwise::Float3& p = at[(i / 6) % at.size()];
            xs[c] = p.x + ((i % 6) == 0 ? -0.01 : (i % 6) == 1 ? 0.01 : 0.0);
            ys[c] = p.y + ((i % 6) == 2 ? -0.01 : (i % 6) == 3 ? 0.01 : 0.0);
            zs[c] = p.z + ((i % 6) == 4 ? -0.01 : (i % 6) == 5 ? 0.01 : 0.0);
        }
        field.evaluate(n, xs.data(), ys.data(), zs.data(), out.data());
        benchmark::DoNotOptimize(out.data());
    }
}

struct Measured {
    std::size_t vertices = 0;
    std::size_t evaluations = 0;
    std::size_t cellsVisited = 0;  // implicit: cells of the slabs the extraction reached
    double buildSeconds = 0;
    double evaluationSeconds = 0;
};

// One build of the example's mesh, and apart from it the evaluation of the same points.
Measured buildOnce(Prepared& prepared, const EvaluationLimits3D& limits,
                   const MeshCapacities3D& capacities) {
    Measured m;
    const auto start = cpuSeconds();
    if (plotwise::isExplicit(prepared.type)) {
        const plotwise::Mesh3D mesh = plotwise::ExplicitSurfaceBuilder::build(
            prepared.type, limits, prepared.data, capacities);
        m.vertices = mesh.vertices.size();
        m.evaluations = mesh.vertices.size();
        benchmark::DoNotOptimize(mesh.indices.data());
        const auto built = cpuSeconds();
        const auto grid = plotwise::ExplicitSurfaceBuilder::sample(prepared.type, limits,
                                                                   prepared.data, capacities);
        benchmark::DoNotOptimize(grid.points.data());
        m.buildSeconds = built - start;
        m.evaluationSeconds = cpuSeconds() - built;
    } else if (prepared.type == plotwise::EquationType::Inequality) {
        plotwise::InequalitySolidBuilder::Statistics statistics;
        const plotwise::Mesh3D mesh =
            plotwise::InequalitySolidBuilder::build(limits, prepared.data, capacities, &statistics);
        m.vertices = mesh.vertices.size();
        m.evaluations = statistics.evaluations;
        benchmark::DoNotOptimize(mesh.indices.data());
        const auto built = cpuSeconds();
        FieldEvaluator3D field(prepared.data, FieldEvaluator3D::Reading::Value);
        const std::size_t axis =
            plotwise::GridAxis::nodes(limits.min, limits.max, limits.step).size() - 1;
        evaluatePlanes(field, limits, (statistics.evaluations + axis * axis - 1) / (axis * axis),
                       true);
        m.buildSeconds = built - start;
        m.evaluationSeconds = cpuSeconds() - built;
    } else {
        ImplicitSurfaceBuilder::Statistics statistics;
        const bool smooth = prepared.data.calculateSmoothForImplicit;
        const plotwise::Mesh3D mesh =
            smooth ? ImplicitSurfaceBuilder::calculateImplicitWithSmooth(
                         limits, prepared.data, capacities.implicitVertexLimit, &statistics)
                   : ImplicitSurfaceBuilder::calculateImplicit(
                         limits, prepared.data, capacities.implicitVertexLimit, &statistics);
        m.vertices = mesh.vertices.size();
        m.evaluations = statistics.gridEvaluations + statistics.gradientEvaluations;
        benchmark::DoNotOptimize(mesh.indices.data());
        const auto built = cpuSeconds();
        // Points near the surface for the gradient evaluations, gathered outside both timings.
        std::vector<plotwise::Float3> at;
        if (statistics.gradientEvaluations > 0) {
            for (const auto& v : mesh.vertices) {
                at.push_back({v.x, v.y, v.z});
            }
        }
        const auto evaluating = cpuSeconds();
        FieldEvaluator3D field(prepared.data, FieldEvaluator3D::Reading::Field);
        const std::size_t side =
            plotwise::GridAxis::nodes(limits.min, limits.max, limits.step).size();
        const std::size_t stride = smooth ? side + 2 : side;  // the gradients' halo
        const std::size_t planes = side > 0 ? statistics.gridEvaluations / (stride * stride) : 0;
        evaluatePlanes(field, limits, planes, false, smooth);
        evaluateGradientPoints(field, at, statistics.gradientEvaluations);
        // Slab i needs planes up to i + 1, and with gradients one more on either side.
        const std::size_t slabs = smooth ? (planes > 3 ? std::min(planes - 3, side - 1) : 0)
                                         : (planes > 1 ? planes - 1 : 0);
        m.cellsVisited = slabs * (side - 1) * (side - 1);
        m.buildSeconds = built - start;
        m.evaluationSeconds = cpuSeconds() - evaluating;
    }
    return m;
}

void buildMesh(benchmark::State& state, Prepared* prepared, Resolution resolution) {
    const EvaluationLimits3D limits = limitsFor(*prepared, resolution);
    const MeshCapacities3D capacities = MeshCapacities3D::forDevice(resolution.device);
    Measured total;
    Measured last;
    for (auto _ : state) {
        last = buildOnce(*prepared, limits, capacities);
        state.SetIterationTime(last.buildSeconds);
        total.buildSeconds += last.buildSeconds;
        total.evaluationSeconds += last.evaluationSeconds;
    }
    state.counters["vertices"] = static_cast<double>(last.vertices);
    state.counters["evals"] = static_cast<double>(last.evaluations);
    state.counters["eval_share"] = total.evaluationSeconds / total.buildSeconds;
    if (last.cellsVisited > 0) {
        const double iterations = static_cast<double>(state.iterations());
        state.counters["extract_ns_per_cell"] = 1e9 *
                                                (total.buildSeconds - total.evaluationSeconds) /
                                                iterations / static_cast<double>(last.cellsVisited);
    }
}

// The peer: every cube's corners one at a time through the table, reusing corners 4..7 of the
// previous cube in a z column as the classic loop does. Evaluation only, no extraction.
void oneAtATimeCorners(benchmark::State& state, Prepared* prepared, float divisions) {
    const EvaluationLimits3D limits = EvaluationLimits3D::forScale(1.0f, divisions);
    const std::vector<float> axis = plotwise::GridAxis::nodes(limits.min, limits.max, limits.step);
    FieldEvaluator3D field(prepared->data, FieldEvaluator3D::Reading::Field);
    const std::size_t n = axis.size() - 1;
    std::size_t evaluations = 0;
    for (auto _ : state) {
        const std::size_t before = field.evaluations();
        for (std::size_t i = 0; i < n; ++i) {
            for (std::size_t j = 0; j < n; ++j) {
                double low[4] = {};
                for (std::size_t k = 0; k < n; ++k) {
                    double high[4];
                    const double x0 = axis[i], x1 = axis[i + 1], y0 = axis[j], y1 = axis[j + 1];
                    if (k == 0) {
                        const double z = axis[k];
                        low[0] = field.evaluateOne(x0, y0, z);
                        low[1] = field.evaluateOne(x1, y0, z);
                        low[2] = field.evaluateOne(x1, y1, z);
                        low[3] = field.evaluateOne(x0, y1, z);
                    }
                    const double z = axis[k + 1];
                    high[0] = field.evaluateOne(x0, y0, z);
                    high[1] = field.evaluateOne(x1, y0, z);
                    high[2] = field.evaluateOne(x1, y1, z);
                    high[3] = field.evaluateOne(x0, y1, z);
                    benchmark::DoNotOptimize(low[0] + high[0]);
                    for (int c = 0; c < 4; ++c) {
                        low[c] = high[c];
                    }
                }
            }
        }
        evaluations = field.evaluations() - before;
    }
    state.counters["evals"] = static_cast<double>(evaluations);
}

// The field alone over every plane of grid nodes, through the evaluator's planes as the
// builders run them; per_node is processor time per node.
void fieldNodes(benchmark::State& state, Prepared* prepared, float divisions) {
    const EvaluationLimits3D limits = EvaluationLimits3D::forScale(1.0f, divisions);
    const std::vector<float> axis = plotwise::GridAxis::nodes(limits.min, limits.max, limits.step);
    const std::vector<double> values(axis.begin(), axis.end());
    const std::size_t side = values.size();
    std::vector<double> out(side * side);
    FieldEvaluator3D field(prepared->data, FieldEvaluator3D::Reading::Field);
    for (auto _ : state) {
        for (std::size_t i = 0; i < side; ++i) {
            field.evaluatePlane(values[i], side, values.data(), side, values.data(), out.data());
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["per_node"] = benchmark::Counter(
        static_cast<double>(side * side * side),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Marching cubes alone over values computed beforehand, as VTK's filters take them (compare
// bench/vtk_reference.py): processor time per cell, uncapped.
void extractGridValues(benchmark::State& state, Prepared* prepared, float divisions) {
    const EvaluationLimits3D limits = EvaluationLimits3D::forScale(1.0f, divisions);
    const std::vector<float> axis = plotwise::GridAxis::nodes(limits.min, limits.max, limits.step);
    const std::vector<double> values(axis.begin(), axis.end());
    const std::size_t side = values.size();
    std::vector<double> grid(side * side * side);
    FieldEvaluator3D field(prepared->data, FieldEvaluator3D::Reading::Field);
    for (std::size_t i = 0; i < side; ++i) {
        field.evaluatePlane(values[i], side, values.data(), side, values.data(),
                            grid.data() + i * side * side);
    }
    const std::size_t limit =
        MeshCapacities3D::forDevice(DeviceClass::Tablet, plotwise::IndexWidth::Bits32)
            .implicitVertexLimit;
    std::size_t triangles = 0;
    for (auto _ : state) {
        const auto surface = ImplicitSurfaceBuilder::extractGrid(limits, grid, limit);
        triangles = surface.corners.size() / 3;
        benchmark::DoNotOptimize(surface.corners.data());
    }
    state.counters["triangles"] = static_cast<double>(triangles);
    state.counters["per_cell"] = benchmark::Counter(
        static_cast<double>((side - 1) * (side - 1) * (side - 1)),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// The same nodes with the field written natively, node by node, as a C++ programmer would.
template <typename Field>
void nativeFieldNodes(benchmark::State& state, float divisions) {
    const EvaluationLimits3D limits = EvaluationLimits3D::forScale(1.0f, divisions);
    const std::vector<float> axis = plotwise::GridAxis::nodes(limits.min, limits.max, limits.step);
    const std::vector<double> values(axis.begin(), axis.end());
    const std::size_t side = values.size();
    std::vector<double> out(side * side);
    for (auto _ : state) {
        for (std::size_t i = 0; i < side; ++i) {
            for (std::size_t j = 0; j < side; ++j) {
                for (std::size_t k = 0; k < side; ++k) {
                    out[j * side + k] = Field{}(values[i], values[j], values[k]);
                }
            }
            benchmark::DoNotOptimize(out.data());
        }
    }
    state.counters["per_node"] = benchmark::Counter(
        static_cast<double>(side * side * side),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

struct HeartField {
    double operator()(double x, double y, double z) const {
        const double x2 = x * x;
        const double y2 = y * y;
        const double z3 = z * z * z;
        const double t = x2 + (9 * y2) / 4 + z * z - 1;
        return -(320 * (-x2 * z3 - (9 * y2 * z3) / 80 + t * t * t));
    }
};
struct SphereField {
    double operator()(double x, double y, double z) const { return x * x + y * y + z * z - 4; }
};
struct GyroidField {
    double operator()(double x, double y, double z) const {
        return std::sin(2 * x) * std::cos(2 * y) + std::sin(2 * y) * std::cos(2 * z) +
               std::sin(2 * z) * std::cos(2 * x);
    }
};

struct Surface {
    const char* name;
    const char* text;
    void (*native)(benchmark::State&, float);
};

const Surface kSurfaces[] = {
    {"heart", "320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)=0", &nativeFieldNodes<HeartField>},
    {"sphere", "x^2+y^2+z^2-4", &nativeFieldNodes<SphereField>},
    {"gyroid", "sin(2x)cos(2y)+sin(2y)cos(2z)+sin(2z)cos(2x)", &nativeFieldNodes<GyroidField>},
};

constexpr float kSizes[] = {16, 24, 64, 128};

}  // namespace

int main(int argc, char** argv) {
    // Freed buffers stay with the allocator between iterations, so that the rows measure the
    // builders rather than the first touch of fresh pages, which on a virtual machine can cost
    // more than the extraction (a mesh gets fresh buffers once in the application). With
    // --fresh-pages every iteration maps new memory, as glibc does by default.
    bool freshPages = false;
    for (int i = 1; i < argc; ++i) {
        if (std::string_view(argv[i]) == "--fresh-pages") {
            freshPages = true;
            for (int j = i; j + 1 < argc; ++j) {
                argv[j] = argv[j + 1];
            }
            --argc;
            break;
        }
    }
#if defined(__GLIBC__)
    if (!freshPages) {
        mallopt(M_MMAP_THRESHOLD, 256 << 20);
        mallopt(M_TRIM_THRESHOLD, 512 << 20);
    }
#endif
    std::vector<std::unique_ptr<Prepared>> keep;
    for (const Resolution& resolution : kExampleResolutions) {
        for (std::size_t i = 0; i < std::size(plotwise::kBuiltInExamples3D); ++i) {
            auto prepared = prepare(plotwise::kBuiltInExamples3D[i].source, false);
            if (!prepared) {
                return 1;
            }
            const std::string name = std::string("example/") + decimal(static_cast<long>(i + 1)) +
                                     " " + plotwise::kBuiltInExamples3D[i].source + "/" +
                                     resolution.name;
            benchmark::RegisterBenchmark(name.c_str(), buildMesh, prepared.get(), resolution)
                ->UseManualTime()
                ->Unit(benchmark::kMicrosecond);
            keep.push_back(std::move(prepared));
        }
    }
    for (const Surface& surface : kSurfaces) {
        for (const float size : kSizes) {
            const std::string base = std::string("implicit/") + surface.name + "/" +
                                     decimal(static_cast<long>(size)) + "^3";
            for (const bool tetrahedra : {false, true}) {
                auto prepared = prepare(surface.text, tetrahedra);
                if (!prepared) {
                    return 1;
                }
                const Resolution resolution{"", DeviceClass::Tablet, size};
                benchmark::RegisterBenchmark(
                    (base + (tetrahedra ? "/tetrahedra, gradient normals" : "/cubes, flat normals"))
                        .c_str(),
                    buildMesh, prepared.get(), resolution)
                    ->UseManualTime()
                    ->Unit(benchmark::kMicrosecond);
                keep.push_back(std::move(prepared));
            }
            auto peer = prepare(surface.text, false);
            benchmark::RegisterBenchmark((base + "/peer: one-at-a-time corners, z reuse").c_str(),
                                         oneAtATimeCorners, peer.get(), size)
                ->Unit(benchmark::kMicrosecond);
            keep.push_back(std::move(peer));
            if (size >= 64) {
                auto fieldOnly = prepare(surface.text, false);
                const std::string fieldBase = std::string("field/") + surface.name + "/" +
                                              decimal(static_cast<long>(size)) + "^3";
                benchmark::RegisterBenchmark((fieldBase + "/planes").c_str(), fieldNodes,
                                             fieldOnly.get(), size)
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark((fieldBase + "/native").c_str(), surface.native, size)
                    ->Unit(benchmark::kMicrosecond);
                benchmark::RegisterBenchmark(
                    (std::string("extract/") + surface.name + "/" +
                     decimal(static_cast<long>(size)) + "^3/cubes over grid values")
                        .c_str(),
                    extractGridValues, fieldOnly.get(), size)
                    ->Unit(benchmark::kMicrosecond);
                keep.push_back(std::move(fieldOnly));
            }
        }
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
