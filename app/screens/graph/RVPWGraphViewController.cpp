#include "app/screens/graph/RVPWGraphViewController.h"

#include <QAction>
#include <QLabel>
#include <QResizeEvent>
#include <QShowEvent>
#include <QTimer>
#include <QToolBar>
#include <QUndoStack>
#include <algorithm>

#include "app/context/ApplicationContext.h"
#include "app/input/ExpressionInputFactory.h"
#include "app/input/ParserMessageText.h"
#include "app/screens/graph/PhoneChrome.h"
#include "app/screens/graph/PlaneNotice.h"
#include "app/screens/graph/Popover.h"
#include "app/screens/graph/TabletChrome.h"
#include "app/screens/info/RVPWHelpViewController.h"
#include "app/screens/info/RVPWInfoViewController.h"
#include "app/screens/settings/RVPWSettingsViewController.h"
#include "app/shell/NavigationStack.h"
#include "app/shell/sharing/RVPWShareController.h"
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
    buildActions();
    buildSharing();
    emptyHint_ =
        new QLabel(tr("Tap + to add an equation") + u'\n' +
                       tr("(or press %1)")
                           .arg(QKeySequence(QKeySequence::New).toString(QKeySequence::NativeText)),
                   this);
    emptyHint_->setObjectName(QStringLiteral("emptyPlaneHint"));
    emptyHint_->setAlignment(Qt::AlignCenter);
    emptyHint_->setAttribute(Qt::WA_TransparentForMouseEvents);
    emptyHint_->setStyleSheet(QStringLiteral(
        "#emptyPlaneHint { background: rgba(16, 16, 16, 190); color: white; border-radius: 10px;"
        " padding: 12px 18px; font-size: 15px; }"));
    emptyHint_->hide();
    notice_ = new PlaneNotice(this);
    if (context_.deviceClass() == DeviceClass::Phone) {
        // Its delegate is set once the plane is restored: the model is the subclass's.
        expressionViewer_ = new RVPWScreenExpressionViewer(this);
        expressionViewer_->move(10, 30);
        expressionViewer_->hide();
    }
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
    delete help_.data();
    delete about_.data();
    // The loader writes into equations that point into this screen's table.
    if (loader_ != nullptr) {
        loader_->wait();
        delete loader_;
    }
}

void RVPWGraphViewController::buildActions() {
    const bool is3D = plane_ == WorkspaceStorage::Plane::ThreeD;
    struct Item {
        ScreenAction which;
        QIcon icon;
        QString text;
        QKeySequence shortcut;
        std::function<void()> run;
    };
    const std::vector<Item> items{
        {ScreenAction::Add, ToolbarIcons::add(), tr("New equation"), QKeySequence::New,
         [this] { openExpressionInput(); }},
        {ScreenAction::Equations, ToolbarIcons::list(), tr("Equations"),
         QKeySequence(Qt::CTRL | Qt::Key_E), [this] { openEquationList(); }},
        {ScreenAction::Library, ToolbarIcons::bookmarks(), tr("Library"),
         QKeySequence(Qt::CTRL | Qt::Key_L), [this] { openLibrary(); }},
        {ScreenAction::ResetView, ToolbarIcons::refresh(), tr("Reset View"), QKeySequence(),
         [this] { resetView(); }},
        {ScreenAction::SwitchPlane,
         ToolbarIcons::plane(is3D ? QStringLiteral("2D") : QStringLiteral("3D")),
         is3D ? tr("2D Graph") : tr("3D Graph"),
         QKeySequence(Qt::CTRL | (is3D ? Qt::Key_2 : Qt::Key_3)),
         [this] { emit switchPlaneRequested(); }},
        // Copy, save and mail keep their own shortcuts inside the share menu.
        {ScreenAction::Share, ToolbarIcons::share(), tr("Share"), QKeySequence(),
         [this] {
             emit shareRequested(chrome_ != nullptr ? chromeAnchor(action(ScreenAction::Share))
                                                    : this);
         }},
        {ScreenAction::Help, ToolbarIcons::help(), tr("Help"), QKeySequence(Qt::Key_F1),
         [this] { emit helpRequested(); }},
        {ScreenAction::Info, ToolbarIcons::info(), tr("Information"),
         QKeySequence(Qt::CTRL | Qt::Key_I), [this] { emit aboutRequested(); }},
        {ScreenAction::Settings, ToolbarIcons::settings(), tr("Settings"),
         QKeySequence(Qt::CTRL | Qt::Key_Comma), [this] { openSettings(); }},
    };
    for (const Item& item : items) {
        auto* action = new QAction(item.icon, item.text, this);
        action->setShortcut(item.shortcut);
        action->setToolTip(item.shortcut.isEmpty()
                               ? item.text
                               : QStringLiteral("%1 (%2)").arg(
                                     item.text, item.shortcut.toString(QKeySequence::NativeText)));
        action->setEnabled(false);
        connect(action, &QAction::triggered, this, [this, run = item.run] {
            if (loadingDone_) {
                run();
            }
        });
        // On the screen too, so its shortcut works while its bar is hidden.
        addAction(action);
        actions_.emplace(item.which, action);
    }
}

void RVPWGraphViewController::buildSharing() {
    RVPWShareController::Source source;
    source.planeImage = [this] { return imageRepresentation(); };
    source.visibleEquations = [this] { return visibleEquations(); };
    source.exportPlane = [this](const QString& path, const QString& format, QString* error) {
        return exportPlane(path, format, error);
    };
    share_ = new RVPWShareController(this, std::move(source), this);
    for (QAction* action : shareActions()) {
        action->setEnabled(false);
    }
    connect(this, &RVPWGraphViewController::shareRequested, share_, &RVPWShareController::showMenu);
    connect(this, &RVPWGraphViewController::helpRequested, this, [this] { openHelp(); });
    connect(this, &RVPWGraphViewController::aboutRequested, this, [this] { openAbout(); });
}

QList<QAction*> RVPWGraphViewController::shareActions() const {
    return {share_->copyImageAction(), share_->saveImageAction(), share_->emailAction(),
            share_->exportAction()};
}

RVPWHelpViewController* RVPWGraphViewController::openHelp() {
    if (help_) {
        return help_;
    }
    auto* help = new RVPWHelpViewController();
    help_ = help;
    connect(help, &RVPWHelpViewController::done, this, [this, help] { closeScreen(help); });
    NavigationStack::present(help, this);
    return help;
}

RVPWInfoViewController* RVPWGraphViewController::openAbout() {
    if (about_) {
        return about_;
    }
    auto* about = new RVPWInfoViewController();
    about_ = about;
    connect(about, &RVPWInfoViewController::done, this, [this, about] { closeScreen(about); });
    presentFromAction(about, ScreenAction::Info, QSize(320, 416));
    return about;
}

void RVPWGraphViewController::presentFromAction(QWidget* screen, ScreenAction from,
                                                const QSize& tabletPopoverSize) {
    if (context_.deviceClass() == DeviceClass::Tablet) {
        presentPopover(screen, action(from), tabletPopoverSize);
    } else {
        NavigationStack::present(screen, this);
    }
}

void RVPWGraphViewController::closeScreen(QWidget* screen) {
    NavigationStack::dismiss(screen);
    screen->deleteLater();
    planeView()->setFocus();
}

QWidget* RVPWGraphViewController::chromeAnchor(QAction* action) {
    for (QToolBar* bar : chrome_->toolbars()) {
        if (QWidget* button = bar->widgetForAction(action);
            button != nullptr && button->isVisible()) {
            return button;
        }
    }
    return this;
}

QAction* RVPWGraphViewController::action(ScreenAction which) const {
    return actions_.at(which);
}

void RVPWGraphViewController::buildChrome() {
    if (context_.deviceClass() == DeviceClass::Tablet) {
        chrome_ = new TabletChrome(*this);
    } else {
        chrome_ = new PhoneChrome(*this, planeView());
    }
    placeOverlays();
}

QToolBar* RVPWGraphViewController::toolbar() const {
    return chrome_ != nullptr ? chrome_->toolbars().first() : nullptr;
}

void RVPWGraphViewController::placeOverlays() {
    // The plane fills the screen; the bars float over it, and the view keeps its axes clear of
    // them through toolbarHeight.
    if (QWidget* view = planeView()) {
        view->setGeometry(rect());
    }
    const int top = chrome_ != nullptr ? static_cast<int>(chrome_->topOffset()) : 0;
    notice_->place(top);
    const QSize hint = emptyHint_->sizeHint();
    emptyHint_->setGeometry(
        QRect(QPoint((width() - hint.width()) / 2, (height() - hint.height()) / 2), hint));
    emptyHint_->raise();
    if (expressionViewer_ != nullptr) {
        expressionViewer_->move(10, std::max(30, top + 10));
        expressionViewer_->raise();
    }
    notice_->raise();
    if (chrome_ != nullptr) {
        chrome_->place();
    }
}

double RVPWGraphViewController::toolbarHeight() const {
    return chrome_ != nullptr ? chrome_->bottomOffset() : 0.0;
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
    placeOverlays();
}

void RVPWGraphViewController::loadState() {
    if (loadStarted_) {
        return;
    }
    loadStarted_ = true;
    placeOverlays();
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
    for (const auto& [which, action] : actions_) {
        action->setEnabled(true);
    }
    for (QAction* action : shareActions()) {
        action->setEnabled(true);
    }
    for (const QString& text : std::exchange(pending_, {})) {
        if (containsExpression(text)) {
            continue;
        }
        if (const auto rejection = addExpression(text)) {
            emit expressionRejected(text, rejection->message, rejection->position);
        }
    }
    restoreFinished();
    if (expressionViewer_ != nullptr) {
        expressionViewer_->setDelegate(this);
    }
    const EquationListModel* model = &equationModel();
    connect(model, &QAbstractItemModel::rowsInserted, this,
            &RVPWGraphViewController::visibleEquationsChanged);
    connect(model, &QAbstractItemModel::rowsRemoved, this,
            &RVPWGraphViewController::visibleEquationsChanged);
    connect(model, &QAbstractItemModel::rowsMoved, this,
            &RVPWGraphViewController::visibleEquationsChanged);
    connect(model, &QAbstractItemModel::modelReset, this,
            &RVPWGraphViewController::visibleEquationsChanged);
    connect(model, &QAbstractItemModel::dataChanged, this,
            &RVPWGraphViewController::visibleEquationsChanged);
    visibleEquationsChanged();
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

bool RVPWGraphViewController::containsExpression(const QString& text) {
    ParsedExpression parsed = parseExpression(text.toStdU16String(), table_->data());
    if (!parsed.tree) {
        return false;
    }
    const std::u16string& typed = parsed.tree->expressionString();
    const EquationListModel& model = equationModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        const RVEquation* equation = model.equationAt(row);
        if (equation->expression() != nullptr &&
            equation->expression()->expressionString() == typed) {
            return true;
        }
    }
    return false;
}

void RVPWGraphViewController::updateEmptyPlaneHint() {
    emptyHint_->setVisible(loadingDone_ && equationModel().rowCount() == 0);
}

void RVPWGraphViewController::visibleEquationsChanged() {
    updateEmptyPlaneHint();
    if (expressionViewer_ != nullptr) {
        expressionViewer_->reloadCurrent();
    }
}

int RVPWGraphViewController::expressionCountForExpressionViewer() {
    return static_cast<int>(visibleEquations().size());
}

QImage RVPWGraphViewController::imageForExpressionAtIndex(int index) {
    const QList<const RVEquation*> visible = visibleEquations();
    if (index < 0 || index >= visible.size()) {
        return {};
    }
    return expressionViewerImage(*visible[index], devicePixelRatioF());
}

QList<const RVEquation*> RVPWGraphViewController::visibleEquations() const {
    QList<const RVEquation*> result;
    const EquationListModel& model = const_cast<RVPWGraphViewController*>(this)->equationModel();
    for (int row = 0; row < model.rowCount(); ++row) {
        if (const RVEquation* equation = model.equationAt(row); equation->visible()) {
            result.append(equation);
        }
    }
    return result;
}

void RVPWGraphViewController::showNotice(const QString& message) {
    notice_->showMessage(message);
    placeOverlays();
}

Popover* RVPWGraphViewController::presentPopover(QWidget* screen, QAction* from,
                                                 const QSize& size) {
    auto* popover = new Popover(screen, size, this);
    popover->showAt(this, chrome_ != nullptr ? chrome_->anchorRect(from) : QRect());
    return popover;
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
    input->present(this, chrome_->anchorRect(action(ScreenAction::Add)));
    return input;
}

RVPWExpressionsTableViewController* RVPWGraphViewController::openEquationList() {
    if (!loadingDone_) {
        return nullptr;
    }
    if (context_.deviceClass() == DeviceClass::Tablet) {
        emit equationListRequested();
        return masterList();
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

RVPWExpressionsTableViewController* RVPWGraphViewController::masterList() {
    if (!masterList_) {
        masterList_ = new RVPWExpressionsTableViewController(
            context_, equationModel(), table_->data(), plane_ == WorkspaceStorage::Plane::ThreeD,
            *undoStack_);
        masterList_->setDelegate(this);
    }
    return masterList_;
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
    presentFromAction(library, ScreenAction::Library, QSize(480, 440));
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
    delete masterList_.data();
}

void RVPWGraphViewController::expressionsControllerDone(
    RVPWExpressionsTableViewController* controller) {
    if (controller == masterList_) {
        // The tablet's list stays beside the plane.
        emit masterListDone();
        return;
    }
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
