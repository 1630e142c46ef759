#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>
#include <QWindow>

#include "MirrorFixture.h"
#include "app/screens/graph/RVPW2DViewController.h"
#include "app/screens/graph/RVPW3DViewController.h"
#include "app/shell/mirror/RVExternalDisplayController.h"
#include "app/shell/mirror/RVPWExternalDisplayViewController.h"
#include "app/shell/mirror/ScreenList.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise {
namespace {

using testing::MirrorFixture;

// Screens that come and go when a test says so; the screens themselves are the platform's two.
class FakeScreenList : public ScreenList {
public:
    QList<QScreen*> screens() const override { return screens_; }
    void add(QScreen* screen) {
        screens_.append(screen);
        emit screenAdded(screen);
    }
    void remove(QScreen* screen) {
        screens_.removeOne(screen);
        emit screenRemoved(screen);
    }
    QList<QScreen*> screens_;
};

// Windows take the screen their position lies on.
void placeOn(QWidget* window, QScreen* screen) {
    window->setScreen(screen);
    window->move(screen->geometry().topLeft() + QPoint(20, 20));
}

class ExternalDisplay : public MirrorFixture {
protected:
    void SetUp() override {
        MirrorFixture::SetUp();
        const QList<QScreen*> screens = QGuiApplication::screens();
        ASSERT_EQ(screens.size(), 2) << "the platform's configuration gives two screens";
        // The platform lists them in its own order: the main window goes on the first.
        screens_ = {screens.at(0), screens.at(1)};
        main_ = std::make_unique<QWidget>();
        main_->resize(400, 300);
        placeOn(main_.get(), screens_.at(0));
        main_->show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(main_.get()));
        ASSERT_EQ(main_->screen(), screens_.at(0));
    }

    QList<QScreen*> screens_;
    std::unique_ptr<QWidget> main_;
};

TEST_F(ExternalDisplay, TheMirrorTakesTheScreenTheMainWindowIsNotOn) {
    RVExternalDisplayController controller;
    QSignalSpy connected(&controller, &RVExternalDisplayController::externalDisplayConnected);
    controller.setMainWindow(main_.get());
    ASSERT_NE(controller.externalWindow(), nullptr);
    EXPECT_EQ(connected.count(), 1);
    QWidget* window = controller.externalWindow();
    EXPECT_EQ(window->screen(), screens_.at(1));
    EXPECT_EQ(controller.externalScreen(), screens_.at(1));
    EXPECT_TRUE(window->isFullScreen());
    EXPECT_EQ(window->geometry(), screens_.at(1)->geometry());
    EXPECT_EQ(window->palette().color(QPalette::Window), QColor(Qt::black));
    // The application still quits when its main window closes.
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
    // A second check finds it in place.
    controller.check();
    EXPECT_EQ(controller.externalWindow(), window);
    EXPECT_EQ(connected.count(), 1);

    // The main window dragged onto the mirror's screen: the mirror changes places.
    QSignalSpy disconnected(&controller, &RVExternalDisplayController::externalDisplayDisconnected);
    placeOn(main_.get(), screens_.at(1));
    ASSERT_EQ(main_->screen(), screens_.at(1));
    ASSERT_NE(controller.externalWindow(), nullptr);
    EXPECT_EQ(controller.externalWindow()->screen(), screens_.at(0));
    EXPECT_EQ(disconnected.count(), 1);
    EXPECT_EQ(connected.count(), 2);
}

TEST_F(ExternalDisplay, ScreensConnectedAndRemovedLive) {
    FakeScreenList list;
    list.screens_ = {screens_.at(0)};
    RVExternalDisplayController controller;
    controller.setScreenList(&list);
    QSignalSpy connected(&controller, &RVExternalDisplayController::externalDisplayConnected);
    QSignalSpy disconnected(&controller, &RVExternalDisplayController::externalDisplayDisconnected);
    controller.setMainWindow(main_.get());
    EXPECT_EQ(controller.externalWindow(), nullptr) << "one screen: no mirror";

    list.add(screens_.at(1));
    ASSERT_NE(controller.externalWindow(), nullptr);
    EXPECT_EQ(controller.externalWindow()->screen(), screens_.at(1));
    EXPECT_EQ(connected.count(), 1);

    // Hidden while the screen's removal is announced, before anything moves it elsewhere.
    QPointer<QWidget> window = controller.externalWindow();
    bool hiddenOnRemoval = false;
    QObject::connect(&list, &ScreenList::screenRemoved, &list,
                     [&] { hiddenOnRemoval = window && !window->isVisible(); });
    list.remove(screens_.at(1));
    EXPECT_TRUE(hiddenOnRemoval);
    EXPECT_EQ(controller.externalWindow(), nullptr);
    EXPECT_EQ(disconnected.count(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 2000)) << "the window is freed";

    // Back again: a new mirror.
    list.add(screens_.at(1));
    EXPECT_NE(controller.externalWindow(), nullptr);
    EXPECT_EQ(connected.count(), 2);
}

TEST_F(ExternalDisplay, EscapeClosesTheMirrorUntilItsScreenReturns) {
    FakeScreenList list;
    list.screens_ = {screens_.at(0), screens_.at(1)};
    RVExternalDisplayController controller;
    controller.setScreenList(&list);
    controller.setMainWindow(main_.get());
    ASSERT_NE(controller.externalWindow(), nullptr);
    QSignalSpy disconnected(&controller, &RVExternalDisplayController::externalDisplayDisconnected);

    auto* content = new QWidget;
    controller.setContent(content);
    QTest::keyClick(content, Qt::Key_Escape);
    EXPECT_EQ(controller.externalWindow(), nullptr);
    EXPECT_EQ(disconnected.count(), 1);
    controller.check();
    EXPECT_EQ(controller.externalWindow(), nullptr) << "dismissed: not made again";

    list.remove(screens_.at(1));
    list.add(screens_.at(1));
    ASSERT_NE(controller.externalWindow(), nullptr) << "the screen came back";
    // Closed by the window system: dismissed as by Escape.
    controller.externalWindow()->close();
    EXPECT_EQ(controller.externalWindow(), nullptr);
    EXPECT_EQ(disconnected.count(), 2);
    controller.check();
    EXPECT_EQ(controller.externalWindow(), nullptr);
}

TEST_F(ExternalDisplay, TheContentFillsTheWindow) {
    RVExternalDisplayController controller;
    controller.setMainWindow(main_.get());
    ASSERT_NE(controller.externalWindow(), nullptr);
    auto* mirror = new RVPWExternalDisplayViewController;
    controller.setContent(mirror);
    EXPECT_EQ(mirror->parentWidget(), controller.externalWindow());
    EXPECT_EQ(mirror->geometry(), controller.externalWindow()->rect());
    QPointer<RVPWExternalDisplayViewController> owned = mirror;
    delete controller.externalWindow();
    EXPECT_TRUE(owned.isNull()) << "the window owns its content";
    EXPECT_EQ(controller.externalWindow(), nullptr);
}

// A 2D screen with a plane view of a known size, and a mirror of another size.
class Mirror2D : public MirrorFixture {
protected:
    void SetUp() override {
        MirrorFixture::SetUp();
        screen_ = std::make_unique<RVPW2DViewController>(*context_);
        screen_->equationView()->resize(400, 300);
        mirror_.resize(640, 480);
    }

    RVEquation2D* add(const QString& text, const QString& colour) {
        auto equation = RVEquation2D::equation2DwithStateFromDictionary(equationState(text, colour),
                                                                        screen_->variableTable());
        RVEquation2D* added = equation.get();
        screen_->equations().appendEquation(std::move(equation));
        return added;
    }

    RVEquation2DView* mirrorView() const {
        return qobject_cast<RVEquation2DView*>(mirror_.currentView());
    }

    std::unique_ptr<RVPW2DViewController> screen_;
    RVPWExternalDisplayViewController mirror_;
};

TEST_F(Mirror2D, ShowsTheScreensEquationsAndFollowsItsPans) {
    add(QStringLiteral("y=x"), QStringLiteral("00FF00"));
    QSignalSpy viewChanged(&mirror_, &RVPWExternalDisplayViewController::currentViewChanged);
    mirror_.showPlaneOf(screen_.get());
    ASSERT_NE(mirrorView(), nullptr);
    ASSERT_EQ(viewChanged.count(), 1);
    EXPECT_EQ(viewChanged.at(0).at(0).value<QWidget*>(), mirrorView());
    EXPECT_EQ(mirror_.mode(), RVPWExternalDisplayViewController::Mode::TwoD);
    EXPECT_EQ(mirrorView()->size(), mirror_.size());
    EXPECT_EQ(mirrorView()->equations(), screen_->equationView()->equations());
    EXPECT_TRUE(mirrorView()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_GT(pixelsTinted(mirrorView()->grab().toImage(), Qt::green), 50);

    RVEquation2DView* front = screen_->equationView();
    const QVariantMap before = mirrorView()->dictionaryWithViewState();
    front->panBy(QPointF(60.0, -25.0));
    front->zoomAbout(QPointF(200.0, 150.0), 2.0, 2.0);
    front->resampleAfterMove();
    const QVariantMap after = mirrorView()->dictionaryWithViewState();
    EXPECT_NE(after, before);
    for (const char* key : {"scrollX", "scrollY", "pixelUnitRatioX", "pixelUnitRatioY"}) {
        EXPECT_EQ(after.value(QLatin1String(key)),
                  front->dictionaryWithViewState().value(QLatin1String(key)))
            << key;
    }
    EXPECT_EQ(mirrorView()->viewport().center().x, front->viewport().center().x);
}

TEST_F(Mirror2D, NeverHoldsAnEquationThePlaneDeleted) {
    mirror_.showPlaneOf(screen_.get());
    ASSERT_NE(mirrorView(), nullptr);
    EXPECT_EQ(pixelsTinted(mirrorView()->grab().toImage(), Qt::green), 0);
    add(QStringLiteral("y=x"), QStringLiteral("FF0000"));
    RVEquation2D* green = add(QStringLiteral("y=-x"), QStringLiteral("00FF00"));
    EXPECT_EQ(mirrorView()->equations().size(), 2u);
    EXPECT_GT(pixelsTinted(mirrorView()->grab().toImage(), Qt::green), 50);

    screen_->equations().takeEquation(screen_->equations().rowOf(green));
    ASSERT_EQ(mirrorView()->equations().size(), 1u);
    EXPECT_EQ(pixelsTinted(mirrorView()->grab().toImage(), Qt::green), 0);
    EXPECT_GT(pixelsTinted(mirrorView()->grab().toImage(), Qt::red), 50);

    // The screen itself going takes its equations off the mirror.
    screen_.reset();
    EXPECT_EQ(mirror_.currentView(), nullptr);
    EXPECT_EQ(mirror_.mode(), RVPWExternalDisplayViewController::Mode::None);
}

TEST_F(Mirror2D, FollowsTheFrontScreenAndTheLookSettings) {
    RVPW2DViewController other(*context_);
    other.equationView()->resize(400, 300);
    add(QStringLiteral("y=x"), QStringLiteral("00FF00"));
    mirror_.showPlaneOf(screen_.get());
    QWidget* firstView = mirror_.currentView();
    mirror_.showPlaneOf(&other);
    EXPECT_EQ(mirror_.currentView(), firstView) << "same plane: the view is kept";
    EXPECT_TRUE(mirrorView()->equations().empty());
    // The screen no longer in front moves the mirror no more.
    const QVariantMap shown = mirrorView()->dictionaryWithViewState();
    screen_->equationView()->panBy(QPointF(80.0, 0.0));
    screen_->equationView()->resampleAfterMove();
    EXPECT_EQ(mirrorView()->dictionaryWithViewState(), shown);

    EXPECT_FALSE(mirrorView()->useDarkBackground());
    store_->setValue(RVPWSettingsManager::useDarkBackground2DKey, true);
    center_.post(useDarkBackground2DNotification);
    EXPECT_TRUE(mirrorView()->useDarkBackground());

    QSignalSpy viewChanged(&mirror_, &RVPWExternalDisplayViewController::currentViewChanged);
    mirror_.showPlaneOf(nullptr);
    EXPECT_EQ(mirror_.currentView(), nullptr);
    ASSERT_EQ(viewChanged.count(), 1);
    EXPECT_EQ(viewChanged.at(0).at(0).value<QWidget*>(), nullptr);
}

TEST_F(Mirror2D, AThreeDPlaneWithoutOpenGLShowsNothing) {
    // The offscreen platform composes no OpenGL widget.
    RVPW3DViewController screen3D(*context_);
    mirror_.showPlaneOf(&screen3D);
    EXPECT_EQ(mirror_.mode(), RVPWExternalDisplayViewController::Mode::ThreeD);
    EXPECT_EQ(mirror_.currentView(), nullptr);
    mirror_.showPlaneOf(screen_.get());
    EXPECT_NE(mirrorView(), nullptr);
}

}  // namespace
}  // namespace plotwise
