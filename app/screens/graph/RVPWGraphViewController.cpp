#include "app/screens/graph/RVPWGraphViewController.h"

#include <QAction>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>

#include "app/context/ApplicationContext.h"
#include "app/input/ExpressionInputFactory.h"
#include "app/input/ParserMessageText.h"
#include "app/screens/settings/RVPWSettingsViewController.h"
#include "app/shell/NavigationStack.h"
#include "app/widgets/RVLoadingView.h"
#include "app/widgets/ToolbarIcons.h"
#include "engine/ExpressionParsing.h"

namespace plotwise {

namespace {

// The overlay stays up this long after the restore so the finished plane does not flash.
constexpr int kOverlayRemovalDelayMilliseconds = 300;

}  // namespace

RVPWGraphViewController::RVPWGraphViewController(ApplicationContext& context,
                                                 WorkspaceStorage::Plane plane, QWidget* parent)
    : QWidget(parent),
      context_(context),
      plane_(plane),
      table_(std::make_unique<VariableTable>()),
      undoStack_(new QUndoStack(this)) {
    table_->fill(0.0);
    undoStack_->setUndoLimit(50);
    buildToolbar();
    context_.notificationCenter().addObserver(shakeBeganNotification, this, [this](QObject*) {
        if (context_.settings().shakeEnabled() && isVisible() && loadingDone_) {
            resetView();
        }
    });
}

RVPWGraphViewController::~RVPWGraphViewController() {
    closeEquationList();
    delete settings_.data();
    delete library_.data();
    // The loader writes into equations that point into this screen's table.
    if (loader_ != nullptr) {
        loader_->wait();
        delete loader_;
    }
}

void RVPWGraphViewController::buildToolbar() {
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
    addEquationAction_ = toolbar_->addAction(ToolbarIcons::add(), tr("New equation"));
    addEquationAction_->setToolTip(tr("New equation (Ctrl+N)"));
    addEquationAction_->setShortcut(QKeySequence::New);
    addEquationAction_->setEnabled(false);
    connect(addEquationAction_, &QAction::triggered, this, [this] { openExpressionInput(); });
    equationsAction_ = toolbar_->addAction(ToolbarIcons::list(), tr("Equations"));
    equationsAction_->setToolTip(tr("Equations (Ctrl+E)"));
    equationsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_E));
    equationsAction_->setEnabled(false);
    connect(equationsAction_, &QAction::triggered, this, [this] { openEquationList(); });
    resetViewAction_ = toolbar_->addAction(ToolbarIcons::refresh(), tr("Reset View"));
    resetViewAction_->setToolTip(tr("Reset View"));
    connect(resetViewAction_, &QAction::triggered, this, [this] {
        if (loadingDone_) {
            resetView();
        }
    });
    libraryAction_ = toolbar_->addAction(ToolbarIcons::bookmarks(), tr("Library"));
    libraryAction_->setToolTip(tr("Library (Ctrl+L)"));
    libraryAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_L));
    libraryAction_->setEnabled(false);
    connect(libraryAction_, &QAction::triggered, this, [this] { openLibrary(); });
    settingsAction_ = toolbar_->addAction(ToolbarIcons::settings(), tr("Settings"));
    settingsAction_->setToolTip(tr("Settings (Ctrl+,)"));
    settingsAction_->setShortcut(QKeySequence(Qt::CTRL | Qt::Key_Comma));
    connect(settingsAction_, &QAction::triggered, this, [this] { openSettings(); });
    auto* trailing = new QWidget(toolbar_);
    trailing->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
    trailingSpace_ = toolbar_->addWidget(trailing);
}

QAction* RVPWGraphViewController::addToolbarAction(const QIcon& icon, const QString& text) {
    auto* action = new QAction(icon, text, toolbar_);
    action->setToolTip(text);
    toolbar_->insertAction(trailingSpace_, action);
    return action;
}

void RVPWGraphViewController::placeToolbar() {
    // The plane fills the screen; the bar floats over its bottom edge, and the view keeps its
    // axes clear of it through toolbarHeight.
    if (QWidget* view = planeView()) {
        view->setGeometry(rect());
    }
    const int barHeight = toolbar_->sizeHint().height();
    toolbar_->setGeometry(0, height() - barHeight, width(), barHeight);
    toolbar_->raise();
}

double RVPWGraphViewController::toolbarHeight() const {
    return toolbar_ != nullptr && toolbar_->isVisible() ? static_cast<double>(toolbar_->height())
                                                        : 0.0;
}

void RVPWGraphViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    if (!loadStarted_) {
        // After this turn of the event loop, so the window is laid out before the limits of
        // the restore are taken.
        QTimer::singleShot(0, this, &RVPWGraphViewController::loadState);
    } else if (loadingDone_) {
        reappeared();
    }
}

void RVPWGraphViewController::hideEvent(QHideEvent* event) {
    QWidget::hideEvent(event);
    if (!event->spontaneous()) {
        saveState();
    }
}

void RVPWGraphViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    placeToolbar();
}

void RVPWGraphViewController::loadState() {
    if (loadStarted_) {
        return;
    }
    loadStarted_ = true;
    placeToolbar();
    planeView()->setEnabled(false);
    loadingView_ = RVLoadingView::loadingViewInView(this, tr("Loading..."));

    setViewStateDictionary(WorkspaceStorage::storedViewState(context_.store(), plane_));
    const QVariantList states = WorkspaceStorage::storedEquationStates(context_.store(), plane_);
    double* table = table_->data();
    // Only the loader touches the table and the restored equations until it has finished: the
    // model holds none of them yet, so nothing on this thread samples meanwhile.
    loader_ = QThread::create([this, states, table, restore = restoreFunction()] {
        WorkspaceStorage::restoreEquations(states, table, restore,
                                           [&](std::unique_ptr<RVEquation> equation) {
                                               restored_.push_back(std::move(equation));
                                           });
    });
    connect(loader_, &QThread::finished, this, &RVPWGraphViewController::stateLoadingDone);
    loader_->start();
}

void RVPWGraphViewController::stateLoadingDone() {
    loader_->wait();
    loader_->deleteLater();
    loader_ = nullptr;
    equationModel().appendEquations(std::exchange(restored_, {}));
    loadingDone_ = true;
    addEquationAction_->setEnabled(true);
    equationsAction_->setEnabled(true);
    libraryAction_->setEnabled(true);
    for (const QString& text : std::exchange(pending_, {})) {
        if (const auto rejection = addExpression(text)) {
            emit expressionRejected(text, rejection->message, rejection->position);
        }
    }
    restoreFinished();
    planeView()->setEnabled(true);
    if (loadingView_) {
        QTimer::singleShot(kOverlayRemovalDelayMilliseconds, loadingView_.data(),
                           &RVLoadingView::removeView);
    }
    emit loadingFinished();
}

void RVPWGraphViewController::saveState() {
    if (!loadingDone_) {
        return;
    }
    WorkspaceStorage::savePlaneStates(
        context_.store(), plane_, equationModel().dictionariesWithState(), viewStateDictionary());
}

std::optional<RVPWGraphViewController::Rejection> RVPWGraphViewController::addExpression(
    const QString& text) {
    ParsedExpression parsed = parseExpression(text.toStdU16String(), table_->data());
    if (!parsed.tree) {
        return Rejection{translatedParserMessage(*parsed.error),
                         static_cast<int>(parsed.errorPosition)};
    }
    addTree(std::move(parsed.tree));
    return std::nullopt;
}

void RVPWGraphViewController::addTree(std::unique_ptr<RVOperationTree> tree) {
    std::unique_ptr<RVEquation> equation = equationWithTree(std::move(tree));
    equation->setVisible(true);
    equation->setDefaultColorForExpressionType(context_.settings().defaultColor());
    equationModel().appendEquation(std::move(equation));
}

RVPWExpressionInputController* RVPWGraphViewController::openExpressionInput() {
    if (!loadingDone_) {
        return nullptr;
    }
    RVPWExpressionInputController* input =
        makeExpressionInput(context_, table_->data(), plane_ == WorkspaceStorage::Plane::ThreeD,
                            tr("New equation"), QString(), this, this);
    const QWidget* button = toolbar_->widgetForAction(addEquationAction_);
    const QRect anchor = button != nullptr ? QRect(button->mapTo(this, QPoint()), button->size())
                                           : QRect(width() / 2, height() - 1, 1, 1);
    input->present(this, anchor);
    return input;
}

RVPWExpressionsTableViewController* RVPWGraphViewController::openEquationList() {
    if (!loadingDone_) {
        return nullptr;
    }
    if (list_) {
        return list_;
    }
    auto* list = new RVPWExpressionsTableViewController(context_, equationModel(), table_->data(),
                                                        plane_ == WorkspaceStorage::Plane::ThreeD,
                                                        *undoStack_);
    list->setDelegate(this);
    list_ = list;
    NavigationStack::present(list, this);
    return list;
}

RVPWSettingsViewController* RVPWGraphViewController::settingsController() const {
    return settings_;
}

RVPWSettingsViewController* RVPWGraphViewController::openSettings() {
    if (settings_) {
        return settings_;
    }
    auto* settings = new RVPWSettingsViewController(context_);
    settings_ = settings;
    connect(settings, &RVPWSettingsViewController::doneRequested, this, [this, settings] {
        NavigationStack::dismiss(settings);
        settings->deleteLater();
        planeView()->setFocus();
    });
    NavigationStack::present(settings, this);
    settings->setFocus();
    return settings;
}

RVPWLibraryViewController* RVPWGraphViewController::openLibrary() {
    if (!loadingDone_) {
        return nullptr;
    }
    if (library_) {
        return library_;
    }
    const QString fileName = plane_ == WorkspaceStorage::Plane::ThreeD
                                 ? QString(LibraryStorage::library3DFileName)
                                 : QString(LibraryStorage::library2DFileName);
    auto* library = new RVPWLibraryViewController(context_, table_->data(), fileName);
    library->setCurrentExpressions(equationModel());
    library->setDelegate(this);
    library_ = library;
    NavigationStack::present(library, this);
    return library;
}

void RVPWGraphViewController::libraryControllerDidCancel(RVPWLibraryViewController* controller) {
    NavigationStack::dismiss(controller);
    controller->setDelegate(nullptr);
    controller->deleteLater();
    planeView()->setFocus();
}

void RVPWGraphViewController::libraryController(RVPWLibraryViewController* controller,
                                                const RVEquation& equation) {
    std::unique_ptr<RVEquation> chosen = equationWithState(equation.dictionaryWithState());
    libraryControllerDidCancel(controller);
    if (chosen) {
        chosen->setDefaultColorForExpressionType(context_.settings().defaultColor());
        equationModel().appendEquation(std::move(chosen));
    }
}

void RVPWGraphViewController::closeEquationList() {
    // The list and its screens are siblings on the navigation stack, not children.
    delete list_.data();
}

void RVPWGraphViewController::expressionsControllerDone(
    RVPWExpressionsTableViewController* controller) {
    NavigationStack::dismiss(controller);
    controller->deleteLater();
    planeView()->setFocus();
}

std::unique_ptr<RVEquation> RVPWGraphViewController::treeHolderWithTree(
    std::unique_ptr<RVOperationTree> tree) {
    return tree ? equationWithTree(std::move(tree)) : nullptr;
}

void RVPWGraphViewController::keyboardDidCancel(RVPWExpressionInputController* keyboard) {
    keyboard->dismiss();
    planeView()->setFocus();
}

void RVPWGraphViewController::keyboard(RVPWExpressionInputController* keyboard,
                                       std::unique_ptr<RVOperationTree> tree) {
    if (tree) {
        addTree(std::move(tree));
    }
    keyboard->dismiss();
    planeView()->setFocus();
}

}  // namespace plotwise
