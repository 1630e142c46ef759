#pragma once

#include <QFrame>
#include <QPointer>
#include <QRect>

namespace plotwise {

class NavigationStack;

// A tablet popover: a Qt::Popup window of a fixed size holding a navigation stack with one
// screen at its root, placed below its anchor when there is room (else above), on the anchor's
// screen. A press outside closes it; it deletes itself (and its screens) when closed, and closes
// when its root screen is deleted.
class Popover : public QFrame {
    Q_OBJECT

public:
    Popover(QWidget* root, const QSize& size, QWidget* parent);

    NavigationStack* stack() const { return stack_; }
    QWidget* root() const { return root_; }
    // `anchor` is in `origin`'s coordinates.
    void showAt(QWidget* origin, const QRect& anchor);

private:
    NavigationStack* stack_;
    QPointer<QWidget> root_;
};

}  // namespace plotwise
