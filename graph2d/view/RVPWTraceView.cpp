#include "graph2d/view/RVPWTraceView.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPainterPath>
#include <algorithm>
#include <cmath>

#include "graph2d/RVEquation2D.h"
#include "graph2d/view/RVEquation2DView.h"
#include "typeset/FontResolver.h"

namespace plotwise {

RVPWTraceView::RVPWTraceView(RVEquation2DView* graphView)
    : QWidget(graphView), graphView_(graphView) {
    labelFont_ = FontResolver::font(FontResolver::Face::System, 12.0);
    labelFont_.setBold(true);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setAttribute(Qt::WA_NoSystemBackground);
}

QRectF RVPWTraceView::labelRect(QPointF anchor, QSizeF text, QSizeF size, PointerSide* side) {
    const double w = text.width();
    const double h = text.height();
    QRectF rect;
    if (anchor.x() < w / 2 + 4) {
        rect = QRectF(anchor.x() + 15, anchor.y() - 0.2 * h - 5, w, h);
        *side = PointerSide::Left;
    } else if (anchor.x() > size.width() - w / 2 - 4) {
        rect = QRectF(anchor.x() - w - 15, anchor.y() - 0.2 * h - 5, w, h);
        *side = PointerSide::Right;
    } else {
        const double x = anchor.x() - w / 2 + 1;
        if (anchor.y() < h + 20) {
            rect = QRectF(x, anchor.y() + 15, w, h);
            *side = PointerSide::Top;
        } else {
            rect = QRectF(x, anchor.y() - h - 15, w, h);
            *side = PointerSide::Bottom;
        }
    }
    // Whole points, rounded outwards, so the text sits on the pixel grid.
    const double left = std::floor(rect.left());
    const double top = std::floor(rect.top());
    return QRectF(left, top, std::ceil(rect.right()) - left, std::ceil(rect.bottom()) - top);
}

void RVPWTraceView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    const double w = width();
    const double h = height();
    QColor crossHair(Qt::red);
    crossHair.setAlphaF(0.3f);
    painter.setPen(QPen(crossHair, 1.0));
    painter.drawLine(QPointF(horizontalTracePos_, 0), QPointF(horizontalTracePos_, h));
    painter.drawLine(QPointF(0, vertivalTracePos_), QPointF(w, vertivalTracePos_));

    painter.setRenderHint(QPainter::Antialiasing, true);
    painter.setFont(labelFont_);
    const QFontMetricsF metrics(labelFont_);
    QColor fill = QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.7f);
    QColor stroke = QColor::fromRgbF(0.5f, 0.5f, 0.5f, 0.8f);
    for (const RVEquation2D* equation : graphView_->equations()) {
        const EquationType type = equation->type();
        const SamplePoint trace = equation->trace();
        if (!equation->visible() ||
            (type != EquationType::ExplicitX && type != EquationType::ExplicitY) ||
            std::isnan(trace.x) || std::isnan(trace.y)) {
            continue;
        }
        const QPointF p = graphView_->viewPointForPlanePoint(trace.x, trace.y);
        if (!std::isfinite(p.x()) || !std::isfinite(p.y())) {
            continue;
        }
        const QPointF anchor(std::clamp(p.x(), 0.0, w), std::clamp(p.y(), 0.0, h));
        const QString text = QString::number(trace.x, 'f', 4) + QStringLiteral(", ") +
                             QString::number(trace.y, 'f', 4);
        const QSizeF textSize(metrics.horizontalAdvance(text), metrics.height());
        PointerSide side = PointerSide::Bottom;
        const QRectF label = labelRect(anchor, textSize, QSizeF(w, h), &side);

        painter.setPen(Qt::NoPen);
        painter.setBrush(Qt::red);
        painter.drawEllipse(QRectF(p.x() - 2, p.y() - 3, 5, 5));
        painter.setPen(QPen(Qt::red, 1.0));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(QRectF(p.x() - 6, p.y() - 7, 13, 13));

        const QRectF box = label.adjusted(-4, -4, 4, 4);
        QPainterPath callout;
        callout.addRoundedRect(box, 5, 5);
        QPolygonF pointer;
        const QPointF c = box.center();
        switch (side) {
            case PointerSide::Left:
                pointer << QPointF(box.left(), c.y() - 4) << QPointF(box.left() - 8, c.y())
                        << QPointF(box.left(), c.y() + 4);
                break;
            case PointerSide::Right:
                pointer << QPointF(box.right(), c.y() - 4) << QPointF(box.right() + 8, c.y())
                        << QPointF(box.right(), c.y() + 4);
                break;
            case PointerSide::Top:
                pointer << QPointF(c.x() - 4, box.top()) << QPointF(c.x(), box.top() - 8)
                        << QPointF(c.x() + 4, box.top());
                break;
            case PointerSide::Bottom:
                pointer << QPointF(c.x() - 4, box.bottom()) << QPointF(c.x(), box.bottom() + 8)
                        << QPointF(c.x() + 4, box.bottom());
                break;
        }
        QPainterPath pointerPath;
        pointerPath.addPolygon(pointer);
        pointerPath.closeSubpath();
        callout = callout.united(pointerPath);
        painter.setPen(QPen(stroke, 1.0));
        painter.setBrush(fill);
        painter.drawPath(callout);

        const QPointF baseline(label.left(), label.top() + metrics.ascent());
        painter.setPen(Qt::black);
        painter.drawText(baseline - QPointF(0, 1), text);
        painter.setPen(Qt::white);
        painter.drawText(baseline, text);
    }
}

}  // namespace plotwise
