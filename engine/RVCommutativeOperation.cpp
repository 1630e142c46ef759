#include "engine/RVCommutativeOperation.h"

#include <algorithm>

#include "engine/DerivativeText.h"
#include "engine/OperationNode.h"
#include "engine/RVNumber.h"
#include "engine/RVUnaryMinus.h"
#include "engine/RVVariable.h"
#include "engine/TextUtilities.h"

namespace plotwise {

RVCommutativeOperation::RVCommutativeOperation(RVToken token) : RVOperation(std::move(token)) {
    const int type = this->token().type();
    modulo_ = (type == TOKEN_PLUS || type == TOKEN_MINUS) ? 0.0 : 1.0;
}

std::unique_ptr<RVCommutativeOperation> RVCommutativeOperation::commutativeOperationWithToken(
    RVToken token) {
    return std::make_unique<RVCommutativeOperation>(std::move(token));
}

void RVCommutativeOperation::appendOperationHolder(
    std::unique_ptr<RVCommutativeOperationHolder> holder) {
    if (holder) {
        holder->setParent(this);
        contents_.push_back(std::move(holder));
    }
}

void RVCommutativeOperation::appendOperation(std::unique_ptr<RVOperation> operation,
                                             RVToken opToken) {
    appendOperationHolder(RVCommutativeOperationHolder::operationHolderWithToken(
        std::move(opToken), std::move(operation)));
}

double RVCommutativeOperation::value() const {
    double v = modulo_;
    for (const auto& holder : contents_) {
        v = holder->performOperationWithValue(v);
    }
    return v;
}

std::u16string RVCommutativeOperation::description() const {
    std::u16string text;
    for (size_t i = 0; i < contents_.size(); ++i) {
        const RVCommutativeOperationHolder& holder = *contents_[i];
        if (i > 0) {
            text += holder.description();
            continue;
        }
        const int holderType = holder.token().type();
        const RVOperation* operand = holder.contents();
        if (isProduct() && holderType == TOKEN_DIVIDE) {
            text += concatenated({u"1", holder.description()});
        } else if (isSum() && holderType == TOKEN_MINUS) {
            // "--x" does not parse: a leading minus over an operand that prints with its own
            // sign (a negation, a negative number, a product led by one) is bracketed.
            const std::u16string operandText = holder.operandDescription();
            const bool signedOperand = !operandText.empty() && (operandText.front() == u'-' ||
                                                                operandText.front() == u'\u2212');
            text += signedOperand ? holder.token().spelling() + bracketed(operandText)
                                  : holder.token().spelling() + operandText;
        } else if (isProduct() && operand && dynamic_cast<const RVCommutativeOperation*>(operand) &&
                   operand->token().type() > TOKEN_DIVIDE) {
            // A bare sum as the first factor (left after simplification removed its brackets).
            text += bracketed(operand->description());
        } else if (operand) {
            text += operand->description();
        }
    }
    return text;
}

bool RVCommutativeOperation::isConstant() const {
    for (const auto& holder : contents_) {
        if (!holder->isConstant()) {
            return false;
        }
    }
    return true;
}

bool RVCommutativeOperation::isSimplifiable() const {
    for (const auto& holder : contents_) {
        if (!holder->isSimplifiable()) {
            return false;
        }
    }
    return true;
}

namespace {

// Canonical order of two holders: within one priority (plus/minus or times/divide) by operator
// type plus operand type, then by the operands' spellings ignoring case; otherwise by operator
// type. So numbers come first, then e and π, variables (x before y), functions, derivatives,
// powers, roots and products; a bracketed operand before everything.
bool holderComesBefore(const RVCommutativeOperationHolder& a,
                       const RVCommutativeOperationHolder& b) {
    if (!a.token().hasSamePriorityAsToken(b.token())) {
        return a.token().type() < b.token().type();
    }
    const int keyA = a.token().type() + a.contents()->token().type();
    const int keyB = b.token().type() + b.contents()->token().type();
    if (keyA != keyB) {
        return keyA < keyB;
    }
    return asciiLowercase(a.contents()->token().spelling()) <
           asciiLowercase(b.contents()->token().spelling());
}

std::unique_ptr<RVCommutativeOperationHolder> invertedHolder(
    std::unique_ptr<RVCommutativeOperationHolder> holder) {
    const int at = holder->token().locationInSource();
    RVToken inverse;
    switch (holder->token().type()) {
        case TOKEN_PLUS:
            inverse = RVToken(TOKEN_MINUS, u"-", at);
            break;
        case TOKEN_MINUS:
            inverse = RVToken(TOKEN_PLUS, u"+", at);
            break;
        case TOKEN_TIMES:
            inverse = RVToken(TOKEN_DIVIDE, u"/", at);
            break;
        default:
            inverse = RVToken(TOKEN_TIMES, u"⋅", at);
            break;
    }
    return RVCommutativeOperationHolder::operationHolderWithToken(std::move(inverse),
                                                                  holder->setContents(nullptr));
}

bool isConstantWithValue(const RVOperation& operation, double value) {
    return operation.isConstant() && operation.value() == value;
}

}  // namespace

void RVCommutativeOperation::organize() {
    for (const auto& holder : contents_) {
        holder->organize();
    }
    std::stable_sort(contents_.begin(), contents_.end(),
                     [](const auto& a, const auto& b) { return holderComesBefore(*a, *b); });
}

void RVCommutativeOperation::insertHolder(std::size_t index,
                                          std::unique_ptr<RVCommutativeOperationHolder> holder) {
    holder->setParent(this);
    contents_.insert(contents_.begin() + static_cast<std::ptrdiff_t>(index), std::move(holder));
}

std::unique_ptr<RVCommutativeOperationHolder> RVCommutativeOperation::removeHolder(
    std::size_t index) {
    auto holder = std::move(contents_[index]);
    contents_.erase(contents_.begin() + static_cast<std::ptrdiff_t>(index));
    return holder;
}

bool RVCommutativeOperation::simplify() {
    // Every holder's pass, in order. A holder whose operand flattens into this node removes
    // itself and appends its operand's holders, so walk a snapshot of the original holders.
    std::vector<RVCommutativeOperationHolder*> snapshot;
    snapshot.reserve(contents_.size());
    for (const auto& holder : contents_) {
        snapshot.push_back(holder.get());
    }
    bool changed = false;
    for (RVCommutativeOperationHolder* holder : snapshot) {
        changed = holder->simplify() || changed;
    }
    if (parent() == nullptr) {
        return changed;
    }
    bool replaced = false;
    changed = removeNeutralOperands(replaced) || changed;
    if (replaced) {
        return true;
    }
    changed = foldLeadingNumbers() || changed;
    if (replaceBySingleOperand() || flattenIntoParent()) {
        return true;
    }
    return changed;
}

bool RVCommutativeOperation::removeNeutralOperands(bool& replaced) {
    bool changed = false;
    if (isProduct()) {
        for (std::size_t i = contents_.size(); i-- > 0;) {
            const RVCommutativeOperationHolder& holder = *contents_[i];
            if (holder.token().type() == TOKEN_TIMES &&
                isConstantWithValue(*holder.contents(), 0)) {
                replaced = true;
                auto self = replaceSelf(RVNumber::numberWithValue(0.0));
                return true;
            }
            if (isConstantWithValue(*holder.contents(), 1)) {
                removeHolder(i);
                changed = true;
            }
        }
        if (contents_.empty()) {
            replaced = true;
            auto self = replaceSelf(RVNumber::numberWithValue(1.0));
            return true;
        }
    } else if (isSum()) {
        for (std::size_t i = contents_.size(); i-- > 0;) {
            if (isConstantWithValue(*contents_[i]->contents(), 0)) {
                removeHolder(i);
                changed = true;
            }
        }
        if (contents_.empty()) {
            replaced = true;
            auto self = replaceSelf(RVNumber::numberWithValue(0.0));
            return true;
        }
    }
    return changed;
}

bool RVCommutativeOperation::foldLeadingNumbers() {
    if (contents_.empty() || !contents_.front()->isSimplifiable()) {
        return false;
    }
    double v = modulo_;
    std::size_t folded = 0;
    while (!contents_.empty() && contents_.front()->isSimplifiable()) {
        v = contents_.front()->performOperationWithValue(v);
        removeHolder(0);
        ++folded;
    }
    // One number at the front is rewritten into an equivalent holder without counting.
    insertHolder(0, RVCommutativeOperationHolder::operationHolderWithToken(
                        token(), RVNumber::numberWithValue(v)));
    return folded > 1;
}

bool RVCommutativeOperation::replaceBySingleOperand() {
    if (contents_.size() != 1 || contents_.front()->token().type() == TOKEN_DIVIDE) {
        return false;
    }
    auto holder = removeHolder(0);
    RVToken holderToken = holder->token();
    std::unique_ptr<RVOperation> operand = holder->setContents(nullptr);
    if (holderToken.type() == TOKEN_MINUS) {
        operand = RVUnaryMinus::unaryMinusWithToken(std::move(holderToken), std::move(operand));
    }
    auto self = replaceSelf(std::move(operand));
    return true;
}

bool RVCommutativeOperation::flattenIntoParent() {
    auto* holder = dynamic_cast<RVCommutativeOperationHolder*>(parent());
    auto* outer = holder ? dynamic_cast<RVCommutativeOperation*>(holder->parent()) : nullptr;
    if (outer == nullptr || outer->token().type() != token().type()) {
        return false;
    }
    // Under a minus or divide holder every operand's operator flips, so the value stays:
    // x−(1+π) becomes x−1−π and x/(2⋅π) becomes x/2/π.
    const bool inverted =
        holder->token().type() == TOKEN_MINUS || holder->token().type() == TOKEN_DIVIDE;
    for (auto& inner : contents_) {
        if (inverted) {
            inner = invertedHolder(std::move(inner));
        }
        outer->appendOperationHolder(std::move(inner));
    }
    contents_.clear();
    auto self = outer->replaceOperation(holder, nullptr);
    return true;
}

std::unique_ptr<RVOperation> RVCommutativeOperation::replaceOperation(
    const RVOperation* old, std::unique_ptr<RVOperation> replacement) {
    for (auto it = contents_.begin(); it != contents_.end(); ++it) {
        if (it->get() != old) {
            continue;
        }
        if (!replacement) {
            std::unique_ptr<RVOperation> removed = std::move(*it);
            contents_.erase(it);
            return removed;
        }
        auto* holder = dynamic_cast<RVCommutativeOperationHolder*>(replacement.get());
        if (holder == nullptr) {
            return nullptr;  // only holders may stand in a sum or product
        }
        replacement.release();
        holder->setParent(this);
        std::unique_ptr<RVOperation> removed = std::move(*it);
        it->reset(holder);
        return removed;
    }
    return nullptr;
}

void RVCommutativeOperation::derivateWithVariable(const RVVariable& variable) {
    if (contents_.empty()) {
        auto self = replaceSelf(RVNumber::numberWithValue(0.0));
        return;
    }
    std::u16string text;
    if (isSum()) {
        // d/dx(u−w) is d/dx(u)-d/dx(w): each term keeps its sign.
        for (std::size_t i = 0; i < contents_.size(); ++i) {
            const RVCommutativeOperationHolder& holder = *contents_[i];
            if (i > 0 || holder.token().type() == TOKEN_MINUS) {
                text += holder.token().spelling();
            }
            text += derivativeOf(variable, holder.contents()->description());
        }
    } else {
        // The product rule, a term per factor: d/dx(a⋅b/c) is
        // d/dx(a)⋅b/c+d/dx(b)⋅a/c+d/dx((c)^-1)⋅a⋅b.
        for (std::size_t i = 0; i < contents_.size(); ++i) {
            const RVCommutativeOperationHolder& holder = *contents_[i];
            const std::u16string operand = holder.contents()->description();
            if (i > 0) {
                text += u'+';
            }
            text += holder.token().type() == TOKEN_DIVIDE
                        ? derivativeOf(variable, concatenated({u"(", operand, u")^-1"}))
                        : derivativeOf(variable, operand);
            for (std::size_t j = 0; j < contents_.size(); ++j) {
                if (j != i) {
                    text += contents_[j]->description();
                }
            }
        }
    }
    auto self = replaceByDerivativeText(*this, text, variable);
}

const OperationNode* RVCommutativeOperation::operationNodeCopy(
    OperationNodeBuilder& builder) const {
    std::vector<FoldStep> steps;
    steps.reserve(contents_.size());
    for (const auto& holder : contents_) {
        const int type = holder->token().type();
        if (type == TOKEN_PLUS || type == TOKEN_MINUS || type == TOKEN_TIMES ||
            type == TOKEN_DIVIDE) {
            steps.push_back({type, builder.compile(*holder->contents())});
        }
    }
    return builder.fold(modulo_, steps);
}

void RVCommutativeOperation::forEachChild(
    const std::function<void(const RVOperation&)>& visit) const {
    for (const auto& holder : contents_) {
        visit(*holder);
    }
}

std::vector<std::unique_ptr<RVCommutativeOperationHolder>> RVCommutativeOperation::setContents(
    std::vector<std::unique_ptr<RVCommutativeOperationHolder>> contents) {
    std::swap(contents_, contents);
    for (const auto& holder : contents_) {
        holder->setParent(this);
    }
    return contents;
}

}  // namespace plotwise
