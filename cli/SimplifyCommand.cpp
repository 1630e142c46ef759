#include "cli/SimplifyCommand.h"

#include <ostream>

#include "cli/JsonWriter.h"
#include "cli/Usage.h"
#include "engine/DerivativeSteps.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

namespace plotwise::cli {

int runSimplify(Arguments arguments, std::ostream& out, std::ostream& err) {
    bool json = false;
    bool steps = false;
    bool readable = false;
    CommandLine line("simplify");
    line.flag("--json", json);
    line.flag("--steps", steps);
    line.flag("--readable", readable);
    if (const auto status = parseCommandLine(line, arguments, commandUsage("simplify"), out, err)) {
        return *status;
    }
    const std::vector<std::string> words = line.words();
    if (words.empty()) {
        return usageError(err, "simplify needs an expression");
    }
    const std::string expression = joinedWords(words);

    VariableTable table{};
    const DerivativeSteps result = derivativeSteps(toUtf16(expression), table.data());
    if (result.error) {
        return inputFailure(out, err, json, toUtf8(result.error->text()), result.errorPosition);
    }
    const std::string resultText = toUtf8(result.result->description());
    const std::string readableText = toUtf8(result.readable);
    std::vector<std::string> texts;
    for (const auto& step : result.steps) {
        texts.push_back(toUtf8(step->description()));
    }
    if (json) {
        JsonWriter writer;
        writer.beginObject().key("ok").value(true).key("result").value(resultText);
        writer.key("readable").value(readableText);
        writer.key("steps").beginArray();
        for (const std::string& text : texts) {
            writer.value(text);
        }
        writer.endArray().endObject();
        out << writer.text() << '\n';
    } else if (steps) {
        for (const std::string& text : texts) {
            out << text << '\n';
        }
        // The readable form as the last "Simplified" step, where it reads differently.
        if (readable && result.simplified) {
            out << readableText << '\n';
        }
    } else {
        out << (readable ? readableText : resultText) << '\n';
    }
    return kExitSuccess;
}

}  // namespace plotwise::cli
