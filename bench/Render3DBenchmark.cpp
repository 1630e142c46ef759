// Cost of a frame of the 3D scene at 1920x1080 (llvmpipe under xvfb-run on these machines),
// each timed to glFinish: the empty scene (axes and letters, the floor every frame pays), each
// built-in 3D example alone and all 14 together, in the three drawing modes, with the tablet's
// meshes. Beside them: uploading the largest capped mesh, and a rotation or pan to the next
// frame, which must upload and evaluate nothing. "vs_empty" is each mean over the empty shaded
// frame's mean, measured first in the same run.
#include <benchmark/benchmark.h>

#include <QGuiApplication>
#include <QOffscreenSurface>
#include <QOpenGLContext>
#include <QOpenGLFramebufferObject>
#include <QOpenGLFunctions>

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/examples/BuiltInExamples.h"
#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph3d/RVEquation3D.h"
#include "graph3d/view/MeshBufferStore3D.h"
#include "graph3d/view/SceneRenderer3D.h"

namespace {

using namespace plotwise;
using Clock = std::chrono::steady_clock;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;
constexpr DeviceClass kDevice = DeviceClass::Tablet;

struct Gl {
    QOpenGLContext context;
    QOffscreenSurface surface;
    std::unique_ptr<QOpenGLFramebufferObject> framebuffer;
    SceneRenderer3D renderer;
    VariableTable table{};
    std::vector<std::unique_ptr<RVEquation3D>> examples;
    double emptySeconds = 0.0;
};

Gl* gl = nullptr;

std::unique_ptr<RVEquation3D> equationFor(const std::string& text, const SceneState3D& state) {
    ParsedExpression parsed = parseExpression(toUtf16(text), gl->table.data());
    if (!parsed.tree) {
        return nullptr;
    }
    auto equation = RVEquation3D::equation3DwithOperationTree(std::move(parsed.tree));
    equation->setVisible(true);
    equation->setColor(QColor::fromHsv(static_cast<int>(gl->examples.size() * 25 % 360), 180, 230));
    equation->evaluateWithLimits(state.limitsForType(equation->type(), kDevice), kDevice, true);
    return equation;
}

SceneOptions3D options() {
    SceneOptions3D options;
    options.pixelSize = QSize(kWidth, kHeight);
    options.eyeDistance = SceneState3D::eyeDistance(true, kWidth, kHeight, kDevice);
    return options;
}

double frame(const SceneState3D& state, const std::vector<RVEquation3D*>& scene) {
    const auto start = Clock::now();
    gl->renderer.render(state, scene, options());
    gl->context.functions()->glFinish();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

// A frame drops the buffers of equations it does not draw, as the view drops removed ones, and
// uploads had freed the client meshes: a benchmark drawing other examples meshes them again.
void meshAgain(const std::vector<RVEquation3D*>& scene) {
    const SceneState3D reset;
    for (RVEquation3D* equation : scene) {
        equation->spoilCache();
        equation->evaluateWithLimits(reset.limitsForType(equation->type(), kDevice), kDevice, true);
    }
}

void report(benchmark::State& run, double seconds) {
    const double mean = seconds / static_cast<double>(run.iterations());
    run.counters["vs_empty"] = gl->emptySeconds > 0 ? mean / gl->emptySeconds : 0.0;
}

void drawFrame(benchmark::State& run, std::vector<int> indices, int mode) {
    SceneState3D state;
    state.setVisualizationMode(mode);
    state.applyIncrement(30, 20, 1, 0, 0);
    std::vector<RVEquation3D*> scene;
    for (const int i : indices) {
        scene.push_back(gl->examples[static_cast<std::size_t>(i)].get());
    }
    meshAgain(scene);
    frame(state, scene);  // uploads happen here, outside the timing
    double seconds = 0.0;
    for (auto _ : run) {
        seconds += frame(state, scene);
    }
    report(run, seconds);
}

// A rotation or pan applied, then the next frame: no upload, no evaluation.
void stateChange(benchmark::State& run, bool pan) {
    SceneState3D state;
    std::vector<RVEquation3D*> scene;
    for (const auto& equation : gl->examples) {
        scene.push_back(equation.get());
    }
    meshAgain(scene);
    frame(state, scene);
    const int uploads = gl->renderer.bufferStore()->uploadCount();
    double seconds = 0.0;
    for (auto _ : run) {
        const auto start = Clock::now();
        state.applyIncrement(pan ? 0 : 3, pan ? 0 : 1, 1, pan ? 0.01f : 0, 0);
        seconds +=
            std::chrono::duration<double>(Clock::now() - start).count() + frame(state, scene);
    }
    run.counters["uploads"] = gl->renderer.bufferStore()->uploadCount() - uploads;
    report(run, seconds);
}

// The largest mesh the tablet's caps allow, uploaded again and again.
void uploadCapped(benchmark::State& run, const std::string& text) {
    SceneState3D state;
    auto equation = equationFor(text, state);
    if (!equation) {
        run.SkipWithError("does not parse");
        return;
    }
    MeshBufferStore3D& store = *gl->renderer.bufferStore();
    double seconds = 0.0;
    std::size_t vertices = 0;
    for (auto _ : run) {
        run.PauseTiming();
        equation->spoilCache();
        equation->evaluateWithLimits(state.limitsForType(equation->type(), kDevice), kDevice, true);
        vertices = equation->dataObjectCount();
        run.ResumeTiming();
        const auto start = Clock::now();
        store.buffersFor(*equation);
        gl->context.functions()->glFinish();
        seconds += std::chrono::duration<double>(Clock::now() - start).count();
    }
    store.releaseAll();
    run.counters["vertices"] = static_cast<double>(vertices);
    report(run, seconds);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QGuiApplication application(argc, argv);
    Gl state;
    gl = &state;
    state.surface.setFormat(state.context.format());
    state.surface.create();
    if (!state.context.create() || !state.context.makeCurrent(&state.surface)) {
        std::cerr << "no OpenGL (no X display with GLX; try xvfb-run)\n";
        return 1;
    }
    QOpenGLFramebufferObjectFormat format;
    format.setAttachment(QOpenGLFramebufferObject::Depth);
    state.framebuffer = std::make_unique<QOpenGLFramebufferObject>(kWidth, kHeight, format);
    state.framebuffer->bind();
    if (!state.renderer.initialize()) {
        std::cerr << "shaders: " << state.renderer.errorString().toStdString() << '\n';
        return 1;
    }
    const SceneState3D reset;
    std::vector<int> all;
    for (const BuiltInExample& example : kBuiltInExamples3D) {
        auto equation = equationFor(example.source, reset);
        if (equation) {
            all.push_back(static_cast<int>(state.examples.size()));
            state.examples.push_back(std::move(equation));
        }
    }
    // The floor: the empty shaded frame, measured before everything else.
    {
        SceneState3D empty;
        frame(empty, {});
        double seconds = 0.0;
        constexpr int kRounds = 50;
        for (int i = 0; i < kRounds; ++i) {
            seconds += frame(empty, {});
        }
        state.emptySeconds = seconds / kRounds;
    }

    const char* modes[] = {"points", "wire", "shaded"};
    for (int mode = 0; mode < 3; ++mode) {
        const std::string suffix = std::string("/") + modes[mode];
        benchmark::RegisterBenchmark(("frame/empty" + suffix).c_str(), drawFrame,
                                     std::vector<int>{}, mode)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("frame/all 14" + suffix).c_str(), drawFrame, all, mode)
            ->Unit(benchmark::kMillisecond);
        for (const int i : all) {
            benchmark::RegisterBenchmark(
                ("frame/" + std::to_string(i + 1) + " " + kBuiltInExamples3D[i].source + suffix)
                    .c_str(),
                drawFrame, std::vector<int>{i}, mode)
                ->Unit(benchmark::kMillisecond);
        }
    }
    benchmark::RegisterBenchmark("state change/rotation", stateChange, false)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("state change/pan", stateChange, true)
        ->Unit(benchmark::kMillisecond);
    for (const char* capped : {"sin(3x)+sin(3y)+sin(3z)", "x^2+y^2+z^2<30", "z=sin(x)cos(y)"}) {
        benchmark::RegisterBenchmark((std::string("upload/") + capped).c_str(), uploadCapped,
                                     std::string(capped))
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    state.examples.clear();
    state.renderer.release();
    state.framebuffer.reset();
    state.context.doneCurrent();
    return 0;
}
