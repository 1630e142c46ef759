#include "app/shell/NavigationStack.h"

namespace plotwise {

NavigationStack::NavigationStack(QWidget* parent) : QStackedWidget(parent) {}

void NavigationStack::push(QWidget* screen) {
    addWidget(screen);
    setCurrentWidget(screen);
}

QWidget* NavigationStack::pop() {
    if (count() < 2) {
        return nullptr;
    }
    QWidget* top = widget(count() - 1);
    // Removed first, so that the screen below is the top when currentChanged reports it.
    removeWidget(top);
    top->setParent(nullptr);
    return top;
}

QWidget* NavigationStack::topScreen() const {
    return count() > 0 ? widget(count() - 1) : nullptr;
}

QList<QWidget*> NavigationStack::screens() const {
    QList<QWidget*> list;
    for (int i = 0; i < count(); ++i) {
        list.append(widget(i));
    }
    return list;
}

NavigationStack* NavigationStack::containing(QWidget* widget) {
    for (QWidget* w = widget; w != nullptr; w = w->parentWidget()) {
        if (auto* stack = qobject_cast<NavigationStack*>(w)) {
            return stack;
        }
    }
    return nullptr;
}

void NavigationStack::present(QWidget* screen, QWidget* from) {
    if (NavigationStack* stack = containing(from)) {
        stack->push(screen);
    } else {
        screen->setParent(from, Qt::Window);
        screen->show();
    }
}

void NavigationStack::dismiss(QWidget* screen) {
    NavigationStack* stack = containing(screen);
    if (stack == nullptr || stack->indexOf(screen) < 0) {
        screen->hide();
        return;
    }
    while (stack->count() > 1 && stack->topScreen() != screen) {
        stack->pop()->deleteLater();
    }
    stack->pop();
}

}  // namespace plotwise
