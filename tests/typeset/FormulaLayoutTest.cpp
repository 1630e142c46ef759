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
        case Kind::Product:
            if (node.fractionBar()) {
                EXPECT_LT(bottom(parts[0]), node.fractionBar()->y1()) << where;
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

TEST(FormulaLayout, LeafIsItsTextWithTheAxisInTheMiddle) {
    const auto parsed = parse("x");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& leaf = layout->root();
    ASSERT_EQ(leaf.kind(), Kind::Leaf);
    ASSERT_EQ(leaf.texts().size(), 1u);
    EXPECT_EQ(leaf.texts()[0].text, QStringLiteral("x"));
    EXPECT_GT(leaf.size().width(), 0.0);
    EXPECT_DOUBLE_EQ(leaf.size().baselineOffset, leaf.size().height() / 2.0);
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

TEST(FormulaLayout, ProductOfOnlyADivisionDrawsTheTextOne) {
    // A product holding only a divide, as simplification can leave it (1/x after the 1 went).
    VariableTable table{};
    const auto product = test::buildNode("(prod / x)", table);
    const auto layout = layoutOf(product.get());
    const FormulaNode& fraction = layout->root();
    ASSERT_EQ(fraction.texts().size(), 1u);
    EXPECT_EQ(fraction.texts()[0].text, QStringLiteral("1"));
    ASSERT_TRUE(fraction.fractionBar().has_value());
    const auto& one = fraction.texts()[0];
    EXPECT_LT(one.origin.y() + one.size.height(), fraction.fractionBar()->y1());
    EXPECT_GT(fraction.children()[0].origin.y(), fraction.fractionBar()->y1());
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

TEST(FormulaLayout, SumThatStartsWithASubtractionShowsItsSign) {
    // Organising a sum can put a subtracted term first (x-1 becomes -1+x).
    VariableTable table{};
    const auto sum = test::buildNode("(sum - 1 + x)", table);
    const auto layout = layoutOf(sum.get());
    const FormulaNode& node = layout->root();
    ASSERT_EQ(node.texts().size(), 2u);
    EXPECT_EQ(node.texts()[0].text, QStringLiteral("-"));
    EXPECT_DOUBLE_EQ(node.texts()[0].origin.x(), 0.0);
    EXPECT_GT(node.children()[0].origin.x(), node.texts()[0].size.width());
}

TEST(FormulaLayout, UnaryMinusPrecedesItsOperand) {
    const auto parsed = parse("-x^2");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& minus = layout->root();
    ASSERT_EQ(minus.kind(), Kind::UnaryMinus);
    ASSERT_EQ(minus.texts().size(), 1u);
    EXPECT_EQ(minus.texts()[0].text, QStringLiteral("-"));
    const auto& operand = minus.children()[0];
    EXPECT_EQ(operand.node->kind(), Kind::Power);
    EXPECT_GT(operand.origin.x(), minus.texts()[0].size.width());
    EXPECT_DOUBLE_EQ(minus.size().height(), operand.node->size().height());
    const auto& sign = minus.texts()[0];
    EXPECT_DOUBLE_EQ(sign.origin.y() + sign.size.height() / 2.0, minus.size().baselineOffset);
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

TEST(FormulaLayout, DerivativeIsAFunctionNamedAfterItsVariable) {
    const auto parsed = parse("d/dx(x^2)");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& derivative = layout->root();
    ASSERT_EQ(derivative.kind(), Kind::Function);
    ASSERT_FALSE(derivative.texts().empty());
    EXPECT_EQ(derivative.texts()[0].text, QStringLiteral("d/dx"));
    ASSERT_EQ(derivative.children().size(), 1u);
    EXPECT_EQ(derivative.children()[0].node->kind(), Kind::Power);
}

TEST(FormulaLayout, ABareSumAsAFactorGetsBrackets) {
    // (1+π)⋅x after simplification dropped the constant brackets.
    VariableTable table{};
    const auto product = test::buildNode("(prod * (sum + 1 + pi) * x)", table);
    const auto layout = layoutOf(product.get());
    const FormulaNode& first = child(layout->root(), 0);
    ASSERT_EQ(first.kind(), Kind::Parentheses);
    EXPECT_EQ(child(first, 0).kind(), Kind::Sum);
    EXPECT_EQ(child(layout->root(), 1).kind(), Kind::Leaf);
}

TEST(FormulaLayout, AProductOrNegativeNumberAsABaseGetsBrackets) {
    VariableTable table{};
    const auto power = test::buildNode("(^ (prod * 2 * pi) x)", table);
    const auto layout = layoutOf(power.get());
    EXPECT_EQ(child(layout->root(), 0).kind(), Kind::Parentheses);
    const auto negative = test::buildNode("(^ -3 2)", table);
    EXPECT_EQ(child(layoutOf(negative.get())->root(), 0).kind(), Kind::Parentheses);

    // A base that binds tighter keeps its plain form.
    const auto parsed = parse("sin(x)^2");
    EXPECT_EQ(child(layoutOf(parsed.tree.get())->root(), 0).kind(), Kind::Function);
}

TEST(FormulaLayout, TypedParenthesesAreNotDoubled) {
    const auto parsed = parse("(x+1)⋅2");
    const auto layout = layoutOf(parsed.tree.get());
    const FormulaNode& first = child(layout->root(), 0);
    ASSERT_EQ(first.kind(), Kind::Parentheses);
    EXPECT_EQ(child(first, 0).kind(), Kind::Sum);
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
