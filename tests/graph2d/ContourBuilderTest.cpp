#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
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

// Exact segments on [0, 2]² in unit cells (node (c, r) has value c − r − k), cell by cell from
// column 0's bottom, triangle ABC before BCD:
//   x−y−0.5: cell (0,0): ABC crosses PQ and QR, BCD crosses PR and PQ; cell (0,1) is all
//     negative; cell (1,0): ABC crosses PR and QR, BCD PQ and QR; cell (1,1) as (0,0).
//   x−y: zero on the diagonal nodes, which count as positive, so only edges between opposite
//     signs cross: cell (0,0): ABC (0, 1, −1) gives A to (½, ½), BCD (1, −1, 0) (½, ½) to D;
//     cells (0,1) and (1,0) touch zero only at a corner: no segment; cell (1,1) as (0,0).
TEST(ContourBuilder, HandWorkedSegments) {
    struct Row {
        const char* text;
        std::vector<SamplePoint> points;
    };
    const Row rows[] = {
        {"x-y-0.5",
         {{0.5f, 0.0f},
          {0.75f, 0.25f},
          {1.0f, 0.5f},
          {0.75f, 0.25f},
          {1.0f, 0.5f},
          {1.25f, 0.75f},
          {1.25f, 0.75f},
          {1.5f, 1.0f},
          {1.5f, 1.0f},
          {1.75f, 1.25f},
          {2.0f, 1.5f},
          {1.75f, 1.25f}}},
        {"x-y",
         {{0, 0}, {0.5f, 0.5f}, {0.5f, 0.5f}, {1, 1}, {1, 1}, {1.5f, 1.5f}, {1.5f, 1.5f}, {2, 2}}},
    };
    for (const Row& row : rows) {
        ParsedEquation line(row.text);
        ASSERT_EQ(line.type(), EquationType::Implicit);
        const auto contour = build(line, window(0, 2, 0, 2, kUnitCells));
        EXPECT_EQ(contour.points, row.points) << row.text;
        EXPECT_EQ(contour.evaluatedNodes, 9u) << "3 × 3 nodes, each once";
    }
}

// Curves through grid nodes, along grid edges, off them, and with undefined parts: no segment is
// a point or drawn twice, every end lies on the curve (within the chords' stray from a curved
// line), and the segments add up to the curve's length.
TEST(ContourBuilder, SegmentsLieOnTheCurveOnceEach) {
    struct Row {
        const char* text;
        double minx, maxx, miny, maxy, ratio;
        double length;
        double (*distance)(double, double);
        double near;
    };
    const double pi = std::numbers::pi;
    const Row rows[] = {
        {"x-y", -2, 2, -2, 2, 40, 4 * std::numbers::sqrt2,
         [](double x, double y) { return std::fabs(x - y) / std::numbers::sqrt2; }, 1e-5},
        {"x⋅y", -2, 2, -2, 2, kUnitCells, 8,
         [](double x, double y) { return std::min(std::fabs(x), std::fabs(y)); }, 1e-5},
        {"x^2+y^2-4", -2, 2, 0, 2.5, 40, 2 * pi,
         [](double x, double y) { return std::fabs(std::hypot(x, y) - 2); }, 4e-3},
        // 150 rows: cells are passed over 64 at a time, and the circle crosses the words' ends.
        {"x^2+y^2=4", -3, 3, -2.5, 2.5, 150, 4 * pi,
         [](double x, double y) { return std::fabs(std::hypot(x, y) - 2); }, 4e-3},
        // Unit cells and a sign that flips every row: each row's skip test needs the next row.
        {"cos(π⋅y)", -2, 2, -40, 40, kUnitCells, 320,
         [](double, double y) { return std::fabs(y - std::floor(y) - 0.5); }, 1e-4},
        // √x − y − 0.5 is undefined left of x = 0; interpolating √x over a cell is off by 1/8.
        {"√x-y-0.5", -2, 2, -2, 2, 20, 2.562,
         [](double x, double y) { return x < 0 ? kNaN : std::fabs(std::sqrt(x) - y - 0.5); }, 0.13},
        {"√(-1-x^2)-y", -2, 2, -2, 2, 20, 0, [](double, double) { return kNaN; }, 0},
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
            EXPECT_LT(row.distance(a.x, a.y), row.near) << row.text << " " << a.x << "," << a.y;
            EXPECT_LT(row.distance(b.x, b.y), row.near) << row.text << " " << b.x << "," << b.y;
            if (std::make_pair(b.x, b.y) < std::make_pair(a.x, a.y)) {
                std::swap(a, b);
            }
            EXPECT_TRUE(seen.insert({{a.x, a.y}, {b.x, b.y}}).second)
                << row.text << " segment " << i << " drawn twice";
            length += std::hypot(b.x - a.x, b.y - a.y);
        }
        EXPECT_NEAR(length, row.length, row.length * 0.01 + 1e-9) << row.text;
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
        EXPECT_TRUE(std::equal(capped.points.begin(), capped.points.end(), whole.points.begin()))
            << capacity;
    }
}

TEST(ContourBuilder, InfiniteCornersDoNotStopTheWalk) {
    // 1/x is +∞ on the column x = 0 (unit cells from −2): between corners −1 and ∞ the crossing
    // taken from the finite corner is that corner (|−1/−∞| = 0), the one taken from the infinite
    // corner is NaN (∞/∞), a gap for the view.
    ParsedEquation pole("1/x");
    const auto contour = build(pole, window(-2, 2, -2, 2, kUnitCells));
    EXPECT_FALSE(contour.points.empty());
    for (const SamplePoint& p : contour.points) {
        if (std::isfinite(p.x)) {
            EXPECT_TRUE(p.x <= 0.0f && p.x >= -1.0f) << p.x;
        }
    }
}

// Only the cells meeting the screen rectangle are walked: none beside it, none for unusable
// limits.
TEST(ContourBuilder, CellsOffTheScreenAreSkippedUnevaluated) {
    ParsedEquation circle("x^2+y^2=4");
    EvaluationLimits2D limits = window(-3, 3, -3, 3, kUnitCells);
    limits.screen = {{0.5f, -3.0f}, {2.0f, 6.0f}};
    const auto contour = build(circle, limits);
    // Columns 3, 4 and 5 (x from 0 to 3) meet [0.5, 2.5]: node columns 3 to 6, 4 × 7 nodes.
    EXPECT_EQ(contour.evaluatedNodes, 28u);
    for (const SamplePoint& p : contour.points) {
        EXPECT_GE(p.x, 0.0f);
    }
    limits.screen = {{-3.0f, 10.0f}, {6.0f, 2.0f}};
    std::vector<EvaluationLimits2D> nothing = unusableWindows();
    nothing.push_back(limits);
    for (const EvaluationLimits2D& unusable : nothing) {
        const auto none = build(circle, unusable);
        EXPECT_TRUE(none.points.empty()) << unusable.minx << " " << unusable.maxx;
        EXPECT_EQ(none.evaluatedNodes, 0u);
    }
}

}  // namespace
}  // namespace plotwise::test
