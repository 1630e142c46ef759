#include "graph2d/sampling/EvaluationLimits2D.h"

#include <algorithm>
#include <cmath>

namespace plotwise {

namespace {

double axisOrigin(double lo, double hi, double ratio) {
    // A float's spacing near a magnitude m is at most m·2⁻²³.
    const double spacing = std::max(std::fabs(lo), std::fabs(hi)) * 0x1p-23;
    if (!std::isfinite(spacing) || !std::isfinite(ratio) || !(spacing * ratio > 1.0 / 64.0)) {
        return 0.0;
    }
    return lo + (hi - lo) * 0.5;
}

}  // namespace

EvaluationLimits2D EvaluationLimits2D::withWindow(double minx, double maxx, double miny,
                                                  double maxy, double pixelUnitRatioX,
                                                  double pixelUnitRatioY) {
    EvaluationLimits2D limits;
    limits.screen.origin.x = static_cast<float>(minx);
    limits.screen.origin.y = static_cast<float>(miny);
    limits.screen.size.width = static_cast<float>(maxx - minx);
    limits.screen.size.height = static_cast<float>(maxy - miny);
    limits.pixelUnitRatioX = pixelUnitRatioX;
    limits.pixelUnitRatioY = pixelUnitRatioY;
    limits.minx = minx;
    limits.miny = miny;
    limits.maxx = maxx;
    limits.maxy = maxy;
    return limits;
}

EvaluationLimits2D::PlanePoint EvaluationLimits2D::sampleOrigin() const {
    return {axisOrigin(minx, maxx, pixelUnitRatioX), axisOrigin(miny, maxy, pixelUnitRatioY)};
}

bool EvaluationLimits2D::operator==(const EvaluationLimits2D& other) const {
    return screen.origin.x == other.screen.origin.x && screen.origin.y == other.screen.origin.y &&
           screen.size.width == other.screen.size.width &&
           screen.size.height == other.screen.size.height &&
           pixelUnitRatioX == other.pixelUnitRatioX && pixelUnitRatioY == other.pixelUnitRatioY &&
           minx == other.minx && miny == other.miny && maxx == other.maxx && maxy == other.maxy;
}

}  // namespace plotwise
