#include "app/platform/QuitShortcut.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QWidget>

namespace plotwise {

QuitShortcut::QuitShortcut(QObject* parent) : QObject(parent) {
    QCoreApplication::instance()->installEventFilter(this);
}

QuitShortcut::~QuitShortcut() {
    if (QCoreApplication::instance() != nullptr) {
        QCoreApplication::instance()->removeEventFilter(this);
    }
}

bool QuitShortcut::eventFilter(QObject* watched, QEvent* event) {
    // Taken at the first widget it reaches (the focus widget), before any field can swallow it;
    // the window objects that forward key events to widgets are skipped, so one press quits once.
    if ((event->type() == QEvent::KeyPress || event->type() == QEvent::ShortcutOverride) &&
        watched->isWidgetType()) {
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->keyCombination() == QKeyCombination(Qt::ControlModifier, Qt::Key_Q)) {
            if (event->type() == QEvent::KeyPress) {
                emit triggered();
            }
            event->accept();
            return true;
        }
    }
    return QObject::eventFilter(watched, event);
}

}  // namespace plotwise
