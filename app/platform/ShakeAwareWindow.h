#pragma once

#include <QMainWindow>

class QAction;

namespace plotwise {

class NotificationCenter;

// The application window. Linux devices have no usable shake sensor, so the window's
// "Reset View" shortcut stands in for a shake: it posts the shake notifications, and the graph
// views reset when shaking is enabled. Closing the window tells its owner first.
class ShakeAwareWindow : public QMainWindow {
    Q_OBJECT

public:
    // Shakes are posted to `center`, which must outlive the window.
    explicit ShakeAwareWindow(NotificationCenter& center, QWidget* parent = nullptr);

    QAction* shakeAction() const { return shakeAction_; }

signals:
    // The window is about to close: the screens save now.
    void aboutToClose();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    QAction* shakeAction_;
};

}  // namespace plotwise
