#pragma once

#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/ViewState.h"

namespace plotwise {

// A point in plane units or in view points (view y grows downwards).
struct Point2D {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const Point2D&, const Point2D&) = default;
};

// Major grid spacing per axis, in plane units.
struct TickWidths {
    double x = 0.0;
    double y = 0.0;

    friend bool operator==(const TickWidths&, const TickWidths&) = default;
};

// The viewport of the 2D plane: which plane window a view of a given size shows. Plain numbers
// only, so the mapping, the zoom bounds and the grid spacing are tested and reused (offscreen
// rendering, the mirror) without a widget.
class Viewport2D {
public:
    // Zoom bounds in points per plane unit: the cap keeps float samples apart, the floor keeps
    // the window finite when zooming out.
    static constexpr double maximumPixelUnitRatio = 1e7;
    static constexpr double minimumPixelUnitRatio = 1e-7;
    static constexpr double defaultPixelUnitRatio = 80.0;

    static double clampRatio(double ratio);
    // The major grid spacing for a span in plane units: 0.2, 0.5 or 1 times a power of ten.
    static double majorTickWidthForSpan(double span);

    Viewport2D() = default;
    explicit Viewport2D(const ViewState& state) : state_(state) {}

    // The stored record; note its sign of scrollY.
    const ViewState& state() const { return state_; }
    double width() const { return 2.0 * state_.screenHalfWidth; }
    double height() const { return 2.0 * state_.screenHalfHeight; }
    void setSize(double width, double height);

    // Proportional zoom: both axes scale together and share one grid spacing.
    bool lockAxisZoom() const { return lockAxisZoom_; }
    void setLockAxisZoom(bool lock) { lockAxisZoom_ = lock; }

    double pixelUnitRatioX() const { return state_.pixelUnitRatioX; }
    double pixelUnitRatioY() const { return state_.pixelUnitRatioY; }
    // Kept within the zoom bounds.
    void setPixelUnitRatios(double x, double y);

    // The plane point at the view's centre.
    Point2D center() const { return {state_.scrollX, -state_.scrollY}; }
    void centerOn(Point2D plane);

    Point2D viewPoint(Point2D plane) const;
    Point2D planePoint(Point2D view) const;
    EvaluationLimits2D evaluationLimits() const;

    // Multiplies the ratios (with the lock on, both by factorX) within the zoom bounds, keeping
    // the plane point under `anchor` (a view point) where it is.
    void zoomAbout(Point2D anchor, double factorX, double factorY);
    // Moves the plane by a view distance in points, as a dragging finger does.
    void panBy(double dx, double dy);
    // The origin at the centre, default ratios; size and lock stay.
    void reset();

    // The major spacing for this window: each axis from its own span, or with the lock on and
    // equal ratios one spacing from the larger span for both.
    TickWidths majorTickWidths() const;

    friend bool operator==(const Viewport2D&, const Viewport2D&) = default;

private:
    ViewState state_;
    bool lockAxisZoom_ = true;
};

}  // namespace plotwise
