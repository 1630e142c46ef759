#include <gtest/gtest.h>

#include <QAction>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QLabel>
#include <QMenu>
#include <QSignalSpy>
#include <QSplitter>
#include <QStackedWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QToolButton>
#include <memory>

#include "app/context/ApplicationContext.h"
#include "app/input/RVPWPadExpressionEditorViewController.h"
#include "app/input/RVTextField.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/screens/graph/PhoneChrome.h"
#include "app/screens/graph/PlaneNotice.h"
#include "app/screens/graph/Popover.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "app/screens/graph/TabletChrome.h"
#include "app/screens/info/RVPWHelpViewController.h"
#include "app/screens/info/RVPWInfoViewController.h"
#include "app/screens/library/RVPWLibraryViewController.h"
#include "app/screens/list/RVPWExpressionsTableViewController.h"
#include "app/screens/settings/RVPWSettingsViewController.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/ExpressionRouting.h"
#include "app/shell/NavigationStack.h"
#include "app/shell/TabletSplitView.h"
#include "app/shell/sharing/RVPWShareController.h"
#include "app/storage/WorkspaceStorage.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise {
namespace {

QVariantMap stateOf(const QString& text) {
    return {{QStringLiteral("expressionString"), text},
            {QStringLiteral("expressionColor"), QStringLiteral("FF0000")},
            {QStringLiteral("expressionVisibile"), true}};
}

QStringList textsOf(const EquationListModel& model) {
    QStringList texts;
    for (int row = 0; row < model.rowCount(); ++row) {
        texts.append(model.data(model.index(row), EquationListModel::SourceTextRole).toString());
    }
    return texts;
}

QString deviceName(DeviceClass device) {
    return device == DeviceClass::Phone ? QStringLiteral("phone") : QStringLiteral("tablet");
}

// One application delegate over a workspace of its own, on a phone or a tablet.
class Shell : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(folder_.isValid()); }

    QString prefsPath() const { return folder_.filePath(QStringLiteral("prefs.plist")); }

    // Ends the running application (which saves) and forgets its workspace.
    void startOver() {
        delegate_.reset();
        context_.reset();
        store_.reset();
        QFile::remove(prefsPath());
    }

    void launch(DeviceClass device, const QStringList& expressions = {}, bool in3D = false,
                QSize size = QSize(900, 700)) {
        delegate_.reset();
        context_.reset();
        store_ = std::make_unique<PreferenceStore>(prefsPath());
        context_ = std::make_unique<ApplicationContext>(*store_, center_, device);
        context_->settings().registerDefaults();
        delegate_ = std::make_unique<AppDelegate>(*context_);
        delegate_->didFinishLaunching(expressions, in3D);
        delegate_->window()->resize(size);
    }

    static void waitRestored(RVPWGraphViewController* screen) {
        ASSERT_TRUE(QTest::qWaitFor([screen] { return screen->loadingDone(); }, 10000));
    }

    RVPW2DViewController* screen2D() const { return delegate_->controller2D(); }
    NavigationStack* stack() const { return delegate_->navigationStack(); }

    QTemporaryDir folder_;
    std::unique_ptr<PreferenceStore> store_;
    NotificationCenter center_;
    std::unique_ptr<ApplicationContext> context_;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(Shell, StackAndSplitFollowTheStoredFrontPlane) {
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        for (const bool front3D : {false, true}) {
            SCOPED_TRACE((deviceName(device) + (front3D ? " 3D" : " 2D")).toStdString());
            startOver();
            PreferenceStore(prefsPath())
                .setValue(WorkspaceStorage::is3DViewVisibleKey.toString(), front3D);
            launch(device);
            QList<QWidget*> expected{screen2D()};
            if (front3D) {
                expected.append(delegate_->controller3D());
            }
            EXPECT_EQ(stack()->screens(), expected);
            EXPECT_EQ(delegate_->frontScreen(), expected.last());
            if (device == DeviceClass::Tablet) {
                ASSERT_NE(delegate_->splitView(), nullptr);
                EXPECT_EQ(delegate_->splitView()->splitter()->widget(1), stack());
                // The list beside the plane is the front plane's.
                auto* list = qobject_cast<RVPWExpressionsTableViewController*>(
                    delegate_->splitView()->masterStack()->currentWidget());
                ASSERT_NE(list, nullptr);
                EXPECT_EQ(&list->expressions(), &delegate_->frontScreen()->equationModel());
            } else {
                EXPECT_EQ(delegate_->splitView(), nullptr);
                EXPECT_EQ(delegate_->window()->centralWidget(), stack());
            }
        }
    }
}

TEST_F(Shell, ToolbarTagsInTheirOrderPerIdiomAndPlane) {
    struct Case {
        DeviceClass device;
        bool is3D;
        QList<QList<int>> bars;
    };
    const QList<Case> cases{
        {DeviceClass::Phone, false, {{0, 1, 3, 4, 6}, {2, 8, 9, 10, 11}}},
        {DeviceClass::Phone, true, {{0, 1, 3, 5, 6}, {2, 8, 9, 10, 11}}},
        {DeviceClass::Tablet, false, {{0, 1, 2, 3, 6, 7, 8, 5}}},
        {DeviceClass::Tablet, true, {{0, 1, 2, 3, 6, 7, 8, 5}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE((deviceName(c.device) + (c.is3D ? " 3D" : " 2D")).toStdString());
        launch(c.device);
        RVPWGraphViewController* screen =
            c.is3D ? static_cast<RVPWGraphViewController*>(delegate_->controller3D()) : screen2D();
        QList<QList<int>> bars;
        for (const QToolBar* bar : screen->chrome().toolbars()) {
            bars.append(GraphScreenChrome::tags(bar));
        }
        EXPECT_EQ(bars, c.bars);
    }
    launch(DeviceClass::Tablet);
    EXPECT_EQ(screen2D()->toolbar()->size(), TabletChrome::barSize);
}

// Every action with its shortcut, named in its tooltip; none does anything before the restore.
TEST_F(Shell, ShortcutsAndTooltipsAndNothingBeforeTheRestore) {
    const QList<std::pair<ScreenAction, QKeySequence>> shortcuts{
        {ScreenAction::Add, QKeySequence(Qt::CTRL | Qt::Key_N)},
        {ScreenAction::Equations, QKeySequence(Qt::CTRL | Qt::Key_E)},
        {ScreenAction::Library, QKeySequence(Qt::CTRL | Qt::Key_L)},
        {ScreenAction::SwitchPlane, QKeySequence(Qt::CTRL | Qt::Key_3)},
        {ScreenAction::Help, QKeySequence(Qt::Key_F1)},
        {ScreenAction::Info, QKeySequence(Qt::CTRL | Qt::Key_I)},
        {ScreenAction::Settings, QKeySequence(Qt::CTRL | Qt::Key_Comma)},
        {ScreenAction::Share, QKeySequence()},
        {ScreenAction::ResetView, QKeySequence()},
    };
    launch(DeviceClass::Phone);
    RVPW2DViewController* screen = screen2D();
    QSignalSpy share(screen, &RVPWGraphViewController::shareRequested);
    QSignalSpy help(screen, &RVPWGraphViewController::helpRequested);
    QSignalSpy about(screen, &RVPWGraphViewController::aboutRequested);
    ASSERT_FALSE(screen->loadingDone());
    for (const auto& [which, sequence] : shortcuts) {
        QAction* action = screen->action(which);
        EXPECT_EQ(action->shortcut(), sequence) << action->text().toStdString();
        if (!sequence.isEmpty()) {
            EXPECT_TRUE(action->toolTip().contains(sequence.toString(QKeySequence::NativeText)))
                << action->toolTip().toStdString();
        }
        action->trigger();
    }
    RVPWShareController* sharing = screen->shareController();
    for (QAction* action : {sharing->copyImageAction(), sharing->saveImageAction(),
                            sharing->emailAction(), sharing->exportAction()}) {
        EXPECT_FALSE(action->isEnabled()) << action->text().toStdString();
    }
    EXPECT_EQ(stack()->screens(), QList<QWidget*>{screen});
    EXPECT_EQ(share.size() + help.size() + about.size(), 0);
    waitRestored(screen);
    EXPECT_TRUE(sharing->saveImageAction()->isEnabled());
    EXPECT_EQ(delegate_->controller3D()->action(ScreenAction::SwitchPlane)->shortcut(),
              QKeySequence(Qt::CTRL | Qt::Key_2));
}

TEST_F(Shell, EachActionOpensItsScreenOnEitherIdiom) {
    for (const DeviceClass device : {DeviceClass::Phone, DeviceClass::Tablet}) {
        SCOPED_TRACE(deviceName(device).toStdString());
        const bool tablet = device == DeviceClass::Tablet;
        startOver();
        launch(device);
        RVPW2DViewController* screen = screen2D();
        waitRestored(screen);

        screen->action(ScreenAction::Add)->trigger();
        QWidget* input =
            tablet
                ? static_cast<QWidget*>(screen->findChild<RVPWPadExpressionEditorViewController*>())
                : stack()->topScreen();
        ASSERT_NE(qobject_cast<RVPWExpressionInputController*>(input), nullptr);
        if (tablet) {
            EXPECT_TRUE(input->isWindow() && input->isVisible());
        }
        qobject_cast<RVPWExpressionInputController*>(input)->cancel();
        QCoreApplication::processEvents();
        EXPECT_EQ(stack()->topScreen(), screen);

        QSignalSpy listWanted(screen, &RVPWGraphViewController::equationListRequested);
        screen->action(ScreenAction::Equations)->trigger();
        if (tablet) {
            EXPECT_EQ(listWanted.size(), 1);
            EXPECT_EQ(stack()->topScreen(), screen);
        } else {
            EXPECT_EQ(stack()->topScreen(), screen->equationList());
            screen->expressionsControllerDone(screen->equationList());
        }

        screen->action(ScreenAction::Library)->trigger();
        RVPWLibraryViewController* library = screen->libraryViewController();
        ASSERT_NE(library, nullptr);
        if (tablet) {
            auto* popover = qobject_cast<Popover*>(library->window());
            ASSERT_NE(popover, nullptr);
            EXPECT_EQ(popover->size(), QSize(480, 440));
            EXPECT_TRUE(popover->windowFlags().testFlag(Qt::Popup));
            popover->close();
            EXPECT_TRUE(
                QTest::qWaitFor([&] { return screen->libraryViewController() == nullptr; }));
        } else {
            EXPECT_EQ(stack()->topScreen(), library);
            screen->libraryControllerDidCancel(library);
        }
        EXPECT_EQ(stack()->topScreen(), screen);

        screen->action(ScreenAction::Settings)->trigger();
        ASSERT_NE(screen->settingsController(), nullptr);
        EXPECT_EQ(stack()->topScreen(), screen->settingsController());
        emit screen->settingsController()->doneRequested();
        EXPECT_EQ(stack()->topScreen(), screen);

        screen->action(ScreenAction::Share)->trigger();
        QMenu* shareMenu = screen->shareController()->menu();
        EXPECT_TRUE(shareMenu->isVisible());
        shareMenu->close();

        screen->action(ScreenAction::Help)->trigger();
        RVPWHelpViewController* help = screen->openHelp();
        EXPECT_EQ(stack()->topScreen(), help);
        // Escape leaves it as Done does.
        help->window()->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(help->window()));
        QTest::keyClick(help, Qt::Key_Escape);
        EXPECT_EQ(stack()->topScreen(), screen);

        screen->action(ScreenAction::Info)->trigger();
        QPointer<RVPWInfoViewController> about = screen->openAbout();
        if (tablet) {
            auto* popover = qobject_cast<Popover*>(about->window());
            ASSERT_NE(popover, nullptr);
            EXPECT_EQ(popover->size(), QSize(320, 416));
        } else {
            EXPECT_EQ(stack()->topScreen(), about);
        }
        emit about->done();
        EXPECT_TRUE(QTest::qWaitFor([&] { return about.isNull(); }));
        EXPECT_EQ(stack()->topScreen(), screen);

        screen->equationView()->panBy(QPointF(50, 20));
        screen->action(ScreenAction::ResetView)->trigger();
        EXPECT_EQ(screen->equationView()->viewstate().scrollX, 0.0);

        QSignalSpy front(delegate_.get(), &AppDelegate::frontScreenChanged);
        screen->action(ScreenAction::SwitchPlane)->trigger();
        EXPECT_EQ(delegate_->frontScreen(), delegate_->controller3D());
        ASSERT_GE(front.size(), 1);
        EXPECT_EQ(front.last()[0].value<RVPWGraphViewController*>(), delegate_->controller3D());
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
        const int height = screen->height();
        EXPECT_EQ(chrome.mainToolbar()->geometry(), QRect(0, height - 44, screen->width(), 44));
        EXPECT_FALSE(chrome.secondaryToolbar()->isVisible());
        EXPECT_EQ(screen->equationView()->delegate()->sizeWithTopAndBottomOffsets().height(), 44.0);

        chrome.moreAction()->trigger();
        EXPECT_TRUE(chrome.isExpanded());
        EXPECT_EQ(chrome.secondaryToolbar()->geometry().top(), height - 44);
        EXPECT_EQ(chrome.mainToolbar()->geometry().top(), height - 88);
        EXPECT_EQ(chrome.moreAction()->text(), QStringLiteral("Close"));
        EXPECT_EQ(chrome.bottomOffset(), 88.0);

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

TEST_F(Shell, SavesInStackOrderAndDropsTheUnstacked3DScreenOnSuspension) {
    launch(DeviceClass::Phone, {QStringLiteral("y=x")});
    waitRestored(screen2D());
    delegate_->push3DController();
    QPointer<RVPW3DViewController> screen3D = delegate_->controller3D();
    waitRestored(screen3D);
    ASSERT_FALSE(screen3D->addExpression(QStringLiteral("z=x")).has_value());

    QSignalSpy foreground(delegate_.get(), &AppDelegate::applicationEnteredForeground);
    emit qApp->applicationStateChanged(Qt::ApplicationInactive);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(foreground.size(), 0);  // focus changes are not a return
    // Stacked, the 3D screen survives a suspension; the last save names it as in front.
    emit qApp->applicationStateChanged(Qt::ApplicationSuspended);
    EXPECT_FALSE(screen3D.isNull());
    PreferenceStore reread(prefsPath());
    EXPECT_TRUE(reread.boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
    EXPECT_EQ(reread.arrayValue(WorkspaceStorage::currentExpressions3DKey.toString()).size(), 1);
    EXPECT_EQ(reread.arrayValue(WorkspaceStorage::currentExpressions2DKey.toString()).size(), 1);
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(foreground.size(), 1);

    delegate_->pop3DController();
    emit qApp->applicationStateChanged(Qt::ApplicationHidden);
    EXPECT_FALSE(screen3D.isNull());  // hidden only saves
    EXPECT_FALSE(
        PreferenceStore(prefsPath()).boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
    emit qApp->applicationStateChanged(Qt::ApplicationSuspended);
    EXPECT_TRUE(screen3D.isNull());
    emit qApp->applicationStateChanged(Qt::ApplicationActive);
    EXPECT_EQ(foreground.size(), 2);
    // Made again on demand, with its plane as saved.
    delegate_->push3DController();
    waitRestored(delegate_->controller3D());
    EXPECT_EQ(textsOf(delegate_->controller3D()->equationModel()), QStringList{"z=x"});
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
        EXPECT_EQ(delegate_->frontScreen(), delegate_->controller3D());
        waitRestored(screen2D());
        waitRestored(delegate_->controller3D());
        EXPECT_EQ(textsOf(screen2D()->equationModel()), QStringList{"y=x^2"});
        EXPECT_EQ(textsOf(delegate_->controller3D()->equationModel()), QStringList{"z=x^2"});
        const QString notice = screen2D()->notice()->text();
        EXPECT_TRUE(notice.contains(QStringLiteral("y=(x"))) << notice.toStdString();
        EXPECT_TRUE(notice.contains(QStringLiteral("character"))) << notice.toStdString();
        delegate_->window()->close();
    }
}

TEST_F(Shell, AnUnreadableWorkspaceIsAnnouncedOnceNamingTheKeptFile) {
    {
        QFile file(prefsPath());
        ASSERT_TRUE(file.open(QIODevice::WriteOnly));
        file.write("<?xml version=\"1.0\"?><plist><dict><key>broken");
    }
    launch(DeviceClass::Tablet);
    waitRestored(screen2D());
    const QString kept = store_->keptAsidePath();
    ASSERT_FALSE(kept.isEmpty());
    EXPECT_TRUE(QFileInfo::exists(kept));
    EXPECT_TRUE(screen2D()->notice()->isVisible());
    EXPECT_TRUE(screen2D()->notice()->text().contains(kept));
    delegate_->push3DController();
    waitRestored(delegate_->controller3D());
    EXPECT_TRUE(delegate_->controller3D()->notice()->text().isEmpty());
    // A readable file says nothing.
    launch(DeviceClass::Tablet);
    waitRestored(delegate_->frontScreen());
    EXPECT_TRUE(delegate_->frontScreen()->notice()->text().isEmpty());
}

TEST_F(Shell, AnEmptyPlaneShowsHowToAddUntilItHasAnEquation) {
    launch(DeviceClass::Phone);
    EXPECT_FALSE(screen2D()->emptyPlaneHint()->isVisible());  // not before the restore
    waitRestored(screen2D());
    EXPECT_TRUE(screen2D()->emptyPlaneHint()->isVisible());
    EXPECT_TRUE(screen2D()->emptyPlaneHint()->text().contains(QStringLiteral("Tap +")));
    ASSERT_FALSE(screen2D()->addExpression(QStringLiteral("y=x")).has_value());
    EXPECT_FALSE(screen2D()->emptyPlaneHint()->isVisible());
    screen2D()->equationModel().takeEquation(0);
    EXPECT_TRUE(screen2D()->emptyPlaneHint()->isVisible());
}

TEST_F(Shell, TheTabletEditorPopoverEditsATouchedRow) {
    PreferenceStore(prefsPath())
        .setValue(WorkspaceStorage::currentExpressions2DKey.toString(),
                  QVariantList{stateOf("y=x"), stateOf("y=2x")});
    launch(DeviceClass::Tablet);
    waitRestored(screen2D());
    RVPWExpressionsTableViewController* list = screen2D()->masterList();
    for (const bool accept : {false, true}) {
        list->editExpression(1);
        auto* editor =
            qobject_cast<RVPWPadExpressionEditorViewController*>(list->expressionInput());
        ASSERT_NE(editor, nullptr);
        EXPECT_TRUE(editor->windowFlags().testFlag(Qt::Popup));
        EXPECT_EQ(editor->width(), RVPWPadExpressionEditorViewController::editorWidth);
        EXPECT_EQ(editor->textField()->text(), QStringLiteral("y=2x"));
        editor->textField()->setText(QStringLiteral("y=3x"));
        accept ? editor->done() : editor->cancel();
        QCoreApplication::processEvents();
        EXPECT_EQ(textsOf(screen2D()->equationModel()),
                  (QStringList{"y=x", accept ? "y=3x" : "y=2x"}));
    }
    // Re-evaluated for the plane: the edited curve has samples.
    EXPECT_NE(screen2D()->equations().equationAt(1)->data(), nullptr);
}

TEST_F(Shell, TallTabletWindowsShowTheListFromAnEquationsButton) {
    launch(DeviceClass::Tablet, {}, false, QSize(1000, 700));
    waitRestored(screen2D());
    TabletSplitView* split = delegate_->splitView();
    EXPECT_FALSE(split->isMasterHidden());
    EXPECT_TRUE(split->masterStack()->isVisible());
    EXPECT_FALSE(split->equationsButton()->isVisible());

    delegate_->window()->resize(600, 900);
    ASSERT_TRUE(QTest::qWaitFor([&] { return split->isMasterHidden(); }));
    EXPECT_FALSE(split->masterStack()->isVisible());
    EXPECT_TRUE(split->equationsButton()->isVisible());
    // Ctrl+E (the list action) and the button open the list in a popup.
    screen2D()->action(ScreenAction::Equations)->trigger();
    ASSERT_NE(split->masterPopup(), nullptr);
    EXPECT_TRUE(split->masterPopup()->isVisible());
    EXPECT_EQ(split->masterStack()->window(), split->masterPopup());
    EXPECT_TRUE(split->masterStack()->currentWidget()->isVisible());
    const QImage shown = split->masterPopup()->grab().toImage();
    if (const QByteArray folder = qgetenv("PLOTWISE_SCREENSHOT_DIR"); !folder.isEmpty()) {
        shown.save(QString::fromLocal8Bit(folder) + QStringLiteral("/equations-popup.png"));
    }
    EXPECT_GT(qGray(shown.pixel(shown.width() / 2, shown.height() - 60)), 100);
    split->hideMasterPopup();
    EXPECT_EQ(split->masterPopup(), nullptr);
    EXPECT_EQ(split->masterStack()->parentWidget(), split->splitter());

    delegate_->window()->resize(1000, 700);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !split->isMasterHidden(); }));
    EXPECT_TRUE(split->masterStack()->isVisible());
    EXPECT_FALSE(split->equationsButton()->isVisible());
}

TEST_F(Shell, CtrlQSavesFromAnyWindowAlsoAPopup) {
    launch(DeviceClass::Tablet, {QStringLiteral("y=x")});
    waitRestored(screen2D());
    screen2D()->action(ScreenAction::Library)->trigger();
    QWidget* popover = screen2D()->libraryViewController()->window();
    ASSERT_TRUE(popover->isVisible());
    ASSERT_TRUE(PreferenceStore(prefsPath())
                    .arrayValue(WorkspaceStorage::currentExpressions2DKey.toString())
                    .isEmpty());
    QTest::keyClick(popover, Qt::Key_Q, Qt::ControlModifier);
    EXPECT_EQ(PreferenceStore(prefsPath())
                  .arrayValue(WorkspaceStorage::currentExpressions2DKey.toString())
                  .size(),
              1);
}

TEST_F(Shell, VisibleViewsAreTheFrontViewThenTheExternalOne) {
    launch(DeviceClass::Phone);
    waitRestored(screen2D());
    EXPECT_EQ(delegate_->visibleViews(), QList<QWidget*>{screen2D()->equationView()});
    RVEquation2DView mirror;
    delegate_->setExternalView(&mirror);
    EXPECT_EQ(delegate_->visibleViews(), (QList<QWidget*>{screen2D()->equationView(), &mirror}));
    EXPECT_EQ(screen2D()->arrayWithVisible2DViews(),
              (QList<RVEquation2DView*>{screen2D()->equationView(), &mirror}));
    ASSERT_FALSE(screen2D()->addExpression(QStringLiteral("y=x")).has_value());
    ASSERT_FALSE(screen2D()->addExpression(QStringLiteral("y=-x")).has_value());
    screen2D()->equations().equationAt(1)->setVisible(false);
    const QList<const RVEquation*> visible = screen2D()->visibleEquations();
    ASSERT_EQ(visible.size(), 1);
    EXPECT_EQ(visible[0], screen2D()->equations().equationAt(0));
    EXPECT_EQ(screen2D()->imageRepresentation().size(),
              screen2D()->equationView()->size() * screen2D()->devicePixelRatio());
    // The phone's formula viewer pages through the visible equations only.
    RVPWScreenExpressionViewer* viewer = screen2D()->expressionViewer();
    ASSERT_NE(viewer, nullptr);
    EXPECT_FALSE(viewer->isHidden());
    viewer->toggle();
    EXPECT_EQ(viewer->pageCount(), 1);
    EXPECT_FALSE(viewer->currentImage().isNull());
    EquationListModel& model = screen2D()->equations();
    model.setData(model.index(0), Qt::Unchecked, Qt::CheckStateRole);
    EXPECT_TRUE(viewer->isHidden());
    delegate_->setExternalView(nullptr);
}

}  // namespace
}  // namespace plotwise
