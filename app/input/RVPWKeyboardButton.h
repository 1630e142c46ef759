#pragma once

#include <QAbstractButton>

#include "app/input/KeyboardLayout.h"

namespace plotwise {

// A key of the expression keyboard. Its tag chooses the look: light keys below 20, dark from 20
// on; pressing swaps the gradients, the title colour and the side of the title's shadow.
class RVPWKeyboardButton : public QAbstractButton {
    Q_OBJECT

public:
    RVPWKeyboardButton(const KeySpec& key, QWidget* parent = nullptr);

    const KeySpec& key() const { return key_; }
    int tag() const { return key_.tag; }
    void setTitle(const QString& title);

    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    KeySpec key_;
};

// A key of the phone's scrolling strips: 70 by 30 points, lighter than the fixed keys.
class RVPWKeyboardScrollerButton : public RVPWKeyboardButton {
    Q_OBJECT

public:
    static constexpr int buttonWidth = 70;
    static constexpr int buttonHeight = 30;

    RVPWKeyboardScrollerButton(const KeySpec& key, QWidget* parent = nullptr);

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace plotwise
