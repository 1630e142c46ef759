#pragma once

#include <QFrame>
#include <QPointer>
#include <QRect>

namespace plotwise {

class NavigationStack;

// The tablet's popover: a child panel of a host widget (the window), beside an anchor rectangle
// with an arrow pointing at it. It is no Qt::Popup, so everything around it stays usable. It
// holds a navigation stack of its own, takes the size its top screen asks for, and goes when
// its first screen goes, when it is closed, or when the host is resized (a rotation).
class AnchoredPanel : public QFrame {
    Q_OBJECT

public:
    static constexpr int arrowSize = 12;

    // `root` becomes the first screen of the panel's stack; `anchor` is in `host`'s coordinates.
    AnchoredPanel(QWidget* host, QWidget* root, const QRect& anchor);

    NavigationStack* stack() const { return stack_; }
    QRect anchor() const { return anchor_; }
    // Hides it and deletes it later; its screens get their hide events first.
    void dismiss();

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void place();

    QPointer<QWidget> host_;
    QRect anchor_;
    NavigationStack* stack_;
    bool dismissing_ = false;
};

}  // namespace plotwise
