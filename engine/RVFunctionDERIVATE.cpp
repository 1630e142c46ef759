#include "engine/RVFunctionDERIVATE.h"

#include "engine/OperationNode.h"
#include "engine/RVVariable.h"
#include "engine/TextUtilities.h"

namespace plotwise {

std::u16string RVFunctionDERIVATE::description() const {
    if (arguments().size() != 2) {
        return RVFunction::description();
    }
    return concatenated(
        {u"d/d", arguments()[0]->description(), bracketed(arguments()[1]->description())});
}

bool RVFunctionDERIVATE::simplify() {
    simplifyArguments();
    if (arguments().size() != 2 || parent() == nullptr) {
        return false;
    }
    const auto* variable = dynamic_cast<const RVVariable*>(arguments()[0].get());
    if (variable == nullptr) {
        return false;
    }
    arguments()[1]->derivateWithVariable(*variable);
    auto self = replaceSelf(replaceOperation(arguments()[1].get(), nullptr));
    return true;
}

void RVFunctionDERIVATE::derivateWithVariable(const RVVariable& variable) {
    derivateArguments(variable, 1);
}

const OperationNode* RVFunctionDERIVATE::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.constant(0.0);
}

}  // namespace plotwise
