#pragma once

#include <array>
#include <utility>

#include "engine/MathFunctions.h"
#include "engine/OperationNode.h"

// Template evaluation functions for the compiled records. One instantiation per formula and
// operand kinds: the formula is inlined and leaves are read in place, never called.
namespace plotwise::evaluators {

// How a record reads an operand: constants, variables, squares of variables and constant
// multiples of variables (x^2 and 2x are the commonest terms of all) in place; anything else
// through the operand's own function.
enum OperandKind {
    kConstantOperand = 0,
    kVariableOperand = 1,
    kSquareOfVariableOperand = 2,
    kScaledVariableOperand = 3,
    kRecordOperand = 4,
    kOperandKindCount = 5,
};

inline double squareValue(double a) {
    return math::powerValue(a, 2.0);
}

// The holders' folding steps, in the holders' own operand order: v is the value so far, c the
// holder's operand.
inline double plusStep(double v, double c) {
    return c + v;
}
inline double minusStep(double v, double c) {
    return v - c;
}
inline double timesStep(double v, double c) {
    return c * v;
}
inline double divideStep(double v, double c) {
    return v / c;
}

template <double (*F)(double), int Kind>
double evaluateUnary(const OperationNode* node);
template <double (*F)(double, double), int Left, int Right>
double evaluateBinary(const OperationNode* node);

inline int operandKindOf(const OperationNode* node) {
    switch (node->kind) {
        case kOperationConstant:
            return kConstantOperand;
        case kOperationVariable:
            return kVariableOperand;
        default:
            if (node->evaluate == &evaluateUnary<&squareValue, kVariableOperand>) {
                return kSquareOfVariableOperand;
            }
            if (node->evaluate == &evaluateBinary<&timesStep, kConstantOperand, kVariableOperand>) {
                return kScaledVariableOperand;
            }
            return kRecordOperand;
    }
}

template <int Kind>
inline double operandValue(const OperationNode* node) {
    if constexpr (Kind == kConstantOperand) {
        return node->data.constant;
    } else if constexpr (Kind == kVariableOperand) {
        return *node->data.variable;
    } else if constexpr (Kind == kSquareOfVariableOperand) {
        return squareValue(*node->data.operands[0]->data.variable);
    } else if constexpr (Kind == kScaledVariableOperand) {
        return timesStep(node->data.operands[0]->data.constant,
                         *node->data.operands[1]->data.variable);
    } else {
        return node->evaluate(node);
    }
}

// The same, deciding at run time (for the loop of a fold record).
inline double anyOperandValue(const OperationNode* node) {
    switch (node->kind) {
        case kOperationConstant:
            return node->data.constant;
        case kOperationVariable:
            return *node->data.variable;
        default:
            return node->evaluate(node);
    }
}

template <double (*F)(double), int Kind>
double evaluateUnary(const OperationNode* node) {
    return F(operandValue<Kind>(node->data.operands[0]));
}

template <double (*F)(double, double), int Left, int Right>
double evaluateBinary(const OperationNode* node) {
    return F(operandValue<Left>(node->data.operands[0]),
             operandValue<Right>(node->data.operands[1]));
}

// Batch passes: the loops are split by stride so that arithmetic over arrays vectorises.
template <double (*F)(double)>
void batchUnary(const OperationNode*, const BatchOperand* operands, std::size_t count,
                double* out) {
    const double* a = operands[0].values;
    if (operands[0].stride == 0) {
        const double value = F(a[0]);
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = value;
        }
        return;
    }
    for (std::size_t i = 0; i < count; ++i) {
        out[i] = F(a[i]);
    }
}

template <double (*F)(double, double)>
void batchBinary(const OperationNode*, const BatchOperand* operands, std::size_t count,
                 double* out) {
    const double* a = operands[0].values;
    const double* b = operands[1].values;
    if (operands[0].stride != 0 && operands[1].stride != 0) {
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = F(a[i], b[i]);
        }
    } else if (operands[0].stride != 0) {
        const double right = b[0];
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = F(a[i], right);
        }
    } else if (operands[1].stride != 0) {
        const double left = a[0];
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = F(left, b[i]);
        }
    } else {
        const double value = F(a[0], b[0]);
        for (std::size_t i = 0; i < count; ++i) {
            out[i] = value;
        }
    }
}

template <double (*F)(double), int... Kind>
constexpr UnaryEvaluators unaryEvaluatorTable(std::integer_sequence<int, Kind...>) {
    return {F, {&evaluateUnary<F, Kind>...}, &batchUnary<F>};
}

template <double (*F)(double)>
constexpr UnaryEvaluators unaryEvaluators() {
    return unaryEvaluatorTable<F>(std::make_integer_sequence<int, kOperandKindCount>());
}

template <double (*F)(double, double), int Left, int... Right>
constexpr std::array<OperationNodeEvaluate, kOperandKindCount> evaluatorRow(
    std::integer_sequence<int, Right...>) {
    return {&evaluateBinary<F, Left, Right>...};
}

template <double (*F)(double, double), int... Left>
constexpr BinaryEvaluators binaryEvaluatorTable(std::integer_sequence<int, Left...> kinds) {
    return {F, {evaluatorRow<F, Left>(kinds)...}, &batchBinary<F>};
}

template <double (*F)(double, double)>
constexpr BinaryEvaluators binaryEvaluators() {
    return binaryEvaluatorTable<F>(std::make_integer_sequence<int, kOperandKindCount>());
}

inline double negate(double u) {
    return -u;
}

template <bool FirstIsMinus, double (*Second)(double, double)>
double sumStartValue(double a, double b) {
    const double first = FirstIsMinus ? minusStep(0.0, a) : plusStep(0.0, a);
    return Second(first, b);
}

// The first two steps of a sum in one record: (0 ± a) then the second step. The start 0 must
// stay, since 0 + (−0) is +0.
template <bool FirstIsMinus, double (*Second)(double, double), int Left, int Right>
double evaluateSumStart(const OperationNode* node) {
    return sumStartValue<FirstIsMinus, Second>(operandValue<Left>(node->data.operands[0]),
                                               operandValue<Right>(node->data.operands[1]));
}

template <int Relop>
inline double compare(double l, double r) {
    return math::relationValue(Relop, l, r);
}

}  // namespace plotwise::evaluators
