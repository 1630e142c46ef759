#include "RVCommutativeOperation.h"

#include "OperationNode.h"
#include "RVUnaryMinus.h"

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
            text += u"1" + holder.description();
        } else if (isSum() && holderType == TOKEN_MINUS) {
            // "--x" does not parse: a leading minus over a negative operand is bracketed.
            const bool negative = operand && operand->printingType() == TOKEN_MINUS &&
                                  dynamic_cast<const RVCommutativeOperation*>(operand) == nullptr;
            text += negative ? holder.token().spelling() + u"(" + operand->description() + u")"
                             : holder.description();
        } else if (isProduct() && operand && dynamic_cast<const RVCommutativeOperation*>(operand) &&
                   operand->token().type() > TOKEN_DIVIDE) {
            // A bare sum as the first factor (left after simplification removed its brackets).
            text += u"(" + operand->description() + u")";
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

void RVCommutativeOperation::organize() {
    for (const auto& holder : contents_) {
        holder->organize();
    }
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
