#include "app/screens/settings/RVPWSwitch.h"

#include <QPainter>

namespace plotwise {

RVPWSwitch::RVPWSwitch(QWidget* parent) : QAbstractButton(parent) {
    setCheckable(true);
    setFocusPolicy(Qt::StrongFocus);
    setCursor(Qt::PointingHandCursor);
    setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Fixed);
}

bool RVPWSwitch::hitButton(const QPoint& position) const {
    return rect().contains(position);
}

void RVPWSwitch::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF track =
        QRectF(0, 0, trackWidth, trackHeight)
            .translated((width() - trackWidth) / 2.0, (height() - trackHeight) / 2.0)
            .adjusted(1, 1, -1, -1);
    const double radius = track.height() / 2.0;
    QColor fill = isChecked() ? QColor(0x4C, 0xD9, 0x64) : QColor(0xE3, 0xE3, 0xE6);
    if (!isEnabled()) {
        fill.setAlpha(110);
    }
    painter.setPen(QPen(isChecked() ? fill.darker(115) : QColor(0xC8, 0xC8, 0xCC), 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(track, radius, radius);

    const double knobSide = track.height() - 4.0;
    const double knobX = isChecked() ? track.right() - 2.0 - knobSide : track.left() + 2.0;
    const QRectF knob(knobX, track.top() + 2.0, knobSide, knobSide);
    painter.setPen(QPen(QColor(0, 0, 0, isDown() ? 70 : 40), 1.0));
    painter.setBrush(isDown() ? QColor(0xF0, 0xF0, 0xF0) : QColor(Qt::white));
    painter.drawEllipse(knob);

    if (hasFocus()) {
        painter.setPen(QPen(QColor(30, 90, 200, 170), 2.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawRoundedRect(track.adjusted(-0.5, -0.5, 0.5, 0.5), radius, radius);
    }
}

}  // namespace plotwise
