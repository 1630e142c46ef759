#pragma once

#include <QPersistentModelIndex>
#include <QPointer>
#include <QRect>
#include <QWidget>
#include <memory>

#include "app/input/RVPWExpressionInputController.h"
#include "app/screens/details/RVPWExpressionDetailsViewController.h"

class QListView;
class QMenu;
class QPushButton;
class QUndoStack;

namespace plotwise {

class AnchoredPanel;
class ApplicationContext;
class EquationListModel;
class RVEquation;
class RVOperationTree;
class ExpressionListGestures;
class RVPWExpressionCell;
class RVPWExpressionsTableViewController;
class UndoBar;

// The owner of an equation list: the plane's screen.
class RVPWExpressionsTableViewControllerDelegate {
public:
    virtual ~RVPWExpressionsTableViewControllerDelegate() = default;
    virtual void expressionsControllerDone(RVPWExpressionsTableViewController* controller) = 0;
    // A new equation for an accepted tree (parsed against the plane's table), or null to refuse.
    virtual std::unique_ptr<RVEquation> treeHolderWithTree(
        std::unique_ptr<RVOperationTree> tree) = 0;
    virtual void expressionsControllerDidModifyExpression(RVPWExpressionsTableViewController*) {}
    virtual void expressionsControllerDidDeleteExpression(RVPWExpressionsTableViewController*) {}
    // Tablet: a row was chosen; `rect` is the row's in the list.
    virtual void expressionsController(RVPWExpressionsTableViewController*, int, const QRect&) {}
};

// The list of one plane's equations, over the plane's own model: every change acts on the plane
// at once, as an undoable step on the plane's undo stack. A click (or Return) edits a row in the
// expression keyboard; the eye toggles visibility, the swatch opens Graph Settings. Editing mode
// marks rows for "Delete (n)".
class RVPWExpressionsTableViewController : public QWidget,
                                           public RVPWKeyboardViewControllerDelegate,
                                           public RVPWExpressionDetailsDelegate {
    Q_OBJECT

public:
    RVPWExpressionsTableViewController(ApplicationContext& context, EquationListModel& expressions,
                                       double* variables, bool is3D, QUndoStack& undoStack,
                                       QWidget* parent = nullptr);
    ~RVPWExpressionsTableViewController() override;

    void setDelegate(RVPWExpressionsTableViewControllerDelegate* delegate) { delegate_ = delegate; }
    EquationListModel& expressions() const { return expressions_; }
    QUndoStack& undoStack() const { return undoStack_; }
    bool is3D() const { return is3D_; }
    QListView* tableView() const { return tableView_; }
    RVPWExpressionCell* cell() const { return cell_; }
    QPushButton* editButton() const { return editButton_; }
    QPushButton* selectAllButton() const { return selectAllButton_; }
    QPushButton* deleteSelectionButton() const { return deleteSelectionButton_; }
    // The keyboard open on the list, if any.
    RVPWExpressionInputController* expressionInput() const { return input_; }
    RVPWExpressionDetailsViewController* details() const { return details_; }
    ExpressionListGestures* gestures() const { return gestures_; }
    // The "Delete" a swipe puts on its row, and the bar offering "Undo" after a touch delete.
    QPushButton* deleteConfirmButton() const { return deleteConfirm_; }
    UndoBar* undoBar() const { return undoBar_; }
    // The context menu open now, if any.
    QMenu* openMenu() const;

    bool isEditing() const { return editing_; }
    // Leaving editing mode clears every mark.
    void setEditing(bool editing);

    // The list's operations, each one undoable step.
    void add();
    void done();
    void editExpression(int row);
    void toggleVisibility(int row);
    void toggleMark(int row);
    void selectAll();
    void deleteSelection();
    void deleteExpression(int row);
    void deleteAll();
    void moveExpression(int from, int to);
    void setColor(int row, const QColor& color, bool continuing = false);
    void setCaption(int row, const QString& caption);
    // Graph Settings for the row: on a tablet in a panel beside the list (which stays usable),
    // else pushed on the navigation stack.
    RVPWExpressionDetailsViewController* showDetails(int row);
    // The tablet's panel holding Graph Settings, if open.
    AnchoredPanel* detailsPanel() const;
    // The menu of the right button, the Menu key or a press and hold over `row` (-1: none).
    std::unique_ptr<QMenu> contextMenu(int row);
    // Opens it at `globalPos` without waiting for it to close.
    QMenu* openContextMenu(int row, QPoint globalPos);
    // A swipe's offer: "Delete" on the row until confirmed, or anything else happens.
    void offerDelete(int row);
    void withdrawDeleteOffer();

    // RVPWKeyboardViewControllerDelegate
    void keyboardDidCancel(RVPWExpressionInputController* keyboard) override;
    void keyboard(RVPWExpressionInputController* keyboard,
                  std::unique_ptr<RVOperationTree> tree) override;
    // RVPWExpressionDetailsDelegate
    void expressionDetailsControllerDidChangeCaption(RVPWExpressionDetailsViewController* details,
                                                     const QString& caption) override;
    void expressionDetailsControllerDidChangeColor(RVPWExpressionDetailsViewController* details,
                                                   const QColor& color, bool continuing) override;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void updateDeleteButton();
    void openInput(const QString& title, const QString& text, const QRect& anchor);
    int currentRow() const;
    int markedCount() const;
    void modified();
    void deleted();
    void confirmDelete();

    ApplicationContext& context_;
    EquationListModel& expressions_;
    double* variables_;
    const bool is3D_;
    QUndoStack& undoStack_;
    RVPWExpressionsTableViewControllerDelegate* delegate_ = nullptr;
    RVPWExpressionCell* cell_;
    QListView* tableView_;
    QPushButton* editButton_;
    QPushButton* doneButton_;
    QPushButton* addButton_;
    QPushButton* selectAllButton_;
    QPushButton* deleteSelectionButton_;
    QWidget* normalToolbar_;
    QWidget* deleteToolbar_;
    bool editing_ = false;
    QPointer<RVPWExpressionInputController> input_;
    // The equation open in the keyboard (compared by identity only), or none for a new one.
    RVEquation* operationBeingEdited_ = nullptr;
    QPointer<RVPWExpressionDetailsViewController> details_;
    ExpressionListGestures* gestures_;
    QPushButton* deleteConfirm_;
    QPersistentModelIndex deleteOffered_;
    UndoBar* undoBar_;
    QPointer<QMenu> menu_;
};

}  // namespace plotwise
