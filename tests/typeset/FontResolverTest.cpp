#include <gtest/gtest.h>

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>

#include "typeset/FontResolver.h"
#include "typeset/FormulaNode.h"

namespace plotwise {
namespace {

// Each face at the size asked for: Marker Felt is Comic Neue where installed, Helvetica Bold a
// bold Liberation Sans, and the system face or a missing family the application's font.
TEST(FontResolver, FacesAndMissingFamilies) {
    const QString application = QApplication::font().family();
    const bool comic = QFontDatabase::hasFamily(QStringLiteral("Comic Neue"));
    const QFont marker = FontResolver::font(FontResolver::Face::MarkerFelt, 18.0);
    EXPECT_EQ(QFontInfo(marker).family(), comic ? QStringLiteral("Comic Neue") : application);
    EXPECT_EQ(marker.pixelSize(), 18);
    const QFont bold = FontResolver::font(FontResolver::Face::HelveticaBold, 12.0);
    if (QFontDatabase::hasFamily(QStringLiteral("Liberation Sans"))) {
        EXPECT_EQ(QFontInfo(bold).family(), QStringLiteral("Liberation Sans"));
    }
    EXPECT_EQ(bold.weight(), QFont::Bold);
    EXPECT_EQ(FontResolver::font(FontResolver::Face::System, 13.0).family(), application);
    const QFont missing =
        FontResolver::fontWithFamily(QStringLiteral("No Such Family Plotwise Test"), 16.0);
    EXPECT_EQ(missing.family(), application);
    EXPECT_EQ(missing.pixelSize(), 16);
}

// Deeper parts are never larger, shrink at first, and stop at a floor that stays readable.
TEST(FormulaFonts, SizesAndStrokesShrinkWithDepthDownToAFloor) {
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
    // Strokes thin with depth too, but never vanish.
    EXPECT_GT(FormulaNode::radicalLineWidth(0), FormulaNode::radicalLineWidth(3));
    for (unsigned depth = 0; depth < 40; ++depth) {
        EXPECT_GE(FormulaNode::radicalLineWidth(depth), 0.5) << depth;
        EXPECT_GE(FormulaNode::crescentThickness(depth), 1.0) << depth;
        EXPECT_LE(FormulaNode::radicalLineWidth(depth + 1), FormulaNode::radicalLineWidth(depth));
    }
    EXPECT_EQ(FormulaNode::fontForDepth(0, 14.0).family(),
              FontResolver::family(FontResolver::Face::MarkerFelt));
}

}  // namespace
}  // namespace plotwise
