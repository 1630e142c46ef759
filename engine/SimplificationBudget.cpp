#include "engine/SimplificationBudget.h"

namespace plotwise {

namespace {
thread_local SimplificationBudget* currentBudget = nullptr;
}

SimplificationBudget::SimplificationBudget() : previous_(currentBudget) {
    currentBudget = this;
}

SimplificationBudget::~SimplificationBudget() {
    currentBudget = previous_;
}

SimplificationBudget* SimplificationBudget::current() {
    return currentBudget;
}

bool SimplificationBudget::chargePass(std::size_t nodes) {
    work_ += nodes;
    ++passes_;
    if (nodes > maximumNodes || work_ > maximumWork || passes_ >= maximumPasses) {
        exhausted_ = true;
    }
    return !exhausted_;
}

bool SimplificationBudget::allowTemplate(std::size_t length) {
    templateText_ += length;
    if (templateText_ > maximumTemplateText) {
        exhausted_ = true;
    }
    return !exhausted_;
}

}  // namespace plotwise
