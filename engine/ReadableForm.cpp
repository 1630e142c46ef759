#include "engine/ReadableForm.h"

#include <algorithm>
#include <cmath>
#include <optional>
#include <utility>
#include <vector>

#include "engine/RVBinaryOperation.h"
#include "engine/RVCommutativeOperation.h"
#include "engine/RVConstant.h"
#include "engine/RVFunction.h"
#include "engine/RVFunctionDERIVATE.h"
#include "engine/RVNumber.h"
#include "engine/RVOperationTree.h"
#include "engine/RVParentheses.h"
#include "engine/RVRelationOperation.h"
#include "engine/RVUnaryMinus.h"
#include "engine/RVVariable.h"
#include "engine/TextUtilities.h"

namespace plotwise {

namespace {

// Fractions with a larger denominator are not what a reader calls simple.
constexpr int kMaximumDenominator = 1000;

// A small algebraic form of the tree, normalised while it is built: a sum is a list of products,
// a product a numeric coefficient times bases raised to numeric exponents. Numbers are finite;
// non-finite ones stay leaves spelled as the tree spells them.
struct Expr {
    enum class Kind { Number, Leaf, Call, Relation, Sum, Product, Power, Root };
    Kind kind = Kind::Number;
    double value = 0.0;                // Number: the value; Product: the coefficient
    std::u16string text;               // Leaf: as printed; Call: the name; Relation: the operator
    std::vector<Expr> parts;           // Call: arguments; Relation, Power, Root: two operands;
                                       // Sum: the terms (products); Product: the bases
    std::vector<double> exponents;     // Product: each base's exponent, never 0
    std::vector<std::u16string> keys;  // Product: each base printed; Sum: each term's monomial
};

using Kind = Expr::Kind;

bool isInteger(double v) {
    return std::isfinite(v) && v == std::nearbyint(v);
}

Expr numberExpr(double value) {
    Expr e;
    e.value = value;
    return e;
}

Expr leafExpr(std::u16string text) {
    Expr e;
    e.kind = Kind::Leaf;
    e.text = std::move(text);
    return e;
}

Expr productExpr(double coefficient) {
    Expr e;
    e.kind = Kind::Product;
    e.value = coefficient;
    return e;
}

// p/q with q ≤ kMaximumDenominator that rounds to within one ulp of v.
std::optional<std::pair<double, double>> simpleFraction(double v) {
    if (!std::isfinite(v) || isInteger(v)) {
        return std::nullopt;
    }
    for (int q = 2; q <= kMaximumDenominator; ++q) {
        const double p = std::nearbyint(v * q);
        if (p == 0.0 || std::fabs(p) > 9007199254740992.0) {
            continue;
        }
        const double approximation = p / q;
        if (approximation == v || std::nextafter(approximation, v) == v) {
            return std::make_pair(p, static_cast<double>(q));
        }
    }
    return std::nullopt;
}

std::u16string fractionText(std::pair<double, double> fraction) {
    return concatenated(
        {plainDecimalText(fraction.first), u"/", plainDecimalText(fraction.second)});
}

std::u16string numberText(double v) {
    std::u16string decimal = plainDecimalText(v);
    if (const auto fraction = simpleFraction(v)) {
        std::u16string text = fractionText(*fraction);
        if (text.size() < decimal.size()) {
            return text;
        }
    }
    return decimal;
}

std::u16string print(const Expr& e);

bool isAtomic(const Expr& e, const std::u16string& printed) {
    switch (e.kind) {
        case Kind::Leaf:
        case Kind::Call:
            return true;
        case Kind::Number:
            return !std::signbit(e.value) && printed.find(u'/') == std::u16string::npos;
        default:
            return false;
    }
}

std::u16string operand(const Expr& e, const std::u16string& printed) {
    return isAtomic(e, printed) ? printed : bracketed(printed);
}

std::u16string operand(const Expr& e) {
    return operand(e, print(e));
}

std::u16string joined(const std::vector<std::u16string>& items, std::u16string_view separator) {
    std::u16string text;
    for (std::size_t i = 0; i < items.size(); ++i) {
        if (i > 0) {
            text += separator;
        }
        text += items[i];
    }
    return text;
}

struct PrintedFactor {
    std::u16string text;
    bool indexedRoot = false;  // "3√x": a reader takes "1/3√x" for a third of √x
};

// base^exponent, with exponents 1/n written as roots (the same function: math::powerValue).
PrintedFactor printFactor(const Expr& base, const std::u16string& printedBase, double exponent) {
    if (exponent == 1.0) {
        // Powers and roots bind tighter than ⋅ and /; sums, products and relations do not.
        if (base.kind == Kind::Power) {
            return {printedBase};
        }
        if (base.kind == Kind::Root) {
            return {printedBase, true};
        }
        return {operand(base, printedBase)};
    }
    if (!isInteger(exponent)) {
        const double index = 1.0 / exponent;
        if (isInteger(index) && index > 0.0 && 1.0 / index == exponent) {
            std::u16string radicand = operand(base, printedBase);
            if (index == 2.0) {
                return {u"√" + radicand};
            }
            return {concatenated({plainDecimalText(index), u"√", radicand}), true};
        }
    }
    const std::u16string power = numberText(exponent);
    const bool atomicPower = !std::signbit(exponent) && power.find(u'/') == std::u16string::npos;
    return {
        concatenated({operand(base, printedBase), u"^", atomicPower ? power : bracketed(power)})};
}

int factorRank(const Expr& base) {
    switch (base.kind) {
        case Kind::Number:
        case Kind::Leaf:
            return 0;
        case Kind::Call:
            return 1;
        case Kind::Power:
        case Kind::Root:
            return 2;
        default:
            return 3;
    }
}

// A product as a term of a sum: its sign apart, then numerator/denominator.
std::pair<bool, std::u16string> printTerm(const Expr& p) {
    const double coefficient = p.value;
    if (coefficient == 0.0) {
        return {false, u"0"};
    }
    const bool negative = coefficient < 0.0;
    const double magnitude = std::fabs(coefficient);
    std::vector<std::u16string> numerator;
    std::vector<PrintedFactor> denominator;
    if (magnitude != 1.0) {
        const std::u16string decimal = plainDecimalText(magnitude);
        const auto fraction = simpleFraction(magnitude);
        if (fraction && fractionText(*fraction).size() <= decimal.size()) {
            if (fraction->first != 1.0) {
                numerator.push_back(plainDecimalText(fraction->first));
            }
            denominator.push_back({plainDecimalText(fraction->second)});
        } else {
            numerator.push_back(decimal);
        }
    }
    // Variables and constants (and their powers) before functions, functions before the rest,
    // as in x^2⋅sin(x); the tree's own order otherwise.
    std::vector<std::size_t> order(p.parts.size());
    for (std::size_t i = 0; i < order.size(); ++i) {
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(), [&p](std::size_t a, std::size_t b) {
        return factorRank(p.parts[a]) < factorRank(p.parts[b]);
    });
    for (const std::size_t i : order) {
        const double exponent = p.exponents[i];
        if (exponent > 0.0) {
            numerator.push_back(printFactor(p.parts[i], p.keys[i], exponent).text);
        } else {
            denominator.push_back(printFactor(p.parts[i], p.keys[i], -exponent));
        }
    }
    std::u16string text = numerator.empty() ? u"1" : joined(numerator, u"⋅");
    if (denominator.size() == 1) {
        const PrintedFactor& only = denominator.front();
        text += u"/" + (only.indexedRoot ? bracketed(only.text) : only.text);
    } else if (!denominator.empty()) {
        std::vector<std::u16string> items;
        for (const PrintedFactor& factor : denominator) {
            items.push_back(factor.text);
        }
        text += u"/" + bracketed(joined(items, u"⋅"));
    }
    return {negative, text};
}

std::u16string print(const Expr& e) {
    switch (e.kind) {
        case Kind::Number:
            return numberText(e.value);
        case Kind::Leaf:
            return e.text;
        case Kind::Call: {
            std::vector<std::u16string> arguments;
            for (const Expr& argument : e.parts) {
                arguments.push_back(print(argument));
            }
            return e.text + bracketed(joined(arguments, u", "));
        }
        case Kind::Relation:
            return concatenated({print(e.parts[0]), e.text, print(e.parts[1])});
        case Kind::Sum: {
            std::u16string text;
            for (std::size_t i = 0; i < e.parts.size(); ++i) {
                auto [negative, magnitude] = printTerm(e.parts[i]);
                if (negative) {
                    text += u'-';
                } else if (i > 0) {
                    text += u'+';
                }
                text += magnitude;
            }
            return text;
        }
        case Kind::Product: {
            auto [negative, magnitude] = printTerm(e);
            return negative ? u"-" + magnitude : magnitude;
        }
        case Kind::Power:
            return concatenated({operand(e.parts[0]), u"^", operand(e.parts[1])});
        case Kind::Root:
            return concatenated({operand(e.parts[0]), u"√", operand(e.parts[1])});
    }
    return {};
}

Expr asProduct(Expr e) {
    if (e.kind == Kind::Product) {
        return e;
    }
    if (e.kind == Kind::Number) {
        return productExpr(e.value);
    }
    Expr p = productExpr(1.0);
    p.keys.push_back(print(e));
    p.parts.push_back(std::move(e));
    p.exponents.push_back(1.0);
    return p;
}

// Multiplies by base^exponent; like bases with integer exponents are collected (x⋅x → x^2).
// Fractional exponents stay apart: √x⋅√x is NaN for x < 0, x is not.
void appendFactor(Expr& p, Expr base, std::u16string key, double exponent) {
    if (isInteger(exponent)) {
        for (std::size_t i = 0; i < p.parts.size(); ++i) {
            if (p.keys[i] == key && isInteger(p.exponents[i])) {
                p.exponents[i] += exponent;
                if (p.exponents[i] == 0.0) {
                    p.parts.erase(p.parts.begin() + static_cast<std::ptrdiff_t>(i));
                    p.exponents.erase(p.exponents.begin() + static_cast<std::ptrdiff_t>(i));
                    p.keys.erase(p.keys.begin() + static_cast<std::ptrdiff_t>(i));
                }
                return;
            }
        }
    }
    p.parts.push_back(std::move(base));
    p.keys.push_back(std::move(key));
    p.exponents.push_back(exponent);
}

// Folds a numeric factor (sign +1) or divisor (sign −1) into the coefficient when the result
// stays finite and the divisor is not 0; x/0 keeps its divisor.
bool foldCoefficient(Expr& p, double factor, double sign) {
    const double folded = sign > 0 ? p.value * factor : p.value / factor;
    if ((sign < 0 && factor == 0.0) || !std::isfinite(folded)) {
        return false;
    }
    p.value = folded;
    return true;
}

void multiply(Expr& p, Expr f, double sign) {
    if (f.kind == Kind::Number) {
        if (!foldCoefficient(p, f.value, sign)) {
            std::u16string key = print(f);
            appendFactor(p, std::move(f), std::move(key), sign);
        }
        return;
    }
    if (f.kind == Kind::Product) {
        if (!foldCoefficient(p, f.value, sign)) {
            appendFactor(p, numberExpr(f.value), plainDecimalText(f.value), sign);
        }
        for (std::size_t i = 0; i < f.parts.size(); ++i) {
            appendFactor(p, std::move(f.parts[i]), std::move(f.keys[i]), f.exponents[i] * sign);
        }
        return;
    }
    std::u16string key = print(f);
    appendFactor(p, std::move(f), std::move(key), sign);
}

Expr finish(Expr e) {
    if (e.kind == Kind::Product) {
        if (e.parts.empty() || e.value == 0.0) {
            return numberExpr(e.value);
        }
        if (e.value == 1.0 && e.parts.size() == 1 && e.exponents[0] == 1.0) {
            return std::move(e.parts[0]);
        }
        return e;
    }
    if (e.kind == Kind::Sum) {
        if (e.parts.empty()) {
            return numberExpr(0.0);
        }
        if (e.parts.size() == 1) {
            return finish(std::move(e.parts[0]));
        }
        // Numbers last, and a positive term leads where there is one: x-1, not -1+x.
        std::stable_partition(e.parts.begin(), e.parts.end(),
                              [](const Expr& term) { return !term.parts.empty(); });
        if (e.parts.front().value < 0.0) {
            const auto positive = std::find_if(e.parts.begin(), e.parts.end(),
                                               [](const Expr& term) { return term.value > 0.0; });
            if (positive != e.parts.end()) {
                std::rotate(e.parts.begin(), positive, positive + 1);
            }
        }
        e.keys.clear();
    }
    return e;
}

// base^exponent for a numeric exponent.
Expr raise(Expr base, double exponent) {
    if (exponent == 1.0) {
        return base;
    }
    if (base.kind == Kind::Product && base.value == 1.0 && base.parts.size() == 1 &&
        base.exponents[0] < 0.0 && isInteger(exponent)) {
        // (x^(-1/3))^(-4) is (x^(1/3))^4: the root prints without a quotient inside.
        base.exponents[0] = -base.exponents[0];
        exponent = -exponent;
    }
    if (base.kind == Kind::Product && isInteger(exponent)) {
        const double coefficient = std::pow(base.value, exponent);
        const bool integral = std::all_of(base.exponents.begin(), base.exponents.end(),
                                          [](double k) { return isInteger(k); });
        if (integral && std::isfinite(coefficient) && coefficient != 0.0) {
            base.value = coefficient;
            for (double& k : base.exponents) {
                k *= exponent;
            }
            return base;
        }
    }
    Expr p = productExpr(1.0);
    std::u16string key = print(base);
    appendFactor(p, std::move(base), std::move(key), exponent);
    return finish(std::move(p));
}

std::u16string monomialKey(const Expr& term) {
    std::vector<std::u16string> factors;
    for (std::size_t i = 0; i < term.parts.size(); ++i) {
        factors.push_back(concatenated({term.keys[i], u"^", plainDecimalText(term.exponents[i])}));
    }
    std::sort(factors.begin(), factors.end());
    return joined(factors, u"\u0001");
}

Expr negated(Expr e) {
    switch (e.kind) {
        case Kind::Number:
        case Kind::Product:
            e.value = -e.value;
            return e;
        case Kind::Sum:
            for (Expr& term : e.parts) {
                term.value = -term.value;
            }
            return e;
        default: {
            Expr p = asProduct(std::move(e));
            p.value = -1.0;
            return p;
        }
    }
}

// Adds a term, collecting like terms (cos(x)+cos(x) → 2⋅cos(x)); a bracketed sum under a sign
// alone opens up (x-(a+b) → x-a-b).
void addTerm(Expr& sum, Expr term) {
    term = asProduct(std::move(term));
    if (term.parts.size() == 1 && term.exponents[0] == 1.0 && term.parts[0].kind == Kind::Sum &&
        std::fabs(term.value) == 1.0) {
        const double sign = term.value;
        for (Expr& inner : term.parts[0].parts) {
            inner.value *= sign;
            addTerm(sum, std::move(inner));
        }
        return;
    }
    if (term.value == 0.0) {
        return;
    }
    std::u16string key = monomialKey(term);
    for (std::size_t i = 0; i < sum.parts.size(); ++i) {
        if (sum.keys[i] != key) {
            continue;
        }
        sum.parts[i].value += term.value;
        if (sum.parts[i].value == 0.0) {
            sum.parts.erase(sum.parts.begin() + static_cast<std::ptrdiff_t>(i));
            sum.keys.erase(sum.keys.begin() + static_cast<std::ptrdiff_t>(i));
        }
        return;
    }
    sum.parts.push_back(std::move(term));
    sum.keys.push_back(std::move(key));
}

Expr convert(const RVOperation& node);

Expr convertPower(const RVPowerOperation& power) {
    Expr base = convert(*power.lvalue());
    Expr exponent = convert(*power.rvalue());
    if (exponent.kind == Kind::Number && exponent.value != 0.0) {
        return raise(std::move(base), exponent.value);
    }
    Expr e;
    e.kind = Kind::Power;
    if (exponent.kind == Kind::Product && exponent.value < 0.0) {
        // x^(-u) is 1/x^u.
        e.parts.push_back(std::move(base));
        e.parts.push_back(finish(negated(std::move(exponent))));
        return raise(std::move(e), -1.0);
    }
    e.parts.push_back(std::move(base));
    e.parts.push_back(std::move(exponent));
    return e;
}

Expr convertRoot(const RVRootOperation& root) {
    Expr index = convert(*root.lvalue());
    Expr radicand = convert(*root.rvalue());
    if (index.kind == Kind::Number && index.value != 0.0) {
        // n√a and a^(1/n) are the same function when 1/n reads back to n.
        const double exponent = 1.0 / index.value;
        if (1.0 / exponent == index.value) {
            return raise(std::move(radicand), exponent);
        }
    }
    Expr e;
    e.kind = Kind::Root;
    e.parts.push_back(std::move(index));
    e.parts.push_back(std::move(radicand));
    return e;
}

Expr convertCommutative(const RVCommutativeOperation& operation) {
    if (operation.isSum()) {
        Expr sum;
        sum.kind = Kind::Sum;
        for (const auto& holder : operation.contents()) {
            Expr term = convert(*holder->contents());
            if (holder->token().type() == TOKEN_MINUS) {
                term = negated(std::move(term));
            }
            addTerm(sum, std::move(term));
        }
        return finish(std::move(sum));
    }
    Expr product = productExpr(1.0);
    for (const auto& holder : operation.contents()) {
        multiply(product, convert(*holder->contents()),
                 holder->token().type() == TOKEN_DIVIDE ? -1.0 : 1.0);
    }
    return finish(std::move(product));
}

Expr convert(const RVOperation& node) {
    if (const auto* tree = dynamic_cast<const RVOperationTree*>(&node)) {
        return tree->root() ? convert(*tree->root()) : leafExpr({});
    }
    if (dynamic_cast<const RVFunctionDERIVATE*>(&node) != nullptr) {
        return leafExpr(node.description());
    }
    if (dynamic_cast<const RVNumber*>(&node) != nullptr) {
        const double value = node.value();
        return std::isfinite(value) ? numberExpr(value) : leafExpr(plainDecimalText(value));
    }
    if (dynamic_cast<const RVVariable*>(&node) != nullptr ||
        dynamic_cast<const RVConstant*>(&node) != nullptr) {
        return leafExpr(node.description());
    }
    if (const auto* parentheses = dynamic_cast<const RVParentheses*>(&node)) {
        return convert(*parentheses->contents());
    }
    if (const auto* minus = dynamic_cast<const RVUnaryMinus*>(&node)) {
        return finish(negated(convert(*minus->contents())));
    }
    if (const auto* operation = dynamic_cast<const RVCommutativeOperation*>(&node)) {
        return convertCommutative(*operation);
    }
    if (const auto* relation = dynamic_cast<const RVRelationOperation*>(&node)) {
        Expr e;
        e.kind = Kind::Relation;
        e.text = relation->token().spelling();
        e.parts.push_back(convert(*relation->lvalue()));
        e.parts.push_back(convert(*relation->rvalue()));
        return e;
    }
    if (const auto* power = dynamic_cast<const RVPowerOperation*>(&node)) {
        return convertPower(*power);
    }
    if (const auto* root = dynamic_cast<const RVRootOperation*>(&node)) {
        return convertRoot(*root);
    }
    if (const auto* function = dynamic_cast<const RVFunction*>(&node)) {
        Expr e;
        e.kind = Kind::Call;
        e.text = function->token().spelling();
        for (const auto& argument : function->arguments()) {
            e.parts.push_back(convert(*argument));
        }
        return e;
    }
    return leafExpr(bracketed(node.description()));
}

}  // namespace

std::u16string readableText(const RVOperation& operation) {
    std::u16string readable = print(convert(operation));
    std::u16string original = operation.description();
    return readable.size() <= original.size() ? readable : original;
}

}  // namespace plotwise
