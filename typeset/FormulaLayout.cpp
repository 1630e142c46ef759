#include "typeset/FormulaLayout.h"

#include "typeset/FontResolver.h"

namespace plotwise {

FormulaLayout::FormulaLayout(const RVOperation* operation)
    : FormulaLayout(operation, FontResolver::standardFontSize()) {}

FormulaLayout::FormulaLayout(const RVOperation* operation, qreal standardFontSize)
    : root_(FormulaNode::fromOperation(operation)), standardFontSize_(standardFontSize) {}

void FormulaLayout::drawInContext(QPainter& painter, QPointF point, unsigned depth) {
    cacheSizeAtDepth(depth);
    root_->drawInContext(painter, point, depth);
}

}  // namespace plotwise
