#pragma once

#include <QObject>
#include <QPointer>

class QScreen;
class QWidget;

namespace plotwise {

class ExternalDisplayWindow;
class ScreenList;

// Watches the screens and, while there are two or more, keeps a black full-screen window on the
// last screen that does not hold the main window, for the mirror of the front plane. The window
// goes when its screen goes (before the platform moves it onto the main screen), when only one
// screen is left, or on Escape; after Escape no window comes back on that screen until it has
// been removed and connected again. Focus changes never close it.
class RVExternalDisplayController : public QObject {
    Q_OBJECT

public:
    // Checks for a screen first when the main window is set (or on check()).
    explicit RVExternalDisplayController(QObject* parent = nullptr);
    ~RVExternalDisplayController() override;

    // The mirror goes on the last screen not holding it. Checks at once.
    void setMainWindow(QWidget* window);
    // Makes the window when a screen is free for it and there is none yet; drops one that has
    // lost its place (its screen gone, or the main window moved onto it).
    void check();
    // Null when there is none.
    QWidget* externalWindow() const;
    QScreen* externalScreen() const;
    // Puts `content` in the external window, filling it; the window owns it. Nothing without a
    // window.
    void setContent(QWidget* content);

    // Another source of screens (tests); not owned. Null restores the application's.
    void setScreenList(ScreenList* screens);

signals:
    void externalDisplayConnected();
    void externalDisplayDisconnected();

private:
    void connectScreens(ScreenList* screens);
    void screenRemoved(QScreen* screen);
    QScreen* freeScreen() const;
    QScreen* mainScreen() const;
    void tearDown();
    void dismiss();
    void watchMainWindow();

    ScreenList* ownScreens_;
    QPointer<ScreenList> screens_;
    QPointer<QWidget> mainWindow_;
    QPointer<ExternalDisplayWindow> window_;
    QPointer<QScreen> windowScreen_;
    // The screen whose mirror was closed by Escape: left alone until it returns.
    QPointer<QScreen> dismissedScreen_;
    QMetaObject::Connection mainScreenWatch_;
};

}  // namespace plotwise
