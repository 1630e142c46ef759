#include "app/platform/ShakeAwareWindow.h"

#include <QAction>
#include <QCloseEvent>

#include "app/storage/NotificationCenter.h"

namespace plotwise {

ShakeAwareWindow::ShakeAwareWindow(NotificationCenter& center, QWidget* parent)
    : QMainWindow(parent), shakeAction_(new QAction(tr("Reset View"), this)) {
    shakeAction_->setShortcuts({QKeySequence(Qt::CTRL | Qt::Key_R), QKeySequence(Qt::Key_F5)});
    shakeAction_->setShortcutContext(Qt::WindowShortcut);
    connect(shakeAction_, &QAction::triggered, this, [this, &center] {
        center.post(shakeBeganNotification, this);
        center.post(shakeEndedNotification, this);
    });
    addAction(shakeAction_);
}

void ShakeAwareWindow::closeEvent(QCloseEvent* event) {
    emit aboutToClose();
    QMainWindow::closeEvent(event);
}

}  // namespace plotwise
