#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "engine/OperationNode.h"

namespace plotwise {

// How a function evaluates: one argument, two arguments, the lazy "if", or the derivative node,
// which has no value of its own until simplification replaces it.
enum class FunctionShape { Unary, Binary, Condition, Derivative };

// One built-in function. A derivative template is a format whose "%@" are filled, in order, with
// the items of derivativeFill: "u" and "v" are the first and second argument's descriptions,
// "var" the variable's letter, anything else a function name written as it is. An empty template
// means the default rule (every argument wrapped in its own derivative). When the argument at
// index dependentArgument depends on the variable, dependentTemplate and dependentFill are used
// instead (a variable base of logn, a variable divisor of mod).
struct FunctionDefinition {
    std::u16string_view functionName;
    std::string_view className;
    int validParameterCount;
    FunctionShape shape;
    UnaryEvaluators unary;                  // Unary
    double (*binaryValue)(double, double);  // Binary: the tree's formula
    BinaryEvaluators binaryCompiled;        // Binary: the compiled formula
    std::u16string_view derivativeTemplate;
    std::vector<std::u16string_view> derivativeFill;
    int dependentArgument;
    std::u16string_view dependentTemplate;
    std::vector<std::u16string_view> dependentFill;
};

// The registry in registration order: abs, acos, asin, atan, ceil, cos, cosh, cot, coth, csc,
// csch, d/d, floor, if, ln, log, log2, max, min, sec, sech, sin, sinh, tan, tanh, todeg, torad,
// mod, logn. Lookups, counts and name lists all derive from this one list.
std::span<const FunctionDefinition> functionRegistry();

// The first registered function with this name, compared in lower case; nullptr when none.
const FunctionDefinition* findFunction(std::u16string_view name);

// The registered names except "d/d", in order, followed by "d/dx", "d/dy" and "d/dz".
std::vector<std::u16string> functionNames();

}  // namespace plotwise
