// The equation list at 1920x1080: 500 equations scrolled one row per frame with the model's
// formula images cached, typeset again on every paint (uncached), and a plain QListView of the
// same source texts as the floor; one row repainted; the cache's hits and misses over two
// passes; and opening a list of 1,000 equations (every row measured, so every image made).
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QImage>
#include <QListView>
#include <QPainter>
#include <QScrollBar>
#include <QStringListModel>
#include <memory>

#include "app/screens/list/RVPWExpressionCell.h"
#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "equations/EquationListModel.h"
#include "typeset/ExpressionImage.h"

namespace {

using namespace plotwise;

constexpr QSize kFrame(1920, 1080);

QString sourceText(int i) {
    switch (i % 5) {
        case 0:
            return QStringLiteral("y=x^%1+%2").arg(i % 7 + 2).arg(i);
        case 1:
            return QStringLiteral("y=(x+%1)/(x^2+1)").arg(i);
        case 2:
            return QStringLiteral("y=√(x^2+%1)").arg(i);
        case 3:
            return QStringLiteral("r=%1sin(3Θ)").arg(i % 9 + 1);
        default:
            return QStringLiteral("x^2+y^2≤%1").arg(i);
    }
}

// Counts the formula images asked for, and the ones a lookup had to make.
class CountingModel : public EquationListModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != FormulaImageRole) {
            return EquationListModel::data(index, role);
        }
        const int made = cachedImageCount();
        QVariant image = EquationListModel::data(index, role);
        ++lookups;
        misses += cachedImageCount() - made;
        return image;
    }
    mutable long lookups = 0;
    mutable long misses = 0;
};

// Typesets the formula again on every paint: the list without its cache.
class UncachedModel : public EquationListModel {
public:
    QVariant data(const QModelIndex& index, int role) const override {
        if (role != FormulaImageRole) {
            return EquationListModel::data(index, role);
        }
        const RVEquation* equation = equationAt(index.row());
        if (equation == nullptr || equation->expression() == nullptr) {
            return QImage();
        }
        return ExpressionImage::expressionImageWithColor(*equation->expression(), Qt::black,
                                                         QColor(), 0, devicePixelRatio());
    }
};

void fill(EquationListModel& model, VariableTable& table, int count) {
    std::vector<std::unique_ptr<RVEquation>> equations;
    RVParser parser;
    for (int i = 0; i < count; ++i) {
        equations.push_back(RVEquation::equationWithOperationTree(
            parser.parse(sourceText(i).toStdU16String(), table.data())));
    }
    model.appendEquations(std::move(equations));
}

// A list view over `model` at full-HD, shown offscreen and laid out.
std::unique_ptr<QListView> makeView(QAbstractItemModel& model, RVPWExpressionCell* cell) {
    auto view = std::make_unique<QListView>();
    view->setModel(&model);
    if (cell != nullptr) {
        cell->setParent(view.get());
        view->setItemDelegate(cell);
    }
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->resize(kFrame);
    view->show();
    QCoreApplication::processEvents();
    return view;
}

// One frame per iteration: the view moves on by one row height and paints its viewport.
void scrollFrames(benchmark::State& state, QListView& view) {
    QImage frame(view.viewport()->size(), QImage::Format_ARGB32_Premultiplied);
    QScrollBar* bar = view.verticalScrollBar();
    const int step = std::max(1, view.sizeHintForRow(0));
    int frames = 0;
    for (auto _ : state) {
        const int next = bar->value() + step;
        bar->setValue(next > bar->maximum() ? 0 : next);
        view.viewport()->render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
        ++frames;
    }
    state.counters["rows/frame"] =
        static_cast<double>(view.viewport()->height()) / static_cast<double>(step);
    state.counters["frames"] = frames;
}

void scrollCached(benchmark::State& state) {
    VariableTable table{};
    CountingModel model;
    fill(model, table, 500);
    auto view = makeView(model, new RVPWExpressionCell);
    scrollFrames(state, *view);
    state.counters["images"] = model.cachedImageCount();
}

void scrollUncached(benchmark::State& state) {
    VariableTable table{};
    UncachedModel model;
    fill(model, table, 500);
    auto view = makeView(model, new RVPWExpressionCell);
    scrollFrames(state, *view);
}

void scrollPlain(benchmark::State& state) {
    QStringList texts;
    for (int i = 0; i < 500; ++i) {
        texts << sourceText(i);
    }
    QStringListModel model(texts);
    auto view = makeView(model, nullptr);
    scrollFrames(state, *view);
}

// One row painted by the cell, its image cached.
void rowRepaint(benchmark::State& state) {
    VariableTable table{};
    EquationListModel model;
    fill(model, table, 500);
    auto view = makeView(model, new RVPWExpressionCell);
    QImage image(kFrame.width(), 120, QImage::Format_ARGB32_Premultiplied);
    QStyleOptionViewItem option;
    option.initFrom(view->viewport());
    const QModelIndex index = model.index(1);
    option.rect = QRect(0, 0, kFrame.width(), view->sizeHintForRow(1));
    for (auto _ : state) {
        QPainter painter(&image);
        view->itemDelegate()->paint(&painter, option, index);
        painter.end();
        benchmark::DoNotOptimize(image.constBits());
    }
}

// Two passes over the whole list from an empty cache: the first makes one image per equation,
// the second only hits.
void cacheHitsAndMisses(benchmark::State& state) {
    VariableTable table{};
    CountingModel model;
    fill(model, table, 500);
    long firstMisses = 0;
    long secondMisses = 0;
    long secondLookups = 0;
    for (auto _ : state) {
        state.PauseTiming();
        model.setDevicePixelRatio(model.devicePixelRatio() == 1.0 ? 2.0 : 1.0);
        model.lookups = 0;
        model.misses = 0;
        state.ResumeTiming();
        // The first pass includes opening, where the view measures every row.
        auto view = makeView(model, new RVPWExpressionCell);
        QImage frame(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        long lookupsBefore = 0;
        long missesBefore = 0;
        for (int pass = 0; pass < 2; ++pass) {
            view->scrollToTop();
            for (int row = 0; row < model.count(); row += 8) {
                view->scrollTo(model.index(row), QAbstractItemView::PositionAtTop);
                view->viewport()->render(&frame);
            }
            (pass == 0 ? firstMisses : secondMisses) = model.misses - missesBefore;
            if (pass == 1) {
                secondLookups = model.lookups - lookupsBefore;
            }
            lookupsBefore = model.lookups;
            missesBefore = model.misses;
        }
    }
    state.counters["misses pass 1"] = static_cast<double>(firstMisses);
    state.counters["misses pass 2"] = static_cast<double>(secondMisses);
    state.counters["hits pass 2"] = static_cast<double>(secondLookups - secondMisses);
}

// A model of 1,000 equations, its images not made yet, opened in a list and painted once.
void openThousand(benchmark::State& state) {
    VariableTable table{};
    for (auto _ : state) {
        state.PauseTiming();
        auto model = std::make_unique<EquationListModel>();
        fill(*model, table, 1000);
        state.ResumeTiming();
        auto view = makeView(*model, new RVPWExpressionCell);
        QImage frame(view->viewport()->size(), QImage::Format_ARGB32_Premultiplied);
        view->viewport()->render(&frame);
        benchmark::DoNotOptimize(frame.constBits());
        state.PauseTiming();
        view.reset();
        model.reset();
        state.ResumeTiming();
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    benchmark::RegisterBenchmark("scroll500/cached", scrollCached)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("scroll500/uncached", scrollUncached)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("scroll500/plainQListView", scrollPlain)
        ->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("row/repaint", rowRepaint)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("cache/twoPasses", cacheHitsAndMisses)
        ->Unit(benchmark::kMillisecond)
        ->Iterations(2);
    benchmark::RegisterBenchmark("open1000", openThousand)->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
