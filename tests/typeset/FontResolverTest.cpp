#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>

#include "typeset/FontResolver.h"
#include "typeset/FormulaNode.h"

namespace plotwise {
namespace {

TEST(FontResolver, MarkerFeltIsComicNeueWhenInstalled) {
    const QFont font = FontResolver::font(FontResolver::Face::MarkerFelt, 18.0);
    const QString expected = QFontDatabase::hasFamily(QStringLiteral("Comic Neue"))
                                 ? QStringLiteral("Comic Neue")
                                 : QApplication::font().family();
    EXPECT_EQ(font.family(), expected);
    EXPECT_EQ(QFontInfo(font).family(), expected);
    EXPECT_EQ(font.pixelSize(), 18);
}

TEST(FontResolver, HelveticaBoldIsABoldLiberationSans) {
    const QFont font = FontResolver::font(FontResolver::Face::HelveticaBold, 12.0);
    if (QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"))) {
        EXPECT_EQ(QFontInfo(font).family(), QStringLiteral("Liberation Sans"));
    }
    EXPECT_EQ(font.weight(), QFont::Bold);
    EXPECT_EQ(font.pixelSize(), 12);
}

TEST(FontResolver, SystemFaceIsTheApplicationFont) {
    EXPECT_EQ(FontResolver::font(FontResolver::Face::System, 13.0).family(),
              QApplication::font().family());
}

TEST(FontResolver, AMissingFamilyFallsBackToTheApplicationFont) {
    const QFont font =
        FontResolver::fontWithFamily(QStringLiteral("No Such Family Plotwise Test"), 16.0);
    EXPECT_EQ(font.family(), QApplication::font().family());
    EXPECT_EQ(font.pixelSize(), 16);
}

TEST(FontResolver, StandardSizeFollowsTheApplicationFont) {
    const QFont saved = QApplication::font();
    QFont font = saved;
    font.setPixelSize(14);
    QApplication::setFont(font);
    EXPECT_EQ(FontResolver::standardFontSize(), 14.0);
    QApplication::setFont(saved);
}

// Deeper parts are never larger, shrink at first, and stop at a floor that stays readable.
TEST(FormulaFonts, SizeShrinksWithDepthDownToAFloor) {
    const qreal top = FormulaNode::fontSizeForDepth(0, 14.0);
    const qreal floor = FormulaNode::fontSizeForDepth(40, 14.0);
    EXPECT_LT(FormulaNode::fontSizeForDepth(1, 14.0), top);
    EXPECT_GT(floor, 0.0);
    for (unsigned depth = 0; depth < 40; ++depth) {
        EXPECT_LE(FormulaNode::fontSizeForDepth(depth + 1, 14.0),
                  FormulaNode::fontSizeForDepth(depth, 14.0));
        EXPECT_EQ(FormulaNode::fontForDepth(depth, 14.0).pixelSize(),
                  qRound(FormulaNode::fontSizeForDepth(depth, 14.0)));
    }
    EXPECT_EQ(FormulaNode::fontSizeForDepth(20, 14.0), floor);
    EXPECT_EQ(FormulaNode::fontForDepth(0, 14.0).family(),
              FontResolver::family(FontResolver::Face::MarkerFelt));
}

TEST(FormulaFonts, StrokesThinWithDepthButNeverVanish) {
    EXPECT_GT(FormulaNode::radicalLineWidth(0), FormulaNode::radicalLineWidth(3));
    for (unsigned depth = 0; depth < 40; ++depth) {
        EXPECT_GE(FormulaNode::radicalLineWidth(depth), 0.5) << "depth " << depth;
        EXPECT_GE(FormulaNode::crescentThickness(depth), 1.0) << "depth " << depth;
        EXPECT_LE(FormulaNode::radicalLineWidth(depth + 1), FormulaNode::radicalLineWidth(depth));
    }
    EXPECT_EQ(FormulaNode::crescentThickness(0), 3.0);
}

}  // namespace
}  // namespace plotwise
