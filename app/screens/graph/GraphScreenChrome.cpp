#include "app/screens/graph/GraphScreenChrome.h"

#include <QAction>
#include <QToolBar>

#include "app/screens/graph/RVPWGraphViewController.h"

namespace plotwise {

GraphScreenChrome::GraphScreenChrome(RVPWGraphViewController& screen)
    : QObject(&screen), screen_(screen) {}

QRect GraphScreenChrome::anchorRect(QAction* action) const {
    for (QToolBar* bar : toolbars()) {
        const QWidget* button = bar->widgetForAction(action);
        if (button != nullptr && bar->isVisible() && button->isVisible()) {
            return {button->mapTo(&screen_, QPoint()), button->size()};
        }
    }
    return {screen_.width() / 2, screen_.height() - 1, 1, 1};
}

int GraphScreenChrome::tagOf(const QAction* action) {
    bool ok = false;
    const int tag = action->data().toInt(&ok);
    return ok ? tag : -1;
}

QList<int> GraphScreenChrome::tags(const QToolBar* bar) {
    QList<int> result;
    for (const QAction* action : bar->actions()) {
        if (const int tag = tagOf(action); tag >= 0) {
            result.append(tag);
        }
    }
    return result;
}

void GraphScreenChrome::setTag(QAction* action, int tag) {
    action->setData(tag);
}

QToolBar* GraphScreenChrome::makeBar() {
    auto* bar = new QToolBar(&screen_);
    bar->setMovable(false);
    bar->setFloatable(false);
    bar->setToolButtonStyle(Qt::ToolButtonIconOnly);
    bar->setIconSize(QSize(28, 28));
    bar->setStyleSheet(
        QStringLiteral("QToolBar { background: rgba(16, 16, 16, 210); border: none; spacing: 4px; }"
                       "QToolButton { color: white; border-radius: 6px; padding: 4px; }"
                       "QToolButton:hover { background: rgba(255, 255, 255, 40); }"
                       "QToolButton:pressed { background: rgba(255, 255, 255, 80); }"));
    return bar;
}

void GraphScreenChrome::fillSpaced(QToolBar* bar, const QList<QAction*>& actions) {
    const auto space = [bar] {
        auto* spacer = new QWidget(bar);
        spacer->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
        bar->addWidget(spacer);
    };
    space();
    for (QAction* action : actions) {
        bar->addAction(action);
        space();
    }
}

}  // namespace plotwise
