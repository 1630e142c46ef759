#include <gtest/gtest.h>

#include <QAction>
#include <QDir>
#include <QImage>
#include <QLabel>
#include <QListView>
#include <QPointer>
#include <QSignalSpy>
#include <QTemporaryDir>
#include <QTest>
#include <QToolBar>
#include <QUndoStack>
#include <csignal>
#include <memory>

#include "app/context/ApplicationContext.h"
#include "app/platform/ShakeAwareWindow.h"
#include "app/platform/TerminationSignalWatcher.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "app/screens/list/RVPWExpressionsTableViewController.h"
#include "app/shell/AppDelegate.h"
#include "app/shell/NavigationStack.h"
#include "app/storage/NotificationCenter.h"
#include "app/storage/PreferenceStore.h"
#include "app/storage/RVPWSettingsManager.h"
#include "app/storage/WorkspaceStorage.h"
#include "app/widgets/RVLoadingView.h"
#include "engine/ExpressionParsing.h"
#include "graph2d/view/RVEquation2DView.h"
#include "graph3d/view/SceneState3D.h"

namespace plotwise {
namespace {

QVariantMap equationState(const QString& text, const QString& colour, bool visible = true) {
    return {{QStringLiteral("expressionString"), text},
            {QStringLiteral("expressionColor"), colour},
            {QStringLiteral("expressionVisibile"), visible},
            {QStringLiteral("expressionCaption"), QString()},
            {QStringLiteral("expressionNotes"), QString()}};
}

QStringList sourceTexts(const QVariantList& states) {
    QStringList texts;
    for (const QVariant& state : states) {
        texts.append(state.toMap().value(QStringLiteral("expressionString")).toString());
    }
    return texts;
}

RVLoadingView* loadingViewOf(QWidget* screen) {
    return screen->findChild<RVLoadingView*>();
}

// A workspace in a file of its own and an application delegate over it.
class GraphScreen : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(folder_.isValid());
        store_ = std::make_unique<PreferenceStore>(folder_.filePath(QStringLiteral("prefs.plist")));
    }

    void launch(const QStringList& expressions = {}, bool in3D = false) {
        context_ = std::make_unique<ApplicationContext>(*store_, center_, device_);
        context_->settings().registerDefaults();
        delegate_ = std::make_unique<AppDelegate>(*context_);
        delegate_->didFinishLaunching(expressions, in3D);
        delegate_->window()->resize(800, 600);
    }

    // Waits for the background restore and the overlay's fade.
    void waitUntilRestored() {
        RVPW2DViewController* screen = delegate_->controller2D();
        if (!screen->loadingDone()) {
            QSignalSpy finished(screen, &RVPW2DViewController::loadingFinished);
            ASSERT_TRUE(finished.wait(10000));
        }
        ASSERT_TRUE(QTest::qWaitFor([&] { return loadingViewOf(screen) == nullptr; }, 5000));
    }

    RVPW2DViewController* screen() const { return delegate_->controller2D(); }
    RVEquation2DView* view() const { return screen()->equationView(); }

    DeviceClass device_ = DeviceClass::Tablet;
    QTemporaryDir folder_;
    std::unique_ptr<PreferenceStore> store_;
    NotificationCenter center_;
    std::unique_ptr<ApplicationContext> context_;
    std::unique_ptr<AppDelegate> delegate_;
};

TEST_F(GraphScreen, RestoresThePlaneBehindTheLoadingPanelSkippingBadEntries) {
    store_->setValues({{WorkspaceStorage::currentExpressions2DKey.toString(),
                        QVariantList{equationState(QStringLiteral("y=x^2"), "FF0000"),
                                     equationState(QStringLiteral("y=(("), "00FF00"),
                                     QStringLiteral("not a dictionary"),
                                     equationState(QStringLiteral("x^2+y^2-4"), "0000FF", false)}},
                       {WorkspaceStorage::viewState2DKey.toString(),
                        QVariantMap{{QStringLiteral("scrollX"), 3.0},
                                    {QStringLiteral("scrollY"), -1.5},
                                    {QStringLiteral("pixelUnitRatioX"), 40.0},
                                    {QStringLiteral("pixelUnitRatioY"), 20.0}}}});
    launch();
    // Nothing is restored until the window has been shown and laid out.
    EXPECT_FALSE(screen()->loadingDone());
    QSignalSpy finished(screen(), &RVPW2DViewController::loadingFinished);
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen()->isLoading() || screen()->loadingDone(); }));
    if (!screen()->loadingDone()) {
        // While the loader runs, the plane takes no input and the panel says why.
        EXPECT_FALSE(view()->isEnabled());
        ASSERT_NE(loadingViewOf(screen()), nullptr);
        EXPECT_EQ(loadingViewOf(screen())->label()->text(), QStringLiteral("Loading..."));
    }
    waitUntilRestored();
    EXPECT_TRUE(view()->isEnabled());

    ASSERT_EQ(screen()->equations().count(), 2);
    EXPECT_EQ(screen()->equations().equationAt(0)->color(), QColor(255, 0, 0));
    EXPECT_EQ(view()->equations().size(), 2u);
    EXPECT_EQ(screen()->visibleExpressions().size(), 1u);
    // The visible equation was sampled for the restored window.
    ASSERT_NE(screen()->equations().equationAt(0)->data(), nullptr);
    EXPECT_EQ(screen()->equations().equationAt(1)->data(), nullptr);
    const ViewState state = view()->viewstate();
    EXPECT_DOUBLE_EQ(state.scrollX, 3.0);
    EXPECT_DOUBLE_EQ(state.scrollY, -1.5);
    EXPECT_DOUBLE_EQ(state.pixelUnitRatioX, 40.0);
    EXPECT_DOUBLE_EQ(state.pixelUnitRatioY, 20.0);
}

TEST_F(GraphScreen, SavesWhatWasRestoredPlusTheCommandLineExpressionsOnClose) {
    store_->setValue(WorkspaceStorage::currentExpressions2DKey.toString(),
                     QVariantList{equationState(QStringLiteral("y=sin(x)"), "123456")});
    store_->setValue(WorkspaceStorage::is3DViewVisibleKey.toString(), true);
    launch({QStringLiteral("y<x"), QStringLiteral("y=(x"), QStringLiteral("r=2cos(4Θ)")});
    // The 3D plane was in front; back to the 2D plane before it restores.
    delegate_->pop3DController();
    QSignalSpy rejected(screen(), &RVPW2DViewController::expressionRejected);
    waitUntilRestored();

    ASSERT_EQ(rejected.size(), 1);
    EXPECT_EQ(rejected[0][0].toString(), QStringLiteral("y=(x"));
    // The message and position the keyboard would show for the same text.
    VariableTable table{};
    const ParsedExpression expected = parseExpression(u"y=(x", table.data());
    ASSERT_TRUE(expected.error.has_value());
    EXPECT_EQ(rejected[0][1].toString(), QString::fromStdU16String(expected.error->text()));
    EXPECT_EQ(rejected[0][2].toInt(), static_cast<int>(expected.errorPosition));
    ASSERT_EQ(screen()->equations().count(), 3);
    EXPECT_TRUE(screen()->equations().equationAt(1)->color().isValid());  // the default colour

    view()->panBy(QPointF(80, 0));
    view()->resampleAfterMove();
    delegate_->window()->close();

    PreferenceStore reread(store_->filePath());
    EXPECT_EQ(sourceTexts(reread.arrayValue(WorkspaceStorage::currentExpressions2DKey.toString())),
              (QStringList{"y=sin(x)", "y<x", "r=2cos(4Θ)"}));
    const QVariantMap viewState =
        reread.dictionaryValue(WorkspaceStorage::viewState2DKey.toString());
    EXPECT_TRUE(viewState.value(QStringLiteral("tracing")).toBool());
    EXPECT_NEAR(viewState.value(QStringLiteral("scrollX")).toDouble(), -1.0, 1e-9);
    EXPECT_FALSE(reread.boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
}

// Offscreen there is no OpenGL for widgets: the 3D screen says so, and still restores its plane,
// adds the command line's expressions and saves, with its view state kept byte for byte.
TEST_F(GraphScreen, ThreeDPlaneComesBackInFrontAndIsKeptWithoutOpenGL) {
    SceneState3D turned;
    turned.applyIncrement(40.0f, -25.0f, 2.5f, 0.1f, 0.0f);
    turned.nextMode();
    const QVariantMap viewState = turned.dictionaryWithViewState();
    store_->setValue(WorkspaceStorage::currentExpressions3DKey.toString(),
                     QVariantList{equationState(QStringLiteral("z=x^2"), "123456"),
                                  equationState(QStringLiteral("z=("), "123456")});
    store_->setValue(WorkspaceStorage::viewState3DKey.toString(), viewState);
    store_->setValue(WorkspaceStorage::is3DViewVisibleKey.toString(), true);
    launch({QStringLiteral("x^2+y^2+z^2<4"), QStringLiteral("z=(x")}, true);

    NavigationStack* stack = delegate_->navigationStack();
    RVPW3DViewController* screen3D = delegate_->controller3D();
    ASSERT_EQ(stack->screens(), (QList<QWidget*>{screen(), screen3D}));
    QSignalSpy rejected(screen3D, &RVPW3DViewController::expressionRejected);
    QSignalSpy finished(screen3D, &RVPW3DViewController::loadingFinished);
    ASSERT_TRUE(finished.wait(10000));
    EXPECT_EQ(rejected.size(), 1);
    EXPECT_EQ(screen3D->equationView(), nullptr);
    const QLabel* message = screen3D->findChild<QLabel*>();
    ASSERT_NE(message, nullptr);
    EXPECT_EQ(message->text(), QStringLiteral("3D graphs need OpenGL, which this system lacks."));
    ASSERT_EQ(screen3D->equations().count(), 2);

    delegate_->window()->close();
    PreferenceStore reread(store_->filePath());
    EXPECT_EQ(sourceTexts(reread.arrayValue(WorkspaceStorage::currentExpressions3DKey.toString())),
              (QStringList{"z=x^2", "x^2+y^2+z^2<4"}));
    EXPECT_EQ(reread.dictionaryValue(WorkspaceStorage::viewState3DKey.toString()), viewState);
    EXPECT_TRUE(reread.boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
    // The 2D plane was never shown, so never restored, and its store is left alone.
    EXPECT_FALSE(
        reread.storedValues().contains(WorkspaceStorage::currentExpressions2DKey.toString()));
}

TEST_F(GraphScreen, ThePlaneButtonsSwitchScreensAndTheLastSaveNamesTheOneInFront) {
    launch();
    waitUntilRestored();
    const auto button = [](QWidget* screen, const QString& text) {
        for (QAction* action : screen->findChild<QToolBar*>()->actions()) {
            if (action->text() == text) {
                return action;
            }
        }
        return static_cast<QAction*>(nullptr);
    };
    NavigationStack* stack = delegate_->navigationStack();
    ASSERT_NE(button(screen(), QStringLiteral("3D Graph")), nullptr);
    button(screen(), QStringLiteral("3D Graph"))->trigger();
    RVPW3DViewController* screen3D = delegate_->controller3D();
    EXPECT_EQ(stack->topScreen(), screen3D);
    // Before its restore is over, the 2D button does nothing.
    button(screen3D, QStringLiteral("2D Graph"))->trigger();
    EXPECT_EQ(stack->topScreen(), screen3D);
    QSignalSpy finished(screen3D, &RVPW3DViewController::loadingFinished);
    ASSERT_TRUE(finished.wait(10000));
    delegate_->saveAllScreens();
    EXPECT_TRUE(PreferenceStore(store_->filePath())
                    .boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
    button(screen3D, QStringLiteral("2D Graph"))->trigger();
    EXPECT_EQ(stack->topScreen(), screen());
    // The same screen again, made once.
    button(screen(), QStringLiteral("3D Graph"))->trigger();
    EXPECT_EQ(stack->topScreen(), screen3D);
    button(screen3D, QStringLiteral("2D Graph"))->trigger();
    delegate_->saveAllScreens();
    EXPECT_FALSE(PreferenceStore(store_->filePath())
                     .boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
}

TEST_F(GraphScreen, SavesWhenAnotherScreenCoversItAndWhenTheAppGoesToTheBackground) {
    launch({QStringLiteral("y=x")});
    waitUntilRestored();
    const auto stored = [&] {
        return sourceTexts(PreferenceStore(store_->filePath())
                               .arrayValue(WorkspaceStorage::currentExpressions2DKey.toString()));
    };
    ASSERT_TRUE(stored().isEmpty());
    NavigationStack* stack = delegate_->navigationStack();
    auto* cover = new QWidget;
    stack->push(cover);
    EXPECT_EQ(stored(), QStringList{"y=x"});
    EXPECT_EQ(stack->screens(), (QList<QWidget*>{screen(), cover}));

    QWidget* popped = stack->pop();
    EXPECT_EQ(popped, cover);
    EXPECT_EQ(popped->parent(), nullptr);
    delete popped;
    EXPECT_EQ(stack->pop(), nullptr);  // the root stays
    EXPECT_EQ(stack->topScreen(), screen());
    ASSERT_FALSE(screen()->addExpression(QStringLiteral("y=-x")).has_value());
    // As a phone shell reports sending the app to the background.
    emit qApp->applicationStateChanged(Qt::ApplicationSuspended);
    EXPECT_EQ(stored(), (QStringList{"y=x", "y=-x"}));
}

TEST_F(GraphScreen, AQuitBeforeTheRestoreEndsLeavesTheStoredPlaneAlone) {
    const QVariantList stored{equationState(QStringLiteral("y=x"), "FF0000"),
                              equationState(QStringLiteral("y=-x"), "00FF00")};
    store_->setValue(WorkspaceStorage::currentExpressions2DKey.toString(), stored);
    launch();
    delegate_->saveAllScreens();
    screen()->saveState();
    EXPECT_EQ(sourceTexts(PreferenceStore(store_->filePath())
                              .arrayValue(WorkspaceStorage::currentExpressions2DKey.toString())),
              (QStringList{"y=x", "y=-x"}));
    // Destroying the screen while its loader may run must wait for it, not crash.
    delegate_.reset();
}

TEST_F(GraphScreen, ResetViewFromTheToolbarAndFromTheShakeShortcut) {
    launch();
    QAction* reset = screen()->resetViewAction();
    // Before the plane is restored the toolbar does nothing.
    view()->panBy(QPointF(40, 40));
    reset->trigger();
    EXPECT_NE(view()->viewstate().scrollX, 0.0);
    waitUntilRestored();

    ASSERT_TRUE(screen()->toolbar()->actions().contains(reset));
    reset->trigger();
    EXPECT_EQ(view()->viewstate().scrollX, 0.0);
    EXPECT_EQ(view()->viewstate().scrollY, 0.0);

    QAction* shake = delegate_->window()->shakeAction();
    EXPECT_TRUE(shake->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_R)));
    QSignalSpy posted(&center_, &NotificationCenter::posted);
    view()->zoomAbout(QPointF(100, 100), 2.0, 2.0);
    shake->trigger();
    ASSERT_EQ(posted.size(), 2);
    EXPECT_EQ(posted[0][0].toString(), shakeBeganNotification);
    EXPECT_EQ(posted[1][0].toString(), shakeEndedNotification);
    EXPECT_EQ(view()->viewstate().pixelUnitRatioX, RVEquation2DView::defaultPixelUnitRatio);

    // With shaking off the shortcut still posts, and the plane stays where it is.
    store_->setValue(RVPWSettingsManager::enableShakesKey, false);
    view()->zoomAbout(QPointF(100, 100), 2.0, 2.0);
    shake->trigger();
    EXPECT_EQ(view()->viewstate().pixelUnitRatioX, 2 * RVEquation2DView::defaultPixelUnitRatio);
}

TEST_F(GraphScreen, SettingsNotificationsReachThePlane) {
    launch();
    waitUntilRestored();
    for (const bool on : {true, false}) {
        store_->setValues({{RVPWSettingsManager::useDarkBackground2DKey, on},
                           {RVPWSettingsManager::useThickLines2DKey, on},
                           {RVPWSettingsManager::useProportionalZoom2DKey, !on}});
        for (const auto* name : {&useDarkBackground2DNotification, &useThickLinesNotification,
                                 &useProportionalZoomNotification}) {
            center_.post(*name);
        }
        EXPECT_EQ(view()->useDarkBackground(), on);
        EXPECT_FLOAT_EQ(view()->equationLineWidth(), on ? 2.0f : 1.0f);
        EXPECT_EQ(view()->lockAxisZoom(), !on);
    }
}

TEST_F(GraphScreen, TheWindowShowsThePlaneAndItsAxesAboveADarkToolbar) {
    device_ = DeviceClass::Phone;
    store_->setValues({{RVPWSettingsManager::useRandomDefaultColorKey, false},
                       {RVPWSettingsManager::defaultColorKey, "0000FF"}});
    launch({QStringLiteral("y=x")});
    waitUntilRestored();
    const QImage image =
        delegate_->window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    if (const QByteArray folder = qgetenv("PLOTWISE_SCREENSHOT_DIR"); !folder.isEmpty()) {
        image.save(QDir(QString::fromLocal8Bit(folder)).filePath(QStringLiteral("window.png")));
    }
    ASSERT_FALSE(image.isNull());
    const int barTop = screen()->toolbar()->geometry().top();
    EXPECT_GT(barTop, image.height() / 2);
    // The bar is dark; the light plane above it.
    EXPECT_LT(qGray(image.pixel(5, image.height() - 5)), 60);
    EXPECT_GT(qGray(image.pixel(5, 5)), 200);
    // The y=x curve passes (1, 1) in its colour.
    ASSERT_EQ(screen()->equations().equationAt(0)->color(), QColor(0, 0, 255));
    const QPointF centre = view()->viewPointForPlanePoint(1.0, 1.0);
    bool found = false;
    for (int dx = -3; dx <= 3 && !found; ++dx) {
        for (int dy = -3; dy <= 3 && !found; ++dy) {
            const QColor pixel = image.pixelColor(qRound(centre.x()) + dx, qRound(centre.y()) + dy);
            // Antialiased on white: blue well above red and green.
            found = pixel.blue() > 200 && pixel.red() < 150 && pixel.green() < 150;
        }
    }
    EXPECT_TRUE(found) << "no pixel of the curve near (1, 1)";

    // With the origin far below the window the x axis is kept at the bottom edge: above the
    // bar, where it can be seen, not under it.
    view()->panBy(QPointF(0, 5000));
    view()->resampleAfterMove();
    const QImage moved =
        delegate_->window()->grab().toImage().convertToFormat(QImage::Format_RGB32);
    const int column = moved.width() / 3;
    int axisRow = -1;
    for (int row = barTop - 1; row > barTop - 60 && axisRow < 0; --row) {
        axisRow = qGray(moved.pixel(column, row)) < 100 ? row : -1;
    }
    EXPECT_GT(axisRow, barTop - 60) << "no axis just above the toolbar";
    EXPECT_GT(qGray(moved.pixel(column, barTop - 70)), 180) << "plane, not axis, further up";
}

TEST(RVLoadingView, ADarkPanelCentredOnItsViewThatFadesAwayWhenRemoved) {
    QWidget view;
    view.resize(400, 300);
    view.setStyleSheet(QStringLiteral("background: white"));
    view.show();
    QPointer<RVLoadingView> panel = RVLoadingView::loadingViewInView(&view, "Loading...");
    EXPECT_EQ(panel->geometry().center(), view.rect().center());
    view.resize(600, 500);
    QCoreApplication::processEvents();
    EXPECT_LE((panel->geometry().center() - view.rect().center()).manhattanLength(), 1);
    QTest::qWait(300);  // the fade in

    const QImage image = view.grab().toImage();
    if (const QByteArray folder = qgetenv("PLOTWISE_SCREENSHOT_DIR"); !folder.isEmpty()) {
        image.save(QDir(QString::fromLocal8Bit(folder)).filePath(QStringLiteral("loading.png")));
    }
    const QRect box = panel->geometry();
    // Black at 0.85 over white, inside the 8-point inset; untouched white outside the panel.
    EXPECT_LT(qGray(image.pixel(box.left() + 12, box.bottom() - 12)), 60);
    EXPECT_GT(qGray(image.pixel(box.left() - 4, box.top() - 4)), 240);
    EXPECT_TRUE(panel->activityIndicatorVisible());
    panel->setActivityIndicatorVisible(false);
    panel->label()->setText(QStringLiteral("Saved!"));

    panel->removeView();
    EXPECT_FALSE(panel.isNull());  // still fading
    EXPECT_TRUE(QTest::qWaitFor([&] { return panel.isNull(); }, 3000));
}

TEST(ApplicationIcon, DrawsAtEverySizeWithRoundedCorners) {
    const QIcon icon = AppDelegate::applicationIcon();
    ASSERT_FALSE(icon.isNull());
    for (const int size : {16, 48, 256}) {
        const QImage image = icon.pixmap(size).toImage().convertToFormat(QImage::Format_ARGB32);
        ASSERT_EQ(image.width(), size);
        if (const QByteArray folder = qgetenv("PLOTWISE_SCREENSHOT_DIR"); !folder.isEmpty()) {
            image.save(QDir(QString::fromLocal8Bit(folder))
                           .filePath(QStringLiteral("icon-%1.png").arg(size)));
        }
        EXPECT_EQ(qAlpha(image.pixel(0, 0)), 0) << size;
        EXPECT_EQ(qAlpha(image.pixel(size / 2, size / 2)), 255) << size;
    }
}

TEST(TerminationSignalWatcher, TurnsSigtermIntoASignalOnTheEventLoop) {
    TerminationSignalWatcher watcher;
    ASSERT_TRUE(watcher.isWatching());
    QSignalSpy requested(&watcher, &TerminationSignalWatcher::terminationRequested);
    ASSERT_EQ(std::raise(SIGTERM), 0);
    // The process is still alive; the request arrives through the event loop.
    ASSERT_TRUE(requested.wait(5000));
    EXPECT_EQ(requested[0][0].toInt(), SIGTERM);
}

}  // namespace
}  // namespace plotwise

namespace plotwise {
namespace {

// The list opened from the 2D screen edits the plane itself and goes back on Escape.
TEST_F(GraphScreen, EquationsOpensTheListOverThePlaneWhoseChangesThePlaneSees) {
    device_ = DeviceClass::Phone;
    launch({QStringLiteral("y=x"), QStringLiteral("y=2x"), QStringLiteral("y=3x")});
    waitUntilRestored();
    NavigationStack* stack = delegate_->navigationStack();
    ASSERT_TRUE(screen()->equationsAction()->isEnabled());
    EXPECT_EQ(screen()->equationsAction()->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_E));
    screen()->equationsAction()->trigger();
    auto* list = qobject_cast<RVPWExpressionsTableViewController*>(stack->topScreen());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(&list->expressions(), &screen()->equationModel());

    list->tableView()->setCurrentIndex(list->expressions().index(0));
    QTest::keyClick(list->tableView(), Qt::Key_Space);
    QTest::keyClick(list->tableView(), Qt::Key_Down, Qt::AltModifier);
    QTest::keyClick(list->tableView(), Qt::Key_Down, Qt::AltModifier);
    std::vector<QString> shown;
    for (const RVEquation2D* equation : screen()->visibleExpressions()) {
        shown.push_back(QString::fromStdU16String(equation->expression()->expressionString()));
    }
    EXPECT_EQ(shown, (std::vector<QString>{"y=2x", "y=3x"}));
    EXPECT_EQ(sourceTexts(screen()->equationModel().dictionariesWithState()),
              (QStringList{"y=2x", "y=3x", "y=x"}));
    EXPECT_EQ(screen()->undoStack().count(), 3);

    QTest::keyClick(list->tableView(), Qt::Key_Escape);
    EXPECT_EQ(stack->topScreen(), screen());

    // Closing the window with the list in editing mode and Graph Settings open tears down
    // cleanly: the list and its screens go before the model they work on.
    list = screen()->openEquationList();
    ASSERT_NE(list, nullptr);
    list->setEditing(true);
    list->toggleMark(0);
    list->showDetails(1);
    delegate_.reset();
}

}  // namespace
}  // namespace plotwise
