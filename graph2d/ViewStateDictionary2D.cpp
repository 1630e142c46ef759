#include "graph2d/ViewStateDictionary2D.h"

#include <cmath>

namespace plotwise {

namespace {

const QString scrollXKey = QStringLiteral("scrollX");
const QString scrollYKey = QStringLiteral("scrollY");
const QString pixelUnitRatioKey = QStringLiteral("pixelUnitRatio");
const QString pixelUnitRatioXKey = QStringLiteral("pixelUnitRatioX");
const QString pixelUnitRatioYKey = QStringLiteral("pixelUnitRatioY");
const QString tracingKey = QStringLiteral("tracing");
const QString tracingXKey = QStringLiteral("tracingX");
const QString tracingYKey = QStringLiteral("tracingY");
const QString movedOrZoomedKey = QStringLiteral("movedOrZoomed");

bool usableRatio(double ratio) {
    return std::isfinite(ratio) && ratio > 0.0;
}

}  // namespace

QVariantMap ViewStateDictionary2D::dictionary(const Viewport2D& viewport, const Trace& trace,
                                              bool movedOrZoomed) {
    const ViewState& v = viewport.state();
    return {{scrollXKey, v.scrollX},
            {scrollYKey, v.scrollY},
            {pixelUnitRatioXKey, v.pixelUnitRatioX},
            {pixelUnitRatioYKey, v.pixelUnitRatioY},
            {tracingKey, trace.hidden},
            {tracingXKey, trace.x},
            {tracingYKey, trace.y},
            {movedOrZoomedKey, movedOrZoomed}};
}

std::optional<ViewStateDictionary2D::Restored> ViewStateDictionary2D::read(
    const QVariantMap& state, const Viewport2D& current) {
    if (state.isEmpty()) {
        return std::nullopt;
    }
    const auto number = [&state](const QString& key) {
        bool ok = false;
        const double value = state.value(key).toDouble(&ok);
        return ok && std::isfinite(value) ? value : 0.0;
    };
    ViewState v = current.state();
    v.scrollX = number(scrollXKey);
    v.scrollY = number(scrollYKey);
    Restored restored;
    const double both = number(pixelUnitRatioKey);
    if (usableRatio(both)) {
        v.pixelUnitRatioX = Viewport2D::clampRatio(both);
        v.pixelUnitRatioY = v.pixelUnitRatioX;
        restored.newRatio = true;
    }
    // The per-axis ratios count only where they differ from what the view has.
    const double ratioX = number(pixelUnitRatioXKey);
    if (usableRatio(ratioX) && Viewport2D::clampRatio(ratioX) != v.pixelUnitRatioX) {
        v.pixelUnitRatioX = Viewport2D::clampRatio(ratioX);
        restored.newRatio = true;
    }
    const double ratioY = number(pixelUnitRatioYKey);
    if (usableRatio(ratioY) && Viewport2D::clampRatio(ratioY) != v.pixelUnitRatioY) {
        v.pixelUnitRatioY = Viewport2D::clampRatio(ratioY);
        restored.newRatio = true;
    }
    restored.viewport = Viewport2D(v);
    restored.viewport.setLockAxisZoom(current.lockAxisZoom());
    restored.tracingX = number(tracingXKey);
    restored.tracingY = number(tracingYKey);
    restored.traceAgain = state.contains(tracingKey) && !state.value(tracingKey).toBool();
    return restored;
}

}  // namespace plotwise
