#include "graph2d/view/ViewportGesture2D.h"

#include <algorithm>
#include <cmath>

namespace plotwise {

Viewport2D& ViewportGesture2D::move() {
    if (!moving_) {
        moving_ = committed_;
    }
    return *moving_;
}

bool ViewportGesture2D::finish() {
    if (!moving_) {
        return false;
    }
    committed_ = *moving_;
    moving_.reset();
    return true;
}

void ViewportGesture2D::setSize(double width, double height) {
    committed_.setSize(width, height);
    if (moving_) {
        moving_->setSize(width, height);
    }
}

void ViewportGesture2D::setLockAxisZoom(bool lock) {
    committed_.setLockAxisZoom(lock);
    if (moving_) {
        moving_->setLockAxisZoom(lock);
    }
}

void ViewportGesture2D::beginPinch(double dx, double dy) {
    if (current().lockAxisZoom()) {
        previousDistanceX_ = std::hypot(dx, dy);
        previousDistanceY_ = previousDistanceX_;
    } else {
        // Floored as in a step, so the first step never divides by zero.
        previousDistanceX_ = std::max(std::abs(dx), 1.0);
        previousDistanceY_ = std::max(std::abs(dy), 1.0);
    }
}

void ViewportGesture2D::pinchTo(double dx, double dy) {
    Viewport2D& viewport = move();
    double factorX = 1.0;
    double factorY = 1.0;
    if (viewport.lockAxisZoom()) {
        const double d = std::hypot(dx, dy);
        if (d > 0.0 && previousDistanceX_ > 0.0 && previousDistanceY_ > 0.0) {
            factorX = d / previousDistanceX_;
            factorY = d / previousDistanceY_;
        }
        previousDistanceX_ = d;
        previousDistanceY_ = d;
    } else {
        // An axis zooms only when the fingers are well apart along it, so a pinch along one
        // axis leaves the other alone.
        const double spreadX = std::abs(dx) <= 1.0 ? 1.0 : std::abs(dx);
        const double spreadY = std::abs(dy) <= 1.0 ? 1.0 : std::abs(dy);
        if (spreadX > 24.0) {
            factorX = spreadX / previousDistanceX_;
        }
        if (spreadY > 24.0) {
            factorY = spreadY / previousDistanceY_;
        }
        previousDistanceX_ = spreadX;
        previousDistanceY_ = spreadY;
    }
    // About the centre: the scroll stays as it is.
    viewport.zoomAbout({viewport.width() / 2.0, viewport.height() / 2.0}, factorX, factorY);
}

}  // namespace plotwise
