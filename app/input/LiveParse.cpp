#include "app/input/LiveParse.h"

#include <QCoreApplication>
#include <algorithm>

#include "app/input/ParserMessageText.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "typeset/FormulaLayout.h"

namespace plotwise {

LiveParse LiveParse::parseSource(const QString& text, double* table) {
    LiveParse result;
    if (text.isEmpty()) {
        return result;
    }
    std::fill(table, table + kVariableCount, 0.0);
    const std::u16string source = text.toStdU16String();
    ParsedExpression parsed = parseExpression(source, table);
    if (!parsed.tree) {
        result.state = State::Failed;
        result.resultText = translatedParserMessage(*parsed.error);
        result.errorPosition = static_cast<int>(parsed.errorPosition);
        return result;
    }
    result.state = State::Parsed;
    result.tree = std::move(parsed.tree);
    result.equationType = classifyExpression(*result.tree).equationType;
    // The formula shows what was typed: a derivative is laid out before it is carried out, so
    // its text is parsed once more without simplifying.
    result.containsDerivative = source.find(u"d/d") != std::u16string::npos;
    std::unique_ptr<RVOperationTree> typed;
    if (result.containsDerivative) {
        std::fill(table, table + kVariableCount, 0.0);
        typed = RVParser().parse(source, table);
        result.containsDerivative = typed && typed->containsDerivative();
    }
    const RVOperationTree& shown = typed ? *typed : *result.tree;
    result.formula = std::make_shared<FormulaLayout>(&shown, formulaFontSize);
    const double value = result.tree->value();
    const std::u16string preview = previewText(*result.tree, value);
    if (preview == u"True" || preview == u"False") {
        const QByteArray english = QString::fromStdU16String(preview).toLatin1();
        result.resultText =
            QCoreApplication::translate("RVPWKeyboardViewController", english.constData());
    } else {
        result.resultText = QString::fromStdU16String(preview);
    }
    return result;
}

}  // namespace plotwise
