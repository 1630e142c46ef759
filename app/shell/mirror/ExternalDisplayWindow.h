#pragma once

#include <QPointer>
#include <QWidget>
#include <functional>

namespace plotwise {

// The black top-level window on the external screen: it holds one content widget, filling it,
// and reports Escape. It never keeps the application running once the main window has closed.
class ExternalDisplayWindow : public QWidget {
    Q_OBJECT

public:
    explicit ExternalDisplayWindow(std::function<void()> escapePressed);

    // Replaces the content; the window owns it.
    void setContent(QWidget* content);
    QWidget* content() const { return content_; }

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    std::function<void()> escapePressed_;
    QPointer<QWidget> content_;
};

}  // namespace plotwise
