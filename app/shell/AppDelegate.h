#pragma once

#include <QIcon>
#include <QObject>
#include <QPointer>
#include <QStringList>
#include <memory>

namespace plotwise {

class ApplicationContext;
class NavigationStack;
class RVPW2DViewController;
class RVPW3DViewController;
class ShakeAwareWindow;

// Builds the window and its screens at launch and saves every graph screen when the
// application leaves: the window closing, the application quitting (also on SIGTERM) or going
// to the background.
class AppDelegate : public QObject {
    Q_OBJECT

public:
    explicit AppDelegate(ApplicationContext& context, QObject* parent = nullptr);
    ~AppDelegate() override;
    AppDelegate(const AppDelegate&) = delete;
    AppDelegate& operator=(const AppDelegate&) = delete;

    // Builds the window with the 2D graph screen at the root of the navigation stack and shows
    // it, with the 3D screen over it when the 3D plane was in front or `expressionsIn3D` is set;
    // `expressions` are added to that plane once it is restored.
    void didFinishLaunching(const QStringList& expressions, bool expressionsIn3D = false);

    // The 3D screen, made on first use.
    RVPW3DViewController* controller3D();
    void push3DController();
    void pop3DController();

    // Sends saveState to every graph screen of the stack, bottom to top, so the front screen's
    // plane choice is written last.
    void saveAllScreens();

    // The installed theme's icon when there is one, else our own.
    static QIcon applicationIcon();

    ShakeAwareWindow* window() const { return window_.get(); }
    NavigationStack* navigationStack() const { return stack_; }
    RVPW2DViewController* controller2D() const { return controller2D_; }
    ApplicationContext& context() const { return context_; }

private:
    ApplicationContext& context_;
    std::unique_ptr<ShakeAwareWindow> window_;
    NavigationStack* stack_ = nullptr;
    RVPW2DViewController* controller2D_ = nullptr;
    // Owned by the stack while pushed, by this delegate while popped.
    QPointer<RVPW3DViewController> controller3D_;
};

}  // namespace plotwise
