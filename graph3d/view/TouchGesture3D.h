#pragma once

#include <QPointF>
#include <optional>
#include <vector>

namespace plotwise {

// One step of movement for the scene: a rotation in degrees along the screen's axes, a zoom
// factor and a shift in eye units (SceneState3D::applyIncrement).
struct SceneIncrement3D {
    float ax = 0.0f;
    float ay = 0.0f;
    float k = 1.0f;
    float tx = 0.0f;
    float ty = 0.0f;
};

// The fingers on the 3D view turned into scene increments, without widgets: one finger
// rotates (a point a degree), two moving the same way pan, two moving apart or together pinch.
// A pan or pinch asks for one evaluation when the fingers lift; a rotation never does.
class TouchGesture3D {
public:
    struct Finger {
        QPointF position;
        QPointF lastPosition;
    };

    // `onView`: every finger now on the view, the new ones included.
    void began(const std::vector<Finger>& onView, int newFingers);
    // `onView` as above; `moved`: the fingers that moved in this event. Returns the increment
    // to apply, if any.
    std::optional<SceneIncrement3D> moved(const std::vector<Finger>& onView,
                                          const std::vector<Finger>& moved);
    // `remaining`: the fingers still on the view. Returns whether the scene must be evaluated
    // (a pan or pinch happened since the fingers went down).
    bool ended(const std::vector<Finger>& remaining);

    bool isRotating() const { return isRotating_; }
    float previousScale() const { return previousScale_; }

    // Positions in points; y grows downwards.
    static float distanceBetweenTouches(const std::vector<Finger>& fingers);
    // The common movement of the first two fingers in eye units ((0, 0) when they move apart
    // along either axis, or when fewer than two moved).
    static QPointF commonDirectionOfTouches(const std::vector<Finger>& fingers);

private:
    QPointF lastMovementPosition_;
    QPointF previousDirectionOfPanning_;
    float startingTouchDistance_ = 0.0f;
    float previousScale_ = 1.0f;
    bool twoFingersAreMoving_ = false;
    bool pinchGestureUnderway_ = false;
    bool movedOrZoomed_ = false;
    bool isRotating_ = false;
};

}  // namespace plotwise
