#pragma once

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "engine/ParserMessage.h"
#include "engine/RVOperationTree.h"

namespace plotwise {

// The derivative steps of an expression: the input as typed, then the tree after every
// simplification pass that changed it, each a fresh parse of the printed tree (copying is
// printing and re-parsing). The last step is the fully simplified result.
struct DerivativeSteps {
    std::vector<std::unique_ptr<RVOperationTree>> steps;
    // The fully simplified tree itself. Its last pass may have reordered sums and products
    // without folding anything, which adds no step, so it can differ from the last step in order.
    std::unique_ptr<RVOperationTree> result;
    // Set when the input does not parse, or the work outgrew the simplification budget.
    std::optional<ParserMessage> error;
    unsigned errorPosition = 0;
};

// Builds the steps against `table` (six slots), which must outlive them.
DerivativeSteps derivativeSteps(const std::u16string& text, double* table);

}  // namespace plotwise
