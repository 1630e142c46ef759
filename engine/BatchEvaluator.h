#pragma once

#include <array>
#include <cstddef>
#include <vector>

#include "engine/OperationNode.h"

namespace plotwise {

// Evaluates a compiled form at many points at once: each record makes one pass over a chunk of
// points, so the per-record dispatch is paid once per chunk instead of once per point. The values
// are exactly those one-at-a-time evaluation gives (the same formula functions run on each
// point). Batch evaluation never writes the variable table: an assignment's value is its right
// side's.
class BatchEvaluator {
public:
    // Points are processed in chunks of this many.
    static constexpr std::size_t chunkSize = 256;

    // `table` is the variable table the compiled form was made against (six slots).
    BatchEvaluator(const CompiledExpression& compiled, const double* table);

    // Evaluates at `count` points. inputs[i], when not null, holds `count` values for variable
    // slot i (x 0, y 1, z 2, r 3, Θ 4, Φ 5); a slot without input reads the table's current
    // value. Writes `count` results to `out`.
    void evaluate(std::size_t count, const std::array<const double*, 6>& inputs, double* out);

private:
    // Where a record finds one operand: a constant, a variable slot, or a scratch buffer.
    struct OperandSource {
        enum Kind { Constant, Slot, Pointer, Buffer } kind;
        double constant = 0.0;
        int slot = 0;
        const double* pointer = nullptr;  // a variable outside the table: read as it is
        std::size_t buffer = 0;
    };
    // One record's pass, in an order where operands come first.
    struct Step {
        const OperationNode* node;
        std::size_t firstOperand;  // into operands_
        std::size_t operandCount;
        std::size_t outBuffer;
    };

    OperandSource plan(const OperationNode* node);
    std::size_t takeBuffer();
    BatchOperand operandView(const OperandSource& source, std::size_t start,
                             const std::array<const double*, 6>& inputs) const;

    std::vector<Step> steps_;
    std::vector<OperandSource> operands_;
    std::vector<std::size_t> freeBuffers_;
    std::size_t bufferCount_ = 0;
    std::vector<double> scratch_;
    std::vector<BatchOperand> views_;
    OperandSource result_;
    const double* table_;
};

}  // namespace plotwise
