#include "app/screens/list/RVPWExpressionsTableViewController.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QListView>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QScrollBar>
#include <QUndoStack>
#include <QVBoxLayout>

#include "app/context/ApplicationContext.h"
#include "app/input/ExpressionInputFactory.h"
#include "app/screens/list/AnchoredPanel.h"
#include "app/screens/list/EquationListCommands.h"
#include "app/screens/list/ExpressionListGestures.h"
#include "app/screens/list/RVPWExpressionCell.h"
#include "app/screens/list/UndoBar.h"
#include "app/shell/NavigationStack.h"
#include "app/widgets/ScreenBar.h"
#include "equations/EquationListModel.h"

namespace plotwise {

namespace {

// Steps of one colour drag merge under this id.
constexpr int kColorMergeId = 1;

QPushButton* barButton(const QString& text, QWidget* parent) {
    auto* button = new QPushButton(text, parent);
    button->setFlat(true);
    button->setFocusPolicy(Qt::NoFocus);
    return button;
}

}  // namespace

RVPWExpressionsTableViewController::RVPWExpressionsTableViewController(
    ApplicationContext& context, EquationListModel& expressions, double* variables, bool is3D,
    QUndoStack& undoStack, QWidget* parent)
    : QWidget(parent),
      context_(context),
      expressions_(expressions),
      variables_(variables),
      is3D_(is3D),
      undoStack_(undoStack),
      cell_(new RVPWExpressionCell(this)),
      tableView_(new QListView(this)),
      editButton_(barButton(tr("Edit"), this)),
      doneButton_(barButton(tr("Done"), this)),
      addButton_(barButton(QStringLiteral("+"), this)),
      selectAllButton_(barButton(tr("Select All"), this)),
      deleteSelectionButton_(barButton(QString(), this)),
      normalToolbar_(new QWidget(this)),
      deleteToolbar_(new QWidget(this)),
      gestures_(new ExpressionListGestures(*tableView_, *cell_)),
      deleteConfirm_(new QPushButton(tr("Delete"), tableView_->viewport())),
      undoBar_(new UndoBar(this)) {
    setWindowTitle(tr("Equations"));
    setAutoFillBackground(true);

    // Done hides while editing; keeping its room keeps the title where it was.
    QSizePolicy keepRoom = doneButton_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    doneButton_->setSizePolicy(keepRoom);
    QWidget* bar = makeTitledScreenBar(this, tr("Equations"), editButton_, doneButton_);

    tableView_->setModel(&expressions_);
    tableView_->setItemDelegate(cell_);
    tableView_->setSelectionMode(QAbstractItemView::SingleSelection);
    tableView_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tableView_->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    // Rows always take the list's width.
    tableView_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    tableView_->setStyleSheet(QStringLiteral("QListView { background: rgb(214, 221, 229); }"));
    tableView_->setAccessibleName(tr("Equations"));
    tableView_->installEventFilter(this);
    tableView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(tableView_, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        const QModelIndex index = tableView_->indexAt(at);
        // The Menu key asks at the current row.
        const int row = index.isValid() ? index.row() : currentRow();
        openContextMenu(row, tableView_->viewport()->mapToGlobal(at));
    });
    connect(gestures_, &ExpressionListGestures::tapped, this,
            [this](const QModelIndex& index, QPoint at) {
                // A tap beside an offered delete only takes the offer back.
                if (deleteOffered_.isValid()) {
                    withdrawDeleteOffer();
                    return;
                }
                tableView_->setCurrentIndex(index);
                cell_->activate(index, tableView_->visualRect(index), at);
            });
    connect(gestures_, &ExpressionListGestures::swiped, this,
            [this](const QModelIndex& index) { offerDelete(index.row()); });
    connect(gestures_, &ExpressionListGestures::held, this,
            [this](const QModelIndex& index, QPoint at) {
                withdrawDeleteOffer();
                openContextMenu(index.isValid() ? index.row() : -1,
                                tableView_->viewport()->mapToGlobal(at));
            });
    connect(gestures_, &ExpressionListGestures::reorderRequested, this,
            &RVPWExpressionsTableViewController::moveExpression);
    deleteConfirm_->setStyleSheet(QStringLiteral(
        "QPushButton { background: #C84131; color: white; border: none; font-weight: bold; }"));
    deleteConfirm_->setFocusPolicy(Qt::NoFocus);
    deleteConfirm_->hide();
    connect(deleteConfirm_, &QPushButton::clicked, this,
            &RVPWExpressionsTableViewController::confirmDelete);
    // The offer stays with its row only while the rows stand still.
    connect(tableView_->verticalScrollBar(), &QScrollBar::valueChanged, this,
            &RVPWExpressionsTableViewController::withdrawDeleteOffer);
    connect(&expressions_, &QAbstractItemModel::rowsInserted, this,
            &RVPWExpressionsTableViewController::withdrawDeleteOffer);
    connect(&expressions_, &QAbstractItemModel::rowsRemoved, this,
            &RVPWExpressionsTableViewController::withdrawDeleteOffer);
    connect(&expressions_, &QAbstractItemModel::rowsMoved, this,
            &RVPWExpressionsTableViewController::withdrawDeleteOffer);
    connect(&expressions_, &QAbstractItemModel::modelReset, this,
            &RVPWExpressionsTableViewController::withdrawDeleteOffer);
    connect(undoBar_, &UndoBar::undoRequested, &undoStack_, &QUndoStack::undo);

    auto* normalLayout = new QHBoxLayout(normalToolbar_);
    normalLayout->setContentsMargins(8, 2, 8, 2);
    normalLayout->addStretch();
    addButton_->setToolTip(tr("New equation"));
    normalLayout->addWidget(addButton_);
    normalLayout->addStretch();
    auto* deleteLayout = new QHBoxLayout(deleteToolbar_);
    deleteLayout->setContentsMargins(8, 2, 8, 2);
    deleteLayout->addStretch();
    deleteLayout->addWidget(selectAllButton_);
    deleteLayout->addStretch();
    deleteSelectionButton_->setStyleSheet(QStringLiteral("color: #C84131;"));
    deleteLayout->addWidget(deleteSelectionButton_);
    deleteLayout->addStretch();
    for (QWidget* toolbar : {normalToolbar_, deleteToolbar_}) {
        toolbar->setStyleSheet(QStringLiteral("background: #101010; color: white;"));
        // As tall as the top bar: a finger's reach.
        toolbar->setFixedHeight(44);
    }
    QFont addFont = addButton_->font();
    addFont.setPointSizeF(addFont.pointSizeF() * 1.8);
    addButton_->setFont(addFont);
    addButton_->setMinimumWidth(44);
    deleteToolbar_->hide();

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(bar);
    layout->addWidget(tableView_, 1);
    layout->addWidget(undoBar_);
    layout->addWidget(normalToolbar_);
    layout->addWidget(deleteToolbar_);

    connect(editButton_, &QPushButton::clicked, this, [this] { setEditing(!editing_); });
    connect(doneButton_, &QPushButton::clicked, this, &RVPWExpressionsTableViewController::done);
    connect(addButton_, &QPushButton::clicked, this, &RVPWExpressionsTableViewController::add);
    connect(selectAllButton_, &QPushButton::clicked, this,
            &RVPWExpressionsTableViewController::selectAll);
    connect(deleteSelectionButton_, &QPushButton::clicked, this,
            &RVPWExpressionsTableViewController::deleteSelection);
    connect(cell_, &RVPWExpressionCell::visibilityClicked, this,
            [this](const QModelIndex& index) { toggleVisibility(index.row()); });
    connect(cell_, &RVPWExpressionCell::colorButtonClicked, this,
            [this](const QModelIndex& index) { showDetails(index.row()); });
    connect(cell_, &RVPWExpressionCell::rowClicked, this, [this](const QModelIndex& index) {
        if (editing_) {
            toggleMark(index.row());
        } else {
            editExpression(index.row());
        }
    });
    // Marks follow the rows; a model emptied elsewhere leaves editing mode.
    connect(&expressions_, &QAbstractItemModel::rowsRemoved, this, [this] {
        updateDeleteButton();
        if (editing_ && expressions_.isEmpty()) {
            setEditing(false);
        }
    });
    connect(&expressions_, &QAbstractItemModel::modelReset, this, [this] {
        // Commands find equations by identity; after a reset those may be gone.
        undoStack_.clear();
        updateDeleteButton();
    });
    updateDeleteButton();
}

RVPWExpressionsTableViewController::~RVPWExpressionsTableViewController() {
    if (editing_) {
        setEditing(false);
    }
    // Graph Settings answers to this list and reads the model: it goes first, keeping its
    // caption.
    if (details_) {
        details_->setDelegate(nullptr);
        delete details_.data();
    }
    if (input_) {
        input_->setDelegate(nullptr);
    }
}

void RVPWExpressionsTableViewController::showEvent(QShowEvent* event) {
    QWidget::showEvent(event);
    expressions_.setDevicePixelRatio(devicePixelRatioF());
    tableView_->setFocus(Qt::OtherFocusReason);
    if (!tableView_->currentIndex().isValid() && !expressions_.isEmpty()) {
        tableView_->setCurrentIndex(expressions_.index(0));
    }
}

void RVPWExpressionsTableViewController::setEditing(bool editing) {
    withdrawDeleteOffer();
    if (!editing) {
        for (int row = 0; row < expressions_.count(); ++row) {
            if (expressions_.data(expressions_.index(row), EquationListModel::MarkRole).toBool()) {
                expressions_.setData(expressions_.index(row), false, EquationListModel::MarkRole);
            }
        }
    }
    editing_ = editing;
    cell_->setEditing(editing);
    editButton_->setText(editing ? tr("Done") : tr("Edit"));
    doneButton_->setVisible(!editing);
    normalToolbar_->setVisible(!editing);
    deleteToolbar_->setVisible(editing);
    updateDeleteButton();
    tableView_->viewport()->update();
}

int RVPWExpressionsTableViewController::markedCount() const {
    int marked = 0;
    for (int row = 0; row < expressions_.count(); ++row) {
        marked += expressions_.data(expressions_.index(row), EquationListModel::MarkRole).toBool();
    }
    return marked;
}

void RVPWExpressionsTableViewController::updateDeleteButton() {
    const int marked = markedCount();
    deleteSelectionButton_->setText(tr("%1 (%2)").arg(tr("Delete")).arg(marked));
    deleteSelectionButton_->setEnabled(marked > 0);
}

int RVPWExpressionsTableViewController::currentRow() const {
    const QModelIndex current = tableView_->currentIndex();
    return current.isValid() ? current.row() : -1;
}

void RVPWExpressionsTableViewController::modified() {
    if (delegate_ != nullptr) {
        delegate_->expressionsControllerDidModifyExpression(this);
    }
}

void RVPWExpressionsTableViewController::deleted() {
    if (delegate_ != nullptr) {
        delegate_->expressionsControllerDidDeleteExpression(this);
    }
}

void RVPWExpressionsTableViewController::done() {
    if (delegate_ != nullptr) {
        delegate_->expressionsControllerDone(this);
    }
}

void RVPWExpressionsTableViewController::openInput(const QString& title, const QString& text,
                                                   const QRect& anchor) {
    if (input_) {
        return;
    }
    input_ = makeExpressionInput(context_, variables_, is3D_, title, text, this, this);
    input_->present(this, anchor);
}

void RVPWExpressionsTableViewController::add() {
    setEditing(false);
    operationBeingEdited_ = nullptr;
    openInput(tr("New equation"), QString(),
              QRect(addButton_->mapTo(this, QPoint()), addButton_->size()));
}

void RVPWExpressionsTableViewController::editExpression(int row) {
    RVEquation* equation = expressions_.equationAt(row);
    if (equation == nullptr) {
        return;
    }
    operationBeingEdited_ = equation;
    const QRect rect = tableView_->visualRect(expressions_.index(row));
    if (delegate_ != nullptr) {
        delegate_->expressionsController(this, row, rect);
    }
    openInput(
        tr("Edit equation"),
        expressions_.data(expressions_.index(row), EquationListModel::SourceTextRole).toString(),
        QRect(tableView_->viewport()->mapTo(this, rect.topLeft()), rect.size()));
}

void RVPWExpressionsTableViewController::keyboardDidCancel(
    RVPWExpressionInputController* keyboard) {
    operationBeingEdited_ = nullptr;
    keyboard->dismiss();
    // Deleted later: a next add or edit opens a new one at once.
    input_ = nullptr;
    tableView_->setFocus(Qt::OtherFocusReason);
}

void RVPWExpressionsTableViewController::keyboard(RVPWExpressionInputController* keyboard,
                                                  std::unique_ptr<RVOperationTree> tree) {
    RVEquation* edited = operationBeingEdited_;
    operationBeingEdited_ = nullptr;
    std::unique_ptr<RVEquation> equation =
        tree && delegate_ != nullptr ? delegate_->treeHolderWithTree(std::move(tree)) : nullptr;
    if (equation) {
        const int editedRow = edited != nullptr ? expressions_.rowOf(edited) : -1;
        if (editedRow >= 0) {
            // The edited text keeps the equation's colour, visibility, caption and notes.
            equation->setColor(edited->color());
            equation->setVisible(edited->visible());
            equation->setCaption(edited->caption());
            equation->setNotes(edited->notes());
            undoStack_.push(new InsertEquationCommand(expressions_, editedRow, std::move(equation),
                                                      edited, tr("Edit Equation")));
            tableView_->setCurrentIndex(expressions_.index(editedRow));
        } else {
            // A new equation, or one deleted while it was edited.
            equation->setVisible(true);
            equation->setDefaultColorForExpressionType(context_.settings().defaultColor());
            const int row = expressions_.count();
            undoStack_.push(new InsertEquationCommand(expressions_, row, std::move(equation),
                                                      nullptr, tr("New Equation")));
            tableView_->setCurrentIndex(expressions_.index(row));
        }
        modified();
    }
    keyboard->dismiss();
    input_ = nullptr;
    tableView_->setFocus(Qt::OtherFocusReason);
}

void RVPWExpressionsTableViewController::toggleVisibility(int row) {
    RVEquation* equation = expressions_.equationAt(row);
    if (equation == nullptr) {
        return;
    }
    undoStack_.push(new SetEquationDataCommand(
        expressions_, equation, Qt::CheckStateRole,
        EquationListModel::checkState(!equation->visible()),
        equation->visible() ? tr("Hide Equation") : tr("Show Equation")));
    modified();
}

void RVPWExpressionsTableViewController::toggleMark(int row) {
    const QModelIndex index = expressions_.index(row);
    if (!index.isValid()) {
        return;
    }
    expressions_.setData(index, !index.data(EquationListModel::MarkRole).toBool(),
                         EquationListModel::MarkRole);
    updateDeleteButton();
}

void RVPWExpressionsTableViewController::selectAll() {
    if (!editing_) {
        setEditing(true);
    }
    for (int row = 0; row < expressions_.count(); ++row) {
        expressions_.setData(expressions_.index(row), true, EquationListModel::MarkRole);
    }
    updateDeleteButton();
}

void RVPWExpressionsTableViewController::deleteSelection() {
    std::vector<int> rows;
    for (int row = 0; row < expressions_.count(); ++row) {
        if (expressions_.data(expressions_.index(row), EquationListModel::MarkRole).toBool()) {
            rows.push_back(row);
        }
    }
    setEditing(false);
    if (rows.empty()) {
        return;
    }
    const QString text = rows.size() == 1 ? tr("Delete Equation") : tr("Delete Equations");
    undoStack_.push(new RemoveEquationsCommand(expressions_, std::move(rows), text));
    deleted();
}

void RVPWExpressionsTableViewController::deleteExpression(int row) {
    if (expressions_.equationAt(row) == nullptr) {
        return;
    }
    undoStack_.push(new RemoveEquationsCommand(expressions_, {row}, tr("Delete Equation")));
    if (!expressions_.isEmpty()) {
        tableView_->setCurrentIndex(expressions_.index(std::min(row, expressions_.count() - 1)));
    }
    deleted();
}

void RVPWExpressionsTableViewController::deleteAll() {
    if (expressions_.isEmpty()) {
        return;
    }
    setEditing(false);
    QMessageBox box(QMessageBox::Question, tr("Delete all equations?"), tr("Delete all equations?"),
                    QMessageBox::NoButton, this);
    QPushButton* yes = box.addButton(tr("Yes"), QMessageBox::DestructiveRole);
    box.addButton(tr("No"), QMessageBox::RejectRole);
    box.exec();
    if (box.clickedButton() != yes) {
        return;
    }
    std::vector<int> rows(static_cast<std::size_t>(expressions_.count()));
    for (int row = 0; row < expressions_.count(); ++row) {
        rows[static_cast<std::size_t>(row)] = row;
    }
    undoStack_.push(
        new RemoveEquationsCommand(expressions_, std::move(rows), tr("Delete All Equations")));
    deleted();
}

void RVPWExpressionsTableViewController::moveExpression(int from, int to) {
    if (expressions_.equationAt(from) == nullptr || to < 0 || to >= expressions_.count() ||
        from == to) {
        return;
    }
    undoStack_.push(new MoveEquationCommand(expressions_, from, to, tr("Move Equation")));
    tableView_->setCurrentIndex(expressions_.index(to));
}

void RVPWExpressionsTableViewController::setColor(int row, const QColor& color, bool continuing) {
    RVEquation* equation = expressions_.equationAt(row);
    if (equation == nullptr || !color.isValid()) {
        return;
    }
    // A drag's steps merge into one; the first step of a new drag starts a new one.
    undoStack_.push(new SetEquationDataCommand(expressions_, equation, EquationListModel::ColorRole,
                                               color, tr("Change Color"), kColorMergeId,
                                               continuing));
    modified();
}

void RVPWExpressionsTableViewController::setCaption(int row, const QString& caption) {
    RVEquation* equation = expressions_.equationAt(row);
    if (equation == nullptr || equation->caption() == caption) {
        return;
    }
    undoStack_.push(new SetEquationDataCommand(
        expressions_, equation, EquationListModel::CaptionRole, caption, tr("Change Caption")));
}

RVPWExpressionDetailsViewController* RVPWExpressionsTableViewController::showDetails(int row) {
    const QModelIndex index = expressions_.index(row);
    if (!index.isValid()) {
        return nullptr;
    }
    withdrawDeleteOffer();
    const bool tablet = context_.deviceClass() == DeviceClass::Tablet;
    // A tablet shows one panel at a time: the next swatch replaces it.
    if (details_ && tablet) {
        AnchoredPanel* previous = detailsPanel();
        details_->closeScreen();
        if (previous != nullptr) {
            previous->dismiss();
        }
    }
    // A tablet's panel shows no formula: its row is beside it.
    QWidget* host = window();
    const bool panel = tablet && host != this;
    auto* details = new RVPWExpressionDetailsViewController(expressions_, index, tablet && !panel);
    details->setDelegate(this);
    details_ = details;
    if (panel) {
        const QRect rect = tableView_->visualRect(index);
        const QRect anchor(rect.right() + 1 - 50, rect.center().y() - 15, 34, 30);
        new AnchoredPanel(
            host, details,
            QRect(tableView_->viewport()->mapTo(host, anchor.topLeft()), anchor.size()));
    } else if (NavigationStack* stack = NavigationStack::containing(this)) {
        stack->push(details);
    } else {
        details->setParent(this, Qt::Window);
        details->setAttribute(Qt::WA_DeleteOnClose);
        details->show();
    }
    return details;
}

AnchoredPanel* RVPWExpressionsTableViewController::detailsPanel() const {
    for (QWidget* w = details_; w != nullptr; w = w->parentWidget()) {
        if (auto* panel = qobject_cast<AnchoredPanel*>(w)) {
            return panel;
        }
    }
    return nullptr;
}

void RVPWExpressionsTableViewController::expressionDetailsControllerDidChangeCaption(
    RVPWExpressionDetailsViewController* details, const QString& caption) {
    setCaption(details->expressionIndex().row(), caption);
}

void RVPWExpressionsTableViewController::expressionDetailsControllerDidChangeColor(
    RVPWExpressionDetailsViewController* details, const QColor& color, bool continuing) {
    setColor(details->expressionIndex().row(), color, continuing);
}

std::unique_ptr<QMenu> RVPWExpressionsTableViewController::contextMenu(int row) {
    auto menu = std::make_unique<QMenu>(this);
    const RVEquation* equation = expressions_.equationAt(row);
    if (equation != nullptr) {
        menu->addAction(tr("Edit Equation"), this, [this, row] { editExpression(row); });
        menu->addAction(tr("Graph Settings"), this, [this, row] { showDetails(row); });
        menu->addAction(equation->visible() ? tr("Hide") : tr("Show"), this,
                        [this, row] { toggleVisibility(row); });
        menu->addAction(tr("Move Up"), this, [this, row] { moveExpression(row, row - 1); })
            ->setEnabled(row > 0);
        menu->addAction(tr("Move Down"), this, [this, row] { moveExpression(row, row + 1); })
            ->setEnabled(row + 1 < expressions_.count());
        menu->addAction(tr("Delete"), this, [this, row] { deleteExpression(row); });
        menu->addSeparator();
    }
    QAction* undo = menu->addAction(tr("Undo"), &undoStack_, &QUndoStack::undo);
    undo->setEnabled(undoStack_.canUndo());
    QAction* redo = menu->addAction(tr("Redo"), &undoStack_, &QUndoStack::redo);
    redo->setEnabled(undoStack_.canRedo());
    menu->addSeparator();
    menu->addAction(tr("Delete All Equations…"), this,
                    &RVPWExpressionsTableViewController::deleteAll)
        ->setEnabled(!expressions_.isEmpty());
    return menu;
}

QMenu* RVPWExpressionsTableViewController::openMenu() const {
    return menu_;
}

QMenu* RVPWExpressionsTableViewController::openContextMenu(int row, QPoint globalPos) {
    if (menu_) {
        menu_->close();
    }
    QMenu* menu = contextMenu(row).release();
    menu->setAttribute(Qt::WA_DeleteOnClose);
    menu_ = menu;
    menu->popup(globalPos);
    return menu;
}

void RVPWExpressionsTableViewController::offerDelete(int row) {
    const QModelIndex index = expressions_.index(row);
    if (!index.isValid() || editing_) {
        return;
    }
    deleteOffered_ = index;
    const QRect rect = tableView_->visualRect(index);
    const int width = std::max(deleteConfirm_->sizeHint().width() + 24, 80);
    deleteConfirm_->setGeometry(rect.right() + 1 - width, rect.top(), width, rect.height());
    deleteConfirm_->show();
    deleteConfirm_->raise();
}

void RVPWExpressionsTableViewController::withdrawDeleteOffer() {
    deleteOffered_ = QPersistentModelIndex();
    deleteConfirm_->hide();
}

void RVPWExpressionsTableViewController::confirmDelete() {
    const int row = deleteOffered_.isValid() ? deleteOffered_.row() : -1;
    withdrawDeleteOffer();
    if (row < 0) {
        return;
    }
    deleteExpression(row);
    undoBar_->showMessage(tr("Equation deleted"));
}

bool RVPWExpressionsTableViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched != tableView_ || event->type() != QEvent::KeyPress) {
        return QWidget::eventFilter(watched, event);
    }
    const auto* key = static_cast<QKeyEvent*>(event);
    const Qt::KeyboardModifiers mods = key->modifiers() & ~Qt::KeypadModifier;
    const int row = currentRow();
    if (key->matches(QKeySequence::Undo)) {
        undoStack_.undo();
        return true;
    }
    if (key->matches(QKeySequence::Redo) ||
        (key->key() == Qt::Key_Z && mods == (Qt::ControlModifier | Qt::ShiftModifier))) {
        undoStack_.redo();
        return true;
    }
    if (key->matches(QKeySequence::SelectAll)) {
        selectAll();
        return true;
    }
    switch (key->key()) {
        case Qt::Key_Return:
        case Qt::Key_Enter:
            if (mods == Qt::AltModifier) {
                showDetails(row);
            } else if (editing_) {
                toggleMark(row);
            } else {
                editExpression(row);
            }
            return true;
        case Qt::Key_Space:
            editing_ ? toggleMark(row) : toggleVisibility(row);
            return true;
        case Qt::Key_Delete:
        case Qt::Key_Backspace:
            if (editing_ && markedCount() > 0) {
                deleteSelection();
            } else {
                deleteExpression(row);
            }
            return true;
        case Qt::Key_Up:
        case Qt::Key_Down:
            if (mods == Qt::AltModifier) {
                moveExpression(row, row + (key->key() == Qt::Key_Up ? -1 : 1));
                return true;
            }
            break;
        case Qt::Key_Escape:
            if (deleteOffered_.isValid()) {
                withdrawDeleteOffer();
            } else if (editing_) {
                setEditing(false);
            } else {
                done();
            }
            return true;
        default:
            break;
    }
    return QWidget::eventFilter(watched, event);
}

}  // namespace plotwise
