#include <gtest/gtest.h>

#include <QPainter>

#include <cmath>
#include <string>

#include "TypesetTestSupport.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {
namespace {

using test::layoutOf;
using test::parse;

QSize expectedPixels(const OperationScreenSize& box, qreal ratio) {
    return QSize(static_cast<int>(std::ceil(box.width() * ratio)),
                 static_cast<int>(std::ceil(box.height() * ratio)));
}

// Counts covered pixels, and those whose colour (unpremultiplied) is not `color`. Faint edge
// pixels are skipped: their colour is rounded too coarsely to compare.
struct ColourCount {
    int covered = 0;
    int opaque = 0;
    int otherColour = 0;
    int matching = 0;  // opaque and of the colour
};

ColourCount countColours(const QImage& image, const QColor& color) {
    ColourCount count;
    const QImage argb = image.convertToFormat(QImage::Format_ARGB32);
    for (int y = 0; y < argb.height(); ++y) {
        for (int x = 0; x < argb.width(); ++x) {
            const QRgb pixel = argb.pixel(x, y);
            count.covered += qAlpha(pixel) != 0;
            count.opaque += qAlpha(pixel) == 255;
            const bool other = std::abs(qRed(pixel) - color.red()) > 3 ||
                               std::abs(qGreen(pixel) - color.green()) > 3 ||
                               std::abs(qBlue(pixel) - color.blue()) > 3;
            count.otherColour += qAlpha(pixel) >= 96 && other;
            count.matching += qAlpha(pixel) == 255 && !other;
        }
    }
    return count;
}

// The image is the box times the pixel ratio: strokes of the requested colour on a mostly
// transparent ground (text, a radical, a bar and crescents).
TEST(ExpressionImage, IsTheBoxTimesThePixelRatioInTheColourOnTransparency) {
    const QColor colour(200, 30, 90);
    for (const char* text : {"x^2", "(x+1)/y", "max(1, x)", "√(x+1)/(2⋅π)-(y)"}) {
        const auto parsed = parse(text);
        for (const qreal ratio : {1.0, 1.5, 3.0}) {
            const auto layout = layoutOf(parsed.tree.get());
            const QImage image =
                ExpressionImage::imageOfLayout(*layout, 0, colour, QColor(), ratio);
            ASSERT_FALSE(image.isNull()) << text;
            EXPECT_EQ(image.size(), expectedPixels(layout->size(), ratio)) << text << " " << ratio;
            EXPECT_EQ(image.devicePixelRatio(), ratio);
            const ColourCount count = countColours(image, colour);
            EXPECT_GT(count.opaque, 0) << text;
            EXPECT_EQ(count.otherColour, 0) << text;
            EXPECT_LT(count.covered, image.width() * image.height() / 2) << text;
        }
    }
}

// The shadow shows one point right of and below the strokes, under them; the image is laid out
// with the application's standard font size, from the text parsed again, so the owner's
// variables are left alone.
TEST(ExpressionImage, ShadowIsDrawnUnderTheColour) {
    auto parsed = parse("x=2;x^2+1");
    (*parsed.table)[0] = 5.0;
    const QImage image = ExpressionImage::expressionImageWithColor(*parsed.tree, QColor(255, 0, 0),
                                                                   QColor(0, 0, 255), 0, 2.0);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ((*parsed.table)[0], 5.0);
    FormulaLayout layout(parsed.tree.get());
    layout.cacheSizeAtDepth(0);
    EXPECT_EQ(image.size(), expectedPixels(layout.size(), 2.0));
    EXPECT_GT(countColours(image, QColor(255, 0, 0)).matching, 20);
    EXPECT_GT(countColours(image, QColor(0, 0, 255)).matching, 5);
}

TEST(ExpressionImage, NothingIsDrawnOutsideTheBox) {
    constexpr qreal margin = 12.0;
    for (const char* text : test::examples()) {
        const auto parsed = parse(text);
        ASSERT_NE(parsed.tree, nullptr) << text;
        for (const unsigned depth : {0u, 3u, 7u}) {
            for (const qreal ratio : {1.0, 2.0}) {
                const auto layout = layoutOf(parsed.tree.get(), depth);
                const QSizeF box = layout->size().screenSize;
                QImage image(static_cast<int>(std::ceil((box.width() + 2 * margin) * ratio)),
                             static_cast<int>(std::ceil((box.height() + 2 * margin) * ratio)),
                             QImage::Format_ARGB32_Premultiplied);
                image.setDevicePixelRatio(ratio);
                image.fill(Qt::transparent);
                {
                    QPainter painter(&image);
                    painter.setRenderHints(QPainter::Antialiasing | QPainter::TextAntialiasing);
                    painter.setPen(Qt::black);
                    painter.setBrush(Qt::black);
                    layout->drawInContext(painter, QPointF(margin, margin), depth);
                }
                // Device pixels that do not touch the box must stay clear.
                const QRectF inside(margin * ratio, margin * ratio, box.width() * ratio,
                                    box.height() * ratio);
                int outside = 0;
                int covered = 0;
                for (int y = 0; y < image.height(); ++y) {
                    for (int x = 0; x < image.width(); ++x) {
                        const bool drawn = qAlpha(image.pixel(x, y)) != 0;
                        covered += drawn;
                        outside += drawn && !inside.intersects(QRectF(x, y, 1.0, 1.0));
                    }
                }
                EXPECT_GT(covered, 0) << text;
                EXPECT_EQ(outside, 0) << text << " at depth " << depth << ", ratio " << ratio;
            }
        }
    }
}

TEST(ExpressionImage, PlainImageIsMadeOnceInBlackAtTheScreenRatio) {
    const auto parsed = parse("(x+1)/y");
    ExpressionImage cache;
    const QImage first = cache.expressionImage(*parsed.tree);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.devicePixelRatio(), ExpressionImage::screenDevicePixelRatio());
    const ColourCount count = countColours(first, Qt::black);
    EXPECT_GT(count.opaque, 0);
    EXPECT_EQ(count.otherColour, 0);
    // Kept: a later call hands back the same image even after the text changed.
    parsed.tree->setExpressionString(u"x");
    EXPECT_EQ(cache.expressionImage(*parsed.tree).cacheKey(), first.cacheKey());
    cache.clear();
    const QImage remade = cache.expressionImage(*parsed.tree);
    EXPECT_NE(remade.cacheKey(), first.cacheKey());
    EXPECT_LT(remade.width(), first.width());
}

// A text that no longer parses, or a formula too large for an image, gives none.
TEST(ExpressionImage, NoImageForTextThatNoLongerParsesOrIsTooLarge) {
    auto parsed = parse("x+1");
    parsed.tree->setExpressionString(u"x+");
    EXPECT_TRUE(ExpressionImage::expressionImageWithColor(*parsed.tree, Qt::black, Qt::gray, 0, 2.0)
                    .isNull());
    EXPECT_TRUE(ExpressionImage().expressionImage(*parsed.tree).isNull());
    std::string text = "x";
    for (int i = 0; i < 4000; ++i) {
        text += "+x";
    }
    const auto large = parse(text.c_str());
    ASSERT_NE(large.tree, nullptr);
    const auto layout = layoutOf(large.tree.get());
    ASSERT_GT(layout->size().width() * 2.0, ExpressionImage::maximumImageSide);
    EXPECT_TRUE(ExpressionImage::imageOfLayout(*layout, 0, Qt::black, QColor(), 2.0).isNull());
}

}  // namespace
}  // namespace plotwise
