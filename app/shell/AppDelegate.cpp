#include "app/shell/AppDelegate.h"

#include <QGuiApplication>
#include <QScreen>
#include <iostream>

#include "app/context/ApplicationContext.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "app/shell/NavigationStack.h"
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

}  // namespace

AppDelegate::AppDelegate(ApplicationContext& context, QObject* parent)
    : QObject(parent), context_(context) {
    connect(qApp, &QCoreApplication::aboutToQuit, this, &AppDelegate::saveAllScreens);
    connect(qApp, &QGuiApplication::applicationStateChanged, this,
            [this](Qt::ApplicationState state) {
                if (state == Qt::ApplicationHidden || state == Qt::ApplicationSuspended) {
                    saveAllScreens();
                }
            });
}

AppDelegate::~AppDelegate() {
    // A popped 3D screen has no parent to delete it.
    if (controller3D_ && controller3D_->parent() == nullptr) {
        delete controller3D_.data();
    }
}

namespace {

void reportRejected(const QString& expression, const QString& message, int position) {
    std::cerr << "plotwise: cannot add '" << expression.toStdString()
              << "': " << message.toStdString() << " at " << position << '\n';
}

}  // namespace

RVPW3DViewController* AppDelegate::controller3D() {
    if (!controller3D_) {
        controller3D_ = new RVPW3DViewController(context_);
        connect(controller3D_, &RVPW3DViewController::expressionRejected, this, &reportRejected);
        connect(controller3D_, &RVPW3DViewController::show2DRequested, this,
                &AppDelegate::pop3DController);
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
    window_ = std::make_unique<ShakeAwareWindow>(context_.notificationCenter());
    window_->setWindowTitle(QStringLiteral("Plotwise"));
    window_->setWindowIcon(applicationIcon());
    stack_ = new NavigationStack(window_.get());
    controller2D_ = new RVPW2DViewController(context_);
    connect(controller2D_, &RVPW2DViewController::expressionRejected, this, &reportRejected);
    connect(controller2D_, &RVPW2DViewController::show3DRequested, this,
            &AppDelegate::push3DController);
    stack_->push(controller2D_);
    if (expressionsIn3D) {
        controller3D()->setPendingExpressions(expressions);
    } else {
        controller2D_->setPendingExpressions(expressions);
    }
    window_->setCentralWidget(stack_);
    connect(window_.get(), &ShakeAwareWindow::aboutToClose, this, &AppDelegate::saveAllScreens);
    window_->resize(initialWindowSize(context_.deviceClass()));
    // Arrow keys and +/- reach the plane without a click first.
    controller2D_->equationView()->setFocus();
    if (expressionsIn3D || WorkspaceStorage::is3DViewVisible(context_.store())) {
        push3DController();
    }
    window_->show();
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

}  // namespace plotwise
