#include "engine/BatchEvaluator.h"

#include <algorithm>
#include <cstring>

namespace plotwise {

namespace {

constexpr unsigned kCallBit = 1;  // a table value: may change between calls
constexpr unsigned kRowBit = 2;
constexpr unsigned kColumnBit = 4;
constexpr unsigned kNodeBit = 8;

}  // namespace

BatchEvaluator::BatchEvaluator(const CompiledExpression& compiled, const double* table)
    : table_(table) {
    if (compiled.root() == nullptr) {
        result_ = {OperandSource::Constant};
        return;
    }
    // Shared subtrees first: the records that use them read their slots.
    for (const SharedValue& shared : compiled.sharedValues()) {
        const OperandSource source = plan(shared.value);
        if (source.kind == OperandSource::Step) {
            sharedSteps_[shared.slot] = source.step;
        }
    }
    result_ = plan(compiled.root());
}

// Post-order, so a record's operands come before it.
BatchEvaluator::OperandSource BatchEvaluator::plan(const OperationNode* node) {
    OperandSource source;
    switch (node->kind) {
        case kOperationConstant:
            source.constant = node->data.constant;
            return source;
        case kOperationVariable: {
            const std::ptrdiff_t slot = node->data.variable - table_;
            if (slot >= 0 && slot < 6) {
                source.kind = OperandSource::Slot;
                source.slot = static_cast<int>(slot);
            } else if (const auto shared = sharedSteps_.find(node->data.variable);
                       shared != sharedSteps_.end()) {
                source.kind = OperandSource::Step;
                source.step = shared->second;
            } else {
                source.kind = OperandSource::Pointer;
                source.pointer = node->data.variable;
            }
            return source;
        }
        default:
            break;
    }
    std::vector<const OperationNode*> children;
    switch (node->kind) {
        case kOperationOneOperand:
            children = {node->data.operands[0]};
            break;
        case kOperationTwoOperands:
            children = {node->data.operands[0], node->data.operands[1]};
            break;
        case kOperationThreeOperands:
            children = {node->data.operands[0], node->data.operands[1], node->data.operands[2]};
            break;
        case kOperationFold:
            for (std::size_t i = 0; i < node->data.fold.count; ++i) {
                children.push_back(node->data.fold.steps[i].operand);
            }
            break;
        default:
            break;
    }
    std::vector<OperandSource> planned;
    planned.reserve(children.size());
    for (const OperationNode* child : children) {
        planned.push_back(plan(child));
    }
    const std::size_t firstOperand = operands_.size();
    operands_.insert(operands_.end(), planned.begin(), planned.end());
    source.kind = OperandSource::Step;
    source.step = steps_.size();
    steps_.push_back({node, firstOperand, planned.size()});
    return source;
}

unsigned BatchEvaluator::maskOf(const OperandSource& source) const {
    switch (source.kind) {
        case OperandSource::Constant:
            return 0;
        case OperandSource::Pointer:
            return kCallBit;
        case OperandSource::Slot:
            switch (bindings_[static_cast<std::size_t>(source.slot)]) {
                case kTable:
                    return kCallBit;
                case kRow:
                    return kRowBit;
                case kColumn:
                    return kColumnBit;
                case kNode:
                    return kNodeBit;
            }
            return kCallBit;
        case OperandSource::Step:
            return steps_[source.step].mask;
    }
    return kCallBit;
}

// Gives each record its shape for the current bindings, a place in the store of its shape, and
// for per-node records a chunk buffer, reused once its last reader has run.
void BatchEvaluator::classify(const std::array<Binding, 6>& bindings) {
    bindings_ = bindings;
    classified_ = true;
    keptValid_ = false;
    std::size_t scalars = 0;
    rowStores_ = columnStores_ = nodeStores_ = 0;
    std::vector<std::size_t> lastReader(steps_.size(), 0);
    for (std::size_t s = 0; s < steps_.size(); ++s) {
        Step& step = steps_[s];
        step.mask = 0;
        for (std::size_t i = 0; i < step.operandCount; ++i) {
            const OperandSource& operand = operands_[step.firstOperand + i];
            step.mask |= maskOf(operand);
            if (operand.kind == OperandSource::Step) {
                lastReader[operand.step] = s;
            }
        }
        const bool perNode =
            (step.mask & kNodeBit) != 0 || ((step.mask & kRowBit) && (step.mask & kColumnBit));
        step.shape = perNode                    ? kNodeShape
                     : (step.mask & kRowBit)    ? kRowShape
                     : (step.mask & kColumnBit) ? kColumnShape
                                                : kScalar;
        step.kept = (step.mask & (kCallBit | kNodeBit)) == 0;
        switch (step.shape) {
            case kScalar:
                step.slot = scalars++;
                break;
            case kRowShape:
                step.slot = rowStores_++;
                break;
            case kColumnShape:
                step.slot = columnStores_++;
                break;
            case kNodeShape:
                if (step.kept) {
                    step.slot = nodeStores_++;
                }
                break;
        }
    }
    if (result_.kind == OperandSource::Step) {
        lastReader[result_.step] = steps_.size();
    }
    scalars_.assign(scalars, 0.0);
    // Chunk buffers: a record takes its output before its operands' buffers return, since a
    // pass may write its output before it has read every operand.
    std::vector<std::size_t> freeBuffers;
    chunkBuffers_ = 0;
    std::vector<std::size_t> releases;
    for (std::size_t s = 0; s < steps_.size(); ++s) {
        Step& step = steps_[s];
        if (step.shape != kNodeShape || step.kept) {
            continue;
        }
        if (freeBuffers.empty()) {
            step.slot = chunkBuffers_++;
        } else {
            step.slot = freeBuffers.back();
            freeBuffers.pop_back();
        }
        releases.clear();
        for (std::size_t i = 0; i < step.operandCount; ++i) {
            const OperandSource& operand = operands_[step.firstOperand + i];
            if (operand.kind != OperandSource::Step) {
                continue;
            }
            const Step& source = steps_[operand.step];
            if (source.shape == kNodeShape && !source.kept && lastReader[operand.step] == s &&
                std::find(releases.begin(), releases.end(), source.slot) == releases.end()) {
                releases.push_back(source.slot);
            }
        }
        freeBuffers.insert(freeBuffers.end(), releases.begin(), releases.end());
    }
    chunks_.assign(chunkBuffers_ * chunkSize, 0.0);
}

void BatchEvaluator::prepare(const BatchGrid& grid) {
    std::array<Binding, 6> bindings{};
    for (std::size_t slot = 0; slot < 6; ++slot) {
        bindings[slot] = grid.nodeInputs[slot] != nullptr ? kNode : kTable;
    }
    if (grid.rowSlot >= 0 && grid.rowSlot < 6) {
        bindings[static_cast<std::size_t>(grid.rowSlot)] = kRow;
    }
    if (grid.columnSlot >= 0 && grid.columnSlot < 6) {
        bindings[static_cast<std::size_t>(grid.columnSlot)] = kColumn;
    }
    const bool reclassify = !classified_ || bindings != bindings_;
    if (reclassify) {
        classify(bindings);
    }
    const bool sameRows = grid.rows == grid_.rows && rowCopy_.size() == grid.rows &&
                          (grid.rowSlot < 0 || std::memcmp(rowCopy_.data(), grid.rowValues,
                                                           grid.rows * sizeof(double)) == 0);
    const bool sameColumns =
        grid.columns == grid_.columns && columnCopy_.size() == grid.columns &&
        (grid.columnSlot < 0 ||
         std::memcmp(columnCopy_.data(), grid.columnValues, grid.columns * sizeof(double)) == 0);
    if (reclassify || !sameRows || !sameColumns) {
        keptValid_ = false;
        rowCopy_.assign(grid.rows, 0.0);
        columnCopy_.assign(grid.columns, 0.0);
        if (grid.rowSlot >= 0) {
            std::copy(grid.rowValues, grid.rowValues + grid.rows, rowCopy_.begin());
        }
        if (grid.columnSlot >= 0) {
            std::copy(grid.columnValues, grid.columnValues + grid.columns, columnCopy_.begin());
        }
        rowStore_.assign(rowStores_ * grid.rows, 0.0);
        columnStore_.assign(columnStores_ * grid.columns, 0.0);
        nodeStore_.assign(nodeStores_ * grid.rows * grid.columns, 0.0);
    }
    grid_ = grid;
}

double* BatchEvaluator::outputOf(const Step& step, std::size_t row) {
    switch (step.shape) {
        case kScalar:
            return scalars_.data() + step.slot;
        case kRowShape:
            return rowStore_.data() + step.slot * grid_.rows;
        case kColumnShape:
            return columnStore_.data() + step.slot * grid_.columns;
        case kNodeShape:
            return step.kept ? nodeStore_.data() + (step.slot * grid_.rows + row) * grid_.columns
                             : chunks_.data() + step.slot * chunkSize;
    }
    return nullptr;
}

// An operand as seen by a pass of `shape`: a row pass runs along the rows, a column pass along
// the columns, a node pass along `row` from `column`.
BatchOperand BatchEvaluator::view(const OperandSource& source, Shape shape, std::size_t row,
                                  std::size_t column) const {
    switch (source.kind) {
        case OperandSource::Constant:
            return {&source.constant, 0};
        case OperandSource::Pointer:
            return {source.pointer, 0};
        case OperandSource::Slot: {
            const auto slot = static_cast<std::size_t>(source.slot);
            switch (bindings_[slot]) {
                case kTable:
                    return {table_ + slot, 0};
                case kRow:
                    return shape == kRowShape ? BatchOperand{grid_.rowValues, 1}
                                              : BatchOperand{grid_.rowValues + row, 0};
                case kColumn:
                    return {grid_.columnValues + column, 1};
                case kNode:
                    return {grid_.nodeInputs[slot] + row * grid_.columns + column, 1};
            }
            return {table_ + slot, 0};
        }
        case OperandSource::Step: {
            const Step& step = steps_[source.step];
            switch (step.shape) {
                case kScalar:
                    return {scalars_.data() + step.slot, 0};
                case kRowShape: {
                    const double* values = rowStore_.data() + step.slot * grid_.rows;
                    return shape == kRowShape ? BatchOperand{values, 1}
                                              : BatchOperand{values + row, 0};
                }
                case kColumnShape:
                    return {columnStore_.data() + step.slot * grid_.columns + column, 1};
                case kNodeShape:
                    if (step.kept) {
                        return {nodeStore_.data() + (step.slot * grid_.rows + row) * grid_.columns +
                                    column,
                                1};
                    }
                    return {chunks_.data() + step.slot * chunkSize, 1};
            }
            break;
        }
    }
    return {&source.constant, 0};
}

BatchEvaluator::NodeLayout BatchEvaluator::layoutOf(const OperandSource& source) const {
    const std::size_t columns = grid_.columns;
    switch (source.kind) {
        case OperandSource::Constant:
            return {&source.constant, 0, 0, 0};
        case OperandSource::Pointer:
            return {source.pointer, 0, 0, 0};
        case OperandSource::Slot: {
            const auto slot = static_cast<std::size_t>(source.slot);
            switch (bindings_[slot]) {
                case kTable:
                    return {table_ + slot, 0, 0, 0};
                case kRow:
                    return {grid_.rowValues, 1, 0, 0};
                case kColumn:
                    return {grid_.columnValues, 0, 1, 1};
                case kNode:
                    return {grid_.nodeInputs[slot], columns, 1, 1};
            }
            break;
        }
        case OperandSource::Step: {
            const Step& step = steps_[source.step];
            switch (step.shape) {
                case kScalar:
                    return {scalars_.data() + step.slot, 0, 0, 0};
                case kRowShape:
                    return {rowStore_.data() + step.slot * grid_.rows, 1, 0, 0};
                case kColumnShape:
                    return {columnStore_.data() + step.slot * columns, 0, 1, 1};
                case kNodeShape:
                    if (step.kept) {
                        return {nodeStore_.data() + step.slot * grid_.rows * columns, columns, 1,
                                1};
                    }
                    return {chunks_.data() + step.slot * chunkSize, 0, 0, 1};
            }
            break;
        }
    }
    return {&source.constant, 0, 0, 0};
}

// The per-node passes run once per chunk of every row: their operands' places are worked out
// once a call, so that a pass over a short row costs little more than its arithmetic.
void BatchEvaluator::planNodePasses() {
    nodePasses_.clear();
    nodeLayouts_.clear();
    for (const Step& step : steps_) {
        if (step.kept || step.shape != kNodeShape) {
            continue;
        }
        nodePasses_.push_back({&step, nodeLayouts_.size()});
        for (std::size_t i = 0; i < step.operandCount; ++i) {
            nodeLayouts_.push_back(layoutOf(operands_[step.firstOperand + i]));
        }
    }
    views_.resize(std::max(views_.size(), nodeLayouts_.size()));
}

void BatchEvaluator::run(const Step& step, Shape shape, std::size_t row, std::size_t column,
                         std::size_t count, double* out) {
    views_.clear();
    for (std::size_t i = 0; i < step.operandCount; ++i) {
        views_.push_back(view(operands_[step.firstOperand + i], shape, row, column));
    }
    step.node->batch(step.node, views_.data(), count, out);
    ++passCount_;
}

// A scalar, row or column record in one pass; a kept per-node record row by row.
void BatchEvaluator::computeWhole(const Step& step) {
    switch (step.shape) {
        case kScalar:
            run(step, kScalar, 0, 0, 1, outputOf(step, 0));
            break;
        case kRowShape:
            run(step, kRowShape, 0, 0, grid_.rows, outputOf(step, 0));
            break;
        case kColumnShape:
            run(step, kColumnShape, 0, 0, grid_.columns, outputOf(step, 0));
            break;
        case kNodeShape:
            for (std::size_t row = 0; row < grid_.rows; ++row) {
                run(step, kNodeShape, row, 0, grid_.columns, outputOf(step, row));
            }
            break;
    }
}

void BatchEvaluator::evaluate(std::size_t count, const std::array<const double*, 6>& inputs,
                              double* out) {
    BatchGrid grid;
    grid.columns = count;
    grid.nodeInputs = inputs;
    evaluateGrid(grid, out);
}

void BatchEvaluator::evaluateGrid(const BatchGrid& grid, double* out) {
    if (grid.rows == 0 || grid.columns == 0) {
        return;
    }
    prepare(grid);
    if (!keptValid_) {
        for (const Step& step : steps_) {
            if (step.kept) {
                computeWhole(step);
            }
        }
        keptValid_ = true;
    }
    for (const Step& step : steps_) {
        if (!step.kept && step.shape != kNodeShape) {
            computeWhole(step);
        }
    }
    // The root's last pass writes straight into `out` when it runs per node.
    const Step* rootStep = result_.kind == OperandSource::Step ? &steps_[result_.step] : nullptr;
    const bool rootWritesOut = rootStep && rootStep->shape == kNodeShape && !rootStep->kept;
    planNodePasses();
    for (std::size_t row = 0; row < grid_.rows; ++row) {
        for (std::size_t column = 0; column < grid_.columns; column += chunkSize) {
            const std::size_t n = std::min(chunkSize, grid_.columns - column);
            double* into = out + row * grid_.columns + column;
            for (const NodePass& pass : nodePasses_) {
                const Step& step = *pass.step;
                BatchOperand* views = views_.data() + pass.firstLayout;
                for (std::size_t i = 0; i < step.operandCount; ++i) {
                    const NodeLayout& l = nodeLayouts_[pass.firstLayout + i];
                    views[i] = {l.base + row * l.rowStep + column * l.columnStep, l.stride};
                }
                step.node->batch(step.node, views, n,
                                 &step == rootStep ? into : chunks_.data() + step.slot * chunkSize);
            }
            passCount_ += nodePasses_.size();
            if (rootWritesOut) {
                continue;
            }
            const BatchOperand result = view(result_, kNodeShape, row, column);
            for (std::size_t i = 0; i < n; ++i) {
                into[i] = result.values[i * result.stride];
            }
        }
    }
}

}  // namespace plotwise
