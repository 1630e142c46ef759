#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;
class QPushButton;

namespace plotwise {

// A bar at the foot of the list after a touch delete: a message and "Undo", for 5 seconds.
class UndoBar : public QFrame {
    Q_OBJECT

public:
    static constexpr int duration = 5000;

    explicit UndoBar(QWidget* parent = nullptr);

    // Shows `message` and starts the 5 s again.
    void showMessage(const QString& message);
    QPushButton* undoButton() const { return undo_; }
    QLabel* messageLabel() const { return message_; }
    // Milliseconds until it hides; -1 when hidden.
    int remainingTime() const {
        return !isHidden() && timer_.isActive() ? timer_.remainingTime() : -1;
    }

signals:
    void undoRequested();

private:
    QLabel* message_;
    QPushButton* undo_;
    QTimer timer_;
};

}  // namespace plotwise
