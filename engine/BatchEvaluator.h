#pragma once

#include <array>
#include <cstddef>
#include <unordered_map>
#include <vector>

#include "engine/OperationNode.h"

namespace plotwise {

// A grid of nodes for BatchEvaluator::evaluateGrid: node (row, column) reads rowValues[row] in
// rowSlot and columnValues[column] in columnSlot; nodeInputs[slot], when not null, holds
// rows * columns values for that slot, row by row. Slots without values read the table.
struct BatchGrid {
    std::size_t rows = 1;
    std::size_t columns = 0;
    int rowSlot = -1;
    const double* rowValues = nullptr;
    int columnSlot = -1;
    const double* columnValues = nullptr;
    std::array<const double*, 6> nodeInputs{};
};

// Evaluates a compiled form at many points at once: each record makes one pass over a chunk of
// points, so the per-record dispatch is paid once per chunk instead of once per point. The values
// are exactly those one-at-a-time evaluation gives (the same formula functions run on each
// point). Batch evaluation never writes the variable table: an assignment's value is its right
// side's.
//
// Each record knows which inputs it depends on. A record of table values only is one scalar per
// call; over a grid, a record of the row axis only is computed once per row value, one of the
// column axis once per column value, and the only records computed per node are those that need
// both axes or a per-node input. Records that read no table value are kept from call to call
// while the grid's axis values stay the same.
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

    // Evaluates every node of `grid`; writes rows * columns results to `out`, row by row.
    void evaluateGrid(const BatchGrid& grid, double* out);

    // Record passes run so far, each over one chunk, row or column, or one scalar.
    std::size_t passCount() const { return passCount_; }

private:
    enum Binding : unsigned char { kTable, kRow, kColumn, kNode };
    enum Shape : unsigned char { kScalar, kRowShape, kColumnShape, kNodeShape };
    // Where a record finds one operand: a constant, a variable read in place, an input slot, or
    // an earlier record's values.
    struct OperandSource {
        enum Kind { Constant, Pointer, Slot, Step } kind = Constant;
        double constant = 0.0;
        const double* pointer = nullptr;
        int slot = 0;
        std::size_t step = 0;
    };
    struct Step {
        const OperationNode* node;
        std::size_t firstOperand;  // into operands_
        std::size_t operandCount;
        // Filled by classify() for the current bindings.
        unsigned mask = 0;
        Shape shape = kScalar;
        bool kept = false;     // computed again only when the grid's axes change
        std::size_t slot = 0;  // index into the store of its shape, or its chunk buffer
    };

    OperandSource plan(const OperationNode* node);
    void classify(const std::array<Binding, 6>& bindings);
    void prepare(const BatchGrid& grid);
    unsigned maskOf(const OperandSource& source) const;
    double* outputOf(const Step& step, std::size_t row);
    BatchOperand view(const OperandSource& source, Shape shape, std::size_t row,
                      std::size_t column) const;
    void run(const Step& step, Shape shape, std::size_t row, std::size_t column, std::size_t count,
             double* out);
    void computeWhole(const Step& step);
    // Where a per-node pass finds an operand at (row, column): base + row * rowStep +
    // column * columnStep, read with `stride`.
    struct NodeLayout {
        const double* base;
        std::size_t rowStep;
        std::size_t columnStep;
        std::size_t stride;
    };
    NodeLayout layoutOf(const OperandSource& source) const;
    void planNodePasses();

    std::vector<Step> steps_;
    std::vector<OperandSource> operands_;
    std::unordered_map<const double*, std::size_t> sharedSteps_;
    OperandSource result_;
    const double* table_;

    // The current bindings and grid.
    std::array<Binding, 6> bindings_{};
    bool classified_ = false;
    BatchGrid grid_;
    std::vector<double> rowCopy_;
    std::vector<double> columnCopy_;
    bool keptValid_ = false;
    std::size_t chunkBuffers_ = 0;
    std::vector<double> scalars_;
    std::vector<double> rowStore_;
    std::vector<double> columnStore_;
    std::vector<double> nodeStore_;
    std::vector<double> chunks_;
    std::size_t rowStores_ = 0;
    std::size_t columnStores_ = 0;
    std::size_t nodeStores_ = 0;
    std::vector<BatchOperand> views_;
    // The per-node records of the current call, in order, and their operands' layouts.
    struct NodePass {
        const Step* step;
        std::size_t firstLayout;
    };
    std::vector<NodePass> nodePasses_;
    std::vector<NodeLayout> nodeLayouts_;
    std::size_t passCount_ = 0;
};

}  // namespace plotwise
