#pragma once

#include <cstddef>

namespace plotwise {

// Bounds the work of one full simplification. Derivatives of nested expressions grow quickly
// (every template repeats its operands), so a tree that would grow past these limits stops with
// "Expression too complex" instead of freezing the application or exhausting memory.
class SimplificationBudget {
public:
    static constexpr std::size_t maximumNodes = 20000;
    static constexpr int maximumPasses = 600;
    // The sum over all passes of the tree's size: a pass costs time in proportion to the tree,
    // so this keeps any input to well under a second.
    static constexpr std::size_t maximumWork = 600000;
    // Derivative template text written in one pass, in UTF-16 units.
    static constexpr std::size_t maximumTemplateText = 400000;

    SimplificationBudget();
    ~SimplificationBudget();
    SimplificationBudget(const SimplificationBudget&) = delete;
    SimplificationBudget& operator=(const SimplificationBudget&) = delete;

    // The budget of the simplification running on this thread, or nullptr.
    static SimplificationBudget* current();

    // Called before writing a derivative template of this length; false once over the limit.
    bool allowTemplate(std::size_t length);
    void startPass() { templateText_ = 0; }
    // Records a finished pass that left a tree of this many nodes; false once over budget.
    bool chargePass(std::size_t nodes);
    void markExhausted() { exhausted_ = true; }
    bool exhausted() const { return exhausted_; }

private:
    SimplificationBudget* previous_;
    std::size_t templateText_ = 0;
    std::size_t work_ = 0;
    int passes_ = 0;
    bool exhausted_ = false;
};

}  // namespace plotwise
