#include "app/widgets/RVUnitSlider.h"

#include <QKeyEvent>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>

#include "app/widgets/Checkerboard.h"

namespace plotwise {

namespace {
constexpr double kMargin = 20.0;
}

RVUnitSlider::RVUnitSlider(Gradient gradient, QWidget* parent)
    : QAbstractSlider(parent), gradient_(gradient) {
    setRange(0, steps);
    setFocusPolicy(Qt::StrongFocus);
    setSingleStep(steps / 100);
    setPageStep(steps / 10);
}

void RVUnitSlider::setUnitValue(double value) {
    const QSignalBlocker blocker(this);
    setValue(static_cast<int>(std::lround(std::clamp(value, 0.0, 1.0) * steps)));
    update();
}

void RVUnitSlider::setKeyColor(const QColor& color) {
    keyColor_ = color;
    update();
}

double RVUnitSlider::length() const {
    return orientation() == Qt::Horizontal ? width() : height();
}

double RVUnitSlider::valueAtPosition(double position) const {
    const double span = length() - 2.0 * kMargin;
    if (!(span > 0.0)) {
        return 0.0;
    }
    return std::clamp(1.0 - (position - kMargin) / span, 0.0, 1.0);
}

double RVUnitSlider::knobPosition() const {
    return kMargin + (1.0 - unitValue()) * (length() - 2.0 * kMargin);
}

void RVUnitSlider::userSet(double value, bool continuing) {
    setUnitValue(value);
    emit unitValueChanged(unitValue(), continuing);
}

void RVUnitSlider::mousePressEvent(QMouseEvent* event) {
    const QPointF p = event->position();
    userSet(valueAtPosition(orientation() == Qt::Horizontal ? p.x() : p.y()), false);
}

void RVUnitSlider::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        const QPointF p = event->position();
        userSet(valueAtPosition(orientation() == Qt::Horizontal ? p.x() : p.y()), true);
    }
}

void RVUnitSlider::keyPressEvent(QKeyEvent* event) {
    // The start is 1: Left (or Up) moves the knob towards it.
    const double step = (event->modifiers() & Qt::ShiftModifier) ? 0.1 : 0.01;
    switch (event->key()) {
        case Qt::Key_Left:
        case Qt::Key_Up:
            userSet(unitValue() + step, false);
            return;
        case Qt::Key_Right:
        case Qt::Key_Down:
            userSet(unitValue() - step, false);
            return;
        default:
            QAbstractSlider::keyPressEvent(event);
    }
}

void RVUnitSlider::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const bool horizontal = orientation() == Qt::Horizontal;
    const QRectF track =
        horizontal ? QRectF(kMargin - 6, height() / 2.0 - 8, width() - 2 * kMargin + 12, 16)
                   : QRectF(width() / 2.0 - 8, kMargin - 6, 16, height() - 2 * kMargin + 12);
    QLinearGradient fill(
        horizontal ? QPointF(kMargin, 0) : QPointF(0, kMargin),
        horizontal ? QPointF(width() - kMargin, 0) : QPointF(0, height() - kMargin));
    QColor end = keyColor_;
    if (gradient_ == Gradient::ToBlack) {
        end = Qt::black;
    } else {
        end.setAlphaF(0.0f);
        painter.setPen(Qt::NoPen);
        painter.setBrush(checkerboardBrush());
        painter.drawRoundedRect(track, 8, 8);
    }
    fill.setColorAt(0.0, keyColor_);
    fill.setColorAt(1.0, end);
    painter.setPen(QPen(QColor(0, 0, 0, 120), 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(track, 8, 8);

    const double at = knobPosition();
    const QPointF centre = horizontal ? QPointF(at, height() / 2.0) : QPointF(width() / 2.0, at);
    painter.setBrush(Qt::white);
    painter.setPen(QPen(hasFocus() ? QColor(30, 90, 200) : QColor(60, 60, 60), 2.0));
    painter.drawEllipse(centre, 11.0, 11.0);
}

}  // namespace plotwise
