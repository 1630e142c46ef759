#include "app/screens/list/UndoBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>

namespace plotwise {

UndoBar::UndoBar(QWidget* parent)
    : QFrame(parent), message_(new QLabel(this)), undo_(new QPushButton(tr("Undo"), this)) {
    setStyleSheet(
        QStringLiteral("UndoBar { background: #303030; } QLabel { color: white; }"
                       "QPushButton { color: #8AB4F8; font-weight: bold; }"));
    undo_->setFlat(true);
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(12, 4, 8, 4);
    layout->addWidget(message_, 1);
    layout->addWidget(undo_);
    timer_.setSingleShot(true);
    timer_.setTimerType(Qt::PreciseTimer);
    timer_.setInterval(duration);
    connect(&timer_, &QTimer::timeout, this, &QWidget::hide);
    connect(undo_, &QPushButton::clicked, this, [this] {
        hide();
        emit undoRequested();
    });
    hide();
}

void UndoBar::showMessage(const QString& message) {
    message_->setText(message);
    show();
    timer_.start();
}

}  // namespace plotwise
