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

QPixmap gearPixmap(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    const QPointF centre(14 * unit, 14 * unit);
    // Eight teeth round a ring, the hole left open.
    QPainterPath gear;
    constexpr int teeth = 8;
    for (int i = 0; i < teeth * 2; ++i) {
        const double radius = (i % 2 == 0 ? 11.0 : 8.5) * unit;
        for (const double offset : {-0.5, 0.5}) {
            const double angle = (i + offset) * std::numbers::pi / teeth;
            const QPointF point(centre.x() + radius * std::cos(angle),
                                centre.y() + radius * std::sin(angle));
            if (gear.elementCount() == 0) {
                gear.moveTo(point);
            } else {
                gear.lineTo(point);
            }
        }
    }
    gear.closeSubpath();
    gear.addEllipse(centre, 3.5 * unit, 3.5 * unit);
    gear.setFillRule(Qt::OddEvenFill);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(gear);
    return pixmap;
}

QPixmap bookmarksPixmap(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    // An open book with a ribbon down its right page.
    painter.setPen(QPen(colour, 1.9 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath book;
    book.moveTo(14 * unit, 8 * unit);
    book.quadTo(9 * unit, 5 * unit, 3 * unit, 6 * unit);
    book.lineTo(3 * unit, 22 * unit);
    book.quadTo(9 * unit, 21 * unit, 14 * unit, 24 * unit);
    book.quadTo(19 * unit, 21 * unit, 25 * unit, 22 * unit);
    book.lineTo(25 * unit, 6 * unit);
    book.quadTo(19 * unit, 5 * unit, 14 * unit, 8 * unit);
    book.lineTo(14 * unit, 24 * unit);
    painter.drawPath(book);
    QPainterPath ribbon;
    ribbon.moveTo(18 * unit, 6.5 * unit);
    ribbon.lineTo(18 * unit, 14 * unit);
    ribbon.lineTo(19.75 * unit, 12.5 * unit);
    ribbon.lineTo(21.5 * unit, 14 * unit);
    ribbon.lineTo(21.5 * unit, 5.8 * unit);
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    painter.drawPath(ribbon);
    return pixmap;
}

// Three dots: more actions.
QPixmap morePixmap(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    painter.setPen(Qt::NoPen);
    painter.setBrush(colour);
    for (const double x : {7.0, 14.0, 21.0}) {
        painter.drawEllipse(QPointF(x * unit, 14 * unit), 2.4 * unit, 2.4 * unit);
    }
    return pixmap;
}

// A cross: close the second row.
QPixmap closePixmap(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    painter.setPen(QPen(colour, 2.6 * unit, Qt::SolidLine, Qt::RoundCap));
    painter.drawLine(QPointF(8 * unit, 8 * unit), QPointF(20 * unit, 20 * unit));
    painter.drawLine(QPointF(20 * unit, 8 * unit), QPointF(8 * unit, 20 * unit));
    return pixmap;
}

// A tray with an arrow leaving it upwards.
QPixmap sharePixmap(int size, const QColor& colour) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    painter.setPen(QPen(colour, 2.0 * unit, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    QPainterPath tray;
    tray.moveTo(10 * unit, 11 * unit);
    tray.lineTo(6 * unit, 11 * unit);
    tray.lineTo(6 * unit, 24 * unit);
    tray.lineTo(22 * unit, 24 * unit);
    tray.lineTo(22 * unit, 11 * unit);
    tray.lineTo(18 * unit, 11 * unit);
    painter.drawPath(tray);
    painter.drawLine(QPointF(14 * unit, 4 * unit), QPointF(14 * unit, 17 * unit));
    painter.drawLine(QPointF(10 * unit, 8 * unit), QPointF(14 * unit, 4 * unit));
    painter.drawLine(QPointF(18 * unit, 8 * unit), QPointF(14 * unit, 4 * unit));
    return pixmap;
}

// A ring around one character: "?" for help, "i" for information.
QPixmap ringedPixmap(int size, const QColor& colour, const QString& character) {
    QPixmap pixmap(size, size);
    pixmap.fill(Qt::transparent);
    QPainter painter(&pixmap);
    painter.setRenderHint(QPainter::Antialiasing);
    const double unit = size / 28.0;
    painter.setPen(QPen(colour, 2.0 * unit));
    painter.drawEllipse(QPointF(14 * unit, 14 * unit), 10 * unit, 10 * unit);
    QFont font = painter.font();
    font.setBold(true);
    font.setPixelSize(qRound(14 * unit));
    painter.setFont(font);
    painter.drawText(QRectF(0, 0, size, size), Qt::AlignCenter, character);
    return pixmap;
}

// Every icon at the three sizes a bar asks for, white when enabled and faded when disabled.
template <typename PixmapMaker>
QIcon iconFrom(PixmapMaker pixmapMaker) {
    QIcon icon;
    for (const int size : {28, 56, 84}) {
        icon.addPixmap(pixmapMaker(size, Qt::white), QIcon::Normal);
        icon.addPixmap(pixmapMaker(size, QColor(255, 255, 255, 110)), QIcon::Disabled);
    }
    return icon;
}

}  // namespace

QIcon ToolbarIcons::list() {
    return iconFrom(listPixmap);
}

QIcon ToolbarIcons::plane(const QString& name) {
    return iconFrom(
        [&name](int size, const QColor& colour) { return planePixmap(size, colour, name); });
}

QIcon ToolbarIcons::add() {
    return iconFrom(plusPixmap);
}

QIcon ToolbarIcons::refresh() {
    return iconFrom(refreshPixmap);
}

QIcon ToolbarIcons::settings() {
    return iconFrom(gearPixmap);
}

QIcon ToolbarIcons::bookmarks() {
    return iconFrom(bookmarksPixmap);
}

QIcon ToolbarIcons::more() {
    return iconFrom(morePixmap);
}

QIcon ToolbarIcons::close() {
    return iconFrom(closePixmap);
}

QIcon ToolbarIcons::share() {
    return iconFrom(sharePixmap);
}

QIcon ToolbarIcons::help() {
    return iconFrom([](int size, const QColor& colour) {
        return ringedPixmap(size, colour, QStringLiteral("?"));
    });
}

QIcon ToolbarIcons::info() {
    return iconFrom([](int size, const QColor& colour) {
        return ringedPixmap(size, colour, QStringLiteral("i"));
    });
}

}  // namespace plotwise
