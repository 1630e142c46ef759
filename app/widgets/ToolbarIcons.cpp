#include "app/widgets/ToolbarIcons.h"

#include <QPainter>
#include <QPainterPath>
#include <QPixmap>
#include <cmath>
#include <numbers>

namespace plotwise {

namespace {

QPixmap refreshPixmap(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    const QRectF circle(6 * unit, 6 * unit, 16 * unit, 16 * unit);
    // An open ring from 60° round to 360°, its head at the top right.
    painter.setPen(QPen(colour, 2.4 * unit, Qt::SolidLine, Qt::RoundCap));
    painter.drawArc(circle, 60 * 16, 290 * 16);
    const double angle = 60.0 * std::numbers::pi / 180.0;
    const QPointF end(circle.center().x() + 8 * unit * std::cos(angle),
                      circle.center().y() - 8 * unit * std::sin(angle));
    QPainterPath head;
    head.moveTo(end + QPointF(-4.5 * unit, -3.0 * unit));
    head.lineTo(end + QPointF(2.5 * unit, -2.0 * unit));
    head.lineTo(end + QPointF(0.5 * unit, 4.5 * unit));
    head.closeSubpath();
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(head);
    return pixmap;
}

QPixmap planePixmap(int size, const QColor& colour, const QString& name) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    painter.setPen(QPen(colour, 1.8 * unit));
    painter.drawRoundedRect(QRectF(2 * unit, 5 * unit, 24 * unit, 18 * unit), 4 * unit, 4 * unit);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qRound(12 * unit));
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, name);
    return pixmap;
}

QPixmap plusPixmap(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    painter.setPen(QPen(colour, 2.6 * unit, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(14 * unit, 6 * unit), QPointF(14 * unit, 22 * unit));
    painter.drawLine(QPointF(6 * unit, 14 * unit), QPointF(22 * unit, 14 * unit));
    return pixmap;
}

QPixmap listPixmap(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    painter.setPen(QPen(colour, 2.4 * unit, Qt::SolidLine, Qt::RoundCap));
    for (const double y : {8.0, 14.0, 20.0}) {
        painter.drawPoint(QPointF(6 * unit, y * unit));
        painter.drawLine(QPointF(10 * unit, y * unit), QPointF(23 * unit, y * unit));
    }
    return pixmap;
}

}  // namespace

QIcon ToolbarIcons::list() {
    QIcon icon;
    for (const int size : {28, 56, 84}) {
        icon.addPixmap(listPixmap(size, Qt::white), QIcon::Normal);
        icon.addPixmap(listPixmap(size, QColor(255, 255, 255, 110)), QIcon::Disabled);
    }
    return icon;
}

QIcon ToolbarIcons::plane(const QString& name) {
    QIcon icon;
    for (const int size : {28, 56, 84}) {
        icon.addPixmap(planePixmap(size, Qt::white, name), QIcon::Normal);
        icon.addPixmap(planePixmap(size, QColor(255, 255, 255, 110), name), QIcon::Disabled);
    }
    return icon;
}

QIcon ToolbarIcons::add() {
    QIcon icon;
    for (const int size : {28, 56, 84}) {
        icon.addPixmap(plusPixmap(size, Qt::white), QIcon::Normal);
        icon.addPixmap(plusPixmap(size, QColor(255, 255, 255, 110)), QIcon::Disabled);
    }
    return icon;
}

QIcon ToolbarIcons::refresh() {
    QIcon icon;
    for (const int size : {28, 56, 84}) {
        icon.addPixmap(refreshPixmap(size, Qt::white), QIcon::Normal);
        icon.addPixmap(refreshPixmap(size, QColor(255, 255, 255, 110)), QIcon::Disabled);
    }
    return icon;
}

}  // namespace plotwise
