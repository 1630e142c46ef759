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
#include <QTemporaryDir>
#include <QTest>
#include <memory>

#include "TestContext.h"
#include "app/context/ApplicationContext.h"
#include "app/platform/ShakeAwareWindow.h"
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
        const QDir data(QFileInfo(path_).absolutePath());
        for (const QString& name :
             data.entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot)) {
            QFileInfo(data.filePath(name)).isDir() ? QDir(data.filePath(name)).removeRecursively()
                                                   : QFile::remove(data.filePath(name));
        }
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
    QStringList shown() const {
        QStringList texts;
        for (const QVariant& state : screen_->libraryExpressions().dictionariesWithState()) {
            texts.append(textOf(state));
        }
        return texts;
    }
    QStringList workspaceShown() const {
        QStringList texts;
        for (const QVariant& state : screen_->currentExpressions().dictionariesWithState()) {
            texts.append(textOf(state));
        }
        return texts;
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
    EXPECT_EQ(shown().first(), QStringLiteral("y=x^2"));
    EXPECT_FALSE(QFile::exists(path_));
    // The workspace's y=x^2 is in the library already.
    EXPECT_EQ(workspaceShown(), QStringList{"y=3x"});
    EXPECT_TRUE(screen_->workspaceHeader()->isVisible());
    EXPECT_EQ(screen_->workspaceHeader()->text(),
              QStringLiteral("In workspace but not in library"));
    EXPECT_TRUE(screen_->messageBar()->isHidden());
    EXPECT_TRUE(screen_->unreadLine()->isHidden());
}

TEST_F(LibraryScreen, AWorkspaceAllInTheLibraryHasNoSection) {
    open(numbered(3), {QStringLiteral("y=1x"), QStringLiteral("y=3x")});
    EXPECT_TRUE(workspaceShown().isEmpty());
    EXPECT_FALSE(screen_->workspaceHeader()->isVisible());
    EXPECT_FALSE(screen_->workspaceView()->isVisible());
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
    EXPECT_FALSE(screen_->workspaceHeader()->isVisible());
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
    // Nothing is deleted before the confirm.
    EXPECT_EQ(screen_->libraryExpressions().count(), 5);
    QTest::mouseClick(screen_->deleteConfirmButton(), Qt::LeftButton);
    EXPECT_EQ(shown(), (QStringList{"y=1x", "y=3x", "y=4x", "y=5x"}));
    EXPECT_FALSE(screen_->deleteConfirmButton()->isVisible());
    expectFileMatchesScreen();
    // The Delete key asks the same way; Escape takes the question back.
    screen_->libraryView()->setCurrentIndex(screen_->libraryExpressions().index(0));
    QTest::keyClick(screen_->libraryView(), Qt::Key_Delete);
    EXPECT_EQ(screen_->deleteConfirmRow(), 0);
    QTest::keyClick(screen_->libraryView(), Qt::Key_Escape);
    EXPECT_EQ(screen_->deleteConfirmRow(), -1);
    EXPECT_EQ(screen_->libraryExpressions().count(), 4);
    EXPECT_EQ(opener_.cancelled, 0);
}

TEST_F(LibraryScreen, MarkedEntriesAreDeletedTogether) {
    open(numbered(6));
    EXPECT_FALSE(screen_->deleteSelectionButton()->isVisible());
    screen_->editButton()->click();
    ASSERT_TRUE(screen_->isEditing());
    EXPECT_TRUE(screen_->deleteSelectionButton()->isVisible());
    EXPECT_EQ(screen_->deleteSelectionButton()->text(), QStringLiteral("Delete (0)"));
    EXPECT_FALSE(screen_->deleteSelectionButton()->isEnabled());
    for (const int row : {0, 2, 5}) {
        QTest::mouseClick(screen_->libraryView()->viewport(), Qt::LeftButton, {}, rowCentre(row));
    }
    EXPECT_EQ(screen_->deleteSelectionButton()->text(), QStringLiteral("Delete (3)"));
    EXPECT_TRUE(screen_->deleteSelectionButton()->isEnabled());
    // In editing a touch marks and never chooses.
    EXPECT_TRUE(opener_.chosen.empty());
    screen_->deleteSelectionButton()->click();
    EXPECT_EQ(shown(), (QStringList{"y=2x", "y=4x", "y=5x"}));
    EXPECT_FALSE(screen_->isEditing());
    expectFileMatchesScreen();

    screen_->setEditing(true);
    screen_->selectAllButton()->click();
    EXPECT_EQ(screen_->deleteSelectionButton()->text(), QStringLiteral("Delete (3)"));
    // Leaving editing clears the marks.
    QTest::keyClick(screen_->libraryView(), Qt::Key_Escape);
    EXPECT_FALSE(screen_->isEditing());
    screen_->setEditing(true);
    EXPECT_EQ(screen_->deleteSelectionButton()->text(), QStringLiteral("Delete (0)"));
}

TEST_F(LibraryScreen, MovingTheFirstRowToTheFourthGivesTwoThreeFourOneFive) {
    open(numbered(6));
    screen_->moveExpression(0, 3);
    EXPECT_EQ(shown(), (QStringList{"y=2x", "y=3x", "y=4x", "y=1x", "y=5x", "y=6x"}));
    expectFileMatchesScreen();
    // Alt+Up and Alt+Down move the current row one place.
    screen_->libraryView()->setCurrentIndex(screen_->libraryExpressions().index(3));
    QTest::keyClick(screen_->libraryView(), Qt::Key_Down, Qt::AltModifier);
    EXPECT_EQ(shown(), (QStringList{"y=2x", "y=3x", "y=4x", "y=5x", "y=1x", "y=6x"}));
    QTest::keyClick(screen_->libraryView(), Qt::Key_Up, Qt::AltModifier);
    QTest::keyClick(screen_->libraryView(), Qt::Key_Up, Qt::AltModifier);
    EXPECT_EQ(shown(), (QStringList{"y=2x", "y=3x", "y=1x", "y=4x", "y=5x", "y=6x"}));
    expectFileMatchesScreen();
    // Out of range moves nothing.
    screen_->moveExpression(0, 6);
    screen_->moveExpression(-1, 0);
    EXPECT_EQ(shown().size(), 6);
}

TEST_F(LibraryScreen, CaptionAndNotesEditsAreSavedAtOnce) {
    NavigationStack stack;
    open(numbered(3));
    RVPWLibraryDetailsController* details = screen_->showDetails(1);
    ASSERT_NE(details, nullptr);
    QLineEdit* caption = details->captionCell()->textField();
    EXPECT_EQ(caption->text(), QStringLiteral("entry 2"));
    EXPECT_EQ(caption->placeholderText(), QStringLiteral("None"));
    caption->setText(QStringLiteral("Parabola <&>"));
    // Opening the notes commits the caption first.
    LongTextFieldViewController* editor = details->editNotes();
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(fileItems()[1].toMap().value(RVEquation::expressionCaptionKey),
              QStringLiteral("Parabola <&>"));
    EXPECT_EQ(editor->windowTitle(), QStringLiteral("Notes"));
    editor->textView()->setPlainText(QStringLiteral("line one\nline two"));
    editor->save();
    EXPECT_EQ(fileItems()[1].toMap().value(RVEquation::expressionNotesKey),
              QStringLiteral("line one\nline two"));
    EXPECT_EQ(details->notesCell()->text(), QStringLiteral("line one\nline two"));
    expectFileMatchesScreen();
    EXPECT_EQ(screen_->libraryExpressions().data(screen_->libraryExpressions().index(1),
                                                 EquationListModel::CaptionRole),
              QStringLiteral("Parabola <&>"));
}

TEST_F(LibraryScreen, AChosenEntryGoesWithoutNotesAndKeepsThemInTheFile) {
    QVariantList items = numbered(3);
    items[0] = entry(QStringLiteral("y=1x"), QStringLiteral("first"), QStringLiteral("keep me"));
    open(items);
    QTest::mouseClick(screen_->libraryView()->viewport(), Qt::LeftButton, {}, rowCentre(0));
    ASSERT_EQ(opener_.chosen.size(), 1u);
    EXPECT_EQ(textOf(opener_.chosen[0]), QStringLiteral("y=1x"));
    EXPECT_EQ(opener_.chosen[0].value(RVEquation::expressionNotesKey), QString());
    EXPECT_EQ(opener_.chosen[0].value(RVEquation::expressionCaptionKey), QStringLiteral("first"));
    // A later change on the same screen saves the entry with its notes.
    screen_->deleteExpression(2);
    EXPECT_EQ(fileItems()[0].toMap().value(RVEquation::expressionNotesKey),
              QStringLiteral("keep me"));
    // Enter chooses the current row too.
    screen_->libraryView()->setCurrentIndex(screen_->libraryExpressions().index(1));
    QTest::keyClick(screen_->libraryView(), Qt::Key_Return);
    ASSERT_EQ(opener_.chosen.size(), 2u);
    EXPECT_EQ(textOf(opener_.chosen[1]), QStringLiteral("y=2x"));
}

TEST_F(LibraryScreen, UnreadItemsStayLastAndAreCounted) {
    const QVariantList items = {entry("y=1x"), QStringLiteral("y=("), entry("y=2x"), qlonglong(4),
                                entry("sin(")};
    open(items);
    EXPECT_EQ(shown(), (QStringList{"y=1x", "y=2x"}));
    EXPECT_TRUE(screen_->unreadLine()->isVisible());
    EXPECT_EQ(screen_->unreadLine()->text(),
              QStringLiteral("3 entries cannot be read and stay in the file"));
    screen_->moveExpression(1, 0);
    expectFileMatchesScreen({items[1], items[3], items[4]});
}

// "Another program" here is a direct write of the file from this process, standing in for a
// second Plotwise (the storage tests run a real second process).
TEST_F(LibraryScreen, AnotherProgramsVersionIsKeptAsideByTheNextChange) {
    open(numbered(4));
    screen_->deleteExpression(3);
    ASSERT_TRUE(screen_->messageBar()->isHidden());
    ASSERT_TRUE(PropertyList::writeFile(path_, QVariantList{entry("y=100x", "theirs")}));
    screen_->moveExpression(0, 1);
    expectFileMatchesScreen();
    ASSERT_TRUE(screen_->messageBar()->isVisible());
    const QString message = screen_->messageBar()->text();
    EXPECT_TRUE(message.startsWith(QStringLiteral(
        "Another program changed the library while it was open. Its version was kept as ")))
        << message.toStdString();
    // The storage tests compare the kept bytes; here the message names the kept file.
    const QString aside = message.section(QStringLiteral(" kept as "), 1).chopped(1);
    EXPECT_EQ(PropertyList::readFile(aside).value.toList().size(), 1) << aside.toStdString();
}

TEST_F(LibraryScreen, AnUnreadableFileShowsTheExamplesAndIsKeptAsideByTheFirstChange) {
    QDir().mkpath(QFileInfo(path_).absolutePath());
    QFile file(path_);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write("<?xml version=\"1.0\"?><plist><array><dict><key>expre");
    file.close();
    open();
    EXPECT_EQ(screen_->libraryExpressions().count(), 13);
    EXPECT_EQ(screen_->messageBar()->text(),
              QStringLiteral("The library file could not be read; it is left as it is"));
    screen_->deleteExpression(0);
    expectFileMatchesScreen();
    const QString message = screen_->messageBar()->text();
    const QString aside = message.section(QStringLiteral(" kept as "), 1).chopped(1);
    EXPECT_TRUE(aside.contains(QStringLiteral("expressions2D.plist.unreadable-")))
        << message.toStdString();
    EXPECT_TRUE(QFile::exists(aside));
}

TEST_F(LibraryScreen, AFailedWriteIsReportedAndTheChangeStaysOnScreen) {
    // A folder where the file should be: it can be neither read nor replaced.
    ASSERT_TRUE(QDir().mkpath(path_ + QStringLiteral("/inside")));
    open();
    QSignalSpy saved(screen_.get(), &RVPWLibraryViewController::saved);
    screen_->deleteExpression(0);
    ASSERT_EQ(saved.count(), 1);
    EXPECT_FALSE(saved[0][0].toBool());
    EXPECT_TRUE(screen_->messageBar()->text().startsWith(
        QStringLiteral("The library could not be saved: ")));
    EXPECT_EQ(screen_->libraryExpressions().count(), 12);
    EXPECT_TRUE(QFileInfo(path_).isDir());
}

TEST(LibraryRowHeight, FollowsTheFormulasBoxWithinTheListWidth) {
    struct Case {
        QSizeF formula;
        int listWidth;
        int height;
    };
    const std::vector<Case> cases = {
        {{}, 320, 65},           // no formula
        {{100, 20}, 320, 65},    // 46 is below the floor
        {{100, 60}, 320, 86},    // narrower than 276: its own height
        {{276, 60}, 320, 86},    // as wide as W: scaled by 1
        {{552, 200}, 320, 126},  // twice W: half its height
        {{552, 60}, 320, 65},    // scaled below the floor
        {{100, 60}, 44, 65},     // a list no wider than the margin
        {{100, 60}, 20, 65},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(RVPWLibraryCell::libraryRowHeight(c.formula, c.listWidth), c.height)
            << c.formula.width() << "x" << c.formula.height() << " in " << c.listWidth;
    }
}

TEST_F(LibraryScreen, ImagesAreMadeOnlyForRowsOnScreen) {
    QVariantList items;
    for (int i = 0; i < 400; ++i) {
        items.append(entry(QStringLiteral("y=x^%1+sin(x)/%2").arg(i % 9 + 2).arg(i + 1)));
    }
    open(items);
    QTest::qWait(50);
    screen_->libraryView()->grab();
    const int made = screen_->libraryExpressions().madeImageCount();
    EXPECT_GT(made, 0);
    EXPECT_LT(made, 40);
    screen_->libraryView()->scrollToBottom();
    screen_->libraryView()->grab();
    EXPECT_LE(screen_->libraryExpressions().heldImageCount(), RVPWLibraryModel::imageCacheSize);
    EXPECT_LT(screen_->libraryExpressions().madeImageCount(), 80);
}

// The 2D screen's Library action: the plane's equations beside the library, an entry chosen
// into the plane in the default colour, and Escape to leave.
TEST_F(LibraryScreen, TheTwoDScreenOpensItsLibraryAndTakesTheChoice) {
    env_.store.setValues({{RVPWSettingsManager::useRandomDefaultColorKey, false},
                          {RVPWSettingsManager::defaultColorKey, "00FF00"}});
    AppDelegate delegate(env_.context);
    delegate.didFinishLaunching({QStringLiteral("y=7x")});
    delegate.window()->resize(600, 700);
    RVPW2DViewController* graph = delegate.controller2D();
    QSignalSpy finished(graph, &RVPW2DViewController::loadingFinished);
    ASSERT_TRUE(graph->loadingDone() || finished.wait(10000));
    EXPECT_EQ(graph->libraryAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_L));
    graph->libraryAction()->trigger();
    RVPWLibraryViewController* library = graph->libraryViewController();
    ASSERT_NE(library, nullptr);
    EXPECT_EQ(library->plistFilename(), QStringLiteral("expressions2D.plist"));
    EXPECT_TRUE(library->window()->windowFlags().testFlag(Qt::Popup));  // a tablet popover
    if (!library->isLoaded()) {
        QSignalSpy loaded(library, &RVPWLibraryViewController::loadingFinished);
        ASSERT_TRUE(loaded.wait(10000));
    }
    ASSERT_EQ(library->currentExpressions().count(), 1);
    library->chooseRow(3);
    EXPECT_EQ(delegate.navigationStack()->topScreen(), graph);
    ASSERT_EQ(graph->equations().count(), 2);
    RVEquation2D* added = graph->equations().equationAt(1);
    EXPECT_EQ(QString::fromStdU16String(added->expression()->expressionString()),
              QStringLiteral("r=4*cos(Θ)"));
    EXPECT_EQ(added->color(), QColor(0, 255, 0));
    EXPECT_EQ(added->notes(), QString());

    graph->libraryAction()->trigger();
    library = graph->libraryViewController();
    ASSERT_NE(library, nullptr);
    QSignalSpy loaded(library, &RVPWLibraryViewController::loadingFinished);
    ASSERT_TRUE(library->isLoaded() || loaded.wait(10000));
    QTest::keyClick(library->libraryView(), Qt::Key_Escape);
    EXPECT_EQ(delegate.navigationStack()->topScreen(), graph);
    EXPECT_EQ(graph->equations().count(), 2);
    EXPECT_FALSE(QFile::exists(path_));
}

}  // namespace
}  // namespace plotwise
