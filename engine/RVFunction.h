#pragma once

#include <vector>

#include "engine/FunctionLibrary.h"
#include "engine/RVOperation.h"

namespace plotwise {

// A call of a built-in function. Its token is the name as typed (the letter case is kept for
// printing); what it computes comes from its registry entry.
class RVFunction : public RVOperation {
public:
    RVFunction(RVToken token, const FunctionDefinition& definition);
    // A new node for the registered function named by the token (any letter case), with the given
    // arguments; nullptr when no function has that name.
    static std::unique_ptr<RVFunction> functionWithToken(
        RVToken token, std::vector<std::unique_ptr<RVOperation>> arguments = {});

    std::u16string functionName() const { return std::u16string(definition_->functionName); }
    int validParameterCount() const { return definition_->validParameterCount; }
    const FunctionDefinition& definition() const { return *definition_; }

    double value() const override;
    std::u16string description() const override;
    bool isConstant() const override;
    bool isSimplifiable() const override;
    void organize() override;
    bool simplify() override;
    void derivateWithVariable(const RVVariable& variable) override;
    std::unique_ptr<RVOperation> replaceOperation(
        const RVOperation* old, std::unique_ptr<RVOperation> replacement) override;
    const OperationNode* operationNodeCopy(OperationNodeBuilder& builder) const override;
    void forEachChild(const std::function<void(const RVOperation&)>& visit) const override;

    const std::vector<std::unique_ptr<RVOperation>>& arguments() const { return arguments_; }
    void setArguments(std::vector<std::unique_ptr<RVOperation>> arguments);

protected:
    // Simplifies the arguments from the last to the first, stopping after the first change.
    bool simplifyArguments();
    // Wraps arguments [first, end) each in a derivative node of its own, from the last.
    void derivateArguments(const RVVariable& variable, std::size_t first);
    // The arguments' descriptions joined with ", ".
    std::u16string argumentList() const;
    bool hasValidArguments() const {
        return static_cast<int>(arguments_.size()) == definition_->validParameterCount;
    }

private:
    const FunctionDefinition* definition_;
    std::vector<std::unique_ptr<RVOperation>> arguments_;
};

}  // namespace plotwise
