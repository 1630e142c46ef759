#include "app/input/RVPWKeyboardView.h"

#include <QLinearGradient>
#include <QPainter>
#include <QPropertyAnimation>
#include <QScrollArea>
#include <QScrollBar>
#include <QScroller>
#include <QWheelEvent>

#include "app/input/KeyClickPlayer.h"
#include "app/input/RVPWKeyboardButton.h"
#include "app/input/RVTextField.h"

namespace plotwise {

namespace {

constexpr int kStripStep = 80;
constexpr int kStripInset = 5;
constexpr int kKeySpacing = 6;
constexpr int kMargin = 5;

// A strip of keys that scrolls sideways: kinetic under a finger, with the wheel for a mouse.
class KeyStrip : public QScrollArea {
public:
    KeyStrip(QWidget* parent, int initialOffset) : QScrollArea(parent), initial_(initialOffset) {
        setFrameShape(QFrame::NoFrame);
        setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        setWidgetResizable(false);
        setFocusPolicy(Qt::NoFocus);
        setStyleSheet(QStringLiteral("background: transparent;"));
        QScroller::grabGesture(viewport(), QScroller::TouchGesture);
    }

protected:
    void showEvent(QShowEvent* event) override {
        QScrollArea::showEvent(event);
        if (!shown_) {
            shown_ = true;
            horizontalScrollBar()->setValue(initial_);
        }
    }
    void wheelEvent(QWheelEvent* event) override {
        const QPoint delta = event->angleDelta();
        const int step = delta.x() != 0 ? delta.x() : delta.y();
        horizontalScrollBar()->setValue(horizontalScrollBar()->value() - step / 2);
        event->accept();
    }

private:
    int initial_;
    bool shown_ = false;
};

}  // namespace

RVPWKeyboardView::RVPWKeyboardView(DeviceClass device, bool is3D, QWidget* parent)
    : QWidget(parent), device_(device), is3D_(is3D) {
    arrowRepeat_.setSingleShot(true);
    connect(&arrowRepeat_, &QTimer::timeout, this, &RVPWKeyboardView::repeatArrow);
    rebuild();
}

void RVPWKeyboardView::setLandscape(bool landscape) {
    if (landscape == landscape_) {
        return;
    }
    landscape_ = landscape;
    rebuild();
}

QSize RVPWKeyboardView::sizeHint() const {
    const int rows = static_cast<int>(layout_.rows.size());
    int strips = 0;
    if (variableScroller_ != nullptr) {
        strips += stripHeight + 10;
    }
    if (functionScroller_ != nullptr) {
        strips += stripHeight + 10;
    }
    const int keyHeight = device_ == DeviceClass::Tablet ? 40 : 46;
    return QSize(device_ == DeviceClass::Tablet ? 640 : 420,
                 strips + rows * (keyHeight + kKeySpacing) + kMargin);
}

void RVPWKeyboardView::rebuild() {
    arrowRepeat_.stop();
    arrowKeyState_ = 0;
    for (const auto& row : std::as_const(rows_)) {
        qDeleteAll(row);
    }
    rows_.clear();
    delete variableScroller_;
    delete functionScroller_;
    variableScroller_ = nullptr;
    functionScroller_ = nullptr;

    layout_ = KeyboardLayout::layoutFor(device_, landscape_, is3D_);
    for (const auto& row : layout_.rows) {
        QList<RVPWKeyboardButton*> buttons;
        for (const KeySpec& spec : row) {
            auto* key = addKey(new RVPWKeyboardButton(spec, this));
            key->setVisible(!spec.hidden);
            buttons.append(key);
        }
        rows_.append(buttons);
    }
    if (!layout_.variableStrip.isEmpty()) {
        variableScroller_ = makeStrip(layout_.variableStrip, 0);
    }
    if (!layout_.functionStrip.isEmpty()) {
        functionScroller_ = makeStrip(layout_.functionStrip, KeyboardLayout::phoneFunctionTag);
    }
    placeKeys();
    updateGeometry();
}

QScrollArea* RVPWKeyboardView::makeStrip(const QStringList& titles, int tag) {
    const int initialOffset = landscape_ && tag == KeyboardLayout::phoneFunctionTag ? 240 : 150;
    auto* strip = new KeyStrip(this, initialOffset);
    auto* content = new QWidget;
    content->setFixedSize(kStripInset + kStripStep * static_cast<int>(titles.size()), stripHeight);
    for (int i = 0; i < titles.size(); ++i) {
        auto* key = addKey(new RVPWKeyboardScrollerButton({titles[i], tag}, content));
        key->move(kStripInset + kStripStep * i, kStripInset);
    }
    strip->setWidget(content);
    strip->show();
    return strip;
}

RVPWKeyboardButton* RVPWKeyboardView::addKey(RVPWKeyboardButton* key) {
    if (KeyboardLayout::isArrow(key->key().title)) {
        connect(key, &QAbstractButton::pressed, this, [this, key] { arrowKeyDown(key); });
        connect(key, &QAbstractButton::released, this, [this, key] { arrowKeyUp(key); });
    } else if (!(device_ == DeviceClass::Phone && key->tag() == KeyboardLayout::phoneUnwiredTag)) {
        connect(key, &QAbstractButton::clicked, this, [this, key] { keyPressed(key); });
    }
    return key;
}

void RVPWKeyboardView::placeKeys() {
    int top = kMargin;
    if (device_ == DeviceClass::Phone) {
        // The strips' places: the variable strip at 10, the function strip at 60 in portrait,
        // at 7 in landscape.
        if (variableScroller_ != nullptr) {
            variableScroller_->setGeometry(0, 10, width(), stripHeight);
        }
        if (functionScroller_ != nullptr) {
            const int y = landscape_ ? 7 : 60;
            functionScroller_->setGeometry(0, y, width(), stripHeight);
            top = y + stripHeight + kMargin;
        }
    }
    const int rows = static_cast<int>(rows_.size());
    if (rows == 0) {
        return;
    }
    const qreal rowHeight = qMax<qreal>(20.0, (height() - top - kMargin) / qreal(rows));
    for (int r = 0; r < rows; ++r) {
        int spans = 0;
        for (RVPWKeyboardButton* key : rows_[r]) {
            spans += key->key().hidden ? 0 : key->key().span;
        }
        if (spans == 0) {
            continue;
        }
        const qreal unit = (width() - 2.0 * kMargin + kKeySpacing) / spans;
        qreal x = kMargin;
        const int y = static_cast<int>(top + r * rowHeight);
        for (RVPWKeyboardButton* key : rows_[r]) {
            if (key->key().hidden) {
                continue;
            }
            const qreal w = unit * key->key().span - kKeySpacing;
            key->setGeometry(QRectF(x, y, w, rowHeight - kKeySpacing).toRect());
            x += unit * key->key().span;
        }
    }
}

QList<RVPWKeyboardButton*> RVPWKeyboardView::keys() const {
    return findChildren<RVPWKeyboardButton*>();
}

RVPWKeyboardButton* RVPWKeyboardView::keyWithTitle(const QString& title) const {
    for (RVPWKeyboardButton* key : keys()) {
        if (key->key().title == title && !key->key().hidden) {
            return key;
        }
    }
    return nullptr;
}

void RVPWKeyboardView::scrollStripsToStart() {
    for (QScrollArea* strip : {variableScroller_, functionScroller_}) {
        if (strip == nullptr) {
            continue;
        }
        auto* animation = new QPropertyAnimation(strip->horizontalScrollBar(), "value", strip);
        animation->setDuration(300);
        animation->setEndValue(20);
        animation->setEasingCurve(QEasingCurve::OutCubic);
        animation->start(QAbstractAnimation::DeleteWhenStopped);
    }
}

void RVPWKeyboardView::keyPressed(RVPWKeyboardButton* key) {
    if (target_ == nullptr) {
        return;
    }
    if (key->tag() == KeyboardLayout::backspaceTag) {
        target_->removePreviousChar();
    } else {
        target_->appendString(KeyboardLayout::insertionFor(key->key(), device_));
    }
    click();
}

void RVPWKeyboardView::arrowKeyDown(RVPWKeyboardButton* key) {
    const int state = key->key().title == KeyboardLayout::leftArrow ? 1 : 2;
    click();
    stepArrow(state);
    arrowKeyState_ = state;
    arrowRepeat_.start(arrowRepeatDelayMilliseconds);
}

void RVPWKeyboardView::arrowKeyUp(RVPWKeyboardButton* key) {
    const int state = key->key().title == KeyboardLayout::leftArrow ? 1 : 2;
    if (arrowKeyState_ == state) {
        arrowKeyState_ = 0;
        arrowRepeat_.stop();
    }
}

void RVPWKeyboardView::repeatArrow() {
    if (arrowKeyState_ == 0) {
        return;
    }
    click();
    stepArrow(arrowKeyState_);
    arrowRepeat_.start(arrowRepeatIntervalMilliseconds);
}

void RVPWKeyboardView::stepArrow(int state) {
    if (target_ == nullptr) {
        return;
    }
    if (state == 1) {
        target_->moveCaretLeft();
    } else {
        target_->moveCaretRight();
    }
}

void RVPWKeyboardView::click() {
    if (clickPlayer_ != nullptr) {
        clickPlayer_->play();
    }
}

void RVPWKeyboardView::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeKeys();
}

void RVPWKeyboardView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    QLinearGradient background(0.0, 0.0, 0.0, height());
    background.setColorAt(0.0, QColor(112, 118, 130));
    background.setColorAt(1.0, QColor(62, 66, 76));
    painter.fillRect(rect(), background);
}

}  // namespace plotwise
