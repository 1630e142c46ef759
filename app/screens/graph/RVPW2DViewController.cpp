#include "app/screens/graph/RVPW2DViewController.h"

#include <QImage>
#include <QPainter>
#include <QScreen>

#include "app/context/ApplicationContext.h"
#include "graph2d/view/PlaneFileWriter.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise {

RVPW2DViewController::RVPW2DViewController(ApplicationContext& context, QWidget* parent)
    : RVPWGraphViewController(context, WorkspaceStorage::Plane::TwoD, parent),
      view_(new RVEquation2DView(this)) {
    view_->lower();
    view_->setDelegate(this);
    view_->setDeviceClass(context.deviceClass());
    view_->setModel(&model_);
    applySettings();
    NotificationCenter& center = context.notificationCenter();
    for (const QLatin1String& name : {useDarkBackground2DNotification, useThickLinesNotification,
                                      useProportionalZoomNotification}) {
        center.addObserver(name, this, [this](QObject*) { applySettings(); });
    }
    buildChrome();
}

RVPW2DViewController::~RVPW2DViewController() {
    // Before the model, which lives in this class, goes.
    closeEquationList();
    view_->setDelegate(nullptr);
    view_->setModel(nullptr);
}

void RVPW2DViewController::applySettings() {
    const RVPWSettingsManager& settings = context().settings();
    view_->setLockAxisZoom(settings.useProportionalZoom2D());
    view_->setUseDarkBackground(settings.useDarkBackground2D());
    view_->setUseThickLines(settings.useThickLines2D());
}

QWidget* RVPW2DViewController::planeView() const {
    return view_;
}

QVariantMap RVPW2DViewController::viewStateDictionary() const {
    return view_->dictionaryWithViewState();
}

void RVPW2DViewController::setViewStateDictionary(const QVariantMap& state) {
    view_->setViewstateWithDictionary(state);
}

RVPWGraphViewController::RestoreFunction RVPW2DViewController::restoreFunction() {
    const EvaluationLimits2D limits = view_->evaluationLimits();
    const DeviceClass device = context().deviceClass();
    return
        [limits, device](const QVariantMap& state, double* table) -> std::unique_ptr<RVEquation> {
            auto equation = RVEquation2D::equation2DwithStateFromDictionary(state, table);
            if (equation) {
                equation->evaluateWithLimits(limits, device);
            }
            return equation;
        };
}

std::unique_ptr<RVEquation> RVPW2DViewController::equationWithState(const QVariantMap& state) {
    return RVEquation2D::equation2DwithStateFromDictionary(state, variableTable());
}

std::unique_ptr<RVEquation> RVPW2DViewController::equationWithTree(
    std::unique_ptr<RVOperationTree> tree) {
    return RVEquation2D::equation2DwithOperationTree(std::move(tree));
}

void RVPW2DViewController::restoreFinished() {
    // Resamples only what the window changed since the loader's limits were taken.
    view_->evaluateAllFunctions();
    view_->update();
}

void RVPW2DViewController::reappeared() {
    view_->update();
}

void RVPW2DViewController::resetView() {
    view_->resetView();
}

QList<RVEquation2DView*> RVPW2DViewController::arrayWithVisible2DViews() {
    QList<RVEquation2DView*> views{view_};
    if (auto* mirror = qobject_cast<RVEquation2DView*>(externalView()); mirror != nullptr) {
        views.append(mirror);
    }
    return views;
}

void RVPW2DViewController::equationViewDidChangeStateDictionary(const QVariantMap& state) {
    reportViewState(state);
}

QImage RVPW2DViewController::imageRepresentation() {
    return view_->imageRepresentation();
}

QSizeF RVPW2DViewController::sizeWithTopAndBottomOffsets() {
    return {0.0, toolbarHeight()};
}

bool RVPW2DViewController::exportPlane(const QString& path, const QString& format, QString* error) {
    const std::optional<PlaneFileFormat> kind = PlaneFileWriter::formatNamed(format);
    if (!kind) {
        *error = tr("Unknown format \"%1\"").arg(format);
        return false;
    }
    const qreal ratio = view_->screen() ? view_->screen()->devicePixelRatio() : 1.0;
    const std::optional<QString> failure = PlaneFileWriter::write(
        path, *kind, view_->size(),
        [this, size = QSizeF(view_->size())](QPainter& painter) {
            view_->drawPlane(painter, size);
        },
        ratio);
    if (failure) {
        *error = *failure;
        return false;
    }
    return true;
}

}  // namespace plotwise
