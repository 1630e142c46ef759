#include <gtest/gtest.h>

#include <QSignalSpy>
#include <QTest>
#include <cmath>
#include <numbers>

#include "app/widgets/RVColorPicker.h"
#include "app/widgets/RVColorPickerHSWheel.h"
#include "app/widgets/RVColorPickerSwatchView.h"
#include "app/widgets/RVUnitSlider.h"

namespace plotwise {
namespace {

class ColorPicker : public ::testing::Test {
protected:
    void SetUp() override {
        picker.resize(320, 416);
        picker.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&picker));
    }
    RVColorPickerHSWheel* wheel() const { return picker.colorWheel(); }
    QPointF onWheel(double degrees, double distance) const {
        const double a = degrees * std::numbers::pi / 180.0;
        return wheel()->centre() + QPointF(std::cos(a) * distance, -std::sin(a) * distance);
    }
    static QColor hsv(double h, double s, double v) {
        return QColor::fromHsvF(static_cast<float>(h), static_cast<float>(s), static_cast<float>(v))
            .toRgb();
    }

    RVColorPicker picker;
};

// A touch gives a colour; that colour set on a fresh picker gives back the hue, the saturation
// and the knob's place: at the edge every 15 degrees, and near the centre.
TEST_F(ColorPicker, TouchColourAndSetSelectedColorRoundTripAroundTheWheel) {
    RVColorPicker fresh;
    fresh.resize(320, 416);
    const double r = wheel()->radius();
    for (const double distance : {r - 1.0, 12.0}) {
        for (int degrees = 0; degrees < 360; degrees += 15) {
            SCOPED_TRACE(testing::Message() << degrees << "° at " << distance);
            const QPointF point = onWheel(degrees, distance);
            const auto picked = wheel()->mapPointToColor(point);
            EXPECT_NEAR(picked.hue, degrees / 360.0, 1e-12);
            EXPECT_NEAR(picked.saturation, distance / r, 1e-12);

            QSignalSpy changed(&picker, &RVColorPicker::colorChanged);
            QTest::mouseClick(wheel(), Qt::LeftButton, {}, point.toPoint());
            ASSERT_EQ(changed.size(), 1);
            const auto touched = wheel()->mapPointToColor(point.toPoint());
            const QColor color = picker.selectedColor();
            EXPECT_EQ(color, hsv(touched.hue, touched.saturation, 1.0));

            fresh.setSelectedColor(color);
            // 16-bit channels: hue within a few 1/65535 of a turn, relative to the saturation.
            const double hueError = std::remainder(fresh.colorWheel()->hue() - touched.hue, 1.0);
            EXPECT_NEAR(hueError, 0.0, 2e-4 / touched.saturation);
            EXPECT_NEAR(fresh.colorWheel()->saturation(), touched.saturation, 1e-4);
            const QPointF knobError = fresh.colorWheel()->knobCentre() - wheel()->knobCentre();
            EXPECT_LT(std::hypot(knobError.x(), knobError.y()), 0.05);
        }
    }
}

TEST_F(ColorPicker, EdgeCasesOfSettingAColour) {
    struct Row {
        QColor color;
        double hue, saturation, brightness, alpha;
    };
    for (const Row& row :
         {Row{Qt::red, 0.0, 1.0, 1.0, 1.0},  // hue 0, not 1
          Row{QColor::fromRgbF(0.5f, 0.5f, 0.5f), 0.0, 0.0, 0.5, 1.0},
          Row{QColor::fromRgbF(0.0f, 0.0f, 1.0f, 0.25f), 2 / 3.0, 1.0, 1.0, 0.25}}) {
        SCOPED_TRACE(row.color.name(QColor::HexArgb).toStdString());
        picker.setSelectedColor(row.color);
        EXPECT_NEAR(wheel()->hue(), row.hue, 1e-9);
        EXPECT_EQ(wheel()->saturation(), row.saturation);
        EXPECT_NEAR(picker.brightnessSlider()->unitValue(), row.brightness, 1e-4);
        EXPECT_NEAR(picker.alphaSlider()->unitValue(), row.alpha, 1e-4);
        EXPECT_EQ(wheel()->knobCentre() == wheel()->centre(), row.saturation == 0.0);
    }
    // Within 10 points of the centre the saturation is 0.
    EXPECT_EQ(wheel()->mapPointToColor(onWheel(30, 9.9)).saturation, 0.0);
    EXPECT_GT(wheel()->mapPointToColor(onWheel(30, 10.0)).saturation, 0.0);
}

TEST_F(ColorPicker, SlidersRunFromOneAtTheirStartToZeroAtTheirEnd) {
    RVUnitSlider* slider = picker.brightnessSlider();
    const int length = slider->width();
    EXPECT_EQ(slider->valueAtPosition(-5), 1.0);
    EXPECT_EQ(slider->valueAtPosition(length + 5), 0.0);
    EXPECT_DOUBLE_EQ(slider->valueAtPosition(length / 2.0), 0.5);
    slider->setUnitValue(0.25);
    EXPECT_DOUBLE_EQ(slider->valueAtPosition(slider->knobPosition()), 0.25);
    // The keys move the knob the way they point: Left towards the start (1).
    QSignalSpy changed(slider, &RVUnitSlider::unitValueChanged);
    slider->setFocus();
    QTest::keyClick(slider, Qt::Key_Left);
    EXPECT_NEAR(slider->unitValue(), 0.26, 1e-9);
    QTest::keyClick(slider, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_NEAR(slider->unitValue(), 0.16, 1e-9);
    EXPECT_EQ(changed.size(), 2);
    slider->setUnitValue(7.0);
    EXPECT_EQ(slider->unitValue(), 1.0);
}

TEST_F(ColorPicker, KeysSlidersSwatchesAndTheCompareViewSetColours) {
    picker.setSelectedColor(hsv(0.5, 0.5, 1.0));
    wheel()->setFocus();
    QTest::keyClick(wheel(), Qt::Key_Left);
    QTest::keyClick(wheel(), Qt::Key_Down, Qt::ShiftModifier);
    EXPECT_EQ(wheel()->accessibleDescription(), "hue 181°, saturation 40%");
    // Right past hue 0 wraps into [0, 1).
    picker.setSelectedColor(Qt::red);
    QTest::keyClick(wheel(), Qt::Key_Right);
    EXPECT_NEAR(wheel()->hue(), 359.0 / 360.0, 1e-9);

    // Brightness and opacity to zero and back keep hue and saturation.
    picker.setSelectedColor(hsv(0.3, 0.8, 1.0));
    const double hue = wheel()->hue();
    for (RVUnitSlider* slider : {picker.brightnessSlider(), picker.alphaSlider()}) {
        const int y = slider->height() / 2;
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(slider->width() - 10, y));
        const QColor zero = picker.selectedColor();
        EXPECT_EQ(slider == picker.alphaSlider() ? zero.alpha() : zero.value(), 0);
        EXPECT_EQ(wheel()->hue(), hue);
        EXPECT_NEAR(wheel()->saturation(), 0.8, 1e-6);
        QTest::mouseClick(slider, Qt::LeftButton, {}, QPoint(10, y));
    }
    EXPECT_EQ(picker.selectedColor(), hsv(hue, 0.8, 1.0));

    picker.setOldColor(Qt::green);
    QTest::mouseClick(picker.swatches()[4], Qt::LeftButton);
    EXPECT_EQ(picker.selectedColor(), hsv(4.0 / 6.0, 1.0, 1.0));
    QSignalSpy changed(&picker, &RVColorPicker::colorChanged);
    QTest::mouseClick(picker.currentColorView(), Qt::LeftButton);
    EXPECT_EQ(picker.selectedColor(), QColor(Qt::green));
    EXPECT_EQ(changed.size(), 1);
}

}  // namespace
}  // namespace plotwise
