#include "app/screens/graph/RVPW3DViewController.h"

#include <QImage>
#include <QLabel>

#include "app/context/ApplicationContext.h"
#include "app/screens/graph/GraphScreenChrome.h"
#include "app/shell/sharing/PlaneImageExport.h"
#include "graph3d/view/RVEquation3DView.h"

namespace plotwise {

RVPW3DViewController::RVPW3DViewController(ApplicationContext& context, QWidget* parent)
    : RVPWGraphViewController(context, WorkspaceStorage::Plane::ThreeD, parent) {
    if (RVEquation3DView::openGLAvailable()) {
        view_ = new RVEquation3DView(this);
        view_->lower();
        view_->setDelegate(this);
        view_->setDeviceClass(context.deviceClass());
        const RVPWSettingsManager& settings = context.settings();
        view_->setShowRotationBox([&settings] { return settings.showRotationBox(); });
        view_->setFasterImplicits([&settings] { return settings.fasterLessAccurate3DAlgorithm(); });
        view_->setModel(&model_);
        // Shaders that do not build leave a blank view: say why instead.
        connect(view_, &RVEquation3DView::renderingFailed, this, [this](const QString& log) {
            qWarning("3D view: %s", qPrintable(log));
            showMessage(tr(noOpenGLText));
            noOpenGL_->setGeometry(rect());
            noOpenGL_->raise();
            chrome().place();
        });
    } else {
        showMessage(tr(noOpenGLText));
    }
    applySettings();

    NotificationCenter& center = context.notificationCenter();
    for (const QLatin1String& name :
         {useLightBackground3DNotification, display3DValuesNotification}) {
        center.addObserver(name, this, [this](QObject*) { applySettings(); });
    }
    buildChrome();
}

void RVPW3DViewController::showMessage(const QString& text) {
    // In place of the view: without OpenGL a QOpenGLWidget would make the whole window
    // GL-composited, and fail with it.
    if (noOpenGL_ == nullptr) {
        noOpenGL_ = new QLabel(this);
        noOpenGL_->setAlignment(Qt::AlignCenter);
        noOpenGL_->setWordWrap(true);
        noOpenGL_->setStyleSheet(QStringLiteral("background: black; color: white;"));
        noOpenGL_->lower();
    }
    noOpenGL_->setText(text);
}

RVPW3DViewController::~RVPW3DViewController() {
    // Before the model, which lives in this class, goes.
    closeEquationList();
    if (view_ != nullptr) {
        view_->setDelegate(nullptr);
        view_->setModel(nullptr);
    }
}

void RVPW3DViewController::applySettings() {
    if (view_ == nullptr) {
        return;
    }
    const RVPWSettingsManager& settings = context().settings();
    view_->setUseLightBackground(settings.useLightBackground3D());
    view_->setDisplayValues(settings.display3DValues());
}

const SceneState3D& RVPW3DViewController::sceneState() const {
    return view_ != nullptr ? view_->sceneState() : storedState_;
}

QWidget* RVPW3DViewController::planeView() const {
    return view_ != nullptr ? static_cast<QWidget*>(view_) : noOpenGL_;
}

void RVPW3DViewController::resizeEvent(QResizeEvent* event) {
    RVPWGraphViewController::resizeEvent(event);
    if (view_ != nullptr && noOpenGL_ != nullptr) {
        noOpenGL_->setGeometry(rect());
    }
}

QVariantMap RVPW3DViewController::viewStateDictionary() const {
    return sceneState().dictionaryWithViewState();
}

void RVPW3DViewController::setViewStateDictionary(const QVariantMap& state) {
    if (view_ != nullptr) {
        view_->setViewstateWithDictionary(state);
        view_->update();
    } else {
        storedState_.setViewstateWithDictionary(state);
    }
}

RVPWGraphViewController::RestoreFunction RVPW3DViewController::restoreFunction() {
    // Read here, on this thread: the loader meshes with the restored limits and setting.
    const SceneState3D state = sceneState();
    const DeviceClass device = context().deviceClass();
    const bool faster = context().settings().fasterLessAccurate3DAlgorithm();
    const bool mesh = view_ != nullptr;
    if (view_ != nullptr) {
        view_->setLoadingState(true);
    }
    return [state, device, faster, mesh](const QVariantMap& stored,
                                         double* table) -> std::unique_ptr<RVEquation> {
        auto equation = RVEquation3D::equation3DwithStateFromDictionary(stored, table);
        if (equation && mesh) {
            equation->evaluateWithLimits(state.limitsForType(equation->type(), device), device,
                                         faster);
        }
        return equation;
    };
}

std::unique_ptr<RVEquation> RVPW3DViewController::equationWithState(const QVariantMap& state) {
    return RVEquation3D::equation3DwithStateFromDictionary(state, variableTable());
}

std::unique_ptr<RVEquation> RVPW3DViewController::equationWithTree(
    std::unique_ptr<RVOperationTree> tree) {
    return RVEquation3D::equation3DwithOperationTree(std::move(tree));
}

void RVPW3DViewController::restoreFinished() {
    if (view_ == nullptr) {
        return;
    }
    view_->setLoadingState(false);
    // Rebuilds only what changed since the loader's limits were taken.
    view_->evaluateAllFunctions();
    applySettings();
    view_->update();
    view_->setFocus();
}

void RVPW3DViewController::reappeared() {
    if (view_ != nullptr) {
        view_->update();
        view_->setFocus();
    }
}

void RVPW3DViewController::resetView() {
    if (view_ != nullptr) {
        view_->resetView();
    } else {
        storedState_.resetView();
    }
}

void RVPW3DViewController::equationViewDidChangeStateDictionary(const QVariantMap& state) {
    reportViewState(state);
}

QImage RVPW3DViewController::imageRepresentation() {
    if (view_ != nullptr) {
        return view_->imageRepresentation();
    }
    return grab().toImage();
}

bool RVPW3DViewController::exportPlane(const QString& path, const QString& format, QString* error) {
    return exportPlaneImage(imageRepresentation(), path, format, error);
}

}  // namespace plotwise
