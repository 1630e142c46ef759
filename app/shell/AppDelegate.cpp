#include "app/shell/AppDelegate.h"

#include <QGuiApplication>
#include <QScreen>
#include <iostream>

#include "app/context/ApplicationContext.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/shell/NavigationStack.h"
#include "graph2d/view/RVEquation2DView.h"

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

AppDelegate::~AppDelegate() = default;

void AppDelegate::didFinishLaunching(const QStringList& expressions) {
    window_ = std::make_unique<ShakeAwareWindow>(context_.notificationCenter());
    window_->setWindowTitle(QStringLiteral("Plotwise"));
    window_->setWindowIcon(applicationIcon());
    stack_ = new NavigationStack(window_.get());
    controller2D_ = new RVPW2DViewController(context_);
    controller2D_->setPendingExpressions(expressions);
    connect(controller2D_, &RVPW2DViewController::expressionRejected, this,
            [](const QString& expression, const QString& message, int position) {
                std::cerr << "plotwise: cannot add '" << expression.toStdString()
                          << "': " << message.toStdString() << " at " << position << '\n';
            });
    stack_->push(controller2D_);
    window_->setCentralWidget(stack_);
    connect(window_.get(), &ShakeAwareWindow::aboutToClose, this, &AppDelegate::saveAllScreens);
    window_->resize(initialWindowSize(context_.deviceClass()));
    window_->show();
    // Arrow keys and +/- reach the plane without a click first.
    controller2D_->equationView()->setFocus();
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
