#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <numbers>
#include <set>
#include <utility>
#include <vector>

#include "SamplingTestSupport.h"
#include "graph2d/sampling/ContourBuilder.h"

namespace plotwise::test {
namespace {

// 5.0001 points per unit: cells of exactly one unit.
constexpr double kUnitCells = 5.0001;

struct Contour {
    std::vector<SamplePoint> points;
    std::size_t evaluatedNodes = 0;
};

Contour build(ParsedEquation& equation, const EvaluationLimits2D& limits,
              std::uint32_t capacity = ContourBuilder::defaultCapacity) {
    std::vector<SamplePoint> storage(capacity + 16, kSentinel);
    ContourBuilder builder(equation.data(), storage.data(), capacity);
    const std::uint32_t count = builder.build(limits);
    EXPECT_EQ(writtenPrefix(storage), count) << equation.text();
    EXPECT_LE(count, capacity);
    EXPECT_EQ(count % 2, 0u) << "segments come in pairs";
    storage.resize(count);
    return {storage, builder.evaluatedNodeCount()};
}

TEST(ContourBuilder, HandWorkedLineOnFourCells) {
    // x − y − 0.5 on [0, 2]² in unit cells. Node values c − r − 0.5; worked through cell by cell
    // (column 0 bottom to top, then column 1), triangle (A, B, C) before (B, C, D):
    //   cell (0,0): ABC crosses PQ and QR; BCD crosses PR and PQ;
    //   cell (0,1): all corners negative, nothing;
    //   cell (1,0): ABC crosses PR and QR; BCD crosses PQ and QR;
    //   cell (1,1): as cell (0,0), shifted by (1, 1).
    ParsedEquation line("x-y-0.5");
    ASSERT_EQ(line.type(), EquationType::Implicit);
    const auto contour = build(line, window(0, 2, 0, 2, kUnitCells));
    const std::vector<SamplePoint> expected = {
        {0.5f, 0.0f},   {0.75f, 0.25f}, {1.0f, 0.5f}, {0.75f, 0.25f}, {1.0f, 0.5f}, {1.25f, 0.75f},
        {1.25f, 0.75f}, {1.5f, 1.0f},   {1.5f, 1.0f}, {1.75f, 1.25f}, {2.0f, 1.5f}, {1.75f, 1.25f},
    };
    ASSERT_EQ(contour.points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(contour.points[i], expected[i]) << i;
    }
    // 3 × 3 nodes, each evaluated once.
    EXPECT_EQ(contour.evaluatedNodes, 9u);
}

TEST(ContourBuilder, HandWorkedZerosAtNodesCountAsPositive) {
    // x − y on [0, 2]² in unit cells: node values c − r, zero on the diagonal nodes, which
    // count as positive, so only edges between opposite signs cross:
    //   cell (0,0): ABC (0, 1, −1): PR crossing A, QR crossing (½, ½);
    //               BCD (1, −1, 0): PQ crossing (½, ½), QR crossing D;
    //   cell (0,1): ABC (−1, 0, −2) and BCD (0, −2, −1) touch zero only at B: no segment;
    //   cell (1,0): ABC (1, 2, 0) and BCD (2, 0, 1) have no negative corner: no segment;
    //   cell (1,1): as cell (0,0), shifted by (1, 1).
    ParsedEquation diagonal("x-y");
    const auto contour = build(diagonal, window(0, 2, 0, 2, kUnitCells));
    const std::vector<SamplePoint> expected = {
        {0, 0}, {0.5f, 0.5f}, {0.5f, 0.5f}, {1, 1}, {1, 1}, {1.5f, 1.5f}, {1.5f, 1.5f}, {2, 2},
    };
    ASSERT_EQ(contour.points.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) {
        EXPECT_EQ(contour.points[i], expected[i]) << i;
    }
}

// Curves through grid nodes and along grid edges: no segment is a point, none is drawn twice,
// every end lies on the curve, and the segments add up to the curve's length.
TEST(ContourBuilder, CurvesThroughNodesGiveEachSegmentOnce) {
    struct Row {
        const char* text;
        double minx, maxx, miny, maxy, ratio;
        double length;
        double (*distance)(double, double);
        double near;  // the chords of a curved line stray this far from it
    };
    const double pi = std::numbers::pi;
    const Row rows[] = {
        {"x-y", -2, 2, -2, 2, 40, 4 * std::numbers::sqrt2,
         [](double x, double y) { return std::fabs(x - y) / std::numbers::sqrt2; }, 1e-5},
        {"x⋅y", -2, 2, -2, 2, kUnitCells, 8,
         [](double x, double y) { return std::min(std::fabs(x), std::fabs(y)); }, 1e-5},
        {"x^2+y^2-4", -2, 2, 0, 2.5, 40, 2 * pi,
         [](double x, double y) { return std::fabs(std::hypot(x, y) - 2); }, 4e-3},
    };
    for (const Row& row : rows) {
        ParsedEquation curve(row.text);
        const auto contour =
            build(curve, window(row.minx, row.maxx, row.miny, row.maxy, row.ratio));
        std::set<std::pair<std::pair<float, float>, std::pair<float, float>>> seen;
        double length = 0;
        for (std::size_t i = 0; i + 1 < contour.points.size(); i += 2) {
            SamplePoint a = contour.points[i];
            SamplePoint b = contour.points[i + 1];
            EXPECT_FALSE(a == b) << row.text << " segment " << i << " is a point";
            EXPECT_LT(row.distance(a.x, a.y), row.near) << row.text;
            EXPECT_LT(row.distance(b.x, b.y), row.near) << row.text;
            if (std::make_pair(b.x, b.y) < std::make_pair(a.x, a.y)) {
                std::swap(a, b);
            }
            EXPECT_TRUE(seen.insert({{a.x, a.y}, {b.x, b.y}}).second)
                << row.text << " segment " << i << " drawn twice";
            length += std::hypot(b.x - a.x, b.y - a.y);
        }
        EXPECT_NEAR(length, row.length, row.length * 0.01) << row.text;
    }
}

// The grid the builder walks, re-derived: for a contour point, the cell it lies in and the edge
// (two grid nodes) it lies on.
struct GridEdge {
    SamplePoint from;
    SamplePoint to;
};

bool onEdge(SamplePoint p, SamplePoint u, SamplePoint v, double tolerance) {
    const double ex = static_cast<double>(v.x) - u.x;
    const double ey = static_cast<double>(v.y) - u.y;
    const double length = std::hypot(ex, ey);
    const double px = static_cast<double>(p.x) - u.x;
    const double py = static_cast<double>(p.y) - u.y;
    const double along = (px * ex + py * ey) / length;
    const double across = std::fabs(px * ey - py * ex) / length;
    return across <= tolerance && along >= -tolerance && along <= length + tolerance;
}

TEST(ContourBuilder, CircleEndsLieOnGridEdgesAtTheInterpolatedZero) {
    ParsedEquation circle("x^2+y^2=4");
    const double ratio = 40.0;
    const EvaluationLimits2D limits = window(-3, 3, -2.5, 2.5, ratio);
    const auto contour = build(circle, limits);
    ASSERT_GT(contour.points.size(), 100u);
    const double d = 5.0001 / ratio;
    auto nodeX = [&](long c) { return static_cast<float>(-3.0 + static_cast<double>(c) * d); };
    auto nodeY = [&](long r) { return static_cast<float>(-2.5 + static_cast<double>(r) * d); };
    for (const SamplePoint& p : contour.points) {
        // Every end lies within one cell of the circle.
        EXPECT_NEAR(std::hypot(p.x, p.y), 2.0, d * std::sqrt(2.0));
        // Find the cell, then the edge among its five (four sides and the B–C diagonal) that
        // holds the point; there the values at its ends, interpolated, are zero.
        const long c = static_cast<long>(std::floor((p.x + 3.0) / d));
        const long r = static_cast<long>(std::floor((p.y + 2.5) / d));
        bool found = false;
        for (long dc = -1; dc <= 0 && !found; ++dc) {
            for (long dr = -1; dr <= 0 && !found; ++dr) {
                const SamplePoint a{nodeX(c + dc), nodeY(r + dr)};
                const SamplePoint b{nodeX(c + dc + 1), nodeY(r + dr)};
                const SamplePoint cc{nodeX(c + dc), nodeY(r + dr + 1)};
                const SamplePoint dd{nodeX(c + dc + 1), nodeY(r + dr + 1)};
                for (const GridEdge& edge : {GridEdge{a, b}, GridEdge{a, cc}, GridEdge{b, cc},
                                             GridEdge{b, dd}, GridEdge{cc, dd}}) {
                    if (!onEdge(p, edge.from, edge.to, 1e-5)) {
                        continue;
                    }
                    const double u = circle.treeValue(edge.from.x, edge.from.y);
                    const double v = circle.treeValue(edge.to.x, edge.to.y);
                    if (!(u * v <= 0.0)) {
                        continue;
                    }
                    const double t = std::hypot(p.x - edge.from.x, p.y - edge.from.y) /
                                     std::hypot(edge.to.x - edge.from.x, edge.to.y - edge.from.y);
                    EXPECT_NEAR(u + (v - u) * t, 0.0, 1e-5 * (std::fabs(u) + std::fabs(v)));
                    found = true;
                    break;
                }
            }
        }
        EXPECT_TRUE(found) << p.x << " " << p.y;
    }
}

TEST(ContourBuilder, CapacityStopsTheWalkAndKeepsWhatWasWritten) {
    ParsedEquation checks("sin(20x)⋅sin(20y)");
    const EvaluationLimits2D limits = window(-16, 16, -10, 10, 80);
    const auto whole = build(checks, limits);
    ASSERT_GE(whole.points.size() + 2, ContourBuilder::defaultCapacity) << "the curve outgrows it";
    for (std::uint32_t capacity : {0u, 1u, 2u, 3u, 4u, 5u, 17u, 1000u}) {
        const auto capped = build(checks, limits, capacity);
        if (capacity >= 2) {
            EXPECT_GE(capped.points.size() + 3, capacity) << capacity;
        }
        // The walk stops: what it wrote is the start of the whole contour.
        ASSERT_LE(capped.points.size(), whole.points.size());
        for (std::size_t i = 0; i < capped.points.size(); ++i) {
            EXPECT_EQ(capped.points[i], whole.points[i]) << capacity << " " << i;
        }
    }
}

TEST(ContourBuilder, UndefinedCornersGiveNoSegment) {
    ParsedEquation root("√x-y-0.5");
    const auto contour = build(root, window(-2, 2, -2, 2, 20));
    ASSERT_FALSE(contour.points.empty());
    for (const SamplePoint& p : contour.points) {
        EXPECT_GE(p.x, 0.0f);
        // Linear interpolation of √x over a quarter-unit cell is off by at most 1/8.
        EXPECT_NEAR(std::sqrt(p.x) - p.y - 0.5, 0.0, 0.13);
    }
    ParsedEquation nowhere("√(-1-x^2)-y");
    EXPECT_TRUE(build(nowhere, window(-2, 2, -2, 2, 20)).points.empty());
}

TEST(ContourBuilder, InfiniteCornersDoNotStopTheWalk) {
    // 1/x is +∞ on the column x = 0 (unit cells from −2): between corners −1 and ∞ the crossing
    // taken from the finite corner is that corner (|−1/−∞| = 0), the one taken from the infinite
    // corner is NaN (∞/∞), a gap for the view.
    ParsedEquation pole("1/x");
    const auto contour = build(pole, window(-2, 2, -2, 2, kUnitCells));
    for (std::size_t i = 0; i < contour.points.size(); ++i) {
        const SamplePoint p = contour.points[i];
        if (std::isfinite(p.x)) {
            EXPECT_LE(p.x, 0.0f) << i;
            EXPECT_GE(p.x, -1.0f) << i;
        }
    }
    EXPECT_FALSE(contour.points.empty());
}

TEST(ContourBuilder, UnusableLimitsGiveNothing) {
    ParsedEquation circle("x^2+y^2=4");
    for (const EvaluationLimits2D& limits : unusableWindows()) {
        const auto contour = build(circle, limits);
        EXPECT_TRUE(contour.points.empty()) << limits.minx << " " << limits.maxx;
        EXPECT_EQ(contour.evaluatedNodes, 0u);
    }
}

TEST(ContourBuilder, CellsOffTheScreenAreSkippedUnevaluated) {
    // A screen rectangle narrower than the limits: only the cells meeting it are walked.
    ParsedEquation circle("x^2+y^2=4");
    EvaluationLimits2D limits = window(-3, 3, -3, 3, kUnitCells);
    limits.screen = {{0.5f, -3.0f}, {2.0f, 6.0f}};
    const auto contour = build(circle, limits);
    // Columns 3, 4 and 5 (x from 0 to 3) meet [0.5, 2.5]: node columns 3 to 6, 4 × 7 nodes.
    EXPECT_EQ(contour.evaluatedNodes, 28u);
    for (const SamplePoint& p : contour.points) {
        EXPECT_GE(p.x, 0.0f);
    }
    // A screen beside the limits meets no cell: nothing is evaluated.
    limits.screen = {{-3.0f, 10.0f}, {6.0f, 2.0f}};
    const auto beside = build(circle, limits);
    EXPECT_TRUE(beside.points.empty());
    EXPECT_EQ(beside.evaluatedNodes, 0u);
}

}  // namespace
}  // namespace plotwise::test
