#include <QGuiApplication>
#include <QPointer>
#include <QScreen>
#include <QSignalSpy>
#include <QTest>

#include "AppFixture.h"
#include "app/shell/mirror/RVExternalDisplayController.h"
#include "app/shell/mirror/RVPWExternalDisplayViewController.h"
#include "app/shell/mirror/ScreenList.h"
#include "graph2d/view/RVEquation2DView.h"

namespace plotwise {
namespace {

using testing::AppFixture;

// Pixels whose channel of `colour` (pure red, green or blue) leads the others by a clear margin:
// the curves drawn in it, antialiased or not, and nothing of the grey grid.
int pixelsTinted(const QImage& image, QColor colour) {
    const QImage rgb = image.convertToFormat(QImage::Format_RGB32);
    int count = 0;
    for (int y = 0; y < rgb.height(); ++y) {
        for (int x = 0; x < rgb.width(); ++x) {
            const int r = qRed(rgb.pixel(x, y)), g = qGreen(rgb.pixel(x, y)),
                      b = qBlue(rgb.pixel(x, y));
            const int lead = colour.red() == 255     ? r - std::max(g, b)
                             : colour.green() == 255 ? g - std::max(r, b)
                                                     : b - std::max(r, g);
            count += lead > 60 ? 1 : 0;
        }
    }
    return count;
}

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

// The main window on the first of the platform's two screens, and a controller.
class ExternalDisplay : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
        screens_ = QGuiApplication::screens();
        ASSERT_EQ(screens_.size(), 2) << "the platform's configuration gives two screens";
        main_.resize(400, 300);
        placeOn(&main_, screens_.at(0));
        main_.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&main_));
        ASSERT_EQ(main_.screen(), screens_.at(0));
    }
    // Screens the test adds and removes; what happens before the main window is set is not counted.
    void useList(const QList<QScreen*>& screens) {
        list_.screens_ = screens;
        controller_.setScreenList(&list_);
        connected_.clear();
        disconnected_.clear();
    }

    QList<QScreen*> screens_;
    QWidget main_;
    FakeScreenList list_;
    RVExternalDisplayController controller_;
    QSignalSpy connected_{&controller_, &RVExternalDisplayController::externalDisplayConnected};
    QSignalSpy disconnected_{&controller_,
                             &RVExternalDisplayController::externalDisplayDisconnected};
};

TEST_F(ExternalDisplay, TheMirrorTakesTheScreenTheMainWindowIsNotOn) {
    controller_.setMainWindow(&main_);
    QWidget* window = controller_.externalWindow();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(window->screen(), screens_.at(1));
    EXPECT_EQ(controller_.externalScreen(), screens_.at(1));
    EXPECT_TRUE(window->isFullScreen() && window->geometry() == screens_.at(1)->geometry());
    // The application still quits when its main window closes.
    EXPECT_FALSE(window->testAttribute(Qt::WA_QuitOnClose));
    // The content fills the window, which owns it.
    QPointer<QWidget> content = new RVPWExternalDisplayViewController;
    controller_.setContent(content);
    EXPECT_EQ(content->parentWidget(), window);
    EXPECT_EQ(content->geometry(), window->rect());
    // A second check finds it in place.
    controller_.check();
    EXPECT_EQ(controller_.externalWindow(), window);
    EXPECT_EQ(connected_.count(), 1);

    // The main window dragged onto the mirror's screen: the mirror changes places.
    placeOn(&main_, screens_.at(1));
    ASSERT_EQ(main_.screen(), screens_.at(1));
    ASSERT_NE(controller_.externalWindow(), nullptr);
    EXPECT_EQ(controller_.externalWindow()->screen(), screens_.at(0));
    EXPECT_EQ(disconnected_.count() + connected_.count(), 3);
    EXPECT_TRUE(QTest::qWaitFor([&] { return content.isNull(); }, 2000));
}

TEST_F(ExternalDisplay, ScreensConnectedAndRemovedLive) {
    useList({screens_.at(0)});
    controller_.setMainWindow(&main_);
    EXPECT_EQ(controller_.externalWindow(), nullptr) << "one screen: no mirror";
    list_.add(screens_.at(1));
    ASSERT_NE(controller_.externalWindow(), nullptr);
    EXPECT_EQ(controller_.externalWindow()->screen(), screens_.at(1));

    // Hidden while the screen's removal is announced, before anything moves it elsewhere.
    QPointer<QWidget> window = controller_.externalWindow();
    bool hiddenOnRemoval = false;
    QObject::connect(&list_, &ScreenList::screenRemoved, &list_,
                     [&] { hiddenOnRemoval = window && !window->isVisible(); });
    list_.remove(screens_.at(1));
    EXPECT_TRUE(hiddenOnRemoval);
    EXPECT_EQ(controller_.externalWindow(), nullptr);
    EXPECT_EQ(disconnected_.count(), 1);
    EXPECT_TRUE(QTest::qWaitFor([&] { return window.isNull(); }, 2000)) << "the window is freed";
    list_.add(screens_.at(1));
    EXPECT_NE(controller_.externalWindow(), nullptr);
    EXPECT_EQ(connected_.count(), 2);
}

// Escape, or the window system closing the window, dismisses the mirror until its screen returns.
TEST_F(ExternalDisplay, EscapeClosesTheMirrorUntilItsScreenReturns) {
    useList(screens_);
    controller_.setMainWindow(&main_);
    auto* content = new QWidget;
    controller_.setContent(content);
    QTest::keyClick(content, Qt::Key_Escape);
    EXPECT_EQ(controller_.externalWindow(), nullptr);
    controller_.check();
    EXPECT_EQ(controller_.externalWindow(), nullptr) << "dismissed: not made again";
    list_.remove(screens_.at(1));
    list_.add(screens_.at(1));
    ASSERT_NE(controller_.externalWindow(), nullptr) << "the screen came back";
    controller_.externalWindow()->close();
    controller_.check();
    EXPECT_EQ(controller_.externalWindow(), nullptr);
    EXPECT_EQ(disconnected_.count(), 2);
}

// A 2D screen with a plane view of a known size, and a mirror of another size.
class Mirror2D : public AppFixture {
protected:
    void SetUp() override {
        AppFixture::SetUp();
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

// The mirror draws the screen's equations, follows its pans and zooms, never holds an equation
// the plane deleted and lets go of the plane when the screen goes.
TEST_F(Mirror2D, ShowsTheScreensEquationsAndFollowsItsPansAndDeletions) {
    RVEquation2D* green = add(QStringLiteral("y=x"), QStringLiteral("00FF00"));
    QSignalSpy viewChanged(&mirror_, &RVPWExternalDisplayViewController::currentViewChanged);
    mirror_.showPlaneOf(screen_.get());
    ASSERT_NE(mirrorView(), nullptr);
    EXPECT_EQ(viewChanged.value(0).value(0).value<QWidget*>(), mirrorView());
    EXPECT_EQ(mirrorView()->size(), mirror_.size());
    EXPECT_TRUE(mirrorView()->testAttribute(Qt::WA_TransparentForMouseEvents));
    EXPECT_GT(pixelsTinted(mirrorView()->grab().toImage(), Qt::green), 50);

    RVEquation2DView* front = screen_->equationView();
    const QVariantMap before = mirrorView()->dictionaryWithViewState();
    front->panBy(QPointF(60.0, -25.0));
    front->zoomAbout(QPointF(200.0, 150.0), 2.0, 2.0);
    front->resampleAfterMove();
    EXPECT_NE(mirrorView()->dictionaryWithViewState(), before);
    for (const char* key : {"scrollX", "scrollY", "pixelUnitRatioX", "pixelUnitRatioY"}) {
        EXPECT_EQ(mirrorView()->dictionaryWithViewState().value(QLatin1String(key)),
                  front->dictionaryWithViewState().value(QLatin1String(key)))
            << key;
    }

    add(QStringLiteral("y=-x"), QStringLiteral("FF0000"));
    screen_->equations().takeEquation(screen_->equations().rowOf(green));
    EXPECT_EQ(mirrorView()->equations(), screen_->equationView()->equations());
    EXPECT_EQ(pixelsTinted(mirrorView()->grab().toImage(), Qt::green), 0);
    EXPECT_GT(pixelsTinted(mirrorView()->grab().toImage(), Qt::red), 50);
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
    EXPECT_EQ(viewChanged.count(), 1);
}

// Through the shell the mirror follows the front plane from 2D to 3D; offscreen a 3D plane shows
// nothing, as the platform composes no OpenGL widget.
using Shell = AppFixture;
TEST_F(Shell, TheMirrorFollowsTheFrontPlaneTo3DAndBack) {
    launch(DeviceClass::Phone);
    RVPWExternalDisplayViewController* mirror = delegate_->externalDisplayViewController();
    ASSERT_NE(mirror, nullptr);
    using Mode = RVPWExternalDisplayViewController::Mode;
    EXPECT_EQ(mirror->mode(), Mode::TwoD);
    EXPECT_NE(qobject_cast<RVEquation2DView*>(mirror->currentView()), nullptr);
    delegate_->push3DController();
    EXPECT_EQ(mirror->mode(), Mode::ThreeD);
    EXPECT_EQ(mirror->currentView(), nullptr);
    EXPECT_EQ(delegate_->frontScreen(), screen3D());
    waitRestored(screen3D());
    delegate_->pop3DController();
    EXPECT_EQ(mirror->mode(), Mode::TwoD);
    EXPECT_NE(qobject_cast<RVEquation2DView*>(mirror->currentView()), nullptr);
    // Quitting with the mirror on the 3D plane.
    delegate_->push3DController();
    delegate_.reset();
}

}  // namespace
}  // namespace plotwise
