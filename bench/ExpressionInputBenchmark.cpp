// Cost of one keystroke in the expression keyboard, from the key press to the painted preview
// (field, result line with the marker, formula), at 20, 200 and 2,000 characters, and of pasting
// 10,000 characters; beside parseExpression alone on the same text, the floor any live preview
// pays. The phone screen is real and shown offscreen; the event loop runs the queued parse.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QKeyEvent>
#include <QPainter>
#include <QTemporaryDir>

#include <memory>

#include "app/context/ApplicationContext.h"
#include "app/input/FormulaPreviewView.h"
#include "app/input/RVPWKeyboardViewController.h"
#include "app/input/RVTextField.h"
#include "app/storage/NotificationCenter.h"
#include "app/storage/PreferenceStore.h"
#include "engine/ExpressionParsing.h"
#include "engine/VariableTable.h"
#include "typeset/RVPWErrorIndicatorView.h"

namespace {

using namespace plotwise;

// A valid expression of exactly `length` UTF-16 units: y=x⋅2+x⋅2+…+1.
QString expressionOfLength(int length) {
    QString text = QStringLiteral("y=");
    while (text.size() < length - 1) {
        text += QStringLiteral("x⋅2+");
    }
    text.truncate(length - 1);
    if (!text.back().isDigit() && text.back() != u'x') {
        text.back() = u'1';
    }
    text += u'1';
    return text;
}

struct Screen {
    Screen() {
        store = std::make_unique<PreferenceStore>(folder.filePath(QStringLiteral("prefs.plist")));
        context = std::make_unique<ApplicationContext>(*store, center, DeviceClass::Phone);
        context->settings().registerDefaults();
        input = std::make_unique<RVPWKeyboardViewController>(*context, table.data(), false);
        input->resize(420, 820);
        input->show();
        QCoreApplication::processEvents();
    }

    // What the user sees change: the field, the result line with its marker, the formula.
    void paintPreview() {
        for (QWidget* widget :
             {static_cast<QWidget*>(input->textField()), static_cast<QWidget*>(input->errorView()),
              static_cast<QWidget*>(input->formulaView())}) {
            QImage image(widget->size(), QImage::Format_ARGB32_Premultiplied);
            widget->render(&image);
            benchmark::DoNotOptimize(image.constBits());
        }
    }

    QTemporaryDir folder;
    NotificationCenter center;
    std::unique_ptr<PreferenceStore> store;
    std::unique_ptr<ApplicationContext> context;
    VariableTable table{};
    std::unique_ptr<RVPWKeyboardViewController> input;
};

void keystroke(benchmark::State& state) {
    Screen screen;
    RVTextField* field = screen.input->textField();
    field->setText(expressionOfLength(static_cast<int>(state.range(0)) - 1));
    QCoreApplication::processEvents();
    bool typeDigit = true;
    for (auto _ : state) {
        // Alternately "1" and Backspace at the end, so the length stays where it is.
        QKeyEvent press(QEvent::KeyPress, typeDigit ? Qt::Key_1 : Qt::Key_Backspace, Qt::NoModifier,
                        typeDigit ? QStringLiteral("1") : QString());
        QCoreApplication::sendEvent(field, &press);
        typeDigit = !typeDigit;
        QCoreApplication::processEvents();
        screen.paintPreview();
    }
    if (screen.input->parsedEquation() == nullptr && typeDigit) {
        state.SkipWithError("the text did not parse");
    }
    state.counters["chars"] = static_cast<double>(field->text().size());
}

void paste(benchmark::State& state) {
    Screen screen;
    RVTextField* field = screen.input->textField();
    const QString text = expressionOfLength(static_cast<int>(state.range(0))).mid(2);
    QGuiApplication::clipboard()->setText(text);
    for (auto _ : state) {
        field->setText(QStringLiteral("y="));
        field->paste();
        QCoreApplication::processEvents();
        screen.paintPreview();
    }
    if (screen.input->parsedEquation() == nullptr) {
        state.SkipWithError("the pasted text did not parse");
    }
}

void parseAlone(benchmark::State& state) {
    const std::u16string text =
        expressionOfLength(static_cast<int>(state.range(0))).toStdU16String();
    VariableTable table{};
    for (auto _ : state) {
        ParsedExpression parsed = parseExpression(text, table.data());
        benchmark::DoNotOptimize(parsed.tree.get());
    }
}

}  // namespace

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
    }
    QApplication application(argc, argv);
    for (const int length : {20, 200, 2000}) {
        benchmark::RegisterBenchmark("keystroke/preview", keystroke)
            ->Arg(length)
            ->Unit(benchmark::kMillisecond);
        benchmark::RegisterBenchmark("keystroke/parseExpression", parseAlone)
            ->Arg(length)
            ->Unit(benchmark::kMillisecond);
    }
    benchmark::RegisterBenchmark("paste/preview", paste)->Arg(10000)->Unit(benchmark::kMillisecond);
    benchmark::RegisterBenchmark("paste/parseExpression", parseAlone)
        ->Arg(10000)
        ->Unit(benchmark::kMillisecond);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
