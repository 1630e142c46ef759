#include "app/widgets/RVColorPickerSwatchView.h"

#include <QPainter>
#include <QPainterPath>

#include "app/widgets/Checkerboard.h"
#include "equations/ColorText.h"

namespace plotwise {

RVColorPickerSwatchView::RVColorPickerSwatchView(const QColor& color, QWidget* parent)
    : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setColor(color);
}

void RVColorPickerSwatchView::setColor(const QColor& color) {
    color_ = color;
    setAccessibleName(hexStringFromColor(color));
    update();
}

void RVColorPickerSwatchView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(2, 2, -2, -2);
    painter.setPen(Qt::NoPen);
    if (color_.alpha() < 255) {
        painter.setBrush(checkerboardBrush());
        painter.drawRoundedRect(box, 5, 5);
    }
    painter.setBrush(color_);
    painter.setPen(QPen(QColor(0, 0, 0, 100), 1.0));
    painter.drawRoundedRect(box, 5, 5);
    if (isDown()) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0, 0, 0, 60));
        painter.drawRoundedRect(box, 5, 5);
    }
    if (isChecked()) {
        // The mark in black or white, whichever stands out from the colour.
        const bool light = color_.lightnessF() > 0.6 || color_.alphaF() < 0.4f;
        QPainterPath tick;
        const QPointF c = box.center();
        const double u = std::min(box.width(), box.height()) / 6.0;
        tick.moveTo(c + QPointF(-1.5 * u, 0));
        tick.lineTo(c + QPointF(-0.4 * u, 1.1 * u));
        tick.lineTo(c + QPointF(1.6 * u, -1.2 * u));
        painter.setBrush(Qt::NoBrush);
        painter.setPen(
            QPen(light ? Qt::black : Qt::white, 2.5, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.drawPath(tick);
    }
    if (hasFocus()) {
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(QColor(30, 90, 200), 2.0));
        painter.drawRoundedRect(QRectF(rect()).adjusted(1, 1, -1, -1), 6, 6);
    }
}

RVColorCompareView::RVColorCompareView(QWidget* parent) : QAbstractButton(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Previous color"));
}

void RVColorCompareView::setOldColor(const QColor& color) {
    old_ = color;
    update();
}

void RVColorCompareView::setCurrentColor(const QColor& color) {
    current_ = color;
    update();
}

void RVColorCompareView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF box = QRectF(rect()).adjusted(1, 1, -1, -1);
    QPainterPath shape;
    shape.addRoundedRect(box, 6, 6);
    painter.setClipPath(shape);
    painter.fillRect(box, checkerboardBrush());
    painter.fillRect(QRectF(box.left(), box.top(), box.width() / 2, box.height()), old_);
    painter.fillRect(QRectF(box.center().x(), box.top(), box.width() / 2, box.height()), current_);
    painter.setClipping(false);
    painter.setPen(QPen(hasFocus() ? QColor(30, 90, 200) : QColor(0, 0, 0, 120), 1.5));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(shape);
}

}  // namespace plotwise
