#include "engine/RVScanner.h"

#include "engine/TextUtilities.h"

namespace plotwise {

void RVScanner::setSource(std::u16string source) {
    source_ = std::move(source);
    sourcePtr_ = 0;
    nextChar();
}

void RVScanner::nextChar() {
    if (sourcePtr_ < static_cast<int>(source_.size())) {
        currentChar_ = source_[static_cast<size_t>(sourcePtr_)];
        atEnd_ = false;
        ++sourcePtr_;
    } else {
        currentChar_ = 0;
        atEnd_ = true;
    }
}

void RVScanner::takeIt() {
    if (!atEnd_) {
        currentSpelling_.push_back(currentChar_);
    }
    nextChar();
}

void RVScanner::take(char16_t expected) {
    if (!atEnd_ && currentChar_ == expected) {
        takeIt();
        return;
    }
    throw ScanException{u"%@ expected", std::u16string(1, expected), sourcePtr_ - 1};
}

RVToken RVScanner::scan() {
    while (isWhite(currentChar())) {
        nextChar();
    }
    const int start = sourcePtr_;
    currentSpelling_.clear();
    currentSpelling_.reserve(4);
    currentType_ = scanToken();
    return RVToken::tokenWithType(currentType_, currentSpelling_, start - 1);
}

int RVScanner::scanToken() {
    const std::u16string_view c = currentChar();
    if (isVariable(c)) {
        takeIt();
        return TOKEN_VARIABLE;
    }
    if (isConstant(c)) {
        takeIt();
        return TOKEN_NUMBER;
    }
    if (isAlpha(c)) {
        if (currentChar_ == u'd') {
            takeIt();
            if (!atEnd_ && currentChar_ == u'/') {
                takeIt();
                take(u'd');
                return TOKEN_DERIVATIVE;
            }
        } else {
            takeIt();
        }
        while (isAlphaNum(currentChar())) {
            takeIt();
        }
        return TOKEN_FUNCTION;
    }
    if (isDigit(c)) {
        while (isDigit(currentChar())) {
            takeIt();
        }
        if (!atEnd_ && currentChar_ == u'.') {
            takeIt();
            while (isDigit(currentChar())) {
                takeIt();
            }
        }
        return TOKEN_CONSTANT;
    }
    if (isAddop(c)) {
        const bool plus = currentChar_ == u'+';
        takeIt();
        return plus ? TOKEN_PLUS : TOKEN_MINUS;
    }
    if (isMulop(c)) {
        if (currentChar_ == u'/') {
            takeIt();
            return TOKEN_DIVIDE;
        }
        currentChar_ = u'⋅';
        takeIt();
        return TOKEN_TIMES;
    }
    if (isPowop(c)) {
        const bool power = currentChar_ == u'^';
        takeIt();
        return power ? TOKEN_POWER : TOKEN_ROOT;
    }
    if (isRelop(c)) {
        takeIt();
        return TOKEN_RELOP;
    }
    if (atEnd_) {
        return TOKEN_EOF;
    }
    const char16_t ch = currentChar_;
    takeIt();
    switch (ch) {
        case u'(':
            return TOKEN_LPAREN;
        case u')':
            return TOKEN_RPAREN;
        case u',':
            return TOKEN_COMMA;
        case u';':
            return TOKEN_EOL;
        default:
            return TOKEN_UNKNOWN;
    }
}

bool RVScanner::isVariable(std::u16string_view c) {
    return containsString(variableAlphabet, c);
}
bool RVScanner::isConstant(std::u16string_view c) {
    return containsString(constants, c);
}
bool RVScanner::isAddop(std::u16string_view c) {
    return containsString(addops, c);
}
bool RVScanner::isMulop(std::u16string_view c) {
    return containsString(mulops, c);
}
bool RVScanner::isPowop(std::u16string_view c) {
    return containsString(powops, c);
}
bool RVScanner::isRelop(std::u16string_view c) {
    return containsString(relops, c);
}
bool RVScanner::isWhite(std::u16string_view c) {
    return containsString(whites, c);
}
bool RVScanner::isAlpha(std::u16string_view c) {
    return containsString(alphas, c);
}
bool RVScanner::isDigit(std::u16string_view c) {
    return containsString(digits, c);
}
bool RVScanner::isAlphaNum(std::u16string_view c) {
    return isAlpha(c) || isDigit(c);
}

}  // namespace plotwise
