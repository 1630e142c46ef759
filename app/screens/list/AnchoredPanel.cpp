#include "app/screens/list/AnchoredPanel.h"

#include <QEvent>
#include <QHBoxLayout>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>

#include "app/shell/NavigationStack.h"

namespace plotwise {

AnchoredPanel::AnchoredPanel(QWidget* host, QWidget* root, const QRect& anchor)
    : QFrame(host), host_(host), anchor_(anchor), stack_(new NavigationStack(this)) {
    setAttribute(Qt::WA_StyledBackground, false);
    auto* layout = new QHBoxLayout(this);
    // Room for the arrow on the left and a thin border elsewhere.
    layout->setContentsMargins(arrowSize + 2, 2, 2, 2);
    layout->addWidget(stack_);
    stack_->push(root);
    connect(root, &QObject::destroyed, this, &AnchoredPanel::dismiss);
    connect(stack_, &QStackedWidget::currentChanged, this, &AnchoredPanel::place);
    host->installEventFilter(this);
    place();
    show();
    raise();
}

void AnchoredPanel::dismiss() {
    if (dismissing_) {
        return;
    }
    dismissing_ = true;
    hide();
    deleteLater();
}

void AnchoredPanel::place() {
    if (!host_ || dismissing_) {
        return;
    }
    const QWidget* top = stack_->topScreen();
    const QSize wanted =
        top != nullptr ? top->sizeHint().expandedTo(top->minimumSizeHint()) : QSize(320, 330);
    const QMargins margins = contentsMargins() + layout()->contentsMargins();
    const QSize size(std::min(wanted.width() + margins.left() + margins.right(), host_->width()),
                     std::min(wanted.height() + margins.top() + margins.bottom(), host_->height()));
    // Beside the anchor, right of it, its middle level with the anchor's where the host allows.
    const int x = std::clamp(anchor_.right() + 1, 0, std::max(0, host_->width() - size.width()));
    const int y = std::clamp(anchor_.center().y() - size.height() / 2, 0,
                             std::max(0, host_->height() - size.height()));
    setGeometry(QRect(QPoint(x, y), size));
    update();
}

bool AnchoredPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == host_ && event->type() == QEvent::Resize) {
        dismiss();
    }
    return QFrame::eventFilter(watched, event);
}

void AnchoredPanel::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF body = QRectF(rect()).adjusted(arrowSize + 0.5, 0.5, -0.5, -0.5);
    // The arrow points at the anchor's middle, kept on the panel's side.
    const double tipY = std::clamp(static_cast<double>(mapFromParent(anchor_.center()).y()),
                                   body.top() + 2.0 * arrowSize, body.bottom() - 2.0 * arrowSize);
    QPainterPath outline;
    outline.addRoundedRect(body, 8, 8);
    QPainterPath arrow;
    arrow.moveTo(body.left() + 1, tipY - arrowSize);
    arrow.lineTo(0.5, tipY);
    arrow.lineTo(body.left() + 1, tipY + arrowSize);
    arrow.closeSubpath();
    painter.setPen(QPen(QColor(40, 40, 40), 1.0));
    painter.setBrush(QColor(16, 16, 16));
    painter.drawPath(outline.united(arrow));
}

}  // namespace plotwise
