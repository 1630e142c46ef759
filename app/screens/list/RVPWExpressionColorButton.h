#pragma once

#include <QAbstractButton>
#include <QColor>

namespace plotwise {

// The colour swatch at the end of a row: a circle of 22 points in the equation's colour, over a
// checkerboard where it is translucent, darkened while pressed. The list's cell paints the same
// picture with paintSwatch and hit-tests it itself.
class RVPWExpressionColorButton : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int side = 30;

    explicit RVPWExpressionColorButton(QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QSize sizeHint() const override { return {side, side}; }

    // Paints the swatch in the 30 by 30 square at `origin`.
    static void paintSwatch(QPainter& painter, QPointF origin, const QColor& color, bool pressed);

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    // Blue at alpha 0.5 until set.
    QColor color_ = QColor::fromRgbF(0.0f, 0.0f, 1.0f, 0.5f);
};

}  // namespace plotwise
