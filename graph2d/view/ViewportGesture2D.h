#pragma once

#include <optional>

#include "graph2d/sampling/Viewport2D.h"

namespace plotwise {

// The viewport of a 2D view and the pan or zoom in progress. The committed viewport is the one
// the samples were made for; a gesture moves a copy, drawn with those samples, and ends by
// committing it once (finished or cancelled alike), which is when the view samples again.
class ViewportGesture2D {
public:
    // The viewport shown: the gesture's while one is in progress.
    const Viewport2D& current() const { return moving_ ? *moving_ : committed_; }
    // Changes what is shown in place, neither starting nor ending a gesture (reset, restore).
    Viewport2D& current() { return moving_ ? *moving_ : committed_; }
    bool inProgress() const { return moving_.has_value(); }

    // The viewport a gesture step changes; the first step starts the gesture.
    Viewport2D& move();
    // Commits the gesture in progress; false when there was none.
    bool finish();

    // Both viewports follow the view's size and the zoom lock.
    void setSize(double width, double height);
    void setLockAxisZoom(bool lock);

    // Two fingers land `dx`, `dy` apart.
    void beginPinch(double dx, double dy);
    // The fingers are now `dx`, `dy` apart: the ratios scale with their spread about the view's
    // centre, both alike with the lock on, else each axis along which the fingers are well apart.
    void pinchTo(double dx, double dy);
    void endPinch() { previousDistanceX_ = previousDistanceY_ = 0.0; }

private:
    Viewport2D committed_;
    std::optional<Viewport2D> moving_;
    double previousDistanceX_ = 0.0;
    double previousDistanceY_ = 0.0;
};

}  // namespace plotwise
