#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QScroller>
#include <QSignalSpy>
#include <QTest>
#include <QUndoStack>
#include <memory>

#include "AppFixture.h"
#include "TestContext.h"
#include "app/input/RVPWExpressionInputController.h"
#include "app/input/RVTextField.h"
#include "app/screens/details/LongTextFieldViewController.h"
#include "app/screens/details/RVPWColorSwatchView.h"
#include "app/screens/details/RVPWDefaultColorViewController.h"
#include "app/screens/details/RVPWExpressionDetailsViewController.h"
#include "app/screens/details/RVPWLabelCell.h"
#include "app/screens/details/RVPWNotesCell.h"
#include "app/screens/list/EquationListCommands.h"
#include "app/screens/list/ExpressionListGestures.h"
#include "app/screens/list/RVPWExpressionCell.h"
#include "app/screens/list/RVPWExpressionsTableViewController.h"
#include "app/screens/list/UndoBar.h"
#include "app/shell/NavigationStack.h"
#include "app/widgets/RVColorPicker.h"
#include "app/widgets/RVColorPickerHSWheel.h"
#include "app/widgets/RVColorPickerSwatchView.h"
#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "equations/ColorText.h"
#include "equations/EquationListModel.h"

namespace plotwise {
namespace {

const QStringList kStart{"y=x", "y=x^2", "y=1/x", "r=2"};

// Counts what the list tells its owner and makes plain equations for accepted trees.
struct ListOwner : RVPWExpressionsTableViewControllerDelegate {
    void expressionsControllerDone(RVPWExpressionsTableViewController*) override { ++done; }
    std::unique_ptr<RVEquation> treeHolderWithTree(std::unique_ptr<RVOperationTree> tree) override {
        return RVEquation::equationWithOperationTree(std::move(tree));
    }
    void expressionsControllerDidModifyExpression(RVPWExpressionsTableViewController*) override {
        ++modified;
    }
    void expressionsControllerDidDeleteExpression(RVPWExpressionsTableViewController*) override {
        ++deleted;
    }
    int done = 0;
    int modified = 0;
    int deleted = 0;
};

// Types `text` into the list's open keyboard and accepts it.
void enterText(RVPWExpressionsTableViewController* list, const QString& text) {
    RVPWExpressionInputController* input = list->expressionInput();
    ASSERT_NE(input, nullptr);
    input->textField()->setText(text);
    input->done();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
}

// The action named `text` in a menu, or a failure.
QAction* actionNamed(QMenu* menu, const QString& text) {
    for (QAction* action : menu->actions()) {
        if (action->text() == text) {
            return action;
        }
    }
    ADD_FAILURE() << "no " << text.toStdString();
    return nullptr;
}

class EquationList : public ::testing::Test {
protected:
    void SetUp() override {
        for (const QString& text : kStart) {
            add(text);
        }
        stack_.resize(400, 640);
        list_ = new RVPWExpressionsTableViewController(env_.context, model_, table_.data(), false,
                                                       undo_);
        list_->setDelegate(&owner_);
        stack_.push(list_);
        stack_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&stack_));
        view()->setFocus();
    }

    void add(const QString& text) {
        RVParser parser;
        auto equation = RVEquation::equationWithOperationTree(
            parser.parse(text.toStdU16String(), table_.data()));
        ASSERT_NE(equation, nullptr);
        model_.appendEquation(std::move(equation));
    }
    QListView* view() const { return list_->tableView(); }
    QStringList texts() const { return testing::textsOf(model_); }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(view(), static_cast<Qt::Key>(key), modifiers);
    }
    void select(int row) { view()->setCurrentIndex(model_.index(row)); }
    QRect rowRect(int row) const { return view()->visualRect(model_.index(row)); }
    void click(QPoint at) { QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, at); }
    QImage image(int row) const {
        return model_.index(row).data(EquationListModel::FormulaImageRole).value<QImage>();
    }
    // Each saved state as "text colour visible caption notes".
    QStringList savedStates() const {
        QStringList result;
        for (const QVariant& state : model_.dictionariesWithState()) {
            const QVariantMap map = state.toMap();
            QStringList values;
            for (const QString& key :
                 {RVEquation::expressionStringKey, RVEquation::expressionColorKey,
                  RVEquation::expressionVisibleKey, RVEquation::expressionCaptionKey,
                  RVEquation::expressionNotesKey}) {
                values << map.value(key).toString();
            }
            result << values.join(u'|');
        }
        return result;
    }

    testing::TestContext env_{DeviceClass::Phone};
    VariableTable table_{};
    EquationListModel model_;
    QAbstractItemModelTester tester_{&model_,
                                     QAbstractItemModelTester::FailureReportingMode::Fatal};
    QUndoStack undo_;
    ListOwner owner_;
    NavigationStack stack_;
    RVPWExpressionsTableViewController* list_ = nullptr;
};

TEST_F(EquationList, FormulaImagesAreMadeOnceKeptWithTheirRowsAndRemadeForANewRatio) {
    model_.setDevicePixelRatio(1.0);
    const QImage first = image(0);
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(image(0).cacheKey(), first.cacheKey()) << "a second paint makes no new image";
    ASSERT_TRUE(model_.moveRows({}, 0, 1, {}, 3));
    EXPECT_EQ(image(2).cacheKey(), first.cacheKey()) << "the image moves with its row";

    QSignalSpy changed(&model_, &QAbstractItemModel::dataChanged);
    model_.setDevicePixelRatio(2.0);
    EXPECT_EQ(model_.cachedImageCount(), 0);
    EXPECT_EQ(changed.size(), 1);
    const QImage sharp = image(2);
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    EXPECT_NEAR(sharp.width(), first.width() * 2, 2);
    EXPECT_NEAR(sharp.height(), first.height() * 2, 2);

    for (int row = 0; row < model_.count(); ++row) {
        image(row);
    }
    model_.expressionChanged(1);
    EXPECT_EQ(model_.cachedImageCount(), 3) << "an edit in place forgets only its row's image";
}

TEST_F(EquationList, KeysMoveAndDeleteRowsInListAndPlaneAndUndoPutsTheSameEquationsBack) {
    const RVEquation* second = model_.equationAt(1);
    select(0);
    key(Qt::Key_Down, Qt::AltModifier);
    key(Qt::Key_Down, Qt::AltModifier);
    const QStringList moved{"y=x^2", "y=1/x", "y=x", "r=2"};
    EXPECT_EQ(texts(), moved);
    EXPECT_EQ(view()->currentIndex().row(), 2) << "the moved row stays current";
    key(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(texts(), (QStringList{"y=x^2", "y=x", "y=1/x", "r=2"}));
    select(0);
    const int steps = undo_.count();
    key(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(undo_.count(), steps) << "past the end nothing moves and no step is recorded";

    key(Qt::Key_Delete);
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=1/x", "r=2"}));
    EXPECT_EQ(owner_.deleted, 1);
    for (int i = 0; i < 4; ++i) {
        key(Qt::Key_Z, Qt::ControlModifier);
    }
    EXPECT_EQ(texts(), kStart);
    EXPECT_EQ(model_.equationAt(1), second) << "the deleted equation itself comes back";
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(texts(), (QStringList{"y=x^2", "y=x", "y=1/x", "r=2"}));
}

TEST_F(EquationList, MarkedRowsAreDeletedTogetherAndComeBackTogether) {
    QPushButton* deleteButton = list_->deleteSelectionButton();
    list_->setEditing(true);
    for (int row : {0, 2, 3}) {
        click(rowRect(row).center());
    }
    EXPECT_EQ(deleteButton->text(), "Delete (3)");
    // Space in editing mode toggles the mark, not the visibility.
    select(1);
    key(Qt::Key_Space);
    EXPECT_EQ(deleteButton->text(), "Delete (4)");
    key(Qt::Key_Space);
    EXPECT_TRUE(model_.equationAt(1)->visible());

    QTest::mouseClick(deleteButton, Qt::LeftButton);
    EXPECT_EQ(texts(), QStringList{"y=x^2"});
    EXPECT_FALSE(list_->isEditing());
    EXPECT_FALSE(deleteButton->isEnabled());
    undo_.undo();
    EXPECT_EQ(texts(), kStart);

    // Ctrl+A marks all; deleting them all leaves editing mode.
    key(Qt::Key_A, Qt::ControlModifier);
    key(Qt::Key_Delete);
    EXPECT_EQ(model_.count(), 0);
    EXPECT_FALSE(list_->isEditing());
    undo_.undo();
    // Escape leaves editing mode, clearing the marks, then closes.
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(list_->isEditing());
    EXPECT_EQ(deleteButton->text(), "Delete (4)");
    key(Qt::Key_Escape);
    EXPECT_FALSE(list_->isEditing());
    for (int row = 0; row < model_.count(); ++row) {
        EXPECT_FALSE(model_.equationAt(row)->selected());
    }
    EXPECT_EQ(owner_.done, 0);
    key(Qt::Key_Escape);
    EXPECT_EQ(owner_.done, 1);
}

// A session of every kind of list change, then the plane's saved states.
TEST_F(EquationList, AScriptedSessionLeavesTheExpectedStates) {
    model_.equationAt(0)->setNotes(QStringLiteral("keep these notes"));
    model_.equationAt(2)->setCaption(QStringLiteral("hyperbola"));

    // Visibility twice on row 0 by its eye, once on row 1 by Space.
    const QRect eye = list_->cell()->visibilityRect(rowRect(0));
    click(eye.center());
    EXPECT_FALSE(model_.equationAt(0)->visible());
    click(eye.center());
    select(1);
    key(Qt::Key_Space);
    EXPECT_EQ(owner_.modified, 3);

    // Row 1's swatch opens Graph Settings, pushed on the phone: a palette colour.
    click(list_->cell()->colorButtonRect(rowRect(1)).center());
    RVPWExpressionDetailsViewController* details = list_->details();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(stack_.topScreen(), details);
    QTest::mouseClick(details->swatchView()->swatches()[7], Qt::LeftButton);  // full yellow
    details->closeScreen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_EQ(stack_.topScreen(), list_);

    // Row 3 ("r=2"): a picker colour through "More Colors", a drag on the wheel as one step.
    click(list_->cell()->colorButtonRect(rowRect(3)).center());
    details = list_->details();
    ASSERT_NE(details, nullptr);
    RVPWDefaultColorViewController* more = details->showMoreColors();
    ASSERT_NE(more, nullptr);
    RVColorPickerHSWheel* wheel = more->picker()->colorWheel();
    const int before = undo_.count();
    const QPointF c = wheel->centre();
    const double r = wheel->radius();
    QTest::mousePress(wheel, Qt::LeftButton, {}, (c + QPointF(r / 2, 0)).toPoint());
    QTest::mouseMove(wheel, (c + QPointF(0, -r / 2)).toPoint());
    QTest::mouseMove(wheel, (c + QPointF(-r + 1, 0)).toPoint());
    QTest::mouseRelease(wheel, Qt::LeftButton, {}, (c + QPointF(-r + 1, 0)).toPoint());
    EXPECT_EQ(undo_.count(), before + 1) << "a drag is one step";
    EXPECT_EQ(details->swatchView()->selectedIndex(), 23) << "outside the palette: last swatch";
    // The wheel's left edge is cyan.
    const QColor cyan = QColor::fromHsvF(0.5f, static_cast<float>((r - 1) / r), 1.0f).toRgb();
    details->closeScreen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    const QString red = hexStringFromColor(QColor(Qt::red));
    EXPECT_EQ(savedStates(),
              (QStringList{"y=x|" + red + "|true||keep these notes", "y=x^2|FFFF00|false||",
                           "y=1/x|" + red + "|true|hyperbola|",
                           "r=2|" + hexStringFromColor(cyan) + "|true||"}));
}

TEST_F(EquationList, GraphSettingsFollowsItsEquationAndClosesWhenItGoes) {
    RVPWExpressionDetailsViewController* details = list_->showDetails(2);
    ASSERT_NE(details, nullptr);
    // A row above it goes: the answers still reach y=1/x.
    list_->deleteExpression(0);
    QTest::mouseClick(details->swatchView()->swatches()[0], Qt::LeftButton);
    EXPECT_EQ(hexStringFromColor(model_.equationAt(1)->color()), "FFB3B3");
    // A caption typed but not confirmed is kept when the screen goes, by Back or by Escape.
    details->captionField()->setText(QString(100000, u'x'));
    stack_.pop();
    EXPECT_EQ(model_.equationAt(1)->caption(), QString(100000, u'x'));
    stack_.push(details);
    details->captionField()->setFocus();
    details->captionField()->setText(QStringLiteral("typed"));
    QTest::keyClick(details->captionField(), Qt::Key_Escape);
    EXPECT_EQ(model_.equationAt(1)->caption(), "typed");
    EXPECT_EQ(stack_.topScreen(), list_);
    // Its equation deleted: it closes.
    QPointer<RVPWExpressionDetailsViewController> watched = list_->showDetails(1);
    list_->deleteExpression(1);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(watched.isNull());
    EXPECT_EQ(stack_.topScreen(), list_);
}

TEST_F(EquationList, ThePaletteMatchesAColourReadBackFromItsText) {
    RVPWColorSwatchView palette;
    const std::vector<QColor> colors = RVPWColorSwatchView::paletteColors();
    ASSERT_EQ(colors.size(), 24u);
    for (std::size_t i = 0; i < colors.size(); ++i) {
        // Stored and read back, 0.7 becomes B3 = 0.70196...
        palette.setSelectedColor(colorWithHexString(hexStringFromColor(colors[i])));
        EXPECT_EQ(palette.selectedIndex(), static_cast<int>(i)) << i;
    }
    palette.setSelectedColor(QColor(1, 2, 3));
    EXPECT_EQ(palette.selectedIndex(), 23);
    EXPECT_EQ(palette.swatches().back()->color(), QColor(1, 2, 3));
    palette.setSelectedColor(colors[3]);
    EXPECT_EQ(palette.swatches().back()->color(), colors[23]) << "the last slot gets its own back";
}

TEST_F(EquationList, TheCellPaintsItsPartsWhereItHitTestsThem) {
    model_.setData(model_.index(1), QColor(20, 160, 40), EquationListModel::ColorRole);
    model_.setData(model_.index(2), EquationListModel::checkState(false), Qt::CheckStateRole);
    model_.setData(model_.index(3), QStringLiteral("circle of radius 2"),
                   EquationListModel::CaptionRole);
    const auto grab = [this] {
        QCoreApplication::processEvents();
        return view()->viewport()->grab().toImage();
    };
    for (const QSize size : {QSize(320, 480), QSize(700, 600)}) {
        stack_.resize(size);
        const QImage shot = grab();
        const auto pixel = [&](QPoint at) { return shot.pixelColor(at * shot.devicePixelRatio()); };
        EXPECT_EQ(pixel(list_->cell()->colorButtonRect(rowRect(1)).center()), QColor(20, 160, 40));
        EXPECT_NE(pixel(list_->cell()->visibilityRect(rowRect(0)).center()),
                  pixel(list_->cell()->visibilityRect(rowRect(2)).center()))
            << "a hidden equation's eye differs";
        // Black formula ink lies inside the formula's box in every row.
        for (int row = 0; row < model_.count(); ++row) {
            const QRectF formula =
                list_->cell()->formulaRect(rowRect(row), image(row).deviceIndependentSize());
            int dark = 0;
            for (int x = int(formula.left()); x < int(formula.right()); ++x) {
                for (int y = int(formula.top()); y < int(formula.bottom()); ++y) {
                    dark += pixel(QPoint(x, y)).lightness() < 80;
                }
            }
            EXPECT_GT(dark, 10) << "row " << row;
        }
    }
}

TEST_F(EquationList, TheContextMenuOffersTheRowsStepsAndUndo) {
    std::unique_ptr<QMenu> menu;
    const auto enabled = [&](int row, const QString& text) {
        menu = list_->contextMenu(row);
        QAction* action = actionNamed(menu.get(), text);
        return action != nullptr && action->isEnabled();
    };
    const auto trigger = [&](int row, const QString& text) {
        ASSERT_TRUE(enabled(row, text)) << text.toStdString();
        actionNamed(menu.get(), text)->trigger();
    };
    EXPECT_FALSE(enabled(0, "Move Up"));
    EXPECT_FALSE(enabled(3, "Move Down"));
    trigger(0, "Move Down");
    trigger(2, "Hide");
    trigger(3, "Delete");
    EXPECT_EQ(texts(), (QStringList{"y=x^2", "y=x", "y=1/x"}));
    EXPECT_FALSE(model_.equationAt(2)->visible());
    EXPECT_TRUE(enabled(2, "Show"));
    trigger(-1, "Undo");
    trigger(-1, "Undo");
    EXPECT_TRUE(model_.equationAt(2)->visible());
    EXPECT_TRUE(enabled(-1, "Redo"));
    trigger(1, "Graph Settings");
    EXPECT_EQ(stack_.topScreen(), list_->details());
}

TEST_F(EquationList, EditAddAndColourStepsUndoToTheSameEquationsAndMergeOnlyWithinADrag) {
    RVEquation* original = model_.equationAt(1);
    original->setCaption(QStringLiteral("parabola"));
    original->setColor(QColor(1, 2, 3));
    select(1);
    key(Qt::Key_Return);
    ASSERT_NE(list_->expressionInput(), nullptr);
    EXPECT_EQ(list_->expressionInput()->textField()->text(), "y=x^2");
    enterText(list_, QStringLiteral("y=x^3"));
    RVEquation* edited = model_.equationAt(1);
    EXPECT_NE(edited, original);
    EXPECT_EQ(edited->caption(), "parabola") << "an edit keeps caption and colour";
    EXPECT_EQ(edited->color(), QColor(1, 2, 3));
    undo_.undo();
    EXPECT_EQ(model_.equationAt(1), original);
    undo_.redo();
    EXPECT_EQ(model_.equationAt(1), edited);

    // An equation deleted while it is edited comes back as a new one.
    list_->editExpression(1);
    list_->deleteExpression(1);
    enterText(list_, QStringLiteral("y=5"));
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=1/x", "r=2", "y=5"}));

    // A new equation: appended in the default colour, undone by taking it out again.
    env_.store.setValue(RVPWSettingsManager::useRandomDefaultColorKey, false);
    env_.store.setValue(RVPWSettingsManager::defaultColorKey, QStringLiteral("336699"));
    list_->add();
    enterText(list_, QStringLiteral("x=1"));
    ASSERT_EQ(model_.count(), 5);
    EXPECT_EQ(model_.equationAt(4)->color(), model_.equationAt(4)->defaultColorForExpressionType(
                                                 env_.context.settings().defaultColor()));
    undo_.undo();
    EXPECT_EQ(model_.count(), 4);

    // Two drags: each one step, even on the same equation.
    const int steps = undo_.index();
    for (const QColor& start : {QColor(10, 0, 0), QColor(20, 0, 0)}) {
        list_->setColor(0, start, false);
        list_->setColor(0, start.lighter(), true);
        list_->setColor(0, start.darker(), true);
    }
    EXPECT_EQ(undo_.index(), steps + 2);
    EXPECT_EQ(model_.equationAt(0)->color(), QColor(20, 0, 0).darker());
    undo_.undo();
    EXPECT_EQ(model_.equationAt(0)->color(), QColor(10, 0, 0).darker());
    undo_.undo();
    EXPECT_EQ(model_.equationAt(0)->color(), QColor(Qt::red));
}

TEST_F(EquationList, StepsLeaveAnEquationAloneOnceItIsGone) {
    undo_.push(new SetEquationDataCommand(model_, model_.equationAt(3),
                                          EquationListModel::CaptionRole, QStringLiteral("x"),
                                          QStringLiteral("caption")));
    // Taken out behind the stack's back: undoing and redoing touch no other row.
    auto taken = model_.takeEquation(3);
    undo_.undo();
    undo_.redo();
    for (int row = 0; row < model_.count(); ++row) {
        EXPECT_TRUE(model_.equationAt(row)->caption().isEmpty());
    }
    // A reset model empties the stack, whose steps name equations that may be gone.
    model_.clear();
    EXPECT_EQ(undo_.count(), 0);
}

TEST_F(EquationList, ATouchSwipeOffersDeleteAndAVerticalDragScrolls) {
    for (int i = 0; i < 296; ++i) {
        add(QStringLiteral("y=x+1"));
    }
    const int total = model_.count();
    QCoreApplication::processEvents();
    QPointingDevice* finger = QTest::createTouchDevice();
    QWidget* viewport = view()->viewport();
    QScrollBar* bar = view()->verticalScrollBar();
    // Drags one finger from `from` to `to` in `steps` moves, `ms` apart.
    const auto drag = [&](QPoint from, QPoint to, int steps = 6, int ms = 10) {
        QTest::touchEvent(viewport, finger).press(0, from);
        for (int i = 1; i <= steps; ++i) {
            QTest::qWait(ms);
            QTest::touchEvent(viewport, finger).move(0, from + (to - from) * i / steps);
        }
        QTest::touchEvent(viewport, finger).release(0, to);
    };

    // A slow vertical drag scrolls and offers no delete, even with a sideways wobble.
    drag({150, 400}, {170, 200}, 10, 20);
    EXPECT_GT(bar->value(), 100);
    QPushButton* confirm = list_->deleteConfirmButton();
    EXPECT_FALSE(confirm->isVisible());

    // A sideways swipe over row 1 offers "Delete" on that row and scrolls nothing; a tap
    // elsewhere takes the offer back without editing.
    list_->gestures()->scroller()->stop();
    bar->setValue(0);
    QCoreApplication::processEvents();
    const QPoint middle = rowRect(1).center();
    drag(middle + QPoint(80, 0), middle + QPoint(-60, 4));
    EXPECT_EQ(bar->value(), 0);
    ASSERT_TRUE(confirm->isVisible());
    EXPECT_TRUE(rowRect(1).contains(confirm->geometry().center()));
    drag(rowRect(3).center(), rowRect(3).center(), 0);
    EXPECT_FALSE(confirm->isVisible());
    EXPECT_EQ(list_->expressionInput(), nullptr);
    // Offered again and confirmed: deleted, with "Undo" for a while.
    drag(middle + QPoint(80, 0), middle + QPoint(-60, 0));
    ASSERT_TRUE(confirm->isVisible());
    QTest::mouseClick(confirm, Qt::LeftButton);
    EXPECT_EQ(model_.count(), total - 1);
    EXPECT_EQ(texts().at(1), "y=1/x");
    EXPECT_EQ(owner_.deleted, 1);
    UndoBar* undoBar = list_->undoBar();
    ASSERT_TRUE(undoBar->isVisible());
    EXPECT_GT(undoBar->remainingTime(), UndoBar::duration - 1000);
    QTest::mouseClick(undoBar->undoButton(), Qt::LeftButton);
    EXPECT_FALSE(undoBar->isVisible());
    EXPECT_EQ(texts().at(1), "y=x^2");

    // A tap on the eye hides, by touch as by mouse.
    const QPoint eye = list_->cell()->visibilityRect(rowRect(2)).center();
    drag(eye, eye, 0);
    EXPECT_FALSE(model_.equationAt(2)->visible());

    EXPECT_EQ(list_->expressionInput(), nullptr);
}

TEST_F(EquationList, HandlesDragRowsIntoPlaceAsOneStep) {
    list_->setEditing(true);
    QCoreApplication::processEvents();
    QWidget* viewport = view()->viewport();
    const QPoint handle = list_->cell()->handleRect(rowRect(0)).center();
    const int steps = undo_.count();
    // By mouse: row 0's handle to row 2.
    QTest::mousePress(viewport, Qt::LeftButton, {}, handle);
    QTest::mouseMove(viewport, rowRect(1).center());
    QTest::mouseMove(viewport, rowRect(2).center());
    EXPECT_TRUE(list_->gestures()->dropIndicator()->isVisible());
    QTest::mouseRelease(viewport, Qt::LeftButton, {}, rowRect(2).center());
    EXPECT_FALSE(list_->gestures()->dropIndicator()->isVisible());
    EXPECT_EQ(texts(), (QStringList{"y=x^2", "y=1/x", "y=x", "r=2"}));
    EXPECT_EQ(undo_.count(), steps + 1);
    EXPECT_EQ(list_->deleteSelectionButton()->text(), "Delete (0)") << "a drag marks nothing";
    // By touch: row 3's handle above the top.
    QPointingDevice* finger = QTest::createTouchDevice();
    QTest::touchEvent(viewport, finger).press(0, list_->cell()->handleRect(rowRect(3)).center());
    QTest::touchEvent(viewport, finger).move(0, rowRect(1).center());
    QTest::touchEvent(viewport, finger).move(0, {100, -20});
    QTest::touchEvent(viewport, finger).release(0, {100, -20});
    EXPECT_EQ(texts(), (QStringList{"r=2", "y=x^2", "y=1/x", "y=x"}));
    undo_.undo();
    undo_.undo();
    EXPECT_EQ(texts(), kStart);
}

// What a notes editor hands back.
struct NotesOwner : LongTextFieldEditingViewControllerDelegate {
    void takeNewString(const QString& string) override { taken << string; }
    QStringList taken;
};

TEST(LongTextField, KeepsAnyTextExactlyAndWritesBackOnlyAnEdit) {
    const QString nbsp(QChar::Nbsp);
    const QString longText = QString(50000, u'a') + nbsp +
                             QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467") +
                             QString(49990, u'b');
    // Each text, and what typing "!" at its end hands back.
    const std::vector<std::pair<QString, QString>> cases{
        {QString(), QStringLiteral("!")},
        {"1" + nbsp + "km", "1" + nbsp + "km!"},
        {QStringLiteral("one\ntwo\n"), QStringLiteral("one\ntwo\n!")},
        {QStringLiteral("one\r\ntwo"), QStringLiteral("one\ntwo!")},
        {QStringLiteral("a\u2028b"), QStringLiteral("a\u2028b!")},
        {longText, longText + QStringLiteral("!")},
    };
    NavigationStack stack;
    stack.push(new QWidget);
    // Shown, edited or not, then closed by Save, or by Escape, which never writes back.
    const auto edit = [&](const QString& text, const QString& typed, Qt::Key close) {
        NotesOwner owner;
        auto* editor =
            new LongTextFieldViewController(DeviceClass::Phone, QStringLiteral("Notes"), text);
        editor->setDelegate(&owner);
        stack.push(editor);
        stack.show();
        EXPECT_EQ(editor->textView()->textCursor().position(),
                  editor->textView()->document()->characterCount() - 1)
            << "the cursor starts at the end";
        QTest::keyClicks(editor->textView(), typed);
        QTest::keyClick(editor->textView(), close,
                        close == Qt::Key_Return ? Qt::ControlModifier : Qt::NoModifier);
        EXPECT_EQ(stack.count(), 1) << "the editor closes";
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        return owner.taken;
    };
    for (const auto& [text, edited] : cases) {
        SCOPED_TRACE(text.left(20).toStdString());
        EXPECT_EQ(edit(text, {}, Qt::Key_Return), QStringList{}) << "unchanged is not written";
        EXPECT_EQ(edit(text, QStringLiteral("!"), Qt::Key_Return), QStringList{edited});
    }
    EXPECT_EQ(edit(QStringLiteral("old"), QStringLiteral(" new"), Qt::Key_Escape), QStringList{});
}

TEST(LabelAndNotesCells, KeepTextsExactlyAndCommitOnlyChanges) {
    RVPWLabelCell cell(QStringLiteral("Caption"));
    QSignalSpy committed(&cell, &RVPWLabelCell::textCommitted);
    cell.setText(QStringLiteral("old"));
    cell.commit();
    EXPECT_EQ(committed.size(), 0) << "nothing typed, nothing committed";
    cell.textField()->setText(QStringLiteral("typed"));
    cell.setText(QStringLiteral("from an undo"));
    EXPECT_EQ(cell.textField()->text(), "typed") << "a change from elsewhere keeps what is typed";
    cell.commit();
    ASSERT_EQ(committed.size(), 1);
    EXPECT_EQ(committed.at(0).at(0).toString(), "typed");
    const QString huge(100000, u'\u05D0');
    cell.setText(huge);
    EXPECT_EQ(cell.textField()->text(), huge) << "no length cap";

    RVPWNotesCell notes;
    QSignalSpy clicked(&notes, &RVPWNotesCell::clicked);
    // A preview that would end inside an emoji sequence stops before it.
    const QString kept(RVPWNotesCell::previewLength - 1, u'n');
    const QString longNotes = kept + QStringLiteral("\U0001F469\u200D\U0001F4BB") + "mmm";
    notes.setText(longNotes);
    EXPECT_EQ(notes.text(), longNotes) << "the cell keeps the notes exactly";
    EXPECT_EQ(notes.label()->text(), kept + QChar(0x2026));
    notes.setText(QStringLiteral("short\nnotes"));
    EXPECT_EQ(notes.label()->text(), "short\nnotes");
    QTest::mouseClick(&notes, Qt::LeftButton);
    QTest::keyClick(&notes, Qt::Key_Return);
    EXPECT_EQ(clicked.size(), 2);
}

}  // namespace
}  // namespace plotwise
