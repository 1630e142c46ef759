#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>

namespace plotwise {

class ApplicationContext;
class NavigationStack;
class QuitShortcut;
class RVPW2DViewController;
class RVPW3DViewController;
class RVExternalDisplayController;
class RVPWExternalDisplayViewController;
class RVPWGraphViewController;
class RVPWRatingPrompt;
class ShakeAwareWindow;
class TabletSplitView;

// Builds the window and its screens at launch for the device family (phone: a navigation stack
// of graph screens; tablet: the equation list beside that stack) and saves every graph screen,
// in stack order, when the application leaves: the window closing, the application quitting
// (Ctrl+Q on any window, SIGTERM) or being hidden or suspended. "Active" on Linux is mere focus,
// which never counts as leaving or coming back.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    explicit AppDelegate(ApplicationContext& context, QObject* parent = nullptr);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Builds the window with the 2D graph screen at the root of the navigation stack and shows
    // it, with the 3D screen over it when the 3D plane was in front or an expression goes
    // there. Expressions that use z or Φ (all of them with `expressionsIn3D`) are added to the
    // 3D plane, the others to the 2D plane, once that plane is restored; one already on its
    // plane is not added again, and one that does not parse is shown on the plane and printed
    // on standard error.
    void didFinishLaunching(const QStringList& expressions, bool expressionsIn3D = false);

    // The 3D screen, made on first use.
    RVPW3DViewController* controller3D();
    void push3DController();
    void pop3DController();

    // Sends saveState to every graph screen of the stack, bottom to top, so the front screen's
    // plane choice is written last.
    void saveAllScreens();
    // Saves everything, then drops the 3D screen unless it is on the stack. Linux has no memory
    // warning: it runs when the application is suspended.
    void applicationDidReceiveMemoryWarning();

    // The plane views that must see a new equation: the front plane's view, then the external
    // view registered by the mirror, if any.
    QList<QWidget*> visibleViews() const;
    void setExternalView(QWidget* view);
    RVPWGraphViewController* frontScreen() const;
    // The mirror on a second screen, while one is connected.
    RVExternalDisplayController& externalDisplayController() const { return *externalDisplay_; }
    RVPWExternalDisplayViewController* externalDisplayViewController() const;
    // Told of launches, returns to the foreground and departures; none when unset (tests).
    void setRatingPrompt(RVPWRatingPrompt* prompt) { ratingPrompt_ = prompt; }

    // The installed theme's icon when there is one, else our own.
    static QIcon applicationIcon();

    ShakeAwareWindow* window() const { return window_.get(); }
    // The stack of graph screens (the detail side on a tablet).
    NavigationStack* navigationStack() const { return stack_; }
    // The tablet's split view; null on a phone.
    TabletSplitView* splitView() const { return split_; }
    RVPW2DViewController* controller2D() const { return controller2D_; }
    ApplicationContext& context() const { return context_; }

signals:
    // The plane in front changed (a switch, or the launch).
    void frontScreenChanged(RVPWGraphViewController* screen);
    // The application came back from being hidden or suspended (never for a focus change).
    void applicationEnteredForeground();

private:
    void connectScreen(RVPWGraphViewController* screen);
    void applicationStateChanged(Qt::ApplicationState state);
    void frontChanged();
    void screenRestored(RVPWGraphViewController* screen);
    void quit();
    void externalDisplayConnected();
    void externalDisplayDisconnected();

    ApplicationContext& context_;
    std::unique_ptr<ShakeAwareWindow> window_;
    NavigationStack* stack_ = nullptr;
    TabletSplitView* split_ = nullptr;
    RVPW2DViewController* controller2D_ = nullptr;
    // Owned by the stack while pushed, by this delegate while popped.
    QPointer<RVPW3DViewController> controller3D_;
    QPointer<QWidget> externalView_;
    QuitShortcut* quitShortcut_;
    RVExternalDisplayController* externalDisplay_;
    // Owned by the external window.
    QPointer<RVPWExternalDisplayViewController> externalViewController_;
    RVPWRatingPrompt* ratingPrompt_ = nullptr;
    QStringList pending3D_;
    Qt::ApplicationState lastState_ = Qt::ApplicationActive;
    // The preference file could not be read at launch: the first save keeps it aside, once.
    bool storeWasUnreadable_ = false;
    bool keptAsideAnnounced_ = false;
};

}  // namespace plotwise
