#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QMouseEvent>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSignalSpy>
#include <QTest>
#include <memory>

#include "AppFixture.h"
#include "TestContext.h"
#include "app/screens/details/LongTextFieldViewController.h"
#include "app/screens/details/RVPWLabelCell.h"
#include "app/screens/details/RVPWNotesCell.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/library/RVPWLibraryCell.h"
#include "app/screens/library/RVPWLibraryDetailsController.h"
#include "app/screens/library/RVPWLibraryViewController.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/NavigationStack.h"
#include "app/storage/LibraryStorage.h"
#include "app/storage/PropertyList.h"
#include "engine/VariableTable.h"

namespace plotwise {
namespace {

QVariantMap entry(const QString& text, const QString& caption = {}, const QString& notes = {}) {
    return {{RVEquation::expressionStringKey, text},
            {RVEquation::expressionColorKey, QStringLiteral("000000")},
            {RVEquation::expressionVisibleKey, true},
            {RVEquation::expressionCaptionKey, caption},
            {RVEquation::expressionNotesKey, notes}};
}

QString textOf(const QVariant& state) {
    return state.toMap().value(RVEquation::expressionStringKey).toString();
}

using testing::textsOf;

// Records what the library hands its opener.
class Opener : public RVPWLibraryViewControllerDelegate {
public:
    void libraryController(RVPWLibraryViewController*, const RVEquation& equation) override {
        chosen.push_back(equation.dictionaryWithState());
    }
    void libraryControllerDidCancel(RVPWLibraryViewController*) override { ++cancelled; }
    std::vector<QVariantMap> chosen;
    int cancelled = 0;
};

class LibraryScreen : public ::testing::Test {
protected:
    void SetUp() override {
        path_ = LibraryStorage::libraryFilePath(LibraryStorage::library2DFileName);
        QDir(QFileInfo(path_).absolutePath()).removeRecursively();
        QDir().mkpath(QFileInfo(path_).absolutePath());
        table_.fill(0.0);
    }

    // Writes the library file, then opens the screen over `workspace` and waits for the read.
    void open(const QVariantList& file = {}, const QStringList& workspace = {}) {
        if (!file.isEmpty()) {
            ASSERT_TRUE(PropertyList::writeFile(path_, file));
        }
        for (const QString& text : workspace) {
            plane_.appendEquation(
                RVEquation::equationWithStateFromDictionary(entry(text), table_.data()));
        }
        screen_ = std::make_unique<RVPWLibraryViewController>(
            env_.context, table_.data(), QString(LibraryStorage::library2DFileName));
        screen_->setCurrentExpressions(plane_);
        screen_->setDelegate(&opener_);
        screen_->resize(480, 700);
        screen_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(screen_.get()));
        if (!screen_->isLoaded()) {
            QSignalSpy finished(screen_.get(), &RVPWLibraryViewController::loadingFinished);
            ASSERT_TRUE(finished.wait(10000));
        }
    }
    QStringList shown() const { return textsOf(screen_->libraryExpressions()); }
    QStringList workspaceShown() const { return textsOf(screen_->currentExpressions()); }
    void clickRow(int row) const {
        QTest::mouseClick(screen_->libraryView()->viewport(), Qt::LeftButton, {}, rowCentre(row));
    }
    void keyOnRow(int row, Qt::Key key, Qt::KeyboardModifiers modifiers = {}) const {
        screen_->libraryView()->setCurrentIndex(screen_->libraryExpressions().index(row));
        QTest::keyClick(screen_->libraryView(), key, modifiers);
    }
    QVariantList fileItems() const { return PropertyList::readFile(path_).value.toList(); }
    // The file holds exactly the rows shown, then `unread`.
    void expectFileMatchesScreen(const QVariantList& unread = {}) const {
        QVariantList expected = screen_->libraryExpressions().dictionariesWithState();
        expected.append(unread);
        EXPECT_EQ(fileItems(), expected);
    }
    QVariantList numbered(int count) const {
        QVariantList items;
        for (int i = 1; i <= count; ++i) {
            items.append(entry(QStringLiteral("y=%1x").arg(i), QStringLiteral("entry %1").arg(i)));
        }
        return items;
    }
    QPoint rowCentre(int row) const {
        return screen_->libraryView()
            ->visualRect(screen_->libraryExpressions().index(row))
            .center();
    }

    testing::TestContext env_{DeviceClass::Tablet};
    QString path_;
    VariableTable table_{};
    EquationListModel plane_;
    Opener opener_;
    std::unique_ptr<RVPWLibraryViewController> screen_;
};

TEST_F(LibraryScreen, NoFileShowsTheExamplesAndWritesNothingUntilAChange) {
    open({}, {QStringLiteral("y=x^2"), QStringLiteral("y=3x")});
    EXPECT_EQ(screen_->libraryExpressions().count(), 13);
    EXPECT_FALSE(QFile::exists(path_));
    // The workspace's y=x^2 is in the library already.
    EXPECT_EQ(workspaceShown(), QStringList{"y=3x"});
    EXPECT_TRUE(screen_->workspaceHeader()->isVisible());
    EXPECT_TRUE(screen_->messageBar()->isHidden());
    EXPECT_TRUE(screen_->unreadLine()->isHidden());
}

TEST_F(LibraryScreen, AddingPutsTheEquationFirstTakesItsTwinsAndLeavesThePlane) {
    open(numbered(3), {QStringLiteral("y=9x"), QStringLiteral("y=8x"), QStringLiteral("y=9x")});
    ASSERT_EQ(workspaceShown(), (QStringList{"y=9x", "y=8x", "y=9x"}));
    const QVariantList planeBefore = plane_.dictionariesWithState();
    // The add button of the first workspace row.
    const QRect row = screen_->workspaceView()->visualRect(screen_->currentExpressions().index(0));
    QTest::mouseClick(screen_->workspaceView()->viewport(), Qt::LeftButton, {},
                      RVPWLibraryCell(RVPWLibraryCell::Accessory::Add).accessoryRect(row).center());
    EXPECT_EQ(shown(), (QStringList{"y=9x", "y=1x", "y=2x", "y=3x"}));
    EXPECT_EQ(workspaceShown(), QStringList{"y=8x"});
    expectFileMatchesScreen();
    EXPECT_EQ(plane_.dictionariesWithState(), planeBefore);
    screen_->addExpressionToLibrary(0);
    EXPECT_TRUE(workspaceShown().isEmpty());
    EXPECT_FALSE(screen_->workspaceHeader()->isVisible()) << "all in the library: no section";
    EXPECT_FALSE(screen_->workspaceView()->isVisible());
    EXPECT_EQ(shown().first(), QStringLiteral("y=8x"));
    expectFileMatchesScreen();
}

TEST_F(LibraryScreen, ASwipeOffersDeleteAndItsConfirmDeletes) {
    open(numbered(5));
    QWidget* viewport = screen_->libraryView()->viewport();
    const QPoint start = rowCentre(1);
    // A finger (or the left button) pressed on row 1 and drawn 80 points to the left.
    const auto send = [viewport](QEvent::Type type, QPoint at, Qt::MouseButtons buttons) {
        QMouseEvent event(type, at, viewport->mapToGlobal(at),
                          type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton, buttons,
                          Qt::NoModifier);
        QApplication::sendEvent(viewport, &event);
    };
    send(QEvent::MouseButtonPress, start, Qt::LeftButton);
    send(QEvent::MouseMove, start - QPoint(20, 0), Qt::LeftButton);
    send(QEvent::MouseMove, start - QPoint(80, 2), Qt::LeftButton);
    send(QEvent::MouseButtonRelease, start - QPoint(80, 2), Qt::NoButton);
    ASSERT_TRUE(screen_->deleteConfirmButton()->isVisible());
    EXPECT_EQ(screen_->deleteConfirmRow(), 1);
    EXPECT_EQ(screen_->libraryExpressions().count(), 5) << "nothing deleted before the confirm";
    QTest::mouseClick(screen_->deleteConfirmButton(), Qt::LeftButton);
    EXPECT_EQ(shown(), (QStringList{"y=1x", "y=3x", "y=4x", "y=5x"}));
    expectFileMatchesScreen();
    // The Delete key asks the same way; Escape takes the question back.
    keyOnRow(0, Qt::Key_Delete);
    EXPECT_EQ(screen_->deleteConfirmRow(), 0);
    QTest::keyClick(screen_->libraryView(), Qt::Key_Escape);
    EXPECT_EQ(screen_->deleteConfirmRow(), -1);
    EXPECT_EQ(screen_->libraryExpressions().count(), 4);
    EXPECT_EQ(opener_.cancelled, 0);
}

TEST_F(LibraryScreen, MarkedEntriesAreDeletedTogether) {
    open(numbered(6));
    QPushButton* deleteButton = screen_->deleteSelectionButton();
    EXPECT_FALSE(deleteButton->isVisible());
    screen_->editButton()->click();
    ASSERT_TRUE(screen_->isEditing());
    EXPECT_TRUE(deleteButton->isVisible());
    for (const int row : {0, 2, 5}) {
        clickRow(row);
    }
    EXPECT_EQ(deleteButton->text(), QStringLiteral("Delete (3)"));
    EXPECT_TRUE(opener_.chosen.empty()) << "in editing a touch marks and never chooses";
    deleteButton->click();
    EXPECT_EQ(shown(), (QStringList{"y=2x", "y=4x", "y=5x"}));
    EXPECT_FALSE(screen_->isEditing());
    expectFileMatchesScreen();

    screen_->setEditing(true);
    screen_->selectAllButton()->click();
    EXPECT_EQ(deleteButton->text(), QStringLiteral("Delete (3)"));
    // Leaving editing clears the marks.
    QTest::keyClick(screen_->libraryView(), Qt::Key_Escape);
    EXPECT_FALSE(screen_->isEditing());
    screen_->setEditing(true);
    EXPECT_EQ(deleteButton->text(), QStringLiteral("Delete (0)"));
    EXPECT_FALSE(deleteButton->isEnabled());
}

TEST_F(LibraryScreen, CaptionAndNotesEditsAreSavedAtOnce) {
    open(numbered(3));
    RVPWLibraryDetailsController* details = screen_->showDetails(1);
    ASSERT_NE(details, nullptr);
    QLineEdit* caption = details->captionCell()->textField();
    EXPECT_EQ(caption->text(), QStringLiteral("entry 2"));
    caption->setText(QStringLiteral("Parabola <&>"));
    // Opening the notes commits the caption first.
    LongTextFieldViewController* editor = details->editNotes();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(fileItems()[1].toMap().value(RVEquation::expressionCaptionKey),
              QStringLiteral("Parabola <&>"));
    editor->textView()->setPlainText(QStringLiteral("line one\nline two"));
    editor->save();
    EXPECT_EQ(fileItems()[1].toMap().value(RVEquation::expressionNotesKey),
              QStringLiteral("line one\nline two"));
    EXPECT_EQ(details->notesCell()->text(), QStringLiteral("line one\nline two"));
    expectFileMatchesScreen();
}

TEST_F(LibraryScreen, AChosenEntryGoesWithoutNotesAndKeepsThemInTheFile) {
    QVariantList items = numbered(3);
    items[0] = entry(QStringLiteral("y=1x"), QStringLiteral("first"), QStringLiteral("keep me"));
    open(items);
    clickRow(0);
    ASSERT_EQ(opener_.chosen.size(), 1u);
    EXPECT_EQ(textOf(opener_.chosen[0]), QStringLiteral("y=1x"));
    EXPECT_EQ(opener_.chosen[0].value(RVEquation::expressionNotesKey), QString());
    EXPECT_EQ(opener_.chosen[0].value(RVEquation::expressionCaptionKey), QStringLiteral("first"));
    // A later change on the same screen saves the entry with its notes.
    screen_->deleteExpression(2);
    EXPECT_EQ(fileItems()[0].toMap().value(RVEquation::expressionNotesKey),
              QStringLiteral("keep me"));
    keyOnRow(1, Qt::Key_Return);
    ASSERT_EQ(opener_.chosen.size(), 2u);
    EXPECT_EQ(textOf(opener_.chosen[1]), QStringLiteral("y=2x"));
}

TEST_F(LibraryScreen, UnreadItemsStayLastAndAreCounted) {
    const QVariantList items = {entry("y=1x"), QStringLiteral("y=("), entry("y=2x"), qlonglong(4),
                                entry("sin(")};
    open(items);
    EXPECT_EQ(shown(), (QStringList{"y=1x", "y=2x"}));
    EXPECT_TRUE(screen_->unreadLine()->isVisible());
    EXPECT_TRUE(screen_->unreadLine()->text().startsWith(QStringLiteral("3 ")));
    screen_->moveExpression(1, 0);
    expectFileMatchesScreen({items[1], items[3], items[4]});
}

TEST_F(LibraryScreen, AFailedWriteIsReportedAndTheChangeStaysOnScreen) {
    // A folder where the file should be: it can be neither read nor replaced.
    ASSERT_TRUE(QDir().mkpath(path_ + QStringLiteral("/inside")));
    open();
    QSignalSpy saved(screen_.get(), &RVPWLibraryViewController::saved);
    screen_->deleteExpression(0);
    ASSERT_EQ(saved.count(), 1);
    EXPECT_FALSE(saved[0][0].toBool());
    EXPECT_TRUE(screen_->messageBar()->isVisible());
    EXPECT_EQ(screen_->libraryExpressions().count(), 12);
    EXPECT_TRUE(QFileInfo(path_).isDir());
}

// The 2D screen's Library action: an entry chosen goes into the plane in the default colour.
TEST_F(LibraryScreen, TheTwoDScreenOpensItsLibraryAndTakesTheChoice) {
    env_.store.setValues({{RVPWSettingsManager::useRandomDefaultColorKey, false},
                          {RVPWSettingsManager::defaultColorKey, "00FF00"}});
    AppDelegate delegate(env_.context);
    delegate.didFinishLaunching({QStringLiteral("y=7x")});
    RVPW2DViewController* graph = delegate.controller2D();
    QSignalSpy finished(graph, &RVPW2DViewController::loadingFinished);
    ASSERT_TRUE(graph->loadingDone() || finished.wait(10000));
    graph->libraryAction()->trigger();
    RVPWLibraryViewController* library = graph->libraryViewController();
    ASSERT_NE(library, nullptr);
    QSignalSpy loaded(library, &RVPWLibraryViewController::loadingFinished);
    ASSERT_TRUE(library->isLoaded() || loaded.wait(10000));
    ASSERT_EQ(library->currentExpressions().count(), 1);
    const QVariantMap entry = library->libraryExpressions().equationAt(3)->dictionaryWithState();
    library->chooseRow(3);
    EXPECT_EQ(delegate.navigationStack()->topScreen(), graph);
    ASSERT_EQ(graph->equations().count(), 2);
    RVEquation2D* added = graph->equations().equationAt(1);
    EXPECT_EQ(added->dictionaryWithState().value(RVEquation::expressionStringKey),
              entry.value(RVEquation::expressionStringKey));
    EXPECT_EQ(added->color(), QColor(0, 255, 0));
    EXPECT_FALSE(QFile::exists(path_)) << "choosing writes nothing";
}

}  // namespace
}  // namespace plotwise
