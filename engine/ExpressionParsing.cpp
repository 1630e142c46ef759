#include "engine/ExpressionParsing.h"

#include "engine/RVParser.h"

namespace plotwise {

ParserMessage expressionTooComplex() {
    return ParserMessage{std::u16string(kExpressionTooComplex), {}};
}

ParsedExpression parseExpression(const std::u16string& text, double* table) {
    ParsedExpression result;
    RVParser parser;
    result.tree = parser.parse(text, table);
    if (!result.tree) {
        result.error = parser.errorMessage();
        result.errorPosition = parser.errorPos();
        return result;
    }
    if (result.tree->containsDerivative()) {
        result.tree->simplify();
        if (result.tree->simplificationExhausted()) {
            result.tree.reset();
            result.error = expressionTooComplex();
        }
    }
    return result;
}

}  // namespace plotwise
