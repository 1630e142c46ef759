#pragma once

#include <QColor>
#include <QFont>
#include <optional>
#include <vector>

#include "graph2d/sampling/Viewport2D.h"

class QPainter;

namespace plotwise {

class PlaneLayers;
class RVEquation2D;

// Draws the 2D plane for a viewport: background, minor and major grid, axes with arrow heads,
// tick marks and labels, the regions of inequalities and the curves of the other equations. It
// keeps only the look (colours, font, line width); the window and the size come with each frame,
// so the view, its image and offscreen rendering draw alike at any size.
class PlanePainter {
public:
    // Light background, thin lines; needs a QGuiApplication for the font.
    PlanePainter();

    bool useDarkBackground() const { return useDarkBackground_; }
    void setUseDarkBackground(bool dark);
    float equationLineWidth() const { return equationLineWidth_; }
    void setUseThickLines(bool thick) { equationLineWidth_ = thick ? 2.0f : 1.0f; }

    struct Frame {
        // The window drawn; its size is the size painted, in points.
        Viewport2D viewport;
        // The major spacing the view keeps; chosen from the viewport when absent.
        std::optional<TickWidths> majorTicks;
        // Heights covered by bars at the top and the bottom: the x axis stays clear of them.
        double top = 0.0;
        double bottom = 0.0;
        // A gesture in progress: no minor grid and aliased curves, so each step stays cheap.
        bool moving = false;
        // Off while the screen fills its list: grid and axes only.
        bool drawEquations = true;
        // The equations' drawings kept between frames; without, each frame draws them.
        PlaneLayers* layers = nullptr;
    };

    // Draws the visible equations in their order.
    void paint(QPainter& painter, const Frame& frame,
               const std::vector<RVEquation2D*>& equations) const;
    // Draws one equation's samples for the viewport: a region's records or a curve's segments,
    // the curve antialiased unless moving.
    void paintEquation(QPainter& painter, const Viewport2D& viewport, const RVEquation2D& equation,
                       bool moving = false) const;

private:
    bool useDarkBackground_ = false;
    float equationLineWidth_ = 1.0f;
    QFont tickFont_;
    QColor gridColor_;
    QColor darkerGridColor_;
    QColor axisColor_;
    QColor labelColor_;
    QColor backgroundColor_;
};

}  // namespace plotwise
