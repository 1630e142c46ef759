#include "engine/RVFunction.h"

#include <cmath>

#include "engine/DerivativeText.h"
#include "engine/MathFunctions.h"
#include "engine/OperationNode.h"
#include "engine/RVFunctionDERIVATE.h"
#include "engine/RVNumber.h"
#include "engine/RVRelationOperation.h"
#include "engine/RVVariable.h"
#include "engine/TextUtilities.h"

namespace plotwise {

RVFunction::RVFunction(RVToken token, const FunctionDefinition& definition)
    : RVOperation(std::move(token)), definition_(&definition) {}

std::unique_ptr<RVFunction> RVFunction::functionWithToken(
    RVToken token, std::vector<std::unique_ptr<RVOperation>> arguments) {
    const FunctionDefinition* definition = findFunction(token.spelling());
    if (definition == nullptr) {
        return nullptr;
    }
    std::unique_ptr<RVFunction> function;
    if (definition->shape == FunctionShape::Derivative) {
        function = std::make_unique<RVFunctionDERIVATE>(std::move(token), *definition);
    } else {
        function = std::make_unique<RVFunction>(std::move(token), *definition);
    }
    function->setArguments(std::move(arguments));
    return function;
}

void RVFunction::setArguments(std::vector<std::unique_ptr<RVOperation>> arguments) {
    arguments_ = std::move(arguments);
    for (const auto& argument : arguments_) {
        argument->setParent(this);
    }
}

double RVFunction::value() const {
    if (!hasValidArguments()) {
        return math::kNaN;
    }
    switch (definition_->shape) {
        case FunctionShape::Unary:
            return definition_->unary.apply(arguments_[0]->value());
        case FunctionShape::Binary:
            return definition_->binaryValue(arguments_[0]->value(), arguments_[1]->value());
        case FunctionShape::Condition:
            // Only the chosen branch is evaluated; NaN counts as true.
            return arguments_[0]->value() != 0.0 ? arguments_[1]->value() : arguments_[2]->value();
        case FunctionShape::Derivative:
            break;
    }
    return 0.0;
}

std::u16string RVFunction::argumentList() const {
    std::u16string text;
    for (size_t i = 0; i < arguments_.size(); ++i) {
        if (i > 0) {
            text += u", ";
        }
        text += arguments_[i]->description();
    }
    return text;
}

std::u16string RVFunction::description() const {
    return token().spelling() + bracketed(argumentList());
}

bool RVFunction::isConstant() const {
    for (const auto& argument : arguments_) {
        if (!argument->isConstant()) {
            return false;
        }
    }
    return true;
}

bool RVFunction::isSimplifiable() const {
    for (const auto& argument : arguments_) {
        if (!argument->isSimplifiable()) {
            return false;
        }
    }
    return true;
}

void RVFunction::organize() {
    for (const auto& argument : arguments_) {
        argument->organize();
    }
}

bool RVFunction::simplifyArguments() {
    for (std::size_t i = arguments_.size(); i-- > 0;) {
        if (arguments_[i]->simplify()) {
            return true;
        }
    }
    return false;
}

bool RVFunction::simplify() {
    const bool changed = simplifyArguments();
    if (!isConstant() || parent() == nullptr) {
        return changed;
    }
    // Fold only values without a fractional part: sin(0) and floor(2.5) become numbers, sin(1)
    // and ln(2) stay symbolic; NaN never folds, infinities do.
    double integral = 0.0;
    const double fraction = std::modf(value(), &integral);
    if (std::fabs(0.0 - fraction) < 2.220446049250313e-16) {
        auto self = replaceSelf(RVNumber::numberWithValue(integral));
        return true;
    }
    return changed;
}

void RVFunction::derivateArguments(const RVVariable& variable, std::size_t first) {
    for (std::size_t i = arguments_.size(); i-- > first;) {
        // A relation (the condition of "if") is its own derivative, and d/dx(x<0) would not
        // read back, so it is left as it is.
        if (dynamic_cast<const RVRelationOperation*>(arguments_[i].get()) != nullptr) {
            continue;
        }
        arguments_[i] = adopt(makeDerivative(variable, std::move(arguments_[i])));
    }
}

void RVFunction::derivateWithVariable(const RVVariable& variable) {
    const FunctionDefinition& definition = *definition_;
    if (definition.shape == FunctionShape::Condition && hasValidArguments()) {
        // The condition only chooses a branch: it stays as it is.
        derivateArguments(variable, 1);
        return;
    }
    if (definition.derivativeTemplate.empty() || !hasValidArguments()) {
        derivateArguments(variable, 0);
        return;
    }
    const bool dependent =
        definition.dependentArgument >= 0 &&
        dependsOnVariable(*arguments_[static_cast<std::size_t>(definition.dependentArgument)],
                          variable);
    const std::u16string_view format =
        dependent ? definition.dependentTemplate : definition.derivativeTemplate;
    const auto& fill = dependent ? definition.dependentFill : definition.derivativeFill;
    std::vector<std::u16string> items;
    items.reserve(fill.size());
    for (const std::u16string_view item : fill) {
        if (item == u"u") {
            items.push_back(arguments_[0]->description());
        } else if (item == u"v") {
            items.push_back(arguments_[1]->description());
        } else if (item == u"var") {
            items.push_back(variable.token().spelling());
        } else {
            items.emplace_back(item);
        }
    }
    auto self = replaceByDerivativeText(*this, fillTemplate(format, items), variable);
}

std::unique_ptr<RVOperation> RVFunction::replaceOperation(
    const RVOperation* old, std::unique_ptr<RVOperation> replacement) {
    for (auto it = arguments_.begin(); it != arguments_.end(); ++it) {
        if (it->get() != old) {
            continue;
        }
        std::unique_ptr<RVOperation> removed = std::move(*it);
        if (replacement) {
            replacement->setParent(this);
            *it = std::move(replacement);
        } else {
            arguments_.erase(it);
        }
        return removed;
    }
    return nullptr;
}

const OperationNode* RVFunction::operationNodeCopy(OperationNodeBuilder& builder) const {
    if (!hasValidArguments()) {
        return builder.constant(math::kNaN);
    }
    switch (definition_->shape) {
        case FunctionShape::Unary:
            return builder.unary(definition_->unary, builder.compile(*arguments_[0]));
        case FunctionShape::Binary:
            return builder.binary(definition_->binaryCompiled, builder.compile(*arguments_[0]),
                                  builder.compile(*arguments_[1]));
        case FunctionShape::Condition:
            return builder.condition(builder.compile(*arguments_[0]),
                                     builder.compile(*arguments_[1]),
                                     builder.compile(*arguments_[2]));
        case FunctionShape::Derivative:
            break;
    }
    return builder.constant(0.0);
}

void RVFunction::forEachChild(const std::function<void(const RVOperation&)>& visit) const {
    for (const auto& argument : arguments_) {
        visit(*argument);
    }
}

}  // namespace plotwise
