#include "app/widgets/ScreenBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPalette>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>

namespace plotwise {

QWidget* makeTitledScreenBar(QWidget* parent, const QString& title, QWidget* left, QWidget* right) {
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("screenBar"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(
        QStringLiteral("#screenBar { background: #101010; }"
                       "#screenBar QLabel { color: white; font-weight: bold; }"
                       "#screenBar QPushButton, #screenBar QToolButton { color: white; }"
                       "#screenBar QPushButton[bordered=\"true\"], #screenBar QToolButton {"
                       " background: rgb(60, 60, 66); border: 1px solid black;"
                       " border-radius: 5px; padding: 4px 10px; font-weight: bold; }"
                       "#screenBar QPushButton[bordered=\"true\"]:pressed,"
                       " #screenBar QToolButton:pressed { background: rgb(30, 30, 34); }"));
    bar->setFixedHeight(44);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 4, 8, 4);
    const int side = std::max(left != nullptr ? left->sizeHint().width() : 0,
                              right != nullptr ? right->sizeHint().width() : 0);
    for (QWidget* button : {left, right}) {
        if (button != nullptr) {
            button->setParent(bar);
            button->setMinimumWidth(side);
        }
    }
    if (left != nullptr) {
        layout->addWidget(left);
    } else {
        layout->addSpacing(side);
    }
    auto* label = new QLabel(title, bar);
    label->setAlignment(Qt::AlignCenter);
    layout->addWidget(label, 1);
    if (right != nullptr) {
        layout->addWidget(right);
    } else {
        layout->addSpacing(side);
    }
    return bar;
}

QWidget* makeScreenBar(QWidget* parent, const QString& title, QPushButton** back) {
    *back = new QPushButton(QObject::tr("Back"));
    (*back)->setFlat(true);
    (*back)->setFocusPolicy(Qt::NoFocus);
    return makeTitledScreenBar(parent, title, *back, nullptr);
}

QWidget* makeDoneScreenBar(QWidget* parent, const QString& title, QPushButton** done,
                           QWidget* left) {
    *done = new QPushButton(QObject::tr("Done"));
    (*done)->setProperty("bordered", true);
    (*done)->setFocusPolicy(Qt::NoFocus);
    // Escape leaves the screen as Done does, wherever the focus is within it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), parent);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(escape, &QShortcut::activated, *done, &QPushButton::click);
    return makeTitledScreenBar(parent, title, left, *done);
}

void useGroupedBackground(QWidget* screen) {
    screen->setAutoFillBackground(true);
    QPalette palette = screen->palette();
    palette.setColor(QPalette::Window, QColor::fromRgbF(0.84f, 0.868f, 0.899f));
    palette.setColor(QPalette::WindowText, Qt::black);
    screen->setPalette(palette);
}

}  // namespace plotwise
