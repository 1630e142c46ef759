#include "TypesetCommand.h"

#include <QColor>
#include <QGuiApplication>
#include <QImage>
#include <QImageWriter>

#include <charconv>
#include <cmath>
#include <memory>
#include <ostream>

#include "DerivativeSteps.h"
#include "ExpressionImage.h"
#include "FormulaLayout.h"
#include "JsonWriter.h"
#include "TextUtilities.h"
#include "VariableTable.h"

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

// RRGGBB or RRGGBBAA, with or without a leading '#'.
std::optional<QColor> parseColor(std::string_view text) {
    if (text.starts_with('#')) {
        text.remove_prefix(1);
    }
    if (text.size() != 6 && text.size() != 8) {
        return std::nullopt;
    }
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, 16);
    if (error != std::errc() || end != text.data() + text.size()) {
        return std::nullopt;
    }
    if (text.size() == 6) {
        return QColor((value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
    }
    return QColor((value >> 24) & 0xFF, (value >> 16) & 0xFF, (value >> 8) & 0xFF, value & 0xFF);
}

std::optional<unsigned> parseDepth(std::string_view text) {
    unsigned value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size() ||
        value > kMaximumDepth) {
        return std::nullopt;
    }
    return value;
}

enum class Match { No, Yes, MissingValue };

// Whether arguments[i] is the option `name`, given as "NAME VALUE" or, for a long option,
// "NAME=VALUE"; on a match `value` holds the value and i points at the last word used.
Match matchOption(Arguments arguments, size_t& i, std::string_view name, std::string& value) {
    const std::string& argument = arguments[i];
    if (argument == name) {
        if (i + 1 >= arguments.size()) {
            return Match::MissingValue;
        }
        value = arguments[++i];
        return Match::Yes;
    }
    if (name.starts_with("--") && argument.size() > name.size() && argument.starts_with(name) &&
        argument[name.size()] == '=') {
        value = argument.substr(name.size() + 1);
        return Match::Yes;
    }
    return Match::No;
}

// Returns an exit status when the arguments are unusable.
std::optional<int> readOptions(Arguments arguments, TypesetOptions& options, std::ostream& err) {
    bool positionalOnly = false;
    bool haveExpression = false;
    bool haveOutput = false;
    for (size_t i = 0; i < arguments.size(); ++i) {
        const std::string& argument = arguments[i];
        std::string value;
        Match match = Match::No;
        const auto option = [&](std::string_view name) {
            match = positionalOnly ? Match::No : matchOption(arguments, i, name, value);
            return match != Match::No;
        };
        if (!positionalOnly && argument == "--") {
            positionalOnly = true;
        } else if (!positionalOnly && argument == "--json") {
            options.json = true;
        } else if (option("-o") || option("--output")) {
            if (match == Match::MissingValue) {
                return usageError(err, argument + " needs a file name");
            }
            options.output = value;
            haveOutput = true;
        } else if (option("--depth")) {
            const auto depth = parseDepth(value);
            if (match == Match::MissingValue || !depth) {
                return usageError(err, "--depth needs a whole number from 0 to 1000");
            }
            options.depth = *depth;
        } else if (option("--color")) {
            const auto color = parseColor(value);
            if (match == Match::MissingValue || !color) {
                return usageError(err, "--color needs RRGGBB or RRGGBBAA in hexadecimal");
            }
            options.color = *color;
        } else if (option("--scale")) {
            const auto scale = parseNumber(value);
            if (match == Match::MissingValue || !scale || !(*scale > 0.0) ||
                *scale > kMaximumScale) {
                return usageError(err, "--scale needs a number above 0 and at most 16");
            }
            options.scale = *scale;
        } else if (!positionalOnly && argument.size() > 2 && argument.starts_with("--")) {
            return usageError(err, "unknown option '" + argument + "'");
        } else {
            // Words of an unquoted expression are joined by blanks, which the scanner skips.
            options.expression += haveExpression ? " " + argument : argument;
            haveExpression = true;
        }
    }
    if (!haveExpression) {
        return usageError(err, "typeset needs an expression");
    }
    if (!haveOutput || options.output.empty()) {
        return usageError(err, "typeset needs -o FILE.png");
    }
    return std::nullopt;
}

// The platform's chatter (a missing runtime directory, font configuration notes) would break
// the one-line error contract; only critical messages reach standard error.
void criticalMessagesOnly(QtMsgType type, const QMessageLogContext&, const QString& message) {
    if (type == QtCriticalMsg || type == QtFatalMsg) {
        fputs(qPrintable(message + QLatin1Char('\n')), stderr);
    }
}

class MessageFilter {
public:
    MessageFilter() : previous_(qInstallMessageHandler(criticalMessagesOnly)) {}
    ~MessageFilter() { qInstallMessageHandler(previous_); }
    MessageFilter(const MessageFilter&) = delete;
    MessageFilter& operator=(const MessageFilter&) = delete;

private:
    QtMessageHandler previous_;
};

int failure(std::ostream& out, std::ostream& err, bool json, const std::string& message) {
    if (json) {
        JsonWriter writer;
        writer.beginObject().key("ok").value(false).key("error").value(message).endObject();
        out << writer.text() << '\n';
    }
    err << "error: " << message << '\n';
    return kExitInputFailure;
}

}  // namespace

int runTypeset(Arguments arguments, std::ostream& out, std::ostream& err) {
    TypesetOptions options;
    if (const auto status = readOptions(arguments, options, err)) {
        return *status;
    }

    const MessageFilter quiet;
    // Fonts need a QGuiApplication; without a display it runs offscreen.
    std::unique_ptr<QGuiApplication> application;
    if (QCoreApplication::instance() == nullptr) {
        if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) {
            qputenv("QT_QPA_PLATFORM", "offscreen");
        }
        static int argc = 1;
        static char name[] = "plotwise-cli";
        static char* argv[] = {name, nullptr};
        application = std::make_unique<QGuiApplication>(argc, argv);
    } else if (qobject_cast<QGuiApplication*>(QCoreApplication::instance()) == nullptr) {
        return failure(out, err, options.json, "typesetting needs a graphical application");
    }

    VariableTable table{};
    const ParsedExpression parsed = parseExpression(toUtf16(options.expression), table.data());
    if (!parsed.tree) {
        return inputFailure(out, err, options.json, toUtf8(parsed.error->text()),
                            parsed.errorPosition);
    }

    FormulaLayout layout(parsed.tree.get());
    const QImage image = ExpressionImage::imageOfLayout(layout, options.depth, options.color,
                                                        QColor(), options.scale);
    if (image.isNull()) {
        return failure(out, err, options.json, "the formula is too large for an image");
    }
    QImageWriter writer(QString::fromStdString(options.output), "png");
    if (!writer.write(image)) {
        return failure(
            out, err, options.json,
            "cannot write " + options.output + ": " + writer.errorString().toStdString());
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
