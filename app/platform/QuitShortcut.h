#pragma once

#include <QKeySequence>
#include <QObject>

namespace plotwise {

// Ctrl+Q on every window of the application, also while a popup or a modal dialog holds the
// keyboard (where window and application shortcuts of the main window do not reach).
class QuitShortcut : public QObject {
    Q_OBJECT

public:
    // Watches every event of the application.
    explicit QuitShortcut(QObject* parent = nullptr);
    ~QuitShortcut() override;

    static QKeySequence sequence() { return QKeySequence(Qt::CTRL | Qt::Key_Q); }

signals:
    void triggered();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
};

}  // namespace plotwise
