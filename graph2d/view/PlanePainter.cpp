#include "graph2d/view/PlanePainter.h"

#include <QFontMetricsF>
#include <QPaintEngine>
#include <QPainter>
#include <QPainterPath>
#include <QPolygonF>
#include <algorithm>
#include <array>
#include <cmath>
#include <utility>

#include "graph2d/RVEquation2D.h"
#include "graph2d/view/PlaneLayers.h"
#include "graph2d/view/TickLabels.h"
#include "typeset/FontResolver.h"

namespace plotwise {

namespace {

// Far more lines than any screen can show apart; stops the grid loops when a step no longer
// moves a huge coordinate.
constexpr int maximumGridLines = 4000;

// Width of the background-coloured outline under each tick label: one point either side.
constexpr double kHaloWidth = 2.0;

QColor grey(double g) {
    return QColor::fromRgbF(static_cast<float>(g), static_cast<float>(g), static_cast<float>(g));
}

bool isFinite(const SamplePoint& p) {
    return std::isfinite(p.x) && std::isfinite(p.y);
}

QPointF toQPointF(Point2D p) {
    return {p.x, p.y};
}

// Whether the segment a–b of an explicit curve (y = f(x) or x = f(y)), in view points, is the
// leap across a pole rather than part of the curve. At a pole (tan x at π/2, 1/x at 0) the
// sampler refines to its finest step and the last step leaps from beyond one edge to beyond the
// opposite one. Drawn, that leap is a line where the function has no value. A continuous curve
// that steep would only give a line narrower than a point, so nothing real is lost.
bool jumpsAcrossPole(QPointF a, QPointF b, EquationType type, QSizeF size) {
    const bool acrossHeight = type == EquationType::ExplicitY;
    const double along = acrossHeight ? std::fabs(b.x() - a.x()) : std::fabs(b.y() - a.y());
    if (along >= 1.0) {
        return false;
    }
    const double from = acrossHeight ? a.y() : a.x();
    const double to = acrossHeight ? b.y() : b.x();
    const double extent = acrossHeight ? size.height() : size.width();
    return (from < 0.0 && to > extent) || (from > extent && to < 0.0);
}

// Whether the painter writes a vector file (SVG or PDF) rather than pixels.
bool isVector(const QPainter& painter) {
    const QPaintEngine* engine = painter.paintEngine();
    return engine != nullptr &&
           (engine->type() == QPaintEngine::SVG || engine->type() == QPaintEngine::Pdf);
}

// The grid lines of one axis: major lines (recorded for labels) and, unless moving, the minor
// lines at a fifth of the spacing, each skipping the axis itself. `line` adds a full line at a
// plane coordinate and its tick mark of the given half length.
template <typename Line>
void gridLines(double min, double max, double spacing, bool minor, std::vector<double>& labels,
               Line line) {
    if (!(spacing > 0.0) || !std::isfinite(spacing)) {
        return;
    }
    const double span = max - min;
    const double first = std::ceil(min / spacing);
    for (int i = 0; i < maximumGridLines; ++i) {
        const double at = spacing * (first + i);
        if (at >= max + 1e-5 * span) {
            break;
        }
        if (std::abs(at / spacing) < 0.5) {
            continue;
        }
        line(at, true);
        labels.push_back(at);
    }
    const double step = spacing / 5.0;
    const double firstMinor = std::ceil(min / step);
    for (int i = 0; minor && i < maximumGridLines; ++i) {
        const double at = step * (firstMinor + i);
        if (at >= max) {
            break;
        }
        if (std::abs(at / step) < 0.5) {
            continue;
        }
        line(at, false);
    }
}

}  // namespace

PlanePainter::PlanePainter() : tickFont_(FontResolver::font(FontResolver::Face::System, 12.0)) {
    setUseDarkBackground(false);
}

void PlanePainter::setUseDarkBackground(bool dark) {
    useDarkBackground_ = dark;
    gridColor_ = grey(dark ? 0.15 : 0.95);
    darkerGridColor_ = grey(dark ? 0.25 : 0.85);
    axisColor_ = dark ? Qt::white : Qt::black;
    labelColor_ = axisColor_;
    backgroundColor_ = dark ? Qt::black : Qt::white;
}

void PlanePainter::paint(QPainter& painter, const Frame& frame,
                         const std::vector<RVEquation2D*>& equations) const {
    const Viewport2D& viewport = frame.viewport;
    const QSizeF size(viewport.width(), viewport.height());
    const double w = size.width();
    const double h = size.height();
    const bool fineGrid = painter.device()->devicePixelRatioF() > 1.0;
    painter.fillRect(QRectF(QPointF(0, 0), size), backgroundColor_);

    const EvaluationLimits2D limits = viewport.evaluationLimits();
    const auto map = [&viewport](double x, double y) {
        return toQPointF(viewport.viewPoint({x, y}));
    };
    const QPointF origin = map(0.0, 0.0);
    // Clamped half a point inside the edges, clear of the bars, so the axes stay in sight.
    const double ax = std::clamp(origin.x(), 0.5, std::max(0.5, w - 0.5));
    const double ay =
        std::clamp(origin.y(), frame.top + 0.5, std::max(frame.top + 0.5, h - frame.bottom - 0.5));
    const TickWidths ticks = frame.majorTicks ? *frame.majorTicks : viewport.majorTickWidths();

    QPainterPath majorPath;
    QPainterPath minorPath;
    QPainterPath axisPath;
    std::vector<double> labelsX;
    std::vector<double> labelsY;
    gridLines(limits.minx, limits.maxx, ticks.x, !frame.moving, labelsX, [&](double x, bool major) {
        const double vx = map(x, 0.0).x();
        const double tick = major ? 4.0 : 2.0;
        QPainterPath& path = major ? majorPath : minorPath;
        path.moveTo(vx, 0.0);
        path.lineTo(vx, h);
        axisPath.moveTo(vx, ay - tick);
        axisPath.lineTo(vx, ay + tick);
    });
    gridLines(limits.miny, limits.maxy, ticks.y, !frame.moving, labelsY, [&](double y, bool major) {
        const double vy = map(0.0, y).y();
        const double tick = major ? 4.0 : 2.0;
        QPainterPath& path = major ? majorPath : minorPath;
        path.moveTo(0.0, vy);
        path.lineTo(w, vy);
        axisPath.moveTo(ax - tick, vy);
        axisPath.lineTo(ax + tick, vy);
    });
    axisPath.moveTo(0.0, ay);
    axisPath.lineTo(w, ay);
    axisPath.moveTo(ax, 0.0);
    axisPath.lineTo(ax, h);

    painter.setRenderHint(QPainter::Antialiasing, fineGrid);
    painter.setBrush(Qt::NoBrush);
    // The tick marks live in the axis path, so the minor grid must go under it.
    painter.setPen(QPen(gridColor_, 1.0));
    painter.drawPath(minorPath);
    painter.setPen(QPen(darkerGridColor_, 1.0));
    painter.drawPath(majorPath);

    // Axes and arrows go over the half-transparent regions, so a fill never veils them.
    const auto drawAxes = [&] {
        painter.setRenderHint(QPainter::Antialiasing, fineGrid);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(axisColor_, 1.0));
        painter.drawPath(axisPath);
        painter.setRenderHint(QPainter::Antialiasing, true);
        painter.setPen(Qt::NoPen);
        painter.setBrush(axisColor_);
        const double r = w;
        painter.drawPolygon(QPolygonF{QPointF(r, ay), QPointF(r - 8, ay + 4), QPointF(r - 5, ay),
                                      QPointF(r - 8, ay - 4)});
        const double t = frame.top + 0.5;
        painter.drawPolygon(QPolygonF{QPointF(ax, t), QPointF(ax + 4, t + 8), QPointF(ax, t + 5),
                                      QPointF(ax - 4, t + 8)});
    };

    if (!frame.drawEquations) {
        drawAxes();
        return;
    }

    // Regions under the axes, curves over them; each equation from its layer when the frame
    // keeps layers and the bound allows, else drawn here.
    // A vector file gets every equation as paths and polygons, never as a layer's pixels. A
    // still frame strokes its curves afresh: a curve's antialiased edge composed from a layer
    // may differ from the stroked one by a unit of rounding, while a region's aliased fill
    // composes exactly. While moving, a curve long enough to cost more than composing a layer
    // comes from its layer; shorter ones are stroked, aliased.
    PlaneLayers* layers = isVector(painter) ? nullptr : frame.layers;
    const auto drawEquation = [&](const RVEquation2D& equation) {
        const bool layered =
            layers != nullptr &&
            (equation.type() == EquationType::Inequality ||
             (frame.moving && equation.dataObjectCount() >= PlaneLayers::curveObjectsForALayer));
        if (!layered || !layers->draw(painter, viewport, frame.moving, equation, *this)) {
            paintEquation(painter, viewport, equation, frame.moving);
        }
    };
    for (const RVEquation2D* equation : equations) {
        if (equation->type() == EquationType::Inequality && equation->visible() &&
            equation->data()) {
            drawEquation(*equation);
        }
    }
    drawAxes();
    for (const RVEquation2D* equation : equations) {
        if (equation->type() != EquationType::Inequality && equation->visible() &&
            equation->data()) {
            drawEquation(*equation);
        }
    }
    if (layers != nullptr) {
        layers->retain(equations, frame.moving);
    }

    painter.setRenderHint(QPainter::Antialiasing, true);
    const QFontMetricsF metrics(tickFont_);
    // Each label's outline is first stroked in the background colour: a thin halo that keeps
    // the digits readable over curves, fills and grid lines.
    QPainterPath halo;
    std::vector<std::pair<QPointF, QString>> placed;
    const std::vector<QString> textsX = TickLabels::texts(labelsX);
    for (std::size_t i = 0; i < labelsX.size(); ++i) {
        const QString& text = textsX[i];
        const double textWidth = metrics.horizontalAdvance(text);
        const double top = std::min(ay + 4.0, h - frame.bottom + 0.5 - 18.0);
        placed.emplace_back(
            QPointF(map(labelsX[i], 0.0).x() - textWidth / 2.0, top + metrics.ascent()), text);
    }
    const std::vector<QString> textsY = TickLabels::texts(labelsY);
    for (std::size_t i = 0; i < labelsY.size(); ++i) {
        const QString& text = textsY[i];
        const double textWidth = metrics.horizontalAdvance(text);
        const double left = std::min(ax + 8.0, w - textWidth - 8.0);
        placed.emplace_back(
            QPointF(left, map(0.0, labelsY[i]).y() - metrics.height() / 2.0 + metrics.ascent()),
            text);
    }
    for (const auto& [at, text] : placed) {
        halo.addText(at, tickFont_, text);
    }
    painter.setBrush(Qt::NoBrush);
    painter.setPen(QPen(backgroundColor_, kHaloWidth, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(halo);
    painter.setPen(labelColor_);
    painter.setFont(tickFont_);
    for (const auto& [at, text] : placed) {
        painter.drawText(at, text);
    }
}

void PlanePainter::paintEquation(QPainter& painter, const Viewport2D& viewport,
                                 const RVEquation2D& equation, bool moving) const {
    const SampleBuffer2D* data = equation.data();
    if (data == nullptr || !equation.visible()) {
        return;
    }
    const bool vector = isVector(painter);
    // Samples are measured from their buffer's origin; the sum is taken in double precision.
    const auto mapSample = [&viewport, data](const SamplePoint& p) {
        return toQPointF(viewport.viewPoint({data->origin().x + p.x, data->origin().y + p.y}));
    };
    const EquationType type = equation.type();
    if (type == EquationType::Inequality) {
        // Each record is a convex piece of one grid cell and the pieces only meet at edges, so
        // on screen they are filled one by one on the convex fast path: one merged path costs
        // the rasterizer a hundred times more on a large plane. A vector file gets one path per
        // region instead, which its viewer fills without hairline seams between the pieces.
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(Qt::NoPen);
        painter.setBrush(equation.color());
        QPainterPath merged;
        std::array<QPointF, 4> corners;
        for (const RegionRecord& record : data->records()) {
            const int n = std::min(record.vertexCount, 4);
            if (n < 3) {
                continue;
            }
            for (int i = 0; i < n; ++i) {
                corners[static_cast<std::size_t>(i)] =
                    mapSample(record.points[static_cast<std::size_t>(i)]);
            }
            if (vector) {
                merged.addPolygon(QPolygonF(QList<QPointF>(corners.begin(), corners.begin() + n)));
                merged.closeSubpath();
            } else {
                painter.drawConvexPolygon(corners.data(), n);
            }
        }
        if (vector) {
            painter.drawPath(merged);
        }
        return;
    }

    const QSizeF size(viewport.width(), viewport.height());
    const QRectF viewRect(QPointF(0, 0), size);
    const std::vector<SamplePoint>& points = data->points();
    const std::size_t count =
        std::min<std::size_t>(data->dataObjectCount(), points.empty() ? 0 : points.size() - 1);
    const std::size_t step = type == EquationType::Implicit ? 2 : 1;
    const bool polar = type == EquationType::ExplicitR || type == EquationType::ExplicitTheta;
    QPainterPath curvePath;
    for (std::size_t i = 0; i < count; i += step) {
        const SamplePoint& a = points[i];
        const SamplePoint& b = points[i + 1];
        if (!isFinite(a) || !isFinite(b)) {
            continue;
        }
        const QPointF pa = mapSample(a);
        const QPointF pb = mapSample(b);
        if (polar && !viewRect.contains(pa) && !viewRect.contains(pb)) {
            continue;
        }
        if ((type == EquationType::ExplicitY || type == EquationType::ExplicitX) &&
            jumpsAcrossPole(pa, pb, type, size)) {
            continue;
        }
        curvePath.moveTo(pa);
        curvePath.lineTo(pb);
    }
    painter.setRenderHint(QPainter::Antialiasing, !moving);
    painter.setBrush(Qt::NoBrush);
    painter.setPen(
        QPen(equation.color(), equationLineWidth_, Qt::SolidLine, Qt::RoundCap, Qt::RoundJoin));
    painter.drawPath(curvePath);
}

}  // namespace plotwise
