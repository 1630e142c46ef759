#include "RVFunctionDERIVATE.h"

#include "OperationNode.h"

namespace plotwise {

std::u16string RVFunctionDERIVATE::description() const {
    if (arguments().size() != 2) {
        return RVFunction::description();
    }
    return u"d/d" + arguments()[0]->description() + u"(" + arguments()[1]->description() + u")";
}

const OperationNode* RVFunctionDERIVATE::operationNodeCopy(OperationNodeBuilder& builder) const {
    return builder.constant(0.0);
}

}  // namespace plotwise
