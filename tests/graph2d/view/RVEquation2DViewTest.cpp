#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <memory>
#include <vector>

#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph2d/EquationModel2D.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/view/RVEquation2DView.h"
#include "graph2d/view/RVEquation2DViewDelegate.h"
#include "graph2d/view/RVPWTraceView.h"

namespace plotwise {
namespace {

class RecordingDelegate : public RVEquation2DViewDelegate {
public:
    void equationViewDidChangeStateDictionary(const QVariantMap& state) override {
        states.push_back(state);
    }
    QList<RVEquation2DView*> arrayWithVisible2DViews() override { return views; }

    QList<RVEquation2DView*> views;
    std::vector<QVariantMap> states;
};

// Whether a pixel within one of `point` is mostly `colour` (a thin antialiased line spreads over
// two pixels).
bool colourNear(const QImage& image, QPointF point, QColor colour) {
    for (int dx = -1; dx <= 1; ++dx) {
        for (int dy = -1; dy <= 1; ++dy) {
            const QColor c = image.pixelColor(point.toPoint() + QPoint(dx, dy));
            if (std::abs(c.red() - colour.red()) < 60 &&
                std::abs(c.green() - colour.green()) < 60 &&
                std::abs(c.blue() - colour.blue()) < 60) {
                return true;
            }
        }
    }
    return false;
}

class RVEquation2DViewTest : public ::testing::Test {
protected:
    RVEquation2DViewTest() {
        view.resize(800, 600);
        view.setModel(&plane);
    }

    RVEquation2D* add(const char* text, QColor color) {
        ParsedExpression parsed = parseExpression(toUtf16(text), table.data());
        EXPECT_TRUE(parsed.tree) << text;
        auto owned = RVEquation2D::equation2DwithOperationTree(std::move(parsed.tree));
        RVEquation2D* equation = owned.get();
        if (equation->type() == EquationType::Inequality) {
            color.setAlphaF(0.5f);
        }
        equation->setColor(color);
        plane.appendEquation(std::move(owned));
        return equation;
    }

    QImage render() {
        QImage image = view.imageRepresentation();
        const QString dir = qEnvironmentVariable("PLOTWISE_VIEW_PNG_DIR");
        if (!dir.isEmpty()) {
            const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
            image.save(QDir(dir).filePath(QString::fromUtf8(info->name()) + ".png"));
        }
        return image;
    }

    void sendMouse(QEvent::Type type, QPointF position) {
        const bool move = type == QEvent::MouseMove;
        QMouseEvent event(
            type, position, view.mapToGlobal(position), move ? Qt::NoButton : Qt::LeftButton,
            type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }

    // Sends one touch event through the window system, as a touchscreen does; a point is
    // (id, state, position). The view is shown for it, since touches reach windows only.
    struct Touch {
        int id;
        QEventPoint::State state;
        QPointF position;
    };
    void sendTouch(const std::vector<Touch>& touches) {
        static QPointingDevice* device = QTest::createTouchDevice();
        if (!view.isVisible()) {
            view.show();
            ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
        }
        QTest::QTouchEventWidgetSequence sequence = QTest::touchEvent(&view, device);
        for (const Touch& t : touches) {
            const QPoint at = t.position.toPoint();
            if (t.state == QEventPoint::Pressed) {
                sequence.press(t.id, at);
            } else if (t.state == QEventPoint::Released) {
                sequence.release(t.id, at);
            } else {
                sequence.move(t.id, at);
            }
        }
        sequence.commit();
        QCoreApplication::processEvents();
    }

    // Runs the event loop for a while, so that timers fire.
    static void wait(int milliseconds) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < milliseconds) {
            QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
        }
    }

    VariableTable table{};
    EquationModel2D plane;
    RVEquation2DView view;
};

TEST_F(RVEquation2DViewTest, AFreshViewShowsTheOriginAtEightyPointsPerUnit) {
    const EvaluationLimits2D limits = view.evaluationLimits();
    EXPECT_DOUBLE_EQ(limits.minx, -800.0 / 160.0);
    EXPECT_DOUBLE_EQ(limits.maxx, 800.0 / 160.0);
    EXPECT_DOUBLE_EQ(limits.miny, -600.0 / 160.0);
    EXPECT_DOUBLE_EQ(limits.maxy, 600.0 / 160.0);
    EXPECT_DOUBLE_EQ(limits.pixelUnitRatioX, 80.0);
    EXPECT_FLOAT_EQ(limits.screen.size.width, 10.0f);
    EXPECT_FLOAT_EQ(limits.screen.size.height, 7.5f);
}

TEST_F(RVEquation2DViewTest, LimitsFollowScrollAndRatios) {
    view.setViewstateWithDictionary({{"scrollX", 3.0},
                                     {"scrollY", -2.0},
                                     {"pixelUnitRatioX", 40.0},
                                     {"pixelUnitRatioY", 100.0}});
    const EvaluationLimits2D limits = view.evaluationLimits();
    EXPECT_DOUBLE_EQ(limits.minx, 3.0 - 10.0);
    EXPECT_DOUBLE_EQ(limits.maxx, 3.0 + 10.0);
    // scrollY is minus the plane y at the centre: the centre is at y = 2.
    EXPECT_DOUBLE_EQ(limits.miny, 2.0 - 3.0);
    EXPECT_DOUBLE_EQ(limits.maxy, 2.0 + 3.0);
}

TEST_F(RVEquation2DViewTest, MappingRoundTripsAndPutsTheOriginAtTheCentre) {
    EXPECT_EQ(view.viewPointForPlanePoint(0, 0), QPointF(400, 300));
    EXPECT_EQ(view.viewPointForPlanePoint(1, 1), QPointF(480, 220));
    view.setViewstateWithDictionary(
        {{"scrollX", 1.25}, {"scrollY", 7.5}, {"pixelUnitRatioX", 3.0}, {"pixelUnitRatioY", 0.5}});
    for (const QPointF p : {QPointF(0, 0), QPointF(-3.5, 12), QPointF(1e4, -2e-3)}) {
        const QPointF back = view.planePointForViewPoint(view.viewPointForPlanePoint(p.x(), p.y()));
        EXPECT_NEAR(back.x(), p.x(), 1e-9 * (1 + std::abs(p.x())));
        EXPECT_NEAR(back.y(), p.y(), 1e-9 * (1 + std::abs(p.y())));
    }
    EXPECT_EQ(view.planePointForViewPoint(QPointF(400, 300)), QPointF(1.25, -7.5));
}

TEST_F(RVEquation2DViewTest, MajorSpacingFollowsTheSpan) {
    struct Case {
        double span;
        double spacing;
    };
    for (const Case c : {Case{10, 2}, Case{25, 5}, Case{60, 10}, Case{3, 0.5}, Case{0.07, 0.01},
                         Case{1, 0.2}, Case{200, 50}}) {
        EXPECT_NEAR(RVEquation2DView::majorTickWidthForSpan(c.span), c.spacing, 1e-12 * c.spacing)
            << "span " << c.span;
    }
}

TEST_F(RVEquation2DViewTest, DrawingChoosesOneSpacingForLockedEqualRatios) {
    view.setLockAxisZoom(true);
    QImage image(800, 600, QImage::Format_RGB32);
    QPainter painter(&image);
    view.drawPlane(painter, QSizeF(800, 600));
    // Spans 10 and 7.5: the larger gives 2 for both axes.
    EXPECT_DOUBLE_EQ(view.majorTickWidthX(), 2.0);
    EXPECT_DOUBLE_EQ(view.majorTickWidthY(), 2.0);
    view.setLockAxisZoom(false);
    view.drawPlane(painter, QSizeF(800, 600));
    EXPECT_DOUBLE_EQ(view.majorTickWidthX(), 2.0);
    EXPECT_DOUBLE_EQ(view.majorTickWidthY(), 1.0);
}

TEST_F(RVEquation2DViewTest, StateDictionaryRoundTrips) {
    view.setViewstateWithDictionary({{"scrollX", -4.5},
                                     {"scrollY", 0.25},
                                     {"pixelUnitRatioX", 12.0},
                                     {"pixelUnitRatioY", 9.0}});
    const QVariantMap state = view.dictionaryWithViewState();
    EXPECT_EQ(state.size(), 8);
    EXPECT_EQ(state.value("scrollX").toDouble(), -4.5);
    EXPECT_EQ(state.value("pixelUnitRatioY").toDouble(), 9.0);
    EXPECT_TRUE(state.value("tracing").toBool()) << "true while the trace overlay is hidden";
    EXPECT_FALSE(state.value("movedOrZoomed").toBool());

    RVEquation2DView other;
    other.resize(800, 600);
    other.setViewstateWithDictionary(state);
    EXPECT_EQ(other.dictionaryWithViewState(), state);
    EXPECT_EQ(other.evaluationLimits(), view.evaluationLimits());
}

TEST_F(RVEquation2DViewTest, RestoringReadsOneRatioAndIgnoresUnusableOnes) {
    view.setViewstateWithDictionary({{"scrollX", 1.0}, {"pixelUnitRatio", 20.0}});
    EXPECT_EQ(view.viewstate().pixelUnitRatioX, 20.0);
    EXPECT_EQ(view.viewstate().pixelUnitRatioY, 20.0);
    EXPECT_EQ(view.viewstate().scrollY, 0.0) << "missing scroll reads as 0";

    view.setViewstateWithDictionary({{"pixelUnitRatio", 0.0},
                                     {"pixelUnitRatioX", -5.0},
                                     {"pixelUnitRatioY", QStringLiteral("nonsense")}});
    EXPECT_EQ(view.viewstate().pixelUnitRatioX, 20.0);
    EXPECT_EQ(view.viewstate().pixelUnitRatioY, 20.0);

    view.setViewstateWithDictionary({{"pixelUnitRatioX", 1e12}});
    EXPECT_EQ(view.viewstate().pixelUnitRatioX, RVEquation2DView::maximumPixelUnitRatio);

    const QVariantMap before = view.dictionaryWithViewState();
    view.setViewstateWithDictionary({});
    EXPECT_EQ(view.dictionaryWithViewState(), before) << "an empty dictionary changes nothing";
}

TEST_F(RVEquation2DViewTest, ZoomStaysWithinItsBoundsAndKeepsTheAnchor) {
    const QPointF anchor(100, 450);
    const QPointF fixed = view.planePointForViewPoint(anchor);
    view.zoomAbout(anchor, 3.0, 0.5);
    EXPECT_DOUBLE_EQ(view.viewstate().pixelUnitRatioX, 240.0);
    EXPECT_DOUBLE_EQ(view.viewstate().pixelUnitRatioY, 40.0);
    const QPointF moved = view.viewPointForPlanePoint(fixed.x(), fixed.y());
    EXPECT_NEAR(moved.x(), anchor.x(), 1e-9);
    EXPECT_NEAR(moved.y(), anchor.y(), 1e-9);
    EXPECT_TRUE(view.movedOrZoomed());
    EXPECT_LT(view.majorTickWidthX(), 0.0) << "spacing chosen again after a zoom";

    for (int i = 0; i < 40; ++i) {
        view.zoomAbout(anchor, 10.0, 10.0);
    }
    EXPECT_EQ(view.viewstate().pixelUnitRatioX, RVEquation2DView::maximumPixelUnitRatio);
    EXPECT_EQ(view.viewstate().pixelUnitRatioY, RVEquation2DView::maximumPixelUnitRatio);
    for (int i = 0; i < 80; ++i) {
        view.zoomAbout(anchor, 0.1, 0.1);
    }
    EXPECT_EQ(view.viewstate().pixelUnitRatioX, RVEquation2DView::minimumPixelUnitRatio);
    const EvaluationLimits2D limits = view.evaluationLimits();
    EXPECT_TRUE(std::isfinite(limits.minx) && std::isfinite(limits.maxx));
    EXPECT_LT(limits.minx, limits.maxx);
}

TEST_F(RVEquation2DViewTest, WheelZoomsAboutThePointerAndResamplesOnceSettled) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    const EvaluationLimits2D before = parabola->previousEvaluationLimits();
    EXPECT_EQ(before, view.evaluationLimits());
    const QPointF pointer(600, 150);
    const QPointF fixed = view.planePointForViewPoint(pointer);
    QWheelEvent wheel(pointer, view.mapToGlobal(pointer), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    EXPECT_NEAR(view.viewstate().pixelUnitRatioX, 80.0 * std::pow(2.0, 0.25), 1e-9);
    const QPointF moved = view.viewPointForPlanePoint(fixed.x(), fixed.y());
    EXPECT_NEAR(moved.x(), pointer.x(), 1e-9);
    EXPECT_NEAR(moved.y(), pointer.y(), 1e-9);
    EXPECT_EQ(parabola->previousEvaluationLimits(), before) << "no sampling during the zoom";
    EXPECT_TRUE(view.movedOrZoomed());
    view.resampleAfterMove();
    EXPECT_FALSE(view.movedOrZoomed());
    EXPECT_EQ(parabola->previousEvaluationLimits(), view.evaluationLimits());
}

TEST_F(RVEquation2DViewTest, DragPansByThePointersTravelAndSendsStateAtTheEnd) {
    RecordingDelegate delegate;
    delegate.views = {&view};
    view.setDelegate(&delegate);
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    sendMouse(QEvent::MouseButtonPress, QPointF(400, 300));
    sendMouse(QEvent::MouseMove, QPointF(480, 340));
    EXPECT_DOUBLE_EQ(view.viewstate().scrollX, -1.0);
    EXPECT_DOUBLE_EQ(view.viewstate().scrollY, -0.5);
    EXPECT_TRUE(delegate.states.empty());
    EXPECT_NE(parabola->previousEvaluationLimits(), view.evaluationLimits());
    sendMouse(QEvent::MouseButtonRelease, QPointF(480, 340));
    ASSERT_EQ(delegate.states.size(), 1u);
    EXPECT_EQ(delegate.states.back().value("scrollX").toDouble(), -1.0);
    EXPECT_EQ(parabola->previousEvaluationLimits(), view.evaluationLimits());
}

TEST_F(RVEquation2DViewTest, TwoVisibleViewsShareOneWidenedWindow) {
    RVEquation2DView mirror;
    mirror.resize(400, 1000);
    mirror.setViewstateWithDictionary({{"scrollX", 20.0}});
    RecordingDelegate delegate;
    delegate.views = {&view, &mirror};
    view.setDelegate(&delegate);
    RVEquation2D* line = add("y=x", Qt::red);
    const EvaluationLimits2D limits = line->previousEvaluationLimits();
    EXPECT_DOUBLE_EQ(limits.minx, -5.0);
    EXPECT_DOUBLE_EQ(limits.maxx, 22.5);
    EXPECT_DOUBLE_EQ(limits.miny, -6.25);
    EXPECT_DOUBLE_EQ(limits.maxy, 6.25);
    EXPECT_EQ(limits.pixelUnitRatioX, 80.0);
}

TEST_F(RVEquation2DViewTest, AxesStayAtTheEdgesWhenTheOriginLeaves) {
    const QColor black(Qt::black);
    // Centre at (-100, 100): the origin lies far right and far below, so the y axis sits at the
    // right edge and the x axis at the bottom.
    view.setViewstateWithDictionary({{"scrollX", -100.0}, {"scrollY", -100.0}});
    QImage image = render();
    EXPECT_EQ(image.pixelColor(799, 100), black);
    EXPECT_EQ(image.pixelColor(300, 599), black);
    EXPECT_NE(image.pixelColor(300, 100), black);
    // Centre at (100, -100): left edge and top.
    view.setViewstateWithDictionary({{"scrollX", 100.0}, {"scrollY", 100.0}});
    image = view.imageRepresentation();
    EXPECT_EQ(image.pixelColor(0, 100), black);
    EXPECT_EQ(image.pixelColor(300, 0), black);
    EXPECT_NE(image.pixelColor(300, 599), black);
}

TEST_F(RVEquation2DViewTest, PaintsAxesCurvesAndRegionsWhereTheMappingPutsThem) {
    add("y=x^2", QColor(0, 0, 255));
    const QImage image = render();
    ASSERT_EQ(image.size(), QSize(800, 600));
    // The axes through the centre, in black on white.
    EXPECT_EQ(image.pixelColor(200, 300), QColor(Qt::black));
    EXPECT_EQ(image.pixelColor(400, 450), QColor(Qt::black));
    // (1, 1) of the parabola.
    EXPECT_TRUE(colourNear(image, view.viewPointForPlanePoint(1.0, 1.0), QColor(0, 0, 255)));
    EXPECT_TRUE(colourNear(image, view.viewPointForPlanePoint(-1.5, 2.25), QColor(0, 0, 255)));
    // Far from the curve: background or grid.
    EXPECT_FALSE(colourNear(image, view.viewPointForPlanePoint(1.0, 2.5), QColor(0, 0, 255)));
}

TEST_F(RVEquation2DViewTest, DarkSchemePaintsWhiteAxesOnBlack) {
    view.setUseDarkBackground(true);
    const QImage image = render();
    EXPECT_EQ(image.pixelColor(200, 300), QColor(Qt::white));
    EXPECT_EQ(image.pixelColor(37, 37), QColor(Qt::black));
}

TEST_F(RVEquation2DViewTest, InequalityRegionIsFilledHalfTransparent) {
    add("y<sin(x)", QColor(255, 0, 0));
    const QImage image = render();
    // Below sin x: pink (red over white at half alpha); above: no red tint.
    const QColor inside = image.pixelColor(view.viewPointForPlanePoint(-1.37, -2.13).toPoint());
    EXPECT_GT(inside.red(), 240);
    EXPECT_GT(inside.green(), 100);
    EXPECT_LT(inside.green(), 160);
    const QColor outside = image.pixelColor(view.viewPointForPlanePoint(-1.37, 2.13).toPoint());
    EXPECT_EQ(outside.red(), outside.green());
}

TEST_F(RVEquation2DViewTest, PolesAreNotBridgedButSteepCurvesStayWhole) {
    add("y=tan(x)", Qt::blue);
    add("x=1/(y-2)", Qt::red);
    // Through a pixel centre (x = -3 + 0.5/80), so the antialiased line fills one column.
    add("y=5000(x+2.99375)", Qt::darkGreen);
    const QImage image = render();
    // Any trace of a colour within two pixels, however faint the antialiased line is.
    const auto tinted = [&image](QPointF point, auto dominance) {
        for (int dx = -2; dx <= 2; ++dx) {
            for (int dy = -2; dy <= 2; ++dy) {
                if (dominance(image.pixelColor(point.toPoint() + QPoint(dx, dy))) > 30) {
                    return true;
                }
            }
        }
        return false;
    };
    const auto blueness = [](QColor c) { return c.blue() - std::max(c.red(), c.green()); };
    const auto redness = [](QColor c) { return c.red() - std::max(c.green(), c.blue()); };
    // No vertical line at x = π/2 (where tan leaps from +∞ to −∞), at any height.
    for (const double y : {-3.0, -1.0, 0.5, 3.0}) {
        EXPECT_FALSE(tinted(view.viewPointForPlanePoint(M_PI / 2, y), blueness)) << y;
    }
    // tan itself is drawn on either side of the pole.
    EXPECT_TRUE(colourNear(image, view.viewPointForPlanePoint(1.0, std::tan(1.0)), Qt::blue));
    EXPECT_TRUE(colourNear(image, view.viewPointForPlanePoint(2.5, std::tan(2.5)), Qt::blue));
    // No horizontal line at y = 2 for x = f(y); the curve is there elsewhere.
    for (const double x : {-4.0, -1.5, 2.5}) {
        EXPECT_FALSE(tinted(view.viewPointForPlanePoint(x, 2.0), redness)) << x;
    }
    EXPECT_TRUE(colourNear(image, view.viewPointForPlanePoint(2.0, 2.5), Qt::red));
    // A straight line that crosses the whole view within one sample step is still drawn.
    for (const double y : {-2.0, 0.0, 2.0}) {
        EXPECT_TRUE(
            colourNear(image, view.viewPointForPlanePoint(-3.0 + y / 5000.0, y), Qt::darkGreen))
            << y;
    }
}

TEST_F(RVEquation2DViewTest, ImplicitCircleIsDrawnThroughItsPoints) {
    add("x^2+y^2=4", QColor(0, 160, 0));
    const QImage image = render();
    for (const double angle : {0.3, 1.9, 4.0}) {
        const QPointF p = view.viewPointForPlanePoint(2 * std::cos(angle), 2 * std::sin(angle));
        EXPECT_TRUE(colourNear(image, p, QColor(0, 160, 0))) << "angle " << angle;
    }
}

TEST_F(RVEquation2DViewTest, ResetViewRestoresTheDefaultWindow) {
    view.zoomAbout(QPointF(10, 10), 4.0, 2.0);
    view.panBy(QPointF(33, -12));
    view.resetView();
    EXPECT_EQ(view.viewstate().scrollX, 0.0);
    EXPECT_EQ(view.viewstate().scrollY, 0.0);
    EXPECT_EQ(view.viewstate().pixelUnitRatioX, 80.0);
    EXPECT_EQ(view.viewstate().pixelUnitRatioY, 80.0);
}

TEST_F(RVEquation2DViewTest, HoldingStillStartsATraceOfExplicitEquations) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    RVEquation2D* sideways = add("x=y^3", Qt::darkGreen);
    const QPointF press = view.viewPointForPlanePoint(1.5, 2.0);
    sendMouse(QEvent::MouseButtonPress, press);
    wait(100);
    EXPECT_FALSE(view.tracing()) << "no trace before 0.3 s";
    EXPECT_TRUE(view.traceView()->isHidden());
    wait(350);
    ASSERT_TRUE(view.tracing());
    EXPECT_FALSE(view.traceView()->isHidden());
    EXPECT_FLOAT_EQ(parabola->trace().x, 1.5f);
    EXPECT_FLOAT_EQ(parabola->trace().y, 2.25f);
    EXPECT_FLOAT_EQ(sideways->trace().x, 8.0f);
    EXPECT_FLOAT_EQ(sideways->trace().y, 2.0f);
    EXPECT_DOUBLE_EQ(view.traceView()->horizontalTracePos(), press.x());
    EXPECT_DOUBLE_EQ(view.traceView()->vertivalTracePos(), press.y());
    EXPECT_FALSE(view.dictionaryWithViewState().value("tracing").toBool());
    render();

    // Moving while tracing follows the pointer instead of panning.
    const QPointF next = view.viewPointForPlanePoint(-1.0, 0.0);
    sendMouse(QEvent::MouseMove, next);
    EXPECT_EQ(view.viewstate().scrollX, 0.0);
    EXPECT_FLOAT_EQ(parabola->trace().y, 1.0f);
    sendMouse(QEvent::MouseButtonRelease, next);
    EXPECT_FALSE(view.tracing());
    EXPECT_FALSE(view.traceView()->isHidden()) << "the overlay stays after the trace ends";

    // The next pan hides it.
    sendMouse(QEvent::MouseButtonPress, QPointF(100, 100));
    sendMouse(QEvent::MouseMove, QPointF(120, 100));
    EXPECT_TRUE(view.traceView()->isHidden());
    sendMouse(QEvent::MouseButtonRelease, QPointF(120, 100));
}

TEST_F(RVEquation2DViewTest, TheRightButtonTracesAtOnceAndFollowsThePointer) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    const auto sendRight = [&](QEvent::Type type, QPointF position) {
        const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::RightButton;
        QMouseEvent event(type, position, view.mapToGlobal(position), button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : Qt::RightButton,
                          Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    };
    sendRight(QEvent::MouseButtonPress, view.viewPointForPlanePoint(2.0, 0.0));
    ASSERT_TRUE(view.tracing()) << "no hold needed";
    EXPECT_FLOAT_EQ(parabola->trace().y, 4.0f);
    sendRight(QEvent::MouseMove, view.viewPointForPlanePoint(-0.5, 3.0));
    EXPECT_FLOAT_EQ(parabola->trace().y, 0.25f);
    EXPECT_EQ(view.viewstate().scrollX, 0.0) << "tracing never pans";
    sendRight(QEvent::MouseButtonRelease, view.viewPointForPlanePoint(-0.5, 3.0));
    EXPECT_FALSE(view.tracing());
    EXPECT_FALSE(view.traceView()->isHidden());

    // Escape puts the overlay away.
    QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
    QApplication::sendEvent(&view, &escape);
    EXPECT_TRUE(view.traceView()->isHidden());
}

TEST_F(RVEquation2DViewTest, KeysPanByATenthAndZoomAboutTheCentreThenResampleOnce) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    const EvaluationLimits2D before = parabola->previousEvaluationLimits();
    const auto press = [&](int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    };
    // Left brings what is left of the window into view: the centre moves left by 80 points.
    press(Qt::Key_Left);
    EXPECT_DOUBLE_EQ(view.viewstate().scrollX, -1.0);
    press(Qt::Key_Right);
    press(Qt::Key_Right);
    EXPECT_DOUBLE_EQ(view.viewstate().scrollX, 1.0);
    press(Qt::Key_Up);
    EXPECT_DOUBLE_EQ(view.viewstate().scrollY, -0.75);
    EXPECT_DOUBLE_EQ(view.planePointForViewPoint(QPointF(400, 300)).y(), 0.75);

    const QPointF centre = view.planePointForViewPoint(QPointF(400, 300));
    press(Qt::Key_Plus);
    press(Qt::Key_Plus);
    EXPECT_NEAR(view.viewstate().pixelUnitRatioX, 160.0, 1e-9);
    EXPECT_NEAR(view.viewstate().pixelUnitRatioY, 160.0, 1e-9);
    press(Qt::Key_Minus);
    EXPECT_NEAR(view.viewstate().pixelUnitRatioX, 80.0 * std::sqrt(2.0), 1e-9);
    const QPointF stayed = view.planePointForViewPoint(QPointF(400, 300));
    EXPECT_NEAR(stayed.x(), centre.x(), 1e-12);
    EXPECT_NEAR(stayed.y(), centre.y(), 1e-12);

    // No sampling while keys are pressed; once, when they stop.
    EXPECT_EQ(parabola->previousEvaluationLimits(), before);
    wait(400);
    EXPECT_FALSE(view.movedOrZoomed());
    EXPECT_EQ(parabola->previousEvaluationLimits(), view.evaluationLimits());

    // Other keys are left to the window.
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QApplication::sendEvent(&view, &other);
    EXPECT_FALSE(other.isAccepted());
}

TEST_F(RVEquation2DViewTest, ATouchpadPinchZoomsAboutTheFingersAndResamplesWhenItEnds) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    const EvaluationLimits2D before = parabola->previousEvaluationLimits();
    static const QPointingDevice* touchpad =
        QTest::createTouchDevice(QInputDevice::DeviceType::TouchPad);
    const QPointF at(200, 450);
    const QPointF fixed = view.planePointForViewPoint(at);
    const auto gesture = [&](Qt::NativeGestureType type, double value) {
        QNativeGestureEvent event(type, touchpad, 2, at, at, view.mapToGlobal(at), value, QPointF(),
                                  0);
        QApplication::sendEvent(&view, &event);
    };
    gesture(Qt::BeginNativeGesture, 0.0);
    gesture(Qt::ZoomNativeGesture, 0.5);
    gesture(Qt::ZoomNativeGesture, 1.0);
    EXPECT_NEAR(view.viewstate().pixelUnitRatioX, 80.0 * 1.5 * 2.0, 1e-9);
    const QPointF moved = view.viewPointForPlanePoint(fixed.x(), fixed.y());
    EXPECT_NEAR(moved.x(), at.x(), 1e-9);
    EXPECT_NEAR(moved.y(), at.y(), 1e-9);
    EXPECT_EQ(parabola->previousEvaluationLimits(), before);
    gesture(Qt::EndNativeGesture, 0.0);
    EXPECT_EQ(parabola->previousEvaluationLimits(), view.evaluationLimits());
}

TEST_F(RVEquation2DViewTest, AMoveBeforeTheHoldPansAndNeverTraces) {
    add("y=x^2", Qt::blue);
    sendMouse(QEvent::MouseButtonPress, QPointF(300, 300));
    wait(20);
    sendMouse(QEvent::MouseMove, QPointF(310, 300));
    wait(400);
    EXPECT_FALSE(view.tracing());
    EXPECT_TRUE(view.traceView()->isHidden());
    EXPECT_DOUBLE_EQ(view.viewstate().scrollX, -10.0 / 80.0);
    sendMouse(QEvent::MouseButtonRelease, QPointF(310, 300));
}

TEST_F(RVEquation2DViewTest, ImplicitAndPolarEquationsCannotBeTraced) {
    add("x^2+y^2=4", Qt::blue);
    add("r=2", Qt::red);
    EXPECT_FALSE(view.canTrace());
    sendMouse(QEvent::MouseButtonPress, QPointF(300, 300));
    wait(400);
    EXPECT_FALSE(view.tracing());
    EXPECT_TRUE(view.traceView()->isHidden());
    sendMouse(QEvent::MouseButtonRelease, QPointF(300, 300));
}

TEST_F(RVEquation2DViewTest, RestoringAShownTraceTracesAgain) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    view.setViewstateWithDictionary({{"tracing", false}, {"tracingX", 3.0}, {"tracingY", 0.0}});
    EXPECT_FALSE(view.traceView()->isHidden());
    EXPECT_FLOAT_EQ(parabola->trace().y, 9.0f);
    view.handleInterfaceRotation();
    EXPECT_TRUE(view.traceView()->isHidden());
    EXPECT_TRUE(view.dictionaryWithViewState().value("tracing").toBool());
    view.setViewstateWithDictionary({{"tracing", true}, {"tracingX", 1.0}, {"tracingY", 0.0}});
    EXPECT_FLOAT_EQ(parabola->trace().y, 9.0f) << "a hidden trace is not read off again";
    EXPECT_TRUE(view.traceView()->isHidden());
}

TEST_F(RVEquation2DViewTest, OneFingerPansByItsTravelAndResamplesOnceWhenLifted) {
    // Shown first: showing sends the state for the new size.
    view.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    RecordingDelegate delegate;
    delegate.views = {&view};
    view.setDelegate(&delegate);
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    const EvaluationLimits2D start = parabola->previousEvaluationLimits();
    sendTouch({{0, QEventPoint::Pressed, QPointF(400, 300)}});
    sendTouch({{0, QEventPoint::Updated, QPointF(360, 340)}});
    sendTouch({{0, QEventPoint::Updated, QPointF(320, 380)}});
    EXPECT_DOUBLE_EQ(view.viewstate().scrollX, 1.0);
    EXPECT_DOUBLE_EQ(view.viewstate().scrollY, -1.0);
    EXPECT_TRUE(view.movedOrZoomed());
    EXPECT_EQ(parabola->previousEvaluationLimits(), start) << "no sampling during the pan";
    EXPECT_TRUE(delegate.states.empty());
    sendTouch({{0, QEventPoint::Released, QPointF(320, 380)}});
    EXPECT_FALSE(view.movedOrZoomed());
    EXPECT_EQ(parabola->previousEvaluationLimits(), view.evaluationLimits());
    EXPECT_EQ(delegate.states.size(), 1u);
}

TEST_F(RVEquation2DViewTest, PerAxisPinchScalesOnlyTheAxisTheFingersSpreadAlong) {
    view.setLockAxisZoom(false);
    sendTouch({{0, QEventPoint::Pressed, QPointF(350, 300)},
               {1, QEventPoint::Pressed, QPointF(450, 310)}});
    EXPECT_TRUE(view.pinchZoom());
    sendTouch({{0, QEventPoint::Updated, QPointF(300, 300)},
               {1, QEventPoint::Updated, QPointF(500, 310)}});
    EXPECT_DOUBLE_EQ(view.viewstate().pixelUnitRatioX, 160.0);
    EXPECT_DOUBLE_EQ(view.viewstate().pixelUnitRatioY, 80.0) << "10 points apart stay below 24";
    EXPECT_EQ(view.viewstate().scrollX, 0.0) << "the centre stays put";
    sendTouch({{0, QEventPoint::Released, QPointF(300, 300)},
               {1, QEventPoint::Released, QPointF(500, 310)}});
    EXPECT_FALSE(view.pinchZoom());
}

TEST_F(RVEquation2DViewTest, ProportionalPinchScalesBothAxesAndStopsAtTheCap) {
    view.setLockAxisZoom(true);
    sendTouch({{0, QEventPoint::Pressed, QPointF(350, 300)},
               {1, QEventPoint::Pressed, QPointF(450, 300)}});
    sendTouch({{0, QEventPoint::Updated, QPointF(375, 300)},
               {1, QEventPoint::Updated, QPointF(425, 300)}});
    EXPECT_DOUBLE_EQ(view.viewstate().pixelUnitRatioX, 40.0);
    EXPECT_DOUBLE_EQ(view.viewstate().pixelUnitRatioY, 40.0);
    double spread = 50.0;
    for (int i = 0; i < 30; ++i) {
        spread *= 3.0;
        sendTouch({{0, QEventPoint::Updated, QPointF(400 - spread / 2, 300)},
                   {1, QEventPoint::Updated, QPointF(400 + spread / 2, 300)}});
    }
    EXPECT_EQ(view.viewstate().pixelUnitRatioX, RVEquation2DView::maximumPixelUnitRatio);
    EXPECT_EQ(view.viewstate().pixelUnitRatioY, RVEquation2DView::maximumPixelUnitRatio);
    sendTouch({{0, QEventPoint::Released, QPointF(300, 300)},
               {1, QEventPoint::Released, QPointF(500, 300)}});
    EXPECT_FALSE(view.pinchZoom());
    EXPECT_FALSE(view.movedOrZoomed());
}

TEST_F(RVEquation2DViewTest, PolarCurveIsDrawnThroughItsPoints) {
    add("r=4⋅cos(Θ)", QColor(200, 0, 200));
    const QImage image = render();
    // r = 4 cos Θ is the circle of radius 2 about (2, 0).
    for (const double angle : {0.5, 2.0, 4.5}) {
        const QPointF p = view.viewPointForPlanePoint(2 + 2 * std::cos(angle), 2 * std::sin(angle));
        EXPECT_TRUE(colourNear(image, p, QColor(200, 0, 200))) << "angle " << angle;
    }
    EXPECT_FALSE(colourNear(image, view.viewPointForPlanePoint(2.0, 0.0), QColor(200, 0, 200)));
}

TEST(RVPWTraceViewTest, TheLabelGoesWhereThereIsRoom) {
    using Side = RVPWTraceView::PointerSide;
    const QSizeF view(400, 300);
    const QSizeF text(80, 15);
    Side side = Side::Top;
    // Near the left edge: right of the point.
    EXPECT_EQ(RVPWTraceView::labelRect(QPointF(10, 100), text, view, &side),
              QRectF(25, 92, 80, 15));
    EXPECT_EQ(side, Side::Left);
    // Near the right edge: left of it.
    EXPECT_EQ(RVPWTraceView::labelRect(QPointF(390, 100), text, view, &side),
              QRectF(295, 92, 80, 15));
    EXPECT_EQ(side, Side::Right);
    // Near the top: below it; elsewhere above.
    EXPECT_EQ(RVPWTraceView::labelRect(QPointF(200, 20), text, view, &side),
              QRectF(161, 35, 80, 15));
    EXPECT_EQ(side, Side::Top);
    EXPECT_EQ(RVPWTraceView::labelRect(QPointF(200, 200), text, view, &side),
              QRectF(161, 170, 80, 15));
    EXPECT_EQ(side, Side::Bottom);
}

}  // namespace
}  // namespace plotwise
