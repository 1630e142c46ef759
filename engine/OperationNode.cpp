#include "engine/OperationNode.h"

#include <array>
#include <cassert>
#include <cmath>
#include <cstddef>
#include <utility>

#include "engine/CommonSubexpressions.h"
#include "engine/MathFunctions.h"
#include "engine/OperationNodeEvaluators.h"
#include "engine/RVOperation.h"
#include "engine/RVToken.h"

namespace plotwise {

using namespace evaluators;

namespace {

double evaluateConstant(const OperationNode* node) {
    return node->data.constant;
}
double evaluateVariable(const OperationNode* node) {
    return *node->data.variable;
}

double evaluateAssignment(const OperationNode* node) {
    const double value = node->data.operands[1]->evaluate(node->data.operands[1]);
    *node->data.operands[0]->data.variable = value;
    return value;
}

double evaluateCondition(const OperationNode* node) {
    const OperationNode* test = node->data.operands[0];
    // Exactly 0.0 chooses the second branch; NaN counts as true.
    const OperationNode* chosen =
        test->evaluate(test) != 0.0 ? node->data.operands[1] : node->data.operands[2];
    return chosen->evaluate(chosen);
}

// Steps are the stores of the shared subtrees, in order, then the root.
double evaluateWithShared(const OperationNode* node) {
    const FoldStep* step = node->data.fold.steps;
    const FoldStep* root = step + node->data.fold.count - 1;
    for (; step != root; ++step) {
        step->operand->evaluate(step->operand);
    }
    return root->operand->evaluate(root->operand);
}

// An assignment's value is its right side's; a batch never writes the table.
void batchAssignment(const OperationNode*, const BatchOperand* operands, std::size_t count,
                     double* out) {
    const BatchOperand& right = operands[1];
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = right.values[i * right.stride];
    }
}

// Both branches were computed for every point; without side effects the chosen one is the same
// value one-at-a-time evaluation gives.
void batchCondition(const OperationNode*, const BatchOperand* operands, std::size_t count,
                    double* out) {
    const BatchOperand& test = operands[0];
    const BatchOperand& whenTrue = operands[1];
    const BatchOperand& whenFalse = operands[2];
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = test.values[i * test.stride] != 0.0 ? whenTrue.values[i * whenTrue.stride]
                                                     : whenFalse.values[i * whenFalse.stride];
    }
}

template <double (*Step)(double, double)>
void applyStep(const BatchOperand& operand, std::size_t count, double* v) {
    if (operand.stride == 0) {
        const double c = operand.values[0];
        for (std::size_t i = 0; i < count; ++i) {
            v[i] = Step(v[i], c);
        }
    } else {
        for (std::size_t i = 0; i < count; ++i) {
            v[i] = Step(v[i], operand.values[i]);
        }
    }
}

void batchFold(const OperationNode* node, const BatchOperand* operands, std::size_t count,
               double* out) {
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = node->data.fold.start;
    }
    for (std::size_t s = 0; s < node->data.fold.count; ++s) {
        switch (node->data.fold.steps[s].operatorType) {
            case TOKEN_PLUS:
                applyStep<&plusStep>(operands[s], count, out);
                break;
            case TOKEN_MINUS:
                applyStep<&minusStep>(operands[s], count, out);
                break;
            case TOKEN_TIMES:
                applyStep<&timesStep>(operands[s], count, out);
                break;
            case TOKEN_DIVIDE:
                applyStep<&divideStep>(operands[s], count, out);
                break;
            default:
                break;
        }
    }
}

double evaluateFold(const OperationNode* node) {
    double v = node->data.fold.start;
    const FoldStep* step = node->data.fold.steps;
    const FoldStep* end = step + node->data.fold.count;
    for (; step != end; ++step) {
        const double c = anyOperandValue(step->operand);
        switch (step->operatorType) {
            case TOKEN_PLUS:
                v = plusStep(v, c);
                break;
            case TOKEN_MINUS:
                v = minusStep(v, c);
                break;
            case TOKEN_TIMES:
                v = timesStep(v, c);
                break;
            case TOKEN_DIVIDE:
                v = divideStep(v, c);
                break;
            default:
                break;
        }
    }
    return v;
}

template <bool FirstIsMinus, double (*Second)(double, double), int Left, int... Right>
constexpr std::array<OperationNodeEvaluate, kOperandKindCount> sumStartRow(
    std::integer_sequence<int, Right...>) {
    return {&evaluateSumStart<FirstIsMinus, Second, Left, Right>...};
}

template <bool FirstIsMinus, double (*Second)(double, double), int... Left>
constexpr std::array<std::array<OperationNodeEvaluate, kOperandKindCount>, kOperandKindCount>
sumStartTable(std::integer_sequence<int, Left...> kinds) {
    return {sumStartRow<FirstIsMinus, Second, Left>(kinds)...};
}

template <bool FirstIsMinus, double (*Second)(double, double)>
constexpr auto kSumStart =
    sumStartTable<FirstIsMinus, Second>(std::make_integer_sequence<int, kOperandKindCount>());

const BinaryEvaluators* stepEvaluators(int operatorType);

double cube(double a) {
    return math::powerValue(a, 3.0);
}
double fourth(double a) {
    return math::powerValue(a, 4.0);
}
double reciprocal(double a) {
    return math::powerValue(a, -1.0);
}

constexpr UnaryEvaluators kNegation = unaryEvaluators<&negate>();
constexpr UnaryEvaluators kSquare = unaryEvaluators<&squareValue>();
constexpr UnaryEvaluators kCube = unaryEvaluators<&cube>();
constexpr UnaryEvaluators kFourth = unaryEvaluators<&fourth>();
constexpr UnaryEvaluators kReciprocal = unaryEvaluators<&reciprocal>();
constexpr BinaryEvaluators kPower = binaryEvaluators<&math::powerValue>();

template <int... I>
constexpr std::array<UnaryEvaluators, sizeof...(I)> integerPowerEvaluators(
    std::integer_sequence<int, I...>) {
    return {unaryEvaluators<&math::integerPower<I - math::kLargestIntegerExponent>>()...};
}
// The evaluators of a^n at index n + 32.
constexpr auto kIntegerPowers = integerPowerEvaluators(
    std::make_integer_sequence<int, 2 * math::kLargestIntegerExponent + 1>());
constexpr BinaryEvaluators kRoot = binaryEvaluators<&math::rootValue>();
constexpr std::array<BinaryEvaluators, 6> kRelations = {
    binaryEvaluators<&compare<0>>(), binaryEvaluators<&compare<1>>(),
    binaryEvaluators<&compare<2>>(), binaryEvaluators<&compare<3>>(),
    binaryEvaluators<&compare<4>>(), binaryEvaluators<&compare<5>>(),
};
constexpr BinaryEvaluators kPlusStep = binaryEvaluators<&plusStep>();
constexpr BinaryEvaluators kMinusStep = binaryEvaluators<&minusStep>();
constexpr BinaryEvaluators kTimesStep = binaryEvaluators<&timesStep>();
constexpr BinaryEvaluators kDivideStep = binaryEvaluators<&divideStep>();

// Longer sums and products become one fold record (see kOperationFold).
constexpr std::size_t kLongestChain = 16;

const BinaryEvaluators* stepEvaluators(int operatorType) {
    switch (operatorType) {
        case TOKEN_PLUS:
            return &kPlusStep;
        case TOKEN_MINUS:
            return &kMinusStep;
        case TOKEN_TIMES:
            return &kTimesStep;
        case TOKEN_DIVIDE:
            return &kDivideStep;
        default:
            return nullptr;
    }
}

}  // namespace

OperationNode* OperationNodeBuilder::newRecord(std::int32_t kind, OperationNodeEvaluate evaluate,
                                               OperationNodeBatch batch) {
    OperationNode& node = records_.emplace_back();
    node.kind = kind;
    node.evaluate = evaluate;
    node.batch = batch;
    return &node;
}

void OperationNodeBuilder::shareSubtrees(const CommonSubexpressions& sharing) {
    sharing_ = &sharing;
    sharedSlots_.assign(sharing.sharedCount(), nullptr);
}

const OperationNode* OperationNodeBuilder::compile(const RVOperation& operation) {
    const int shared = sharing_ ? sharing_->sharedIndexOf(operation) : -1;
    if (shared < 0) {
        const OperationNode* record = compileOnce(operation);
        if (recordOrigins_) {
            origins_.emplace_back(&operation, record);
        }
        return record;
    }
    const auto index = static_cast<std::size_t>(shared);
    if (sharedSlots_[index] == nullptr) {
        const OperationNode* record = compileOnce(operation);
        // An operation that compiles to its only operand's record (parentheses) may have shared
        // it already.
        if (sharedSlots_[index] == nullptr) {
            if (record->kind == kOperationConstant || record->kind == kOperationVariable) {
                return record;
            }
            sharedSlots_[index] = &slots_.emplace_back(0.0);
            shared_.push_back({sharedSlots_[index], record});
        }
    }
    return variable(sharedSlots_[index]);
}

const OperationNode* OperationNodeBuilder::entryFor(const OperationNode* root) {
    if (root == nullptr || shared_.empty()) {
        return root;
    }
    auto steps = std::make_unique<FoldStep[]>(shared_.size() + 1);
    for (std::size_t i = 0; i < shared_.size(); ++i) {
        OperationNode* store = newRecord(kOperationTwoOperands, &evaluateAssignment);
        store->data.operands[0] = variable(shared_[i].slot);
        store->data.operands[1] = shared_[i].value;
        steps[i] = {0, store};
    }
    steps[shared_.size()] = {0, root};
    OperationNode* entry = newRecord(kOperationFold, &evaluateWithShared);
    entry->data.fold.steps = steps.get();
    entry->data.fold.count = shared_.size() + 1;
    foldSteps_.push_back(std::move(steps));
    return entry;
}

const OperationNode* OperationNodeBuilder::compileOnce(const RVOperation& operation) {
    if (foldConstants_ && operation.isConstant()) {
        OperationNodeBuilder scratch(false);
        const OperationNode* record = operation.operationNodeCopy(scratch);
        OperationNode* folded = newRecord(kOperationConstant, &evaluateConstant);
        folded->data.constant = record->evaluate(record);
        folded->isRelation = record->isRelation;  // 2<3 stays a relation, valued 1
        return folded;
    }
    return operation.operationNodeCopy(*this);
}

const OperationNode* OperationNodeBuilder::constant(double value) {
    OperationNode* node = newRecord(kOperationConstant, &evaluateConstant);
    node->data.constant = value;
    return node;
}

const OperationNode* OperationNodeBuilder::variable(double* slot) {
    OperationNode* node = newRecord(kOperationVariable, &evaluateVariable);
    node->data.variable = slot;
    return node;
}

const OperationNode* OperationNodeBuilder::unary(const UnaryEvaluators& evaluators,
                                                 const OperationNode* operand) {
    const int kind = operandKindOf(operand);
    if (kind == kConstantOperand) {
        return constant(evaluators.apply(operand->data.constant));
    }
    OperationNode* node = newRecord(
        kOperationOneOperand, evaluators.byKind[static_cast<std::size_t>(kind)], evaluators.batch);
    node->data.operands[0] = operand;
    return node;
}

const OperationNode* OperationNodeBuilder::negation(const OperationNode* operand) {
    return unary(kNegation, operand);
}

const OperationNode* OperationNodeBuilder::binary(const BinaryEvaluators& evaluators,
                                                  const OperationNode* left,
                                                  const OperationNode* right) {
    if (left->kind == kOperationConstant && right->kind == kOperationConstant) {
        return constant(evaluators.apply(left->data.constant, right->data.constant));
    }
    const auto l = static_cast<std::size_t>(operandKindOf(left));
    const auto r = static_cast<std::size_t>(operandKindOf(right));
    OperationNode* node =
        newRecord(kOperationTwoOperands, evaluators.byKinds[l][r], evaluators.batch);
    node->data.operands[0] = left;
    node->data.operands[1] = right;
    return node;
}

const OperationNode* OperationNodeBuilder::power(const OperationNode* base,
                                                 const OperationNode* exponent) {
    if (exponent->kind == kOperationConstant && base->kind != kOperationConstant) {
        // The forms powerValue multiplies out get a one-operand record of their own.
        const double b = exponent->data.constant;
        if (b == 2.0) {
            return unary(kSquare, base);
        }
        if (b == 3.0) {
            return unary(kCube, base);
        }
        if (b == 4.0) {
            return unary(kFourth, base);
        }
        if (b == -1.0) {
            return unary(kReciprocal, base);
        }
        // The same squarings powerValue runs for other whole exponents up to ±32.
        if (std::fabs(b) <= math::kLargestIntegerExponent && b == std::trunc(b) &&
            std::fabs(b) >= 2.0) {
            return unary(kIntegerPowers[static_cast<std::size_t>(static_cast<int>(b) +
                                                                 math::kLargestIntegerExponent)],
                         base);
        }
    }
    return binary(kPower, base, exponent);
}

const OperationNode* OperationNodeBuilder::root(const OperationNode* index,
                                                const OperationNode* radicand) {
    return binary(kRoot, index, radicand);
}

const OperationNode* OperationNodeBuilder::relation(int relopType, const OperationNode* left,
                                                    const OperationNode* right) {
    const auto& evaluators = kRelations[static_cast<std::size_t>(relopType) % kRelations.size()];
    OperationNode* node = const_cast<OperationNode*>(binary(evaluators, left, right));
    node->isRelation = true;
    return node;
}

const OperationNode* OperationNodeBuilder::assignment(const OperationNode* variableRecord,
                                                      const OperationNode* right) {
    assert(variableRecord->kind == kOperationVariable);
    hasAssignment_ = true;
    OperationNode* node = newRecord(kOperationTwoOperands, &evaluateAssignment, &batchAssignment);
    node->data.operands[0] = variableRecord;
    node->data.operands[1] = right;
    node->isRelation = true;
    return node;
}

const OperationNode* OperationNodeBuilder::condition(const OperationNode* test,
                                                     const OperationNode* whenTrue,
                                                     const OperationNode* whenFalse) {
    OperationNode* node = newRecord(kOperationThreeOperands, &evaluateCondition, &batchCondition);
    node->data.operands[0] = test;
    node->data.operands[1] = whenTrue;
    node->data.operands[2] = whenFalse;
    return node;
}

const OperationNode* OperationNodeBuilder::chainStep(const OperationNode* chain,
                                                     const FoldStep& step) {
    const BinaryEvaluators* evaluators = stepEvaluators(step.operatorType);
    return evaluators ? binary(*evaluators, chain, step.operand) : chain;
}

const OperationNode* OperationNodeBuilder::sumStart(const FoldStep& first, const FoldStep& second) {
    const auto l = static_cast<std::size_t>(operandKindOf(first.operand));
    const auto r = static_cast<std::size_t>(operandKindOf(second.operand));
    const bool firstIsMinus = first.operatorType == TOKEN_MINUS;
    const bool secondIsMinus = second.operatorType == TOKEN_MINUS;
    OperationNodeEvaluate evaluate = nullptr;
    OperationNodeBatch batch = nullptr;
    if (firstIsMinus) {
        evaluate =
            secondIsMinus ? kSumStart<true, &minusStep>[l][r] : kSumStart<true, &plusStep>[l][r];
        batch = secondIsMinus ? &batchBinary<&sumStartValue<true, &minusStep>>
                              : &batchBinary<&sumStartValue<true, &plusStep>>;
    } else {
        evaluate =
            secondIsMinus ? kSumStart<false, &minusStep>[l][r] : kSumStart<false, &plusStep>[l][r];
        batch = secondIsMinus ? &batchBinary<&sumStartValue<false, &minusStep>>
                              : &batchBinary<&sumStartValue<false, &plusStep>>;
    }
    OperationNode* node = newRecord(kOperationTwoOperands, evaluate, batch);
    node->data.operands[0] = first.operand;
    node->data.operands[1] = second.operand;
    return node;
}

const OperationNode* OperationNodeBuilder::fold(double start, const std::vector<FoldStep>& steps) {
    if (steps.size() > kLongestChain) {
        auto stored = std::make_unique<FoldStep[]>(steps.size());
        std::copy(steps.begin(), steps.end(), stored.get());
        OperationNode* node = newRecord(kOperationFold, &evaluateFold, &batchFold);
        node->data.fold.start = start;
        node->data.fold.steps = stored.get();
        node->data.fold.count = steps.size();
        foldSteps_.push_back(std::move(stored));
        return node;
    }
    // A left-deep chain of two-operand records. A leading times step needs no record: 1⋅c is c
    // exactly. A sum's first two steps share one record unless the first folds away.
    auto isAdditive = [](const FoldStep& step) {
        return step.operatorType == TOKEN_PLUS || step.operatorType == TOKEN_MINUS;
    };
    const OperationNode* chain = nullptr;
    std::size_t next = 0;
    if (!steps.empty() && start == 1.0 && steps.front().operatorType == TOKEN_TIMES) {
        chain = steps.front().operand;
        next = 1;
    } else if (steps.size() >= 2 && start == 0.0 && isAdditive(steps[0]) && isAdditive(steps[1]) &&
               steps[0].operand->kind != kOperationConstant &&
               steps[1].operand->kind != kOperationConstant) {
        chain = sumStart(steps[0], steps[1]);
        next = 2;
    } else {
        chain = constant(start);
    }
    for (; next < steps.size(); ++next) {
        chain = chainStep(chain, steps[next]);
    }
    return chain;
}

CompiledExpression compileOperation(const RVOperation& operation) {
    OperationNodeBuilder first;
    first.recordOrigins();
    const OperationNode* root = first.compile(operation);
    if (first.hasAssignment()) {
        return CompiledExpression(std::move(first), root);
    }
    const CommonSubexpressions sharing(root, first.origins());
    if (sharing.sharedCount() == 0) {
        return CompiledExpression(std::move(first), root);
    }
    OperationNodeBuilder second;
    second.shareSubtrees(sharing);
    const OperationNode* sharedRoot = second.compile(operation);
    return CompiledExpression(std::move(second), sharedRoot);
}

}  // namespace plotwise
