#pragma once

#include <QAbstractButton>

namespace plotwise {

// The on/off switch of a settings row: a rounded track, green when on, with a white knob at the
// side of its state. A checkable button, so a click or Space toggles it and assistive tools see
// a check box; its accessible name is the row's label.
class RVPWSwitch : public QAbstractButton {
    Q_OBJECT

public:
    static constexpr int trackWidth = 51;
    static constexpr int trackHeight = 31;

    explicit RVPWSwitch(QWidget* parent = nullptr);

    QSize sizeHint() const override { return {trackWidth, trackHeight}; }
    QSize minimumSizeHint() const override { return sizeHint(); }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool hitButton(const QPoint& position) const override;
};

}  // namespace plotwise
