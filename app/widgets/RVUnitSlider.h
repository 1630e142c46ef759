#pragma once

#include <QAbstractSlider>
#include <QColor>

namespace plotwise {

// A slider over [0, 1] whose start (left or top) is 1 and end is 0, with 20 points of margin at
// each end: a press or drag at p along a slider of length L sets 1 - (p - 20) / (L - 40). Its
// gradient runs from the key colour to black (brightness) or to transparent over a
// checkerboard (opacity). The arrow keys move the knob the way they point.
class RVUnitSlider : public QAbstractSlider {
    Q_OBJECT

public:
    enum class Gradient { ToBlack, ToTransparent };
    static constexpr int steps = 10000;

    explicit RVUnitSlider(Gradient gradient, QWidget* parent = nullptr);

    double unitValue() const { return static_cast<double>(value()) / steps; }
    // Clamped to [0, 1]; sends no signal.
    void setUnitValue(double value);
    QColor keyColor() const { return keyColor_; }
    void setKeyColor(const QColor& color);
    // The value a press at `position` (along the slider) sets.
    double valueAtPosition(double position) const;
    // Where the knob's centre lies along the slider.
    double knobPosition() const;

signals:
    // A press or drag of the user (not setUnitValue); `continuing` for the moves after a press.
    void unitValueChanged(double value, bool continuing);

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    double length() const;
    void userSet(double value, bool continuing);

    Gradient gradient_;
    QColor keyColor_ = Qt::white;
};

}  // namespace plotwise
