#pragma once

#include "MathFunctions.h"
#include "OperationNode.h"

// Template evaluation functions for the compiled records. One instantiation per formula and
// operand kinds: the formula is inlined and leaves are read in place, never called.
namespace plotwise::evaluators {

enum OperandKind { kConstantOperand = 0, kVariableOperand = 1, kRecordOperand = 2 };

inline int operandKindOf(const OperationNode* node) {
    switch (node->kind) {
        case kOperationConstant:
            return kConstantOperand;
        case kOperationVariable:
            return kVariableOperand;
        default:
            return kRecordOperand;
    }
}

template <int Kind>
inline double operandValue(const OperationNode* node) {
    if constexpr (Kind == kConstantOperand) {
        return node->data.constant;
    } else if constexpr (Kind == kVariableOperand) {
        return *node->data.variable;
    } else {
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

template <double (*F)(double)>
constexpr UnaryEvaluators unaryEvaluators() {
    return {F, &evaluateUnary<F, kVariableOperand>, &evaluateUnary<F, kRecordOperand>};
}

template <double (*F)(double, double)>
constexpr BinaryEvaluators binaryEvaluators() {
    return {F,
            {{&evaluateBinary<F, 0, 0>, &evaluateBinary<F, 0, 1>, &evaluateBinary<F, 0, 2>},
             {&evaluateBinary<F, 1, 0>, &evaluateBinary<F, 1, 1>, &evaluateBinary<F, 1, 2>},
             {&evaluateBinary<F, 2, 0>, &evaluateBinary<F, 2, 1>, &evaluateBinary<F, 2, 2>}}};
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

inline double negate(double u) {
    return -u;
}

template <int Relop>
inline double compare(double l, double r) {
    return math::relationValue(Relop, l, r);
}

}  // namespace plotwise::evaluators
