#include "engine/CommonSubexpressions.h"

#include <bit>
#include <cstdint>

#include "engine/OperationNodeEvaluators.h"

namespace plotwise {

namespace {

template <typename T>
std::uint64_t bitsOf(T value) {
    if constexpr (sizeof(T) == sizeof(std::uint64_t)) {
        return std::bit_cast<std::uint64_t>(value);
    } else {
        return static_cast<std::uint64_t>(value);
    }
}

}  // namespace

CommonSubexpressions::CommonSubexpressions(
    const OperationNode* root,
    const std::vector<std::pair<const RVOperation*, const OperationNode*>>& origins) {
    if (root == nullptr) {
        return;
    }
    const int rootId = canonicalId(root);
    references_[static_cast<std::size_t>(rootId)] += 1;
    std::vector<int> sharedIndexOfId(references_.size(), -1);
    for (const auto& [operation, record] : origins) {
        const auto found = idOf_.find(record);
        if (found == idOf_.end()) {
            continue;  // compiled but folded away, or not reachable from the root
        }
        const auto id = static_cast<std::size_t>(found->second);
        if (references_[id] < 2 || readInPlace_[id]) {
            continue;
        }
        if (sharedIndexOfId[id] < 0) {
            sharedIndexOfId[id] = static_cast<int>(sharedCount_++);
        }
        sharedIndexOfOperation_[operation] = sharedIndexOfId[id];
    }
}

// Post-order: operands get their ids first, so a record's key names its operands by id. The
// operands of a subtree seen before are not counted again: in the shared form they are read once.
int CommonSubexpressions::canonicalId(const OperationNode* node) {
    if (const auto found = idOf_.find(node); found != idOf_.end()) {
        return found->second;
    }
    std::vector<std::uint64_t> key = {
        bitsOf(node->kind), bitsOf(reinterpret_cast<std::uintptr_t>(node->evaluate)),
        bitsOf(reinterpret_cast<std::uintptr_t>(node->batch)), bitsOf(node->isRelation)};
    std::vector<int> operands;
    switch (node->kind) {
        case kOperationConstant:
            key.push_back(bitsOf(node->data.constant));
            break;
        case kOperationVariable:
            key.push_back(bitsOf(reinterpret_cast<std::uintptr_t>(node->data.variable)));
            break;
        case kOperationOneOperand:
        case kOperationTwoOperands:
        case kOperationThreeOperands: {
            const int count = node->kind - kOperationOneOperand + 1;
            for (int i = 0; i < count; ++i) {
                operands.push_back(canonicalId(node->data.operands[i]));
            }
            break;
        }
        case kOperationFold:
            key.push_back(bitsOf(node->data.fold.start));
            for (std::size_t i = 0; i < node->data.fold.count; ++i) {
                key.push_back(bitsOf(node->data.fold.steps[i].operatorType));
                operands.push_back(canonicalId(node->data.fold.steps[i].operand));
            }
            break;
        default:
            break;
    }
    for (const int operand : operands) {
        key.push_back(bitsOf(operand));
    }
    const auto [entry, isNew] =
        idOfKey_.try_emplace(std::move(key), static_cast<int>(references_.size()));
    if (isNew) {
        references_.push_back(0);
        const int kind = evaluators::operandKindOf(node);
        readInPlace_.push_back(kind != evaluators::kRecordOperand);
        for (const int operand : operands) {
            references_[static_cast<std::size_t>(operand)] += 1;
        }
    }
    idOf_.emplace(node, entry->second);
    return entry->second;
}

int CommonSubexpressions::sharedIndexOf(const RVOperation& operation) const {
    const auto found = sharedIndexOfOperation_.find(&operation);
    return found == sharedIndexOfOperation_.end() ? -1 : found->second;
}

}  // namespace plotwise
