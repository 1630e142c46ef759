#include "app/screens/graph/Popover.h"

#include <QGuiApplication>
#include <QScreen>
#include <QVBoxLayout>

#include "app/shell/NavigationStack.h"

namespace plotwise {

Popover::Popover(QWidget* root, const QSize& size, QWidget* parent)
    : QFrame(parent, Qt::Popup), stack_(new NavigationStack(this)), root_(root) {
    setAttribute(Qt::WA_DeleteOnClose);
    setFrameShape(QFrame::StyledPanel);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(1, 1, 1, 1);
    layout->addWidget(stack_);
    stack_->push(root);
    setFixedSize(size);
    connect(root, &QObject::destroyed, this, &QWidget::close);
}

void Popover::showAt(QWidget* origin, const QRect& anchor) {
    const QRect global(origin->mapToGlobal(anchor.topLeft()), anchor.size());
    const QScreen* screen = QGuiApplication::screenAt(global.center());
    if (screen == nullptr) {
        screen = QGuiApplication::primaryScreen();
    }
    const QRect area = screen != nullptr ? screen->availableGeometry() : QRect(0, 0, 4096, 4096);
    QPoint position(global.center().x() - width() / 2, global.bottom() + 1);
    if (position.y() + height() > area.bottom() && global.top() - height() >= area.top()) {
        position.setY(global.top() - height());
    }
    position.setX(qBound(area.left(), position.x(), qMax(area.left(), area.right() - width())));
    position.setY(qBound(area.top(), position.y(), qMax(area.top(), area.bottom() - height())));
    move(position);
    show();
    raise();
    if (root_) {
        root_->setFocus(Qt::PopupFocusReason);
    }
}

}  // namespace plotwise
