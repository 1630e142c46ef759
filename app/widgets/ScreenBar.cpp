#include "app/widgets/ScreenBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>

namespace plotwise {

QWidget* makeScreenBar(QWidget* parent, const QString& title, QPushButton** back) {
    auto* bar = new QWidget(parent);
    bar->setStyleSheet(QStringLiteral("background: #101010; color: white;"));
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 4, 8, 4);
    *back = new QPushButton(QObject::tr("Back"), bar);
    (*back)->setFlat(true);
    (*back)->setFocusPolicy(Qt::NoFocus);
    auto* label = new QLabel(title, bar);
    QFont font = label->font();
    font.setBold(true);
    label->setFont(font);
    layout->addWidget(*back);
    layout->addStretch();
    layout->addWidget(label);
    layout->addStretch();
    // Balances the back button so the title stays centred.
    layout->addSpacing((*back)->sizeHint().width());
    return bar;
}

void useGroupedBackground(QWidget* screen) {
    screen->setAutoFillBackground(true);
    QPalette palette = screen->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(0.84f, 0.868f, 0.899f));
    palette.setColor(QPalette::WindowText, Qt::black);
    screen->setPalette(palette);
}

}  // namespace plotwise
