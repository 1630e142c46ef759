#pragma once

#include "engine/RVOperation.h"

namespace plotwise {

// A node around exactly one operand (unary minus, parentheses, sum and product holders): it owns
// its contents and answers the structural questions through it.
class RVWrapperOperation : public RVOperation {
public:
    RVWrapperOperation(RVToken token, std::unique_ptr<RVOperation> contents)
        : RVOperation(std::move(token)), contents_(adopt(std::move(contents))) {}

    RVOperation* contents() const { return contents_.get(); }
    // Installs new contents and hands back the old ones.
    std::unique_ptr<RVOperation> setContents(std::unique_ptr<RVOperation> contents) {
        std::swap(contents_, contents);
        contents_ = adopt(std::move(contents_));
        return contents;
    }

    bool isConstant() const override { return contents_ && contents_->isConstant(); }
    bool isSimplifiable() const override { return contents_ && contents_->isSimplifiable(); }
    void organize() override {
        if (contents_) {
            contents_->organize();
        }
    }
    // Holders simplify and differentiate their operand in place; the wrapper stays.
    bool simplify() override { return contents_ && contents_->simplify(); }
    void derivateWithVariable(const RVVariable& variable) override {
        if (contents_) {
            contents_->derivateWithVariable(variable);
        }
    }
    std::unique_ptr<RVOperation> replaceOperation(
        const RVOperation* old, std::unique_ptr<RVOperation> replacement) override {
        if (old == nullptr || old != contents_.get()) {
            return nullptr;
        }
        return setContents(std::move(replacement));
    }
    void forEachChild(const std::function<void(const RVOperation&)>& visit) const override {
        if (contents_) {
            visit(*contents_);
        }
    }

protected:
    // Detaches the contents, for a wrapper that replaces itself by them.
    std::unique_ptr<RVOperation> takeContents() { return std::move(contents_); }
    double contentsValue() const { return contents_ ? contents_->value() : 0.0; }
    std::u16string contentsDescription() const {
        return contents_ ? contents_->description() : std::u16string();
    }

private:
    std::unique_ptr<RVOperation> contents_;
};

}  // namespace plotwise
