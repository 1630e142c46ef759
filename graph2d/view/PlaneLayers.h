#pragma once

#include <QColor>
#include <QImage>
#include <cstddef>
#include <cstdint>
#include <unordered_map>
#include <vector>

#include "graph2d/sampling/Viewport2D.h"

class QPainter;

namespace plotwise {

class PlanePainter;
class RVEquation2D;

// An equation's drawing kept as a transparent image of the plane's size, so that a frame
// composes images instead of filling thousands of region pieces again (the painter keeps
// regions, and while moving long curves, in layers). A layer is rebuilt
// only when its equation resamples or its colour, the line width, the background or the plane's
// size changes, and, in a still frame, when the window moved. While a pan or pinch is in progress
// the layers of before it are translated and scaled to the window shown.
//
// Memory: one image of the plane's device pixels per layer, at most `maximumBytes` in all
// (64 MiB, eight full-HD layers, unless set): an equation past the bound is drawn directly.
// Layers of equations that leave the plane or hide are dropped at the next frame, the curves'
// at the next still frame.
class PlaneLayers {
public:
    static constexpr std::size_t defaultMaximumBytes = std::size_t{64} << 20;
    // Below this many segments a curve strokes faster than a plane-sized layer composes.
    static constexpr std::uint32_t curveObjectsForALayer = 4000;

    explicit PlaneLayers(std::size_t maximumBytes = defaultMaximumBytes)
        : maximumBytes_(maximumBytes) {}

    // Draws the equation's layer for the window `shown`, built first when it is missing or
    // stale. False when the memory bound leaves no room for it: the caller draws directly.
    bool draw(QPainter& painter, const Viewport2D& shown, bool moving, const RVEquation2D& equation,
              const PlanePainter& planePainter);
    // Drops the layers of equations not among `equations` (or hidden), and without
    // `keepCurves` those of curves: a move's curve layers are stale once it resamples.
    void retain(const std::vector<RVEquation2D*>& equations, bool keepCurves);
    void clear() { layers_.clear(); }

    // How many layers were built so far, and how many are held.
    std::size_t buildCount() const { return buildCount_; }
    std::size_t layerCount() const { return layers_.size(); }
    std::size_t bytes() const;

private:
    struct Layer {
        QImage image;
        Viewport2D viewport;
        std::uint64_t samples = 0;
        QColor color;
        float lineWidth = 0.0f;
        bool dark = false;
    };

    std::size_t maximumBytes_;
    std::size_t buildCount_ = 0;
    std::unordered_map<const RVEquation2D*, Layer> layers_;
};

}  // namespace plotwise
