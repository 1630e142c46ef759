#include <gtest/gtest.h>

#include <QTest>
#include <vector>

#include "app/widgets/RVPWScreenExpressionViewer.h"
#include "engine/ExpressionParsing.h"
#include "equations/RVEquation.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {
namespace {

// Images of known sizes (in points, at pixel ratio 2), each filled with its own grey.
class FakeImages : public RVPWScreenExpressionViewerDelegate {
public:
    int expressionCountForExpressionViewer() override { return static_cast<int>(sizes.size()); }
    QImage imageForExpressionAtIndex(int index) override {
        ++asked;
        QImage image(sizes.at(index) * 2, QImage::Format_ARGB32_Premultiplied);
        image.setDevicePixelRatio(2.0);
        image.fill(QColor(index * 40, index * 40, index * 40));
        return image;
    }
    std::vector<QSize> sizes;
    int asked = 0;
};

class ExpressionViewer : public ::testing::Test {
protected:
    void SetUp() override {
        parent_.resize(400, 600);
        viewer_ = new RVPWScreenExpressionViewer(&parent_);
        viewer_->move(10, 30);
        parent_.show();
    }

    void press(QPointF at) { QTest::mouseClick(viewer_, Qt::LeftButton, {}, at.toPoint()); }

    QWidget parent_;
    RVPWScreenExpressionViewer* viewer_;
    FakeImages images_;
};

// Pressed on the formula it shows the next one, wrapping, in the same frame; a dot jumps.
TEST_F(ExpressionViewer, ExpandsToEachImageInTurnAndCollapsesToTheButton) {
    viewer_->setDelegate(&images_);
    viewer_->toggle();
    EXPECT_TRUE(viewer_->isHidden() && !viewer_->isExpanded()) << "nothing to show";
    images_.sizes = {{100, 40}, {60, 20}, {150, 50}};
    viewer_->reloadCurrent();
    EXPECT_EQ(viewer_->size(), QSize(30, 30));
    EXPECT_EQ(images_.asked, 0) << "collapsed, it asks for no image";
    press({15, 15});
    ASSERT_TRUE(viewer_->isExpanded());
    EXPECT_EQ(viewer_->pageCount(), 3);
    const QSize frame = viewer_->size() - images_.sizes[0];
    EXPECT_TRUE(frame.width() > 30 && frame.height() > 0);
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_->plusRotation() == 45.0; }, 2000));
    for (const int index : {1, 2, 0}) {
        press(viewer_->imageRect().center());
        EXPECT_EQ(viewer_->currentIndex(), index);
        EXPECT_EQ(viewer_->size(), images_.sizes[index] + frame);
        EXPECT_EQ(viewer_->imageRect().size(), QSizeF(images_.sizes[index]));
        EXPECT_EQ(viewer_->currentImage().pixelColor(0, 0), QColor::fromRgb(index * 0x282828));
    }
    press(viewer_->dotRect(2).center());
    EXPECT_EQ(viewer_->currentIndex(), 2);
    EXPECT_LT(viewer_->dotRect(0).right(), viewer_->dotRect(1).left());
    EXPECT_LE(viewer_->dotRect(2).right(), viewer_->width());
    press({15, 15});
    EXPECT_EQ(viewer_->size(), QSize(30, 30));
    EXPECT_TRUE(viewer_->currentImage().isNull());
    EXPECT_TRUE(QTest::qWaitFor([&] { return viewer_->plusRotation() == 0.0; }, 2000));
}

TEST_F(ExpressionViewer, AWideFormulaIsScaledDownToFitTheParent) {
    images_.sizes = {{700, 70}, {100, 30}};
    viewer_->setDelegate(&images_);
    viewer_->toggle();
    // The parent is 400 wide and the viewer 10 from its left: as much again on the right.
    EXPECT_EQ(viewer_->width(), 400 - 2 * 10);
    const double room = viewer_->imageRect().width();
    EXPECT_DOUBLE_EQ(viewer_->imageRect().height(), 70.0 * room / 700.0);
    viewer_->move(40, 30);
    viewer_->reloadCurrent();
    EXPECT_EQ(viewer_->width(), 400 - 2 * 40);
    EXPECT_DOUBLE_EQ(viewer_->imageRect().width(), room - 60);
}

TEST_F(ExpressionViewer, ReloadAfterTheVisibleEquationsChanged) {
    images_.sizes = {{100, 40}, {60, 20}, {150, 50}};
    viewer_->setDelegate(&images_);
    viewer_->toggle();
    viewer_->showExpressionAtIndex(2);
    images_.sizes = {{100, 40}, {80, 30}};
    viewer_->reloadCurrent();
    EXPECT_EQ(viewer_->currentIndex(), 0) << "the shown one is gone";
    EXPECT_EQ(viewer_->pageCount(), 2);
    viewer_->showNext();
    images_.sizes[1] = {90, 30};
    viewer_->reloadCurrent();
    EXPECT_EQ(viewer_->currentIndex(), 1);
    EXPECT_EQ(viewer_->imageRect().size(), QSizeF(90, 30)) << "the current one is shown again";
    images_.sizes.clear();
    viewer_->reloadCurrent();
    EXPECT_TRUE(viewer_->isHidden() && !viewer_->isExpanded());
}

// The viewer's formula: the colour made opaque over a black shadow, two levels deeper (smaller)
// than the list's.
TEST(ExpressionViewerImage, OpaqueColourOverABlackShadowAtDepthTwo) {
    double table[6] = {};
    ParsedExpression parsed = parseExpression(u"y=x^2+1", table);
    ASSERT_TRUE(parsed.tree);
    RVEquation equation;
    equation.initWithOperationTree(std::move(parsed.tree));
    equation.setColor(QColor(255, 0, 0, 100));

    const QImage image = expressionViewerImage(equation, 2.0);
    ASSERT_FALSE(image.isNull());
    EXPECT_EQ(image.devicePixelRatio(), 2.0);
    int red = 0, black = 0;
    for (int y = 0; y < image.height(); ++y) {
        for (int x = 0; x < image.width(); ++x) {
            const QColor c = image.pixelColor(x, y);
            red += c.red() > 200 && c.green() < 40 && c.alpha() == 255 ? 1 : 0;
            black += c.red() < 30 && c.alpha() == 255 ? 1 : 0;
        }
    }
    // Drawn in the equation's alpha (100) no red pixel would be opaque.
    EXPECT_GT(red, 20);
    EXPECT_GT(black, 5);
    const QImage plain = ExpressionImage::expressionImageWithColor(*equation.expression(), Qt::red,
                                                                   Qt::black, 0, 2.0);
    EXPECT_TRUE(image.height() < plain.height() && image.width() < plain.width());
    RVEquation uncoloured;
    uncoloured.initWithOperationTree(parseExpression(u"x", table).tree);
    EXPECT_FALSE(expressionViewerImage(uncoloured, 1.0).isNull());
}

}  // namespace
}  // namespace plotwise
