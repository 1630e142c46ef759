#pragma once

#include <QImage>
#include <QWidget>

namespace plotwise {

// The hue and saturation wheel: hue by angle (0 to the right, counter-clockwise), saturation
// by distance from the centre, at full brightness; a knob marks the current pair. Keys: Left and
// Right turn the hue by 1 degree, Up and Down change the saturation by 1 %, Shift ten times.
class RVColorPickerHSWheel : public QWidget {
    Q_OBJECT

public:
    static constexpr int side = 240;
    // Within this many points of the centre a touch gives saturation 0.
    static constexpr double deadRadius = 10.0;

    struct HueSaturation {
        double hue = 0.0;
        double saturation = 0.0;
    };

    explicit RVColorPickerHSWheel(QWidget* parent = nullptr);

    double hue() const { return hue_; }
    double saturation() const { return saturation_; }
    // Hue wrapped into [0, 1), saturation clamped to [0, 1]; sends no signal.
    void setCurrentHSV(double hue, double saturation);
    // The hue and saturation a touch at `point` (widget coordinates) gives.
    HueSaturation mapPointToColor(QPointF point) const;
    // Where the knob's centre lies for the current pair.
    QPointF knobCentre() const;
    double radius() const { return std::min(width(), height()) / 2.0; }
    QPointF centre() const { return QPointF(width() / 2.0, height() / 2.0); }
    // The painted wheel at `ratio`: HSV(hue, distance / radius, 1) inside the circle, kept per
    // size and ratio.
    const QImage& wheelImage(qreal ratio) const;
    // Exact HSV to 8-bit RGB (QColor rounds through 16-bit channels).
    static QRgb rgbOfHSV(double hue, double saturation, double value);

    QSize sizeHint() const override { return {side, side}; }

signals:
    // A touch, drag or key of the user; `continuing` for the moves after a press.
    void hsvChanged(bool continuing);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    void userSet(double hue, double saturation, bool continuing);
    void updateAccessibleValue();

    double hue_ = 0.0;
    double saturation_ = 0.0;
    mutable QImage wheel_;
};

}  // namespace plotwise
