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
    // Pushes `screen` on the stack `from` is shown in or, on none, shows it as a window of `from`.
    static void present(QWidget* screen, QWidget* from);
    // Takes `screen` off its stack with every screen it pushed (those are deleted later), or hides
    // it when it is a window. The caller still owns `screen`.
    static void dismiss(QWidget* screen);
};

}  // namespace plotwise
