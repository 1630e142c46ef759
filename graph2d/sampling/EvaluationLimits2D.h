#pragma once

namespace plotwise {

// The visible window handed to every 2D evaluation, in plane units. `screen` repeats the window
// in single precision, as the view keeps it; the samples are cached against all of it.
struct EvaluationLimits2D {
    struct Origin {
        float x = 0.0f;
        float y = 0.0f;
    };
    struct Size {
        float width = 0.0f;
        float height = 0.0f;
    };
    struct Rect {
        Origin origin;
        Size size;
    };

    // A plane point in double precision.
    struct PlanePoint {
        double x = 0.0;
        double y = 0.0;
    };

    Rect screen;
    double pixelUnitRatioX = 0.0;  // screen points per plane unit along x
    double pixelUnitRatioY = 0.0;
    double minx = 0.0;
    double miny = 0.0;
    double maxx = 0.0;
    double maxy = 0.0;

    // The limits of the window [minx, maxx] × [miny, maxy]: screen = (minx, miny, maxx − minx,
    // maxy − miny).
    static EvaluationLimits2D withWindow(double minx, double maxx, double miny, double maxy,
                                         double pixelUnitRatioX, double pixelUnitRatioY);

    // What samples are measured from, so that single precision keeps them apart at any zoom:
    // per axis 0 while a float resolves a hundredth of a screen point everywhere in the window
    // (samples are then plane coordinates, as they always were), else the window's centre.
    PlanePoint sampleOrigin() const;

    // Every field compared exactly; a NaN anywhere makes the limits equal to nothing, so such a
    // window is never served from the cache.
    bool operator==(const EvaluationLimits2D& other) const;
};

}  // namespace plotwise
