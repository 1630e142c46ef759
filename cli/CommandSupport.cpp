#include "cli/CommandSupport.h"

#include <array>
#include <charconv>
#include <ostream>

#include "cli/JsonWriter.h"

namespace plotwise::cli {

namespace {
constexpr std::array<std::string_view, 6> kLetters = {"x", "y", "z", "r", "Θ", "Φ"};
}

int usageError(std::ostream& err, std::string_view message) {
    err << "plotwise-cli: " << message << " (see plotwise-cli --help)\n";
    return kExitUsage;
}

int inputFailure(std::ostream& out, std::ostream& err, bool json, const std::string& message,
                 unsigned position) {
    if (json) {
        JsonWriter writer;
        writer.beginObject()
            .key("ok")
            .value(false)
            .key("error")
            .value(message)
            .key("position")
            .value(static_cast<int>(position))
            .endObject();
        out << writer.text() << '\n';
    }
    err << "error at " << position << ": " << message << '\n';
    return kExitInputFailure;
}

int outputFailure(std::ostream& out, std::ostream& err, bool json, const std::string& message) {
    if (json) {
        JsonWriter writer;
        writer.beginObject().key("ok").value(false).key("error").value(message).endObject();
        out << writer.text() << '\n';
    }
    err << "error: " << message << '\n';
    return kExitInputFailure;
}

std::optional<int> appendExpressionWord(const std::string& argument, bool positionalOnly,
                                        std::string& expression, bool& haveExpression,
                                        std::ostream& err) {
    if (!positionalOnly && argument.size() > 2 && argument.starts_with("--")) {
        return usageError(err, "unknown option '" + argument + "'");
    }
    expression += haveExpression ? " " + argument : argument;
    haveExpression = true;
    return std::nullopt;
}

OptionMatch matchOption(Arguments arguments, std::size_t& i, std::string_view name,
                        std::string& value) {
    const std::string& argument = arguments[i];
    if (argument == name) {
        if (i + 1 >= arguments.size()) {
            return OptionMatch::MissingValue;
        }
        value = arguments[++i];
        return OptionMatch::Yes;
    }
    if (name.starts_with("--") && argument.size() > name.size() && argument.starts_with(name) &&
        argument[name.size()] == '=') {
        value = argument.substr(name.size() + 1);
        return OptionMatch::Yes;
    }
    return OptionMatch::No;
}

std::optional<double> parseNumber(std::string_view text) {
    if (!text.empty() && text.front() == '+') {
        text.remove_prefix(1);
    }
    double value = 0;
    const auto result = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || result.ec != std::errc() || result.ptr != text.data() + text.size()) {
        return std::nullopt;
    }
    return value;
}

std::optional<int> variableIndexForName(std::string_view name) {
    for (size_t i = 0; i < kLetters.size(); ++i) {
        if (name == kLetters[i]) {
            return static_cast<int>(i);
        }
    }
    if (name == "theta") {
        return 4;
    }
    if (name == "phi") {
        return 5;
    }
    return std::nullopt;
}

std::string variableLetter(int index) {
    return std::string(kLetters.at(static_cast<size_t>(index)));
}

}  // namespace plotwise::cli
