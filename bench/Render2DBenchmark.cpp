// Cost of painting a frame of the 2D plane: a 1920x1080 view holding the built-in 2D examples,
// still (antialiased curves, minor grid) and in the middle of a pan (the view's moving frame: the
// samples of before the move, no minor grid), beside the empty plane of the same size, which is
// the floor every frame pays. "layers" frames compose each equation's kept drawing (built by a
// frame before the timing, as the frame after a resample builds them); "direct" frames draw
// every equation again, the baseline. Every example alone, still, shows which of them the
// frame's cost comes from. Sampling happens before the timing, as in the view, where painting
// never samples. Goals, one core (run under `taskset -c 0`), wall time: moving frame with layers
// within 4 ms, still frame within 10 ms, with all examples. firstFrameMs is the untimed frame
// before the loop: the one after a resample, or a move's first, which builds missing layers.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <QPainter>

#include <array>
#include <cstdint>
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "app/storage/LibraryStorage.h"
#include "engine/VariableTable.h"
#include "graph2d/EquationModel2D.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/view/RVEquation2DView.h"

namespace {

using plotwise::EquationModel2D;
using plotwise::RVEquation2D;
using plotwise::RVEquation2DView;

constexpr int kWidth = 1920;
constexpr int kHeight = 1080;

// Distinct colours as the plane would show them; an inequality half transparent, as its default
// colour is, since blending is part of what a region costs.
constexpr std::array<QRgb, 6> kColors = {0x1F77B4, 0xD62728, 0x2CA02C,
                                         0xFF7F0E, 0x9467BD, 0x17BECF};

struct Example {
    QVariantMap state;
    std::string text;
};

// The library's built-in 2D examples, in its order.
std::vector<Example> loadExamples() {
    std::vector<Example> examples;
    for (const QVariant& state :
         plotwise::LibraryStorage::exampleStates(plotwise::LibraryStorage::library2DFileName)) {
        examples.push_back(
            {state.toMap(),
             state.toMap().value(RVEquation2D::expressionStringKey).toString().toStdString()});
    }
    return examples;
}

// A plane holding `examples` in distinct colours, parsed against `table`; null when one does
// not build.
std::unique_ptr<EquationModel2D> planeWith(const std::vector<Example>& examples,
                                           plotwise::VariableTable& table) {
    auto model = std::make_unique<EquationModel2D>();
    for (const Example& example : examples) {
        auto equation =
            RVEquation2D::equation2DwithStateFromDictionary(example.state, table.data());
        if (!equation) {
            std::cerr << "plotwise-bench-render2d: cannot build \"" << example.text << "\"\n";
            return nullptr;
        }
        QColor color(kColors[static_cast<std::size_t>(model->count()) % kColors.size()]);
        if (equation->type() == plotwise::EquationType::Inequality) {
            color.setAlphaF(0.5f);
        }
        equation->setColor(color);
        equation->setVisible(true);
        model->appendEquation(std::move(equation));
    }
    return model;
}

enum class Motion { Still, Moving };
enum class Drawing { Direct, Layers };

// Paints frames of a view holding `examples`, sampled once for its window beforehand.
void paintFrame(benchmark::State& state, std::vector<Example> examples, Motion motion,
                Drawing drawing) {
    plotwise::VariableTable table{};
    const std::unique_ptr<EquationModel2D> model = planeWith(examples, table);
    if (!model) {
        state.SkipWithError("an example does not build");
        return;
    }
    RVEquation2DView view;
    view.resize(kWidth, kHeight);
    view.setModel(model.get());
    view.setUsesLayers(drawing == Drawing::Layers);
    view.evaluateAllFunctions();
    const std::vector<RVEquation2D*> equations = model->all();
    std::uint32_t objects = 0;
    std::vector<double> sampledFrom;
    for (const RVEquation2D* equation : equations) {
        objects += equation->dataObjectCount();
        sampledFrom.push_back(equation->previousEvaluationLimits().minx);
    }
    QImage image(kWidth, kHeight, QImage::Format_RGB32);
    image.setDevicePixelRatio(1.0);
    {
        // The still frame after the sampling, which builds the layers.
        QPainter painter(&image);
        view.drawPlane(painter, QSizeF(kWidth, kHeight));
    }
    if (motion == Motion::Moving) {
        // A drag in progress: moved by a finger's step, still holding the samples of before.
        view.panBy(QPointF(37.0, -21.0));
        if (!view.movedOrZoomed()) {
            state.SkipWithError("the pan did not put the view in its moving state");
            return;
        }
    }
    // The first frame after the sampling or of a move builds the layers it lacks (the curves'
    // for a move): timed on its own.
    QElapsedTimer first;
    first.start();
    {
        QPainter painter(&image);
        view.drawPlane(painter, QSizeF(kWidth, kHeight));
    }
    const double firstMilliseconds = static_cast<double>(first.nsecsElapsed()) / 1e6;
    const std::size_t builds = view.layers().buildCount();
    for (auto _ : state) {
        QPainter painter(&image);
        view.drawPlane(painter, QSizeF(kWidth, kHeight));
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
    // The moving frame must show the samples of before the pan, not new ones.
    for (std::size_t i = 0; i < equations.size(); ++i) {
        if (equations[i]->previousEvaluationLimits().minx != sampledFrom[i]) {
            state.SkipWithError("the equations resampled");
        }
    }
    if (view.layers().buildCount() != builds) {
        state.SkipWithError("a timed frame rebuilt a layer");
    }
    state.counters["equations"] = static_cast<double>(equations.size());
    state.counters["firstFrameMs"] = firstMilliseconds;
    state.counters["layerMiB"] = static_cast<double>(view.layers().bytes()) / (1 << 20);
    state.counters["objects"] = objects;
    state.counters["fps"] = benchmark::Counter(1.0, benchmark::Counter::kIsIterationInvariantRate);
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    const std::vector<Example> all = loadExamples();
    if (all.empty()) {
        return 1;
    }
    const std::string size =
        QString::number(kWidth).toStdString() + "x" + QString::number(kHeight).toStdString();
    const std::string count = QString::number(all.size()).toStdString();
    for (const auto& [motion, name] :
         {std::pair{Motion::Still, "still"}, std::pair{Motion::Moving, "moving"}}) {
        for (const auto& [drawing, how] :
             {std::pair{Drawing::Direct, "direct"}, std::pair{Drawing::Layers, "layers"}}) {
            const std::string suffix = std::string("/") + name + "/" + how;
            benchmark::RegisterBenchmark(("plane/" + size + "/empty" + suffix).c_str(), paintFrame,
                                         std::vector<Example>{}, motion, drawing)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
            benchmark::RegisterBenchmark(
                ("plane/" + size + "/" + count + " examples" + suffix).c_str(), paintFrame, all,
                motion, drawing)
                ->Unit(benchmark::kMillisecond)
                ->UseRealTime();
        }
    }
    for (std::size_t i = 0; i < all.size(); ++i) {
        const std::string name = "example/" + QString::number(i + 1).toStdString() + " " +
                                 all[i].text + "/" + size + "/still/direct";
        benchmark::RegisterBenchmark(name.c_str(), paintFrame, std::vector<Example>{all[i]},
                                     Motion::Still, Drawing::Direct)
            ->Unit(benchmark::kMillisecond)
            ->UseRealTime();
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
