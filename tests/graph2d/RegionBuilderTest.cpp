#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <vector>

#include "SamplingTestSupport.h"
#include "graph2d/sampling/RegionBuilder.h"

namespace plotwise::test {
namespace {

constexpr double kUnitCells = 5.0001;

struct Region {
    std::vector<RegionRecord> records;
    std::size_t evaluatedNodes = 0;
};

// Builds into storage with sentinels past the capacity: only whole records up to the count.
Region build(ParsedEquation& equation, const EvaluationLimits2D& limits, std::uint32_t capacity) {
    std::vector<RegionRecord> storage(capacity + 4,
                                      {-1, {kSentinel, kSentinel, kSentinel, kSentinel}});
    RegionBuilder builder(equation.data(), storage.data(), capacity);
    const std::uint32_t count = builder.build(limits);
    EXPECT_LE(count, capacity);
    for (std::size_t i = 0; i < storage.size(); ++i) {
        const int n = storage[i].vertexCount;
        EXPECT_TRUE(i < count ? n == 3 || n == 4 : n == -1) << equation.text() << " record " << i;
    }
    storage.resize(count);
    return {storage, builder.evaluatedNodeCount()};
}

Region build(ParsedEquation& equation, const EvaluationLimits2D& limits, DeviceClass device) {
    return build(equation, limits, RegionBuilder::capacityFor(device));
}

double rootOrNaN(double x) {
    return x < 0 ? kNaN : std::sqrt(x);
}

std::vector<SamplePoint> corners(const RegionRecord& record) {
    return {record.points.begin(), record.points.begin() + record.vertexCount};
}

// Whether (x, y) is inside a convex record (either orientation); one with a non-finite point
// covers nothing, since the view cannot fill it.
bool covers(const RegionRecord& record, double x, double y) {
    const std::vector<SamplePoint> p = corners(record);
    bool positive = false;
    bool negative = false;
    for (std::size_t i = 0; i < p.size(); ++i) {
        if (!std::isfinite(p[i].x) || !std::isfinite(p[i].y)) {
            return false;
        }
        const SamplePoint b = p[(i + 1) % p.size()];
        const double cross = (b.x - p[i].x) * (y - p[i].y) - (b.y - p[i].y) * (x - p[i].x);
        positive = positive || cross > 0;
        negative = negative || cross < 0;
    }
    return !(positive && negative);
}

// The area of the part of a convex polygon inside [x0, x1] × [y0, y1] (Sutherland–Hodgman).
double areaInWindow(std::vector<SamplePoint> polygon, double x0, double x1, double y0, double y1) {
    const std::function<double(SamplePoint)> edges[] = {
        [&](SamplePoint p) { return p.x - x0; }, [&](SamplePoint p) { return x1 - p.x; },
        [&](SamplePoint p) { return p.y - y0; }, [&](SamplePoint p) { return y1 - p.y; }};
    for (const auto& distance : edges) {
        std::vector<SamplePoint> kept;
        for (std::size_t i = 0; i < polygon.size(); ++i) {
            const SamplePoint a = polygon[i];
            const SamplePoint b = polygon[(i + 1) % polygon.size()];
            const double da = distance(a);
            const double db = distance(b);
            if (da >= 0) {
                kept.push_back(a);
            }
            if ((da < 0) != (db < 0)) {
                const double t = da / (da - db);
                kept.push_back({static_cast<float>(a.x + (b.x - a.x) * t),
                                static_cast<float>(a.y + (b.y - a.y) * t)});
            }
        }
        polygon = kept;
    }
    double twice = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const SamplePoint a = polygon[i];
        const SamplePoint b = polygon[(i + 1) % polygon.size()];
        twice += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    return std::fabs(twice) / 2;
}

// Relations on windows whose grid nodes fall on the boundary (y = x at every diagonal node, the
// circles at (−2, 0)) or not, with undefined parts and empty sets: every record point lies in the
// closed set, the filled area matches the set's (integrated over a fine lattice) within one row
// of cells, and a lattice of points away from the boundary is covered exactly where the relation
// holds. For "≠" that means both sides of every crossed cell are filled.
TEST(RegionBuilder, RecordsFillExactlyTheSet) {
    struct Row {
        const char* text;
        double minx, maxx, miny, maxy;
        double (*margin)(double, double);  // > 0 inside, < 0 outside
        // Lattice points nearer the boundary are not checked, and record points may stray this
        // far out (a crossing interpolated on a cell edge of a curved boundary).
        double skip;
    };
    const Row rows[] = {
        {"y>x", -2, 2, -2, 2, [](double x, double y) { return y - x; }, 1e-3},
        {"y<x", -2, 2, -2, 2, [](double x, double y) { return x - y; }, 1e-3},
        {"y≥x", -2, 2, -2, 2, [](double x, double y) { return y - x; }, 1e-3},
        {"y≤x+0", -2, 2, -2, 2, [](double x, double y) { return x - y; }, 1e-3},
        {"y>x+0.5", -2.03, 2, -1.5, 1.5, [](double x, double y) { return y - x - 0.5; }, 1e-3},
        {"2y≥0.7-x", -2, 2, -2, 2, [](double x, double y) { return 2 * y - 0.7 + x; }, 1e-3},
        {"x^2+y^2<4", -2, 2, 0, 2.5, [](double x, double y) { return 4 - x * x - y * y; }, 0.05},
        {"y≠x", -2, 2, -2, 2, [](double x, double y) { return std::fabs(y - x); }, 1e-3},
        {"x^2+y^2≠1", -2, 2, -2, 2, [](double x, double y) { return std::fabs(x * x + y * y - 1); },
         0.05},
        {"x^2+y^2≠1", -2.1, 2, -2.05, 2,
         [](double x, double y) { return std::fabs(x * x + y * y - 1); }, 0.05},
        {"x^2+y^2≠4", -2, 2, 0, 2.5,
         [](double x, double y) { return std::fabs(x * x + y * y - 4); }, 0.05},
        // Undefined where x < 0: nothing is filled there.
        {"y<√x", -2, 2, -2, 2, [](double x, double y) { return rootOrNaN(x) - y; }, 0.1},
        {"y>√x", -2, 2, -2, 2, [](double x, double y) { return y - rootOrNaN(x); }, 0.1},
        {"y≠√x", -2, 2, -2, 2, [](double x, double y) { return std::fabs(y - rootOrNaN(x)); }, 0.1},
        {"y<√(-1-x^2)", -2, 2, -2, 2, [](double, double) { return kNaN; }, 0},
    };
    const double ratio = 40;
    const double cell = 5.0001 / ratio;
    for (const Row& row : rows) {
        ParsedEquation relation(row.text);
        const Region region = build(relation, window(row.minx, row.maxx, row.miny, row.maxy, ratio),
                                    DeviceClass::Tablet);
        double filled = 0;
        for (const RegionRecord& record : region.records) {
            filled += areaInWindow(corners(record), row.minx, row.maxx, row.miny, row.maxy);
            for (const SamplePoint p : corners(record)) {
                EXPECT_GE(row.margin(p.x, p.y), -std::max(row.skip, 1e-5))
                    << row.text << " at " << p.x << "," << p.y;
            }
        }
        const int lattice = 70;
        const int fine = 600;
        double exact = 0;
        const double w = row.maxx - row.minx;
        const double h = row.maxy - row.miny;
        for (int i = 0; i < fine; ++i) {
            for (int k = 0; k < fine; ++k) {
                exact +=
                    row.margin(row.minx + (i + 0.5) * w / fine, row.miny + (k + 0.5) * h / fine) > 0
                        ? w * h / (fine * fine)
                        : 0;
            }
        }
        EXPECT_NEAR(filled, exact, w * cell) << row.text;
        for (int i = 0; i < lattice; ++i) {
            for (int k = 0; k < lattice; ++k) {
                const double x = row.minx + (i + 0.37) * w / lattice;
                const double y = row.miny + (k + 0.61) * h / lattice;
                const double margin = row.margin(x, y);
                if (std::fabs(margin) < row.skip) {
                    continue;
                }
                const bool covered =
                    std::any_of(region.records.begin(), region.records.end(),
                                [&](const RegionRecord& record) { return covers(record, x, y); });
                EXPECT_EQ(covered, margin > 0) << row.text << " at " << x << "," << y;
            }
        }
    }
}

TEST(RegionBuilder, CapacityStopsTheWalkOnPhoneAndTablet) {
    ParsedEquation checks("sin(20x)⋅sin(20y)>0.1");
    const EvaluationLimits2D limits = window(-16, 16, -10, 10, 80);
    const Region phone = build(checks, limits, DeviceClass::Phone);
    const Region tablet = build(checks, limits, DeviceClass::Tablet);
    // A cell adds at most two records and the walk stops once two places or fewer are left.
    EXPECT_GE(phone.records.size() + 2, RegionBuilder::capacityFor(DeviceClass::Phone));
    EXPECT_GE(tablet.records.size() + 2, RegionBuilder::capacityFor(DeviceClass::Tablet));
    ASSERT_LT(phone.records.size(), tablet.records.size());
    // The phone's records are the tablet's first ones.
    for (std::size_t i = 0; i < phone.records.size(); ++i) {
        ASSERT_EQ(corners(phone.records[i]), corners(tablet.records[i])) << i;
    }
    for (std::uint32_t capacity : {0u, 1u, 2u, 3u, 4u, 9u}) {
        EXPECT_LE(build(checks, limits, capacity).records.size(), capacity);
    }
}

TEST(RegionBuilder, InfiniteValuesDoNotStopTheWalk) {
    // 1/x is +∞ at x = 0: y < 1/x there is inside, and the cells around x = 0 still clip.
    ParsedEquation pole("y<1/x");
    const Region region = build(pole, window(-2, 2, -2, 2, kUnitCells), DeviceClass::Phone);
    for (const RegionRecord& record : region.records) {
        EXPECT_FALSE(covers(record, -1.5, 1.5)) << "above −1/1.5 on the left";
    }
    EXPECT_TRUE(std::any_of(region.records.begin(), region.records.end(),
                            [](const RegionRecord& record) { return covers(record, 0.5, -1.5); }));
}

// Screen [0.5, 1.5]² in unit cells over limits [0, 3]²: grown by half a cell it is [0, 2]²,
// which the cells of columns and rows 0 and 1 overlap: 3 × 3 nodes, and the full cells of each
// column merge into one strip. Unusable limits evaluate nothing.
TEST(RegionBuilder, HalfACellAroundTheScreenIsWalkedAndUnusableLimitsNone) {
    ParsedEquation everywhere("x+y>-1");
    EvaluationLimits2D limits = window(0, 3, 0, 3, kUnitCells);
    limits.screen = {{0.5f, 0.5f}, {1.0f, 1.0f}};
    const Region region = build(everywhere, limits, DeviceClass::Phone);
    EXPECT_EQ(region.evaluatedNodes, 9u);
    ASSERT_EQ(region.records.size(), 2u);
    EXPECT_EQ(corners(region.records[0]),
              (std::vector<SamplePoint>{{0, 0}, {1, 0}, {1, 2}, {0, 2}}));
    EXPECT_EQ(corners(region.records[1]),
              (std::vector<SamplePoint>{{1, 0}, {2, 0}, {2, 2}, {1, 2}}));
    for (const EvaluationLimits2D& unusable : unusableWindows()) {
        const Region nothing = build(everywhere, unusable, DeviceClass::Tablet);
        EXPECT_TRUE(nothing.records.empty());
        EXPECT_EQ(nothing.evaluatedNodes, 0u);
    }
}

}  // namespace
}  // namespace plotwise::test
