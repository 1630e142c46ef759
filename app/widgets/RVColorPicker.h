#pragma once

#include <QColor>
#include <QWidget>
#include <array>

namespace plotwise {

class RVColorCompareView;
class RVColorPickerHSWheel;
class RVColorPickerSwatchView;
class RVUnitSlider;

// The free colour choice: a hue and saturation wheel, brightness and opacity sliders, six quick
// swatches and a view comparing the opening colour with the current one. Every change is
// reported at once; there is no confirm button. A change from one of its parts keeps the other
// parts where they are (brightness 0 does not lose the wheel's hue).
class RVColorPicker : public QWidget {
    Q_OBJECT

public:
    struct HSV {
        double hue = 0.0;
        double saturation = 0.0;
        double value = 0.0;
    };

    explicit RVColorPicker(QWidget* parent = nullptr);

    QColor selectedColor() const { return selectedColor_; }
    QColor oldColor() const { return oldColor_; }
    // Moves every part to the colour and reports it.
    void setSelectedColor(const QColor& color);
    void setOldColor(const QColor& color);

    // Hue in [0, 1) (pure red is 0), saturation and value in [0, 1]; a grey has hue 0 and
    // saturation 0. Non-RGB colours count as black.
    static HSV hsvOfColor(const QColor& color);

    RVColorPickerHSWheel* colorWheel() const { return colorWheel_; }
    RVUnitSlider* brightnessSlider() const { return brightnessSlider_; }
    RVUnitSlider* alphaSlider() const { return alphaSlider_; }
    RVColorCompareView* currentColorView() const { return currentColorView_; }
    const std::array<RVColorPickerSwatchView*, 6>& swatches() const { return swatches_; }

    QSize sizeHint() const override { return {320, 416}; }

signals:
    // `continuing` for the moves of a drag after its press, so a drag can be one step.
    void colorChanged(const QColor& color, bool continuing);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    void layoutParts();
    // The colour from the parts' positions.
    void partsChanged(bool continuing);
    void showColor(const QColor& color, const HSV& hsv, bool continuing);

    QColor selectedColor_ = Qt::white;
    QColor oldColor_ = Qt::white;
    RVColorPickerHSWheel* colorWheel_;
    RVUnitSlider* brightnessSlider_;
    RVUnitSlider* alphaSlider_;
    RVColorCompareView* currentColorView_;
    std::array<RVColorPickerSwatchView*, 6> swatches_{};
};

}  // namespace plotwise
