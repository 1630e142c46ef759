#pragma once

#include <QPointer>
#include <QStringList>
#include <QThread>
#include <QVariantList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <vector>

#include "app/input/RVPWExpressionInputController.h"
#include "app/screens/library/RVPWLibraryViewController.h"
#include "app/screens/list/RVPWExpressionsTableViewController.h"
#include "app/storage/WorkspaceStorage.h"
#include "engine/VariableTable.h"
#include "equations/EquationListModel.h"

class QAction;
class QIcon;
class QToolBar;
class QUndoStack;

namespace plotwise {

class ApplicationContext;
class RVLoadingView;
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
                                public RVPWLibraryViewControllerDelegate {
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
    QToolBar* toolbar() const { return toolbar_; }
    QAction* resetViewAction() const { return resetViewAction_; }
    // Opens the keyboard for a new equation; inactive until the plane is restored.
    QAction* addEquationAction() const { return addEquationAction_; }
    // The keyboard (phone) or editor (tablet) for a new equation, shown at the add button; null
    // before the restore is over.
    RVPWExpressionInputController* openExpressionInput();
    // Opens the equation list (on the navigation stack the screen is in); inactive until the
    // plane is restored.
    QAction* equationsAction() const { return equationsAction_; }
    RVPWExpressionsTableViewController* openEquationList();
    RVPWExpressionsTableViewController* equationList() const { return list_; }
    // Deletes an open list (and Graph Settings): the screens call it before their model goes.
    void closeEquationList();
    // Opens the settings screen on the navigation stack the screen is in (a window of its own
    // when there is none); Done closes it.
    QAction* settingsAction() const { return settingsAction_; }
    RVPWSettingsViewController* openSettings();
    RVPWSettingsViewController* settingsController() const;
    // Opens the plane's library ("expressions2D.plist" or "expressions3D.plist") with the
    // plane's equations beside it; inactive until the plane is restored.
    QAction* libraryAction() const { return libraryAction_; }
    RVPWLibraryViewController* openLibrary();
    RVPWLibraryViewController* libraryViewController() const { return library_; }

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
    // default colour. A text that does not parse is reported through expressionRejected.
    void setPendingExpressions(const QStringList& expressions) { pending_ = expressions; }
    // Parses like the keyboard, gives the equation its default colour and adds it to the plane.
    // Returns the message and UTF-16 position when the text does not parse.
    struct Rejection {
        QString message;
        int position = 0;
    };
    std::optional<Rejection> addExpression(const QString& text);

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
    // After the restored and pending equations are in the model.
    virtual void restoreFinished() {}
    // The plane was shown again after it had been restored.
    virtual void reappeared() {}
    // Room the toolbar takes at the bottom of the plane, in points.
    double toolbarHeight() const;
    // A button of the plane's own, after the others.
    QAction* addToolbarAction(const QIcon& icon, const QString& text);

    void showEvent(QShowEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;

private:
    void stateLoadingDone();
    void buildToolbar();
    void placeToolbar();
    // Gives a tree parsed against the table its equation, in its default colour, on the plane.
    void addTree(std::unique_ptr<RVOperationTree> tree);

    ApplicationContext& context_;
    const WorkspaceStorage::Plane plane_;
    // Trees and compiled forms point into the table, so its address never changes.
    std::unique_ptr<VariableTable> table_;
    QToolBar* toolbar_ = nullptr;
    QAction* resetViewAction_ = nullptr;
    QAction* trailingSpace_ = nullptr;
    QAction* addEquationAction_ = nullptr;
    QAction* equationsAction_ = nullptr;
    QAction* settingsAction_ = nullptr;
    QAction* libraryAction_ = nullptr;
    QUndoStack* undoStack_;
    QPointer<RVPWExpressionsTableViewController> list_;
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
