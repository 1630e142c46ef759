#include "app/shell/mirror/RVExternalDisplayController.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <QWindow>

#include "app/shell/mirror/ExternalDisplayWindow.h"
#include "app/shell/mirror/ScreenList.h"

namespace plotwise {

RVExternalDisplayController::RVExternalDisplayController(QObject* parent)
    : QObject(parent), ownScreens_(new ScreenList(this)) {
    // No check yet: whoever listens to the signals connects first, then sets the main window.
    connectScreens(nullptr);
}

RVExternalDisplayController::~RVExternalDisplayController() {
    delete window_.data();
}

void RVExternalDisplayController::setScreenList(ScreenList* screens) {
    connectScreens(screens);
    check();
}

void RVExternalDisplayController::connectScreens(ScreenList* screens) {
    if (screens_) {
        screens_->disconnect(this);
    }
    screens_ = screens != nullptr ? screens : ownScreens_;
    connect(screens_, &ScreenList::screenAdded, this, [this](QScreen*) { check(); });
    connect(screens_, &ScreenList::screenRemoved, this,
            &RVExternalDisplayController::screenRemoved);
}

void RVExternalDisplayController::setMainWindow(QWidget* window) {
    mainWindow_ = window;
    watchMainWindow();
    check();
}

void RVExternalDisplayController::watchMainWindow() {
    disconnect(mainScreenWatch_);
    // The window handle exists once the window was shown; a desktop user may then drag the main
    // window onto the mirror's screen.
    if (mainWindow_ && mainWindow_->windowHandle() != nullptr) {
        mainScreenWatch_ = connect(mainWindow_->windowHandle(), &QWindow::screenChanged, this,
                                   [this](QScreen*) { check(); });
    }
}

QWidget* RVExternalDisplayController::externalWindow() const {
    return window_;
}

QScreen* RVExternalDisplayController::externalScreen() const {
    return window_ ? windowScreen_.data() : nullptr;
}

void RVExternalDisplayController::setContent(QWidget* content) {
    if (window_) {
        window_->setContent(content);
    }
}

QScreen* RVExternalDisplayController::mainScreen() const {
    if (mainWindow_) {
        return mainWindow_->screen();
    }
    return QGuiApplication::primaryScreen();
}

QScreen* RVExternalDisplayController::freeScreen() const {
    const QList<QScreen*> screens = screens_->screens();
    if (screens.size() < 2) {
        return nullptr;
    }
    QScreen* main = mainScreen();
    for (auto it = screens.crbegin(); it != screens.crend(); ++it) {
        if (*it != main) {
            return *it;
        }
    }
    return nullptr;
}

void RVExternalDisplayController::check() {
    if (!mainScreenWatch_) {
        watchMainWindow();
    }
    QScreen* screen = freeScreen();
    if (window_ && windowScreen_ != screen) {
        tearDown();
    }
    if (window_ || screen == nullptr || screen == dismissedScreen_) {
        return;
    }
    auto* window = new ExternalDisplayWindow([this] { dismiss(); });
    window->setScreen(screen);
    window->setGeometry(screen->geometry());
    window->showFullScreen();
    window_ = window;
    windowScreen_ = screen;
    emit externalDisplayConnected();
}

void RVExternalDisplayController::screenRemoved(QScreen* screen) {
    if (screen == dismissedScreen_) {
        dismissedScreen_.clear();
    }
    if (window_ && screen == windowScreen_) {
        tearDown();
    }
    // Another screen may take the mirror's place.
    check();
}

void RVExternalDisplayController::tearDown() {
    if (!window_) {
        return;
    }
    ExternalDisplayWindow* window = window_;
    window_.clear();
    windowScreen_.clear();
    window->hide();
    // Escape reaches us from inside the window's own event handler.
    window->deleteLater();
    emit externalDisplayDisconnected();
}

void RVExternalDisplayController::dismiss() {
    dismissedScreen_ = windowScreen_;
    tearDown();
}

}  // namespace plotwise
