#include "app/screens/library/RVPWLibraryCell.h"

#include <QAbstractItemView>
#include <QMouseEvent>
#include <QPainter>
#include <cmath>

#include "app/screens/library/RVPWLibraryModel.h"

namespace plotwise {

RVPWLibraryCell::RVPWLibraryCell(Accessory accessory, QObject* parent)
    : RVPWExpressionCell(parent), accessory_(accessory) {
    setDisplayVisibilityButton(false);
    setDisplayColorButton(false);
}

int RVPWLibraryCell::libraryRowHeight(QSizeF formula, int listWidth) {
    const double available = listWidth - 44.0;
    if (available <= 0.0 || !(formula.width() > 0.0) || !(formula.height() > 0.0)) {
        return minimumRowHeight;
    }
    const double height = formula.width() < available
                              ? formula.height()
                              : available * formula.height() / formula.width();
    return std::max(minimumRowHeight, static_cast<int>(std::ceil(height + 26.0)));
}

QRect RVPWLibraryCell::accessoryRect(const QRect& rect) const {
    return QRect(rect.right() - accessorySide - 8, rect.top() + (rect.height() - accessorySide) / 2,
                 accessorySide, accessorySide);
}

void RVPWLibraryCell::paint(QPainter* painter, const QStyleOptionViewItem& option,
                            const QModelIndex& index) const {
    RVPWExpressionCell::paint(painter, option, index);
    if (isEditing() && accessory_ == Accessory::Details) {
        return;
    }
    const QRectF button = QRectF(accessoryRect(option.rect)).adjusted(1.5, 1.5, -1.5, -1.5);
    painter->save();
    painter->setRenderHint(QPainter::Antialiasing);
    const QColor blue(0x1E, 0x5A, 0xC8);
    const QPointF c = button.center();
    const double r = button.width() / 2.0;
    if (accessory_ == Accessory::Add) {
        painter->setPen(Qt::NoPen);
        painter->setBrush(QColor(0x34, 0xA8, 0x53));
        painter->drawEllipse(button);
        painter->setPen(QPen(Qt::white, 2.4, Qt::SolidLine, Qt::RoundCap));
        painter->drawLine(QPointF(c.x() - r * 0.5, c.y()), QPointF(c.x() + r * 0.5, c.y()));
        painter->drawLine(QPointF(c.x(), c.y() - r * 0.5), QPointF(c.x(), c.y() + r * 0.5));
    } else {
        painter->setPen(QPen(blue, 1.6));
        painter->setBrush(Qt::NoBrush);
        painter->drawEllipse(button);
        painter->setPen(QPen(blue, 2.0, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
        painter->drawPolyline(QPolygonF{QPointF(c.x() - r * 0.15, c.y() - r * 0.4),
                                        QPointF(c.x() + r * 0.25, c.y()),
                                        QPointF(c.x() - r * 0.15, c.y() + r * 0.4)});
    }
    painter->restore();
}

QSize RVPWLibraryCell::sizeHint(const QStyleOptionViewItem& option,
                                const QModelIndex& index) const {
    int width = option.rect.width();
    if (const auto* view = qobject_cast<const QAbstractItemView*>(option.widget)) {
        width = view->viewport()->width();
    }
    if (width <= 0) {
        width = 320;
    }
    return {width,
            libraryRowHeight(index.data(RVPWLibraryModel::FormulaSizeRole).toSizeF(), width)};
}

bool RVPWLibraryCell::editorEvent(QEvent* event, QAbstractItemModel* model,
                                  const QStyleOptionViewItem& option, const QModelIndex& index) {
    if (event->type() == QEvent::MouseButtonRelease &&
        !(isEditing() && accessory_ == Accessory::Details)) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        if (mouse->button() == Qt::LeftButton && accessoryRect(option.rect)
                                                     .adjusted(-6, -6, 6, 6)
                                                     .contains(mouse->position().toPoint())) {
            emit accessoryClicked(index);
            return true;
        }
    }
    return RVPWExpressionCell::editorEvent(event, model, option, index);
}

}  // namespace plotwise
