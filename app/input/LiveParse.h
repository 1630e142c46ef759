#pragma once

#include <QString>
#include <QtGlobal>
#include <memory>

#include "engine/EquationType.h"
#include "engine/RVOperationTree.h"

namespace plotwise {

class FormulaLayout;

// What the expression screens show for a text while it is typed: the parse as the keyboard does
// it (derivatives simplified within budget), the value's preview or the translated error with
// its UTF-16 position, and the formula laid out from the text as typed.
struct LiveParse {
    enum class State { Empty, Parsed, Failed };

    State state = State::Empty;
    // The parsed (and simplified) tree; only when Parsed.
    std::unique_ptr<RVOperationTree> tree;
    // The preview ("%.10f", "True" or "False", translated) or the error message.
    QString resultText;
    int errorPosition = 0;
    bool containsDerivative = false;
    EquationType equationType = EquationType::Implicit;
    // The formula of the text before simplification, not yet laid out; only when Parsed.
    std::shared_ptr<FormulaLayout> formula;

    // The standard font size of the formulas the screens show, as large as the field's text.
    static constexpr qreal formulaFontSize = 20.0;

    bool succeeded() const { return state == State::Parsed; }

    // Sets the six slots of `table` to 0 and parses `text` against it.
    static LiveParse parseSource(const QString& text, double* table);
};

}  // namespace plotwise
