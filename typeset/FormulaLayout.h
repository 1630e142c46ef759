#pragma once

#include <QPointF>

#include <memory>

#include "typeset/FormulaNode.h"
#include "typeset/OperationScreenSize.h"

class QPainter;

namespace plotwise {

class RVOperation;

// The typeset form of one expression: the layout tree of its root and the standard font size
// its fonts derive from. Built from the expression tree as it is now; a changed tree or another
// depth needs a new layout, since a node is laid out only once.
class FormulaLayout {
public:
    // `operation` may be a tree holder, any node, or nullptr (an empty formula). The standard
    // font size defaults to the application font's (FontResolver::standardFontSize).
    explicit FormulaLayout(const RVOperation* operation);
    FormulaLayout(const RVOperation* operation, qreal standardFontSize);

    void cacheSizeAtDepth(unsigned depth) { root_->cacheSizeAtDepth(depth, standardFontSize_); }
    // Lays out at `depth` first (unless already laid out), then draws with the box's top-left
    // corner at `point`, in the painter's brush colour (texts, shapes) and pen colour (lines).
    void drawInContext(QPainter& painter, QPointF point, unsigned depth);

    // The root's box; zero until laid out.
    const OperationScreenSize& size() const { return root_->size(); }
    const FormulaNode& root() const { return *root_; }
    qreal standardFontSize() const { return standardFontSize_; }

private:
    std::unique_ptr<FormulaNode> root_;
    qreal standardFontSize_;
};

}  // namespace plotwise
