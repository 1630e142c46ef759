#include "typeset/FormulaNode.h"

#include <QFontMetricsF>
#include <QHash>
#include <QPainter>
#include <QPainterPath>

#include <algorithm>
#include <cmath>

#include "engine/RVBinaryOperation.h"
#include "engine/RVCommutativeOperation.h"
#include "engine/RVFunctionDERIVATE.h"
#include "engine/RVOperationTree.h"
#include "engine/RVParentheses.h"
#include "engine/RVRelationOperation.h"
#include "engine/RVUnaryMinus.h"
#include "typeset/FontResolver.h"

namespace plotwise {

namespace {

constexpr unsigned kSuperscriptDepthStep = 3;
// Parentheses stop widening once their contents are five times this tall.
constexpr qreal kMaximumCrescentDepth = 15.0;
// The radical's hook reaches 8 pixels left of the index's right edge.
constexpr qreal kRadicalHookWidth = 8.0;
constexpr qreal kHairline = 0.5;

QString text(const std::u16string& text) {
    return QString::fromStdU16String(text);
}

bool isBareSum(const RVOperation* operation) {
    const auto* sum = dynamic_cast<const RVCommutativeOperation*>(operation);
    return sum != nullptr && sum->isSum();
}

bool isRelation(const RVOperation* operation) {
    return dynamic_cast<const RVRelationOperation*>(operation) != nullptr;
}

// A base that binds looser than "^" (a sum, product, minus, negative number, root, relation) or
// is itself a power would read as something else without brackets.
bool baseNeedsBrackets(const RVOperation* base) {
    return base != nullptr && (base->printingType() > TOKEN_POWER ||
                               dynamic_cast<const RVPowerOperation*>(base) != nullptr);
}

QPainterPath crescentPath(const FormulaNode::Crescent& crescent, QPointF point, qreal height,
                          qreal thickness) {
    const qreal tipX = point.x() + crescent.tipX;
    const qreal top = point.y();
    const qreal middle = top + height / 2.0;
    const qreal bulge = crescent.opening ? -2.0 * crescent.k : 2.0 * crescent.k;
    const qreal inner = crescent.opening ? thickness : -thickness;
    QPainterPath path(QPointF(tipX, top));
    path.quadTo(QPointF(tipX + bulge, middle), QPointF(tipX, top + height));
    path.quadTo(QPointF(tipX + bulge + inner, middle), QPointF(tipX, top));
    path.closeSubpath();
    return path;
}

}  // namespace

std::unique_ptr<FormulaNode> FormulaNode::make(Kind kind, QString text) {
    return std::unique_ptr<FormulaNode>(new FormulaNode(kind, std::move(text)));
}

std::unique_ptr<FormulaNode> FormulaNode::bracketed(std::unique_ptr<FormulaNode> node) {
    auto brackets = make(Kind::Parentheses);
    brackets->addChild(std::move(node));
    return brackets;
}

FormulaNode::Child& FormulaNode::addChild(std::unique_ptr<FormulaNode> node, unsigned depthStep) {
    children_.push_back(Child{std::move(node), QPointF(), depthStep});
    return children_.back();
}

std::unique_ptr<FormulaNode> FormulaNode::fromOperation(const RVOperation* operation) {
    if (operation == nullptr) {
        return make(Kind::Empty);
    }
    const QString spelling = text(operation->token().spelling());
    if (const auto* tree = dynamic_cast<const RVOperationTree*>(operation)) {
        return fromOperation(tree->root());
    }
    if (const auto* parentheses = dynamic_cast<const RVParentheses*>(operation)) {
        auto node = make(Kind::Parentheses);
        node->addChild(fromOperation(parentheses->contents()));
        return node;
    }
    if (const auto* minus = dynamic_cast<const RVUnaryMinus*>(operation)) {
        auto node = make(Kind::UnaryMinus, spelling);
        auto contents = fromOperation(minus->contents());
        const bool brackets = isBareSum(minus->contents()) || isRelation(minus->contents());
        node->addChild(brackets ? bracketed(std::move(contents)) : std::move(contents));
        return node;
    }
    if (const auto* holder = dynamic_cast<const RVCommutativeOperationHolder*>(operation)) {
        return fromOperation(holder->contents());
    }
    if (const auto* group = dynamic_cast<const RVCommutativeOperation*>(operation)) {
        auto node = make(group->isProduct() ? Kind::Product : Kind::Sum);
        for (const auto& holder : group->contents()) {
            const RVOperation* operand = holder->contents();
            auto child = fromOperation(operand);
            const bool minus = holder->token().type() == TOKEN_MINUS;
            const bool brackets = group->isProduct() ? isBareSum(operand) || isRelation(operand)
                                                     : minus && isBareSum(operand);
            node->addChild(brackets ? bracketed(std::move(child)) : std::move(child));
            node->operators_.push_back(text(holder->token().spelling()));
            node->divides_.push_back(holder->token().type() == TOKEN_DIVIDE);
        }
        return node;
    }
    if (const auto* power = dynamic_cast<const RVPowerOperation*>(operation)) {
        auto node = make(Kind::Power);
        auto base = fromOperation(power->lvalue());
        node->addChild(baseNeedsBrackets(power->lvalue()) ? bracketed(std::move(base))
                                                          : std::move(base));
        node->addChild(fromOperation(power->rvalue()), kSuperscriptDepthStep);
        return node;
    }
    if (const auto* root = dynamic_cast<const RVRootOperation*>(operation)) {
        auto node = make(Kind::Root);
        node->addChild(fromOperation(root->lvalue()), kSuperscriptDepthStep);
        node->addChild(fromOperation(root->rvalue()));
        return node;
    }
    if (const auto* binary = dynamic_cast<const RVBinaryOperation*>(operation)) {
        auto node = make(Kind::Operator, spelling);
        node->addChild(fromOperation(binary->lvalue()));
        node->addChild(fromOperation(binary->rvalue()));
        return node;
    }
    if (const auto* derivative = dynamic_cast<const RVFunctionDERIVATE*>(operation)) {
        // Set as a one-argument function named after the token and the variable: d/dx.
        const auto& arguments = derivative->arguments();
        const QString variable = arguments.size() >= 2 && arguments.front()
                                     ? text(arguments.front()->description())
                                     : QString();
        auto node = make(Kind::Function, spelling + variable);
        node->addChild(fromOperation(arguments.empty() ? nullptr : arguments.back().get()));
        return node;
    }
    if (const auto* function = dynamic_cast<const RVFunction*>(operation)) {
        auto node = make(Kind::Function, spelling);
        for (const auto& argument : function->arguments()) {
            node->addChild(fromOperation(argument.get()));
        }
        return node;
    }
    return make(Kind::Leaf, spelling);
}

qreal FormulaNode::fontSizeForDepth(unsigned depth, qreal standardFontSize) {
    return std::max(standardFontSize - static_cast<qreal>(depth) + 4.0, 8.0);
}

QFont FormulaNode::fontForDepth(unsigned depth, qreal standardFontSize) {
    // Every node asks for its font, and making one from its family is costly; the copies share
    // their data. Per thread, since fonts may be made on a loader thread.
    thread_local QHash<qint64, QFont> fonts;
    const qreal size = fontSizeForDepth(depth, standardFontSize);
    const qint64 key = std::llround(size * 64.0);
    auto found = fonts.constFind(key);
    if (found == fonts.constEnd()) {
        found = fonts.insert(key, FontResolver::font(FontResolver::Face::MarkerFelt, size));
    }
    return *found;
}

qreal FormulaNode::radicalLineWidth(unsigned depth) {
    // min(1.5 − 0.25·d, 1) vanishes at depth 6 and turns negative below; keep a hairline.
    return std::max(std::min(1.5 - 0.25 * static_cast<qreal>(depth), 1.0), kHairline);
}

qreal FormulaNode::crescentThickness(unsigned depth) {
    return std::max(3.0 - 0.25 * static_cast<qreal>(depth), 1.0);
}

FormulaNode::TextBox FormulaNode::measure(const QString& text) const {
    // Long formulas repeat the same few texts ("x", "2", "+") at the same sizes; shaping each
    // again dominated laying them out. Bounded: cleared when it grows past a few thousand.
    thread_local QHash<QPair<int, QString>, TextBox> measured;
    const QPair<int, QString> key(font_->pixelSize(), text);
    if (const auto found = measured.constFind(key); found != measured.constEnd()) {
        return *found;
    }
    if (measured.size() > 4096) {
        measured.clear();
    }
    const TextBox box = measureWithMetrics(text);
    measured.insert(key, box);
    return box;
}

FormulaNode::TextBox FormulaNode::measureWithMetrics(const QString& text) const {
    const QFontMetricsF metrics(*font_);
    const qreal advance = metrics.horizontalAdvance(text);
    // Some glyphs reach past their advance or the font's ascent (a round x overshoots its
    // left side): the box takes them in, so nothing is drawn outside it.
    const QRectF ink = text.isEmpty() ? QRectF() : metrics.tightBoundingRect(text);
    const qreal left = std::min(0.0, ink.left());
    const qreal right = std::max(advance, ink.right());
    const qreal top = std::min(0.0, metrics.ascent() + ink.top());
    const qreal bottom = std::max(metrics.height(), metrics.ascent() + ink.bottom());
    return TextBox{QSizeF(right - left, bottom - top), QPointF(-left, metrics.ascent() - top)};
}

void FormulaNode::addText(const QString& text, QPointF origin, const TextBox& box) {
    texts_.push_back(Text{text, origin, box.size, box.baselineStart});
}

void FormulaNode::cacheSizeAtDepth(unsigned depth, qreal standardFontSize) {
    if (font_) {
        return;
    }
    font_ = fontForDepth(depth, standardFontSize);
    for (Child& child : children_) {
        child.node->cacheSizeAtDepth(depth + child.depthStep, standardFontSize);
    }
    switch (kind_) {
        case Kind::Empty:
            break;
        case Kind::Leaf:
            layoutLeaf();
            break;
        case Kind::Operator:
            layoutOperator();
            break;
        case Kind::Power:
            layoutPower();
            break;
        case Kind::Root:
            layoutRoot();
            break;
        case Kind::Parentheses:
            layoutParentheses();
            break;
        case Kind::UnaryMinus:
            layoutUnaryMinus();
            break;
        case Kind::Function:
            layoutFunction();
            break;
        case Kind::Sum:
            layoutSum();
            break;
        case Kind::Product:
            layoutProduct();
            break;
    }
}

void FormulaNode::layoutLeaf() {
    const TextBox box = measure(text_);
    size_ = {box.size.height() / 2.0, box.size};
    addText(text_, QPointF(0.0, 0.0), box);
}

void FormulaNode::layoutOperator() {
    const OperationScreenSize& left = children_[0].node->size();
    const OperationScreenSize& right = children_[1].node->size();
    const TextBox sign = measure(text_);
    const qreal b = std::max(left.baselineOffset, right.baselineOffset);
    const qreal width = left.width() + 1.0 + sign.size.width() + 1.0 + right.width();
    const qreal height = std::max(b - left.baselineOffset + left.height(),
                                  b - right.baselineOffset + right.height());
    size_ = {b, QSizeF(width, height)};
    children_[0].origin = QPointF(0.0, b - left.baselineOffset);
    addText(text_, QPointF(left.width() + 1.0, b - sign.size.height() / 2.0), sign);
    children_[1].origin = QPointF(left.width() + 2.0 + sign.size.width(), b - right.baselineOffset);
}

void FormulaNode::layoutPower() {
    const OperationScreenSize& base = children_[0].node->size();
    const OperationScreenSize& exponent = children_[1].node->size();
    const qreal height = std::max(base.height(), exponent.height()) +
                         std::min(base.height(), exponent.height()) / 2.0;
    // The base sits at the bottom of the box, the exponent at its top right.
    size_ = {height - base.height() + base.baselineOffset,
             QSizeF(base.width() + exponent.width(), height)};
    children_[0].origin = QPointF(0.0, height - base.height());
    children_[1].origin = QPointF(base.width(), 0.0);
}

void FormulaNode::layoutRoot() {
    const OperationScreenSize& index = children_[0].node->size();
    const OperationScreenSize& radicand = children_[1].node->size();
    // The hook starts 8 pixels left of i; a narrower index (deep in exponents) would push it
    // out of the box, so i is at least that wide and the index sits right-aligned over it.
    const qreal i = std::max(index.width(), kRadicalHookWidth);
    const qreal width = i + 6.0 + radicand.width();
    // The index stands on the axis: the box is also tall enough for it when the radicand's
    // axis lies above its middle.
    const qreal height = std::max({radicand.height(), radicand.height() / 2.0 + index.height(),
                                   index.height() + radicand.height() - radicand.baselineOffset});
    const qreal b = height - radicand.height() + radicand.baselineOffset;
    const qreal top = b - radicand.baselineOffset;
    size_ = {b, QSizeF(width, height)};
    children_[0].origin = QPointF(i - index.width(), b - index.height());
    children_[1].origin = QPointF(i + 4.0, top);
    radical_ = QPolygonF({QPointF(i - 8.0, b), QPointF(i - 5.0, b), QPointF(i - 1.0, height),
                          QPointF(i + 3.0, top), QPointF(width, top), QPointF(width, top + 3.0)});
}

void FormulaNode::layoutParentheses() {
    const OperationScreenSize& contents = children_[0].node->size();
    const qreal k = std::min(contents.height() / 5.0, kMaximumCrescentDepth);
    size_ = {contents.baselineOffset, QSizeF(contents.width() + 2.0 * k + 2.0, contents.height())};
    children_[0].origin = QPointF(k + 1.0, 0.0);
    crescents_.push_back(Crescent{k, k, true});
    crescents_.push_back(Crescent{k + 1.0 + contents.width() + 1.0, k, false});
}

void FormulaNode::layoutUnaryMinus() {
    const OperationScreenSize& contents = children_[0].node->size();
    const TextBox minus = measure(text_);
    size_ = {contents.baselineOffset,
             QSizeF(minus.size.width() + 1.0 + contents.width(), contents.height())};
    addText(text_, QPointF(0.0, contents.baselineOffset - minus.size.height() / 2.0), minus);
    children_[0].origin = QPointF(minus.size.width() + 1.0, 0.0);
}

void FormulaNode::layoutFunction() {
    const TextBox name = measure(text_);
    const QString separator = QStringLiteral(", ");
    const TextBox comma = measure(separator);
    qreal b = 0.0;
    qreal argumentsWidth = 0.0;
    for (const Child& argument : children_) {
        b = std::max(b, argument.node->size().baselineOffset);
        argumentsWidth += argument.node->size().width();
    }
    // Arguments share one axis, so the box reaches the lowest of their bottoms (with one
    // argument this is its height).
    qreal height = name.size.height();
    for (const Child& argument : children_) {
        const OperationScreenSize& size = argument.node->size();
        height = std::max(height, b - size.baselineOffset + size.height());
    }
    const qreal k = std::min(height / 5.0, kMaximumCrescentDepth);
    const qreal separators = children_.empty() ? 0.0 : comma.size.width() * (children_.size() - 1);
    size_ = {b,
             QSizeF(name.size.width() + 3.0 + argumentsWidth + separators + 2.0 * k + 1.0, height)};

    addText(text_, QPointF(0.0, b - name.size.height() / 2.0), name);
    crescents_.push_back(Crescent{name.size.width() + 2.0 + k, k, true});
    qreal x = name.size.width() + 3.0 + k;
    for (size_t i = 0; i < children_.size(); ++i) {
        const OperationScreenSize& size = children_[i].node->size();
        children_[i].origin = QPointF(x, b - size.baselineOffset);
        x += size.width();
        if (i + 1 < children_.size()) {
            addText(separator, QPointF(x, b - comma.size.height() / 2.0), comma);
            x += comma.size.width();
        }
    }
    crescents_.push_back(Crescent{x + 1.0, k, false});
}

void FormulaNode::layoutSum() {
    qreal b = 0.0;
    qreal descent = 0.0;
    for (const Child& operand : children_) {
        b = std::max(b, operand.node->size().baselineOffset);
        descent =
            std::max(descent, operand.node->size().height() - operand.node->size().baselineOffset);
    }
    // The first operator is implied, except a minus: organising a sum may put a subtracted
    // term first, and dropping its sign would change the formula.
    const auto signDrawn = [this](size_t i) {
        return i > 0 || (operators_[i] != QStringLiteral("+") && !operators_[i].isEmpty());
    };
    qreal x = 0.0;
    for (size_t i = 0; i < children_.size(); ++i) {
        if (signDrawn(i)) {
            const TextBox sign = measure(operators_[i]);
            addText(operators_[i], QPointF(x, b - sign.size.height() / 2.0), sign);
            x += sign.size.width() + 1.0;
        }
        const OperationScreenSize& size = children_[i].node->size();
        children_[i].origin = QPointF(x, b - size.baselineOffset);
        x += size.width() + 1.0;
    }
    size_ = {b, QSizeF(x + 1.0, b + descent)};
}

void FormulaNode::layoutProduct() {
    struct Group {
        std::vector<Child*> factors;
        qreal width = 0.0;
        qreal baseline = 0.0;
        qreal height = 0.0;
    };
    const QString dot = QStringLiteral("⋅");
    const TextBox dotBox = measure(dot);
    Group numerator;
    Group denominator;
    for (size_t i = 0; i < children_.size(); ++i) {
        (divides_[i] ? denominator : numerator).factors.push_back(&children_[i]);
    }
    for (Group* group : {&numerator, &denominator}) {
        qreal descent = 0.0;
        for (const Child* factor : group->factors) {
            const OperationScreenSize& size = factor->node->size();
            group->width += size.width();
            group->baseline = std::max(group->baseline, size.baselineOffset);
            descent = std::max(descent, size.height() - size.baselineOffset);
        }
        if (!group->factors.empty()) {
            group->width += (group->factors.size() - 1) * (dotBox.size.width() + 2.0);
        }
        group->height = group->baseline + descent;
    }
    const QString one = QStringLiteral("1");
    const TextBox oneBox = measure(one);
    if (numerator.factors.empty()) {
        numerator.width = oneBox.size.width();
        numerator.height = oneBox.size.height();
        numerator.baseline = oneBox.size.height() / 2.0;
    }
    const bool hasDenominator = !denominator.factors.empty();
    const qreal width = std::max(numerator.width, denominator.width + 8.0);
    if (hasDenominator) {
        size_ = {numerator.height + 1.0,
                 QSizeF(width, numerator.height + 3.0 + denominator.height)};
    } else {
        size_ = {numerator.baseline, QSizeF(width, numerator.height + 3.0)};
    }

    const auto place = [&](const Group& group, qreal axis) {
        qreal x = (width - group.width) / 2.0;
        for (size_t i = 0; i < group.factors.size(); ++i) {
            if (i > 0) {
                addText(dot, QPointF(x, axis - dotBox.size.height() / 2.0), dotBox);
                x += dotBox.size.width() + 1.0;
            }
            Child& factor = *group.factors[i];
            factor.origin = QPointF(x, axis - factor.node->size().baselineOffset);
            x += factor.node->size().width() + 1.0;
        }
    };
    place(numerator, numerator.baseline);
    if (!hasDenominator) {
        return;
    }
    if (numerator.factors.empty()) {
        addText(one, QPointF((width - numerator.width) / 2.0, 0.0), oneBox);
    }
    const qreal bar = size_.baselineOffset + 1.0;
    fractionBar_ = QLineF(1.0, bar, width - 2.0, bar);
    place(denominator, numerator.height + 3.0 + denominator.baseline);
}

void FormulaNode::drawInContext(QPainter& painter, QPointF point, unsigned depth) const {
    const QPen callerPen = painter.pen();
    draw(painter, point, depth, painter.brush().color(), callerPen.color());
    painter.setPen(callerPen);
}

void FormulaNode::draw(QPainter& painter, QPointF point, unsigned depth, const QColor& fill,
                       const QColor& stroke) const {
    if (!font_) {
        return;
    }
    // A wide formula in a scrolling view: only the visible part is drawn.
    if (painter.hasClipping() && !painter.clipBoundingRect().intersects(
                                     QRectF(point, QSizeF(size_.width(), size_.height())))) {
        return;
    }
    if (!texts_.empty()) {
        painter.setFont(*font_);
        painter.setPen(fill);
        for (const Text& part : texts_) {
            painter.drawText(point + part.origin + part.baselineStart, part.text);
        }
    }
    for (const Crescent& crescent : crescents_) {
        painter.fillPath(crescentPath(crescent, point, size_.height(), crescentThickness(depth)),
                         fill);
    }
    if (!radical_.isEmpty()) {
        // Kept inside the box by half the stroke, so a line never leaves the image; strokes
        // thinner than a pixel are rasterised a pixel wide, hence at least half a pixel.
        const qreal lineWidth = radicalLineWidth(depth);
        const qreal inset = std::max(lineWidth, 1.0) / 2.0;
        QPolygonF line;
        for (const QPointF& corner : radical_) {
            line << point + QPointF(std::clamp(corner.x(), inset, size_.width() - inset),
                                    std::clamp(corner.y(), inset, size_.height() - inset));
        }
        painter.setPen(QPen(stroke, lineWidth, Qt::SolidLine, Qt::FlatCap, Qt::RoundJoin));
        painter.drawPolyline(line);
    }
    if (fractionBar_) {
        const bool antialiased = painter.testRenderHint(QPainter::Antialiasing);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(stroke, 1.0, Qt::SolidLine, Qt::FlatCap));
        painter.drawLine(fractionBar_->translated(point));
        painter.setRenderHint(QPainter::Antialiasing, antialiased);
    }
    for (const Child& child : children_) {
        child.node->draw(painter, point + child.origin, depth + child.depthStep, fill, stroke);
    }
}

}  // namespace plotwise
