#include "cli/TypesetCommand.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>

#include <charconv>
#include <cmath>
#include <memory>
#include <ostream>

#include "cli/AsciiSpellings.h"
#include "cli/JsonWriter.h"
#include "cli/QtCommandSupport.h"
#include "cli/Usage.h"
#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "typeset/ExpressionImage.h"
#include "typeset/FormulaLayout.h"

namespace plotwise::cli {

namespace {

// Beyond this depth every font is at its smallest size and every stroke at its thinnest.
constexpr unsigned kMaximumDepth = 1000;
constexpr double kMaximumScale = 16.0;

struct TypesetOptions {
    std::string expression;
    std::string output;
    unsigned depth = 0;
    QColor color = Qt::black;
    double scale = 2.0;
    bool json = false;
};

std::optional<unsigned> parseDepth(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value > kMaximumDepth) {
        return std::nullopt;
    }
    return value;
}

// Returns an exit status when the command ends here (help, unusable arguments).
std::optional<int> readOptions(Arguments arguments, TypesetOptions& options, std::ostream& out,
                               std::ostream& err) {
    CommandLine line("typeset");
    std::string depth;
    std::string color;
    std::string scale;
    line.flag("--json", options.json);
    line.option("-o,--output", options.output, "a file name");
    line.option("--depth", depth, "a whole number from 0 to 1000");
    line.option("--color", color, "RRGGBB or RRGGBBAA in hexadecimal");
    line.option("--scale", scale, "a number above 0 and at most 16");
    if (const auto status = parseCommandLine(line, arguments, commandUsage("typeset"), out, err)) {
        return status;
    }
    if (line.app().count("--depth") > 0) {
        const auto parsed = parseDepth(depth);
        if (!parsed) {
            return usageError(err, "--depth needs a whole number from 0 to 1000");
        }
        options.depth = *parsed;
    }
    if (line.app().count("--color") > 0) {
        const auto parsed = parseColor(color);
        if (!parsed) {
            return usageError(err, "--color needs RRGGBB or RRGGBBAA in hexadecimal");
        }
        options.color = *parsed;
    }
    if (line.app().count("--scale") > 0) {
        const auto parsed = parseNumber(scale);
        if (!parsed || !(*parsed > 0.0) || *parsed > kMaximumScale) {
            return usageError(err, "--scale needs a number above 0 and at most 16");
        }
        options.scale = *parsed;
    }
    const std::vector<std::string> words = line.words();
    if (words.empty()) {
        return usageError(err, "typeset needs an expression");
    }
    options.expression = joinedWords(words);
    if (options.output.empty()) {
        return usageError(err, "typeset needs -o FILE.png");
    }
    return std::nullopt;
}

}  // namespace

int runTypeset(Arguments arguments, std::ostream& out, std::ostream& err) {
    TypesetOptions options;
    if (const auto status = readOptions(arguments, options, out, err)) {
        return *status;
    }

    const QtMessageFilter quiet;
    // Fonts need a QGuiApplication; without a display it runs offscreen.
    const std::unique_ptr<QGuiApplication> application =
        offscreenApplicationIfNone<QGuiApplication>();
    if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return outputFailure(out, err, options.json, "typesetting needs a graphical application");
    }

    VariableTable table{};
    const ParsedExpression parsed = parseTypedExpression(options.expression, table.data());
    if (!parsed.tree) {
        return inputFailure(out, err, options.json, toUtf8(parsed.error->text()),
                            parsed.errorPosition);
    }

    FormulaLayout layout(parsed.tree.get());
    const QImage image = ExpressionImage::imageOfLayout(layout, options.depth, options.color,
                                                        QColor(), options.scale);
    if (image.isNull()) {
        return outputFailure(out, err, options.json, "the formula is too large for an image");
    }
    if (const auto error = writePng(image, QString::fromStdString(options.output))) {
        return outputFailure(out, err, options.json,
                             "cannot write " + options.output + ": " + *error);
    }

    if (options.json) {
        const OperationScreenSize& box = layout.size();
        JsonWriter json;
        json.beginObject()
            .key("ok")
            .value(true)
            .key("width")
            .value(box.width())
            .key("height")
            .value(box.height())
            .key("baselineOffset")
            .value(box.baselineOffset)
            .endObject();
        out << json.text() << '\n';
    }
    return kExitSuccess;
}

}  // namespace plotwise::cli
