#pragma once

#include <memory>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "cli/AsciiSpellings.h"
#include "cli/CommandSupport.h"
#include "cli/QtCommandSupport.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

namespace plotwise::cli {

// The equations a drawing command draws, made as a screen makes them: each expression parsed like
// the keyboard (derivatives carried out) into one shared variable table, wrapped by `wrap`,
// visible, in its chosen colour. Bad text is reported and its exit status returned.
template <typename Equation, typename Wrap>
std::optional<int> makeDrawnEquations(const std::vector<std::string>& expressions,
                                      const std::vector<ChosenColor>& colors, bool json,
                                      VariableTable& table, Wrap wrap,
                                      std::vector<std::unique_ptr<Equation>>& equations,
                                      std::ostream& out, std::ostream& err) {
    for (const std::string& text : expressions) {
        ParsedExpression parsed = parseTypedExpression(text, table.data());
        if (!parsed.tree) {
            return inputFailure(out, err, json,
                                toUtf8(parsed.error->text()) + " in '" + echoed(text) + "'",
                                parsed.errorPosition);
        }
        std::unique_ptr<Equation> equation = wrap(std::move(parsed.tree));
        equation->setVisible(true);
        equation->setColor(colorForExpression(colors, equations.size(), equation->type()));
        equations.push_back(std::move(equation));
    }
    return std::nullopt;
}

}  // namespace plotwise::cli
