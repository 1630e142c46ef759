#include "engine/RVParser.h"

#include "engine/RVBinaryOperation.h"
#include "engine/RVCommutativeOperation.h"
#include "engine/RVConstant.h"
#include "engine/RVFunction.h"
#include "engine/RVNumber.h"
#include "engine/RVParentheses.h"
#include "engine/RVRelationOperation.h"
#include "engine/RVUnaryMinus.h"
#include "engine/RVVariable.h"

namespace plotwise {

namespace {

bool startsOperand(int type) {
    return type == TOKEN_CONSTANT || type == TOKEN_NUMBER || type == TOKEN_VARIABLE ||
           type == TOKEN_FUNCTION || type == TOKEN_DERIVATIVE || type == TOKEN_LPAREN;
}

}  // namespace

RVScanner& RVParser::scanner() {
    if (!scanner_) {
        scanner_.emplace();
    }
    return *scanner_;
}

std::unique_ptr<RVOperationTree> RVParser::parse(const std::u16string& source, double* table) {
    if (source.empty()) {
        errorMessage_ = {u"Nothing to parse", {}};
        return nullptr;
    }
    try {
        variableTable_ = table;
        nesting_ = 0;
        scanner().setSource(source);
        currentToken_ = scanner().scan();
        auto tree =
            RVOperationTree::operationTreeWithRootOperation(parseRelopAllowAssignment(true));
        while (currentToken_.type() == TOKEN_EOL) {
            tree->value();  // runs the statement, so an assignment such as x=2 takes effect now
            acceptIt();
            tree->setRoot(parseRelopAllowAssignment(true));
        }
        if (currentToken_.type() != TOKEN_EOF) {
            unexpected();
        }
        tree->setExpressionString(source);
        tree->setVariableTable(table);
        return tree;
    } catch (const ScanException& e) {
        errorMessage_ = {e.format, {e.argument}};
        errorPos_ = static_cast<unsigned>(e.position);
    } catch (const ParseException& e) {
        errorMessage_ = e.message;
        errorPos_ = static_cast<unsigned>(e.position);
    }
    return nullptr;
}

std::unique_ptr<RVOperation> RVParser::parseRelopAllowAssignment(bool allowAssignment) {
    auto left = parseAddition();
    if (currentToken_.type() != TOKEN_RELOP) {
        return left;
    }
    acceptIt();
    RVToken relop = acceptedToken_;
    const bool leftIsVariable = dynamic_cast<const RVVariable*>(left.get()) != nullptr;
    const bool assignment = allowAssignment && leftIsVariable && relop.spelling() == u"=";
    auto right = parseAddition();
    auto relation = RVBinaryOperation::binaryOperationWithOperatorToken(
        std::move(relop), std::move(left), std::move(right));
    static_cast<RVRelationOperation*>(relation.get())->setIsAssignment(assignment);
    return relation;
}

std::unique_ptr<RVOperation> RVParser::parseAddition() {
    auto first = parseMultiplication();
    if (currentToken_.type() != TOKEN_PLUS && currentToken_.type() != TOKEN_MINUS) {
        return first;
    }
    const int position = currentToken_.locationInSource();
    auto sum =
        RVCommutativeOperation::commutativeOperationWithToken(RVToken(TOKEN_PLUS, u"+", position));
    sum->appendOperation(std::move(first), RVToken(TOKEN_PLUS, u"+", position));
    while (currentToken_.type() == TOKEN_PLUS || currentToken_.type() == TOKEN_MINUS) {
        acceptIt();
        RVToken op = acceptedToken_;
        sum->appendOperation(parseMultiplication(), std::move(op));
    }
    return sum;
}

std::unique_ptr<RVOperation> RVParser::parseMultiplication() {
    auto first = parseSignedPower();
    auto continues = [this] {
        const int type = currentToken_.type();
        return type == TOKEN_TIMES || type == TOKEN_DIVIDE || startsOperand(type);
    };
    if (!continues()) {
        return first;
    }
    auto product =
        RVCommutativeOperation::commutativeOperationWithToken(RVToken(TOKEN_TIMES, u"⋅", 0));
    product->appendOperation(std::move(first), RVToken(TOKEN_TIMES, u"⋅", 0));
    while (continues()) {
        RVToken op;
        if (currentToken_.type() == TOKEN_TIMES || currentToken_.type() == TOKEN_DIVIDE) {
            acceptIt();
            op = acceptedToken_;
        } else {
            // Juxtaposition: 2x, 2(x+1), x y.
            op = RVToken(TOKEN_TIMES, u"⋅", currentToken_.locationInSource());
        }
        product->appendOperation(parseSignedPower(), std::move(op));
    }
    return product;
}

std::unique_ptr<RVOperation> RVParser::parseSignedPower() {
    // Every level of nesting passes through here, so this is where the depth is capped.
    struct NestingGuard {
        int& depth;
        explicit NestingGuard(int& d) : depth(d) { ++depth; }
        ~NestingGuard() { --depth; }
    } guard(nesting_);
    if (nesting_ > maximumNesting) {
        stop(u"Expression too deeply nested");
    }
    if (currentToken_.type() == TOKEN_MINUS) {
        acceptIt();
        RVToken minus = acceptedToken_;
        return RVUnaryMinus::unaryMinusWithToken(std::move(minus), parsePower());
    }
    return parsePower();
}

std::unique_ptr<RVOperation> RVParser::parsePower() {
    std::unique_ptr<RVOperation> left;
    if (currentToken_.type() == TOKEN_ROOT) {
        // √a is the square root: an implied index 2 at the position of the sign.
        left = RVNumber::numberWithToken(
            RVToken(TOKEN_CONSTANT, u"2", currentToken_.locationInSource()));
    } else {
        left = parseFactor();
    }
    while (currentToken_.type() == TOKEN_POWER || currentToken_.type() == TOKEN_ROOT) {
        acceptIt();
        RVToken op = acceptedToken_;
        auto right = parseSignedPower();
        left = RVBinaryOperation::binaryOperationWithOperatorToken(std::move(op), std::move(left),
                                                                   std::move(right));
    }
    return left;
}

std::unique_ptr<RVOperation> RVParser::parseFactor() {
    switch (currentToken_.type()) {
        case TOKEN_LPAREN: {
            acceptIt();
            RVToken open = acceptedToken_;
            auto contents = parseAddition();
            accept(TOKEN_RPAREN);
            return RVParentheses::parenthesesOpWithToken(std::move(open), std::move(contents));
        }
        case TOKEN_CONSTANT:
            acceptIt();
            return RVNumber::numberWithToken(acceptedToken_);
        case TOKEN_NUMBER:
            acceptIt();
            return RVConstant::constantWithToken(acceptedToken_);
        case TOKEN_VARIABLE:
            acceptIt();
            return RVVariable::variableWithToken(acceptedToken_, variableTable_);
        case TOKEN_FUNCTION:
            return parseFunction();
        case TOKEN_DERIVATIVE:
            return parseDerivate();
        default:
            stop(u"Expression expected");
    }
}

std::unique_ptr<RVOperation> RVParser::parseFunction() {
    acceptIt();
    RVToken name = acceptedToken_;
    auto function = RVFunction::functionWithToken(name);
    if (!function) {
        stop(u"Unknown identifier \"%@\"", {name.spelling()});
    }
    const int count = function->validParameterCount();
    accept(TOKEN_LPAREN);
    std::vector<std::unique_ptr<RVOperation>> arguments;
    arguments.push_back(parseRelopAllowAssignment(false));
    for (int i = 1; i < count; ++i) {
        accept(TOKEN_COMMA);
        arguments.push_back(parseRelopAllowAssignment(false));
    }
    if (static_cast<int>(arguments.size()) != count) {
        stop(u"Invalid parameter count for function \"%@\"", {name.spelling()});
    }
    accept(TOKEN_RPAREN);
    function->setArguments(std::move(arguments));
    return function;
}

std::unique_ptr<RVOperation> RVParser::parseDerivate() {
    acceptIt();
    auto derivative = RVFunction::functionWithToken(acceptedToken_);
    accept(TOKEN_VARIABLE);
    std::vector<std::unique_ptr<RVOperation>> arguments;
    arguments.push_back(RVVariable::variableWithToken(acceptedToken_, variableTable_));
    accept(TOKEN_LPAREN);
    arguments.push_back(parseAddition());
    accept(TOKEN_RPAREN);
    derivative->setArguments(std::move(arguments));
    return derivative;
}

void RVParser::accept(int tokenType) {
    if (currentToken_.type() != tokenType) {
        expected(tokenType);
    }
    acceptedToken_ = std::move(currentToken_);
    currentToken_ = scanner().scan();
}

void RVParser::acceptIt() {
    accept(currentToken_.type());
}

void RVParser::expected(int tokenType) {
    stop(u"\"%@\" expected", {std::u16string(RVToken::stringForTokenType(tokenType))});
}

void RVParser::unexpected() {
    stop(u"\"%@\" unexpected", {currentToken_.spelling()});
}

void RVParser::stop(std::u16string format, std::vector<std::u16string> arguments) {
    throw ParseException{{std::move(format), std::move(arguments)},
                         currentToken_.locationInSource()};
}

}  // namespace plotwise
