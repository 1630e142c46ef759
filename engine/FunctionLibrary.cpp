#include "engine/FunctionLibrary.h"

#include "engine/MathFunctions.h"
#include "engine/OperationNodeEvaluators.h"
#include "engine/TextUtilities.h"

namespace plotwise {

namespace {

using evaluators::binaryEvaluators;
using evaluators::unaryEvaluators;

FunctionDefinition unaryFunction(std::u16string_view name, std::string_view className,
                                 UnaryEvaluators evaluators, std::u16string_view derivative = {},
                                 std::vector<std::u16string_view> fill = {}) {
    return {name,    className, 1,          FunctionShape::Unary, evaluators,
            nullptr, {},        derivative, std::move(fill),      -1,
            {},      {}};
}

FunctionDefinition binaryFunction(std::u16string_view name, std::string_view className,
                                  double (*value)(double, double), BinaryEvaluators compiled,
                                  std::u16string_view derivative,
                                  std::vector<std::u16string_view> fill, int dependentArgument = -1,
                                  std::u16string_view dependentDerivative = {},
                                  std::vector<std::u16string_view> dependentFill = {}) {
    return {name,
            className,
            2,
            FunctionShape::Binary,
            {},
            value,
            compiled,
            derivative,
            std::move(fill),
            dependentArgument,
            dependentDerivative,
            std::move(dependentFill)};
}

// Rounding functions are steps: wherever their derivative exists, it is 0.
constexpr std::u16string_view kStepDerivative = u"0";

std::vector<FunctionDefinition> makeRegistry() {
    using namespace math;
    std::vector<FunctionDefinition> r;
    r.push_back(unaryFunction(u"abs", "RVFunctionABS", unaryEvaluators<&absValue>(),
                              u"((%@)*d/d%@(%@))/abs(%@)", {u"u", u"var", u"u", u"u"}));
    r.push_back(unaryFunction(u"acos", "RVFunctionACOS", unaryEvaluators<&acosValue>(),
                              u"-d/d%@(%@)/√(1-(%@)^2)", {u"var", u"u", u"u"}));
    r.push_back(unaryFunction(u"asin", "RVFunctionASIN", unaryEvaluators<&asinValue>(),
                              u"d/d%@(%@)/√(1-(%@)^2)", {u"var", u"u", u"u"}));
    r.push_back(unaryFunction(u"atan", "RVFunctionATAN", unaryEvaluators<&atanValue>(),
                              u"d/d%@(%@)/(1+(%@)^2)", {u"var", u"u", u"u"}));
    r.push_back(
        unaryFunction(u"ceil", "RVFunctionCEIL", unaryEvaluators<&ceilValue>(), kStepDerivative));
    r.push_back(unaryFunction(u"cos", "RVFunctionCOS", unaryEvaluators<&cosValue>(),
                              u"-%@(%@)*d/d%@(%@)", {u"sin", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"cosh", "RVFunctionCOSH", unaryEvaluators<&coshValue>(),
                              u"%@(%@)*d/d%@(%@)", {u"sinh", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"cot", "RVFunctionCOT", unaryEvaluators<&cotValue>(),
                              u"-%@(%@)^2*d/d%@(%@)", {u"csc", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"coth", "RVFunctionCOTH", unaryEvaluators<&cothValue>(),
                              u"-%@(%@)^2*d/d%@(%@)", {u"csch", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"csc", "RVFunctionCSC", unaryEvaluators<&cscValue>(),
                              u"-%@(%@)%@(%@)*d/d%@(%@)",
                              {u"csc", u"u", u"cot", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"csch", "RVFunctionCSCH", unaryEvaluators<&cschValue>(),
                              u"-%@(%@)%@(%@)*d/d%@(%@)",
                              {u"coth", u"u", u"csch", u"u", u"var", u"u"}));
    r.push_back({u"d/d",
                 "RVFunctionDERIVATE",
                 2,
                 FunctionShape::Derivative,
                 {},
                 nullptr,
                 {},
                 {},
                 {},
                 -1,
                 {},
                 {}});
    r.push_back(unaryFunction(u"floor", "RVFunctionFLOOR", unaryEvaluators<&floorValue>(),
                              kStepDerivative));
    // "if" keeps its condition and differentiates each branch (the default rule from the second
    // argument on).
    r.push_back(
        {u"if", "RVFunctionIF", 3, FunctionShape::Condition, {}, nullptr, {}, {}, {}, -1, {}, {}});
    r.push_back(unaryFunction(u"ln", "RVFunctionLN", unaryEvaluators<&lnValue>(), u"d/d%@(%@)/(%@)",
                              {u"var", u"u", u"u"}));
    r.push_back(unaryFunction(u"log", "RVFunctionLOG", unaryEvaluators<&logValue>(),
                              u"1/((%@)*ln(10))*d/d%@(%@)", {u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"log2", "RVFunctionLOG2", unaryEvaluators<&log2Value>(),
                              u"1/((%@)*ln(2))*d/d%@(%@)", {u"u", u"var", u"u"}));
    // The derivative of the branch the value takes, chosen by the same comparison as the value.
    r.push_back(binaryFunction(
        u"max", "RVFunctionMAX", &maxValue, binaryEvaluators<&compiledMaxValue>(),
        u"if((%@)>(%@), d/d%@(%@), d/d%@(%@))", {u"u", u"v", u"var", u"u", u"var", u"v"}));
    r.push_back(binaryFunction(
        u"min", "RVFunctionMIN", &minValue, binaryEvaluators<&compiledMinValue>(),
        u"if((%@)<(%@), d/d%@(%@), d/d%@(%@))", {u"u", u"v", u"var", u"u", u"var", u"v"}));
    r.push_back(unaryFunction(u"sec", "RVFunctionSEC", unaryEvaluators<&secValue>(),
                              u"%@(%@)%@(%@)*d/d%@(%@)",
                              {u"sec", u"u", u"tan", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"sech", "RVFunctionSECH", unaryEvaluators<&sechValue>(),
                              u"-%@(%@)%@(%@)*d/d%@(%@)",
                              {u"tanh", u"u", u"sech", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"sin", "RVFunctionSIN", unaryEvaluators<&sinValue>(),
                              u"%@(%@)*d/d%@(%@)", {u"cos", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"sinh", "RVFunctionSINH", unaryEvaluators<&sinhValue>(),
                              u"%@(%@)*d/d%@(%@)", {u"cosh", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"tan", "RVFunctionTAN", unaryEvaluators<&tanValue>(),
                              u"%@(%@)^2*d/d%@(%@)", {u"sec", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"tanh", "RVFunctionTANH", unaryEvaluators<&tanhValue>(),
                              u"%@(%@)^2*d/d%@(%@)", {u"sech", u"u", u"var", u"u"}));
    r.push_back(unaryFunction(u"todeg", "RVFunctionTODEG", unaryEvaluators<&todegValue>()));
    r.push_back(unaryFunction(u"torad", "RVFunctionTORAD", unaryEvaluators<&toradValue>()));
    // mod(u, v) = u − v⋅trunc(u/v), and trunc(u/v) = (u − mod(u, v))/v is a step.
    r.push_back(binaryFunction(u"mod", "RVFunctionMOD", &modValue, binaryEvaluators<&modValue>(),
                               u"d/d%@(%@)", {u"var", u"u"}, 1,
                               u"d/d%@(%@)-d/d%@(%@)*((%@)-mod(%@, %@))/(%@)",
                               {u"var", u"u", u"var", u"v", u"u", u"u", u"v", u"v"}));
    // logn(u, v) = ln v / ln u: a base that depends on the variable needs the quotient rule.
    r.push_back(binaryFunction(u"logn", "RVFunctionLOGN", &lognValue,
                               binaryEvaluators<&lognValue>(), u"1/((%@)*ln(%@))*d/d%@(%@)",
                               {u"v", u"u", u"var", u"v"}, 0,
                               u"(d/d%@(%@)/(%@)*ln(%@)-ln(%@)*d/d%@(%@)/(%@))/ln(%@)^2",
                               {u"var", u"v", u"v", u"u", u"v", u"var", u"u", u"u", u"u"}));
    return r;
}

}  // namespace

std::span<const FunctionDefinition> functionRegistry() {
    static const std::vector<FunctionDefinition> registry = makeRegistry();
    return registry;
}

const FunctionDefinition* findFunction(std::u16string_view name) {
    const std::u16string lower = asciiLowercase(name);
    for (const FunctionDefinition& definition : functionRegistry()) {
        if (definition.functionName == lower) {
            return &definition;
        }
    }
    return nullptr;
}

std::vector<std::u16string> functionNames() {
    std::vector<std::u16string> names;
    for (const FunctionDefinition& definition : functionRegistry()) {
        if (definition.shape != FunctionShape::Derivative) {
            names.emplace_back(definition.functionName);
        }
    }
    names.insert(names.end(), {u"d/dx", u"d/dy", u"d/dz"});
    return names;
}

}  // namespace plotwise
