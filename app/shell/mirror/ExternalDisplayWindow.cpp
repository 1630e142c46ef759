#include "app/shell/mirror/ExternalDisplayWindow.h"

#include <QKeyEvent>

namespace plotwise {

ExternalDisplayWindow::ExternalDisplayWindow(std::function<void()> escapePressed)
    : escapePressed_(std::move(escapePressed)) {
    setAttribute(Qt::WA_QuitOnClose, false);
    setAttribute(Qt::WA_DeleteOnClose, false);
    setWindowTitle(tr("External Display"));
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::StrongFocus);
}

void ExternalDisplayWindow::setContent(QWidget* content) {
    if (content == content_) {
        return;
    }
    delete content_.data();
    content_ = content;
    if (content != nullptr) {
        content->setParent(this);
        content->setGeometry(rect());
        content->show();
    }
}

void ExternalDisplayWindow::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Escape) {
        event->accept();
        escapePressed_();
        return;
    }
    QWidget::keyPressEvent(event);
}

void ExternalDisplayWindow::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (content_ != nullptr) {
        content_->setGeometry(rect());
    }
}

}  // namespace plotwise
