#include "app/input/RVPWKeyboardButton.h"

#include <QLinearGradient>
#include <QPainter>

namespace plotwise {

namespace {

QColor fraction(double red, double green, double blue) {
    return QColor::fromRgbF(static_cast<float>(red), static_cast<float>(green),
                            static_cast<float>(blue));
}

struct Gradient {
    QColor top;
    QColor bottom;
};

const Gradient kLight{fraction(0.907, 0.912, 0.922), fraction(0.793, 0.802, 0.822)};
const Gradient kDark{fraction(0.573, 0.589, 0.618), fraction(0.403, 0.425, 0.474)};

void drawKey(QPainter& painter, const QRectF& box, const Gradient& gradient, const QString& title,
             const QFont& font, const QColor& titleColour, const QColor& shadowColour,
             qreal shadowDy) {
    painter.setRenderHint(QPainter::Antialiasing);
    QLinearGradient fill(box.topLeft(), box.bottomLeft());
    fill.setColorAt(0.0, gradient.top);
    fill.setColorAt(1.0, gradient.bottom);
    painter.setPen(QPen(Qt::black, 1.0));
    painter.setBrush(fill);
    painter.drawRoundedRect(box, 4.0, 4.0);
    painter.setFont(font);
    painter.setPen(shadowColour);
    painter.drawText(box.translated(0.0, shadowDy), Qt::AlignCenter, title);
    painter.setPen(titleColour);
    painter.drawText(box, Qt::AlignCenter, title);
}

}  // namespace

RVPWKeyboardButton::RVPWKeyboardButton(const KeySpec& key, QWidget* parent)
    : QAbstractButton(parent), key_(key) {
    // The field keeps the focus while keys are pressed.
    setFocusPolicy(Qt::NoFocus);
    setText(key.title);
    setObjectName(QStringLiteral("key ") + key.title);
    const QString shortcut = KeyboardLayout::shortcutFor(key.title);
    if (!shortcut.isEmpty()) {
        setToolTip(shortcut);
    }
}

void RVPWKeyboardButton::setTitle(const QString& title) {
    key_.title = title;
    setText(title);
    update();
}

QSize RVPWKeyboardButton::sizeHint() const {
    return QSize(48, 40);
}

void RVPWKeyboardButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool light = key_.tag < KeyboardLayout::darkTag;
    const bool down = isDown();
    const Gradient& gradient = light != down ? kLight : kDark;
    QFont font = this->font();
    font.setBold(true);
    font.setPixelSize(light ? 18 : 16);
    // Light keys: black title with a white shadow below; dark ones the reverse; a press swaps.
    const bool blackTitle = light != down;
    drawKey(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), gradient, key_.title, font,
            blackTitle ? Qt::black : Qt::white, blackTitle ? Qt::white : Qt::black,
            blackTitle ? 1.0 : -1.0);
}

RVPWKeyboardScrollerButton::RVPWKeyboardScrollerButton(const KeySpec& key, QWidget* parent)
    : RVPWKeyboardButton(key, parent) {
    resize(buttonWidth, buttonHeight);
}

void RVPWKeyboardScrollerButton::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const bool down = isDown();
    const Gradient gradient = down ? kDark : Gradient{QColor(250, 250, 252), QColor(214, 218, 226)};
    QFont font = this->font();
    font.setBold(true);
    font.setPixelSize(16);
    drawKey(painter, QRectF(rect()).adjusted(0.5, 0.5, -0.5, -0.5), gradient, key().title, font,
            down ? Qt::white : QColor(20, 40, 80), down ? Qt::black : Qt::white, down ? -1.0 : 1.0);
}

}  // namespace plotwise
