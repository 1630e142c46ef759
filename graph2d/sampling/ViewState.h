#pragma once

namespace plotwise {

// The viewport of a 2D graph view as the view state dictionary keeps it. Note the sign of
// scrollY: it is minus the plane y at the centre, so that dragging adds the finger's travel to
// both scrolls alike. Viewport2D gives it its operations.
struct ViewState {
    double scrollX = 0.0;  // plane x at the view's centre
    double scrollY = 0.0;  // minus the plane y at the view's centre
    float screenHalfWidth = 0.0f;
    float screenHalfHeight = 0.0f;
    double pixelUnitRatioX = 80.0;  // points per plane unit
    double pixelUnitRatioY = 80.0;

    friend bool operator==(const ViewState&, const ViewState&) = default;
};

}  // namespace plotwise
