#pragma once

#include <QVariantMap>
#include <optional>

#include "graph2d/sampling/Viewport2D.h"

namespace plotwise {

// The 2D view state dictionary, as the workspace stores it: "scrollX", "scrollY" (in the
// viewport's stored sign), "pixelUnitRatioX", "pixelUnitRatioY", "tracing" (true while the trace
// is hidden), "tracingX", "tracingY" and "movedOrZoomed"; on reading also "pixelUnitRatio" for
// both axes. Stored files rely on these keys and meanings.
struct ViewStateDictionary2D {
    struct Trace {
        bool hidden = true;
        double x = 0.0;
        double y = 0.0;
    };

    static QVariantMap dictionary(const Viewport2D& viewport, const Trace& trace,
                                  bool movedOrZoomed);

    struct Restored {
        Viewport2D viewport;
        // A ratio was read, so the grid spacing is chosen again.
        bool newRatio = false;
        double tracingX = 0.0;
        double tracingY = 0.0;
        // "tracing" is present and false: the trace was shown, so the view traces again.
        bool traceAgain = false;
    };
    // The state a dictionary restores over `current`; nothing for an empty one. Missing or
    // unreadable scrolls read as 0; unusable ratios are ignored, others kept within the zoom
    // bounds.
    static std::optional<Restored> read(const QVariantMap& state, const Viewport2D& current);
};

}  // namespace plotwise
