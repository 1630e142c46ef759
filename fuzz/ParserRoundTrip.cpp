#include "fuzz/ParserRoundTrip.h"

#include <array>
#include <cmath>
#include <cstring>

#include "engine/RVParser.h"
#include "engine/ReadableForm.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

namespace plotwise::fuzz {

namespace {

bool sameValue(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Compiled max and min use the floating-point maximum and minimum, which differ from the
// tree's comparison when an argument is NaN.
bool usesMaxOrMin(std::u16string_view text) {
    const std::u16string lower = asciiLowercase(text);
    return lower.find(u"max") != std::u16string::npos || lower.find(u"min") != std::u16string::npos;
}

std::string describe(std::u16string_view what, std::u16string_view text, double a, double b) {
    return toUtf8(what) + " for '" + toUtf8(text) + "': " + shortestText(a) + " vs " +
           shortestText(b);
}

// Full simplification within its budget: no derivative survives, parent links hold, and the
// result prints to text that reads back.
std::optional<std::string> checkSimplification(const std::u16string& source) {
    VariableTable table{};
    RVParser parser;
    const auto tree = parser.parse(source, table.data());
    if (!tree) {
        return std::nullopt;
    }
    tree->simplify();
    if (tree->simplificationExhausted()) {
        return std::nullopt;
    }
    const std::string input = toUtf8(source);
    if (tree->containsDerivative()) {
        return "a derivative survived the simplification of '" + input + "'";
    }
    if (!tree->hasConsistentParents()) {
        return "parent links broken by simplifying '" + input + "'";
    }
    RVParser reparser;
    if (!reparser.parse(tree->description(), table.data())) {
        return "simplified '" + input + "' prints as '" + toUtf8(tree->description()) +
               "', which does not parse: " + toUtf8(reparser.error());
    }
    // The readable form reads back too, and is never longer than the result it presents.
    const std::u16string readable = readableText(*tree);
    RVParser readableParser;
    const auto readableTree = readableParser.parse(readable, table.data());
    if (!readableTree) {
        return "readable form '" + toUtf8(readable) + "' of '" + input +
               "' does not parse: " + toUtf8(readableParser.error());
    }
    if (readable.size() > tree->description().size()) {
        return "readable form '" + toUtf8(readable) + "' of '" + input + "' is longer than '" +
               toUtf8(tree->description()) + "'";
    }
    readableTree->value();
    return std::nullopt;
}

}  // namespace

std::optional<std::string> checkParserRoundTrip(std::string_view utf8) {
    const std::u16string source = toUtf16(utf8);
    constexpr std::array<VariableTable, 3> assignments = {{
        {0.5, -1.25, 2.0, 0.75, 1.0, -0.5},
        {-3.0, 0.0, 1e-3, 2.5, -2.0, 3.5},
        {7.0, 11.0, -13.0, 0.0, 0.25, 100.0},
    }};
    for (const VariableTable& assignment : assignments) {
        VariableTable table = assignment;
        RVParser parser;
        const auto tree = parser.parse(source, table.data());
        if (!tree) {
            if (parser.errorPos() > source.size()) {
                return "error position " + std::to_string(parser.errorPos()) +
                       " beyond the text '" + std::string(utf8) + "'";
            }
            return std::nullopt;
        }
        if (!tree->hasConsistentParents()) {
            return "parent links broken for '" + std::string(utf8) + "'";
        }
        const VariableTable afterStatements = table;
        const double treeValue = tree->value();

        table = afterStatements;
        const CompiledExpression compiled = tree->compile();
        const double compiledValue = compiled.evaluate();
        if (!sameValue(treeValue, compiledValue) && !usesMaxOrMin(source)) {
            return describe(u"compiled and tree values differ", source, treeValue, compiledValue);
        }

        const std::u16string printed = tree->description();
        table = afterStatements;
        RVParser reparser;
        const auto reparsed = reparser.parse(printed, table.data());
        if (!reparsed) {
            return "printed text '" + toUtf8(printed) + "' of '" + std::string(utf8) +
                   "' does not parse: " + toUtf8(reparser.error());
        }
        const double reparsedValue = reparsed->value();
        if (!sameValue(treeValue, reparsedValue)) {
            return describe(u"printed text reads back to another value", printed, treeValue,
                            reparsedValue);
        }
    }
    return checkSimplification(source);
}

}  // namespace plotwise::fuzz
