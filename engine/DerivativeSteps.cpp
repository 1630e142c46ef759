#include "engine/DerivativeSteps.h"

#include "engine/ExpressionParsing.h"
#include "engine/RVParser.h"
#include "engine/ReadableForm.h"
#include "engine/SimplificationBudget.h"

namespace plotwise {

namespace {
constexpr std::size_t kMaximumKeptNodes = 200000;

}  // namespace

DerivativeSteps derivativeSteps(const std::u16string& text, double* table) {
    DerivativeSteps result;
    RVParser parser;
    auto input = parser.parse(text, table);
    if (!input) {
        result.error = parser.errorMessage();
        result.errorPosition = parser.errorPos();
        return result;
    }
    auto working = parser.parse(text, table);
    result.steps.push_back(std::move(input));

    SimplificationBudget budget;
    // Every step is kept as a tree of its own, so the steps together get a budget as well.
    std::size_t keptNodes = nodeCount(*result.steps.front());
    for (;;) {
        budget.startPass();
        if (!working->stepSimplify()) {
            result.readable = readableText(*working);
            if (result.readable != result.steps.back()->description()) {
                RVParser readableParser;
                result.simplified = readableParser.parse(result.readable, table);
            }
            result.result = std::move(working);
            return result;
        }
        const std::size_t nodes = nodeCount(*working);
        keptNodes += nodes;
        if (!budget.chargePass(nodes) || keptNodes > kMaximumKeptNodes) {
            break;
        }
        RVParser stepParser;
        auto step = stepParser.parse(working->description(), table);
        if (!step) {
            break;  // deeper than the parser reads back
        }
        result.steps.push_back(std::move(step));
    }
    result.steps.clear();
    result.error = expressionTooComplex();
    return result;
}

}  // namespace plotwise
