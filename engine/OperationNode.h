#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <memory>
#include <utility>
#include <vector>

// The compiled evaluation form: a tree of plain records that the samplers evaluate at every sample
// point. Each record carries its own evaluation function, chosen when compiling for the kinds of
// its operands, so constant and variable operands are read in place instead of being called.
namespace plotwise {

class RVOperation;
struct OperationNode;

using OperationNodeEvaluate = double (*)(const OperationNode*);

// One operand of a batch pass: `stride` 1 for an array of values, 0 for one value for all.
struct BatchOperand {
    const double* values;
    std::size_t stride;
};
// Evaluates a record at `count` points from its operands' values (in operand order) into `out`.
using OperationNodeBatch = void (*)(const OperationNode*, const BatchOperand* operands,
                                    std::size_t count, double* out);

enum OperationNodeKind : std::int32_t {
    kOperationConstant = 0,
    kOperationVariable = 1,
    kOperationOneOperand = 2,
    kOperationTwoOperands = 3,
    kOperationThreeOperands = 4,
    // A long sum or product folded in a loop instead of a left-deep chain, so that evaluating it
    // never recurses deeper than the expression nests.
    kOperationFold = 5,
};

// One step of a fold: the holder's operator token type (+, -, ⋅, /) and its operand.
struct FoldStep {
    int operatorType;
    const OperationNode* operand;
};

struct OperationNode {
    OperationNodeEvaluate evaluate = nullptr;
    union Data {
        double constant;
        double* variable;  // a slot of the variable table, not owned; assignments write it
        const OperationNode* operands[3];
        struct {
            double start;
            const FoldStep* steps;
            std::size_t count;
        } fold;
    } data{};
    std::int32_t kind = kOperationConstant;
    bool isRelation = false;
    // The same formula over many points (BatchEvaluator); unused by leaves.
    OperationNodeBatch batch = nullptr;
};

inline double evaluateOperationNode(const OperationNode* node) {
    return node->evaluate(node);
}

// Evaluation functions for one-argument formulas, chosen by the operand's kind.
// by the operand kinds of OperationNodeEvaluators.h (a constant operand is folded instead).
struct UnaryEvaluators {
    double (*apply)(double);
    std::array<OperationNodeEvaluate, 5> byKind;
    OperationNodeBatch batch;
};

// Evaluation functions for two-argument formulas, [left kind][right kind] with the operand
// kinds of OperationNodeEvaluators.h.
struct BinaryEvaluators {
    double (*apply)(double, double);
    std::array<std::array<OperationNodeEvaluate, 5>, 5> byKinds;
    OperationNodeBatch batch;
};

class CommonSubexpressions;

// A subtree computed once per evaluation, before the root, into `slot`; the records that use it
// read the slot as a variable.
struct SharedValue {
    double* slot;
    const OperationNode* value;
};

// Builds records; owns them until handed to a CompiledExpression. Records live in a deque so
// their addresses stay put while the builder grows.
class OperationNodeBuilder {
public:
    explicit OperationNodeBuilder(bool foldConstants = true) : foldConstants_(foldConstants) {}

    // Pairs each compiled operation with its record, for finding common subexpressions.
    void recordOrigins() { recordOrigins_ = true; }
    // Compiles each subtree `sharing` names once into a slot of its own.
    void shareSubtrees(const CommonSubexpressions& sharing);
    bool hasAssignment() const { return hasAssignment_; }
    const std::vector<std::pair<const RVOperation*, const OperationNode*>>& origins() const {
        return origins_;
    }

    // Compiles a subtree. A subtree without variables is evaluated once here and becomes one
    // constant record holding exactly the value the records would compute.
    const OperationNode* compile(const RVOperation& operation);

    const OperationNode* constant(double value);
    const OperationNode* variable(double* slot);
    const OperationNode* negation(const OperationNode* operand);
    const OperationNode* unary(const UnaryEvaluators& evaluators, const OperationNode* operand);
    const OperationNode* binary(const BinaryEvaluators& evaluators, const OperationNode* left,
                                const OperationNode* right);
    const OperationNode* power(const OperationNode* base, const OperationNode* exponent);
    const OperationNode* root(const OperationNode* index, const OperationNode* radicand);
    const OperationNode* relation(int relopType, const OperationNode* left,
                                  const OperationNode* right);
    const OperationNode* assignment(const OperationNode* variableRecord,
                                    const OperationNode* right);
    const OperationNode* condition(const OperationNode* test, const OperationNode* whenTrue,
                                   const OperationNode* whenFalse);
    // A sum or product: start value, then one step per holder in order.
    const OperationNode* fold(double start, const std::vector<FoldStep>& steps);

private:
    friend class CompiledExpression;
    OperationNode* newRecord(std::int32_t kind, OperationNodeEvaluate evaluate,
                             OperationNodeBatch batch = nullptr);
    // One step of a sum or product chain; folded here when both sides are constants.
    const OperationNode* chainStep(const OperationNode* chain, const FoldStep& step);
    const OperationNode* sumStart(const FoldStep& first, const FoldStep& second);

    const OperationNode* compileOnce(const RVOperation& operation);
    // The root itself, or a record that stores each shared subtree in its slot and then
    // evaluates the root.
    const OperationNode* entryFor(const OperationNode* root);

    std::deque<OperationNode> records_;
    std::vector<std::unique_ptr<FoldStep[]>> foldSteps_;
    bool foldConstants_;
    bool recordOrigins_ = false;
    bool hasAssignment_ = false;
    std::vector<std::pair<const RVOperation*, const OperationNode*>> origins_;
    const CommonSubexpressions* sharing_ = nullptr;
    std::vector<double*> sharedSlots_;  // by shared index; null until compiled
    std::deque<double> slots_;
    std::vector<SharedValue> shared_;
};

// The owner of a compiled form. Nothing in it refers to the object tree, only to the variable
// table, which must outlive it.
class CompiledExpression {
public:
    CompiledExpression() = default;
    CompiledExpression(OperationNodeBuilder&& builder, const OperationNode* root)
        : entry_(builder.entryFor(root)),
          records_(std::move(builder.records_)),
          foldSteps_(std::move(builder.foldSteps_)),
          slots_(std::move(builder.slots_)),
          shared_(std::move(builder.shared_)),
          root_(root) {}

    // The shared subtrees, then the root, through one record: no cost when nothing is shared.
    double evaluate() const { return entry_ ? entry_->evaluate(entry_) : 0.0; }
    // The subtrees computed once, in an order where each comes after those it reads.
    const std::vector<SharedValue>& sharedValues() const { return shared_; }
    const OperationNode* root() const { return root_; }
    bool isRelation() const { return root_ && root_->isRelation; }
    bool empty() const { return root_ == nullptr; }
    std::size_t recordCount() const { return records_.size(); }

private:
    const OperationNode* entry_ = nullptr;
    std::deque<OperationNode> records_;
    std::vector<std::unique_ptr<FoldStep[]>> foldSteps_;
    std::deque<double> slots_;  // moving a deque keeps its elements where they are
    std::vector<SharedValue> shared_;
    const OperationNode* root_ = nullptr;
};

// Compiles a whole subtree into an owned compiled form; subtrees that occur more than once are
// computed once (not in forms with an assignment, whose order of evaluation matters).
CompiledExpression compileOperation(const RVOperation& operation);

}  // namespace plotwise
