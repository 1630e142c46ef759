#include "engine/DerivativeText.h"

#include "engine/RVFunction.h"
#include "engine/RVParser.h"
#include "engine/RVVariable.h"
#include "engine/SimplificationBudget.h"
#include "engine/TextUtilities.h"

namespace plotwise {

std::u16string fillTemplate(std::u16string_view format, const std::vector<std::u16string>& items) {
    return formatMessage(format, items);
}

std::u16string derivativeOf(const RVVariable& variable, std::u16string_view text) {
    std::u16string out = u"d/d";
    out += variable.token().spelling();
    out += u'(';
    out += text;
    out += u')';
    return out;
}

std::unique_ptr<RVOperation> replaceByDerivativeText(RVOperation& node, const std::u16string& text,
                                                     const RVVariable& variable) {
    SimplificationBudget* budget = SimplificationBudget::current();
    if (budget && !budget->allowTemplate(text.size())) {
        return nullptr;
    }
    RVParser parser;
    auto tree = parser.parse(text, variable.variableTable());
    if (!tree) {
        // Operands print so that they read back, so this is the nesting cap: the derivative
        // has grown too deep.
        if (budget) {
            budget->markExhausted();
        }
        return nullptr;
    }
    RVOperation* parent = node.parent();
    if (parent == nullptr) {
        return nullptr;
    }
    return parent->replaceOperation(&node, tree->setRoot(nullptr));
}

bool dependsOnVariable(const RVOperation& operation, const RVVariable& variable) {
    if (const auto* leaf = dynamic_cast<const RVVariable*>(&operation)) {
        return leaf->variableIndex() == variable.variableIndex();
    }
    bool found = false;
    operation.forEachChild(
        [&](const RVOperation& child) { found = found || dependsOnVariable(child, variable); });
    return found;
}

std::u16string rootDerivativeText(std::u16string_view n, std::u16string_view a,
                                  const RVVariable& variable) {
    const std::u16string index(n);
    const std::u16string radicand(a);
    return fillTemplate(u"d/d%@(%@)/((%@)*((%@)√(%@))^((%@)-1))",
                        {variable.token().spelling(), radicand, index, index, radicand, index});
}

std::unique_ptr<RVOperation> makeDerivative(const RVVariable& variable,
                                            std::unique_ptr<RVOperation> operand) {
    std::vector<std::unique_ptr<RVOperation>> arguments;
    arguments.push_back(RVVariable::variableWithToken(variable.token(), variable.variableTable()));
    arguments.push_back(std::move(operand));
    return RVFunction::functionWithToken(RVToken(TOKEN_DERIVATIVE, u"d/d", 0),
                                         std::move(arguments));
}

}  // namespace plotwise
