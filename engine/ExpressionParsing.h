#pragma once

#include <memory>
#include <optional>
#include <string>

#include "engine/ParserMessage.h"
#include "engine/RVOperationTree.h"

namespace plotwise {

// Parses like the keyboard: a tree that contains a derivative is simplified fully, so it can
// be evaluated and compiled. Fails with the parser's message, or "Expression too complex".
struct ParsedExpression {
    std::unique_ptr<RVOperationTree> tree;
    std::optional<ParserMessage> error;
    unsigned errorPosition = 0;
};
ParsedExpression parseExpression(const std::u16string& text, double* table);

// The message of work that outgrew the simplification budget.
ParserMessage expressionTooComplex();

}  // namespace plotwise
