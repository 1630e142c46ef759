#include "app/widgets/RVColorPickerHSWheel.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <numbers>

namespace plotwise {

namespace {

double wrapHue(double hue) {
    hue -= std::floor(hue);
    // A hue a rounding step below 1 wraps to 1 itself.
    return hue >= 1.0 ? 0.0 : hue;
}

}  // namespace

RVColorPickerHSWheel::RVColorPickerHSWheel(QWidget* parent) : QWidget(parent) {
    setFocusPolicy(Qt::StrongFocus);
    setAccessibleName(tr("Hue and saturation"));
    updateAccessibleValue();
}

void RVColorPickerHSWheel::setCurrentHSV(double hue, double saturation) {
    hue_ = std::isfinite(hue) ? wrapHue(hue) : 0.0;
    saturation_ = std::isfinite(saturation) ? std::clamp(saturation, 0.0, 1.0) : 0.0;
    updateAccessibleValue();
    update();
}

void RVColorPickerHSWheel::updateAccessibleValue() {
    setAccessibleDescription(tr("hue %1°, saturation %2%")
                                 .arg(std::lround(hue_ * 360.0) % 360)
                                 .arg(std::lround(saturation_ * 100.0)));
}

RVColorPickerHSWheel::HueSaturation RVColorPickerHSWheel::mapPointToColor(QPointF point) const {
    const QPointF c = centre();
    const double dx = std::abs(point.x() - c.x());
    const double dy = std::abs(point.y() - c.y());
    double a = dx > 0.0 ? std::atan(dy / dx) : (dy > 0.0 ? std::numbers::pi / 2.0 : 0.0);
    if (point.x() < c.x()) {
        a = std::numbers::pi - a;
    }
    if (point.y() > c.y()) {
        a = 2.0 * std::numbers::pi - a;
    }
    const double d = std::hypot(dx, dy);
    const double r = radius();
    const double saturation = (d < deadRadius || !(r > 0.0)) ? 0.0 : std::min(1.0, d / r);
    return {wrapHue(a / (2.0 * std::numbers::pi)), saturation};
}

QPointF RVColorPickerHSWheel::knobCentre() const {
    const double angle = 2.0 * std::numbers::pi * hue_;
    const double reach = saturation_ * (radius() - 3.0);
    return centre() + QPointF(std::cos(angle) * reach, -std::sin(angle) * reach);
}

QRgb RVColorPickerHSWheel::rgbOfHSV(double hue, double saturation, double value) {
    const double h6 = wrapHue(hue) * 6.0;
    const int sextant = std::min(5, static_cast<int>(h6));
    const double f = h6 - sextant;
    const double p = value * (1.0 - saturation);
    const double q = value * (1.0 - saturation * f);
    const double t = value * (1.0 - saturation * (1.0 - f));
    const double channels[6][3] = {{value, t, p}, {q, value, p}, {p, value, t},
                                   {p, q, value}, {t, p, value}, {value, p, q}};
    const auto byte = [](double c) { return static_cast<int>(std::lround(c * 255.0)); };
    const double* rgb = channels[sextant];
    return qRgb(byte(rgb[0]), byte(rgb[1]), byte(rgb[2]));
}

const QImage& RVColorPickerHSWheel::wheelImage(qreal ratio) const {
    const QSize pixels = size() * ratio;
    if (wheel_.size() == pixels && wheel_.devicePixelRatio() == ratio) {
        return wheel_;
    }
    // Computed per pixel rather than from a conical and a radial gradient: Qt's gradients look
    // colours up in a 1024-entry table, up to 3/255 away from the exact colour.
    wheel_ = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
    wheel_.setDevicePixelRatio(ratio);
    const QPointF c = centre();
    const double r = radius();
    for (int y = 0; y < pixels.height(); ++y) {
        auto* line = reinterpret_cast<QRgb*>(wheel_.scanLine(y));
        for (int x = 0; x < pixels.width(); ++x) {
            const QPointF point((x + 0.5) / ratio, (y + 0.5) / ratio);
            const double d = std::hypot(point.x() - c.x(), point.y() - c.y());
            // Coverage of the circle's edge, for a smooth rim.
            const double coverage = std::clamp((r - d) * ratio + 0.5, 0.0, 1.0);
            if (coverage <= 0.0) {
                line[x] = 0;
                continue;
            }
            const QRgb rgb = rgbOfHSV(mapPointToColor(point).hue, std::min(1.0, d / r), 1.0);
            const int alpha = static_cast<int>(std::lround(coverage * 255.0));
            line[x] = qPremultiply(qRgba(qRed(rgb), qGreen(rgb), qBlue(rgb), alpha));
        }
    }
    return wheel_;
}

void RVColorPickerHSWheel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.drawImage(QPointF(0, 0), wheelImage(devicePixelRatioF()));
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF knob = knobCentre();
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(Qt::black, 3.0));
    painter.drawEllipse(knob, 8.0, 8.0);
    painter.setPen(QPen(Qt::white, 1.5));
    painter.drawEllipse(knob, 8.0, 8.0);
    if (hasFocus()) {
        painter.setPen(QPen(QColor(30, 90, 200), 1.5, Qt::DashLine));
        painter.drawEllipse(centre(), radius() - 1.0, radius() - 1.0);
    }
}

void RVColorPickerHSWheel::userSet(double hue, double saturation, bool continuing) {
    setCurrentHSV(hue, saturation);
    emit hsvChanged(continuing);
}

void RVColorPickerHSWheel::mousePressEvent(QMouseEvent* event) {
    const HueSaturation picked = mapPointToColor(event->position());
    userSet(picked.hue, picked.saturation, false);
}

void RVColorPickerHSWheel::mouseMoveEvent(QMouseEvent* event) {
    if (event->buttons() & Qt::LeftButton) {
        const HueSaturation picked = mapPointToColor(event->position());
        userSet(picked.hue, picked.saturation, true);
    }
}

void RVColorPickerHSWheel::keyPressEvent(QKeyEvent* event) {
    const double scale = (event->modifiers() & Qt::ShiftModifier) ? 10.0 : 1.0;
    switch (event->key()) {
        case Qt::Key_Left:
            userSet(hue_ + scale / 360.0, saturation_, false);
            return;
        case Qt::Key_Right:
            userSet(hue_ - scale / 360.0, saturation_, false);
            return;
        case Qt::Key_Up:
            userSet(hue_, saturation_ + scale / 100.0, false);
            return;
        case Qt::Key_Down:
            userSet(hue_, saturation_ - scale / 100.0, false);
            return;
        default:
            QWidget::keyPressEvent(event);
    }
}

}  // namespace plotwise
