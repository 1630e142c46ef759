#include "typeset/RVPWErrorIndicatorView.h"

#include <QPainter>
#include <QPainterPath>

namespace plotwise {

RVPWErrorIndicatorView::RVPWErrorIndicatorView(QWidget* parent) : QWidget(parent) {
    errorImage_ = parseStatusImage(displayError_, devicePixelRatioF());
}

void RVPWErrorIndicatorView::setDisplayError(bool displayError) {
    displayError_ = displayError;
    errorImage_ = parseStatusImage(displayError_, devicePixelRatioF());
    update();
}

void RVPWErrorIndicatorView::setErrorPoint(qreal errorPoint) {
    errorPoint_ = errorPoint;
    update();
}

QSize RVPWErrorIndicatorView::sizeHint() const {
    return QSize(320, 2 * stripHeight);
}

QSize RVPWErrorIndicatorView::minimumSizeHint() const {
    return QSize(stripHeight, stripHeight);
}

void RVPWErrorIndicatorView::paintEvent(QPaintEvent*) {
    const qreal w = width();
    const qreal h = height();
    const qreal stripTop = h - stripHeight;
    // After a move to a screen of another pixel ratio, draw the artwork sharp for it.
    if (!qFuzzyCompare(errorImage_.devicePixelRatio(), devicePixelRatioF())) {
        errorImage_ = parseStatusImage(displayError_, devicePixelRatioF());
    }
    QPainter painter(this);
    painter.setRenderHint(QPainter::Antialiasing);
    QPainterPath shape;
    if (displayError_) {
        shape.moveTo(0.0, stripTop);
        shape.lineTo(errorPoint_ - 10.0, stripTop);
        shape.lineTo(errorPoint_, 0.0);
        shape.lineTo(errorPoint_ + 10.0, stripTop);
        shape.lineTo(w, stripTop);
        shape.lineTo(w, h);
        shape.lineTo(0.0, h);
        shape.closeSubpath();
    } else {
        shape.addRect(QRectF(0.0, stripTop, w, stripHeight));
    }
    painter.fillPath(shape, QColor(0, 0, 0, 178));
    painter.drawImage(QPointF(10.0, h - 21.0), errorImage_);
    // The bottom edge line, of which only the half inside the view would show.
    painter.setPen(QPen(Qt::black, 0.5));
    painter.drawLine(QLineF(0.0, h - 0.25, w, h - 0.25));
}

QImage RVPWErrorIndicatorView::parseStatusImage(bool error, qreal devicePixelRatio) {
    const qreal ratio = devicePixelRatio > 0.0 ? devicePixelRatio : 1.0;
    const int pixels = qCeil(imageSide * ratio);
    QImage image(pixels, pixels, QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(ratio);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setRenderHint(QPainter::Antialiasing);
    const qreal side = imageSide;
    const QRectF disc(1.0, 1.0, side - 2.0, side - 2.0);
    painter.setPen(QPen(QColor(255, 255, 255, 220), 1.0));
    painter.setBrush(error ? QColor(0xD9, 0x30, 0x25) : QColor(0x2E, 0x9E, 0x4F));
    painter.drawEllipse(disc);
    QPen mark(Qt::white, 2.2, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin);
    painter.setPen(mark);
    painter.setBrush(Qt::NoBrush);
    if (error) {
        painter.drawLine(QPointF(side / 2.0, 4.6), QPointF(side / 2.0, 10.2));
        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::white);
        painter.drawEllipse(QPointF(side / 2.0, 13.3), 1.3, 1.3);
    } else {
        const QPointF check[] = {QPointF(5.0, 9.4), QPointF(7.9, 12.2), QPointF(13.0, 6.2)};
        painter.drawPolyline(check, 3);
    }
    return image;
}

}  // namespace plotwise
