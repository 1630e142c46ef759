// Cost of sampling 2D equations: every built-in 2D example over a phone-sized and a tablet-sized
// screen, and the contour and region builders beside the evaluation they cannot avoid: the same
// grid nodes evaluated by the batch form, one at a time through the compiled form, and by the
// formula written natively in C++.
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/examples/BuiltInExamples.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph2d/sampling/ContourBuilder.h"
#include "graph2d/sampling/EquationSampler2D.h"
#include "graph2d/sampling/EvaluationData2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/GridNodeEvaluator.h"
#include "graph2d/sampling/RegionBuilder.h"

namespace {

using plotwise::DeviceClass;
using plotwise::EvaluationLimits2D;

struct Screen {
    const char* name;
    double width;  // points
    double height;
    DeviceClass device;
};

constexpr Screen kScreens[] = {
    {"1280x800", 1280, 800, DeviceClass::Phone},
    {"2560x1600", 2560, 1600, DeviceClass::Tablet},
};

constexpr double kRatio = 80.0;

// The window of a screen centred on the origin at 80 points per unit.
EvaluationLimits2D limitsFor(const Screen& screen) {
    const double halfWidth = screen.width / kRatio / 2.0;
    const double halfHeight = screen.height / kRatio / 2.0;
    return EvaluationLimits2D::withWindow(-halfWidth, halfWidth, -halfHeight, halfHeight, kRatio,
                                          kRatio);
}

// An expression parsed like the keyboard parses it, kept in place with its table.
struct Prepared {
    plotwise::VariableTable table{};
    std::unique_ptr<plotwise::RVOperationTree> tree;
    plotwise::EvaluationData2D data;
    plotwise::EquationType type = plotwise::EquationType::Implicit;
};

std::unique_ptr<Prepared> prepare(const std::string& text) {
    auto prepared = std::make_unique<Prepared>();
    plotwise::ParsedExpression parsed =
        plotwise::parseExpression(plotwise::toUtf16(text), prepared->table.data());
    if (!parsed.tree) {
        std::cerr << "plotwise-bench-sampling2d: cannot parse \"" << text << "\"\n";
        return nullptr;
    }
    prepared->tree = std::move(parsed.tree);
    prepared->data = plotwise::EvaluationData2D::withOperationTree(*prepared->tree);
    prepared->type = plotwise::classifyExpression(*prepared->tree).equationType;
    return prepared;
}

void sampleExample(benchmark::State& state, const Prepared* prepared, const Screen* screen) {
    const EvaluationLimits2D limits = limitsFor(*screen);
    std::uint32_t objects = 0;
    for (auto _ : state) {
        auto samples = plotwise::EquationSampler2D::sample(prepared->type, limits, prepared->data,
                                                           screen->device);
        objects = samples ? samples->dataObjectCount() : 0;
        benchmark::DoNotOptimize(samples);
    }
    state.counters["objects"] = objects;
}

// The grid nodes the builders walk over a window: node columns and rows in single precision.
struct Grid {
    std::vector<double> x;
    std::vector<double> y;
    std::size_t nodeCount() const { return x.size() * y.size(); }
};

Grid gridFor(const EvaluationLimits2D& limits) {
    Grid grid;
    const double dx = 5.0001 / limits.pixelUnitRatioX;
    const double dy = 5.0001 / limits.pixelUnitRatioY;
    std::size_t columns = 0;
    while (limits.minx + static_cast<double>(columns) * dx < limits.maxx) {
        ++columns;
    }
    std::size_t rows = 0;
    while (limits.miny + static_cast<double>(rows) * dy < limits.maxy) {
        ++rows;
    }
    for (std::size_t c = 0; c <= columns; ++c) {
        grid.x.push_back(static_cast<float>(limits.minx + static_cast<double>(c) * dx));
    }
    for (std::size_t r = 0; r <= rows; ++r) {
        grid.y.push_back(static_cast<float>(limits.miny + static_cast<double>(r) * dy));
    }
    return grid;
}

void perNode(benchmark::State& state, std::size_t nodes) {
    state.counters["nodes"] = static_cast<double>(nodes);
    state.counters["per_node"] = benchmark::Counter(
        static_cast<double>(nodes),
        benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void contourBuilder(benchmark::State& state, const Prepared* prepared, const Screen* screen) {
    const EvaluationLimits2D limits = limitsFor(*screen);
    std::vector<plotwise::SamplePoint> storage(plotwise::ContourBuilder::defaultCapacity);
    plotwise::ContourBuilder builder(prepared->data, storage.data());
    std::uint32_t points = 0;
    for (auto _ : state) {
        points = builder.build(limits);
        benchmark::DoNotOptimize(storage.data());
    }
    const std::size_t nodes = gridFor(limits).nodeCount();
    perNode(state, nodes);
    state.counters["points"] = points;
    state.counters["evaluations_per_node"] =
        static_cast<double>(builder.evaluatedNodeCount()) / static_cast<double>(nodes);
}

void regionBuilder(benchmark::State& state, const Prepared* prepared, const Screen* screen) {
    const EvaluationLimits2D limits = limitsFor(*screen);
    const std::uint32_t capacity = plotwise::RegionBuilder::capacityFor(screen->device);
    std::vector<plotwise::RegionRecord> storage(capacity);
    plotwise::RegionBuilder builder(prepared->data, storage.data(), capacity);
    std::uint32_t records = 0;
    for (auto _ : state) {
        records = builder.build(limits);
        benchmark::DoNotOptimize(storage.data());
    }
    const std::size_t nodes = gridFor(limits).nodeCount();
    perNode(state, nodes);
    state.counters["records"] = records;
    state.counters["evaluations_per_node"] =
        static_cast<double>(builder.evaluatedNodeCount()) / static_cast<double>(nodes);
}

// The same nodes through the batch form, a column at a time as the builders take them; with the
// inside flags when `inside` is set (a relation's two sides and its result).
void batchNodes(benchmark::State& state, const Prepared* prepared, const Screen* screen,
                bool inside) {
    const Grid grid = gridFor(limitsFor(*screen));
    plotwise::GridNodeEvaluator evaluator(prepared->data);
    std::vector<double> values(grid.y.size());
    std::vector<std::uint8_t> flags(grid.y.size());
    for (auto _ : state) {
        for (double x : grid.x) {
            evaluator.evaluateColumn(x, grid.y.size(), grid.y.data(), values.data(),
                                     inside ? flags.data() : nullptr);
            benchmark::DoNotOptimize(values.data());
        }
    }
    perNode(state, grid.nodeCount());
}

// The same nodes one at a time: write x and y into the table, call the compiled root.
void oneAtATimeNodes(benchmark::State& state, Prepared* prepared, const Screen* screen) {
    const Grid grid = gridFor(limitsFor(*screen));
    const plotwise::CompiledExpression& compiled = prepared->data.expressionNode;
    double* table = prepared->table.data();
    for (auto _ : state) {
        for (double x : grid.x) {
            table[0] = x;
            for (double y : grid.y) {
                table[1] = y;
                benchmark::DoNotOptimize(compiled.evaluate());
            }
        }
    }
    perNode(state, grid.nodeCount());
}

using NativeFormula = double (*)(double x, double y);

void nativeNodes(benchmark::State& state, NativeFormula formula, const Screen* screen) {
    const Grid grid = gridFor(limitsFor(*screen));
    for (auto _ : state) {
        for (double x : grid.x) {
            for (double y : grid.y) {
                benchmark::DoNotOptimize(formula(x, y));
            }
        }
    }
    perNode(state, grid.nodeCount());
}

struct GridCase {
    const char* name;     // ASCII
    const char* contour;  // a bare expression: the contour builder's input
    const char* region;   // an inequality on the same function: the region builder's input
    NativeFormula native;
};

const GridCase kGridCases[] = {
    {"x^2+y^2-4", "x^2+y^2-4", "x^2+y^2<4", [](double x, double y) { return x * x + y * y - 4; }},
    {"sin(x)-cos(y)^2", "sin(x)-cos(y)^2", "sin(x)<cos(y)^2",
     [](double x, double y) { return std::sin(x) - std::cos(y) * std::cos(y); }},
};

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::unique_ptr<Prepared>> keep;
    for (const Screen& screen : kScreens) {
        for (std::size_t i = 0; i < std::size(plotwise::kBuiltInExamples2D); ++i) {
            auto prepared = prepare(plotwise::kBuiltInExamples2D[i].source);
            if (!prepared) {
                return 1;
            }
            const std::string name = std::string("example/") + std::to_string(i + 1) + " " +
                                     plotwise::kBuiltInExamples2D[i].source + "/" + screen.name;
            benchmark::RegisterBenchmark(name.c_str(), sampleExample, prepared.get(), &screen)
                ->Unit(benchmark::kMicrosecond);
            keep.push_back(std::move(prepared));
        }
    }
    for (const Screen& screen : kScreens) {
        for (const GridCase& gridCase : kGridCases) {
            auto contour = prepare(gridCase.contour);
            auto region = prepare(gridCase.region);
            if (!contour || !region) {
                return 1;
            }
            const std::string base = std::string("grid/") + gridCase.name + "/" + screen.name;
            benchmark::RegisterBenchmark((base + "/contour builder").c_str(), contourBuilder,
                                         contour.get(), &screen)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark((base + "/region builder").c_str(), regionBuilder,
                                         region.get(), &screen)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark((base + "/batch nodes").c_str(), batchNodes, contour.get(),
                                         &screen, false)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark((base + "/batch nodes, relation").c_str(), batchNodes,
                                         region.get(), &screen, true)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark((base + "/one-at-a-time nodes").c_str(), oneAtATimeNodes,
                                         contour.get(), &screen)
                ->Unit(benchmark::kMicrosecond);
            benchmark::RegisterBenchmark((base + "/native nodes").c_str(), nativeNodes,
                                         gridCase.native, &screen)
                ->Unit(benchmark::kMicrosecond);
            keep.push_back(std::move(contour));
            keep.push_back(std::move(region));
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
