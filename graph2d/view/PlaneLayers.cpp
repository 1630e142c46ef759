#include "graph2d/view/PlaneLayers.h"

#include <QPaintDevice>
#include <QPainter>
#include <QTransform>
#include <algorithm>
#include <cmath>

#include "graph2d/RVEquation2D.h"
#include "graph2d/view/PlanePainter.h"

namespace plotwise {

namespace {

// The view transform that takes a drawing made for `from` to where `to` shows the same plane
// points: each axis scales and shifts.
QTransform between(const Viewport2D& from, const Viewport2D& to) {
    const Point2D p0 = to.viewPoint(from.planePoint({0.0, 0.0}));
    const Point2D p1 = to.viewPoint(from.planePoint({1.0, 1.0}));
    return {p1.x - p0.x, 0.0, 0.0, p1.y - p0.y, p0.x, p0.y};
}

bool sameWindow(const Viewport2D& a, const Viewport2D& b) {
    return a.state() == b.state();
}

}  // namespace

std::size_t PlaneLayers::bytes() const {
    std::size_t total = 0;
    for (const auto& [equation, layer] : layers_) {
        total += static_cast<std::size_t>(layer.image.sizeInBytes());
    }
    return total;
}

bool PlaneLayers::draw(QPainter& painter, const Viewport2D& shown, bool moving,
                       const RVEquation2D& equation, const PlanePainter& planePainter) {
    const double ratio = painter.device()->devicePixelRatioF();
    const QSize pixels(static_cast<int>(std::ceil(shown.width() * ratio)),
                       static_cast<int>(std::ceil(shown.height() * ratio)));
    auto found = layers_.find(&equation);
    const bool current =
        found != layers_.end() && found->second.samples == equation.samplesRevision() &&
        found->second.color == equation.color() &&
        found->second.lineWidth == planePainter.equationLineWidth() &&
        found->second.dark == planePainter.useDarkBackground() &&
        found->second.image.size() == pixels && found->second.image.devicePixelRatio() == ratio &&
        (moving || sameWindow(found->second.viewport, shown));
    if (!current) {
        if (found != layers_.end()) {
            layers_.erase(found);
        }
        const auto needed = static_cast<std::size_t>(pixels.width()) *
                            static_cast<std::size_t>(pixels.height()) * 4;
        if (pixels.isEmpty() || bytes() + needed > maximumBytes_) {
            return false;
        }
        Layer layer;
        layer.image = QImage(pixels, QImage::Format_ARGB32_Premultiplied);
        if (layer.image.isNull()) {
            return false;
        }
        layer.image.setDevicePixelRatio(ratio);
        layer.image.fill(Qt::transparent);
        {
            QPainter layerPainter(&layer.image);
            planePainter.paintEquation(layerPainter, shown, equation);
        }
        layer.viewport = shown;
        layer.samples = equation.samplesRevision();
        layer.color = equation.color();
        layer.lineWidth = planePainter.equationLineWidth();
        layer.dark = planePainter.useDarkBackground();
        found = layers_.emplace(&equation, std::move(layer)).first;
        ++buildCount_;
    }
    const Layer& layer = found->second;
    if (sameWindow(layer.viewport, shown)) {
        painter.drawImage(QPointF(0.0, 0.0), layer.image);
        return true;
    }
    painter.save();
    painter.setTransform(between(layer.viewport, shown), true);
    painter.drawImage(QPointF(0.0, 0.0), layer.image);
    painter.restore();
    return true;
}

void PlaneLayers::retain(const std::vector<RVEquation2D*>& equations, bool keepCurves) {
    std::erase_if(layers_, [&equations, keepCurves](const auto& entry) {
        const auto kept = std::find(equations.begin(), equations.end(), entry.first);
        return kept == equations.end() || !(*kept)->visible() || (*kept)->data() == nullptr ||
               (!keepCurves && (*kept)->type() != EquationType::Inequality);
    });
}

}  // namespace plotwise
