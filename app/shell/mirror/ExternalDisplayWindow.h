#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

namespace plotwise {

// The black top-level window on the external screen: it holds one content widget, filling it,
// and reports Escape or a close by the window system as its dismissal. It never keeps the
// application running once the main window has closed.
class ExternalDisplayWindow : public QWidget {
    Q_OBJECT

public:
    explicit ExternalDisplayWindow(std::function<void()> dismissed);

    // Replaces the content; the window owns it.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    std::function<void()> dismissed_;
    QPointer<QWidget> content_;
};

}  // namespace plotwise
