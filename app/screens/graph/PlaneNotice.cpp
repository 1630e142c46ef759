#include "app/screens/graph/PlaneNotice.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QToolButton>

namespace plotwise {

PlaneNotice::PlaneNotice(QWidget* parent)
    : QFrame(parent), label_(new QLabel(this)), close_(new QToolButton(this)) {
    setObjectName(QStringLiteral("planeNotice"));
    setStyleSheet(QStringLiteral(
        "#planeNotice { background: rgba(120, 20, 20, 225); }"
        "QLabel { color: white; } QToolButton { color: white; border: none; font-weight: bold; }"));
    label_->setWordWrap(true);
    label_->setTextFormat(Qt::PlainText);
    label_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    close_->setText(QStringLiteral("✕"));
    close_->setToolTip(tr("Close"));
    auto* layout = new QHBoxLayout(this);
    layout->setContentsMargins(10, 6, 6, 6);
    layout->addWidget(label_, 1);
    layout->addWidget(close_, 0, Qt::AlignTop);
    hideTimer_.setSingleShot(true);
    hideTimer_.setInterval(visibleMilliseconds);
    connect(&hideTimer_, &QTimer::timeout, this, [this] {
        hide();
        label_->clear();
    });
    connect(close_, &QToolButton::clicked, &hideTimer_, [this] {
        hideTimer_.stop();
        hide();
        label_->clear();
    });
    hide();
}

void PlaneNotice::showMessage(const QString& message) {
    label_->setText(label_->text().isEmpty() ? message : label_->text() + u'\n' + message);
    show();
    raise();
    hideTimer_.start();
    if (parentWidget() != nullptr) {
        place(y());
    }
}

QString PlaneNotice::text() const {
    return label_->text();
}

void PlaneNotice::place(int top) {
    const int width = parentWidget()->width();
    setGeometry(0, top, width,
                heightForWidth(width) > 0 ? heightForWidth(width) : sizeHint().height());
}

}  // namespace plotwise
