#include "app/screens/library/RVPWLibraryViewController.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QListView>
#include <QMenu>
#include <QMouseEvent>
#include <QPushButton>
#include <QScroller>
#include <QSet>
#include <QVBoxLayout>
#include <algorithm>
#include <cstdlib>
#include <utility>

#include "app/context/ApplicationContext.h"
#include "app/screens/library/RVPWLibraryCell.h"
#include "app/screens/library/RVPWLibraryDetailsController.h"
#include "app/shell/NavigationStack.h"
#include "app/widgets/RVLoadingView.h"
#include "app/widgets/ScreenBar.h"

namespace plotwise {

namespace {

// A swipe is a sideways drag of at least this many points that stays this level.
constexpr int kSwipeDistance = 40;
constexpr int kSwipeSlack = 24;

QString sourceText(const RVEquation& equation) {
    return equation.expression() != nullptr
               ? QString::fromStdU16String(equation.expression()->expressionString())
               : QString();
}

QListView* makeList(QWidget* parent, QAbstractItemModel* model, RVPWLibraryCell* cell) {
    auto* view = new QListView(parent);
    view->setModel(model);
    view->setItemDelegate(cell);
    view->setFrameShape(QFrame::NoFrame);
    view->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    view->setVerticalScrollMode(QAbstractItemView::ScrollPerPixel);
    view->setSelectionMode(QAbstractItemView::SingleSelection);
    view->setEditTriggers(QAbstractItemView::NoEditTriggers);
    view->setMouseTracking(true);
    // Rows are light whatever the theme: the formulas are black.
    QPalette palette = view->palette();
    palette.setColor(QPalette::Base, Qt::white);
    palette.setColor(QPalette::Text, Qt::black);
    view->setPalette(palette);
    QScroller::grabGesture(view->viewport(), QScroller::TouchGesture);
    return view;
}

QLabel* makeHeader(QWidget* parent, const QString& text) {
    auto* header = new QLabel(text, parent);
    header->setContentsMargins(12, 6, 12, 4);
    header->setStyleSheet(
        QStringLiteral("background: #E4E7EB; color: #4A4F57; font-weight: bold; border-bottom: 1px "
                       "solid #C8CCD2;"));
    return header;
}

}  // namespace

RVPWLibraryViewController::RVPWLibraryViewController(ApplicationContext& context, double* variables,
                                                     const QString& fileName, QWidget* parent)
    : QWidget(parent),
      context_(context),
      variables_(variables),
      file_(fileName),
      messageBar_(new QLabel(this)),
      workspaceHeader_(makeHeader(this, tr("In workspace but not in library"))),
      libraryHeader_(makeHeader(this, tr("Library"))),
      unreadLine_(new QLabel(this)),
      workspaceCell_(new RVPWLibraryCell(RVPWLibraryCell::Accessory::Add, this)),
      libraryCell_(new RVPWLibraryCell(RVPWLibraryCell::Accessory::Details, this)) {
    setWindowTitle(tr("Library"));
    setFocusPolicy(Qt::StrongFocus);
    setAutoFillBackground(true);
    QPalette palette = this->palette();
    palette.setColor(QPalette::Window, Qt::white);
    palette.setColor(QPalette::WindowText, Qt::black);
    setPalette(palette);
    workspaceView_ = makeList(this, &current_, workspaceCell_);
    libraryView_ = makeList(this, &library_, libraryCell_);
    libraryView_->setDragDropMode(QAbstractItemView::InternalMove);
    libraryView_->setDefaultDropAction(Qt::MoveAction);
    libraryView_->setDragDropOverwriteMode(false);
    library_.setDevicePixelRatio(devicePixelRatioF());
    current_.setDevicePixelRatio(devicePixelRatioF());

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    editButton_ = new QPushButton(tr("Edit"));
    doneButton_ = new QPushButton(tr("Done"));
    for (QPushButton* button : {editButton_, doneButton_}) {
        button->setFlat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    // Done hides while editing; keeping its room keeps the title where it was.
    QSizePolicy keepRoom = doneButton_->sizePolicy();
    keepRoom.setRetainSizeWhenHidden(true);
    doneButton_->setSizePolicy(keepRoom);
    layout->addWidget(makeTitledScreenBar(this, tr("Library"), editButton_, doneButton_));

    messageBar_->setWordWrap(true);
    messageBar_->setMargin(8);
    messageBar_->setStyleSheet(
        QStringLiteral("background: #FDF3D8; color: #5C4300; border-bottom: 1px solid #E2C77A;"));
    messageBar_->hide();
    layout->addWidget(messageBar_);
    layout->addWidget(workspaceHeader_);
    layout->addWidget(workspaceView_);
    layout->addWidget(libraryHeader_);
    unreadLine_->setContentsMargins(12, 2, 12, 2);
    unreadLine_->setStyleSheet(QStringLiteral("color: #6D6D72; background: white;"));
    unreadLine_->hide();
    layout->addWidget(unreadLine_);
    layout->addWidget(libraryView_, 1);

    editToolbar_ = new QWidget(this);
    editToolbar_->setStyleSheet(QStringLiteral("background: #101010; color: white;"));
    auto* toolbarLayout = new QHBoxLayout(editToolbar_);
    selectAllButton_ = new QPushButton(tr("Select All"), editToolbar_);
    deleteSelectionButton_ = new QPushButton(editToolbar_);
    deleteSelectionButton_->setStyleSheet(QStringLiteral(
        "QPushButton { background: #C84131; color: white; border-radius: 5px; padding: 5px 12px; }"
        "QPushButton:disabled { background: #6E3A33; color: #BBBBBB; }"));
    toolbarLayout->addStretch();
    toolbarLayout->addWidget(selectAllButton_);
    toolbarLayout->addWidget(deleteSelectionButton_);
    toolbarLayout->addStretch();
    editToolbar_->hide();
    layout->addWidget(editToolbar_);

    confirmButton_ = new QPushButton(tr("Delete"), libraryView_->viewport());
    confirmButton_->setStyleSheet(QStringLiteral(
        "QPushButton { background: #C84131; color: white; border: none; font-weight: bold; }"));
    confirmButton_->setFocusPolicy(Qt::NoFocus);
    confirmButton_->hide();

    connect(editButton_, &QPushButton::clicked, this, [this] { setEditing(!editing_); });
    connect(doneButton_, &QPushButton::clicked, this, &RVPWLibraryViewController::cancel);
    connect(selectAllButton_, &QPushButton::clicked, this, &RVPWLibraryViewController::selectAll);
    connect(deleteSelectionButton_, &QPushButton::clicked, this,
            &RVPWLibraryViewController::deleteSelection);
    connect(confirmButton_, &QPushButton::clicked, this, [this] {
        if (confirmRow_ >= 0) {
            deleteExpression(confirmRow_);
        }
    });
    connect(workspaceCell_, &RVPWLibraryCell::accessoryClicked, this,
            [this](const QModelIndex& index) { addExpressionToLibrary(index.row()); });
    connect(libraryCell_, &RVPWLibraryCell::accessoryClicked, this,
            [this](const QModelIndex& index) { showDetails(index.row()); });
    connect(libraryCell_, &RVPWExpressionCell::rowClicked, this, [this](const QModelIndex& index) {
        if (confirmRow_ >= 0) {
            cancelDelete();
        } else if (editing_) {
            toggleSelection(index.row());
        } else {
            chooseRow(index.row());
        }
    });
    // Every move (a drag, a key, a call) is saved once it has landed.
    connect(&library_, &QAbstractItemModel::rowsMoved, this, [this] { save(); });
    libraryView_->viewport()->installEventFilter(this);
    libraryView_->installEventFilter(this);
    libraryView_->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(libraryView_, &QWidget::customContextMenuRequested, this, [this](QPoint at) {
        const int row = libraryView_->indexAt(at).row();
        if (auto menu = contextMenu(row >= 0 ? row : currentLibraryRow())) {
            menu->exec(libraryView_->viewport()->mapToGlobal(at));
        }
    });
    updateDeleteButton();
    updateSections();
    startLoading();
}

RVPWLibraryViewController::~RVPWLibraryViewController() {
    // The loader fills the file object and parses against the opener's table.
    if (loader_ != nullptr) {
        loader_->wait();
        delete loader_;
    }
    delete details_.data();
}

RVPWLibraryDetailsController* RVPWLibraryViewController::details() const {
    return details_;
}

void RVPWLibraryViewController::startLoading() {
    setEnabled(false);
    loadingView_ = RVLoadingView::loadingViewInView(this, tr("Loading..."));
    LibraryFile* file = &file_;
    double* table = variables_;
    loader_ = QThread::create([this, file, table] { read_.emplace(file->load(table)); });
    connect(loader_, &QThread::finished, this, &RVPWLibraryViewController::loadingDone);
    loader_->start();
}

void RVPWLibraryViewController::loadingDone() {
    loader_->wait();
    loader_->deleteLater();
    loader_ = nullptr;
    LibraryStorage::Library library = std::move(*read_);
    read_.reset();
    unreadCount_ = static_cast<int>(library.unreadItems.size());
    library_.appendEquations(std::move(library.equations));
    if (library.source == LibraryStorage::Source::ExamplesInsteadOfUnreadableFile) {
        showMessage(tr("The library file could not be read; it is left as it is"));
    }
    loaded_ = true;
    filterWorkspace();
    updateSections();
    setEnabled(true);
    if (loadingView_) {
        loadingView_->removeView();
    }
    libraryView_->setFocus();
    emit loadingFinished();
}

void RVPWLibraryViewController::setCurrentExpressions(const EquationListModel& workspace) {
    pendingWorkspace_ = workspace.dictionariesWithState();
    if (loaded_) {
        current_.clear();
        filterWorkspace();
        updateSections();
    }
}

void RVPWLibraryViewController::filterWorkspace() {
    QSet<QString> inLibrary;
    for (int row = 0; row < library_.count(); ++row) {
        inLibrary.insert(sourceText(*library_.equationAt(row)));
    }
    std::vector<std::unique_ptr<RVEquation>> shown;
    for (const QVariant& state : std::exchange(pendingWorkspace_, {})) {
        auto equation = RVEquation::equationWithStateFromDictionary(state.toMap(), variables_);
        if (equation && !inLibrary.contains(sourceText(*equation))) {
            shown.push_back(std::move(equation));
        }
    }
    current_.appendEquations(std::move(shown));
}

void RVPWLibraryViewController::updateSections() {
    const bool anyWorkspace = current_.count() > 0;
    workspaceHeader_->setVisible(anyWorkspace);
    workspaceView_->setVisible(anyWorkspace);
    if (anyWorkspace) {
        // Its rows, up to a third of the screen; the library takes the rest.
        int total = 0;
        for (int row = 0; row < current_.count(); ++row) {
            total += workspaceView_->sizeHintForRow(row);
        }
        workspaceView_->setFixedHeight(std::min(total + 2, std::max(65, height() / 3)));
    }
    unreadLine_->setVisible(unreadCount_ > 0);
    unreadLine_->setText(
        tr("%n entries cannot be read and stay in the file", nullptr, unreadCount_));
}

void RVPWLibraryViewController::save() {
    const LibraryFile::SaveResult result = file_.save(library_.dictionariesWithState());
    if (!result.saved) {
        showMessage(tr("The library could not be saved: %1").arg(result.error));
    } else if (!result.keptAside.isEmpty()) {
        showMessage(
            result.keptUnreadable
                ? tr("The library file could not be read. It was kept as %1.").arg(result.keptAside)
                : tr("Another program changed the library while it was open. Its "
                     "version was kept as %1.")
                      .arg(result.keptAside));
    }
    emit saved(result.saved);
}

void RVPWLibraryViewController::showMessage(const QString& message) {
    messageBar_->setText(message);
    messageBar_->show();
}

void RVPWLibraryViewController::addExpressionToLibrary(int workspaceRow) {
    if (!loaded_ || workspaceRow < 0 || workspaceRow >= current_.count()) {
        return;
    }
    std::unique_ptr<RVEquation> equation = current_.takeEquation(workspaceRow);
    const QString text = sourceText(*equation);
    // Rows of the same text are in the library now too.
    for (int row = current_.count() - 1; row >= 0; --row) {
        if (sourceText(*current_.equationAt(row)) == text) {
            current_.takeEquation(row);
        }
    }
    library_.insertEquation(0, std::move(equation));
    libraryView_->scrollToTop();
    updateSections();
    save();
}

void RVPWLibraryViewController::chooseRow(int row) {
    const RVEquation* equation = library_.equationAt(row);
    if (equation == nullptr || editing_ || delegate_ == nullptr) {
        return;
    }
    // The opener gets a copy without notes; the entry keeps its own.
    QVariantMap state = equation->dictionaryWithState();
    state.insert(RVEquation::expressionNotesKey, QString());
    if (auto chosen = RVEquation::equationWithStateFromDictionary(state, variables_)) {
        delegate_->libraryController(this, *chosen);
    }
}

void RVPWLibraryViewController::setEditing(bool editing) {
    if (editing == editing_ || !loaded_) {
        return;
    }
    cancelDelete();
    editing_ = editing;
    libraryCell_->setEditing(editing);
    editButton_->setText(editing ? tr("Done") : tr("Edit"));
    doneButton_->setVisible(!editing);
    editToolbar_->setVisible(editing);
    if (!editing) {
        for (int row = 0; row < library_.count(); ++row) {
            library_.equationAt(row)->setSelected(false);
        }
    }
    libraryView_->viewport()->update();
    updateDeleteButton();
}

void RVPWLibraryViewController::toggleSelection(int row) {
    RVEquation* equation = library_.equationAt(row);
    if (!editing_ || equation == nullptr) {
        return;
    }
    library_.setData(library_.index(row), !equation->selected(), EquationListModel::MarkRole);
    updateDeleteButton();
}

void RVPWLibraryViewController::selectAll() {
    for (int row = 0; row < library_.count(); ++row) {
        library_.equationAt(row)->setSelected(true);
    }
    if (library_.count() > 0) {
        emit library_.dataChanged(library_.index(0), library_.index(library_.count() - 1),
                                  {EquationListModel::MarkRole});
    }
    updateDeleteButton();
}

void RVPWLibraryViewController::updateDeleteButton() {
    int selected = 0;
    for (int row = 0; row < library_.count(); ++row) {
        selected += library_.equationAt(row)->selected() ? 1 : 0;
    }
    deleteSelectionButton_->setText(tr("%1 (%2)").arg(tr("Delete")).arg(selected));
    deleteSelectionButton_->setEnabled(selected > 0);
}

void RVPWLibraryViewController::deleteSelection() {
    bool any = false;
    for (int row = library_.count() - 1; row >= 0; --row) {
        if (library_.equationAt(row)->selected()) {
            library_.takeEquation(row);
            any = true;
        }
    }
    setEditing(false);
    if (any) {
        save();
    }
}

void RVPWLibraryViewController::confirmDelete(int row) {
    if (editing_ || row < 0 || row >= library_.count()) {
        return;
    }
    confirmRow_ = row;
    placeConfirmButton();
    confirmButton_->show();
    confirmButton_->raise();
}

void RVPWLibraryViewController::cancelDelete() {
    confirmRow_ = -1;
    confirmButton_->hide();
}

void RVPWLibraryViewController::placeConfirmButton() {
    if (confirmRow_ < 0) {
        return;
    }
    const QRect row = libraryView_->visualRect(library_.index(confirmRow_));
    confirmButton_->setGeometry(row.right() - 90, row.top(), 91, row.height());
}

void RVPWLibraryViewController::deleteExpression(int row) {
    cancelDelete();
    if (row < 0 || row >= library_.count()) {
        return;
    }
    library_.takeEquation(row);
    save();
}

void RVPWLibraryViewController::moveExpression(int from, int to) {
    const int count = library_.count();
    if (from < 0 || from >= count || to < 0 || to >= count || from == to) {
        return;
    }
    cancelDelete();
    // moveRows takes the row before which the moved one lands.
    library_.moveRows(QModelIndex(), from, 1, QModelIndex(), to > from ? to + 1 : to);
    libraryView_->setCurrentIndex(library_.index(to));
}

RVPWLibraryDetailsController* RVPWLibraryViewController::showDetails(int row) {
    RVEquation* equation = library_.equationAt(row);
    if (equation == nullptr || editing_) {
        return nullptr;
    }
    cancelDelete();
    delete details_.data();
    auto* details = new RVPWLibraryDetailsController(*equation, context_.deviceClass(),
                                                     library_.devicePixelRatio());
    details_ = details;
    connect(details, &RVPWLibraryDetailsController::detailsChanged, this, [this, equation] {
        const int at = library_.rowOf(equation);
        if (at >= 0) {
            emit library_.dataChanged(library_.index(at), library_.index(at));
        }
        libraryDetailsControllerDidChangeDetails();
    });
    connect(details, &RVPWLibraryDetailsController::backRequested, this, [this, details] {
        if (NavigationStack* stack = NavigationStack::containing(details);
            stack != nullptr && stack->topScreen() == details) {
            stack->pop();
        }
        details->hide();
        details->deleteLater();
        libraryView_->setFocus();
    });
    NavigationStack::present(details, this);
    return details;
}

void RVPWLibraryViewController::libraryDetailsControllerDidChangeDetails() {
    save();
}

void RVPWLibraryViewController::cancel() {
    if (delegate_ != nullptr) {
        delegate_->libraryControllerDidCancel(this);
    }
}

int RVPWLibraryViewController::currentLibraryRow() const {
    return libraryView_->currentIndex().isValid() ? libraryView_->currentIndex().row() : -1;
}

std::unique_ptr<QMenu> RVPWLibraryViewController::contextMenu(int row) {
    if (!loaded_ || row < 0 || row >= library_.count()) {
        return nullptr;
    }
    auto menu = std::make_unique<QMenu>(this);
    menu->addAction(tr("Use"), this, [this, row] { chooseRow(row); })->setEnabled(!editing_);
    menu->addAction(tr("Details"), this, [this, row] { showDetails(row); })->setEnabled(!editing_);
    menu->addAction(tr("Move Up"), this, [this, row] { moveExpression(row, row - 1); })
        ->setEnabled(row > 0);
    menu->addAction(tr("Move Down"), this, [this, row] { moveExpression(row, row + 1); })
        ->setEnabled(row + 1 < library_.count());
    menu->addSeparator();
    menu->addAction(tr("Delete"), this, [this, row] { confirmDelete(row); })->setEnabled(!editing_);
    return menu;
}

bool RVPWLibraryViewController::eventFilter(QObject* watched, QEvent* event) {
    if (watched == libraryView_->viewport() && loaded_) {
        switch (event->type()) {
            case QEvent::MouseButtonPress: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                pressPosition_ = mouse->position().toPoint();
                pressed_ = mouse->button() == Qt::LeftButton;
                swiped_ = false;
                break;
            }
            case QEvent::MouseMove: {
                const auto* mouse = static_cast<QMouseEvent*>(event);
                const QPoint delta = mouse->position().toPoint() - pressPosition_;
                // Leftward and level is a swipe, kept from the view so that it starts no drag;
                // anything else may still become a drag that reorders.
                if (pressed_ && !editing_ && delta.x() < 0 && -delta.x() > std::abs(delta.y()) &&
                    std::abs(delta.y()) <= kSwipeSlack) {
                    if (delta.x() <= -kSwipeDistance) {
                        pressed_ = false;
                        swiped_ = true;
                        confirmDelete(libraryView_->indexAt(pressPosition_).row());
                    }
                    return true;
                }
                break;
            }
            case QEvent::MouseButtonRelease:
                pressed_ = false;
                // The end of a swipe is not a touch of the row.
                if (std::exchange(swiped_, false)) {
                    return true;
                }
                break;
            case QEvent::Resize:
                placeConfirmButton();
                break;
            default:
                break;
        }
    }
    if (watched == libraryView_ && event->type() == QEvent::KeyPress) {
        auto* key = static_cast<QKeyEvent*>(event);
        const int row = currentLibraryRow();
        const bool alt = key->modifiers() == Qt::AltModifier;
        switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
                if (confirmRow_ >= 0) {
                    deleteExpression(confirmRow_);
                } else if (editing_) {
                    toggleSelection(row);
                } else {
                    chooseRow(row);
                }
                return true;
            case Qt::Key_Delete:
            case Qt::Key_Backspace:
                confirmDelete(row);
                return true;
            case Qt::Key_Up:
                if (alt) {
                    moveExpression(row, row - 1);
                    return true;
                }
                break;
            case Qt::Key_Down:
                if (alt) {
                    moveExpression(row, row + 1);
                    return true;
                }
                break;
            case Qt::Key_Escape:
                keyPressEvent(key);
                return true;
            default:
                break;
        }
    }
    return QWidget::eventFilter(watched, event);
}

void RVPWLibraryViewController::keyPressEvent(QKeyEvent* event) {
    if (event->key() != Qt::Key_Escape) {
        QWidget::keyPressEvent(event);
        return;
    }
    if (confirmRow_ >= 0) {
        cancelDelete();
    } else if (editing_) {
        setEditing(false);
    } else {
        cancel();
    }
}

void RVPWLibraryViewController::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    updateSections();
    placeConfirmButton();
}

}  // namespace plotwise
