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

std::string echoed(std::string_view text) {
    constexpr std::size_t kMostCharacters = 80;
    std::size_t characters = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        // A character starts at every byte that does not continue one (10xxxxxx).
        if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
            if (characters == kMostCharacters) {
                return std::string(text.substr(0, i)) + "…";
            }
            ++characters;
        }
    }
    return std::string(text);
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

std::optional<int> parseCommandLine(CommandLine& line, Arguments arguments, std::string_view usage,
                                    std::ostream& out, std::ostream& err) {
    switch (line.parse(arguments)) {
        case CommandLine::Outcome::Parsed:
            return std::nullopt;
        case CommandLine::Outcome::Help:
            out << usage;
            return kExitSuccess;
        case CommandLine::Outcome::UsageError:
            break;
    }
    return usageError(err, line.error());
}

std::string joinedWords(const std::vector<std::string>& words) {
    std::string joined;
    for (std::size_t i = 0; i < words.size(); ++i) {
        joined += i == 0 ? words[i] : " " + words[i];
    }
    return joined;
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
