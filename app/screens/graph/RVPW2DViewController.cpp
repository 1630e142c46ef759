#include "app/screens/graph/RVPW2DViewController.h"

#include <QAction>
#include <QCoreApplication>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>

#include "app/input/ParserMessageText.h"
#include "app/storage/NotificationCenter.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/RVPWSettingsManager.h"
#include "app/storage/WorkspaceStorage.h"
#include "app/widgets/RVLoadingView.h"
#include "app/widgets/ToolbarIcons.h"
#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise {

namespace {

// The overlay stays up this long after the restore so the finished plane does not flash.
constexpr int kOverlayRemovalDelayMilliseconds = 300;

}  // namespace

RVPW2DViewController::RVPW2DViewController(PreferenceStore& store, DeviceClass device,
                                           QWidget* parent)
    : QWidget(parent),
      store_(store),
      device_(device),
      table_(std::make_unique<VariableTable>()),
      view_(new RVEquation2DView(this)) {
    table_->fill(0.0);
    view_->setDelegate(this);
    view_->setDeviceClass(device);
    view_->setLockAxisZoom(RVPWSettingsManager::useProportionalZoom2D());
    view_->setUseDarkBackground(RVPWSettingsManager::useDarkBackground2D());
    view_->setUseThickLines(RVPWSettingsManager::useThickLines2D());
    buildToolbar();
    setupNotifications();
}

RVPW2DViewController::~RVPW2DViewController() {
    // The loader writes into equations that point into this screen's table.
    if (loader_ != nullptr) {
        loader_->wait();
        delete loader_;
    }
    view_->setDelegate(nullptr);
    view_->clear();
}

void RVPW2DViewController::buildToolbar() {
    toolbar_ = new QToolBar(this);
    toolbar_->setMovable(false);
    toolbar_->setFloatable(false);
    toolbar_->setToolButtonStyle(Qt::ToolButtonIconOnly);
    toolbar_->setIconSize(QSize(28, 28));
    toolbar_->setStyleSheet(QStringLiteral(
        "QToolBar { background: rgba(16, 16, 16, 210); border: none; spacing: 12px; }"
        "QToolButton { color: white; border-radius: 6px; padding: 4px; }"
        "QToolButton:hover { background: rgba(255, 255, 255, 40); }"
        "QToolButton:pressed { background: rgba(255, 255, 255, 80); }"));

    auto* leading = new QWidget(toolbar_);
    leading->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar_->addWidget(leading);
    resetViewAction_ = toolbar_->addAction(ToolbarIcons::refresh(), tr("Reset View"));
    resetViewAction_->setToolTip(tr("Reset View"));
    connect(resetViewAction_, &QAction::triggered, this, [this] {
        if (loadingDone_) {
            resetView();
        }
    });
    auto* trailing = new QWidget(toolbar_);
    trailing->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    toolbar_->addWidget(trailing);
    placeToolbar();
}

void RVPW2DViewController::placeToolbar() {
    // The plane fills the screen; the bar floats over its bottom edge, and the view keeps its
    // axes clear of it through sizeWithTopAndBottomOffsets.
    view_->setGeometry(rect());
    const int barHeight = toolbar_->sizeHint().height();
    toolbar_->setGeometry(0, height() - barHeight, width(), barHeight);
    toolbar_->raise();
}

void RVPW2DViewController::setupNotifications() {
    NotificationCenter& center = NotificationCenter::defaultCenter();
    center.addObserver(useDarkBackground2DNotification, this, [this](QObject*) {
        view_->setUseDarkBackground(RVPWSettingsManager::useDarkBackground2D());
    });
    center.addObserver(useThickLinesNotification, this, [this](QObject*) {
        view_->setUseThickLines(RVPWSettingsManager::useThickLines2D());
    });
    center.addObserver(useProportionalZoomNotification, this, [this](QObject*) {
        view_->setLockAxisZoom(RVPWSettingsManager::useProportionalZoom2D());
    });
    center.addObserver(shakeBeganNotification, this, [this](QObject*) {
        if (RVPWSettingsManager::shakeEnabled() && isVisible() && loadingDone_) {
            resetView();
        }
    });
}

void RVPW2DViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loadStarted_) {
        // After this turn of the event loop, so the window is laid out before the limits of
        // the restore are taken.
        QTimer::singleShot(0, this, &RVPW2DViewController::loadState);
    } else if (loadingDone_) {
        view_->update();
        refreshVisibleExpressions();
    }
}

void RVPW2DViewController::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        saveState();
    }
}

void RVPW2DViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeToolbar();
}

void RVPW2DViewController::loadState() {
    if (loadStarted_) {
        return;
    }
    loadStarted_ = true;
    view_->setEnabled(false);
    loadingView_ = RVLoadingView::loadingViewInView(this, tr("Loading..."));

    view_->setViewstateWithDictionary(
        WorkspaceStorage::storedViewState(store_, WorkspaceStorage::Plane::TwoD));
    const QVariantList states =
        WorkspaceStorage::storedEquationStates(store_, WorkspaceStorage::Plane::TwoD);
    const EvaluationLimits2D limits = view_->evaluationLimits();
    double* table = table_->data();
    const DeviceClass device = device_;
    // Only the loader touches the table and the restored equations until it has finished: the
    // view holds none of them yet, so nothing on this thread samples meanwhile.
    loader_ = QThread::create([this, states, limits, table, device] {
        WorkspaceStorage::restoreEquations(states, table,
                                           &RVEquation2D::equation2DwithStateFromDictionary,
                                           [&](std::unique_ptr<RVEquation2D> equation) {
                                               equation->evaluateWithLimits(limits, device);
                                               restored_.push_back(std::move(equation));
                                           });
    });
    connect(loader_, &QThread::finished, this, &RVPW2DViewController::stateLoadingDone);
    loader_->start();
}

void RVPW2DViewController::stateLoadingDone() {
    loader_->wait();
    loader_->deleteLater();
    loader_ = nullptr;
    for (auto& equation : restored_) {
        view_->addEquation(equation.get(), false);
        equations_.push_back(std::move(equation));
    }
    restored_.clear();
    loadingDone_ = true;
    for (const QString& text : std::exchange(pending_, {})) {
        if (const auto rejection = addExpression(text)) {
            emit expressionRejected(text, rejection->message, rejection->position);
        }
    }
    // Resamples only what the window changed since the loader's limits were taken.
    view_->evaluateAllFunctions();
    view_->update();
    refreshVisibleExpressions();
    view_->setEnabled(true);
    if (loadingView_) {
        QTimer::singleShot(kOverlayRemovalDelayMilliseconds, loadingView_.data(),
                           &RVLoadingView::removeView);
    }
    emit loadingFinished();
}

void RVPW2DViewController::saveState() {
    if (!loadingDone_) {
        return;
    }
    WorkspaceStorage::savePlane(store_, WorkspaceStorage::Plane::TwoD, equations_,
                                view_->dictionaryWithViewState());
}

std::optional<RVPW2DViewController::Rejection> RVPW2DViewController::addExpression(
    const QString& text) {
    ParsedExpression parsed = parseExpression(text.toStdU16String(), table_->data());
    if (!parsed.tree) {
        return Rejection{translatedParserMessage(*parsed.error),
                         static_cast<int>(parsed.errorPosition)};
    }
    auto equation = RVEquation2D::equation2DwithOperationTree(std::move(parsed.tree));
    equation->setVisible(true);
    equation->setDefaultColorForExpressionType();
    addEquation(std::move(equation));
    return std::nullopt;
}

void RVPW2DViewController::addEquation(std::unique_ptr<RVEquation2D> equation) {
    view_->addEquation(equation.get(), true);
    equations_.push_back(std::move(equation));
    refreshVisibleExpressions();
}

void RVPW2DViewController::resetView() {
    view_->resetView();
}

void RVPW2DViewController::refreshVisibleExpressions() {
    visibleExpressions_.clear();
    for (const auto& equation : equations_) {
        if (equation->visible()) {
            visibleExpressions_.append(equation.get());
        }
    }
}

QList<RVEquation2DView*> RVPW2DViewController::arrayWithVisible2DViews() {
    return {view_};
}

void RVPW2DViewController::equationViewDidChangeStateDictionary(const QVariantMap& state) {
    emit viewStateChanged(state);
}

QSizeF RVPW2DViewController::sizeWithTopAndBottomOffsets() {
    return {0.0, toolbar_ != nullptr && toolbar_->isVisible()
                     ? static_cast<double>(toolbar_->height())
                     : 0.0};
}

}  // namespace plotwise
