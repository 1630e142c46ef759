#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "engine/RVBinaryOperation.h"
#include "engine/RVCommutativeOperation.h"
#include "engine/RVConstant.h"
#include "engine/RVFunction.h"
#include "engine/RVNumber.h"
#include "engine/RVOperationTree.h"
#include "engine/RVParentheses.h"
#include "engine/RVUnaryMinus.h"
#include "engine/RVVariable.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

// Builds a tree node by node, as simplification and differentiation build them (no parser, so
// shapes the parser never makes are possible), from a one-line prefix notation:
//   numbers (3, -3, 0.5, -0, inf, -inf, nan), x y z r, pi,
//   (^ a b), (root n a), (neg a), (paren a), (NAME a [b]),
//   (sum + a - b ...), (prod * a / b ...): each operand after its holder's operator.
namespace plotwise::test {

class TreeNotation {
public:
    // Splits the text into brackets and the words between blanks and brackets.
    TreeNotation(std::string_view text, VariableTable& table) : text_(text), table_(table) {
        for (const char c : text) {
            if (c == ' ' || c == '(' || c == ')') {
                if (c != ' ') {
                    words_.push_back(std::string(1, c));
                }
                words_.emplace_back();
            } else {
                (words_.empty() ? words_.emplace_back() : words_.back()) += c;
            }
        }
        std::erase(words_, std::string());
    }

    std::unique_ptr<RVOperation> node() {
        const std::string word = next();
        if (word != "(") {
            return leaf(word);
        }
        const std::string op = next();
        std::unique_ptr<RVOperation> result;
        if (op == "sum" || op == "prod") {
            auto fold = RVCommutativeOperation::commutativeOperationWithToken(
                op == "sum" ? RVToken::plusToken() : RVToken(TOKEN_TIMES, u"⋅", 0));
            while (peek() != ")") {
                const std::string holder = next();
                const int type = holder == "+"   ? TOKEN_PLUS
                                 : holder == "-" ? TOKEN_MINUS
                                 : holder == "*" ? TOKEN_TIMES
                                                 : TOKEN_DIVIDE;
                fold->appendOperation(
                    node(), RVToken(type, type == TOKEN_TIMES ? u"⋅" : toUtf16(holder), 0));
            }
            result = std::move(fold);
        } else if (op == "^" || op == "root") {
            auto a = node();
            result = RVBinaryOperation::binaryOperationWithOperatorToken(
                op == "^" ? RVToken::powerToken() : RVToken::rootToken(), std::move(a), node());
        } else if (op == "neg") {
            result = RVUnaryMinus::unaryMinusWithToken(RVToken::minusToken(), node());
        } else if (op == "paren") {
            result = RVParentheses::parenthesesOpWithToken(RVToken(TOKEN_LPAREN, u"(", 0), node());
        } else {
            std::vector<std::unique_ptr<RVOperation>> arguments;
            while (peek() != ")") {
                arguments.push_back(node());
            }
            result = RVFunction::functionWithToken(RVToken(TOKEN_FUNCTION, toUtf16(op), 0),
                                                   std::move(arguments));
        }
        EXPECT_EQ(next(), ")") << text_;
        return result;
    }

private:
    std::unique_ptr<RVOperation> leaf(const std::string& word) {
        if (word == "x" || word == "y" || word == "z" || word == "r") {
            return RVVariable::variableWithToken(RVToken(TOKEN_VARIABLE, toUtf16(word), 0),
                                                 table_.data());
        }
        if (word == "pi") {
            return RVConstant::constantWithToken(RVToken(TOKEN_NUMBER, u"π", 0));
        }
        constexpr double inf = std::numeric_limits<double>::infinity();
        return RVNumber::numberWithValue(word == "inf"    ? inf
                                         : word == "-inf" ? -inf
                                         : word == "nan"  ? std::nan("")
                                                          : std::stod(word));
    }
    std::string peek() const { return at_ < words_.size() ? words_[at_] : ""; }
    std::string next() { return at_ < words_.size() ? words_[at_++] : ""; }

    std::string_view text_;
    VariableTable& table_;
    std::vector<std::string> words_;
    size_t at_ = 0;
};

inline std::unique_ptr<RVOperation> buildNode(std::string_view notation, VariableTable& table) {
    return TreeNotation(notation, table).node();
}

inline std::unique_ptr<RVOperationTree> buildTree(std::string_view notation, VariableTable& table) {
    return RVOperationTree::operationTreeWithRootOperation(buildNode(notation, table));
}

}  // namespace plotwise::test
