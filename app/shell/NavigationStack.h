#pragma once

#include <QList>
#include <QStackedWidget>

namespace plotwise {

// A stack of screens of which only the top one shows, like a phone's navigation stack: pushing
// shows a screen over the others, popping returns to the one below.
class NavigationStack : public QStackedWidget {
    Q_OBJECT

public:
    explicit NavigationStack(QWidget* parent = nullptr);

    // Takes the screen and shows it on top.
    void push(QWidget* screen);
    // Removes the top screen (the root stays) and returns it, no longer owned; null at the root.
    QWidget* pop();
    QWidget* topScreen() const;
    // Bottom to top.
    QList<QWidget*> screens() const;
    // The stack `widget` is shown in (itself or an ancestor), or null.
    static NavigationStack* containing(QWidget* widget);
};

}  // namespace plotwise
