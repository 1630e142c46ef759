#include "app/screens/info/DoneScreenBar.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QShortcut>
#include <algorithm>

namespace plotwise {

QWidget* makeDoneScreenBar(QWidget* parent, const QString& title, QPushButton** done,
                           QWidget* left) {
    auto* bar = new QWidget(parent);
    bar->setObjectName(QStringLiteral("doneScreenBar"));
    bar->setAttribute(Qt::WA_StyledBackground);
    bar->setStyleSheet(
        QStringLiteral("#doneScreenBar { background: #101010; }"
                       "#doneScreenBar QLabel { color: white; font-weight: bold; }"
                       "#doneScreenBar QPushButton, #doneScreenBar QToolButton { color: white;"
                       " background: rgb(60, 60, 66); border: 1px solid black; border-radius: 5px;"
                       " padding: 4px 10px; font-weight: bold; }"
                       "#doneScreenBar QPushButton:pressed, #doneScreenBar QToolButton:pressed {"
                       " background: rgb(30, 30, 34); }"));
    bar->setFixedHeight(44);
    auto* layout = new QHBoxLayout(bar);
    layout->setContentsMargins(8, 4, 8, 4);
    *done = new QPushButton(QObject::tr("Done"), bar);
    (*done)->setFocusPolicy(Qt::NoFocus);
    // Escape leaves the screen as Done does, wherever the focus is within it.
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), parent);
    escape->setContext(Qt::WidgetWithChildrenShortcut);
    QObject::connect(escape, &QShortcut::activated, *done, &QPushButton::click);
    auto* label = new QLabel(title, bar);
    label->setAlignment(Qt::AlignCenter);
    // Equal room on both sides keeps the title centred.
    const int side = std::max((*done)->sizeHint().width(), left ? left->sizeHint().width() : 0);
    (*done)->setMinimumWidth(side);
    if (left != nullptr) {
        left->setParent(bar);
        left->setMinimumWidth(side);
        layout->addWidget(left);
    } else {
        layout->addSpacing(side);
    }
    layout->addWidget(label, 1);
    layout->addWidget(*done);
    return bar;
}

}  // namespace plotwise
