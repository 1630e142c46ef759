#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QMenu>
#include <QSplitter>
#include <QToolBar>
#include <QToolButton>

#include "AppFixture.h"
#include "app/input/RVPWPadExpressionEditorViewController.h"
#include "app/rating/RVPWRatingPrompt.h"
#include "app/screens/graph/PhoneChrome.h"
#include "app/screens/graph/PlaneNotice.h"
#include "app/screens/graph/Popover.h"
#include "app/screens/info/RVPWHelpViewController.h"
#include "app/screens/info/RVPWInfoViewController.h"
#include "app/screens/library/RVPWLibraryViewController.h"
#include "app/screens/list/RVPWExpressionsTableViewController.h"
#include "app/screens/settings/RVPWSettingsViewController.h"
#include "app/shell/ExpressionRouting.h"
#include "app/shell/TabletSplitView.h"
#include "app/shell/sharing/RVPWShareController.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise {
namespace {

using testing::textsOf;

// One application delegate over a workspace of its own, on a phone or a tablet.
class Shell : public testing::AppFixture {
protected:
    // Ends the running application (which saves) and forgets its workspace.
    void startOver() {
        delegate_.reset();
        QFile::remove(prefsPath());
    }
};

// The stack, the split and the front screen's toolbar tags per idiom and stored front plane.
TEST_F(Shell, StackSplitAndToolbarsFollowTheIdiomAndTheStoredFrontPlane) {
    const QList<QList<int>> phone2D{{0, 1, 3, 4, 6}, {2, 8, 9, 10, 11}};
    const QList<QList<int>> phone3D{{0, 1, 3, 5, 6}, {2, 8, 9, 10, 11}};
    const QList<QList<int>> tablet{{0, 1, 2, 3, 6, 7, 8, 5}};
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        for (const bool front3D : {false, true}) {
            SCOPED_TRACE(::testing::Message() << int(device) << front3D);
            startOver();
            PreferenceStore(prefsPath())
                .setValue(WorkspaceStorage::is3DViewVisibleKey.toString(), front3D);
            launch(device);
            QList<QWidget*> expected{screen2D()};
            if (front3D) {
                expected.append(screen3D());
            }
            EXPECT_EQ(stack()->screens(), expected);
            EXPECT_EQ(delegate_->frontScreen(), expected.last());
            QList<QList<int>> bars;
            for (const QToolBar* bar : delegate_->frontScreen()->chrome().toolbars()) {
                bars.append(GraphScreenChrome::tags(bar));
            }
            const bool isTablet = device == DeviceClass::Tablet;
            EXPECT_EQ(bars, isTablet ? tablet : front3D ? phone3D : phone2D);
            EXPECT_EQ(delegate_->splitView() != nullptr, isTablet);
            if (isTablet) {
                EXPECT_EQ(delegate_->splitView()->splitter()->widget(1), stack());
                // The list beside the plane is the front plane's.
                auto* list = qobject_cast<RVPWExpressionsTableViewController*>(
                    delegate_->splitView()->masterStack()->currentWidget());
                ASSERT_NE(list, nullptr);
                EXPECT_EQ(&list->expressions(), &delegate_->frontScreen()->equationModel());
            } else {
                EXPECT_EQ(delegate_->window()->centralWidget(), stack());
            }
        }
    }
}

// Every action with its shortcut, named in its tooltip; none does anything before the restore.
TEST_F(Shell, ShortcutsAndTooltipsAndNothingBeforeTheRestore) {
    launch(DeviceClass::Phone);
    RVPW2DViewController* screen = screen2D();
    QSignalSpy share(screen, &RVPWGraphViewController::shareRequested);
    QSignalSpy help(screen, &RVPWGraphViewController::helpRequested);
    QSignalSpy about(screen, &RVPWGraphViewController::aboutRequested);
    ASSERT_FALSE(screen->loadingDone());
    screen->equationView()->panBy(QPointF(40, 40));
    QStringList shortcuts;
    for (const ScreenAction which :
         {ScreenAction::Add, ScreenAction::Equations, ScreenAction::Library,
          ScreenAction::SwitchPlane, ScreenAction::Help, ScreenAction::Info, ScreenAction::Settings,
          ScreenAction::Share, ScreenAction::ResetView}) {
        QAction* action = screen->action(which);
        const QString shortcut = action->shortcut().toString(QKeySequence::NativeText);
        shortcuts.append(shortcut);
        EXPECT_TRUE(action->toolTip().contains(shortcut)) << action->toolTip().toStdString();
        action->trigger();
    }
    EXPECT_EQ(shortcuts.join(u'|'),
              QStringLiteral("Ctrl+N|Ctrl+E|Ctrl+L|Ctrl+3|F1|Ctrl+I|Ctrl+,||"));
    EXPECT_NE(screen->equationView()->viewstate().scrollX, 0.0) << "not reset";
    RVPWShareController* sharing = screen->shareController();
    for (QAction* action : {sharing->copyImageAction(), sharing->saveImageAction(),
                            sharing->emailAction(), sharing->exportAction()}) {
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    }
    EXPECT_EQ(stack()->screens(), QList<QWidget*>{screen});
    EXPECT_EQ(share.size() + help.size() + about.size(), 0);
    waitRestored(screen);
    EXPECT_TRUE(sharing->saveImageAction()->isEnabled());
    EXPECT_EQ(screen3D()->action(ScreenAction::SwitchPlane)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_2));
}

TEST_F(Shell, EachActionOpensItsScreenOnEitherIdiom) {
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        SCOPED_TRACE(int(device));
        const bool tablet = device == DeviceClass::Tablet;
        startOver();
        RVPW2DViewController* screen = launchRestored(device);
        screen->action(ScreenAction::Add)->trigger();
        QWidget* input =
            tablet
                ? static_cast<QWidget*>(screen->findChild<RVPWPadExpressionEditorViewController*>())
                : stack()->topScreen();
        ASSERT_NE(qobject_cast<RVPWExpressionInputController*>(input), nullptr);
        EXPECT_TRUE(!tablet || (input->isWindow() && input->isVisible()));
        qobject_cast<RVPWExpressionInputController*>(input)->cancel();
        QCoreApplication::processEvents();
        EXPECT_EQ(stack()->topScreen(), screen);

        QSignalSpy listWanted(screen, &RVPWGraphViewController::equationListRequested);
        screen->action(ScreenAction::Equations)->trigger();
        EXPECT_EQ(listWanted.size(), tablet ? 1 : 0);
        EXPECT_EQ(stack()->topScreen(),
                  tablet ? static_cast<QWidget*>(screen) : screen->equationList());
        if (!tablet) {
            screen->expressionsControllerDone(screen->equationList());
        }

        // The library and About: a popover on a tablet, a pushed screen on a phone.
        screen->action(ScreenAction::Library)->trigger();
        RVPWLibraryViewController* library = screen->libraryViewController();
        ASSERT_NE(library, nullptr);
        EXPECT_EQ(stack()->topScreen() == library, !tablet);
        EXPECT_EQ(qobject_cast<Popover*>(library->window()) != nullptr, tablet);
        tablet ? (void)library->window()->close() : screen->libraryControllerDidCancel(library);
        EXPECT_TRUE(!tablet ||
                    QTest::qWaitFor([&] { return screen->libraryViewController() == nullptr; }));
        EXPECT_EQ(stack()->topScreen(), screen);

        screen->action(ScreenAction::Info)->trigger();
        QPointer<RVPWInfoViewController> about = screen->openAbout();
        ASSERT_FALSE(about.isNull());
        EXPECT_EQ(stack()->topScreen() == about, !tablet);
        EXPECT_EQ(qobject_cast<Popover*>(about->window()) != nullptr, tablet);
        emit about->done();
        EXPECT_TRUE(QTest::qWaitFor([&] { return about.isNull(); }));
        EXPECT_EQ(stack()->topScreen(), screen);

        screen->action(ScreenAction::Settings)->trigger();
        ASSERT_NE(screen->settingsController(), nullptr);
        EXPECT_EQ(stack()->topScreen(), screen->settingsController());
        emit screen->settingsController()->doneRequested();
        EXPECT_EQ(stack()->topScreen(), screen);

        screen->action(ScreenAction::Share)->trigger();
        EXPECT_TRUE(screen->shareController()->menu()->isVisible());
        screen->shareController()->menu()->close();

        // Escape leaves Help as Done does.
        screen->action(ScreenAction::Help)->trigger();
        RVPWHelpViewController* help = screen->openHelp();
        EXPECT_EQ(stack()->topScreen(), help);
        help->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(help->window()));
        QTest::keyClick(help, Qt::Key_Escape);
        EXPECT_EQ(stack()->topScreen(), screen);

        screen->equationView()->panBy(QPointF(50, 20));
        screen->action(ScreenAction::ResetView)->trigger();
        EXPECT_EQ(screen->equationView()->viewstate().scrollX, 0.0);

        QSignalSpy front(delegate_.get(), &AppDelegate::frontScreenChanged);
        screen->action(ScreenAction::SwitchPlane)->trigger();
        EXPECT_EQ(delegate_->frontScreen(), screen3D());
        EXPECT_EQ(front.value(front.size() - 1).value(0).value<RVPWGraphViewController*>(),
                  screen3D());
        // Back: the signal, and the list beside the plane, name the plane now in front.
        waitRestored(screen3D());
        screen3D()->action(ScreenAction::SwitchPlane)->trigger();
        EXPECT_EQ(delegate_->frontScreen(), screen);
        EXPECT_EQ(front.value(front.size() - 1).value(0).value<RVPWGraphViewController*>(), screen);
        EXPECT_TRUE(!tablet || delegate_->splitView()->masterStack()->currentWidget() ==
                                   static_cast<QWidget*>(screen->masterList()));
    }
}

TEST_F(Shell, PhoneToolbarExpandsAndHidesByTouch) {
    for (const bool canHide : {true, false}) {
        SCOPED_TRACE(canHide);
        startOver();
        PreferenceStore(prefsPath()).setValue(RVPWSettingsManager::phoneHidesToolbarKey, canHide);
        launch(DeviceClass::Phone, {}, false, QSize(400, 700));
        RVPW2DViewController* screen = screen2D();
        waitRestored(screen);
        auto& chrome = static_cast<PhoneChrome&>(screen->chrome());
        const QRect bar = chrome.mainToolbar()->geometry();
        EXPECT_EQ(bar.bottom(), screen->rect().bottom());
        EXPECT_FALSE(chrome.secondaryToolbar()->isVisible());
        EXPECT_EQ(screen->equationView()->delegate()->sizeWithTopAndBottomOffsets().height(),
                  bar.height());
        // Expanded, the second bar takes the bottom and the first moves up above it.
        chrome.moreAction()->trigger();
        EXPECT_TRUE(chrome.isExpanded());
        EXPECT_EQ(chrome.secondaryToolbar()->geometry().top(), bar.top());
        EXPECT_EQ(chrome.mainToolbar()->geometry().bottom(), bar.top() - 1);
        EXPECT_EQ(chrome.bottomOffset(), 2.0 * bar.height());

        // A moving touch hides the bar where allowed; else it only collapses.
        QPointingDevice* finger = QTest::createTouchDevice();
        QWidget* view = screen->equationView();
        QTest::touchEvent(view, finger).press(0, QPoint(100, 100));
        QTest::touchEvent(view, finger).move(0, QPoint(140, 130));
        QTest::touchEvent(view, finger).release(0, QPoint(140, 130));
        EXPECT_FALSE(chrome.isExpanded());
        EXPECT_EQ(chrome.isToolbarHidden(), canHide);
        EXPECT_EQ(chrome.mainToolbar()->isVisible(), !canHide);
        // A touch low on the plane brings it back after 0.2 s.
        QTest::touchEvent(view, finger).press(0, QPoint(100, view->height() - 30));
        QTest::touchEvent(view, finger).release(0, QPoint(100, view->height() - 30));
        EXPECT_TRUE(QTest::qWaitFor([&] { return !chrome.isToolbarHidden(); }, 2000));
        EXPECT_TRUE(chrome.mainToolbar()->isVisible());
    }
}

// The rating prompt is told of the launch and of each return to the foreground.
TEST_F(Shell, SuspensionSavesInStackOrderAndDropsTheUnstacked3DScreenAndReturnsAreCounted) {
    PreferenceStore ratingStore(folder_.filePath(QStringLiteral("rating.plist")));
    RVPWRatingPrompt prompt(ratingStore);
    prompt.setReachability([] { return false; });
    const auto uses = [&prompt] { return prompt.counters().useCount(); };
    launch(DeviceClass::Phone, {QStringLiteral("y=x")}, false, QSize(900, 700), &prompt);
    waitRestored(screen2D());
    EXPECT_EQ(uses(), 1);
    delegate_->push3DController();
    QPointer<RVPW3DViewController> first3D = screen3D();
    waitRestored(first3D);
    ASSERT_FALSE(first3D->addExpression(QStringLiteral("z=x")).has_value());

    QSignalSpy foreground(delegate_.get(), &AppDelegate::applicationEnteredForeground);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(foreground.size() + uses(), 1);  // focus changes are not a return
    // Stacked, the 3D screen survives a suspension; the last save names it as in front.
    emit qApp->applicationStateChanged(Qt::ApplicationSuspended);
    EXPECT_FALSE(first3D.isNull());
    EXPECT_TRUE(reread().boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
    EXPECT_EQ(stored(WorkspaceStorage::currentExpressions3DKey), QStringList{"z=x"});
    EXPECT_EQ(stored(WorkspaceStorage::currentExpressions2DKey), QStringList{"y=x"});
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(foreground.size(), 1);
    EXPECT_EQ(uses(), 2);

    delegate_->pop3DController();
    emit qApp->applicationStateChanged(Qt::ApplicationHidden);
    EXPECT_FALSE(first3D.isNull());  // hidden only saves
    EXPECT_FALSE(reread().boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
    emit qApp->applicationStateChanged(Qt::ApplicationSuspended);
    EXPECT_TRUE(first3D.isNull());
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(foreground.size(), 2);
    // Made again on demand, with its plane as saved.
    delegate_->push3DController();
    waitRestored(screen3D());
    EXPECT_EQ(textsOf(screen3D()->equationModel()), QStringList{"z=x"});
    EXPECT_EQ(uses(), 3);
    delegate_.reset();  // before the prompt it tells
}

TEST_F(Shell, CommandLineExpressionsAreRoutedNoticedAndNotRepeated) {
    EXPECT_EQ(ExpressionRouting::route({"y=x^2", "z=x", "x^2+y^2+z^2<1", "r=Φ", "y=(("}, false)
                  .expressions3D,
              (QStringList{"z=x", "x^2+y^2+z^2<1", "r=Φ"}));
    EXPECT_EQ(ExpressionRouting::route({"y=x"}, true).expressions3D, QStringList{"y=x"});

    const QStringList arguments{"y=x^2", "z=x^2", "y=(x"};
    for (int run = 0; run < 2; ++run) {
        SCOPED_TRACE(run);
        launch(DeviceClass::Phone, arguments);
        // The 3D expression shows the 3D plane; the 2D ones still reach their plane.
        EXPECT_EQ(delegate_->frontScreen(), screen3D());
        waitRestored(screen2D());
        waitRestored(screen3D());
        EXPECT_EQ(textsOf(screen2D()->equationModel()), QStringList{"y=x^2"});
        EXPECT_EQ(textsOf(screen3D()->equationModel()), QStringList{"z=x^2"});
        const QString notice = screen2D()->notice()->text();
        EXPECT_TRUE(notice.contains(QStringLiteral("y=(x"))) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QStringLiteral("character"))) << notice.toStdString();
        delegate_->window()->close();
    }
}

TEST_F(Shell, AnUnreadableWorkspaceIsAnnouncedOnceNamingTheKeptFile) {
    QFile file(prefsPath());
    ASSERT_TRUE(file.open(QIODevice::WriteOnly) && file.write("<plist><dict><key>broken") > 0);
    file.close();
    launch(DeviceClass::Tablet);
    waitRestored(screen2D());
    const QString kept = store_->keptAsidePath();
    EXPECT_TRUE(!kept.isEmpty() && QFileInfo::exists(kept));
    EXPECT_TRUE(screen2D()->notice()->isVisible() && screen2D()->notice()->text().contains(kept));
    delegate_->push3DController();
    waitRestored(screen3D());
    EXPECT_TRUE(screen3D()->notice()->text().isEmpty());
    // A readable file says nothing.
    launch(DeviceClass::Tablet);
    waitRestored(delegate_->frontScreen());
    EXPECT_TRUE(delegate_->frontScreen()->notice()->text().isEmpty());
}

TEST_F(Shell, TallTabletWindowsShowTheListFromAnEquationsButton) {
    launchRestored(DeviceClass::Tablet);
    TabletSplitView* split = delegate_->splitView();
    // Wide, the list is beside the plane; tall, behind an Equations button, and back.
    for (const QSize size : {QSize(600, 900), QSize(1000, 700), QSize(600, 900)}) {
        delegate_->window()->resize(size);
        const bool tall = size.height() > size.width();
        ASSERT_TRUE(QTest::qWaitFor([&] { return split->isMasterHidden() == tall; }));
        EXPECT_EQ(split->masterStack()->isVisible(), !tall);
        EXPECT_EQ(split->equationsButton()->isVisible(), tall);
    }
    // Ctrl+E (the list action) opens the list in a popup, painted.
    screen2D()->action(ScreenAction::Equations)->trigger();
    ASSERT_NE(split->masterPopup(), nullptr);
    EXPECT_TRUE(split->masterPopup()->isVisible());
    EXPECT_EQ(split->masterStack()->window(), split->masterPopup());
    const QImage shown = split->masterPopup()->grab().toImage();
    EXPECT_GT(qGray(shown.pixel(shown.width() / 2, shown.height() - 60)), 100);
    split->hideMasterPopup();
    EXPECT_EQ(split->masterPopup(), nullptr);
    EXPECT_EQ(split->masterStack()->parentWidget(), split->splitter());
}

TEST_F(Shell, CtrlQSavesFromAnyWindowAlsoAPopup) {
    launchRestored(DeviceClass::Tablet, {QStringLiteral("y=x")})
        ->action(ScreenAction::Library)
        ->trigger();
    QWidget* popover = screen2D()->libraryViewController()->window();
    ASSERT_TRUE(popover->isVisible());
    ASSERT_TRUE(stored(WorkspaceStorage::currentExpressions2DKey).isEmpty());
    QTest::keyClick(popover, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(stored(WorkspaceStorage::currentExpressions2DKey), QStringList{"y=x"});
}

// An empty plane shows how to add (not before the restore); the phone's formula viewer pages
// through the visible equations only.
TEST_F(Shell, VisibleViewsEquationsAndTheEmptyPlaneHint) {
    launch(DeviceClass::Phone);
    RVPW2DViewController* screen = screen2D();
    EXPECT_FALSE(screen->emptyPlaneHint()->isVisible());
    waitRestored(screen);
    EXPECT_TRUE(screen->emptyPlaneHint()->isVisible());
    RVEquation2DView mirror;
    delegate_->setExternalView(&mirror);
    EXPECT_EQ(screen->arrayWithVisible2DViews(),
              (QList<RVEquation2DView*>{screen->equationView(), &mirror}));
    delegate_->setExternalView(nullptr);
    ASSERT_FALSE(screen->addExpression(QStringLiteral("y=x")).has_value());
    ASSERT_FALSE(screen->addExpression(QStringLiteral("y=-x")).has_value());
    EXPECT_FALSE(screen->emptyPlaneHint()->isVisible());
    screen->equations().equationAt(1)->setVisible(false);
    EXPECT_EQ(screen->visibleEquations(),
              QList<const RVEquation*>{screen->equations().equationAt(0)});
    EXPECT_EQ(screen->imageRepresentation().size(),
              screen->equationView()->size() * screen->devicePixelRatio());
    RVPWScreenExpressionViewer* viewer = screen->expressionViewer();
    ASSERT_TRUE(viewer != nullptr && !viewer->isHidden());
    viewer->toggle();
    EXPECT_EQ(viewer->pageCount(), 1);
    EquationListModel& model = screen->equations();
    model.setData(model.index(0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_TRUE(viewer->isHidden());
    model.takeEquation(1);
    model.takeEquation(0);
    EXPECT_TRUE(screen->emptyPlaneHint()->isVisible());
}

}  // namespace
}  // namespace plotwise
