#pragma once

#include <QPointer>
#include <QString>
#include <QTimer>
#include <QWidget>

class QLabel;
class QPropertyAnimation;

namespace plotwise {

// The small dark panel with a message and a spinning activity indicator shown over a view while
// it loads, saves or composes. It stays centred on the view when the view resizes, fades in
// when shown and out when removed.
class RVLoadingView : public QWidget {
    Q_OBJECT

public:
    // Adds a panel showing `message` over `view`; the view owns it.
    static RVLoadingView* loadingViewInView(QWidget* view, const QString& message);

    // Fades out in 0.3 s, then deletes itself.
    void removeView();

    QLabel* label() const { return label_; }
    // Hides or shows the activity indicator ("Saved!" shows none).
    void setActivityIndicatorVisible(bool visible);
    bool activityIndicatorVisible() const { return spinning_; }

protected:
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    RVLoadingView(QWidget* view, const QString& message);
    void centreInParent();
    void fadeTo(double opacity, int milliseconds);

    QLabel* label_;
    bool spinning_ = true;
    int spinnerStep_ = 0;
    QTimer spinTimer_;
    QPointer<QPropertyAnimation> fade_;
    bool removing_ = false;
};

}  // namespace plotwise
