#pragma once

#include <QColor>
#include <QWidget>

class QPushButton;

namespace plotwise {

class RVColorPicker;

// A screen around the colour picker, opened with a colour it also shows as the old one. Every
// change goes out at once through defaultColorControllerDidChangeColor.
class RVPWDefaultColorViewController : public QWidget {
    Q_OBJECT

public:
    RVPWDefaultColorViewController(const QColor& selectedColor, const QString& title,
                                   QWidget* parent = nullptr);

    QColor selectedColor() const { return selectedColor_; }
    RVColorPicker* picker() const { return picker_; }
    QPushButton* backButton() const { return back_; }
    QSize sizeHint() const override { return {320, 460}; }

signals:
    void defaultColorControllerDidChangeColor(const QColor& color, bool continuing);
    void backRequested();

protected:
    void keyPressEvent(QKeyEvent* event) override;

private:
    QColor selectedColor_;
    QPushButton* back_ = nullptr;
    RVColorPicker* picker_;
};

}  // namespace plotwise
