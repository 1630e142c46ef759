#pragma once

#include <QElapsedTimer>
#include <QEventPoint>
#include <QImage>
#include <QPointF>
#include <QPointer>
#include <QSizeF>
#include <QTimer>
#include <QVariantMap>
#include <QWidget>
#include <optional>
#include <vector>

#include "common/DeviceClass.h"
#include "graph2d/EquationModel2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/ViewState.h"
#include "graph2d/sampling/Viewport2D.h"
#include "graph2d/view/PlaneLayers.h"
#include "graph2d/view/PlanePainter.h"
#include "graph2d/view/ViewportGesture2D.h"

class QNativeGestureEvent;
class QPainter;

namespace plotwise {

class RVEquation2D;
class RVEquation2DViewDelegate;
class RVPWTraceView;

// The 2D plane on screen: it turns input into viewport changes, has its equations sample
// themselves when the window changes (never while a frame is painted), and shows the trace
// overlay. Mapping lives in Viewport2D, drawing in PlanePainter. The owning screen owns the
// equations and the settings; the view keeps plain pointers and is told the settings through its
// setters.
class RVEquation2DView : public QWidget {
    Q_OBJECT

public:
    // The viewport's zoom bounds and default, for callers that know only the view.
    static constexpr double maximumPixelUnitRatio = Viewport2D::maximumPixelUnitRatio;
    static constexpr double minimumPixelUnitRatio = Viewport2D::minimumPixelUnitRatio;
    static constexpr double defaultPixelUnitRatio = Viewport2D::defaultPixelUnitRatio;

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

    // The viewport shown, at the view's current size: a pan or zoom in progress, or else the
    // committed one.
    Viewport2D viewport() const;
    ViewState viewstate() const { return viewport().state(); }
    // The major grid spacing kept between frames: chosen by the next frame after a zoom, a reset,
    // a change of the zoom lock or a restored ratio, and kept when the view is resized.
    std::optional<TickWidths> majorTickWidths() const { return majorTicks_; }
    // A pan or zoom is in progress: drawn with the samples of before it, cheaply.
    bool movedOrZoomed() const { return gesture_.inProgress(); }

    bool lockAxisZoom() const { return gesture_.current().lockAxisZoom(); }
    void setLockAxisZoom(bool lock);
    bool useDarkBackground() const { return planePainter_.useDarkBackground(); }
    void setUseDarkBackground(bool dark);
    float equationLineWidth() const { return planePainter_.equationLineWidth(); }
    void setUseThickLines(bool thick);
    // Only draws what the equations hold, never has them sample.
    void setIsDisplayOnly(bool displayOnly) { isDisplayOnly_ = displayOnly; }

    // Plane ↔ view coordinates in points.
    QPointF viewPointForPlanePoint(double x, double y) const;
    QPointF planePointForViewPoint(QPointF point) const;

    EvaluationLimits2D evaluationLimits() const { return viewport().evaluationLimits(); }
    // Has every equation sample itself for the window of the views on screen.
    void evaluateAllFunctions();
    void resetView();

    // Zooms about a view point that stays put and pans by a view distance, as gesture steps:
    // the samples are kept until resampleAfterMove.
    void zoomAbout(QPointF anchor, double factorX, double factorY);
    void panBy(QPointF distance);
    // Ends a move: commits it, resamples once, redraws at full quality and sends the state.
    void resampleAfterMove();
    // During a move: samples the window shown, so no blank strip waits for the fingers to
    // lift. Moves schedule it themselves, at most as often as its last cost allows.
    void resampleDuringMove();
    // The wait between resamples during a move: four times the last one's cost, at least 50 ms.
    int moveResampleInterval() const;

    // The equations' drawings kept between frames. Off, every frame draws every equation (the
    // baseline the layers are measured against).
    const PlaneLayers& layers() const { return layers_; }
    void setUsesLayers(bool uses);

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

    // Draws the plane at a size in points, as paintEvent does.
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
    // A hidden widget gets its resize event only when shown; the viewports take the current
    // size before they are changed.
    void syncSize();
    bool handleNativeGesture(QNativeGestureEvent* event);
    EvaluationLimits2D limitsForVisibleViews();
    void touchesBegan(const QList<QEventPoint>& points);
    void touchesMoved(const QList<QEventPoint>& points);
    void touchesDone();
    void evaluateRows(int first, int last);
    void scheduleMoveResample();

    RVEquation2DViewDelegate* delegate_ = nullptr;
    QPointer<EquationModel2D> model_;
    ViewportGesture2D gesture_;
    std::optional<TickWidths> majorTicks_;
    PlanePainter planePainter_;
    QPointF tapLocation_;
    bool panning_ = false;
    bool tracing_ = false;
    bool pinchZoom_ = false;
    double tracingValueX_ = 0.0;
    double tracingValueY_ = 0.0;
    bool isDisplayOnly_ = false;
    DeviceClass deviceClass_ = DeviceClass::Phone;
    // Wheel steps come in bursts: resample once the burst is over.
    QTimer wheelSettleTimer_;
    // A press held still this long starts a trace.
    QTimer traceTimer_;
    QTimer moveResampleTimer_;
    QElapsedTimer sinceMoveResample_;
    double lastResampleMilliseconds_ = 0.0;
    PlaneLayers layers_;
    bool usesLayers_ = true;
    RVPWTraceView* traceView_;  // a child widget, owned by this view
};

}  // namespace plotwise
