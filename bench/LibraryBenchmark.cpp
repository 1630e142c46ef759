// The library of 5,000 formulas (the 27 built-in examples cycled, each caption distinct): reading
// the file alone, loading it into equations, opening the library screen offscreen up to its first
// painted frame with formula images, and one save. Reading alone is the floor of every open; the
// goal is a first frame within 1.5 times the loading. "open50MB" opens a file of about 50 MB and
// reports the time, the process's peak resident memory and the entries left after one deletion.
#include <benchmark/benchmark.h>
#include <sys/resource.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QListView>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTimer>
#include <memory>
#include <utility>

#include "app/context/ApplicationContext.h"
#include "app/examples/BuiltInExamples.h"
#include "app/screens/library/RVPWLibraryViewController.h"
#include "app/storage/LibraryFile.h"
#include "app/storage/PropertyList.h"
#include "engine/VariableTable.h"

namespace {

using namespace plotwise;

const QString kFileName = QStringLiteral("expressions2D.plist");

QVariantList libraryOf(int count) {
    std::vector<const BuiltInExample*> examples;
    for (const BuiltInExample& example : kBuiltInExamples2D) {
        examples.push_back(&example);
    }
    for (const BuiltInExample& example : kBuiltInExamples3D) {
        examples.push_back(&example);
    }
    QVariantList items;
    items.reserve(count);
    for (int i = 0; i < count; ++i) {
        const BuiltInExample& example = *examples[static_cast<size_t>(i) % examples.size()];
        items.append(
            QVariantMap{{RVEquation::expressionStringKey, QString::fromUtf8(example.source)},
                        {RVEquation::expressionColorKey, QStringLiteral("000000")},
                        {RVEquation::expressionVisibleKey, true},
                        {RVEquation::expressionCaptionKey,
                         QString::fromUtf8(example.caption) + QStringLiteral(" #%1").arg(i)},
                        {RVEquation::expressionNotesKey, QString::fromUtf8(example.notes)}});
    }
    return items;
}

void writeLibrary(int count) {
    const QString path = LibraryStorage::libraryFilePath(kFileName);
    QFile::remove(path);
    if (!PropertyList::writeFile(path, libraryOf(count))) {
        std::abort();
    }
}

void readAlone(benchmark::State& state) {
    writeLibrary(static_cast<int>(state.range(0)));
    for (auto _ : state) {
        const auto read = PropertyList::readFile(LibraryStorage::libraryFilePath(kFileName));
        benchmark::DoNotOptimize(read.value);
    }
}

void loadIntoEquations(benchmark::State& state) {
    writeLibrary(static_cast<int>(state.range(0)));
    VariableTable table{};
    for (auto _ : state) {
        LibraryFile file(kFileName);
        auto library = file.load(table.data());
        benchmark::DoNotOptimize(library.equations.data());
    }
}

struct Context {
    Context() {
        store = std::make_unique<PreferenceStore>(folder.filePath(QStringLiteral("prefs.plist")));
        context = std::make_unique<ApplicationContext>(*store, center, DeviceClass::Tablet);
        context->settings().registerDefaults();
    }
    QTemporaryDir folder;
    std::unique_ptr<PreferenceStore> store;
    NotificationCenter center;
    std::unique_ptr<ApplicationContext> context;
};

// From the screen's construction to its first painted frame, formula images included.
void firstFrame(benchmark::State& state) {
    writeLibrary(static_cast<int>(state.range(0)));
    Context context;
    VariableTable table{};
    for (auto _ : state) {
        RVPWLibraryViewController screen(*context.context, table.data(), kFileName);
        screen.resize(480, 800);
        screen.show();
        if (!screen.isLoaded()) {
            QSignalSpy finished(&screen, &RVPWLibraryViewController::loadingFinished);
            finished.wait(60000);
        }
        const QImage frame = screen.grab().toImage();
        benchmark::DoNotOptimize(frame.constBits());
        state.PauseTiming();
        state.counters["imagesMade"] = screen.libraryExpressions().madeImageCount();
        screen.hide();
        state.ResumeTiming();
    }
}

void saveOnce(benchmark::State& state) {
    writeLibrary(static_cast<int>(state.range(0)));
    VariableTable table{};
    LibraryFile file(kFileName);
    const auto library = file.load(table.data());
    const QVariantList states = dictionariesWithState(library.equations);
    for (auto _ : state) {
        const auto saved = file.save(states);
        if (!saved.saved) {
            state.SkipWithError("save failed");
            break;
        }
    }
}

long peakResidentKilobytes() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

// A library of about 50 MB opened by the screen: the time to "loaded", whether the event loop
// kept turning meanwhile (the longest gap between timer ticks), and one deletion saved.
void open50MB(benchmark::State& state) {
    writeLibrary(static_cast<int>(state.range(0)));
    const qint64 bytes = QFileInfo(LibraryStorage::libraryFilePath(kFileName)).size();
    Context context;
    VariableTable table{};
    for (auto _ : state) {
        RVPWLibraryViewController screen(*context.context, table.data(), kFileName);
        screen.resize(480, 800);
        screen.show();
        QElapsedTimer gap;
        gap.start();
        qint64 longestGap = 0;
        QTimer ticker;
        QObject::connect(&ticker, &QTimer::timeout,
                         [&] { longestGap = std::max(longestGap, gap.restart()); });
        ticker.start(10);
        if (!screen.isLoaded()) {
            QSignalSpy finished(&screen, &RVPWLibraryViewController::loadingFinished);
            finished.wait(600000);
        }
        ticker.stop();
        state.PauseTiming();
        const int before = screen.libraryExpressions().count();
        screen.deleteExpression(before / 2);
        const auto reread = PropertyList::readFile(LibraryStorage::libraryFilePath(kFileName));
        state.counters["fileMB"] = static_cast<double>(bytes) / (1024.0 * 1024.0);
        state.counters["entries"] = before;
        state.counters["entriesAfterDelete"] = static_cast<double>(reread.value.toList().size());
        state.counters["longestEventGapMs"] = static_cast<double>(longestGap);
        state.counters["peakRSS_MB"] = static_cast<double>(peakResidentKilobytes()) / 1024.0;
        state.ResumeTiming();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    // The library files go to a folder of the run's own, never the user's.
    QTemporaryDir data;
    qputenv("XDG_DATA_HOME", QFile::encodeName(data.path()));
    QApplication application(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("plotwise-bench-library"));
    constexpr int entries = 5000;
    const std::pair<const char*, void (*)(benchmark::State&)> atLibrarySize[] = {
        {"library/readFileAlone", readAlone},
        {"library/loadIntoEquations", loadIntoEquations},
        {"library/screenFirstFrame", firstFrame},
        {"library/saveOnce", saveOnce},
    };
    for (const auto& [name, function] : atLibrarySize) {
        benchmark::RegisterBenchmark(name, function)->Arg(entries)->Unit(benchmark::kMillisecond);
    }
    // About 300 bytes an entry.
    benchmark::RegisterBenchmark("library/open50MB", open50MB)
        ->Arg(170000)
        ->Iterations(1)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
