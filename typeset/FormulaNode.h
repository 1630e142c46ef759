#pragma once

#include <QFont>
#include <QLineF>
#include <QPointF>
#include <QPolygonF>
#include <QSizeF>
#include <QString>

#include <memory>
#include <optional>
#include <vector>

#include "typeset/OperationScreenSize.h"

class QColor;
class QPainter;

namespace plotwise {

class RVOperation;

// One node of a formula's layout tree. The layout tree is built from an expression tree and
// holds what the expression tree must not: each node's font, its box and where its parts go,
// relative to the node's top-left corner in device-independent pixels, y downwards. A node is
// laid out once; later requests, at whatever depth, keep that layout.
class FormulaNode {
public:
    enum class Kind {
        Empty,        // a missing operand: a zero box that draws nothing
        Leaf,         // the text of a number, constant, variable or any other token
        Operator,     // two operands on the axis around a sign (relations)
        Power,        // base, then the exponent raised and three depth steps smaller
        Root,         // index three depth steps smaller, then the radicand under a drawn radical
        Parentheses,  // contents between two filled crescents
        UnaryMinus,
        Function,  // name, then the arguments between crescents (a derivative is named d/dx)
        Sum,
        Product,  // numerator over a bar over the denominator
    };

    // A child and where its box's top-left corner goes. Exponents and root indices sit three
    // depth steps below their parent.
    struct Child {
        std::unique_ptr<FormulaNode> node;
        QPointF origin;
        unsigned depthStep = 0;
    };
    // A text drawn in the node's font: its box's top-left corner, its measured size (the
    // advance and the font's height, widened where the glyphs reach further) and where its
    // baseline starts inside that box.
    struct Text {
        QString text;
        QPointF origin;
        QSizeF size;
        QPointF baselineStart;
    };
    // A filled bracket as tall as the node, its two tips at x = tipX, bulging 2k to the left
    // (opening) or to the right (closing).
    struct Crescent {
        qreal tipX = 0.0;
        qreal k = 0.0;
        bool opening = true;
    };

    // The layout tree of an expression (sub)tree, not yet laid out; a missing operation gives
    // an empty node. Brackets are added where the tree lost the ones its meaning needs (a bare
    // sum as a factor, a product as a base), which simplification can leave behind.
    static std::unique_ptr<FormulaNode> fromOperation(const RVOperation* operation);

    // "Marker Felt" at max(s − depth + 4, 8) pixels, s being the standard font size.
    static qreal fontSizeForDepth(unsigned depth, qreal standardFontSize);
    static QFont fontForDepth(unsigned depth, qreal standardFontSize);
    // Stroke widths at a drawing depth.
    static qreal radicalLineWidth(unsigned depth);
    static qreal crescentThickness(unsigned depth);

    // Lays out the subtree at `depth` unless it already is laid out.
    void cacheSizeAtDepth(unsigned depth, qreal standardFontSize);
    // Draws the laid-out subtree with its top-left corner at `point`: texts and filled shapes in
    // the painter's brush colour, lines in its pen colour; the painter's pen is kept. The depth
    // only chooses stroke widths. A node that is not laid out draws nothing.
    void drawInContext(QPainter& painter, QPointF point, unsigned depth) const;

    Kind kind() const { return kind_; }
    bool hasLayout() const { return font_.has_value(); }
    // The font chosen at layout (the default font before).
    QFont font() const { return font_.value_or(QFont()); }
    const OperationScreenSize& size() const { return size_; }
    const std::vector<Child>& children() const { return children_; }
    const std::vector<Text>& texts() const { return texts_; }
    const std::vector<Crescent>& crescents() const { return crescents_; }
    // The radical's polyline before it is kept inside the box for its stroke width.
    const QPolygonF& radical() const { return radical_; }
    const std::optional<QLineF>& fractionBar() const { return fractionBar_; }

private:
    FormulaNode(Kind kind, QString text) : kind_(kind), text_(std::move(text)) {}
    static std::unique_ptr<FormulaNode> make(Kind kind, QString text = {});
    static std::unique_ptr<FormulaNode> bracketed(std::unique_ptr<FormulaNode> node);
    Child& addChild(std::unique_ptr<FormulaNode> node, unsigned depthStep = 0);

    struct TextBox {
        QSizeF size;
        QPointF baselineStart;
    };
    TextBox measure(const QString& text) const;
    TextBox measureWithMetrics(const QString& text) const;
    void addText(const QString& text, QPointF origin, const TextBox& box);
    void layoutLeaf();
    void layoutOperator();
    void layoutPower();
    void layoutRoot();
    void layoutParentheses();
    void layoutUnaryMinus();
    void layoutFunction();
    void layoutSum();
    void layoutProduct();

    void draw(QPainter& painter, QPointF point, unsigned depth, const QColor& fill,
              const QColor& stroke) const;

    Kind kind_;
    // Leaf text, operator sign, unary minus sign or function name.
    QString text_;
    std::vector<Child> children_;
    // Sum: each operand's operator. Product: whether each factor divides.
    std::vector<QString> operators_;
    std::vector<bool> divides_;

    std::optional<QFont> font_;
    OperationScreenSize size_;
    std::vector<Text> texts_;
    std::vector<Crescent> crescents_;
    QPolygonF radical_;
    std::optional<QLineF> fractionBar_;
};

}  // namespace plotwise
