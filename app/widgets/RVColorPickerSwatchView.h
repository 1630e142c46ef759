#pragma once

#include <QAbstractButton>
#include <QColor>

namespace plotwise {

// One colour to pick: a rounded square in its colour (over a checkerboard where translucent),
// a check mark while selected (checked), darkened while pressed. Space picks it.
class RVColorPickerSwatchView : public QAbstractButton {
    Q_OBJECT

public:
    explicit RVColorPickerSwatchView(const QColor& color, QWidget* parent = nullptr);

    QColor color() const { return color_; }
    void setColor(const QColor& color);
    QSize sizeHint() const override { return {36, 36}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor color_;
};

// Two halves: the colour the picker was opened with, and the current one. A click on it brings
// the old colour back.
class RVColorCompareView : public QAbstractButton {
    Q_OBJECT

public:
    explicit RVColorCompareView(QWidget* parent = nullptr);

    void setOldColor(const QColor& color);
    void setCurrentColor(const QColor& color);
    QColor oldColor() const { return old_; }
    QColor currentColor() const { return current_; }
    QSize sizeHint() const override { return {44, 44}; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QColor old_ = Qt::white;
    QColor current_ = Qt::white;
};

}  // namespace plotwise
