#pragma once

#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QVariantList>
#include <QWidget>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <vector>

#include "app/input/RVPWExpressionInputController.h"
#include "app/screens/graph/ScreenAction.h"
#include "app/screens/library/RVPWLibraryViewController.h"
#include "app/screens/list/RVPWExpressionsTableViewController.h"
#include "app/storage/WorkspaceStorage.h"
#include "app/widgets/RVPWScreenExpressionViewer.h"
#include "engine/VariableTable.h"
#include "equations/EquationListModel.h"

class QAction;
class QImage;
class QLabel;
class QToolBar;
class QUndoStack;

namespace plotwise {

class ApplicationContext;
class GraphScreenChrome;
class PlaneNotice;
class Popover;
class RVLoadingView;
class RVPWHelpViewController;
class RVPWInfoViewController;
class RVPWShareController;
class RVPWSettingsViewController;
class RVOperationTree;

// What both graph screens share: the variable table their equations are parsed against, the
// plane's equation model, the restore of the plane on a background thread behind a
// "Loading..." panel the first time the screen is shown, the expressions waiting for it, the
// toolbar and the save. Until the restore is over the actions do nothing and nothing is saved,
// so an early quit cannot overwrite the stored plane with a half-restored one. A plane's screen
// supplies its view, its equations and its view state through the hooks below.
class RVPWGraphViewController : public QWidget,
                                public RVPWKeyboardViewControllerDelegate,
                                public RVPWExpressionsTableViewControllerDelegate,
                                public RVPWLibraryViewControllerDelegate,
                                public RVPWScreenExpressionViewerDelegate {
    Q_OBJECT

public:
    RVPWGraphViewController(ApplicationContext& context, WorkspaceStorage::Plane plane,
                            QWidget* parent = nullptr);
    ~RVPWGraphViewController() override;

    ApplicationContext& context() const { return context_; }
    WorkspaceStorage::Plane plane() const { return plane_; }
    double* variableTable() { return table_->data(); }
    virtual EquationListModel& equationModel() = 0;

    bool loadingDone() const { return loadingDone_; }
    bool isLoading() const { return loader_ != nullptr; }

    // The screen's actions, inactive until the plane is restored; each has a tooltip naming its
    // shortcut. The chrome of the device's idiom lays them out.
    QAction* action(ScreenAction which) const;
    GraphScreenChrome& chrome() const { return *chrome_; }
    // The main bar.
    QToolBar* toolbar() const;
    QAction* resetViewAction() const { return action(ScreenAction::ResetView); }
    QAction* addEquationAction() const { return action(ScreenAction::Add); }
    QAction* equationsAction() const { return action(ScreenAction::Equations); }
    QAction* settingsAction() const { return action(ScreenAction::Settings); }
    QAction* libraryAction() const { return action(ScreenAction::Library); }

    // The keyboard (phone) or editor (tablet) for a new equation, shown at the add button; null
    // before the restore is over.
    RVPWExpressionInputController* openExpressionInput();
    // Phone: opens the equation list on the navigation stack the screen is in. Tablet: asks the
    // shell for the list beside the plane (equationListRequested). Null before the restore.
    RVPWExpressionsTableViewController* openEquationList();
    RVPWExpressionsTableViewController* equationList() const { return list_; }
    // The tablet's list of this plane, shown beside the plane by the shell; made on first use,
    // owned by whoever shows it, deleted with this screen.
    RVPWExpressionsTableViewController* masterList();
    // Deletes an open list (and Graph Settings): the screens call it before their model goes.
    void closeEquationList();
    // Opens the settings screen on the navigation stack the screen is in (a window of its own
    // when there is none); Done closes it.
    RVPWSettingsViewController* openSettings();
    RVPWSettingsViewController* settingsController() const;
    // Opens the plane's library ("expressions2D.plist" or "expressions3D.plist") with the
    // plane's equations beside it: on the navigation stack, or on a tablet in a 480 by 440
    // popover from the library button.
    RVPWLibraryViewController* openLibrary();
    RVPWLibraryViewController* libraryViewController() const { return library_; }
    // A tablet popover of `size` holding `screen`, from `from`'s button.
    Popover* presentPopover(QWidget* screen, QAction* from, const QSize& size);

    // The plane view's picture, for sharing.
    virtual QImage imageRepresentation() = 0;
    // The share menu's copy, save, mail and export, inactive until the plane is restored.
    RVPWShareController* shareController() const { return share_; }
    // Help on the navigation stack the screen is in; About there too, or on a tablet in a 320
    // by 416 popover from its button. Done closes either.
    RVPWHelpViewController* openHelp();
    RVPWInfoViewController* openAbout();
    // The plane's equations whose visible flag is set, in order.
    QList<const RVEquation*> visibleEquations() const;
    // The phone's floating formula viewer over the plane; null on a tablet.
    RVPWScreenExpressionViewer* expressionViewer() const { return expressionViewer_; }
    // RVPWScreenExpressionViewerDelegate: the visible equations' formulas.
    int expressionCountForExpressionViewer() override;
    QImage imageForExpressionAtIndex(int index) override;
    // A view showing this plane elsewhere (the mirror), which must see new equations too.
    void setExternalView(QWidget* view) { externalView_ = view; }
    QWidget* externalView() const { return externalView_; }

    // A message over the plane that does not stop the user.
    void showNotice(const QString& message);
    PlaneNotice* notice() const { return notice_; }
    // Says how to add an equation while the restored plane has none.
    QLabel* emptyPlaneHint() const { return emptyHint_; }

    // RVPWLibraryViewControllerDelegate: the chosen entry becomes a new equation of the plane
    // in the default colour for its type.
    void libraryController(RVPWLibraryViewController* controller,
                           const RVEquation& equation) override;
    void libraryControllerDidCancel(RVPWLibraryViewController* controller) override;
    // The plane's undoable list changes.
    QUndoStack& undoStack() const { return *undoStack_; }

    // RVPWExpressionsTableViewControllerDelegate
    void expressionsControllerDone(RVPWExpressionsTableViewController* controller) override;
    std::unique_ptr<RVEquation> treeHolderWithTree(std::unique_ptr<RVOperationTree> tree) override;

    // Expressions to add once the plane is restored (from the command line), each in its
    // default colour, unless the plane already holds the same text. A text that does not parse
    // is reported through expressionRejected.
    void setPendingExpressions(const QStringList& expressions) { pending_ = expressions; }
    const QStringList& pendingExpressions() const { return pending_; }
    // Parses like the keyboard, gives the equation its default colour and adds it to the plane.
    // Returns the message and UTF-16 position when the text does not parse.
    struct Rejection {
        QString message;
        int position = 0;
    };
    std::optional<Rejection> addExpression(const QString& text);
    // Whether an equation of the plane was typed as `text` (after parsing, as it is stored).
    bool containsExpression(const QString& text);

    // RVPWKeyboardViewControllerDelegate: an accepted tree becomes an equation of the plane.
    void keyboardDidCancel(RVPWExpressionInputController* keyboard) override;
    void keyboard(RVPWExpressionInputController* keyboard,
                  std::unique_ptr<RVOperationTree> tree) override;

    // Starts the restore, once: the stored view state at once, the equations on a background
    // thread; the model receives them on this thread when the loader has finished.
    void loadState();
    // Writes the plane's equations and view state to the workspace; nothing until restored.
    void saveState();
    virtual void resetView() = 0;

signals:
    // The restore is over and interaction is back on.
    void loadingFinished();
    void expressionRejected(const QString& expression, const QString& message, int position);
    void viewStateChanged(const QVariantMap& state);
    // The switch-plane button: to the 3D screen from 2D, back to 2D from 3D.
    void switchPlaneRequested();
    // Tablet: the list of this plane is wanted beside the plane (or in its popup).
    void equationListRequested();
    // The tablet list's Done: a popup holding it may close.
    void masterListDone();
    // Answered by the share menu, the help screen and the information screen.
    void shareRequested(QWidget* anchor);
    void helpRequested();
    void aboutRequested();

protected:
    // Builds one equation from a stored state on the loader thread, parsed against the table
    // it is given; it may sample itself there (for the window taken when the restore began).
    using RestoreFunction =
        std::function<std::unique_ptr<RVEquation>(const QVariantMap& state, double* table)>;

    // The plane view, which the screen fills and the loading panel covers.
    virtual QWidget* planeView() const = 0;
    virtual QVariantMap viewStateDictionary() const = 0;
    virtual void setViewStateDictionary(const QVariantMap& state) = 0;
    // Called on this thread when the restore starts, after the stored view state is applied.
    virtual RestoreFunction restoreFunction() = 0;
    virtual std::unique_ptr<RVEquation> equationWithTree(std::unique_ptr<RVOperationTree> tree) = 0;
    // The plane's kind of equation from a state dictionary, parsed against the table.
    virtual std::unique_ptr<RVEquation> equationWithState(const QVariantMap& state) = 0;
    // Writes the plane as "png", "svg" or "pdf"; false with the reason.
    virtual bool exportPlane(const QString& path, const QString& format, QString* error) = 0;
    // After the restored and pending equations are in the model.
    virtual void restoreFinished() {}
    // The plane was shown again after it had been restored.
    virtual void reappeared() {}
    // Room the bars take at the bottom of the plane, in points.
    double toolbarHeight() const;
    // Makes the idiom's chrome; each plane's screen calls it once its plane view exists.
    void buildChrome();
    // The plane's view state changed: forwarded to whoever mirrors it.
    void reportViewState(const QVariantMap& state) { emit viewStateChanged(state); }

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stateLoadingDone();
    void buildActions();
    void buildSharing();
    QList<QAction*> shareActions() const;
    // On the navigation stack the screen is in, or on a tablet in a popover from the action's
    // button.
    void presentFromAction(QWidget* screen, ScreenAction from, const QSize& tabletPopoverSize);
    // Dismisses a screen this one presented and gives the keys back to the plane.
    void closeScreen(QWidget* screen);
    // The list of visible equations may have changed: the hint and the viewer follow.
    void visibleEquationsChanged();
    void placeOverlays();
    // The button that shows `action`, or the screen.
    QWidget* chromeAnchor(QAction* action);
    void updateEmptyPlaneHint();
    // Gives a tree parsed against the table its equation, in its default colour, on the plane.
    void addTree(std::unique_ptr<RVOperationTree> tree);

    ApplicationContext& context_;
    const WorkspaceStorage::Plane plane_;
    // Trees and compiled forms point into the table, so its address never changes.
    std::unique_ptr<VariableTable> table_;
    std::map<ScreenAction, QAction*> actions_;
    GraphScreenChrome* chrome_ = nullptr;
    PlaneNotice* notice_ = nullptr;
    QLabel* emptyHint_ = nullptr;
    QPointer<QWidget> externalView_;
    RVPWShareController* share_ = nullptr;
    RVPWScreenExpressionViewer* expressionViewer_ = nullptr;
    QPointer<RVPWHelpViewController> help_;
    QPointer<RVPWInfoViewController> about_;
    QUndoStack* undoStack_;
    QPointer<RVPWExpressionsTableViewController> list_;
    QPointer<RVPWExpressionsTableViewController> masterList_;
    QPointer<RVPWSettingsViewController> settings_;
    QPointer<RVPWLibraryViewController> library_;
    QPointer<RVLoadingView> loadingView_;
    QStringList pending_;
    bool loadingDone_ = false;
    bool loadStarted_ = false;
    // The restore: filled on the loader thread, taken on this thread when it has finished.
    QThread* loader_ = nullptr;
    std::vector<std::unique_ptr<RVEquation>> restored_;
};

}  // namespace plotwise
