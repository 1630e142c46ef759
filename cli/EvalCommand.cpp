#include "cli/EvalCommand.h"

#include <ostream>

#include "cli/AsciiSpellings.h"
#include "cli/JsonWriter.h"
#include "cli/Usage.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/RVVariable.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

namespace plotwise::cli {

namespace {

struct EvalOptions {
    VariableTable table{};
    bool json = false;
    std::string expression;
};

// Returns an exit status when the command ends here (help, unusable arguments).
std::optional<int> readOptions(Arguments arguments, EvalOptions& options, std::ostream& out,
                               std::ostream& err) {
    CommandLine line("eval");
    std::vector<std::string> assignments;
    line.flag("--json", options.json);
    line.repeated("--set", assignments, "VAR=NUMBER");
    if (const auto status = parseCommandLine(line, arguments, commandUsage("eval"), out, err)) {
        return status;
    }
    for (const std::string& assignment : assignments) {
        const auto equals = assignment.find('=');
        if (equals == std::string::npos) {
            return usageError(err, "--set needs VAR=NUMBER, got '" + assignment + "'");
        }
        const auto index = variableIndexForName(assignment.substr(0, equals));
        if (!index) {
            return usageError(err, "unknown variable '" + assignment.substr(0, equals) +
                                       "' (use x, y, z, r, Θ, Φ, theta or phi)");
        }
        const auto number = parseNumber(std::string_view(assignment).substr(equals + 1));
        if (!number) {
            return usageError(err, "'" + assignment.substr(equals + 1) + "' is not a number");
        }
        options.table[static_cast<size_t>(*index)] = *number;
    }
    const std::vector<std::string> words = line.words();
    if (words.empty()) {
        return usageError(err, "eval needs an expression");
    }
    options.expression = joinedWords(words);
    return std::nullopt;
}

void writeTable(JsonWriter& json, const VariableTable& table) {
    json.beginObject();
    for (size_t i = 0; i < table.size(); ++i) {
        json.key(variableLetter(static_cast<int>(i))).value(table[i]);
    }
    json.endObject();
}

}  // namespace

int runEval(Arguments arguments, std::ostream& out, std::ostream& err) {
    EvalOptions options;
    if (const auto status = readOptions(arguments, options, out, err)) {
        return *status;
    }

    VariableTable table = options.table;
    // Like the keyboard: a derivative is carried out before the expression is evaluated.
    const ParsedExpression parsed = parseTypedExpression(options.expression, table.data());
    if (!parsed.tree) {
        return inputFailure(out, err, options.json, toUtf8(parsed.error->text()),
                            parsed.errorPosition);
    }
    const RVOperationTree* tree = parsed.tree.get();

    // Statements before a ";" have already run; both evaluators start from that table.
    const VariableTable afterStatements = table;
    const double value = tree->value();
    table = afterStatements;
    const CompiledExpression compiled = tree->compile();
    const double compiledValue = compiled.evaluate();
    const std::string preview = toUtf8(previewText(*tree, value));

    if (!options.json) {
        out << preview << '\n';
        return kExitSuccess;
    }
    const ExpressionClassification classification = classifyExpression(*tree);
    JsonWriter json;
    json.beginObject()
        .key("ok")
        .value(true)
        .key("value")
        .value(value)
        .key("compiledValue")
        .value(compiledValue)
        .key("preview")
        .value(preview)
        .key("printed")
        .value(toUtf8(tree->description()))
        .key("type")
        .value(toInt(classification.equationType))
        .key("relop")
        .value(classification.relopType)
        .key("isRelation")
        .value(classification.isRelation)
        .key("isAssignment")
        .value(classification.isAssignment)
        .key("variables")
        .beginArray();
    for (const RVVariable* variable : tree->variables()) {
        json.value(toUtf8(std::u16string(1, variable->letter())));
    }
    json.endArray().key("table");
    writeTable(json, table);
    json.endObject();
    out << json.text() << '\n';
    return kExitSuccess;
}

}  // namespace plotwise::cli
