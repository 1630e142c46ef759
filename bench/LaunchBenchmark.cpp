// From AppDelegate::didFinishLaunching to the first frame of the plane and to the restored plane
// drawn, with an empty workspace and with the 13 built-in 2D examples stored in it, at phone and
// tablet window sizes; beside it the baseline: the 13 examples parsed and sampled alone for the
// same window, as the restore does. Runs offscreen on one large screen, so the window takes the
// device's size unbounded. After the table, the ratios the goals are stated in.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "app/context/ApplicationContext.h"
#include "app/examples/BuiltInExamples.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/shell/AppDelegate.h"
#include "app/storage/WorkspaceStorage.h"
#include "engine/VariableTable.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise {
namespace {

enum class Content { Empty, Examples };

QVariantList exampleStates() {
    QVariantList states;
    for (const BuiltInExample& example : kBuiltInExamples2D) {
        states.append(
            QVariantMap{{RVEquation::expressionStringKey, QString::fromUtf8(example.source)},
                        {RVEquation::expressionColorKey, QStringLiteral("FF0000")},
                        {RVEquation::expressionVisibleKey, true}});
    }
    return states;
}

// Times the end of the plane view's paints: the first one, and the first after the restore.
class FrameWatch : public QObject {
public:
    explicit FrameWatch(const QElapsedTimer& clock) : clock_(clock) {}

    void restoreFinished() {
        restored_ = true;
        restoreFinishedMs = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
    }
    double firstFrameMs = -1.0;
    double restoredFrameMs = -1.0;
    // Where the time goes: the restore handed back, and the restored frame's paint alone.
    double restoreFinishedMs = -1.0;
    double restoredPaintMs = -1.0;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::Paint || qobject_cast<RVEquation2DView*>(watched) == nullptr) {
            return false;
        }
        // Painted here, inside the paint context the window set up, so the time includes it.
        const double start = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
        watched->event(event);
        const double now = static_cast<double>(clock_.nsecsElapsed()) / 1e6;
        if (firstFrameMs < 0.0) {
            firstFrameMs = now;
        }
        if (restored_ && restoredFrameMs < 0.0) {
            restoredFrameMs = now;
            restoredPaintMs = now - start;
        }
        return true;
    }

private:
    const QElapsedTimer& clock_;
    bool restored_ = false;
};

struct Launch {
    double firstFrameMs = 0.0;
    double restoredMs = 0.0;
    double restoreFinishedMs = 0.0;
    double restoredPaintMs = 0.0;
};

// One launch over a fresh preference store; nothing is saved.
Launch launchOnce(DeviceClass device, Content content) {
    QTemporaryDir folder;
    PreferenceStore store(folder.filePath(QStringLiteral("prefs.plist")));
    NotificationCenter center;
    ApplicationContext context(store, center, device);
    context.settings().registerDefaults();
    if (content == Content::Examples) {
        WorkspaceStorage::savePlaneStates(store, WorkspaceStorage::Plane::TwoD, exampleStates(),
                                          {});
    }
    QElapsedTimer clock;
    FrameWatch watch(clock);
    qApp->installEventFilter(&watch);
    Launch result;
    {
        AppDelegate delegate(context);
        clock.start();
        delegate.didFinishLaunching({});
        QObject::connect(delegate.controller2D(), &RVPW2DViewController::loadingFinished, &watch,
                         [&watch] { watch.restoreFinished(); });
        QElapsedTimer limit;
        limit.start();
        while (watch.restoredFrameMs < 0.0 && limit.elapsed() < 30000) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
        }
        result = {watch.firstFrameMs, watch.restoredFrameMs, watch.restoreFinishedMs,
                  watch.restoredPaintMs};
        qApp->removeEventFilter(&watch);
        // The loader thread is done: the restore has finished.
    }
    return result;
}

// The plane view's size in the window the delegate makes for the device.
QSize planeSize(DeviceClass device) {
    QTemporaryDir folder;
    PreferenceStore store(folder.filePath(QStringLiteral("prefs.plist")));
    NotificationCenter center;
    ApplicationContext context(store, center, device);
    context.settings().registerDefaults();
    AppDelegate delegate(context);
    delegate.didFinishLaunching({});
    QCoreApplication::processEvents();
    return delegate.controller2D()->equationView()->size();
}

std::map<std::string, double>& means() {
    static std::map<std::string, double> values;
    return values;
}

std::string key(DeviceClass device, const char* what) {
    return std::string(device == DeviceClass::Phone ? "phone/" : "tablet/") + what;
}

void launch(benchmark::State& state, DeviceClass device, Content content) {
    launchOnce(device, content);  // fonts, shaders of the style, first allocations
    double first = 0.0;
    double restored = 0.0;
    double handedBack = 0.0;
    double paint = 0.0;
    int runs = 0;
    for (auto _ : state) {
        const Launch measured = launchOnce(device, content);
        if (measured.restoredMs < 0.0) {
            state.SkipWithError("the restored plane was not drawn within 30 s");
            return;
        }
        state.SetIterationTime(measured.restoredMs / 1000.0);
        first += measured.firstFrameMs;
        restored += measured.restoredMs;
        handedBack += measured.restoreFinishedMs;
        paint += measured.restoredPaintMs;
        ++runs;
    }
    const char* name = content == Content::Empty ? "empty" : "examples13";
    state.counters["firstFrameMs"] = first / runs;
    state.counters["restoredMs"] = restored / runs;
    state.counters["loadingFinishedMs"] = handedBack / runs;
    state.counters["restoredPaintMs"] = paint / runs;
    means()[key(device, name) + "/first"] = first / runs;
    means()[key(device, name) + "/restored"] = restored / runs;
}

// The restore's work alone: each stored state parsed and sampled for the plane's window.
void sampling13(benchmark::State& state, DeviceClass device) {
    RVEquation2DView view;
    view.resize(planeSize(device));
    const EvaluationLimits2D limits = view.evaluationLimits();
    const QVariantList states = exampleStates();
    VariableTable table{};
    double total = 0.0;
    int runs = 0;
    for (auto _ : state) {
        QElapsedTimer clock;
        clock.start();
        for (const QVariant& stored : states) {
            auto equation =
                RVEquation2D::equation2DwithStateFromDictionary(stored.toMap(), table.data());
            equation->evaluateWithLimits(limits, device);
            benchmark::DoNotOptimize(equation.get());
        }
        const double ms = static_cast<double>(clock.nsecsElapsed()) / 1e6;
        state.SetIterationTime(ms / 1000.0);
        total += ms;
        ++runs;
    }
    state.counters["ms"] = total / runs;
    means()[key(device, "sampling13")] = total / runs;
}

void printRatios() {
    std::printf("\nratios (goal: first frame <= 1.2 x empty; restored <= 1.5 x sampling alone)\n");
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        auto& m = means();
        const double firstEmpty = m[key(device, "empty/first")];
        const double first13 = m[key(device, "examples13/first")];
        const double restored13 = m[key(device, "examples13/restored")];
        const double sampling = m[key(device, "sampling13")];
        if (firstEmpty <= 0.0 || sampling <= 0.0) {
            continue;
        }
        std::printf(
            "%-7s first frame %.1f ms vs empty %.1f ms: %.2fx; restored %.1f ms vs "
            "sampling alone %.1f ms: %.2fx\n",
            device == DeviceClass::Phone ? "phone" : "tablet", first13, firstEmpty,
            first13 / firstEmpty, restored13, sampling, restored13 / sampling);
    }
}

bool useOneLargeScreen(const QTemporaryDir& folder) {
    const QJsonObject screen{{"name", "Large"}, {"width", 2560}, {"height", 1600}};
    const QJsonObject config{{"screens", QJsonArray{screen}}};
    QFile file(folder.filePath(QStringLiteral("screens.json")));
    if (!file.open(QIODevice::WriteOnly) || file.write(QJsonDocument(config).toJson()) < 0) {
        return false;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + QFile::encodeName(file.fileName()));
    return true;
}

}  // namespace
}  // namespace plotwise

int main(int argc, char** argv) {
    using namespace plotwise;
    QTemporaryDir folder;
    if (!folder.isValid() || !useOneLargeScreen(folder)) {
        return 1;
    }
    // The settings and workspace of the run's own, never the user's.
    qputenv("XDG_CONFIG_HOME", QFile::encodeName(folder.path()));
    qputenv("XDG_DATA_HOME", QFile::encodeName(folder.path()));
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("plotwise-bench-launch"));
    constexpr int launches = 8;
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        const std::string idiom = device == DeviceClass::Phone ? "phone" : "tablet";
        benchmark::RegisterBenchmark(("launch/" + idiom + "/empty").c_str(), launch, device,
                                     Content::Empty)
            ->Iterations(launches)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("launch/" + idiom + "/examples13").c_str(), launch, device,
                                     Content::Examples)
            ->Iterations(launches)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark(("sampling13/" + idiom).c_str(), sampling13, device)
            ->Iterations(launches)
            ->UseManualTime()
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    printRatios();
    return 0;
}
