#include "app/shell/mirror/RVPWExternalDisplayViewController.h"

#include "app/context/ApplicationContext.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "graph2d/view/RVEquation2DView.h"
#include "graph3d/view/RVEquation3DView.h"

namespace plotwise {

namespace {

// The mirror only shows: the pointer, fingers and keys belong to the main window (Escape
// reaches the external window through this view).
void makeDisplayOnly(QWidget* view) {
    view->setAttribute(Qt::WA_TransparentForMouseEvents);
    view->setAttribute(Qt::WA_AcceptTouchEvents, false);
    view->setFocusPolicy(Qt::NoFocus);
}

}  // namespace

RVPWExternalDisplayViewController::RVPWExternalDisplayViewController(QWidget* parent)
    : QWidget(parent) {
    QPalette black = palette();
    black.setColor(QPalette::Window, Qt::black);
    setPalette(black);
    setAutoFillBackground(true);
    setFocusPolicy(Qt::NoFocus);
}

RVPWExternalDisplayViewController::~RVPWExternalDisplayViewController() {
    forget();
    delete view_.data();
}

void RVPWExternalDisplayViewController::forget() {
    for (const QMetaObject::Connection& connection : frontConnections_) {
        disconnect(connection);
    }
    frontConnections_.clear();
    front_.clear();
}

void RVPWExternalDisplayViewController::showPlaneOf(RVPWGraphViewController* front) {
    forget();
    front_ = front;
    if (front == nullptr) {
        setMode(Mode::None);
        return;
    }
    setMode(front->plane() == WorkspaceStorage::Plane::ThreeD ? Mode::ThreeD : Mode::TwoD);
    attachModel();
    applySettings();
    applyState(frontState());
    frontConnections_.push_back(connect(front, &RVPWGraphViewController::viewStateChanged, this,
                                        &RVPWExternalDisplayViewController::applyState));
    // The screen's model goes with it: so do the mirror's equations.
    frontConnections_.push_back(connect(front, &QObject::destroyed, this, [this] {
        forget();
        setMode(Mode::None);
    }));
    NotificationCenter& center = front->context().notificationCenter();
    for (const QLatin1String& name :
         {useDarkBackground2DNotification, useThickLinesNotification,
          useProportionalZoomNotification, useLightBackground3DNotification,
          display3DValuesNotification}) {
        frontConnections_.push_back(
            center.addObserver(name, this, [this](QObject*) { applySettings(); }));
    }
}

void RVPWExternalDisplayViewController::setMode(Mode mode) {
    if (mode == mode_ && (view_ || mode == Mode::None)) {
        return;
    }
    if (view_) {
        // Deleted with its model still set: a 3D view drawing one more frame without it would
        // free every buffer of the share group, the 3D screen's too.
        delete view_.data();
    }
    mode_ = mode;
    QWidget* view = nullptr;
    if (mode == Mode::TwoD) {
        auto* view2D = new RVEquation2DView(this);
        view2D->setIsDisplayOnly(true);
        view = view2D;
    } else if (mode == Mode::ThreeD && RVEquation3DView::openGLAvailable()) {
        view = new RVEquation3DView(this);
    }
    view_ = view;
    if (view != nullptr) {
        makeDisplayOnly(view);
        view->setGeometry(rect());
        view->show();
    }
    emit currentViewChanged(view);
}

void RVPWExternalDisplayViewController::attachModel() {
    const DeviceClass device = front_->context().deviceClass();
    if (auto* view2D = qobject_cast<RVEquation2DView*>(view_)) {
        auto* screen = qobject_cast<RVPW2DViewController*>(front_);
        view2D->setDeviceClass(device);
        view2D->setModel(screen != nullptr ? &screen->equations() : nullptr);
    } else if (auto* view3D = qobject_cast<RVEquation3DView*>(view_)) {
        auto* screen = qobject_cast<RVPW3DViewController*>(front_);
        view3D->setDeviceClass(device);
        // The screen's box first: the model's meshes are then already made for it.
        view3D->setViewstateWithDictionary(frontState());
        const RVPWSettingsManager& settings = front_->context().settings();
        view3D->setShowRotationBox([&settings] { return settings.showRotationBox(); });
        view3D->setFasterImplicits(
            [&settings] { return settings.fasterLessAccurate3DAlgorithm(); });
        view3D->setModel(screen != nullptr ? &screen->equations() : nullptr);
    }
}

QVariantMap RVPWExternalDisplayViewController::frontState() const {
    if (auto* screen = qobject_cast<RVPW2DViewController*>(front_)) {
        return screen->equationView()->dictionaryWithViewState();
    }
    if (auto* screen = qobject_cast<RVPW3DViewController*>(front_)) {
        if (screen->equationView() != nullptr) {
            return screen->equationView()->dictionaryWithViewState();
        }
    }
    return {};
}

void RVPWExternalDisplayViewController::applyState(const QVariantMap& state) {
    if (auto* view2D = qobject_cast<RVEquation2DView*>(view_)) {
        view2D->setViewstateWithDictionary(state);
    } else if (auto* view3D = qobject_cast<RVEquation3DView*>(view_)) {
        view3D->setViewstateWithDictionary(state);
        view3D->update();
    }
}

void RVPWExternalDisplayViewController::applySettings() {
    if (!front_) {
        return;
    }
    const RVPWSettingsManager& settings = front_->context().settings();
    if (auto* view2D = qobject_cast<RVEquation2DView*>(view_)) {
        view2D->setLockAxisZoom(settings.useProportionalZoom2D());
        view2D->setUseDarkBackground(settings.useDarkBackground2D());
        view2D->setUseThickLines(settings.useThickLines2D());
    } else if (auto* view3D = qobject_cast<RVEquation3DView*>(view_)) {
        view3D->setUseLightBackground(settings.useLightBackground3D());
        view3D->setDisplayValues(settings.display3DValues());
    }
}

void RVPWExternalDisplayViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    if (view_) {
        view_->setGeometry(rect());
    }
}

}  // namespace plotwise
