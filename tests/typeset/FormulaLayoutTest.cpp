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
// exponents and root indices are smaller, exponents raised; a fraction's bar lies between its
// parts; operands and arguments on one line share the axis; brackets are as tall as their
// contents.
void expectPartsInside(const FormulaNode& node, const std::string& where) {
    const QRectF box(QPointF(0.0, 0.0), node.size().screenSize);
    const QRectF grown = box.adjusted(-1e-9, -1e-9, 1e-9, 1e-9);
    for (const auto& part : node.children()) {
        EXPECT_TRUE(grown.contains(boxOf(part))) << where;
        expectPartsInside(*part.node, where);
    }
    const auto& parts = node.children();
    const auto fontOf = [&](size_t i) { return parts[i].node->font().pixelSize(); };
    switch (node.kind()) {
        case Kind::Power:
            EXPECT_LT(fontOf(1), std::max(fontOf(0), 9)) << where;  // 8 is the smallest font
            EXPECT_LT(parts[1].origin.y(), parts[0].origin.y()) << where;
            break;
        case Kind::Root:
            EXPECT_LT(fontOf(0), std::max(fontOf(1), 9)) << where;
            break;
        case Kind::Parentheses:
            EXPECT_DOUBLE_EQ(node.size().height(), parts[0].node->size().height()) << where;
            break;
        case Kind::Leaf:
            EXPECT_DOUBLE_EQ(node.size().baselineOffset, node.size().height() / 2.0) << where;
            break;
        case Kind::UnaryMinus:  // the sign on the axis, then the operand
            EXPECT_DOUBLE_EQ(node.size().height(), parts[0].node->size().height()) << where;
            EXPECT_GT(parts[0].origin.x(), node.texts()[0].size.width()) << where;
            EXPECT_DOUBLE_EQ(node.texts()[0].origin.y() + node.texts()[0].size.height() / 2.0,
                             node.size().baselineOffset)
                << where;
            break;
        case Kind::Product:
            if (node.fractionBar()) {
                // Over the bar: the first part, or the "1" of a product of only a divide.
                EXPECT_LT(parts.size() > 1
                              ? bottom(parts[0])
                              : node.texts()[0].origin.y() + node.texts()[0].size.height(),
                          node.fractionBar()->y1())
                    << where;
                EXPECT_GT(parts.back().origin.y(), node.fractionBar()->y1()) << where;
                break;
            }
            [[fallthrough]];
        case Kind::Sum:
        case Kind::Operator:
        case Kind::Function:
            for (const auto& part : parts) {
                EXPECT_NEAR(axis(part), node.size().baselineOffset, 1e-9) << where;
            }
            for (size_t i = 1; i < parts.size(); ++i) {
                EXPECT_GT(parts[i].origin.x(), boxOf(parts[i - 1]).right()) << where;
            }
            break;
        default:
            break;
    }
    for (const auto& text : node.texts()) {
        EXPECT_TRUE(grown.contains(QRectF(text.origin, text.size)))
            << where << " text " << text.text.toStdString();
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

// (Smaller and raised exponents, bars between the parts: checked over every example below.)
TEST(FormulaLayout, ExponentFollowsTheBaseWhichSitsAtTheBottom) {
    const auto parsed = parse("x^2");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& power = layout->root();
    ASSERT_EQ(power.kind(), Kind::Power);
    const auto& base = power.children()[0];
    const auto& exponent = power.children()[1];
    EXPECT_LT(axis(exponent), axis(base));
    EXPECT_GE(exponent.origin.x(), base.node->size().width());
    // The base sits at the bottom; the raised exponent makes the box taller than the base.
    EXPECT_DOUBLE_EQ(bottom(base), power.size().height());
    EXPECT_GT(power.size().height(), base.node->size().height());
    EXPECT_DOUBLE_EQ(power.size().baselineOffset, axis(base));
}

TEST(FormulaLayout, FractionAxisRunsJustAboveTheBar) {
    const auto parsed = parse("(x+y)/z");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& fraction = layout->root();
    ASSERT_EQ(fraction.kind(), Kind::Product);
    ASSERT_TRUE(fraction.fractionBar().has_value());
    const auto& numerator = fraction.children()[0];
    const auto& denominator = fraction.children()[1];
    EXPECT_EQ(numerator.node->kind(), Kind::Parentheses);
    const qreal bar = fraction.fractionBar()->y1();
    EXPECT_DOUBLE_EQ(fraction.fractionBar()->y2(), bar);
    EXPECT_LT(fraction.fractionBar()->x1(), fraction.fractionBar()->x2());
    // The axis, which neighbours align on, runs just above the bar.
    EXPECT_LT(fraction.size().baselineOffset, bar);
    EXPECT_GT(fraction.size().baselineOffset, bottom(numerator) - 1.0);
    EXPECT_DOUBLE_EQ(fraction.size().height(), bottom(denominator));
}

TEST(FormulaLayout, FractionIsWiderThanAWiderDenominatorAndCentresBoth) {
    const auto parsed = parse("x/(x+y+z+r)");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& fraction = layout->root();
    const auto& numerator = fraction.children()[0];
    const auto& denominator = fraction.children()[1];
    ASSERT_GT(denominator.node->size().width(), numerator.node->size().width());
    EXPECT_GT(fraction.size().width(), denominator.node->size().width());
    for (const auto* part : {&numerator, &denominator}) {
        EXPECT_NEAR(part->origin.x() + part->node->size().width() / 2.0,
                    fraction.size().width() / 2.0, 1e-9);
    }
    const auto wide = parse("(x+y+z+r)/x");
    const auto wideLayout = layoutOf(wide.tree.get());
    EXPECT_DOUBLE_EQ(wideLayout->size().width(), child(wideLayout->root(), 0).size().width());
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
        EXPECT_DOUBLE_EQ(brackets.size().height(), contents.size().height());
        EXPECT_DOUBLE_EQ(brackets.size().baselineOffset, contents.size().baselineOffset);
        EXPECT_GT(brackets.size().height(), previousHeight);
        previousHeight = brackets.size().height();
        ASSERT_EQ(brackets.crescents().size(), 2u);
        EXPECT_TRUE(brackets.crescents()[0].opening);
        EXPECT_FALSE(brackets.crescents()[1].opening);
        extras.push_back(brackets.size().width() - contents.size().width());
    }
    EXPECT_LT(extras[0], extras[1]);
    for (size_t i = 1; i < extras.size(); ++i) {
        EXPECT_GE(extras[i], extras[i - 1]);
    }
    EXPECT_DOUBLE_EQ(extras[extras.size() - 2], extras.back());
}

TEST(FormulaLayout, SquareRootShowsItsIndexSmallAndTheOverbarSpansTheRadicand) {
    const auto parsed = parse("√x");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& root = layout->root();
    ASSERT_EQ(root.kind(), Kind::Root);
    const auto& index = root.children()[0];
    const auto& radicand = root.children()[1];
    ASSERT_EQ(index.node->texts().size(), 1u);
    EXPECT_EQ(index.node->texts()[0].text, QStringLiteral("2"));
    EXPECT_LT(index.node->font().pixelSize(), radicand.node->font().pixelSize());
    EXPECT_DOUBLE_EQ(bottom(radicand), root.size().height());
    // The index stands on the axis, left of the radicand.
    EXPECT_DOUBLE_EQ(bottom(index), root.size().baselineOffset);
    EXPECT_LT(boxOf(index).right(), radicand.origin.x());
    // The overbar runs along the radicand's top, past both its ends.
    const QPolygonF& radical = root.radical();
    ASSERT_EQ(radical.size(), 6);
    EXPECT_DOUBLE_EQ(radical[3].y(), radicand.origin.y());
    EXPECT_DOUBLE_EQ(radical[4].y(), radicand.origin.y());
    EXPECT_LT(radical[3].x(), radicand.origin.x());
    EXPECT_GT(radical[4].x(), boxOf(radicand).right());
    // The hook reaches the bottom of the box.
    EXPECT_DOUBLE_EQ(radical[2].y(), root.size().height());
}

TEST(FormulaLayout, RootIndexIsNeverPushedOutOfTheBox) {
    // Deep in exponents the index is narrower than the radical's hook.
    const auto parsed = parse("√x");
    const auto layout = layoutOf(parsed.tree.get(), 12);
    for (const QPointF& corner : layout->root().radical()) {
        EXPECT_GE(corner.x(), 0.0);
    }
    expectPartsInside(layout->root(), "√x at depth 12");
}

TEST(FormulaLayout, FunctionArgumentsSitBetweenCrescentsWithCommas) {
    const auto parsed = parse("max(1, x/y)");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& function = layout->root();
    ASSERT_EQ(function.kind(), Kind::Function);
    ASSERT_EQ(function.texts().size(), 2u);
    EXPECT_EQ(function.texts()[0].text, QStringLiteral("max"));
    EXPECT_EQ(function.texts()[1].text, QStringLiteral(", "));
    ASSERT_EQ(function.children().size(), 2u);
    ASSERT_EQ(function.crescents().size(), 2u);
    const auto& name = function.texts()[0];
    const auto& opening = function.crescents()[0];
    const auto& closing = function.crescents()[1];
    // The opening crescent bulges k left of its tips, still right of the name; the arguments
    // follow it.
    EXPECT_GT(opening.tipX - opening.k, name.origin.x() + name.size.width());
    EXPECT_GT(function.children()[0].origin.x(), opening.tipX);
    EXPECT_LT(boxOf(function.children()[1]).right(), closing.tipX);
    EXPECT_DOUBLE_EQ(closing.tipX + closing.k, function.size().width());
    for (const auto& argument : function.children()) {
        EXPECT_DOUBLE_EQ(axis(argument), function.size().baselineOffset);
    }
    // The crescents grow with the tall second argument.
    const auto small = parse("max(1, x)");
    const auto smallLayout = layoutOf(small.tree.get());
    EXPECT_GT(opening.k, smallLayout->root().crescents()[0].k);
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
        for (const unsigned depth : {0u, 3u, 9u}) {
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
