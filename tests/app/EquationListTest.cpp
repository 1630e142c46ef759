#include <gtest/gtest.h>

#include <QAbstractItemModelTester>
#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QScroller>
#include <QSignalSpy>
#include <QStyleHints>
#include <QTemporaryDir>
#include <QTest>
#include <QUndoStack>
#include <memory>

#include "TestContext.h"
#include "app/context/ApplicationContext.h"
#include "app/input/RVPWExpressionInputController.h"
#include "app/input/RVTextField.h"
#include "app/screens/details/LongTextFieldViewController.h"
#include "app/screens/details/RVPWColorSwatchView.h"
#include "app/screens/details/RVPWDefaultColorViewController.h"
#include "app/screens/details/RVPWExpressionDetailsViewController.h"
#include "app/screens/details/RVPWLabelCell.h"
#include "app/screens/details/RVPWNotesCell.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "app/screens/list/AnchoredPanel.h"
#include "app/screens/list/EquationListCommands.h"
#include "app/screens/list/ExpressionListGestures.h"
#include "app/screens/list/RVPWExpressionCell.h"
#include "app/screens/list/RVPWExpressionsTableViewController.h"
#include "app/screens/list/UndoBar.h"
#include "app/shell/AppDelegate.h"
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

class EquationList : public ::testing::Test {
protected:
    void SetUp() override {
        undo_.setUndoLimit(50);
        for (const char16_t* text : {u"y=x", u"y=x^2", u"y=1/x", u"r=2"}) {
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

    void add(const char16_t* text) {
        RVParser parser;
        auto equation = RVEquation::equationWithOperationTree(parser.parse(text, table_.data()));
        ASSERT_NE(equation, nullptr);
        model_.appendEquation(std::move(equation));
    }
    QListView* view() const { return list_->tableView(); }
    QStringList texts() const {
        QStringList result;
        for (int row = 0; row < model_.rowCount(); ++row) {
            result << model_.index(row).data(EquationListModel::SourceTextRole).toString();
        }
        return result;
    }
    // In the order the view shows them, top to bottom.
    QStringList shownTexts() const {
        QStringList result;
        for (int y = 1; y < view()->viewport()->height(); y += 5) {
            const QModelIndex index = view()->indexAt(QPoint(100, y));
            const QString text = index.data(EquationListModel::SourceTextRole).toString();
            if (index.isValid() && (result.isEmpty() || result.back() != text)) {
                result << text;
            }
        }
        return result;
    }
    void key(int key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) {
        QTest::keyClick(view(), static_cast<Qt::Key>(key), modifiers);
    }
    void select(int row) { view()->setCurrentIndex(model_.index(row)); }
    QRect rowRect(int row) const { return view()->visualRect(model_.index(row)); }
    void click(QPoint at) { QTest::mouseClick(view()->viewport(), Qt::LeftButton, {}, at); }
    QVariantMap state(int row) const { return model_.dictionariesWithState().at(row).toMap(); }

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
    const QImage first = model_.index(0).data(EquationListModel::FormulaImageRole).value<QImage>();
    ASSERT_FALSE(first.isNull());
    const QImage again = model_.index(0).data(EquationListModel::FormulaImageRole).value<QImage>();
    EXPECT_EQ(first.cacheKey(), again.cacheKey()) << "a second paint makes no new image";

    // The image moves with its row.
    ASSERT_TRUE(model_.moveRows({}, 0, 1, {}, 3));
    const QImage moved = model_.index(2).data(EquationListModel::FormulaImageRole).value<QImage>();
    EXPECT_EQ(moved.cacheKey(), first.cacheKey());

    // A new pixel ratio: every image made again, twice the pixels for the same box.
    QSignalSpy changed(&model_, &QAbstractItemModel::dataChanged);
    model_.setDevicePixelRatio(2.0);
    EXPECT_EQ(model_.cachedImageCount(), 0);
    ASSERT_EQ(changed.size(), 1);
    const QImage sharp = model_.index(2).data(EquationListModel::FormulaImageRole).value<QImage>();
    EXPECT_EQ(sharp.devicePixelRatio(), 2.0);
    // Each side is the box times the ratio, rounded up.
    EXPECT_NEAR(sharp.width(), first.width() * 2, 2);
    EXPECT_NEAR(sharp.height(), first.height() * 2, 2);

    // An edit in place forgets only that row's image.
    for (int row = 0; row < model_.count(); ++row) {
        model_.index(row).data(EquationListModel::FormulaImageRole);
    }
    EXPECT_EQ(model_.cachedImageCount(), 4);
    model_.expressionChanged(1);
    EXPECT_EQ(model_.cachedImageCount(), 3);
}

TEST_F(EquationList, RowsAreAtLeast65HighAndScaleWideFormulasToTheList) {
    struct Case {
        QSizeF formula;
        int width;
        int height;
    };
    const Case cases[] = {
        {{}, 320, 65},          // no image
        {{40, 20}, 320, 65},    // small
        {{100, 80}, 320, 106},  // tall: h + 26
        {{464, 100}, 320, 76},  // wider than 232: scaled to 232 x 50
        {{100, 80}, 60, 65},    // narrower than the reserve
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RVPWExpressionCell::rowHeight(c.formula, c.width), c.height)
            << c.formula.width() << "x" << c.formula.height() << " in " << c.width;
    }
    for (int row = 0; row < model_.count(); ++row) {
        EXPECT_GE(rowRect(row).height(), 65);
    }
}

TEST_F(EquationList, AltDownMovesTheFirstRowToTheThirdInListAndPlaneAndUndoMovesBack) {
    select(0);
    key(Qt::Key_Down, Qt::AltModifier);
    key(Qt::Key_Down, Qt::AltModifier);
    const QStringList moved{"y=x^2", "y=1/x", "y=x", "r=2"};
    EXPECT_EQ(texts(), moved);
    EXPECT_EQ(shownTexts(), moved);
    EXPECT_EQ(view()->currentIndex().row(), 2) << "the moved row stays current";
    key(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(texts(), (QStringList{"y=x^2", "y=x", "y=1/x", "r=2"}));
    for (int i = 0; i < 3; ++i) {
        key(Qt::Key_Z, Qt::ControlModifier);
    }
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=x^2", "y=1/x", "r=2"}));
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(texts(), (QStringList{"y=x^2", "y=x", "y=1/x", "r=2"}));
    // Past either end nothing moves and no step is recorded.
    const int steps = undo_.count();
    select(0);
    key(Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(undo_.count(), steps);
}

TEST_F(EquationList, DeleteAndUndoPutTheSameEquationBackAtItsRow) {
    const RVEquation* second = model_.equationAt(1);
    select(1);
    key(Qt::Key_Delete);
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=1/x", "r=2"}));
    EXPECT_EQ(owner_.deleted, 1);
    key(Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=x^2", "y=1/x", "r=2"}));
    EXPECT_EQ(model_.equationAt(1), second) << "the equation itself comes back";
    key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(model_.count(), 3);
}

TEST_F(EquationList, MarkedRowsAreDeletedTogetherAndComeBackTogether) {
    list_->setEditing(true);
    for (int row : {0, 2, 3}) {
        click(rowRect(row).center());
    }
    EXPECT_EQ(list_->deleteSelectionButton()->text(), "Delete (3)");
    EXPECT_TRUE(list_->deleteSelectionButton()->isEnabled());
    // Space in editing mode toggles the mark, not the visibility.
    select(1);
    key(Qt::Key_Space);
    EXPECT_EQ(list_->deleteSelectionButton()->text(), "Delete (4)");
    key(Qt::Key_Space);
    EXPECT_TRUE(model_.equationAt(1)->visible());

    QTest::mouseClick(list_->deleteSelectionButton(), Qt::LeftButton);
    EXPECT_EQ(texts(), QStringList{"y=x^2"});
    EXPECT_FALSE(list_->isEditing());
    EXPECT_EQ(list_->deleteSelectionButton()->text(), "Delete (0)");
    EXPECT_FALSE(list_->deleteSelectionButton()->isEnabled());
    undo_.undo();
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=x^2", "y=1/x", "r=2"}));

    // Ctrl+A marks all; Escape leaves editing mode, clearing the marks, then closes.
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_TRUE(list_->isEditing());
    EXPECT_EQ(list_->deleteSelectionButton()->text(), "Delete (4)");
    key(Qt::Key_Escape);
    EXPECT_FALSE(list_->isEditing());
    for (int row = 0; row < model_.count(); ++row) {
        EXPECT_FALSE(model_.equationAt(row)->selected());
    }
    EXPECT_EQ(owner_.done, 0);
    key(Qt::Key_Escape);
    EXPECT_EQ(owner_.done, 1);
}

TEST_F(EquationList, UndoKeepsAtMost50Steps) {
    for (int i = 0; i < 60; ++i) {
        list_->toggleVisibility(0);
    }
    EXPECT_EQ(undo_.count(), 50);
    while (undo_.canUndo()) {
        undo_.undo();
    }
    // 10 toggles are beyond reach: the flag stays as they left it (even: visible).
    EXPECT_TRUE(model_.equationAt(0)->visible());
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
    EXPECT_TRUE(model_.equationAt(0)->visible());
    select(1);
    key(Qt::Key_Space);
    EXPECT_FALSE(model_.equationAt(1)->visible());
    EXPECT_EQ(owner_.modified, 3);

    // Row 1's swatch opens Graph Settings: a palette colour, then an empty caption.
    click(list_->cell()->colorButtonRect(rowRect(1)).center());
    RVPWExpressionDetailsViewController* details = list_->details();
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(stack_.topScreen(), details);
    QTest::mouseClick(details->swatchView()->swatches()[7], Qt::LeftButton);  // full yellow
    details->captionField()->setText(QString());
    // Row 2 keeps its caption only until Graph Settings empties it.
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
    const QString cyan = hexStringFromColor(model_.equationAt(3)->color());
    EXPECT_EQ(model_.equationAt(3)->color(),
              QColor::fromHsvF(0.5f, static_cast<float>((r - 1) / r), 1.0f).toRgb())
        << "the wheel's left edge is cyan";
    details->closeScreen();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);

    // Reorder, edit through the keyboard, delete, undo the delete.
    select(3);
    key(Qt::Key_Up, Qt::AltModifier);  // r=2 to row 2
    select(0);
    key(Qt::Key_Return);
    RVPWExpressionInputController* input = list_->expressionInput();
    ASSERT_NE(input, nullptr);
    EXPECT_EQ(input->textField()->text(), "y=x");
    input->textField()->setText(QStringLiteral("y=3x"));
    input->done();
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    select(3);
    key(Qt::Key_Delete);
    key(Qt::Key_Z, Qt::ControlModifier);

    const QString red = hexStringFromColor(QColor(Qt::red));
    const QVariantList expected{
        QVariantMap{{"expressionString", "y=3x"},
                    {"expressionColor", red},
                    {"expressionVisibile", true},
                    {"expressionCaption", ""},
                    {"expressionNotes", "keep these notes"}},
        QVariantMap{{"expressionString", "y=x^2"},
                    {"expressionColor", "FFFF00"},
                    {"expressionVisibile", false},
                    {"expressionCaption", ""},
                    {"expressionNotes", ""}},
        QVariantMap{{"expressionString", "r=2"},
                    {"expressionColor", cyan},
                    {"expressionVisibile", true},
                    {"expressionCaption", ""},
                    {"expressionNotes", ""}},
        QVariantMap{{"expressionString", "y=1/x"},
                    {"expressionColor", red},
                    {"expressionVisibile", true},
                    {"expressionCaption", "hyperbola"},
                    {"expressionNotes", ""}},
    };
    EXPECT_EQ(model_.dictionariesWithState(), expected);
}

TEST_F(EquationList, GraphSettingsFollowsItsEquationAndClosesWhenItGoes) {
    RVPWExpressionDetailsViewController* details = list_->showDetails(2);
    ASSERT_NE(details, nullptr);
    EXPECT_EQ(details->captionField()->placeholderText(), "None");
    // A row above it goes: the answers still reach y=1/x.
    list_->deleteExpression(0);
    QTest::mouseClick(details->swatchView()->swatches()[0], Qt::LeftButton);
    EXPECT_EQ(hexStringFromColor(model_.equationAt(1)->color()), "FFB3B3");
    // A caption typed but not confirmed is kept when the screen goes.
    details->captionField()->setText(QString(100000, u'x'));
    stack_.pop();
    EXPECT_EQ(model_.equationAt(1)->caption(), QString(100000, u'x'));
    stack_.push(details);
    // Escape in the caption field goes back, keeping what was typed.
    details->captionField()->setFocus();
    details->captionField()->setText(QStringLiteral("typed"));
    QTest::keyClick(details->captionField(), Qt::Key_Escape);
    EXPECT_EQ(model_.equationAt(1)->caption(), "typed");
    EXPECT_EQ(stack_.topScreen(), list_);
    details = list_->showDetails(1);
    // Its equation deleted: it closes.
    QPointer<RVPWExpressionDetailsViewController> watched = details;
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
        const QColor readBack = colorWithHexString(hexStringFromColor(colors[i]));
        palette.setSelectedColor(readBack);
        EXPECT_EQ(palette.selectedIndex(), static_cast<int>(i))
            << hexStringFromColor(colors[i]).toStdString();
    }
    EXPECT_EQ(hexStringFromColor(colors[0]), "FFB3B3");
    EXPECT_EQ(hexStringFromColor(colors[23]), "FF8000");
    palette.setSelectedColor(QColor(1, 2, 3));
    EXPECT_EQ(palette.selectedIndex(), 23);
    EXPECT_EQ(palette.swatches().back()->color(), QColor(1, 2, 3));
    palette.setSelectedColor(colors[3]);
    EXPECT_EQ(palette.swatches().back()->color(), colors[23]) << "the slot gets orange back";
}

// Saves a picture when PLOTWISE_SHOT_DIR names a folder, for a look by eye.
void saveShot(QWidget* widget, const char* name) {
    const QString folder = qEnvironmentVariable("PLOTWISE_SHOT_DIR");
    if (!folder.isEmpty()) {
        widget->grab().save(folder + u'/' + QLatin1String(name) + QStringLiteral(".png"));
    }
}

TEST_F(EquationList, TheCellPaintsItsPartsWhereItHitTestsThem) {
    model_.setData(model_.index(1), QColor(20, 160, 40), EquationListModel::ColorRole);
    model_.setData(model_.index(2), EquationListModel::checkState(false), Qt::CheckStateRole);
    model_.setData(model_.index(3), QStringLiteral("circle of radius 2"),
                   EquationListModel::CaptionRole);
    for (const QSize size : {QSize(320, 480), QSize(700, 600)}) {
        stack_.resize(size);
        QCoreApplication::processEvents();
        QImage shot = view()->viewport()->grab().toImage();
        const qreal ratio = shot.devicePixelRatio();
        const auto pixel = [&](QPoint at) { return shot.pixelColor(at * ratio); };
        EXPECT_EQ(pixel(list_->cell()->colorButtonRect(rowRect(1)).center()), QColor(20, 160, 40));
        const QPoint eyeCentre = list_->cell()->visibilityRect(rowRect(0)).center();
        EXPECT_NE(pixel(eyeCentre), pixel(list_->cell()->visibilityRect(rowRect(2)).center()))
            << "a hidden equation's eye differs";
        // Black formula ink lies right of the eye in every row.
        for (int row = 0; row < model_.count(); ++row) {
            const QRectF formula = list_->cell()->formulaRect(
                rowRect(row), model_.index(row)
                                  .data(EquationListModel::FormulaImageRole)
                                  .value<QImage>()
                                  .deviceIndependentSize());
            int dark = 0;
            for (int x = int(formula.left()); x < int(formula.right()); ++x) {
                for (int y = int(formula.top()); y < int(formula.bottom()); ++y) {
                    dark += pixel(QPoint(x, y)).lightness() < 80;
                }
            }
            EXPECT_GT(dark, 10) << "row " << row;
        }
        saveShot(&stack_, size.width() < 400 ? "list-phone" : "list-tablet");
    }
    list_->setEditing(true);
    list_->toggleMark(1);
    QCoreApplication::processEvents();
    const QImage marked = view()->viewport()->grab().toImage();
    const QPoint background = rowRect(1).topLeft() + QPoint(rowRect(1).width() / 2, 3);
    EXPECT_EQ(marked.pixelColor(background * marked.devicePixelRatio()).rgb(),
              QColor::fromRgbF(0.893f, 0.925f, 0.98f).rgb());
    saveShot(&stack_, "list-editing");
    RVPWExpressionDetailsViewController* details = list_->showDetails(3);
    QCoreApplication::processEvents();
    saveShot(&stack_, "graph-settings");
    details->showMoreColors();
    QCoreApplication::processEvents();
    saveShot(&stack_, "graph-color");
}

TEST_F(EquationList, TheContextMenuOffersTheRowsStepsAndUndo) {
    const auto trigger = [this](int row, const QString& text) {
        const std::unique_ptr<QMenu> menu = list_->contextMenu(row);
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                EXPECT_TRUE(action->isEnabled()) << text.toStdString();
                action->trigger();
                return;
            }
        }
        ADD_FAILURE() << "no " << text.toStdString();
    };
    const auto enabled = [this](int row, const QString& text) {
        const std::unique_ptr<QMenu> menu = list_->contextMenu(row);
        for (QAction* action : menu->actions()) {
            if (action->text() == text) {
                return action->isEnabled();
            }
        }
        return false;
    };
    EXPECT_FALSE(enabled(0, "Move Up"));
    EXPECT_FALSE(enabled(3, "Move Down"));
    EXPECT_FALSE(enabled(0, "Undo"));
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

TEST_F(EquationList, AnEquationDeletedWhileEditedComesBackAsANewOne) {
    list_->editExpression(1);
    RVPWExpressionInputController* input = list_->expressionInput();
    ASSERT_NE(input, nullptr);
    list_->deleteExpression(1);
    input->textField()->setText(QStringLiteral("y=5"));
    input->done();
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=1/x", "r=2", "y=5"}));
}

TEST_F(EquationList, EditAddAndColourStepsUndoToTheSameEquationsAndMergeOnlyWithinADrag) {
    RVEquation* original = model_.equationAt(1);
    original->setCaption(QStringLiteral("parabola"));
    original->setColor(QColor(1, 2, 3));
    list_->editExpression(1);
    RVPWExpressionInputController* input = list_->expressionInput();
    ASSERT_NE(input, nullptr);
    input->textField()->setText(QStringLiteral("y=x^3"));
    input->done();
    RVEquation* edited = model_.equationAt(1);
    EXPECT_NE(edited, original);
    EXPECT_EQ(edited->caption(), "parabola") << "an edit keeps caption and colour";
    EXPECT_EQ(edited->color(), QColor(1, 2, 3));
    undo_.undo();
    EXPECT_EQ(model_.equationAt(1), original);
    undo_.redo();
    EXPECT_EQ(model_.equationAt(1), edited);

    // A new equation: appended in the default colour, undone by taking it out again.
    env_.store.setValue(RVPWSettingsManager::useRandomDefaultColorKey, false);
    env_.store.setValue(RVPWSettingsManager::defaultColorKey, QStringLiteral("336699"));
    list_->add();
    input = list_->expressionInput();
    ASSERT_NE(input, nullptr);
    input->textField()->setText(QStringLiteral("x=1"));
    input->done();
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
    RVEquation* last = model_.equationAt(3);
    undo_.push(new SetEquationDataCommand(model_, last, EquationListModel::CaptionRole,
                                          QStringLiteral("x"), QStringLiteral("caption")));
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

TEST_F(EquationList, ThePaletteIsWalkedWithArrowsAndPickedWithSpace) {
    RVPWExpressionDetailsViewController* details = list_->showDetails(0);
    ASSERT_NE(details, nullptr);
    QCoreApplication::processEvents();
    const auto& swatches = details->swatchView()->swatches();
    swatches[0]->setFocus();
    struct Step {
        Qt::Key key;
        int focused;
    };
    for (const Step& step : {Step{Qt::Key_Right, 1}, Step{Qt::Key_Down, 7}, Step{Qt::Key_Down, 13},
                             Step{Qt::Key_Left, 12}, Step{Qt::Key_Up, 6}, Step{Qt::Key_Up, 0},
                             Step{Qt::Key_Up, 0}, Step{Qt::Key_Left, 0}}) {
        QTest::keyClick(QApplication::focusWidget(), step.key);
        EXPECT_EQ(QApplication::focusWidget(), swatches[static_cast<std::size_t>(step.focused)]);
    }
    QTest::keyClick(swatches[0], Qt::Key_Down);
    QTest::keyClick(swatches[6], Qt::Key_Space);
    EXPECT_EQ(details->swatchView()->selectedIndex(), 6);
    EXPECT_EQ(model_.equationAt(0)->color(), QColor(Qt::red));  // the full red swatch
    EXPECT_EQ(owner_.modified, 1);
}

TEST_F(EquationList, AThousandEquationsAreMarkedDeletedAndBroughtBack) {
    model_.clear();
    std::vector<std::unique_ptr<RVEquation>> many;
    RVParser parser;
    for (int i = 0; i < 1000; ++i) {
        const QString text = QStringLiteral("y=x+%1").arg(i);
        many.push_back(RVEquation::equationWithOperationTree(
            parser.parse(text.toStdU16String(), table_.data())));
    }
    model_.appendEquations(std::move(many));
    view()->scrollToBottom();
    QCoreApplication::processEvents();
    EXPECT_EQ(view()->indexAt(QPoint(100, view()->viewport()->height() - 5)).row(), 999);
    key(Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(list_->deleteSelectionButton()->text(), "Delete (1000)");
    key(Qt::Key_Delete);
    EXPECT_EQ(model_.count(), 0);
    EXPECT_FALSE(list_->isEditing()) << "an emptied list leaves editing mode";
    key(Qt::Key_Z, Qt::ControlModifier);
    ASSERT_EQ(model_.count(), 1000);
    for (int row = 0; row < 1000; row += 111) {
        EXPECT_EQ(model_.index(row).data(EquationListModel::SourceTextRole).toString(),
                  QStringLiteral("y=x+%1").arg(row));
    }
}

TEST_F(EquationList, TouchFlickScrollsOnSwipeOffersDeleteAndVerticalDragDoesNot) {
    for (int i = 0; i < 296; ++i) {
        add(u"y=x+1");
    }
    const int total = model_.count();
    QCoreApplication::processEvents();
    QPointingDevice* finger = QTest::createTouchDevice();
    QScrollBar* bar = view()->verticalScrollBar();
    // Drags one finger along `path`, `ms` apart.
    const auto drag = [&](const std::vector<QPoint>& path, int ms) {
        QTest::touchEvent(view()->viewport(), finger).press(0, path.front());
        for (std::size_t i = 1; i < path.size(); ++i) {
            QTest::qWait(ms);
            QTest::touchEvent(view()->viewport(), finger).move(0, path[i]);
        }
        QTest::touchEvent(view()->viewport(), finger).release(0, path.back());
    };
    const auto line = [](QPoint from, QPoint to, int steps) {
        std::vector<QPoint> path;
        for (int i = 0; i <= steps; ++i) {
            path.push_back(from + (to - from) * i / steps);
        }
        return path;
    };

    // A flick goes on scrolling after the finger leaves.
    drag(line({150, 500}, {150, 150}, 7), 8);
    const int atRelease = bar->value();
    EXPECT_GT(atRelease, 0);
    QTest::qWait(250);
    EXPECT_GT(bar->value(), atRelease) << "kinetic scrolling goes on";
    EXPECT_FALSE(list_->deleteConfirmButton()->isVisible());
    // A touch stops it, and is no tap.
    QTest::touchEvent(view()->viewport(), finger).press(0, {150, 300});
    QTest::touchEvent(view()->viewport(), finger).release(0, {150, 300});
    const int stopped = bar->value();
    QTest::qWait(100);
    EXPECT_EQ(bar->value(), stopped);
    EXPECT_EQ(list_->expressionInput(), nullptr) << "stopping a scroll edits nothing";

    // A slow vertical drag scrolls and offers no delete, even with a sideways wobble.
    list_->gestures()->scroller()->stop();
    bar->setValue(0);
    drag(line({150, 400}, {170, 200}, 10), 20);
    EXPECT_GT(bar->value(), 100);
    EXPECT_FALSE(list_->deleteConfirmButton()->isVisible());

    // A sideways swipe over row 1 offers "Delete" on that row and scrolls nothing.
    list_->gestures()->scroller()->stop();
    bar->setValue(0);
    QCoreApplication::processEvents();
    const QPoint middle = rowRect(1).center();
    drag(line(middle + QPoint(80, 0), middle + QPoint(-60, 4), 6), 10);
    EXPECT_EQ(bar->value(), 0);
    QPushButton* confirm = list_->deleteConfirmButton();
    ASSERT_TRUE(confirm->isVisible());
    EXPECT_EQ(confirm->text(), "Delete");
    EXPECT_TRUE(rowRect(1).contains(confirm->geometry().center()));
    saveShot(&stack_, "list-swipe-delete");
    // A tap elsewhere takes the offer back without editing.
    drag({rowRect(3).center()}, 0);
    EXPECT_FALSE(confirm->isVisible());
    EXPECT_EQ(list_->expressionInput(), nullptr);
    // Offered again and confirmed: deleted, with "Undo" for 5 s.
    drag(line(middle + QPoint(80, 0), middle + QPoint(-60, 0), 6), 10);
    ASSERT_TRUE(confirm->isVisible());
    QTest::mouseClick(confirm, Qt::LeftButton);
    EXPECT_EQ(model_.count(), total - 1);
    EXPECT_EQ(texts().at(1), "y=1/x");
    EXPECT_EQ(owner_.deleted, 1);
    UndoBar* undoBar = list_->undoBar();
    ASSERT_TRUE(undoBar->isVisible());
    saveShot(&stack_, "list-undo-bar");
    EXPECT_GT(undoBar->remainingTime(), UndoBar::duration - 1000);
    EXPECT_LE(undoBar->remainingTime(), UndoBar::duration);
    QTest::mouseClick(undoBar->undoButton(), Qt::LeftButton);
    EXPECT_FALSE(undoBar->isVisible());
    EXPECT_EQ(texts().at(1), "y=x^2");

    // Editing mode offers no swipe; a tap on the eye hides, by touch as by mouse.
    list_->setEditing(true);
    drag(line(middle + QPoint(80, 0), middle + QPoint(-60, 0), 6), 10);
    EXPECT_FALSE(confirm->isVisible());
    list_->setEditing(false);
    drag({list_->cell()->visibilityRect(rowRect(2)).center()}, 0);
    EXPECT_FALSE(model_.equationAt(2)->visible());

    // Press and hold opens the context menu of the row.
    QTest::touchEvent(view()->viewport(), finger).press(0, rowRect(0).center());
    QTest::qWait(QGuiApplication::styleHints()->mousePressAndHoldInterval() + 150);
    QTest::touchEvent(view()->viewport(), finger).release(0, rowRect(0).center());
    QMenu* menu = list_->openMenu();
    ASSERT_NE(menu, nullptr);
    EXPECT_TRUE(menu->isVisible());
    QStringList actions;
    for (QAction* action : menu->actions()) {
        actions << action->text();
    }
    EXPECT_TRUE(actions.contains("Move Down") && actions.contains("Delete"))
        << actions.join(',').toStdString();
    menu->close();
    EXPECT_EQ(list_->expressionInput(), nullptr) << "a hold is no tap";
}

TEST_F(EquationList, HandlesDragRowsIntoPlaceAsOneStep) {
    list_->setEditing(true);
    QCoreApplication::processEvents();
    RVPWExpressionCell* cell = list_->cell();
    const int steps = undo_.count();
    // By mouse: row 0's handle to row 2.
    QTest::mousePress(view()->viewport(), Qt::LeftButton, {},
                      cell->handleRect(rowRect(0)).center());
    QTest::mouseMove(view()->viewport(), rowRect(1).center());
    QTest::mouseMove(view()->viewport(), rowRect(2).center());
    EXPECT_TRUE(list_->gestures()->dropIndicator()->isVisible());
    saveShot(&stack_, "list-reorder");
    QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, rowRect(2).center());
    EXPECT_FALSE(list_->gestures()->dropIndicator()->isVisible());
    EXPECT_EQ(texts(), (QStringList{"y=x^2", "y=1/x", "y=x", "r=2"}));
    EXPECT_EQ(shownTexts(), texts());
    EXPECT_EQ(undo_.count(), steps + 1);
    EXPECT_TRUE(list_->isEditing());
    EXPECT_EQ(list_->deleteSelectionButton()->text(), "Delete (0)") << "a drag marks nothing";
    // By touch: row 3's handle above the top.
    QPointingDevice* finger = QTest::createTouchDevice();
    QTest::touchEvent(view()->viewport(), finger).press(0, cell->handleRect(rowRect(3)).center());
    QTest::touchEvent(view()->viewport(), finger).move(0, rowRect(1).center());
    QTest::touchEvent(view()->viewport(), finger).move(0, {100, -20});
    QTest::touchEvent(view()->viewport(), finger).release(0, {100, -20});
    EXPECT_EQ(texts(), (QStringList{"r=2", "y=x^2", "y=1/x", "y=x"}));
    undo_.undo();
    undo_.undo();
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=x^2", "y=1/x", "r=2"}));
    // A handle outside editing mode is the swatch again.
    list_->setEditing(false);
    QTest::mousePress(view()->viewport(), Qt::LeftButton, {},
                      cell->handleRect(rowRect(0)).center());
    QTest::mouseMove(view()->viewport(), rowRect(2).center());
    QTest::mouseRelease(view()->viewport(), Qt::LeftButton, {}, rowRect(2).center());
    EXPECT_EQ(texts(), (QStringList{"y=x", "y=x^2", "y=1/x", "r=2"}));
}

TEST_F(EquationList, OnATabletGraphSettingsIsAPanelBesideTheListThatStaysUsable) {
    // The phone pushes it, without the formula.
    RVPWExpressionDetailsViewController* pushed = list_->showDetails(0);
    EXPECT_EQ(stack_.topScreen(), pushed);
    EXPECT_EQ(pushed->formulaView(), nullptr);
    EXPECT_EQ(list_->detailsPanel(), nullptr);
    pushed->closeScreen();

    // A tablet: the list as master beside a detail.
    ApplicationContext tablet(env_.store, env_.center, DeviceClass::Tablet);
    QWidget window;
    auto* layout = new QHBoxLayout(&window);
    layout->setContentsMargins(0, 0, 0, 0);
    auto* master = new NavigationStack;
    master->setFixedWidth(320);
    auto* list =
        new RVPWExpressionsTableViewController(tablet, model_, table_.data(), false, undo_);
    master->push(list);
    layout->addWidget(master);
    layout->addWidget(new QWidget, 1);
    window.resize(1024, 700);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    const auto rectOf = [list](int row) {
        return list->tableView()->visualRect(list->expressions().index(row));
    };
    const auto clickIn = [list](QPoint at) {
        QTest::mouseClick(list->tableView()->viewport(), Qt::LeftButton, {}, at);
    };

    clickIn(list->cell()->colorButtonRect(rectOf(1)).center());
    RVPWExpressionDetailsViewController* details = list->details();
    QPointer<AnchoredPanel> panel = list->detailsPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(master->topScreen(), list) << "not pushed";
    EXPECT_EQ(panel->parentWidget(), &window);
    EXPECT_FALSE(panel->isWindow()) << "a child panel, no Qt::Popup";
    EXPECT_TRUE(panel->isVisible());
    saveShot(&window, "tablet-graph-settings-panel");
    EXPECT_EQ(details->formulaView(), nullptr);
    EXPECT_EQ(details->size(), details->sizeHint()) << "the panel takes the screen's size";
    EXPECT_EQ(details->width(), 320);
    // Beside the row's swatch, right of the anchor, clear of the list's text.
    const QRect anchor = panel->anchor();
    const QRect row =
        QRect(list->tableView()->viewport()->mapTo(&window, rectOf(1).topLeft()), rectOf(1).size());
    EXPECT_EQ(anchor, QRect(row.right() + 1 - 50, row.center().y() - 15, 34, 30));
    EXPECT_EQ(panel->geometry().left(), anchor.right() + 1);
    EXPECT_TRUE(
        panel->geometry().contains(QPoint(panel->geometry().left() + 5, anchor.center().y())));

    // The list stays usable: its eye and keys still work, and the panel stays.
    clickIn(list->cell()->visibilityRect(rectOf(0)).center());
    EXPECT_FALSE(model_.equationAt(0)->visible());
    EXPECT_TRUE(panel->isVisible());
    // The panel's answers reach its own row; "More Colors" is pushed inside it.
    QTest::mouseClick(details->swatchView()->swatches()[2], Qt::LeftButton);
    EXPECT_EQ(hexStringFromColor(model_.equationAt(1)->color()), "B3FFB3");
    RVPWDefaultColorViewController* more = details->showMoreColors();
    EXPECT_EQ(panel->stack()->topScreen(), more);
    EXPECT_EQ(more->size(), more->sizeHint()) << "then the top screen's size";
    EXPECT_GE(more->picker()->height(), 416);
    saveShot(&window, "tablet-graph-color-panel");

    // The next swatch replaces it; a deleted equation closes it; so does a rotation.
    clickIn(list->cell()->colorButtonRect(rectOf(2)).center());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(panel.isNull());
    panel = list->detailsPanel();
    ASSERT_NE(panel, nullptr);
    EXPECT_EQ(list->details()->expressionIndex().row(), 2);
    list->deleteExpression(2);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(panel.isNull());
    list->showDetails(0);
    panel = list->detailsPanel();
    list->details()->captionField()->setText(QStringLiteral("typed, not confirmed"));
    window.resize(700, 1024);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(panel.isNull());
    EXPECT_EQ(model_.equationAt(0)->caption(), "typed, not confirmed");
}

TEST_F(EquationList, CaptionsKeepTheirDirectionAndEmojiSequencesStayWhole) {
    // A caption's ink: the leftmost and rightmost columns of a painted row that it changed.
    const auto paintRow = [this](int row) {
        QImage image(400, 65, QImage::Format_ARGB32);
        image.fill(Qt::transparent);
        QStyleOptionViewItem option;
        option.initFrom(view()->viewport());
        option.rect = image.rect();
        QPainter painter(&image);
        list_->cell()->paint(&painter, option, model_.index(row));
        return image;
    };
    const QString captions[] = {QStringLiteral("parabola"),
                                QStringLiteral("\u05E4\u05E8\u05D1\u05D5\u05DC\u05D4"),
                                QStringLiteral("\u0642\u0637\u0639 \u0632\u0627\u0626\u062F")};
    const auto inkSpan = [&](int row) {
        const QImage plain = paintRow(row);
        model_.setData(model_.index(row), captions[row], EquationListModel::CaptionRole);
        const QImage captioned = paintRow(row);
        int left = plain.width();
        int right = 0;
        for (int y = 0; y < plain.height(); ++y) {
            for (int x = 0; x < plain.width(); ++x) {
                if (captioned.pixel(x, y) != plain.pixel(x, y)) {
                    left = std::min(left, x);
                    right = std::max(right, x);
                }
            }
        }
        return std::pair{left, right};
    };
    const int middle = 200;
    const auto [ltrLeft, ltrRight] = inkSpan(0);
    EXPECT_LT(ltrLeft, 60) << "a left-to-right caption starts at the left";
    EXPECT_LT(ltrRight, middle);
    for (const int row : {1, 2}) {
        const auto [rtlLeft, rtlRight] = inkSpan(row);
        EXPECT_GT(rtlLeft, middle) << "row " << row << ": right to left starts at the right";
        EXPECT_GT(rtlRight, 400 - 60);
    }

    // Elision at every width keeps whole characters: an emoji ZWJ sequence, a flag, a skin tone,
    // a letter with combining marks.
    const QString family =
        QStringLiteral("\U0001F468\u200D\U0001F469\u200D\U0001F467\u200D\U0001F466");
    const QString clusters[] = {family, QStringLiteral("\U0001F1E9\U0001F1EA"),
                                QStringLiteral("\U0001F44D\U0001F3FD"),
                                QStringLiteral("e\u0301\u0323")};
    QString caption;
    std::vector<int> boundaries{0};
    for (int i = 0; i < 6; ++i) {
        caption += clusters[i % 4] + u' ';
        boundaries.push_back(caption.size() - 1);
        boundaries.push_back(caption.size());
    }
    QFont font = view()->font();
    const QFontMetrics metrics(font);
    for (int width = 0; width < metrics.horizontalAdvance(caption) + 10; width += 3) {
        QString elided = RVPWExpressionCell::elidedCaption(caption, metrics, width);
        if (elided.endsWith(QChar(0x2026))) {
            elided.chop(1);
        }
        ASSERT_TRUE(caption.startsWith(elided)) << width;
        EXPECT_NE(std::find(boundaries.begin(), boundaries.end(), elided.size()), boundaries.end())
            << "cut inside a character at width " << width << ": " << elided.size();
    }
}

TEST(EquationListOn3D, TheThreeDScreensListAddsHidesMovesAndUndoesOnItsOwnPlane) {
    testing::TestContext env;
    AppDelegate app(env.context);
    app.didFinishLaunching({}, true);
    RVPW3DViewController* screen = app.controller3D();
    ASSERT_NE(screen, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([screen] { return screen->loadingDone(); }, 10000));
    const int before = screen->equations().count();
    RVPWExpressionsTableViewController* list = screen->openEquationList();
    ASSERT_NE(list, nullptr);
    EXPECT_TRUE(list->is3D());
    EXPECT_EQ(&list->expressions(), &screen->equations()) << "the plane's own model";
    for (const QString& text : {QStringLiteral("z=x^2+y^2"), QStringLiteral("x^2+y^2+z^2=4")}) {
        list->add();
        RVPWExpressionInputController* input = list->expressionInput();
        ASSERT_NE(input, nullptr);
        input->textField()->setText(text);
        input->done();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    }
    ASSERT_EQ(screen->equations().count(), before + 2);
    RVEquation3D* sphere = screen->equations().equationAt(before + 1);
    EXPECT_EQ(sphere->type(), EquationType::Implicit) << "an implicit surface";
    list->toggleVisibility(before + 1);
    EXPECT_FALSE(sphere->visible());
    list->moveExpression(before + 1, before);
    EXPECT_EQ(screen->equations().equationAt(before), sphere);
    screen->undoStack().undo();
    screen->undoStack().undo();
    EXPECT_EQ(screen->equations().equationAt(before + 1), sphere);
    EXPECT_TRUE(sphere->visible());
    const QVariantList saved = screen->equations().dictionariesWithState();
    EXPECT_EQ(saved.at(before + 1).toMap().value("expressionString").toString(), "x^2+y^2+z^2=4");
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
    struct Case {
        const char* name;
        QString text;
        // What an edit that types "!" at the end hands back.
        QString edited;
    };
    const std::vector<Case> cases{
        {"empty", QString(), QStringLiteral("!")},
        {"non-breaking spaces", QStringLiteral("1") + nbsp + QStringLiteral("km"),
         QStringLiteral("1") + nbsp + QStringLiteral("km!")},
        {"lines", QStringLiteral("one\ntwo\n"), QStringLiteral("one\ntwo\n!")},
        {"windows lines", QStringLiteral("one\r\ntwo"), QStringLiteral("one\ntwo!")},
        {"line separator", QStringLiteral("a\u2028b"), QStringLiteral("a\u2028b!")},
        {"100,000 characters", longText, longText + QStringLiteral("!")},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        NavigationStack stack;
        stack.push(new QWidget);
        for (const bool edit : {false, true}) {
            NotesOwner owner;
            auto* editor = new LongTextFieldViewController(DeviceClass::Phone,
                                                           QStringLiteral("Notes"), c.text);
            editor->setDelegate(&owner);
            stack.push(editor);
            stack.show();
            EXPECT_EQ(editor->textView()->textCursor().position(),
                      editor->textView()->document()->characterCount() - 1)
                << "the cursor starts at the end";
            if (edit) {
                QTest::keyClicks(editor->textView(), QStringLiteral("!"));
            }
            QTest::keyClick(editor->textView(), Qt::Key_Return, Qt::ControlModifier);
            EXPECT_EQ(owner.taken, edit ? QStringList{c.edited} : QStringList{})
                << "unchanged text is never written back";
            EXPECT_EQ(stack.count(), 1) << "Save closes the editor";
            QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        }
    }
}

TEST(LongTextField, CancelHandsNothingBackAndTheRowFitsTheDevice) {
    NavigationStack stack;
    stack.push(new QWidget);
    NotesOwner owner;
    auto* editor =
        new LongTextFieldViewController(DeviceClass::Tablet, QStringLiteral("Notes"), "old");
    editor->setDelegate(&owner);
    stack.push(editor);
    stack.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&stack));
    EXPECT_TRUE(editor->textView()->hasFocus()) << "the text view takes the keys when shown";
    QTest::keyClicks(editor->textView(), QStringLiteral(" new"));
    QTest::keyClick(editor->textView(), Qt::Key_Escape);
    EXPECT_TRUE(owner.taken.isEmpty());
    EXPECT_EQ(stack.count(), 1);

    struct Row {
        DeviceClass device;
        QSize view;
        int height;
    };
    for (const Row& row :
         {Row{DeviceClass::Tablet, {1024, 768}, 181}, Row{DeviceClass::Tablet, {768, 1024}, 181},
          Row{DeviceClass::Phone, {480, 320}, 85}, Row{DeviceClass::Phone, {320, 480}, 181}}) {
        EXPECT_EQ(LongTextFieldViewController::rowHeight(row.device, row.view), row.height);
    }
}

TEST(LabelAndNotesCells, KeepTextsExactlyAndCommitOnlyChanges) {
    RVPWLabelCell cell(QStringLiteral("Caption"));
    QSignalSpy committed(&cell, &RVPWLabelCell::textCommitted);
    EXPECT_TRUE(cell.label()->font().bold());
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
    EXPECT_EQ(notes.label()->text(), "None");
    EXPECT_GE(notes.heightForWidth(300), 44);
    // A preview that would end inside an emoji sequence stops before it.
    QString long1 = QString(RVPWNotesCell::previewLength - 1, u'n') +
                    QStringLiteral("\U0001F469\u200D\U0001F4BB") + QString(10, u'm');
    notes.setText(long1);
    EXPECT_EQ(notes.text(), long1) << "the cell keeps the notes exactly";
    EXPECT_EQ(notes.label()->text(),
              QString(RVPWNotesCell::previewLength - 1, u'n') + QChar(0x2026));
    notes.setText(QStringLiteral("short\nnotes"));
    EXPECT_EQ(notes.label()->text(), "short\nnotes");
    EXPECT_GT(notes.heightForWidth(300), notes.label()->fontMetrics().height() + 8);
    QTest::mouseClick(&notes, Qt::LeftButton);
    QTest::keyClick(&notes, Qt::Key_Return);
    EXPECT_EQ(clicked.size(), 2);
}

}  // namespace
}  // namespace plotwise
