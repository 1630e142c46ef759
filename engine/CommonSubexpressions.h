#pragma once

#include <cstddef>
#include <map>
#include <unordered_map>
#include <utility>
#include <vector>

#include "engine/OperationNode.h"

namespace plotwise {

class RVOperation;

// Finds the subtrees of a first compilation that occur more than once (same records, same
// operands, same constants), so that a second compilation computes each of them once. Only
// subtrees that are read through a call are shared: constants, variables, x^2 and 2x are read in
// place already.
class CommonSubexpressions {
public:
    // `origins` pairs each operation the first compilation compiled with the record it became.
    CommonSubexpressions(
        const OperationNode* root,
        const std::vector<std::pair<const RVOperation*, const OperationNode*>>& origins);

    // The index of the shared subtree `operation` compiles to, or -1.
    int sharedIndexOf(const RVOperation& operation) const;
    std::size_t sharedCount() const { return sharedCount_; }

private:
    int canonicalId(const OperationNode* node);

    // Each record's canonical subtree, and each canonical subtree's key and reference count.
    std::unordered_map<const OperationNode*, int> idOf_;
    std::map<std::vector<std::uint64_t>, int> idOfKey_;
    std::vector<int> references_;
    std::vector<bool> readInPlace_;
    std::unordered_map<const RVOperation*, int> sharedIndexOfOperation_;
    std::size_t sharedCount_ = 0;
};

}  // namespace plotwise
