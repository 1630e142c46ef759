#include "graph2d/sampling/EvaluationLimits2D.h"

namespace plotwise {

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

bool EvaluationLimits2D::operator==(const EvaluationLimits2D& other) const {
    return screen.origin.x == other.screen.origin.x && screen.origin.y == other.screen.origin.y &&
           screen.size.width == other.screen.size.width &&
           screen.size.height == other.screen.size.height &&
           pixelUnitRatioX == other.pixelUnitRatioX && pixelUnitRatioY == other.pixelUnitRatioY &&
           minx == other.minx && miny == other.miny && maxx == other.maxx && maxy == other.maxy;
}

}  // namespace plotwise
