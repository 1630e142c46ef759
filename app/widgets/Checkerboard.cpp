#include "app/widgets/Checkerboard.h"

#include <QPainter>
#include <QPixmap>

namespace plotwise {

const QBrush& checkerboardBrush() {
    static const QBrush brush = [] {
        QPixmap tile(8, 8);
        tile.fill(Qt::white);
        QPainter painter(&tile);
        painter.fillRect(0, 0, 4, 4, QColor(204, 204, 204));
        painter.fillRect(4, 4, 4, 4, QColor(204, 204, 204));
        return QBrush(tile);
    }();
    return brush;
}

}  // namespace plotwise
