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
    // The result as a student would write it (ReadableForm.h); never used for plotting.
    std::u16string readable;
    // The readable form parsed, shown as a last step titled kSimplifiedStepTitle; only when it
    // reads differently from the last step.
    std::unique_ptr<RVOperationTree> simplified;
    // Set when the input does not parse, or the work outgrew the simplification budget.
    std::optional<ParserMessage> error;
    unsigned errorPosition = 0;
};

inline constexpr std::u16string_view kSimplifiedStepTitle = u"Simplified";

// Builds the steps against `table` (six slots), which must outlive them.
DerivativeSteps derivativeSteps(const std::u16string& text, double* table);

}  // namespace plotwise
