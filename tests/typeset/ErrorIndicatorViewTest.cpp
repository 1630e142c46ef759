#include <gtest/gtest.h>

#include <QImage>

#include "typeset/RVPWErrorIndicatorView.h"

namespace plotwise {
namespace {

constexpr int kWidth = 300;
constexpr int kHeight = 60;

// The view drawn over a transparent image, so what it leaves alone stays clear.
QImage render(RVPWErrorIndicatorView& view) {
    QImage image(kWidth, kHeight, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    view.render(&image, QPoint(), QRegion(), QWidget::DrawChildren);
    return image.convertToFormat(QImage::Format_ARGB32);
}

bool isDark(QRgb pixel) {
    return qAlpha(pixel) > 150 && qRed(pixel) < 40 && qGreen(pixel) < 40 && qBlue(pixel) < 40;
}

// A point of the status image's disc clear of its check or exclamation mark; the image is
// drawn at (10, H - 21).
QRgb discColour(const QImage& image) {
    return image.pixel(10 + 6, kHeight - 21 + 14);
}

// The strip along the bottom with a green status disc; with an error, a red disc and a spike
// rising at the error point only.
TEST(ErrorIndicatorView, TheStripTheSpikeAndTheStatusImage) {
    RVPWErrorIndicatorView view;
    view.resize(kWidth, kHeight);
    for (const bool error : {false, true}) {
        SCOPED_TRACE(error);
        view.setDisplayError(error);
        view.setErrorPoint(200.0);
        EXPECT_EQ(view.displayError(), error);
        const QImage image = render(view);
        EXPECT_EQ(qAlpha(image.pixel(150, 4)), 0);
        EXPECT_EQ(qAlpha(image.pixel(150, kHeight - 30)), 0);
        EXPECT_EQ(qAlpha(image.pixel(215, kHeight - 30)), 0);
        EXPECT_TRUE(isDark(image.pixel(150, kHeight - 12)));
        EXPECT_TRUE(isDark(image.pixel(kWidth - 5, kHeight - 3)));
        EXPECT_EQ(isDark(image.pixel(200, 4)), error);
        EXPECT_EQ(isDark(image.pixel(200, kHeight - 30)), error);
        const QRgb disc = discColour(image);
        EXPECT_GT(error ? qRed(disc) : qGreen(disc), (error ? qGreen(disc) : qRed(disc)) + 60);
    }
}

TEST(ErrorIndicatorView, StatusImagesAreSharpAtThePixelRatio) {
    for (const qreal ratio : {1.0, 2.0, 3.0}) {
        for (const bool error : {false, true}) {
            const QImage image = RVPWErrorIndicatorView::parseStatusImage(error, ratio);
            EXPECT_EQ(image.width(), static_cast<int>(RVPWErrorIndicatorView::imageSide * ratio));
            EXPECT_EQ(image.height(), image.width());
            EXPECT_EQ(image.devicePixelRatio(), ratio);
            // A disc: clear corners, a filled middle.
            EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0);
            EXPECT_EQ(qAlpha(image.pixel(image.width() / 2, image.height() / 2)), 255);
        }
    }
}

}  // namespace
}  // namespace plotwise
