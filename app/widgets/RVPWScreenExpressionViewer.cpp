#include "app/widgets/RVPWScreenExpressionViewer.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "equations/RVEquation.h"
#include "typeset/ExpressionImage.h"

namespace plotwise {

namespace {

constexpr int kImageX = 30;
constexpr int kImageTop = 4;
constexpr int kExtraWidth = 45;
constexpr int kExtraHeight = 25;
constexpr double kDotSide = 6.0;
constexpr double kDotSpacing = 12.0;
constexpr int kTurnMilliseconds = 200;
constexpr unsigned kInitialDepth = 2;

}  // namespace

QImage expressionViewerImage(const RVEquation& equation, qreal devicePixelRatio) {
    if (equation.expression() == nullptr) {
        return {};
    }
    QColor color = equation.color().isValid() ? equation.color() : QColor(Qt::black);
    color.setAlphaF(1.0);
    return ExpressionImage::expressionImageWithColor(*equation.expression(), color, Qt::black,
                                                     kInitialDepth, devicePixelRatio);
}

RVPWScreenExpressionViewer::RVPWScreenExpressionViewer(QWidget* parent) : QWidget(parent) {
    setAttribute(Qt::WA_TranslucentBackground);
    setCursor(Qt::PointingHandCursor);
    setToolTip(tr("Formulas"));
    resize(collapsedSide, collapsedSide);
    turn_.setDuration(kTurnMilliseconds);
    connect(&turn_, &QVariantAnimation::valueChanged, this, [this](const QVariant& value) {
        rotation_ = value.toDouble();
        update();
    });
    hide();
}

void RVPWScreenExpressionViewer::setDelegate(RVPWScreenExpressionViewerDelegate* delegate) {
    delegate_ = delegate;
    reloadCurrent();
}

int RVPWScreenExpressionViewer::fetchCount() {
    count_ =
        delegate_ != nullptr ? std::max(0, delegate_->expressionCountForExpressionViewer()) : 0;
    return count_;
}

void RVPWScreenExpressionViewer::turnPlusTo(double degrees) {
    turn_.stop();
    turn_.setStartValue(rotation_);
    turn_.setEndValue(degrees);
    turn_.start();
}

void RVPWScreenExpressionViewer::toggle() {
    if (expanded_) {
        collapse();
        return;
    }
    if (fetchCount() == 0) {
        return;
    }
    expanded_ = true;
    turnPlusTo(45.0);
    showExpressionAtIndex(0);
}

void RVPWScreenExpressionViewer::collapse() {
    expanded_ = false;
    image_ = QImage();
    imageRect_ = QRectF();
    turnPlusTo(0.0);
    layOut();
}

void RVPWScreenExpressionViewer::showExpressionAtIndex(int index) {
    if (!expanded_ || count_ <= 0) {
        return;
    }
    current_ = ((index % count_) + count_) % count_;
    image_ = delegate_->imageForExpressionAtIndex(current_);
    layOut();
}

void RVPWScreenExpressionViewer::showNext() {
    showExpressionAtIndex(current_ + 1);
}

void RVPWScreenExpressionViewer::reloadCurrent() {
    if (fetchCount() == 0) {
        if (expanded_) {
            collapse();
        }
        current_ = 0;
        hide();
        return;
    }
    show();
    raise();
    if (expanded_) {
        showExpressionAtIndex(current_ < count_ ? current_ : 0);
    }
}

void RVPWScreenExpressionViewer::layOut() {
    if (!expanded_) {
        resize(collapsedSide, collapsedSide);
        update();
        return;
    }
    // The formula in points, scaled down when the viewer would pass the parent's width less
    // twice its left margin.
    QSizeF shown = image_.isNull() ? QSizeF() : image_.deviceIndependentSize();
    if (parentWidget() != nullptr && !shown.isEmpty()) {
        const double room = parentWidget()->width() - 2.0 * x() - kExtraWidth;
        if (shown.width() > room) {
            const double scale = std::max(room, 1.0) / shown.width();
            shown *= scale;
        }
    }
    imageRect_ = QRectF(QPointF(kImageX, kImageTop), shown);
    const int width = static_cast<int>(std::ceil(shown.width())) + kExtraWidth;
    const int height = static_cast<int>(std::ceil(shown.height())) + kExtraHeight;
    resize(std::max(width, collapsedSide), std::max(height, collapsedSide));
    update();
}

QRectF RVPWScreenExpressionViewer::dotRect(int index) const {
    // Centred under the formula; closer together when many would not fit.
    const double room = width() - kImageX - (kExtraWidth - kImageX);
    const double spacing =
        count_ > 1 ? std::min(kDotSpacing, (room - kDotSide) / (count_ - 1)) : kDotSpacing;
    const double rowWidth = (count_ - 1) * spacing + kDotSide;
    const double left = std::max<double>(kImageX, kImageX + (room - rowWidth) / 2.0);
    const double top = height() - (kExtraHeight - kImageTop) / 2.0 - kDotSide / 2.0;
    return {left + index * spacing, top, kDotSide, kDotSide};
}

void RVPWScreenExpressionViewer::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF frame = QRectF(rect()).adjusted(1.0, 1.0, -1.0, -1.0);
    painter.setPen(QPen(QColor::fromRgbF(0.5, 0.5, 0.5, 0.5), 2.0));
    painter.setBrush(QColor::fromRgbF(0.5, 0.5, 0.5, 0.3));
    const double radius = collapsedSide / 2.0 - 1.0;
    painter.drawRoundedRect(frame, radius, radius);

    // The plus, turned into a cross while expanded.
    painter.save();
    painter.translate(collapsedSide / 2.0, collapsedSide / 2.0);
    painter.rotate(rotation_);
    painter.setPen(QPen(Qt::white, 3.0, Qt::SolidLine, Qt::RoundCap));
    constexpr double arm = 7.0;
    painter.drawLine(QPointF(-arm, 0.0), QPointF(arm, 0.0));
    painter.drawLine(QPointF(0.0, -arm), QPointF(0.0, arm));
    painter.restore();

    if (!expanded_) {
        return;
    }
    if (!image_.isNull()) {
        painter.setRenderHint(QPainter::SmoothPixmapTransform);
        painter.drawImage(imageRect_, image_);
    }
    painter.setPen(Qt::NoPen);
    for (int index = 0; index < count_; ++index) {
        painter.setBrush(index == current_ ? QColor(Qt::white) : QColor(255, 255, 255, 90));
        painter.drawEllipse(dotRect(index));
    }
}

void RVPWScreenExpressionViewer::mousePressEvent(QMouseEvent* event) {
    event->accept();
    const QPointF at = event->position();
    if (!expanded_ || QRectF(0, 0, collapsedSide, collapsedSide).contains(at)) {
        toggle();
        return;
    }
    for (int index = 0; index < count_; ++index) {
        // A dot is small: a press near it counts.
        if (dotRect(index).adjusted(-3.0, -6.0, 3.0, 6.0).contains(at)) {
            showExpressionAtIndex(index);
            return;
        }
    }
    showNext();
}

}  // namespace plotwise
