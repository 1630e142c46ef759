#pragma once

#include <QList>
#include <QPointer>
#include <QTimer>
#include <QWidget>

#include "app/input/KeyboardLayout.h"

class QScrollArea;

namespace plotwise {

class KeyClickPlayer;
class RVPWKeyboardButton;
class RVTextField;

// The key area of the expression keyboard: the fixed keys in rows and, on a phone, the
// variable strip (portrait) and the function strip above them. A press edits the target field;
// the arrows move its caret once at once, again after 0.5 s and then every 0.15 s while held.
class RVPWKeyboardView : public QWidget {
    Q_OBJECT

public:
    static constexpr int arrowRepeatDelayMilliseconds = 500;
    static constexpr int arrowRepeatIntervalMilliseconds = 150;
    static constexpr int stripHeight = 40;

    RVPWKeyboardView(DeviceClass device, bool is3D, QWidget* parent = nullptr);

    void setTarget(RVTextField* field) { target_ = field; }
    // Clicks on on-screen keys; null plays none.
    void setClickPlayer(KeyClickPlayer* player) { clickPlayer_ = player; }
    // Rebuilds the keys for the shape when it changes; the field and its text are untouched.
    void setLandscape(bool landscape);
    bool isLandscape() const { return landscape_; }
    DeviceClass deviceClass() const { return device_; }
    bool is3D() const { return is3D_; }

    // Every key, fixed and in the strips, hidden ones included.
    QList<RVPWKeyboardButton*> keys() const;
    RVPWKeyboardButton* keyWithTitle(const QString& title) const;
    QScrollArea* variableScroller() const { return variableScroller_; }
    QScrollArea* functionScroller() const { return functionScroller_; }
    // 0 none, 1 left arrow held, 2 right arrow held.
    int arrowKeyState() const { return arrowKeyState_; }

    // Scrolls both strips so x = 20 is at their left edge, animated (when the screen appeared).
    void scrollStripsToStart();

    // Acts on a press of the key as its release inside would.
    void keyPressed(RVPWKeyboardButton* key);

    QSize sizeHint() const override;

protected:
    void resizeEvent(QResizeEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void rebuild();
    void placeKeys();
    QScrollArea* makeStrip(const QStringList& titles, int tag);
    RVPWKeyboardButton* addKey(RVPWKeyboardButton* key);
    void arrowKeyDown(RVPWKeyboardButton* key);
    void arrowKeyUp(RVPWKeyboardButton* key);
    void repeatArrow();
    void stepArrow(int state);
    void click();

    const DeviceClass device_;
    const bool is3D_;
    bool landscape_ = false;
    KeyboardLayout layout_;
    QList<QList<RVPWKeyboardButton*>> rows_;
    QScrollArea* variableScroller_ = nullptr;
    QScrollArea* functionScroller_ = nullptr;
    QPointer<RVTextField> target_;
    KeyClickPlayer* clickPlayer_ = nullptr;
    int arrowKeyState_ = 0;
    QTimer arrowRepeat_;
};

}  // namespace plotwise
