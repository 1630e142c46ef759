#include "cli/Sample2dCommand.h"

#include <array>
#include <cmath>
#include <ostream>

#include "cli/AsciiSpellings.h"
#include "cli/JsonWriter.h"
#include "cli/Usage.h"
#include "common/DeviceClass.h"
#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/ExplicitSampler.h"
#include "graph2d/sampling/GridNodeCache.h"
#include "graph2d/sampling/RegionBuilder.h"

namespace plotwise::cli {

namespace {

struct Sample2dOptions {
    std::array<double, 4> window{};  // MINX MAXX MINY MAXY
    std::array<double, 2> ratio{};
    bool tablet = false;
    bool json = false;
    std::string expression;
};

// The numbers an option was given; an exit status when one is not a number.
std::optional<int> readNumbers(const std::vector<std::string>& texts, double* into,
                               const std::string& name, const std::string& usage,
                               std::ostream& err) {
    for (std::size_t k = 0; k < texts.size(); ++k) {
        const auto number = parseNumber(texts[k]);
        if (!number) {
            return usageError(err,
                              name + " needs " + usage + ": '" + texts[k] + "' is not a number");
        }
        into[k] = *number;
    }
    return std::nullopt;
}

// Returns an exit status when the command ends here (help, unusable arguments).
std::optional<int> readOptions(Arguments arguments, Sample2dOptions& options, std::ostream& out,
                               std::ostream& err) {
    CommandLine line("sample2d");
    std::vector<std::string> window;
    std::vector<std::string> ratio;
    line.flag("--json", options.json);
    line.flag("--tablet", options.tablet);
    line.values("--window", window, 4, "MINX MAXX MINY MAXY");
    line.values("--ratio", ratio, 2, "RX RY");
    if (const auto status = parseCommandLine(line, arguments, commandUsage("sample2d"), out, err)) {
        return status;
    }
    if (auto status =
            readNumbers(window, options.window.data(), "--window", "MINX MAXX MINY MAXY", err)) {
        return status;
    }
    if (auto status = readNumbers(ratio, options.ratio.data(), "--ratio", "RX RY", err)) {
        return status;
    }
    const std::vector<std::string> words = line.words();
    if (words.empty()) {
        return usageError(err, "sample2d needs an expression");
    }
    options.expression = joinedWords(words);
    if (window.empty()) {
        return usageError(err, "sample2d needs --window MINX MAXX MINY MAXY");
    }
    if (ratio.empty()) {
        return usageError(err, "sample2d needs --ratio RX RY (points per unit)");
    }
    const auto& w = options.window;
    for (double value : w) {
        if (!std::isfinite(value)) {
            return usageError(err, "--window needs finite numbers");
        }
    }
    if (!(w[1] > w[0]) || !(w[3] > w[2])) {
        return usageError(err, "--window needs MINX < MAXX and MINY < MAXY");
    }
    for (double value : options.ratio) {
        if (!std::isfinite(value) || !(value > 0.0)) {
            return usageError(err, "--ratio needs positive finite numbers (points per unit)");
        }
    }
    return std::nullopt;
}

// Which limit a truncated sampling met, with its size: the buffer when it is (nearly) full,
// else the chunk count or the grid's node count the window would need.
std::string truncationLimit(const RVEquation2D& equation, const SampleBuffer2D& samples,
                            DeviceClass device) {
    const auto count = [](double n) { return shortestText(n); };
    if (equation.type() == EquationType::Inequality) {
        const std::uint32_t capacity = RegionBuilder::capacityFor(device);
        if (samples.records().size() + 2 >= capacity) {
            return count(capacity) + " region records";
        }
    } else if (samples.points().size() + 2 >= ExplicitSampler::defaultCapacity) {
        return count(ExplicitSampler::defaultCapacity) + " points";
    } else if (equation.type() != EquationType::Implicit) {
        return "the window needs more than " + count(ExplicitSampler::maximumChunkCount) +
               " chunks";
    }
    return "the window needs more than " + count(GridNodeCache::maximumNodeCount) + " grid nodes";
}

std::string numberText(double value) {
    if (std::isnan(value)) {
        return "nan";
    }
    if (std::isinf(value)) {
        return value > 0 ? "inf" : "-inf";
    }
    return shortestText(value);
}

// A sample's plane coordinates: its buffer's origin plus the sample (a sample from the plane's
// origin as it is, so that −0 stays −0).
std::array<double, 2> planePoint(const SampleBuffer2D& samples, const SamplePoint& point) {
    const auto add = [](double origin, float value) {
        return origin == 0.0 ? static_cast<double>(value) : origin + static_cast<double>(value);
    };
    return {add(samples.origin().x, point.x), add(samples.origin().y, point.y)};
}

void writePoint(JsonWriter& json, const SampleBuffer2D& samples, const SamplePoint& point) {
    const auto [x, y] = planePoint(samples, point);
    json.beginArray().value(x).value(y);
    json.endArray();
}

void printJson(std::ostream& out, const RVEquation2D& equation, const SampleBuffer2D& samples) {
    JsonWriter json;
    json.beginObject()
        .key("ok")
        .value(true)
        .key("type")
        .value(toInt(equation.type()))
        .key("dataObjectCount")
        .value(static_cast<int>(equation.dataObjectCount()));
    if (samples.truncated()) {
        json.key("truncated").value(true);
    }
    if (equation.type() == EquationType::Inequality) {
        json.key("records").beginArray();
        for (const RegionRecord& record : samples.records()) {
            json.beginObject().key("n").value(record.vertexCount).key("points").beginArray();
            for (int i = 0; i < record.vertexCount; ++i) {
                writePoint(json, samples, record.points[static_cast<std::size_t>(i)]);
            }
            json.endArray().endObject();
        }
    } else {
        json.key("points").beginArray();
        for (const SamplePoint& point : samples.points()) {
            writePoint(json, samples, point);
        }
    }
    json.endArray().endObject();
    out << json.text() << '\n';
}

void printPlain(std::ostream& out, const RVEquation2D& equation, const SampleBuffer2D& samples) {
    if (equation.type() == EquationType::Inequality) {
        for (const RegionRecord& record : samples.records()) {
            out << record.vertexCount;
            for (int i = 0; i < record.vertexCount; ++i) {
                const auto [x, y] = planePoint(samples, record.points[static_cast<std::size_t>(i)]);
                out << ' ' << numberText(x) << ' ' << numberText(y);
            }
            out << '\n';
        }
        return;
    }
    for (const SamplePoint& point : samples.points()) {
        const auto [x, y] = planePoint(samples, point);
        out << numberText(x) << ' ' << numberText(y) << '\n';
    }
}

}  // namespace

int runSample2d(Arguments arguments, std::ostream& out, std::ostream& err) {
    Sample2dOptions options;
    if (const auto status = readOptions(arguments, options, out, err)) {
        return *status;
    }
    // Like the keyboard: parse, carry out derivatives, wrap into a visible 2D equation.
    VariableTable table{};
    ParsedExpression parsed = parseTypedExpression(options.expression, table.data());
    if (!parsed.tree) {
        return inputFailure(out, err, options.json, toUtf8(parsed.error->text()),
                            parsed.errorPosition);
    }
    auto equation = RVEquation2D::equation2DwithOperationTree(std::move(parsed.tree));
    equation->setVisible(true);
    const auto& w = options.window;
    const EvaluationLimits2D limits =
        EvaluationLimits2D::withWindow(w[0], w[1], w[2], w[3], options.ratio[0], options.ratio[1]);
    equation->evaluateWithLimits(limits, options.tablet ? DeviceClass::Tablet : DeviceClass::Phone);
    const SampleBuffer2D* samples = equation->data();
    if (samples == nullptr) {
        return inputFailure(out, err, options.json, "not enough memory for the samples", 0);
    }
    if (samples->truncated()) {
        err << "warning: sampling stopped at its limit ("
            << truncationLimit(*equation, *samples,
                               options.tablet ? DeviceClass::Tablet : DeviceClass::Phone)
            << "); part of the graph is missing\n";
    }
    if (options.json) {
        printJson(out, *equation, *samples);
    } else {
        printPlain(out, *equation, *samples);
    }
    return kExitSuccess;
}

}  // namespace plotwise::cli
