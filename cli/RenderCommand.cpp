#include "cli/RenderCommand.h"

#include <QApplication>
#include <QColor>
#include <QPainter>
#include <QVariantMap>

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <memory>
#include <ostream>
#include <vector>

#include "cli/DrawnEquations.h"
#include "cli/JsonWriter.h"
#include "cli/QtCommandSupport.h"
#include "cli/Usage.h"
#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "equations/ColorText.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/view/PlaneFileWriter.h"
#include "graph2d/view/PlanePainter.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise::cli {

namespace {

// Far beyond any screen; keeps a typo from asking for gigabytes.
constexpr int kMaximumSide = 16384;

struct RenderOptions {
    std::vector<std::string> expressions;
    std::string output;
    int width = 800;
    int height = 600;
    double centerX = 0.0;
    double centerY = 0.0;
    double ratioX = RVEquation2DView::defaultPixelUnitRatio;
    double ratioY = RVEquation2DView::defaultPixelUnitRatio;
    bool dark = false;
    bool thick = false;
    bool json = false;
    std::vector<ChosenColor> colors;
    // From --format, else from the output's extension.
    PlaneFileFormat format = PlaneFileFormat::Png;
};

std::optional<int> parseSide(std::string_view text) {
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() || value < 1 ||
        value > kMaximumSide) {
        return std::nullopt;
    }
    return value;
}

// "WxH" in whole pixels.
bool parseSize(std::string_view text, RenderOptions& options) {
    const auto separator = text.find_first_of("xX");
    if (separator == std::string_view::npos) {
        return false;
    }
    const auto width = parseSide(text.substr(0, separator));
    const auto height = parseSide(text.substr(separator + 1));
    if (!width || !height) {
        return false;
    }
    options.width = *width;
    options.height = *height;
    return true;
}

bool usableRatio(double ratio) {
    return std::isfinite(ratio) && ratio >= RVEquation2DView::minimumPixelUnitRatio &&
           ratio <= RVEquation2DView::maximumPixelUnitRatio;
}

// One --ratio given: R, and where the word right after it went among the words no option took
// (a number there is RY), unless an option came right after R.
struct RatioGiven {
    std::string x;
    std::optional<std::size_t> next;
};

// Returns an exit status when the command ends here (help, unusable arguments).
std::optional<int> readOptions(Arguments arguments, RenderOptions& options, std::ostream& out,
                               std::ostream& err) {
    CommandLine line("render");
    std::string size;
    std::string format;
    std::vector<std::string> colors;
    std::vector<std::string> center;
    std::vector<RatioGiven> ratios;
    std::optional<std::size_t> ratioOpen;
    // The word after the latest R is known once the next option is read, or at the end.
    const auto closeRatio = [&] {
        if (ratioOpen && line.app().remaining_size() > *ratioOpen) {
            ratios.back().next = ratioOpen;
        }
        ratioOpen.reset();
    };
    line.setOnOption(closeRatio);
    line.flag("--json", options.json);
    line.flag("--dark", options.dark);
    line.flag("--thick", options.thick);
    line.option("-o,--output", options.output, "a file name");
    line.option("--size", size, "WxH, whole pixels from 1 to 16384");
    line.option("--format", format, "png, svg or pdf");
    line.repeated("--color", colors, "RRGGBB or RRGGBBAA in hexadecimal");
    line.values("--center", center, 2, "X Y, two finite numbers");
    const std::string ratioUsage = "R or RX RY: finite points per unit from 1e-07 to 1e+07";
    // Only "--ratio R", not "--ratio=R", may be followed by RY.
    std::vector<bool> ratioInline;
    for (const std::string& word : arguments) {
        if (word == "--") {
            break;
        }
        if (word == "--ratio" || word.starts_with("--ratio=")) {
            ratioInline.push_back(word != "--ratio");
        }
    }
    line.app()
        .add_option_function<std::string>(
            "--ratio",
            [&](const std::string& x) {
                closeRatio();
                const bool isInline =
                    ratios.size() < ratioInline.size() && ratioInline[ratios.size()];
                ratios.push_back({x, std::nullopt});
                if (!isInline) {
                    ratioOpen = line.app().remaining_size();
                }
            },
            ratioUsage)
        ->trigger_on_parse();
    if (const auto status = parseCommandLine(line, arguments, commandUsage("render"), out, err)) {
        return status;
    }
    closeRatio();

    if (line.app().count("--output") > 0 && options.output.empty()) {
        // Named as typed: "-o", "--output" or "--output=".
        const auto typed = std::find_if(arguments.rbegin(), arguments.rend(), [](const auto& word) {
            return word == "-o" || word.starts_with("--output");
        });
        return usageError(err, (typed != arguments.rend() ? *typed : "-o") + " needs a file name");
    }
    if (line.app().count("--format") > 0) {
        const auto named = PlaneFileWriter::formatNamed(QString::fromStdString(format));
        if (!named) {
            return usageError(err, "--format needs png, svg or pdf");
        }
        options.format = *named;
    } else {
        options.format = PlaneFileWriter::formatForFileName(QString::fromStdString(options.output));
    }
    if (line.app().count("--size") > 0 && !parseSize(size, options)) {
        return usageError(err, "--size needs WxH, whole pixels from 1 to 16384");
    }
    for (const std::string& text : colors) {
        bool hasAlpha = false;
        const auto color = parseColor(text, &hasAlpha);
        if (!color) {
            return usageError(err, "--color needs RRGGBB or RRGGBBAA in hexadecimal");
        }
        options.colors.push_back({*color, hasAlpha});
    }
    if (!center.empty()) {
        const auto x = parseNumber(center[0]);
        const auto y = parseNumber(center[1]);
        if (!x || !y || !std::isfinite(*x) || !std::isfinite(*y)) {
            return usageError(err, "--center needs X Y, two finite numbers");
        }
        options.centerX = *x;
        options.centerY = *y;
    }
    std::vector<std::size_t> taken;
    for (const RatioGiven& ratio : ratios) {
        const auto x = parseNumber(ratio.x);
        if (!x || !usableRatio(*x)) {
            return usageError(err, "--ratio needs " + ratioUsage);
        }
        options.ratioX = *x;
        options.ratioY = *x;
        // One number sets both axes; a number right after it is the y ratio.
        const auto y = ratio.next ? parseNumber(line.remaining()[*ratio.next]) : std::nullopt;
        if (y) {
            if (!usableRatio(*y)) {
                return usageError(err, "--ratio needs " + ratioUsage);
            }
            options.ratioY = *y;
            taken.push_back(*ratio.next);
        }
    }
    // Each word is one equation: quote an expression that has blanks.
    options.expressions = line.words(taken);
    if (options.expressions.empty()) {
        return usageError(err, "render needs at least one expression");
    }
    if (options.output.empty()) {
        return usageError(err, "render needs -o FILE.png");
    }
    if (options.colors.size() > options.expressions.size()) {
        return usageError(err, "more --color values than expressions");
    }
    return std::nullopt;
}

void printJson(std::ostream& out, const RenderOptions& options,
               const std::vector<RVEquation2D*>& equations) {
    JsonWriter json;
    json.beginObject()
        .key("ok")
        .value(true)
        .key("file")
        .value(options.output)
        .key("width")
        .value(options.width)
        .key("height")
        .value(options.height)
        .key("equations")
        .beginArray();
    for (std::size_t i = 0; i < equations.size(); ++i) {
        json.beginObject()
            .key("expression")
            .value(options.expressions[i])
            .key("type")
            .value(toInt(equations[i]->type()))
            .key("color")
            .value(hexStringFromColor(equations[i]->color()).toStdString())
            .key("dataObjectCount")
            .value(static_cast<int>(equations[i]->dataObjectCount()))
            .endObject();
    }
    json.endArray().endObject();
    out << json.text() << '\n';
}

}  // namespace

int runRender(Arguments arguments, std::ostream& out, std::ostream& err) {
    RenderOptions options;
    if (const auto status = readOptions(arguments, options, out, err)) {
        return *status;
    }

    VariableTable table{};
    std::vector<std::unique_ptr<RVEquation2D>> equations;
    if (const auto status = makeDrawnEquations(
            options.expressions, options.colors, options.json, table,
            [](auto tree) { return RVEquation2D::equation2DwithOperationTree(std::move(tree)); },
            equations, out, err)) {
        return *status;
    }

    const QtMessageFilter quiet;
    // The view is a widget; without a display it runs offscreen.
    const std::unique_ptr<QApplication> application = offscreenApplicationIfNone<QApplication>();
    if (qobject_cast<QApplication*>(QCoreApplication::instance()) == nullptr) {
        return outputFailure(out, err, options.json, "rendering needs a widget application");
    }

    // The window the options give, sampled as the view samples (with its default device class)
    // and painted as the view paints.
    PlanePainter::Frame frame;
    frame.viewport.setSize(options.width, options.height);
    frame.viewport.centerOn({options.centerX, options.centerY});
    frame.viewport.setPixelUnitRatios(options.ratioX, options.ratioY);
    std::vector<RVEquation2D*> plane;
    for (const std::unique_ptr<RVEquation2D>& equation : equations) {
        equation->evaluateWithLimits(frame.viewport.evaluationLimits(), DeviceClass::Phone);
        plane.push_back(equation.get());
    }
    PlanePainter planePainter;
    planePainter.setUseDarkBackground(options.dark);
    planePainter.setUseThickLines(options.thick);
    const auto draw = [&](QPainter& painter) { planePainter.paint(painter, frame, plane); };
    if (const auto error =
            PlaneFileWriter::write(QString::fromStdString(options.output), options.format,
                                   QSize(options.width, options.height), draw)) {
        return outputFailure(out, err, options.json,
                             "cannot write " + options.output + ": " + error->toStdString());
    }
    if (options.json) {
        printJson(out, options, plane);
    } else {
        out << options.output << '\n';
    }
    return kExitSuccess;
}

}  // namespace plotwise::cli
