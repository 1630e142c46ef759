#include "app/screens/list/RVPWExpressionColorButton.h"

#include <QPainter>

#include "app/widgets/Checkerboard.h"

namespace plotwise {

RVPWExpressionColorButton::RVPWExpressionColorButton(QWidget* parent) : QAbstractButton(parent) {
    setFixedSize(side, side);
    setCursor(Qt::PointingHandCursor);
    setAccessibleName(tr("Color"));
}

void RVPWExpressionColorButton::setColor(const QColor& color) {
    color_ = color;
    update();
}

void RVPWExpressionColorButton::paintSwatch(QPainter& painter, QPointF origin, const QColor& color,
                                            bool pressed) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(origin + QPointF(4.0, 2.0), QSizeF(22.0, 22.0));
    painter.setPen(Qt::NoPen);
    const QColor shown = color.isValid() ? color : QColor(Qt::black);
    if (shown.alpha() < 255) {
        painter.setBrush(checkerboardBrush());
        painter.drawEllipse(circle);
    }
    painter.setBrush(shown);
    painter.drawEllipse(circle);
    // The overlay: a thin ring that keeps pale colours apart from a white row.
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(QColor(0, 0, 0, 90), 1.0));
    painter.drawEllipse(circle.adjusted(0.5, 0.5, -0.5, -0.5));
    if (pressed) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 51));
        painter.drawEllipse(circle);
    }
    painter.restore();
}

void RVPWExpressionColorButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    paintSwatch(painter, QPointF(0.0, (height() - side) / 2.0), color_, isDown());
}

}  // namespace plotwise
