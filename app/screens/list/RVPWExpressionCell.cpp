#include "app/screens/list/RVPWExpressionCell.h"

#include <QImage>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <cmath>

#include "app/screens/list/RVPWExpressionColorButton.h"
#include "equations/EquationListModel.h"

namespace plotwise {

namespace {

constexpr int kVisibilityLeft = 6;
constexpr int kVisibilitySide = 32;
constexpr int kColorMargin = 10;
constexpr int kCaptionHeight = 15;

QSizeF formulaSize(const QImage& image) {
    return image.isNull() ? QSizeF() : QSizeF(image.size()) / image.devicePixelRatio();
}

}  // namespace

RVPWExpressionCell::RVPWExpressionCell(QObject* parent) : QStyledItemDelegate(parent) {}

int RVPWExpressionCell::rowHeight(QSizeF formula, int listWidth) {
    const double available = listWidth - reservedWidth;
    double height = formula.height();
    if (formula.width() >= available && formula.width() > 0.0) {
        height = std::max(0.0, available) * formula.height() / formula.width();
    }
    return std::max(minimumRowHeight, static_cast<int>(std::ceil(height + 26.0)));
}

int RVPWExpressionCell::formulaLeft() const {
    // Editing shows the mark where the visibility button was.
    return (displayVisibilityButton_ || editing_) ? kVisibilityLeft + kVisibilitySide + 4 : 12;
}

QRect RVPWExpressionCell::visibilityRect(const QRect& rect) const {
    return QRect(rect.left() + kVisibilityLeft, rect.top() + (rect.height() - kVisibilitySide) / 2,
                 kVisibilitySide, kVisibilitySide);
}

QRect RVPWExpressionCell::colorButtonRect(const QRect& rect) const {
    const int side = RVPWExpressionColorButton::side;
    return QRect(rect.right() + 1 - side - kColorMargin, rect.top() + (rect.height() - side) / 2,
                 side, side);
}

QRect RVPWExpressionCell::handleRect(const QRect& rect) const {
    return colorButtonRect(rect);
}

bool RVPWExpressionCell::isOnHandle(const QRect& rect, QPoint point) const {
    return partAt(rect, point) == Part::Handle;
}

QRectF RVPWExpressionCell::formulaRect(const QRect& rect, QSizeF formula) const {
    const double x0 = rect.left() + formulaLeft();
    const double contentWidth = rect.width() - (displayColorButton_ ? 44 : 0);
    const double available = std::max(1.0, contentWidth - formulaLeft() - 8.0);
    QSizeF size = formula;
    if (size.width() >= available && size.width() > 0.0) {
        size = QSizeF(available, available * formula.height() / formula.width());
    }
    const double y = std::round((std::max(65.0, size.height() + 26.0) - size.height()) / 2.0);
    return QRectF(QPointF(x0, rect.top() + y), size);
}

void RVPWExpressionCell::paintVisibility(QPainter& painter, const QRectF& rect, bool visible) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QPointF c = rect.center();
    const double w = rect.width() * 0.38;
    QPainterPath eye;
    eye.moveTo(c.x() - w, c.y());
    eye.quadTo(c.x(), c.y() - w * 1.1, c.x() + w, c.y());
    eye.quadTo(c.x(), c.y() + w * 1.1, c.x() - w, c.y());
    const QColor ink = visible ? QColor(30, 90, 200) : QColor(150, 150, 150);
    painter.setPen(QPen(ink, 2.0));
    painter.setBrush(Qt::NoBrush);
    painter.drawPath(eye);
    if (visible) {
        painter.setBrush(ink);
        painter.drawEllipse(c, w * 0.35, w * 0.35);
    } else {
        painter.drawLine(QPointF(c.x() - w, c.y() + w * 0.9), QPointF(c.x() + w, c.y() - w * 0.9));
    }
    painter.restore();
}

void RVPWExpressionCell::paintMark(QPainter& painter, const QRectF& rect, bool marked) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    const QRectF circle(rect.center() - QPointF(11.0, 11.0), QSizeF(22.0, 22.0));
    if (marked) {
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(0xC8, 0x41, 0x31));
        painter.drawEllipse(circle);
        QPainterPath tick;
        tick.moveTo(circle.left() + 6, circle.center().y());
        tick.lineTo(circle.left() + 10, circle.bottom() - 6);
        tick.lineTo(circle.right() - 5, circle.top() + 6);
        painter.setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter.setBrush(Qt::NoBrush);
        painter.drawPath(tick);
    } else {
        painter.setPen(QPen(QColor(160, 160, 160), 1.5));
        painter.setBrush(Qt::NoBrush);
        painter.drawEllipse(circle);
    }
    painter.restore();
}

void RVPWExpressionCell::paintHandle(QPainter& painter, const QRectF& rect) {
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    painter.setPen(QPen(QColor(140, 140, 140), 2.0, Qt::SolidLine, Qt::RoundCap));
    const QPointF c = rect.center();
    for (const double dy : {-6.0, 0.0, 6.0}) {
        painter.drawLine(QPointF(c.x() - 9.0, c.y() + dy), QPointF(c.x() + 9.0, c.y() + dy));
    }
    painter.restore();
}

QString RVPWExpressionCell::elidedCaption(const QString& caption, const QFontMetrics& metrics,
                                          int width) {
    // Qt elides at grapheme boundaries, so a ZWJ sequence or a letter with its marks stays whole.
    return metrics.elidedText(caption, Qt::ElideRight, std::max(0, width));
}

void RVPWExpressionCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                               const QModelIndex& index) const {
    const QRect rect = option.rect;
    const bool marked = editing_ && index.data(EquationListModel::MarkRole).toBool();
    painter->save();
    painter->fillRect(rect, marked ? QColor::fromRgbF(0.893f, 0.925f, 0.98f) : QColor(Qt::white));
    if (option.state & QStyle::State_HasFocus) {
        painter->setPen(QPen(QColor(30, 90, 200, 140), 2.0));
        painter->drawRect(QRectF(rect).adjusted(1, 1, -1, -1));
    }
    painter->setPen(QColor(0xA0, 0xA5, 0xAC));
    painter->drawLine(rect.bottomLeft(), rect.bottomRight());

    if (editing_) {
        paintMark(*painter, visibilityRect(rect), marked);
    } else if (displayVisibilityButton_) {
        paintVisibility(*painter, visibilityRect(rect),
                        index.data(Qt::CheckStateRole).value<Qt::CheckState>() == Qt::Checked);
    }

    const QImage image = index.data(EquationListModel::FormulaImageRole).value<QImage>();
    if (!image.isNull()) {
        const QRectF target = formulaRect(rect, formulaSize(image));
        painter->setRenderHint(QPainter::SmoothPixmapTransform);
        painter->drawImage(target, image);
    } else {
        // No image (too large, or not parsed again): the source text stands in.
        const QRectF target = formulaRect(rect, QSizeF(rect.width(), 20.0));
        painter->setPen(Qt::black);
        painter->drawText(
            target, Qt::AlignLeft | Qt::AlignVCenter,
            option.fontMetrics.elidedText(index.data(EquationListModel::SourceTextRole).toString(),
                                          Qt::ElideRight, static_cast<int>(target.width())));
    }

    const QString caption = index.data(EquationListModel::CaptionRole).toString();
    if (!caption.isEmpty()) {
        QFont font = option.font;
        font.setPointSizeF(std::max(7.0, font.pointSizeF() - 1.0));
        painter->setFont(font);
        painter->setPen(QColor(90, 90, 90));
        const QFontMetrics metrics(font);
        const QRectF formula = formulaRect(rect, QSizeF(1, 1));
        const int width = static_cast<int>(
            std::round(rect.width() - (displayColorButton_ ? 44 : 0) - formulaLeft() - 12.0));
        const QRect captionRect(static_cast<int>(formula.left()) + 2,
                                rect.bottom() - kCaptionHeight - 1, std::max(0, width),
                                kCaptionHeight);
        // Grapheme-aware elision keeps emoji sequences whole; the text's own direction is kept.
        painter->drawText(
            captionRect,
            Qt::AlignVCenter | (caption.isRightToLeft() ? Qt::AlignRight : Qt::AlignLeft),
            elidedCaption(caption, metrics, captionRect.width()));
    }

    if (editing_) {
        paintHandle(*painter, handleRect(rect));
    } else if (displayColorButton_) {
        const QRect button = colorButtonRect(rect);
        RVPWExpressionColorButton::paintSwatch(
            *painter, button.topLeft(), index.data(EquationListModel::ColorRole).value<QColor>(),
            false);
    }
    painter->restore();
}

QSize RVPWExpressionCell::sizeHint(const QStyleOptionViewItem& option,
                                   const QModelIndex& index) const {
    const QImage image = index.data(EquationListModel::FormulaImageRole).value<QImage>();
    const int width = option.rect.width() > 0 ? option.rect.width() : 320;
    return {width, rowHeight(formulaSize(image), width)};
}

RVPWExpressionCell::Part RVPWExpressionCell::partAt(const QRect& rect, QPoint point) const {
    if (!rect.contains(point)) {
        return Part::None;
    }
    if (editing_ && handleRect(rect).adjusted(-10, -10, 10, 10).contains(point)) {
        return Part::Handle;
    }
    if (!editing_ && displayColorButton_ &&
        colorButtonRect(rect).adjusted(-6, -6, 6, 6).contains(point)) {
        return Part::Color;
    }
    if (!editing_ && displayVisibilityButton_ &&
        visibilityRect(rect).adjusted(-4, -4, 4, 4).contains(point)) {
        return Part::Visibility;
    }
    return Part::Row;
}

bool RVPWExpressionCell::editorEvent(QEvent* event, QAbstractItemModel*,
                                     const QStyleOptionViewItem& option, const QModelIndex& index) {
    // The view hands over the release of a press on the same row.
    if (event->type() != QEvent::MouseButtonRelease) {
        return false;
    }
    const auto* mouse = static_cast<QMouseEvent*>(event);
    if (mouse->button() != Qt::LeftButton) {
        return false;
    }
    const Part part = partAt(option.rect, mouse->position().toPoint());
    activate(index, option.rect, mouse->position().toPoint());
    // The row itself goes on to the view, which makes it current.
    return part == Part::Visibility || part == Part::Color || part == Part::Handle;
}

void RVPWExpressionCell::activate(const QModelIndex& index, const QRect& rect, QPoint point) {
    switch (partAt(rect, point)) {
        case Part::Visibility:
            emit visibilityClicked(index);
            break;
        case Part::Color:
            emit colorButtonClicked(index);
            break;
        case Part::Row:
            emit rowClicked(index);
            break;
        case Part::Handle:
        case Part::None:
            break;
    }
}

}  // namespace plotwise
