#include "app/shell/AppDelegate.h"

#include <QFileInfo>
#include <QGuiApplication>
#include <QOpenGLWidget>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <iostream>

#include "app/context/ApplicationContext.h"
#include "app/platform/QuitShortcut.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/rating/RVPWRatingPrompt.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "app/shell/ExpressionRouting.h"
#include "app/shell/NavigationStack.h"
#include "app/shell/TabletSplitView.h"
#include "app/shell/mirror/RVExternalDisplayController.h"
#include "app/shell/mirror/RVPWExternalDisplayViewController.h"
#include "app/storage/WorkspaceStorage.h"
#include "graph2d/view/RVEquation2DView.h"
#include "graph3d/view/RVEquation3DView.h"

namespace plotwise {

namespace {

// A window shaped like the device it stands in for, within the screen's free area.
QSize initialWindowSize(DeviceClass device) {
    QSize size = device == DeviceClass::Phone ? QSize(420, 820) : QSize(1180, 820);
    if (const QScreen* screen = QGuiApplication::primaryScreen()) {
        size = size.boundedTo(screen->availableSize() * 0.9);
    }
    return size;
}

bool isBackground(Qt::ApplicationState state) {
    return state == Qt::ApplicationHidden || state == Qt::ApplicationSuspended;
}

}  // namespace

AppDelegate::AppDelegate(ApplicationContext& context, QObject* parent)
    : QObject(parent),
      context_(context),
      quitShortcut_(new QuitShortcut(this)),
      externalDisplay_(new RVExternalDisplayController(this)) {
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppDelegate::saveAllScreens);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            &AppDelegate::applicationStateChanged);
    connect(quitShortcut_, &QuitShortcut::triggered, this, &AppDelegate::quit);
    connect(externalDisplay_, &RVExternalDisplayController::externalDisplayConnected, this,
            &AppDelegate::externalDisplayConnected);
    connect(externalDisplay_, &RVExternalDisplayController::externalDisplayDisconnected, this,
            &AppDelegate::externalDisplayDisconnected);
    connect(this, &AppDelegate::frontScreenChanged, this, [this](RVPWGraphViewController* front) {
        if (externalViewController_) {
            externalViewController_->showPlaneOf(front);
        }
    });
    connect(this, &AppDelegate::applicationEnteredForeground, this, [this] {
        if (ratingPrompt_ != nullptr) {
            ratingPrompt_->incrementAndRate(true);
        }
    });
}

AppDelegate::~AppDelegate() {
    // The stack reports each screen it loses while the window goes: nothing is in front then.
    if (stack_ != nullptr) {
        disconnect(stack_, nullptr, this, nullptr);
    }
    // Nor is there a front screen to hand the mirror's view to when it loses its plane.
    if (externalViewController_) {
        disconnect(externalViewController_, nullptr, this, nullptr);
    }
    window_.reset();
    // A popped 3D screen has no parent to delete it.
    if (controller3D_ && controller3D_->parent() == nullptr) {
        delete controller3D_.data();
    }
}

void AppDelegate::applicationStateChanged(Qt::ApplicationState state) {
    const Qt::ApplicationState previous = std::exchange(lastState_, state);
    if (isBackground(state) && ratingPrompt_ != nullptr) {
        ratingPrompt_->hideRatingAlert();
    }
    if (state == Qt::ApplicationSuspended) {
        applicationDidReceiveMemoryWarning();
    } else if (state == Qt::ApplicationHidden) {
        saveAllScreens();
    } else if (isBackground(previous)) {
        emit applicationEnteredForeground();
    }
}

void AppDelegate::quit() {
    saveAllScreens();
    // Every running loop ends, also a dialog's; with none running (a test) nothing is left
    // marked to end the next one.
    if (QThread::currentThread()->loopLevel() > 0) {
        QCoreApplication::exit(0);
    }
}

void AppDelegate::connectScreen(RVPWGraphViewController* screen) {
    connect(screen, &RVPWGraphViewController::expressionRejected, this,
            [screen](const QString& expression, const QString& message, int position) {
                std::cerr << "plotwise: cannot add '" << expression.toStdString()
                          << "': " << message.toStdString() << " at " << position << '\n';
                screen->showNotice(tr("Cannot add \"%1\": %2 (at character %3)")
                                       .arg(expression, message)
                                       .arg(position + 1));
            });
    connect(screen, &RVPWGraphViewController::switchPlaneRequested, this, [this, screen] {
        if (screen == controller2D_) {
            push3DController();
        } else {
            pop3DController();
        }
    });
    connect(screen, &RVPWGraphViewController::loadingFinished, this,
            [this, screen] { screenRestored(screen); });
    if (split_ != nullptr) {
        connect(screen, &RVPWGraphViewController::equationListRequested, split_,
                &TabletSplitView::showMasterList);
        connect(screen, &RVPWGraphViewController::masterListDone, split_,
                &TabletSplitView::hideMasterPopup);
    }
}

void AppDelegate::screenRestored(RVPWGraphViewController* screen) {
    if (!storeWasUnreadable_ || keptAsideAnnounced_) {
        return;
    }
    // Writing keeps the unreadable file aside; say once where it went.
    screen->saveState();
    const QString kept = context_.store().keptAsidePath();
    if (!kept.isEmpty()) {
        keptAsideAnnounced_ = true;
        screen->showNotice(
            tr("The saved equations could not be read. The file was kept as %1.").arg(kept));
        std::cerr << "plotwise: unreadable preferences kept as " << kept.toStdString() << '\n';
    }
}

RVPW3DViewController* AppDelegate::controller3D() {
    if (!controller3D_) {
        controller3D_ = new RVPW3DViewController(context_);
        connectScreen(controller3D_);
        controller3D_->setPendingExpressions(std::exchange(pending3D_, {}));
    }
    return controller3D_;
}

void AppDelegate::push3DController() {
    if (stack_ == nullptr || stack_->topScreen() == controller3D()) {
        return;
    }
    stack_->push(controller3D_);
    if (RVEquation3DView* view = controller3D_->equationView()) {
        view->setFocus();
    }
}

void AppDelegate::pop3DController() {
    if (stack_ == nullptr || stack_->topScreen() != controller3D_) {
        return;
    }
    stack_->pop();
    controller2D_->equationView()->setFocus();
}

void AppDelegate::didFinishLaunching(const QStringList& expressions, bool expressionsIn3D) {
    storeWasUnreadable_ = context_.store().fileUnreadable();
    window_ = std::make_unique<ShakeAwareWindow>(context_.notificationCenter());
    window_->setWindowTitle(QStringLiteral("Plotwise"));
    window_->setWindowIcon(applicationIcon());
    if (RVEquation3DView::openGLAvailable()) {
        // A shown window that first takes an OpenGL view is remade natively: it flickers and
        // loses the keyboard focus. A hidden one from the start gives it the right surface.
        (new QOpenGLWidget(window_.get()))->hide();
    }
    if (context_.deviceClass() == DeviceClass::Tablet) {
        split_ = new TabletSplitView(window_.get());
        stack_ = split_->detailStack();
        window_->setCentralWidget(split_);
    } else {
        stack_ = new NavigationStack(window_.get());
        window_->setCentralWidget(stack_);
    }
    const ExpressionRouting routing = ExpressionRouting::route(expressions, expressionsIn3D);
    pending3D_ = routing.expressions3D;
    controller2D_ = new RVPW2DViewController(context_);
    connectScreen(controller2D_);
    controller2D_->setPendingExpressions(routing.expressions2D);
    stack_->push(controller2D_);
    connect(stack_, &QStackedWidget::currentChanged, this, &AppDelegate::frontChanged);
    connect(window_.get(), &ShakeAwareWindow::aboutToClose, this, &AppDelegate::saveAllScreens);
    window_->resize(initialWindowSize(context_.deviceClass()));
    // Arrow keys and +/- reach the plane without a click first.
    controller2D_->equationView()->setFocus();
    const bool show3D = expressionsIn3D || !routing.expressions3D.isEmpty() ||
                        WorkspaceStorage::is3DViewVisible(context_.store());
    if (show3D) {
        push3DController();
    }
    frontChanged();
    window_->show();
    externalDisplay_->setMainWindow(window_.get());
    if (ratingPrompt_ != nullptr) {
        // Counted once the first frame is up, on this thread.
        QTimer::singleShot(0, this, [this] {
            if (ratingPrompt_ != nullptr) {
                ratingPrompt_->incrementAndRate(true);
            }
        });
    }
    // Expressions for the plane underneath are added without waiting for it to be shown.
    if (show3D && !controller2D_->pendingExpressions().isEmpty()) {
        QTimer::singleShot(0, controller2D_, &RVPWGraphViewController::loadState);
    }
}

void AppDelegate::frontChanged() {
    RVPWGraphViewController* front = frontScreen();
    if (front == nullptr) {
        return;
    }
    if (split_ != nullptr) {
        split_->setMasterList(front->masterList());
    }
    for (QWidget* screen : stack_->screens()) {
        if (auto* controller = qobject_cast<RVPWGraphViewController*>(screen)) {
            controller->setExternalView(controller == front ? externalView_.data() : nullptr);
        }
    }
    emit frontScreenChanged(front);
}

RVPWGraphViewController* AppDelegate::frontScreen() const {
    return stack_ != nullptr ? qobject_cast<RVPWGraphViewController*>(stack_->topScreen())
                             : nullptr;
}

QList<QWidget*> AppDelegate::visibleViews() const {
    QList<QWidget*> views;
    if (RVPWGraphViewController* front = frontScreen()) {
        if (front == controller2D_) {
            views.append(controller2D_->equationView());
        } else if (front == controller3D_ && controller3D_->equationView() != nullptr) {
            views.append(controller3D_->equationView());
        }
    }
    if (externalView_) {
        views.append(externalView_);
    }
    return views;
}

void AppDelegate::setExternalView(QWidget* view) {
    externalView_ = view;
    if (RVPWGraphViewController* front = frontScreen()) {
        front->setExternalView(view);
    }
}

void AppDelegate::externalDisplayConnected() {
    auto* mirror = new RVPWExternalDisplayViewController();
    externalViewController_ = mirror;
    connect(mirror, &RVPWExternalDisplayViewController::currentViewChanged, this,
            &AppDelegate::setExternalView);
    externalDisplay_->setContent(mirror);
    mirror->showPlaneOf(frontScreen());
    setExternalView(mirror->currentView());
}

RVPWExternalDisplayViewController* AppDelegate::externalDisplayViewController() const {
    return externalViewController_;
}

void AppDelegate::externalDisplayDisconnected() {
    setExternalView(nullptr);
}

QIcon AppDelegate::applicationIcon() {
    return QIcon::fromTheme(QStringLiteral(PLOTWISE_APP_ID),
                            QIcon(QStringLiteral(":/icons/" PLOTWISE_APP_ID ".svg")));
}

void AppDelegate::saveAllScreens() {
    if (stack_ == nullptr) {
        return;
    }
    for (QWidget* screen : stack_->screens()) {
        if (auto* controller = qobject_cast<RVPWGraphViewController*>(screen)) {
            controller->saveState();
        }
    }
}

void AppDelegate::applicationDidReceiveMemoryWarning() {
    saveAllScreens();
    if (controller3D_ && (stack_ == nullptr || stack_->indexOf(controller3D_) < 0)) {
        // Its plane was saved when it left the stack; it is made again on demand.
        delete controller3D_.data();
    }
}

}  // namespace plotwise
