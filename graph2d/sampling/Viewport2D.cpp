#include "graph2d/sampling/Viewport2D.h"

#include <algorithm>
#include <cmath>

namespace plotwise {

double Viewport2D::clampRatio(double ratio) {
    return std::clamp(ratio, minimumPixelUnitRatio, maximumPixelUnitRatio);
}

double Viewport2D::majorTickWidthForSpan(double span) {
    const double l = std::log10(span);
    const double k = std::floor(l);
    const double f = l - k;
    const double power = std::pow(10.0, k);
    if (f < 0.3010299956639812) {  // log10 2
        return 0.2 * power;
    }
    if (f < 0.6989700043360189) {  // log10 5
        return 0.5 * power;
    }
    return power;
}

void Viewport2D::setSize(double width, double height) {
    // Kept in single precision as the stored record has it; whole and half points are exact.
    state_.screenHalfWidth = static_cast<float>(width) / 2.0f;
    state_.screenHalfHeight = static_cast<float>(height) / 2.0f;
}

void Viewport2D::setPixelUnitRatios(double x, double y) {
    state_.pixelUnitRatioX = clampRatio(x);
    state_.pixelUnitRatioY = clampRatio(y);
}

void Viewport2D::centerOn(Point2D plane) {
    state_.scrollX = plane.x;
    state_.scrollY = -plane.y;
}

Point2D Viewport2D::viewPoint(Point2D plane) const {
    const ViewState& v = state_;
    return {(plane.x - v.scrollX) * v.pixelUnitRatioX + v.screenHalfWidth,
            v.screenHalfHeight - (plane.y + v.scrollY) * v.pixelUnitRatioY};
}

Point2D Viewport2D::planePoint(Point2D view) const {
    const ViewState& v = state_;
    return {v.scrollX + (view.x - v.screenHalfWidth) / v.pixelUnitRatioX,
            (v.screenHalfHeight - view.y) / v.pixelUnitRatioY - v.scrollY};
}

EvaluationLimits2D Viewport2D::evaluationLimits() const {
    const ViewState& v = state_;
    const double minx = v.scrollX - v.screenHalfWidth / v.pixelUnitRatioX;
    const double maxx = v.scrollX + v.screenHalfWidth / v.pixelUnitRatioX;
    const double miny = -v.screenHalfHeight / v.pixelUnitRatioY - v.scrollY;
    const double maxy = v.screenHalfHeight / v.pixelUnitRatioY - v.scrollY;
    return EvaluationLimits2D::withWindow(minx, maxx, miny, maxy, v.pixelUnitRatioX,
                                          v.pixelUnitRatioY);
}

void Viewport2D::zoomAbout(Point2D anchor, double factorX, double factorY) {
    const Point2D fixed = planePoint(anchor);
    setPixelUnitRatios(state_.pixelUnitRatioX * factorX,
                       state_.pixelUnitRatioY * (lockAxisZoom_ ? factorX : factorY));
    // Solve the mapping for the scroll that puts `fixed` back under the anchor.
    state_.scrollX = fixed.x - (anchor.x - state_.screenHalfWidth) / state_.pixelUnitRatioX;
    state_.scrollY = (state_.screenHalfHeight - anchor.y) / state_.pixelUnitRatioY - fixed.y;
}

void Viewport2D::panBy(double dx, double dy) {
    state_.scrollX -= dx / state_.pixelUnitRatioX;
    state_.scrollY -= dy / state_.pixelUnitRatioY;
}

void Viewport2D::reset() {
    state_.scrollX = 0.0;
    state_.scrollY = 0.0;
    state_.pixelUnitRatioX = defaultPixelUnitRatio;
    state_.pixelUnitRatioY = defaultPixelUnitRatio;
}

TickWidths Viewport2D::majorTickWidths() const {
    const EvaluationLimits2D limits = evaluationLimits();
    const double spanX = limits.maxx - limits.minx;
    const double spanY = limits.maxy - limits.miny;
    if (lockAxisZoom_ && state_.pixelUnitRatioX == state_.pixelUnitRatioY) {
        const double both = majorTickWidthForSpan(std::max(spanX, spanY));
        return {both, both};
    }
    return {majorTickWidthForSpan(spanX), majorTickWidthForSpan(spanY)};
}

}  // namespace plotwise
