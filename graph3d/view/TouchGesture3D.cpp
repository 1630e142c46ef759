#include "graph3d/view/TouchGesture3D.h"

#include <cmath>
#include <utility>

namespace plotwise {

namespace {

// Points a finger pair moves for one eye unit of pan.
constexpr float kPanPointsPerUnit = 240.0f;
// A pan gives way to a pinch when the spread changes by more than this share.
constexpr float kPanBreaksForPinch = 0.3f;
// A pinch gives way to a pan once the pan movement passes this length.
constexpr float kPinchBreaksForPan = 0.1f;

bool oppositeSigns(double a, double b) {
    return (a > 0 && b < 0) || (a < 0 && b > 0);
}

}  // namespace

float TouchGesture3D::distanceBetweenTouches(const std::vector<Finger>& fingers) {
    const QPointF a = fingers.size() > 0 ? fingers[0].position : QPointF();
    const QPointF b = fingers.size() > 1 ? fingers[1].position : QPointF();
    return static_cast<float>(std::hypot(a.x() - b.x(), a.y() - b.y()));
}

QPointF TouchGesture3D::commonDirectionOfTouches(const std::vector<Finger>& fingers) {
    if (fingers.size() < 2) {
        return {};
    }
    const double dx1 = fingers[0].position.x() - fingers[0].lastPosition.x();
    const double dy1 = fingers[0].lastPosition.y() - fingers[0].position.y();
    const double dx2 = fingers[1].position.x() - fingers[1].lastPosition.x();
    const double dy2 = fingers[1].lastPosition.y() - fingers[1].position.y();
    if (oppositeSigns(dx1, dx2) || oppositeSigns(dy1, dy2)) {
        return {};
    }
    return {(dx1 + dx2) * 0.5 / kPanPointsPerUnit, (dy1 + dy2) * 0.5 / kPanPointsPerUnit};
}

void TouchGesture3D::began(const std::vector<Finger>& onView, int newFingers) {
    isRotating_ = true;
    movedOrZoomed_ = false;
    if (onView.size() == 1 && newFingers > 0) {
        lastMovementPosition_ = onView.back().position;
    } else if (onView.size() >= 2) {
        startingTouchDistance_ = distanceBetweenTouches(onView);
        previousScale_ = 1.0f;
        previousDirectionOfPanning_ = QPointF();
    }
}

std::optional<SceneIncrement3D> TouchGesture3D::moved(const std::vector<Finger>& onView,
                                                      const std::vector<Finger>& moved) {
    if (onView.size() < 2) {
        if (moved.empty()) {
            return std::nullopt;
        }
        isRotating_ = true;
        const QPointF p = moved.front().position;
        SceneIncrement3D increment;
        increment.ax = static_cast<float>(p.x() - lastMovementPosition_.x());
        increment.ay = static_cast<float>(p.y() - lastMovementPosition_.y());
        lastMovementPosition_ = p;
        return increment;
    }
    isRotating_ = false;
    std::optional<SceneIncrement3D> result;
    const QPointF direction = commonDirectionOfTouches(moved);
    if (direction.isNull()) {
        const float ratio = distanceBetweenTouches(onView) / startingTouchDistance_;
        // Fingers that started together give no ratio: that step is no pinch.
        if (!std::isfinite(ratio) || !(ratio > 0.0f) || !(previousScale_ > 0.0f)) {
            return std::nullopt;
        }
        if (twoFingersAreMoving_ && std::fabs(1.0f - ratio / previousScale_) > kPanBreaksForPinch) {
            twoFingersAreMoving_ = false;
        }
        if (!twoFingersAreMoving_) {
            SceneIncrement3D increment;
            increment.k = ratio / previousScale_;
            result = increment;
            previousScale_ = ratio;
            pinchGestureUnderway_ = true;
        }
    } else {
        if (pinchGestureUnderway_) {
            if (std::hypot(previousDirectionOfPanning_.x(), previousDirectionOfPanning_.y()) >
                kPinchBreaksForPan) {
                pinchGestureUnderway_ = false;
            }
            previousDirectionOfPanning_ += direction;
        }
        if (pinchGestureUnderway_) {
            movedOrZoomed_ = true;
            return std::nullopt;
        }
        twoFingersAreMoving_ = true;
        SceneIncrement3D increment;
        increment.tx = static_cast<float>(direction.x());
        increment.ty = static_cast<float>(direction.y());
        result = increment;
        previousDirectionOfPanning_ = QPointF();
    }
    movedOrZoomed_ = true;
    return result;
}

bool TouchGesture3D::ended(const std::vector<Finger>& remaining) {
    isRotating_ = false;
    if (remaining.size() < 2) {
        twoFingersAreMoving_ = false;
        pinchGestureUnderway_ = false;
        previousDirectionOfPanning_ = QPointF();
        lastMovementPosition_ = remaining.empty() ? QPointF() : remaining.front().position;
    }
    return std::exchange(movedOrZoomed_, false);
}

}  // namespace plotwise
