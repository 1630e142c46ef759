#pragma once

#include <QFrame>
#include <QTimer>

class QLabel;
class QToolButton;

namespace plotwise {

// A bar over the top of the plane that tells the user something without stopping them: each
// message on a line of its own, until closed or for a while after the last one.
class PlaneNotice : public QFrame {
    Q_OBJECT

public:
    static constexpr int visibleMilliseconds = 15000;

    explicit PlaneNotice(QWidget* parent);

    void showMessage(const QString& message);
    QString text() const;
    QToolButton* closeButton() const { return close_; }

    // Full width of the parent, at `top`, as high as its lines.
    void place(int top);

private:
    QLabel* label_;
    QToolButton* close_;
    QTimer hideTimer_;
};

}  // namespace plotwise
