#include <gtest/gtest.h>

#include <QApplication>
#include <QImage>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QNativeGestureEvent>
#include <QPainter>
#include <QPointingDevice>
#include <QTest>
#include <QWheelEvent>
#include <cmath>
#include <functional>
#include <optional>
#include <utility>
#include <vector>

#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph2d/EquationModel2D.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/view/PlaneLayers.h"
#include "graph2d/view/PlanePainter.h"
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
        equation->setColor(color);
        plane.appendEquation(std::move(owned));
        return equation;
    }

    QImage render() { return view.imageRepresentation(); }

    // Whether the equation's samples are those of the window shown.
    bool sampledForTheWindow(const RVEquation2D* equation) const {
        return equation->previousEvaluationLimits() == view.evaluationLimits();
    }

    // Whether the plane point is under the view point.
    void expectUnder(QPointF plane, QPointF at) const {
        EXPECT_LT(QLineF(view.viewPointForPlanePoint(plane.x(), plane.y()), at).length(), 1e-9);
    }

    void sendMouse(QEvent::Type type, QPointF position, Qt::MouseButton button = Qt::LeftButton) {
        QMouseEvent event(type, position, view.mapToGlobal(position),
                          type == QEvent::MouseMove ? Qt::NoButton : button,
                          type == QEvent::MouseButtonRelease ? Qt::NoButton : button,
                          Qt::NoModifier);
        QApplication::sendEvent(&view, &event);
    }

    void sendKey(int key) {
        QKeyEvent event(QEvent::KeyPress, key, Qt::NoModifier);
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

    VariableTable table{};
    EquationModel2D plane;
    RVEquation2DView view;
};

TEST_F(RVEquation2DViewTest, SpacingIsChosenAgainAfterAZoomAndKeptWhenResized) {
    render();
    const std::optional<TickWidths> chosen = view.majorTickWidths();
    EXPECT_EQ(chosen, view.viewport().majorTickWidths());
    // Twice as wide would give a spacing of 5: a turned or resized view keeps its grid.
    view.resize(1600, 600);
    render();
    EXPECT_EQ(view.majorTickWidths(), chosen);
    view.zoomAbout(QPointF(10, 10), 4.0, 4.0);
    EXPECT_FALSE(view.majorTickWidths());
    render();
    EXPECT_EQ(view.majorTickWidths(), view.viewport().majorTickWidths());
}

// Curves pass through their points, and a pole (tan at π/2) is not bridged by a vertical line.
TEST_F(RVEquation2DViewTest, CurvesAreDrawnThroughTheirPointsAndNotAcrossPoles) {
    const QColor green(0, 160, 0), purple(200, 0, 200);
    add("x^2+y^2=4", green);
    add("r=4⋅cos(Θ)", purple);  // the circle of radius 2 about (2, 0)
    add("y=tan(x)", Qt::blue);
    const QImage image = render();
    for (const double a : {0.3, 1.9, 4.0}) {
        EXPECT_TRUE(colourNear(image, view.viewPointForPlanePoint(2 * cos(a), 2 * sin(a)), green));
        EXPECT_TRUE(
            colourNear(image, view.viewPointForPlanePoint(2 + 2 * cos(a), 2 * sin(a)), purple));
        EXPECT_FALSE(colourNear(image, view.viewPointForPlanePoint(M_PI / 2, a - 2), Qt::blue));
    }
    EXPECT_TRUE(colourNear(image, view.viewPointForPlanePoint(1, std::tan(1.0)), Qt::blue));
    EXPECT_FALSE(colourNear(image, view.viewPointForPlanePoint(0, 0), green));
    EXPECT_FALSE(colourNear(image, view.viewPointForPlanePoint(2, 0), purple));
}

TEST_F(RVEquation2DViewTest, PaintingTakesItsSizeFromItsArgumentAndKeepsTheAxesInSight) {
    // Centred at (-100, 100) the origin lies far right and below: the y axis keeps to the right
    // edge and the x axis to the bottom; centred at (100, -100), to the left and the top. The
    // 800 × 600 view is drawn at 300 × 200.
    struct Case {
        double scrollX;
        bool dark;
        QPoint onAxes[2];
        QPoint offAxes;
    };
    for (const Case& c : {Case{-100, false, {{299, 50}, {150, 199}}, {150, 50}},
                          Case{100, true, {{0, 50}, {150, 0}}, {150, 199}}}) {
        view.setUseDarkBackground(c.dark);
        view.setViewstateWithDictionary({{"scrollX", c.scrollX}, {"scrollY", c.scrollX}});
        QImage image(300, 200, QImage::Format_RGB32);
        QPainter painter(&image);
        view.drawPlane(painter, QSizeF(300, 200));
        painter.end();
        const QColor axis = c.dark ? Qt::white : Qt::black;
        EXPECT_EQ(image.pixelColor(c.onAxes[0]), axis);
        EXPECT_EQ(image.pixelColor(c.onAxes[1]), axis);
        EXPECT_NE(image.pixelColor(c.offAxes), axis);
    }
}

TEST_F(RVEquation2DViewTest, TwoVisibleViewsShareOneWidenedWindow) {
    RVEquation2DView mirror;
    mirror.resize(400, 1000);
    mirror.setViewstateWithDictionary({{"scrollX", 20.0}});
    RecordingDelegate delegate;
    delegate.views = {&view, &mirror};
    view.setDelegate(&delegate);
    RVEquation2D* line = add("y=x", Qt::red);
    EXPECT_EQ(line->previousEvaluationLimits(),
              EvaluationLimits2D::withWindow(-5.0, 22.5, -6.25, 6.25, 80.0, 80.0));
}

TEST_F(RVEquation2DViewTest, WheelAndTouchpadZoomAboutThePointerAndResampleOnceAtTheEnd) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    const QPointF at(600, 150);
    QPointF fixed = view.planePointForViewPoint(at);
    const auto zoomed = [&](double ratio) {
        EXPECT_NEAR(view.viewstate().pixelUnitRatioX, ratio, 1e-9);
        expectUnder(fixed, at);
        EXPECT_FALSE(sampledForTheWindow(parabola)) << "no sampling during the zoom";
    };
    QWheelEvent wheel(at, view.mapToGlobal(at), QPoint(), QPoint(0, 120), Qt::NoButton,
                      Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(&view, &wheel);
    zoomed(80.0 * std::pow(2.0, 0.25));
    QTest::qWait(400);
    EXPECT_TRUE(sampledForTheWindow(parabola)) << "once the wheel has settled";

    static const QPointingDevice* touchpad =
        QTest::createTouchDevice(QInputDevice::DeviceType::TouchPad);
    const auto gesture = [&](Qt::NativeGestureType type, double value) {
        QNativeGestureEvent event(type, touchpad, 2, at, at, view.mapToGlobal(at), value, QPointF(),
                                  0);
        QApplication::sendEvent(&view, &event);
    };
    view.resetView();
    fixed = view.planePointForViewPoint(at);
    gesture(Qt::BeginNativeGesture, 0.0);
    gesture(Qt::ZoomNativeGesture, 0.5);
    gesture(Qt::ZoomNativeGesture, 1.0);
    zoomed(80.0 * 1.5 * 2.0);
    gesture(Qt::EndNativeGesture, 0.0);
    EXPECT_TRUE(sampledForTheWindow(parabola));
}

TEST_F(RVEquation2DViewTest, AMouseDragOrOneFingerPansByItsTravelAndResamplesAsItGoes) {
    RecordingDelegate delegate;
    delegate.views = {&view};
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    const auto finger = [this](QEventPoint::State state, QPointF at) {
        sendTouch({{0, state, at}});
    };
    const auto mouse = [this](QEventPoint::State state, QPointF at) {
        sendMouse(state == QEventPoint::Pressed    ? QEvent::MouseButtonPress
                  : state == QEventPoint::Released ? QEvent::MouseButtonRelease
                                                   : QEvent::MouseMove,
                  at);
    };
    for (const auto& send : {std::function(mouse), std::function(finger)}) {
        view.resetView();
        // Sent before the gesture: showing the view for touches sends a state too.
        send(QEventPoint::Pressed, QPointF(400, 300));
        view.setDelegate(&delegate);
        delegate.states.clear();
        send(QEventPoint::Updated, QPointF(440, 320));
        send(QEventPoint::Updated, QPointF(480, 340));
        EXPECT_EQ(view.viewport().center(), (Point2D{-1.0, 0.5}));
        QTest::qWait(400);
        EXPECT_FALSE(view.tracing()) << "a move before the hold never traces";
        EXPECT_TRUE(delegate.states.empty());
        // Sampled for the window shown while the finger is still down: no blank strip.
        EXPECT_TRUE(view.movedOrZoomed());
        EXPECT_TRUE(sampledForTheWindow(parabola)) << "sampled during the pan";
        EXPECT_GE(view.moveResampleInterval(), 50);
        send(QEventPoint::Released, QPointF(480, 340));
        EXPECT_TRUE(sampledForTheWindow(parabola));
        ASSERT_EQ(delegate.states.size(), 1u);
        EXPECT_EQ(delegate.states.back().value("scrollX").toDouble(), -1.0);
        view.setDelegate(nullptr);
    }
}

// A still frame drawn with layers is the frame drawn without them, pixel for pixel; a recolour
// or a resample rebuilds that equation's layer alone. Still frames keep the regions' layers;
// the first moving frame adds a long curve's, which the next ones reuse.
TEST_F(RVEquation2DViewTest, LayersKeepFramesExactAndRebuildOnlyWhatChanged) {
    RVEquation2D* curve = add("sin(8x)-cos(8y)^2", QColor(220, 0, 0));
    ASSERT_GE(curve->dataObjectCount(), PlaneLayers::curveObjectsForALayer);
    add("x^2+y^2=4", QColor(0, 150, 0));
    RVEquation2D* region = add("y<x^2-1", QColor(0, 0, 255, 128));
    add("x⋅y>1", QColor(200, 150, 0, 100));
    RVEquation2DView plain;
    plain.resize(view.size());
    plain.setModel(&plane);
    plain.setUsesLayers(false);
    const auto frame = [this](RVEquation2DView& from) {
        QImage image(view.size(), QImage::Format_RGB32);
        QPainter painter(&image);
        from.drawPlane(painter, QSizeF(view.size()));
        return image;
    };
    const PlaneLayers& layers = view.layers();
    auto rebuilt = [&, built = std::size_t{0}]() mutable {
        const std::size_t now = layers.buildCount();
        return now - std::exchange(built, now);
    };
    EXPECT_EQ(frame(view), frame(plain));
    EXPECT_EQ(rebuilt(), 2u);
    EXPECT_EQ(frame(view), frame(plain));
    EXPECT_EQ(rebuilt(), 0u) << "an unchanged frame";

    region->setColor(QColor(0, 120, 120, 128));
    EXPECT_EQ(frame(view), frame(plain));
    EXPECT_EQ(rebuilt(), 1u) << "a recolour";
    const QModelIndex row = plane.index(plane.rowOf(region));
    ASSERT_TRUE(plane.setData(row, Qt::Unchecked, Qt::CheckStateRole));
    frame(view);
    EXPECT_EQ(layers.layerCount(), 1u) << "a hidden equation's layer goes";
    ASSERT_TRUE(plane.setData(row, Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(frame(view), frame(plain));
    EXPECT_EQ(rebuilt(), 1u) << "a resample";

    view.panBy(QPointF(30, 20));
    frame(view);
    EXPECT_EQ(rebuilt(), 1u) << "the long curve's layer, for the move";
    view.panBy(QPointF(5, -7));
    frame(view);
    EXPECT_EQ(rebuilt(), 0u) << "a moving frame composes the layers";
    curve->setColor(Qt::magenta);
    frame(view);
    EXPECT_EQ(rebuilt(), 1u) << "a recolour while moving";
    EXPECT_EQ(layers.layerCount(), 3u);
    view.resampleAfterMove();
    plain.panBy(QPointF(35, 13));
    plain.resampleAfterMove();
    EXPECT_EQ(frame(view), frame(plain)) << "the still frame after the resample";
    EXPECT_EQ(layers.layerCount(), 2u) << "a still frame keeps the regions' layers only";
}

// The layers of a moving frame are the still frame's, moved with the plane.
TEST_F(RVEquation2DViewTest, AMovingFrameIsTheStillFrameTranslated) {
    add("y=sin(3x)", QColor(220, 0, 0));
    add("y<x^2-1", QColor(0, 0, 255, 128));
    PlanePainter painter;
    PlaneLayers layers;
    const std::vector<RVEquation2D*> equations = plane.all();
    const auto compose = [&](const Viewport2D& viewport, bool moving) {
        QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
        image.fill(Qt::transparent);
        QPainter p(&image);
        for (const RVEquation2D* equation : equations) {
            EXPECT_TRUE(layers.draw(p, viewport, moving, *equation, painter));
        }
        return image;
    };
    const Viewport2D still = view.viewport();
    const QImage before = compose(still, false);
    Viewport2D moved = still;
    moved.panBy(37, -21);
    const QImage after = compose(moved, true);
    EXPECT_EQ(layers.buildCount(), 2u);
    int compared = 0;
    for (int y = 21; y < 600; ++y) {
        for (int x = 0; x + 37 < 800; ++x) {
            ASSERT_EQ(after.pixel(x + 37, y - 21), before.pixel(x, y)) << x << "," << y;
            compared += qAlpha(before.pixel(x, y)) > 0 ? 1 : 0;
        }
    }
    EXPECT_GT(compared, 10000);
    // A layer past the memory bound is not kept: the caller draws directly.
    PlaneLayers none(1000);
    QImage image(800, 600, QImage::Format_ARGB32_Premultiplied);
    QPainter p(&image);
    EXPECT_FALSE(none.draw(p, still, false, *equations[0], painter));
    EXPECT_EQ(none.layerCount(), 0u);
}

TEST_F(RVEquation2DViewTest, PinchesScaleAboutTheCentreAndResampleWhenLifted) {
    struct Case {
        bool lock;
        QPointF from[2];
        QPointF to[2];
        double ratioX;
        double ratioY;
    };
    // Per axis, fingers 10 points apart vertically stay below 24 and leave y alone.
    for (const Case& c : {Case{false, {{350, 300}, {450, 310}}, {{300, 300}, {500, 310}}, 160, 80},
                          Case{true, {{350, 300}, {450, 300}}, {{375, 300}, {425, 300}}, 40, 40}}) {
        view.resetView();
        view.setLockAxisZoom(c.lock);
        sendTouch({{0, QEventPoint::Pressed, c.from[0]}, {1, QEventPoint::Pressed, c.from[1]}});
        EXPECT_TRUE(view.pinchZoom());
        sendTouch({{0, QEventPoint::Updated, c.to[0]}, {1, QEventPoint::Updated, c.to[1]}});
        EXPECT_DOUBLE_EQ(view.viewstate().pixelUnitRatioX, c.ratioX);
        EXPECT_DOUBLE_EQ(view.viewstate().pixelUnitRatioY, c.ratioY);
        EXPECT_EQ(view.viewport().center(), (Point2D{0, 0}));
        sendTouch({{0, QEventPoint::Released, c.to[0]}, {1, QEventPoint::Released, c.to[1]}});
        EXPECT_FALSE(view.pinchZoom());
        EXPECT_FALSE(view.movedOrZoomed());
    }
}

TEST_F(RVEquation2DViewTest, KeysPanByATenthAndZoomAboutTheCentreThenResampleOnce) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    struct Case {
        int key;
        Point2D center;
        double ratio;
    };
    // Left brings what is left of the window into view: the centre moves left by 80 points.
    const double r2 = std::sqrt(2.0);
    for (const Case& c : {Case{Qt::Key_Left, {-1, 0}, 80}, Case{Qt::Key_Right, {0, 0}, 80},
                          Case{Qt::Key_Up, {0, 0.75}, 80}, Case{Qt::Key_Down, {0, 0}, 80},
                          Case{Qt::Key_Plus, {0, 0}, 80 * r2}, Case{Qt::Key_Equal, {0, 0}, 160},
                          Case{Qt::Key_Minus, {0, 0}, 80 * r2}}) {
        sendKey(c.key);
        EXPECT_EQ(view.viewport().center(), c.center) << c.key;
        EXPECT_NEAR(view.viewstate().pixelUnitRatioY, c.ratio, 1e-9) << c.key;
    }
    // No sampling while keys are pressed; once, when they stop.
    EXPECT_FALSE(sampledForTheWindow(parabola));
    QTest::qWait(400);
    EXPECT_FALSE(view.movedOrZoomed());
    EXPECT_TRUE(sampledForTheWindow(parabola));
    // Other keys are left to the window.
    QKeyEvent other(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier);
    QApplication::sendEvent(&view, &other);
    EXPECT_FALSE(other.isAccepted());
}

TEST_F(RVEquation2DViewTest, HoldingStillOrTheRightButtonTracesExplicitEquations) {
    RVEquation2D* parabola = add("y=x^2", Qt::blue);
    RVEquation2D* sideways = add("x=y^3", Qt::darkGreen);
    const QPointF press = view.viewPointForPlanePoint(1.5, 2.0);
    sendMouse(QEvent::MouseButtonPress, press);
    QTest::qWait(100);
    EXPECT_FALSE(view.tracing()) << "no trace before 0.3 s";
    QTest::qWait(350);
    ASSERT_TRUE(view.tracing());
    EXPECT_FALSE(view.traceView()->isHidden());
    EXPECT_FLOAT_EQ(parabola->trace().y, 2.25f);
    EXPECT_FLOAT_EQ(sideways->trace().x, 8.0f);
    EXPECT_DOUBLE_EQ(view.traceView()->horizontalTracePos(), press.x());
    EXPECT_DOUBLE_EQ(view.traceView()->vertivalTracePos(), press.y());
    EXPECT_FALSE(view.dictionaryWithViewState().value("tracing").toBool());

    // Moving while tracing follows the pointer instead of panning.
    const QPointF next = view.viewPointForPlanePoint(-1.0, 0.0);
    sendMouse(QEvent::MouseMove, next);
    EXPECT_EQ(view.viewport().center(), (Point2D{0, 0}));
    EXPECT_FLOAT_EQ(parabola->trace().y, 1.0f);
    sendMouse(QEvent::MouseButtonRelease, next);
    EXPECT_FALSE(view.tracing());
    EXPECT_FALSE(view.traceView()->isHidden()) << "the overlay stays after the trace ends";

    // The next pan hides it; the right button traces at once; Escape puts the trace away.
    sendMouse(QEvent::MouseButtonPress, QPointF(100, 100));
    sendMouse(QEvent::MouseMove, QPointF(120, 100));
    EXPECT_TRUE(view.traceView()->isHidden());
    sendMouse(QEvent::MouseButtonRelease, QPointF(120, 100));
    sendMouse(QEvent::MouseButtonPress, view.viewPointForPlanePoint(2.0, 0.0), Qt::RightButton);
    ASSERT_TRUE(view.tracing());
    EXPECT_FLOAT_EQ(parabola->trace().y, 4.0f);
    sendMouse(QEvent::MouseButtonRelease, QPointF(), Qt::RightButton);
    EXPECT_FALSE(view.traceView()->isHidden());
    sendKey(Qt::Key_Escape);
    EXPECT_TRUE(view.traceView()->isHidden());
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

// Wherever the point is, the label lies inside the view, off the point, on the side the pointer
// of its callout names.
TEST(RVPWTraceViewTest, TheLabelStaysInsideTheViewOnTheSideItPointsFrom) {
    using Side = RVPWTraceView::PointerSide;
    for (const QPointF at :
         {QPointF(10, 100), QPointF(390, 100), QPointF(200, 20), QPointF(200, 200)}) {
        Side side = Side::Top;
        const QRectF label = RVPWTraceView::labelRect(at, QSizeF(80, 15), QSizeF(400, 300), &side);
        EXPECT_TRUE(QRectF(0, 0, 400, 300).contains(label)) << at.x() << "," << at.y();
        EXPECT_TRUE(side == Side::Left    ? label.left() > at.x()
                    : side == Side::Right ? label.right() < at.x()
                    : side == Side::Top   ? label.top() > at.y()
                                          : label.bottom() < at.y())
            << at.x() << "," << at.y();
    }
}

}  // namespace
}  // namespace plotwise
