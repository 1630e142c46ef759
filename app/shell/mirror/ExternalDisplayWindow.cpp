#include "app/shell/mirror/ExternalDisplayWindow.h"

#include <QCloseEvent>
#include <QKeyEvent>

namespace plotwise {

ExternalDisplayWindow::ExternalDisplayWindow(std::function<void()> dismissed)
    : dismissed_(std::move(dismissed)) {
    setAttribute(Qt::WA_QuitOnClose, false);
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
        dismissed_();
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

void ExternalDisplayWindow::closeEvent(QCloseEvent* event) {
    // The owner hides and frees the window.
    event->ignore();
    dismissed_();
}

}  // namespace plotwise
