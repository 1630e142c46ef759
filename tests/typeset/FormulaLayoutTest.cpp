#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "TreeNotation.h"
#include "TypesetTestSupport.h"
#include "typeset/FormulaLayout.h"

namespace plotwise {
namespace {

using Kind = FormulaNode::Kind;
using test::boxOf;
using test::layoutOf;
using test::parse;

const FormulaNode& child(const FormulaNode& node, size_t index) {
    return *node.children().at(index).node;
}

qreal bottom(const FormulaNode::Child& child) {
    return child.origin.y() + child.node->size().height();
}

// The y of a child's axis inside its parent.
qreal axis(const FormulaNode::Child& child) {
    return child.origin.y() + child.node->size().baselineOffset;
}

// Everything laid out inside a node lies within its box, and each kind keeps its relations:
// exponents and root indices are smaller; an exponent is raised after its base, which sits at the
// bottom on the axis; a root's overbar spans its radicand's top and its hook reaches the bottom; a
// fraction's bar lies between its centred parts, the axis just above it; operands and arguments
// on one line share the axis; brackets are as tall as their contents; arguments sit between
// their crescents.
void expectPartsInside(const FormulaNode& node, const std::string& where) {
    SCOPED_TRACE(where);
    const QRectF box(QPointF(0.0, 0.0), node.size().screenSize);
    const QRectF grown = box.adjusted(-1e-9, -1e-9, 1e-9, 1e-9);
    for (const auto& part : node.children()) {
        EXPECT_TRUE(grown.contains(boxOf(part)));
        expectPartsInside(*part.node, where);
    }
    const auto& parts = node.children();
    const auto fontOf = [&](size_t i) { return parts[i].node->font().pixelSize(); };
    const qreal width = node.size().width();
    const qreal height = node.size().height();
    const qreal axisY = node.size().baselineOffset;
    const auto centred = [&](const FormulaNode::Child& part) {
        EXPECT_NEAR(part.origin.x() + part.node->size().width() / 2.0, width / 2.0, 1e-9);
    };
    switch (node.kind()) {
        case Kind::Power:
            EXPECT_LT(fontOf(1), std::max(fontOf(0), 9));  // 8 is the smallest font
            EXPECT_LT(parts[1].origin.y(), parts[0].origin.y());
            EXPECT_GE(parts[1].origin.x(), parts[0].node->size().width());
            EXPECT_DOUBLE_EQ(bottom(parts[0]), height);
            EXPECT_DOUBLE_EQ(axisY, axis(parts[0]));
            break;
        case Kind::Root: {
            EXPECT_LT(fontOf(0), std::max(fontOf(1), 9));
            EXPECT_DOUBLE_EQ(bottom(parts[1]), height);
            EXPECT_LT(boxOf(parts[0]).right(), parts[1].origin.x());
            const QPolygonF& radical = node.radical();
            ASSERT_EQ(radical.size(), 6);
            EXPECT_DOUBLE_EQ(radical[2].y(), height);
            EXPECT_DOUBLE_EQ(radical[3].y(), parts[1].origin.y());
            EXPECT_DOUBLE_EQ(radical[4].y(), parts[1].origin.y());
            EXPECT_LT(radical[3].x(), parts[1].origin.x());
            EXPECT_GT(radical[4].x(), boxOf(parts[1]).right());
            for (const QPointF& corner : radical) {
                EXPECT_TRUE(grown.contains(corner));
            }
            break;
        }
        case Kind::Parentheses:
            EXPECT_DOUBLE_EQ(height, parts[0].node->size().height());
            EXPECT_DOUBLE_EQ(axisY, parts[0].node->size().baselineOffset);
            ASSERT_EQ(node.crescents().size(), 2u);
            EXPECT_TRUE(node.crescents()[0].opening && !node.crescents()[1].opening);
            break;
        case Kind::Leaf:
            EXPECT_DOUBLE_EQ(axisY, height / 2.0);
            break;
        case Kind::UnaryMinus:  // the sign on the axis, then the operand
            EXPECT_DOUBLE_EQ(height, parts[0].node->size().height());
            EXPECT_GT(parts[0].origin.x(), node.texts()[0].size.width());
            EXPECT_DOUBLE_EQ(node.texts()[0].origin.y() + node.texts()[0].size.height() / 2.0,
                             axisY);
            break;
        case Kind::Product:
            if (const auto bar = node.fractionBar()) {
                // Over the bar: the first part, or the "1" of a product of only a divide.
                const qreal over = parts.size() > 1
                                       ? bottom(parts[0])
                                       : node.texts()[0].origin.y() + node.texts()[0].size.height();
                EXPECT_LT(over, bar->y1());
                EXPECT_DOUBLE_EQ(bar->y2(), bar->y1());
                EXPECT_GT(parts.back().origin.y(), bar->y1());
                EXPECT_DOUBLE_EQ(bottom(parts.back()), height);
                EXPECT_LT(axisY, bar->y1());
                EXPECT_GT(axisY, over - 1.0);
                centred(parts.back());
                if (parts.size() == 2) {
                    centred(parts[0]);
                }
                break;
            }
            [[fallthrough]];
        case Kind::Function:
            if (node.kind() == Kind::Function) {
                ASSERT_EQ(node.crescents().size(), 2u);
                const auto& name = node.texts()[0];
                const auto& opening = node.crescents()[0];
                const auto& closing = node.crescents()[1];
                EXPECT_GT(opening.tipX - opening.k, name.origin.x() + name.size.width());
                EXPECT_GT(parts[0].origin.x(), opening.tipX);
                EXPECT_LT(boxOf(parts.back()).right(), closing.tipX);
                EXPECT_DOUBLE_EQ(closing.tipX + closing.k, width);
            }
            [[fallthrough]];
        case Kind::Sum:
        case Kind::Operator:
            for (const auto& part : parts) {
                EXPECT_NEAR(axis(part), axisY, 1e-9);
            }
            for (size_t i = 1; i < parts.size(); ++i) {
                EXPECT_GT(parts[i].origin.x(), boxOf(parts[i - 1]).right());
            }
            break;
        default:
            break;
    }
    for (const auto& text : node.texts()) {
        EXPECT_TRUE(grown.contains(QRectF(text.origin, text.size))) << text.text.toStdString();
    }
}

TEST(FormulaLayout, IsComputedOnceWhateverTheDepthAskedLater) {
    const auto parsed = parse("x+1");
    FormulaLayout layout(parsed.tree.get(), test::kStandardSize);
    EXPECT_FALSE(layout.root().hasLayout());
    EXPECT_EQ(layout.size().width(), 0.0);
    layout.cacheSizeAtDepth(0);
    const OperationScreenSize first = layout.size();
    layout.cacheSizeAtDepth(9);
    EXPECT_EQ(layout.root().font().pixelSize(), 18);
    EXPECT_EQ(layout.size().screenSize, first.screenSize);
}

// Nested fractions (1/(1/(…/x))) in parentheses: each level is taller.
std::string nestedFraction(int levels) {
    std::string text = "x";
    for (int i = 0; i < levels; ++i) {
        text = "1/(" + text + ")";
    }
    return "(" + text + ")";
}

// The brackets are as tall as their contents; what they add to the width grows with the height
// up to a cap, then stays.
TEST(FormulaLayout, ParenthesesGrowWithTheirContentsUpToACap) {
    qreal previousHeight = 0.0;
    std::vector<qreal> extras;
    for (int levels = 0; levels <= 6; ++levels) {
        const auto parsed = parse(nestedFraction(levels).c_str());
        ASSERT_NE(parsed.tree, nullptr);
        const auto layout = layoutOf(parsed.tree.get());
        const FormulaNode& brackets = layout->root();
        ASSERT_EQ(brackets.kind(), Kind::Parentheses);
        const FormulaNode& contents = child(brackets, 0);
        EXPECT_GT(brackets.size().height(), previousHeight);
        previousHeight = brackets.size().height();
        extras.push_back(brackets.size().width() - contents.size().width());
    }
    EXPECT_LT(extras[0], extras[1]);
    for (size_t i = 1; i < extras.size(); ++i) {
        EXPECT_GE(extras[i], extras[i - 1]);
    }
    EXPECT_DOUBLE_EQ(extras[extras.size() - 2], extras.back());
}

// The kinds of a layout tree with their texts: Kind'text'[children].
std::string shape(const FormulaNode& node) {
    static const char* const names[] = {"Empty", "Leaf",        "Operator",   "Power",
                                        "Root",  "Parentheses", "UnaryMinus", "Function",
                                        "Sum",   "Product"};
    std::string out = names[static_cast<int>(node.kind())];
    for (const auto& text : node.texts()) {
        out += "'" + text.text.toStdString() + "'";
    }
    if (!node.children().empty()) {
        out += "[";
        for (const auto& part : node.children()) {
            out += (out.back() == '[' ? "" : " ") + shape(*part.node);
        }
        out += "]";
    }
    return out;
}

// Trees as parsed, or built ("(...)") as simplification leaves them: a product of only a
// divide draws "1", a sum may start with a subtraction, bare sums and products get brackets
// where they are factors or bases, typed brackets are not doubled.
TEST(FormulaLayout, KindsAndTextsOfEachShape) {
    const char* const rows[][2] = {
        {"x", "Leaf'x'"},
        {"-x^2", "UnaryMinus'-'[Power[Leaf'x' Leaf'2']]"},
        {"d/dx(x^2)", "Function'd/dx'[Power[Leaf'x' Leaf'2']]"},
        {"(x+1)⋅2", "Product'⋅'[Parentheses[Sum'+'[Leaf'x' Leaf'1']] Leaf'2']"},
        {"sin(x)^2", "Power[Function'sin'[Leaf'x'] Leaf'2']"},
        {"(prod / x)", "Product'1'[Leaf'x']"},
        {"(sum - 1 + x)", "Sum'-''+'[Leaf'1' Leaf'x']"},
        {"(prod * (sum + 1 + pi) * x)", "Product'⋅'[Parentheses[Sum'+'[Leaf'1' Leaf'π']] Leaf'x']"},
        {"(^ (prod * 2 * pi) x)", "Power[Parentheses[Product'⋅'[Leaf'2' Leaf'π']] Leaf'x']"},
        {"(^ -3 2)", "Power[Parentheses[Leaf'-3'] Leaf'2']"},
    };
    for (const auto& [text, expected] : rows) {
        VariableTable table{};
        const auto parsed = parse(text);
        const auto built = parsed.tree ? nullptr : test::buildNode(text, table);
        const auto layout = layoutOf(built ? built.get() : parsed.tree.get());
        EXPECT_EQ(shape(layout->root()), expected) << text;
        expectPartsInside(layout->root(), text);
    }
}

TEST(FormulaLayout, MissingOperandIsAnEmptyBox) {
    const auto empty = layoutOf(nullptr);
    EXPECT_EQ(empty->root().kind(), Kind::Empty);
    EXPECT_EQ(empty->size().width(), 0.0);
    EXPECT_EQ(empty->size().height(), 0.0);
    EXPECT_EQ(empty->size().baselineOffset, 0.0);

    auto brackets = RVParentheses::parenthesesOpWithToken(RVToken(TOKEN_LPAREN, u"(", 0), nullptr);
    const auto layout = layoutOf(brackets.get());
    EXPECT_EQ(child(layout->root(), 0).kind(), Kind::Empty);
    EXPECT_EQ(layout->size().height(), 0.0);
}

TEST(FormulaLayout, EveryPartOfTheExamplesLiesInsideItsParent) {
    for (const char* text : test::examples()) {
        const auto parsed = parse(text);
        ASSERT_NE(parsed.tree, nullptr) << text;
        qreal previousHeight = 1e9;
        for (const unsigned depth : {0u, 3u, 12u}) {  // past the smallest font at 12
            const auto layout = layoutOf(parsed.tree.get(), depth);
            EXPECT_GT(layout->size().width(), 0.0) << text;
            EXPECT_GT(layout->size().height(), 0.0) << text;
            EXPECT_LE(layout->size().height(), previousHeight) << text;  // deeper is smaller
            previousHeight = layout->size().height();
            expectPartsInside(layout->root(),
                              std::string(text) + " at depth " + std::to_string(depth));
        }
    }
}

}  // namespace
}  // namespace plotwise
