#include "engine/BatchEvaluator.h"

#include <algorithm>

namespace plotwise {

BatchEvaluator::BatchEvaluator(const CompiledExpression& compiled, const double* table)
    : table_(table) {
    if (compiled.root() == nullptr) {
        result_ = {OperandSource::Constant};
        return;
    }
    result_ = plan(compiled.root());
    scratch_.assign(bufferCount_ * chunkSize, 0.0);
}

std::size_t BatchEvaluator::takeBuffer() {
    if (!freeBuffers_.empty()) {
        const std::size_t buffer = freeBuffers_.back();
        freeBuffers_.pop_back();
        return buffer;
    }
    return bufferCount_++;
}

// Post-order: a record's operands are planned (and hold their buffers) before it takes its own
// output buffer; then the operands' buffers return to the pool for later records.
BatchEvaluator::OperandSource BatchEvaluator::plan(const OperationNode* node) {
    OperandSource source{OperandSource::Constant};
    switch (node->kind) {
        case kOperationConstant:
            source.constant = node->data.constant;
            return source;
        case kOperationVariable: {
            const std::ptrdiff_t slot = node->data.variable - table_;
            if (slot >= 0 && slot < 6) {
                source.kind = OperandSource::Slot;
                source.slot = static_cast<int>(slot);
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
    source.kind = OperandSource::Buffer;
    source.buffer = takeBuffer();
    steps_.push_back({node, firstOperand, planned.size(), source.buffer});
    for (const OperandSource& operand : planned) {
        if (operand.kind == OperandSource::Buffer) {
            freeBuffers_.push_back(operand.buffer);
        }
    }
    return source;
}

BatchOperand BatchEvaluator::operandView(const OperandSource& source, std::size_t start,
                                         const std::array<const double*, 6>& inputs) const {
    switch (source.kind) {
        case OperandSource::Constant:
            return {&source.constant, 0};
        case OperandSource::Slot: {
            const double* input = inputs[static_cast<std::size_t>(source.slot)];
            return input ? BatchOperand{input + start, 1} : BatchOperand{table_ + source.slot, 0};
        }
        case OperandSource::Pointer:
            return {source.pointer, 0};
        case OperandSource::Buffer:
            return {scratch_.data() + source.buffer * chunkSize, 1};
    }
    return {&source.constant, 0};
}

void BatchEvaluator::evaluate(std::size_t count, const std::array<const double*, 6>& inputs,
                              double* out) {
    for (std::size_t start = 0; start < count; start += chunkSize) {
        const std::size_t n = std::min(chunkSize, count - start);
        for (const Step& step : steps_) {
            views_.clear();
            for (std::size_t i = 0; i < step.operandCount; ++i) {
                views_.push_back(operandView(operands_[step.firstOperand + i], start, inputs));
            }
            step.node->batch(step.node, views_.data(), n,
                             scratch_.data() + step.outBuffer * chunkSize);
        }
        const BatchOperand result = operandView(result_, start, inputs);
        for (std::size_t i = 0; i < n; ++i) {
            out[start + i] = result.values[i * result.stride];
        }
    }
}

}  // namespace plotwise
