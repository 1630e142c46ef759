#include "app/widgets/RVLoadingView.h"

#include <QEvent>
#include <QGraphicsOpacityEffect>
#include <QLabel>
#include <QPainter>
#include <QPainterPath>
#include <QPropertyAnimation>
#include <QVBoxLayout>
#include <cmath>
#include <numbers>

namespace plotwise {

namespace {

constexpr int kInset = 8;
constexpr double kCornerRadius = 5.0;
constexpr int kSpokeCount = 12;
constexpr int kIndicatorSize = 28;
constexpr int kFadeInMilliseconds = 200;
constexpr int kFadeOutMilliseconds = 300;

}  // namespace

RVLoadingView* RVLoadingView::loadingViewInView(QWidget* view, const QString& message) {
    auto* loading = new RVLoadingView(view, message);
    loading->show();
    loading->raise();
    loading->fadeTo(1.0, kFadeInMilliseconds);
    return loading;
}

RVLoadingView::RVLoadingView(QWidget* view, const QString& message)
    : QWidget(view), label_(new QLabel(message, this)) {
    setAttribute(Qt::WA_TranslucentBackground);
    // The panel only shows progress: touches and clicks reach nothing below it either, since
    // the screen switches its view's interaction off while the panel is up.
    QFont font = label_->font();
    font.setBold(true);
    label_->setFont(font);
    label_->setAlignment(Qt::AlignCenter);
    // Its own sheet, so a style sheet on the view cannot paint the label over the panel.
    label_->setStyleSheet(QStringLiteral("color: white; background: transparent;"));

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kInset + 16, kInset + 14 + kIndicatorSize + 10, kInset + 16,
                               kInset + 14);
    layout->addWidget(label_);

    auto* effect = new QGraphicsOpacityEffect(this);
    effect->setOpacity(0.0);
    setGraphicsEffect(effect);

    spinTimer_.setInterval(80);
    connect(&spinTimer_, &QTimer::timeout, this, [this] {
        spinnerStep_ = (spinnerStep_ + 1) % kSpokeCount;
        update();
    });
    spinTimer_.start();

    view->installEventFilter(this);
    adjustSize();
    resize(std::max(width(), 160), height());
    centreInParent();
}

void RVLoadingView::removeView() {
    if (removing_) {
        return;
    }
    removing_ = true;
    fadeTo(0.0, kFadeOutMilliseconds);
    connect(fade_, &QPropertyAnimation::finished, this, &QObject::deleteLater);
}

void RVLoadingView::setActivityIndicatorVisible(bool visible) {
    spinning_ = visible;
    if (visible) {
        spinTimer_.start();
    } else {
        spinTimer_.stop();
    }
    update();
}

void RVLoadingView::fadeTo(double opacity, int milliseconds) {
    if (fade_) {
        fade_->stop();
    }
    fade_ = new QPropertyAnimation(graphicsEffect(), "opacity", this);
    fade_->setDuration(milliseconds);
    fade_->setEndValue(opacity);
    fade_->start(QAbstractAnimation::DeleteWhenStopped);
}

void RVLoadingView::centreInParent() {
    if (const QWidget* view = parentWidget()) {
        move((view->width() - width()) / 2, (view->height() - height()) / 2);
    }
}

bool RVLoadingView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == parentWidget() && event->type() == QEvent::Resize) {
        centreInParent();
    }
    return QWidget::eventFilter(watched, event);
}

void RVLoadingView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF panel = QRectF(rect()).adjusted(kInset, kInset, -kInset, -kInset);
    painter.setBrush(QColor::fromRgbF(0, 0, 0, 0.85f));
    painter.setPen(QPen(QColor::fromRgbF(1, 1, 1, 0.35f), 1.0));
    painter.drawRoundedRect(panel.adjusted(0.5, 0.5, -0.5, -0.5), kCornerRadius, kCornerRadius);

    if (!spinning_) {
        return;
    }
    // Spokes fading behind the leading one.
    const QPointF centre(panel.center().x(), panel.top() + 14 + kIndicatorSize / 2.0);
    const double inner = kIndicatorSize * 0.22;
    const double outer = kIndicatorSize * 0.5;
    for (int i = 0; i < kSpokeCount; ++i) {
        const int age = (spinnerStep_ - i + kSpokeCount) % kSpokeCount;
        const double angle = 2.0 * std::numbers::pi * i / kSpokeCount;
        const QPointF direction(std::sin(angle), -std::cos(angle));
        QColor colour = Qt::white;
        colour.setAlphaF(static_cast<float>(1.0 - 0.75 * age / (kSpokeCount - 1)));
        painter.setPen(QPen(colour, 2.5, Qt::SolidLine, Qt::RoundCap));
        painter.drawLine(centre + direction * inner, centre + direction * outer);
    }
}

}  // namespace plotwise
