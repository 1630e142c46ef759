#pragma once

#include <QColor>
#include <QEventPoint>
#include <QFont>
#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>
#include <vector>

#include "common/DeviceClass.h"
#include "engine/EquationType.h"
#include "graph2d/EquationModel2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/view/ViewState.h"

class QNativeGestureEvent;
class QPainter;

namespace plotwise {

class RVEquation2D;
class RVEquation2DViewDelegate;
class RVPWTraceView;

// The 2D plane: background, grid, axes with tick labels, inequality regions and the curves of
// the visible equations. It maps and paints what its equations hold; they sample themselves when
// the window changes, never while a frame is painted. The owning screen owns the equations and
// the settings; the view keeps plain pointers and is told the settings through its setters.
class RVEquation2DView : public QWidget {
    Q_OBJECT

public:
    // Zoom bounds in points per plane unit: the cap keeps float samples apart, the floor keeps
    // the window finite when zooming out.
    static constexpr double maximumPixelUnitRatio = 1e7;
    static constexpr double minimumPixelUnitRatio = 1e-7;
    static constexpr double defaultPixelUnitRatio = 80.0;

    explicit RVEquation2DView(QWidget* parent = nullptr);
    ~RVEquation2DView() override;

    void setDelegate(RVEquation2DViewDelegate* delegate) { delegate_ = delegate; }
    RVEquation2DViewDelegate* delegate() const { return delegate_; }
    void setDeviceClass(DeviceClass device) { deviceClass_ = device; }

    // The plane's equations, drawn in the model's order. Not owned: the screen owns the model.
    // New and newly visible equations are sampled for the window as they arrive.
    void setModel(EquationModel2D* model);
    EquationModel2D* model() const { return model_; }
    std::vector<RVEquation2D*> equations() const;

    ViewState viewstate() const;
    double majorTickWidthX() const { return majorTickWidthX_; }
    double majorTickWidthY() const { return majorTickWidthY_; }
    bool movedOrZoomed() const { return movedOrZoomed_; }

    bool lockAxisZoom() const { return lockAxisZoom_; }
    void setLockAxisZoom(bool lock);
    bool useDarkBackground() const { return useDarkBackground_; }
    void setUseDarkBackground(bool dark);
    float equationLineWidth() const { return equationLineWidth_; }
    void setUseThickLines(bool thick);
    // Only draws what the equations hold, never has them sample.
    void setIsDisplayOnly(bool displayOnly) { isDisplayOnly_ = displayOnly; }

    // Plane ↔ view coordinates in points.
    QPointF viewPointForPlanePoint(double x, double y) const;
    QPointF planePointForViewPoint(QPointF point) const;

    EvaluationLimits2D evaluationLimits() const;
    // Has every equation sample itself for the window of the views on screen.
    void evaluateAllFunctions();
    void resetView();

    // Multiplies the ratios about a view point that stays put, within the zoom bounds; the
    // samples are kept until resampleAfterMove.
    void zoomAbout(QPointF anchor, double factorX, double factorY);
    // Moves the plane by a view distance in points; samples kept as in zoomAbout.
    void panBy(QPointF distance);
    // Ends a move: full-quality drawing, resampling once, the new state sent.
    void resampleAfterMove();

    QVariantMap dictionaryWithViewState() const;
    void setViewstateWithDictionary(const QVariantMap& state);
    void sendState();

    // An opaque picture of the view at the screen's pixel ratio.
    QImage imageRepresentation();

    bool canTrace() const;
    // Shows the trace overlay at the plane point under the last press, when an equation can be
    // traced.
    void startTrace();
    // Reads off every visible explicit equation at x (y = f(x)) or y (x = f(y)).
    void traceExplicitEquationsAt(double x, double y);
    RVPWTraceView* traceView() const { return traceView_; }
    // After the screen turned: the trace callouts would point at stale places.
    void handleInterfaceRotation();
    bool tracing() const { return tracing_; }
    bool pinchZoom() const { return pinchZoom_; }

    // The major grid spacing for a span in plane units: 0.2, 0.5 or 1 times a power of ten.
    static double majorTickWidthForSpan(double span);

    // Draws the plane into a painter for a size in points; shared by paintEvent and offscreen
    // rendering.
    void drawPlane(QPainter& painter, QSizeF size);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;

private:
    bool handleNativeGesture(QNativeGestureEvent* event);
    // Whether the segment a–b of an explicit curve (y = f(x) or x = f(y)), in view
    // points, is the leap across a pole rather than part of the curve.
    static bool jumpsAcrossPole(QPointF a, QPointF b, EquationType type, QSizeF size);
    EvaluationLimits2D limitsForVisibleViews();
    void chooseMajorTickWidths(double spanX, double spanY);
    QSizeF topAndBottomOffsets() const;
    void touchesBegan(const QList<QEventPoint>& points);
    void touchesMoved(const QList<QEventPoint>& points);
    void touchesDone();

    void evaluateRows(int first, int last);

    RVEquation2DViewDelegate* delegate_ = nullptr;
    QPointer<EquationModel2D> model_;
    QMetaObject::Connection modelConnections_[6];
    // The half sizes here are stale; viewstate() gives them from the current size.
    ViewState viewstate_;
    double majorTickWidthX_ = -1.0;
    double majorTickWidthY_ = -1.0;
    bool lockAxisZoom_ = true;
    QPointF tapLocation_;
    bool panning_ = false;
    bool tracing_ = false;
    bool pinchZoom_ = false;
    double previousDistanceX_ = 0.0;
    double previousDistanceY_ = 0.0;
    bool movedOrZoomed_ = false;
    double tracingValueX_ = 0.0;
    double tracingValueY_ = 0.0;
    bool useDarkBackground_ = false;
    float equationLineWidth_ = 1.0f;
    bool isDisplayOnly_ = false;
    DeviceClass deviceClass_ = DeviceClass::Phone;
    QFont tickFont_;
    QColor gridColor_;
    QColor darkerGridColor_;
    QColor axisColor_;
    QColor labelColor_;
    QColor backgroundColor_;
    // Wheel steps come in bursts: resample once the burst is over.
    QTimer wheelSettleTimer_;
    // A press held still this long starts a trace.
    QTimer traceTimer_;
    RVPWTraceView* traceView_;  // a child widget, owned by this view
};

}  // namespace plotwise
