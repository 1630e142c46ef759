#include "app/widgets/RVColorPicker.h"

#include <algorithm>

#include "app/widgets/RVColorPickerHSWheel.h"
#include "app/widgets/RVColorPickerSwatchView.h"
#include "app/widgets/RVUnitSlider.h"

namespace plotwise {

RVColorPicker::RVColorPicker(QWidget* parent)
    : QWidget(parent),
      colorWheel_(new RVColorPickerHSWheel(this)),
      brightnessSlider_(new RVUnitSlider(RVUnitSlider::Gradient::ToBlack, this)),
      alphaSlider_(new RVUnitSlider(RVUnitSlider::Gradient::ToTransparent, this)),
      currentColorView_(new RVColorCompareView(this)) {
    brightnessSlider_->setOrientation(Qt::Horizontal);
    brightnessSlider_->setAccessibleName(tr("Brightness"));
    alphaSlider_->setOrientation(Qt::Horizontal);
    alphaSlider_->setAccessibleName(tr("Opacity"));
    for (int k = 0; k < 6; ++k) {
        auto* swatch = new RVColorPickerSwatchView(
            QColor::fromHsvF(static_cast<float>(k) / 6.0f, 1.0f, 1.0f).toRgb(), this);
        swatch->setCheckable(false);
        connect(swatch, &QAbstractButton::clicked, this,
                [this, swatch] { setSelectedColor(swatch->color()); });
        swatches_[static_cast<std::size_t>(k)] = swatch;
    }
    connect(colorWheel_, &RVColorPickerHSWheel::hsvChanged, this, &RVColorPicker::partsChanged);
    connect(brightnessSlider_, &RVUnitSlider::unitValueChanged, this,
            [this](double, bool continuing) { partsChanged(continuing); });
    connect(alphaSlider_, &RVUnitSlider::unitValueChanged, this,
            [this](double, bool continuing) { partsChanged(continuing); });
    connect(currentColorView_, &QAbstractButton::clicked, this,
            [this] { setSelectedColor(oldColor_); });
    layoutParts();
    setSelectedColor(Qt::white);
}

void RVColorPicker::resizeEvent(QResizeEvent*) {
    layoutParts();
}

void RVColorPicker::layoutParts() {
    colorWheel_->setGeometry(40, 15, RVColorPickerHSWheel::side, RVColorPickerHSWheel::side);
    brightnessSlider_->setGeometry(24, 277, 272, 38);
    alphaSlider_->setGeometry(24, 321, 272, 38);
    currentColorView_->setGeometry(10, 10, 44, 44);
    const double step = (width() - 40) / 6.0;
    for (int k = 0; k < 6; ++k) {
        const int centre = static_cast<int>(20 + (k + 0.5) * step);
        swatches_[static_cast<std::size_t>(k)]->setGeometry(centre - 18, 370, 36, 36);
    }
}

RVColorPicker::HSV RVColorPicker::hsvOfColor(const QColor& color) {
    double red = 0.0;
    double green = 0.0;
    double blue = 0.0;
    if (color.isValid() && color.spec() != QColor::Cmyk) {
        const QColor rgb = color.toRgb();
        red = rgb.redF();
        green = rgb.greenF();
        blue = rgb.blueF();
    }
    const double mx = std::max({red, green, blue});
    const double mn = std::min({red, green, blue});
    if (mx == mn) {
        return {0.0, 0.0, mx};
    }
    double f = 0.0;
    double i = 0.0;
    if (red == mn) {
        f = green - blue;
        i = 3.0;
    } else if (green == mn) {
        f = blue - red;
        i = 5.0;
    } else {
        f = red - green;
        i = 1.0;
    }
    double hue = (i - f / (mx - mn)) / 6.0;
    // Pure red comes out as 1: the same hue as 0, kept in [0, 1).
    if (hue >= 1.0) {
        hue -= 1.0;
    }
    return {hue, (mx - mn) / mx, mx};
}

void RVColorPicker::setSelectedColor(const QColor& color) {
    const QColor rgb = color.isValid() ? color.toRgb() : QColor(Qt::black);
    const HSV hsv = hsvOfColor(rgb);
    colorWheel_->setCurrentHSV(hsv.hue, hsv.saturation);
    brightnessSlider_->setUnitValue(hsv.value);
    alphaSlider_->setUnitValue(rgb.alphaF());
    showColor(rgb, hsv, false);
}

void RVColorPicker::setOldColor(const QColor& color) {
    oldColor_ = color.isValid() ? color.toRgb() : QColor(Qt::black);
    currentColorView_->setOldColor(oldColor_);
}

void RVColorPicker::partsChanged(bool continuing) {
    const HSV hsv{colorWheel_->hue(), colorWheel_->saturation(), brightnessSlider_->unitValue()};
    const QColor color =
        QColor::fromHsvF(static_cast<float>(hsv.hue), static_cast<float>(hsv.saturation),
                         static_cast<float>(hsv.value),
                         static_cast<float>(alphaSlider_->unitValue()))
            .toRgb();
    showColor(color, hsv, continuing);
}

void RVColorPicker::showColor(const QColor& color, const HSV& hsv, bool continuing) {
    selectedColor_ = color;
    const auto h = static_cast<float>(hsv.hue);
    const auto s = static_cast<float>(hsv.saturation);
    brightnessSlider_->setKeyColor(QColor::fromHsvF(h, s, 1.0f));
    alphaSlider_->setKeyColor(QColor::fromHsvF(h, s, static_cast<float>(hsv.value)));
    currentColorView_->setCurrentColor(color);
    emit colorChanged(selectedColor_, continuing);
}

}  // namespace plotwise
