#include <gtest/gtest.h>

#include <QAction>
#include <QLabel>
#include <csignal>

#include "AppFixture.h"
#include "app/platform/TerminationSignalWatcher.h"
#include "app/storage/RVPWSettingsManager.h"
#include "app/widgets/RVLoadingView.h"
#include "engine/ExpressionParsing.h"
#include "graph2d/view/RVEquation2DView.h"
#include "graph3d/view/SceneState3D.h"

namespace plotwise {
namespace {

// A tablet's application over a workspace of its own.
class GraphScreen : public testing::AppFixture {
protected:
    void launch(const QStringList& expressions = {}, bool in3D = false) {
        AppFixture::launch(device_, expressions, in3D, QSize(800, 600));
    }
    // Waits for the background restore and the overlay's fade.
    void waitUntilRestored() {
        waitRestored(screen());
        ASSERT_TRUE(QTest::qWaitFor([&] { return !screen()->findChild<RVLoadingView*>(); }, 5000));
    }
    RVPW2DViewController* screen() const { return screen2D(); }
    RVEquation2DView* view() const { return screen()->equationView(); }

    DeviceClass device_ = DeviceClass::Tablet;
};

TEST_F(GraphScreen, RestoresThePlaneBehindTheLoadingPanelSkippingBadEntries) {
    const QVariantMap viewState{{QStringLiteral("scrollX"), 3.0},
                                {QStringLiteral("scrollY"), -1.5},
                                {QStringLiteral("pixelUnitRatioX"), 40.0},
                                {QStringLiteral("pixelUnitRatioY"), 20.0}};
    store_->setValues({{WorkspaceStorage::currentExpressions2DKey.toString(),
                        QVariantList{equationState(QStringLiteral("y=x^2"), "FF0000"),
                                     equationState(QStringLiteral("y=(("), "00FF00"),
                                     QStringLiteral("not a dictionary"),
                                     equationState(QStringLiteral("x^2+y^2-4"), "0000FF", false)}},
                       {WorkspaceStorage::viewState2DKey.toString(), viewState}});
    launch();
    // Nothing is restored until the window has been shown and laid out.
    EXPECT_FALSE(screen()->loadingDone());
    ASSERT_TRUE(QTest::qWaitFor([&] { return screen()->isLoading() || screen()->loadingDone(); }));
    if (!screen()->loadingDone()) {
        // While the loader runs, the plane takes no input and the panel says why.
        EXPECT_FALSE(view()->isEnabled());
        auto* panel = screen()->findChild<RVLoadingView*>();
        EXPECT_EQ(panel ? panel->label()->text() : QString(), QStringLiteral("Loading..."));
    }
    waitUntilRestored();
    EXPECT_TRUE(view()->isEnabled());
    ASSERT_EQ(screen()->equations().count(), 2);
    EXPECT_EQ(screen()->equations().equationAt(0)->color(), QColor(255, 0, 0));
    EXPECT_EQ(view()->equations().size(), 2u);
    // Only the visible equation was sampled for the restored window.
    EXPECT_NE(screen()->equations().equationAt(0)->data(), nullptr);
    EXPECT_EQ(screen()->equations().equationAt(1)->data(), nullptr);
    const QVariantMap restored = view()->dictionaryWithViewState();
    for (auto it = viewState.begin(); it != viewState.end(); ++it) {
        EXPECT_DOUBLE_EQ(restored.value(it.key()).toDouble(), it.value().toDouble())
            << it.key().toStdString();
    }
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

    // The message and position the keyboard would show for the same text.
    VariableTable table{};
    const ParsedExpression expected = parseExpression(u"y=(x", table.data());
    ASSERT_TRUE(rejected.size() == 1 && expected.error.has_value());
    EXPECT_EQ(rejected[0], (QVariantList{QStringLiteral("y=(x"),
                                         QString::fromStdU16String(expected.error->text()),
                                         static_cast<int>(expected.errorPosition)}));
    ASSERT_EQ(screen()->equations().count(), 3);
    EXPECT_TRUE(screen()->equations().equationAt(1)->color().isValid());  // the default colour

    view()->panBy(QPointF(80, 0));
    view()->resampleAfterMove();
    delegate_->window()->close();
    EXPECT_EQ(stored(WorkspaceStorage::currentExpressions2DKey),
              (QStringList{"y=sin(x)", "y<x", "r=2cos(4Θ)"}));
    const QVariantMap viewState =
        reread().dictionaryValue(WorkspaceStorage::viewState2DKey.toString());
    EXPECT_TRUE(viewState.value(QStringLiteral("tracing")).toBool());
    EXPECT_NEAR(viewState.value(QStringLiteral("scrollX")).toDouble(), -1.0, 1e-9);
    EXPECT_FALSE(reread().boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
}

// Offscreen there is no OpenGL for widgets: the 3D screen says so, and still restores its plane,
// adds the command line's expressions and saves, with its view state kept byte for byte.
TEST_F(GraphScreen, ThreeDPlaneComesBackInFrontAndIsKeptWithoutOpenGL) {
    SceneState3D turned;
    turned.applyIncrement(40.0f, -25.0f, 2.5f, 0.1f, 0.0f);
    turned.nextMode();
    const QVariantMap viewState = turned.dictionaryWithViewState();
    store_->setValues({{WorkspaceStorage::currentExpressions3DKey.toString(),
                        QVariantList{equationState(QStringLiteral("z=x^2"), "123456"),
                                     equationState(QStringLiteral("z=("), "123456")}},
                       {WorkspaceStorage::viewState3DKey.toString(), viewState},
                       {WorkspaceStorage::is3DViewVisibleKey.toString(), true}});
    launch({QStringLiteral("x^2+y^2+z^2<4"), QStringLiteral("z=(x")}, true);
    RVPW3DViewController* plane3D = screen3D();
    ASSERT_EQ(stack()->screens(), (QList<QWidget*>{screen(), plane3D}));
    QSignalSpy rejected(plane3D, &RVPW3DViewController::expressionRejected);
    ASSERT_TRUE(QTest::qWaitFor([&] { return plane3D->loadingDone(); }, 10000));
    EXPECT_EQ(rejected.size(), 1);
    EXPECT_EQ(plane3D->equationView(), nullptr);
    const QLabel* message = plane3D->findChild<QLabel*>();
    EXPECT_EQ(message ? message->text() : QString(),
              QStringLiteral("3D graphs need OpenGL, which this system lacks."));

    delegate_->window()->close();
    EXPECT_EQ(stored(WorkspaceStorage::currentExpressions3DKey),
              (QStringList{"z=x^2", "x^2+y^2+z^2<4"}));
    EXPECT_EQ(reread().dictionaryValue(WorkspaceStorage::viewState3DKey.toString()), viewState);
    EXPECT_TRUE(reread().boolValue(WorkspaceStorage::is3DViewVisibleKey.toString()));
    // The 2D plane was never shown, so never restored, and its store is left alone.
    EXPECT_FALSE(
        reread().storedValues().contains(WorkspaceStorage::currentExpressions2DKey.toString()));
}

TEST_F(GraphScreen, SavesWhenAnotherScreenCoversItAndWhenTheAppGoesToTheBackground) {
    launch({QStringLiteral("y=x")});
    waitUntilRestored();
    const QLatin1String key = WorkspaceStorage::currentExpressions2DKey;
    ASSERT_TRUE(stored(key).isEmpty());
    auto* cover = new QWidget;
    stack()->push(cover);
    EXPECT_EQ(stored(key), QStringList{"y=x"});
    EXPECT_EQ(stack()->screens(), (QList<QWidget*>{screen(), cover}));

    std::unique_ptr<QWidget> popped(stack()->pop());
    EXPECT_TRUE(popped.get() == cover && popped->parent() == nullptr);
    EXPECT_EQ(stack()->pop(), nullptr);  // the root stays
    EXPECT_EQ(stack()->topScreen(), screen());
    ASSERT_FALSE(screen()->addExpression(QStringLiteral("y=-x")).has_value());
    // As a phone shell reports sending the app to the background.
    emit qApp->applicationStateChanged(Qt::ApplicationSuspended);
    EXPECT_EQ(stored(key), (QStringList{"y=x", "y=-x"}));
}

TEST_F(GraphScreen, AQuitBeforeTheRestoreEndsLeavesTheStoredPlaneAlone) {
    store_->setValue(WorkspaceStorage::currentExpressions2DKey.toString(),
                     QVariantList{equationState(QStringLiteral("y=x"), "FF0000"),
                                  equationState(QStringLiteral("y=-x"), "00FF00")});
    launch();
    delegate_->saveAllScreens();
    screen()->saveState();
    EXPECT_EQ(stored(WorkspaceStorage::currentExpressions2DKey), (QStringList{"y=x", "y=-x"}));
    // Destroying the screen while its loader may run must wait for it, not crash.
    delegate_.reset();
}

TEST_F(GraphScreen, TheShakeShortcutResetsThePlaneUnlessShakingIsOff) {
    launch();
    waitUntilRestored();
    // With shaking off the shortcut still posts, and the plane stays where it is.
    QAction* shake = delegate_->window()->shakeAction();
    EXPECT_TRUE(shake->shortcuts().contains(QKeySequence(Qt::CTRL | Qt::Key_R)));
    QSignalSpy posted(&center_, &NotificationCenter::posted);
    for (const bool enabled : {true, false}) {
        store_->setValue(RVPWSettingsManager::enableShakesKey, enabled);
        view()->zoomAbout(QPointF(100, 100), 2.0, 2.0);
        shake->trigger();
        EXPECT_EQ(view()->viewstate().pixelUnitRatioX,
                  (enabled ? 1 : 2) * RVEquation2DView::defaultPixelUnitRatio);
    }
    ASSERT_EQ(posted.size(), 4);
    EXPECT_EQ(posted[0][0].toString() + posted[1][0].toString(),
              shakeBeganNotification + shakeEndedNotification);
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

TEST(ApplicationIcon, DrawsAtEverySizeWithRoundedCorners) {
    for (const int size : {16, 48, 256}) {
        const QImage image = AppDelegate::applicationIcon().pixmap(size).toImage();
        ASSERT_EQ(image.width(), size);
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
