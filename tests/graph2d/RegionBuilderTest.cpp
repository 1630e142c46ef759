#include <gtest/gtest.h>

#include <cmath>
#include <functional>
#include <numbers>
#include <utility>
#include <vector>

#include "SamplingTestSupport.h"
#include "graph2d/sampling/RegionBuilder.h"

namespace plotwise::test {
namespace {

constexpr double kUnitCells = 5.0001;
constexpr DeviceClass kDevices[] = {DeviceClass::Phone, DeviceClass::Tablet};

struct Region {
    std::vector<RegionRecord> records;
    std::size_t evaluatedNodes = 0;
};

Region build(ParsedEquation& equation, const EvaluationLimits2D& limits, std::uint32_t capacity) {
    RegionRecord sentinel{-1, {kSentinel, kSentinel, kSentinel, kSentinel}};
    std::vector<RegionRecord> storage(capacity + 4, sentinel);
    RegionBuilder builder(equation.data(), storage.data(), capacity);
    const std::uint32_t count = builder.build(limits);
    EXPECT_LE(count, capacity);
    for (std::size_t i = 0; i < storage.size(); ++i) {
        if (i < count) {
            EXPECT_TRUE(storage[i].vertexCount == 3 || storage[i].vertexCount == 4) << i;
        } else {
            EXPECT_EQ(storage[i].vertexCount, -1) << "written past the count at " << i;
        }
    }
    storage.resize(count);
    return {storage, builder.evaluatedNodeCount()};
}

Region build(ParsedEquation& equation, const EvaluationLimits2D& limits, DeviceClass device) {
    return build(equation, limits, RegionBuilder::capacityFor(device));
}

void expectRecord(const RegionRecord& record, std::vector<SamplePoint> points, std::size_t index) {
    ASSERT_EQ(record.vertexCount, static_cast<int>(points.size())) << index;
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(record.points[i], points[i]) << "record " << index << " point " << i;
    }
}

// Whether (x, y) is inside a convex record (either orientation). A record with a NaN or
// infinite point covers nothing (the view cannot fill it).
bool covers(const RegionRecord& record, double x, double y) {
    const auto n = static_cast<std::size_t>(record.vertexCount);
    for (std::size_t i = 0; i < n; ++i) {
        if (!std::isfinite(record.points[i].x) || !std::isfinite(record.points[i].y)) {
            return false;
        }
    }
    bool positive = false;
    bool negative = false;
    for (std::size_t i = 0; i < n; ++i) {
        const SamplePoint a = record.points[i];
        const SamplePoint b = record.points[(i + 1) % n];
        const double cross = (b.x - a.x) * (y - a.y) - (b.y - a.y) * (x - a.x);
        positive = positive || cross > 0;
        negative = negative || cross < 0;
    }
    return !(positive && negative);
}

TEST(RegionBuilder, HandWorkedHalfPlaneOnFourCells) {
    // y > x − 0.5 on [0, 2]² in unit cells: value (x − 0.5) − y = c − r − 0.5 at node (c, r),
    // inside where r > c − 0.5. Worked through by the clipping rules:
    //   cell (0,0): ABC: PQ and QR cross, P inside: P, PQ crossing, QR crossing, R;
    //               BCD: PR and PQ cross, P outside, R inside: PR crossing, PQ crossing, Q, R;
    //   cell (0,1): all inside and negative: the full cell (nothing full below to merge with);
    //   cell (1,0): ABC: PR and QR cross, P outside, R inside: R, PR crossing, QR crossing;
    //               BCD: PQ and QR cross, P outside, Q inside: PQ crossing, Q, QR crossing;
    //   cell (1,1): as cell (0,0), shifted by (1, 1).
    ParsedEquation halfPlane("y>x-0.5");
    ASSERT_EQ(halfPlane.type(), EquationType::Inequality);
    for (DeviceClass device : kDevices) {
        const Region region = build(halfPlane, window(0, 2, 0, 2, kUnitCells), device);
        ASSERT_EQ(region.records.size(), 7u);
        expectRecord(region.records[0], {{0, 0}, {0.5f, 0}, {0.75f, 0.25f}, {0, 1}}, 0);
        expectRecord(region.records[1], {{1, 0.5f}, {0.75f, 0.25f}, {0, 1}, {1, 1}}, 1);
        expectRecord(region.records[2], {{0, 1}, {1, 1}, {1, 2}, {0, 2}}, 2);
        expectRecord(region.records[3], {{1, 1}, {1, 0.5f}, {1.25f, 0.75f}}, 3);
        expectRecord(region.records[4], {{1.25f, 0.75f}, {1, 1}, {1.5f, 1}}, 4);
        expectRecord(region.records[5], {{1, 1}, {1.5f, 1}, {1.75f, 1.25f}, {1, 2}}, 5);
        expectRecord(region.records[6], {{2, 1.5f}, {1.75f, 1.25f}, {1, 2}, {2, 2}}, 6);
        EXPECT_EQ(region.evaluatedNodes, 9u);
    }
}

TEST(RegionBuilder, HandWorkedZerosAtNodesTakeTheSideOfTheirRelation) {
    // y > x on [0, 2]² in unit cells: value c − r, inside where r > c; zero on the diagonal
    // nodes, which are outside and so count with the outside corners:
    //   cell (0,0) ABC (0, 1, −1): R alone inside: R, PR crossing (A), QR crossing (½, ½);
    //   cell (0,0) BCD (1, −1, 0): Q alone inside: PQ crossing (½, ½), Q, QR crossing (D);
    //   cell (0,1) ABC (−1, 0, −2): B alone outside: P, B, B, R (P's side);
    //   cell (0,1) BCD (0, −2, −1): B alone outside: B, B, Q, R;
    //   cell (1,0): every corner outside, nothing;
    //   cell (1,1): as cell (0,0), shifted by (1, 1).
    ParsedEquation above("y>x");
    const Region region = build(above, window(0, 2, 0, 2, kUnitCells), DeviceClass::Phone);
    ASSERT_EQ(region.records.size(), 6u);
    expectRecord(region.records[0], {{0, 1}, {0, 0}, {0.5f, 0.5f}}, 0);
    expectRecord(region.records[1], {{0.5f, 0.5f}, {0, 1}, {1, 1}}, 1);
    expectRecord(region.records[2], {{0, 1}, {1, 1}, {1, 1}, {0, 2}}, 2);
    expectRecord(region.records[3], {{1, 1}, {1, 1}, {0, 2}, {1, 2}}, 3);
    expectRecord(region.records[4], {{1, 2}, {1, 1}, {1.5f, 1.5f}}, 4);
    expectRecord(region.records[5], {{1.5f, 1.5f}, {1, 2}, {2, 2}}, 5);

    // 0 > x + 2y − 1 on [0, 1]²: triangle ABC has P = −1 inside, Q = 0 outside, R = 1: P alone,
    // P, PQ crossing (B), PR crossing (0, ½). Triangle BCD (0, 1, 2) has no corner inside.
    ParsedEquation wedge("0>x+2y-1");
    const Region single = build(wedge, window(0, 1, 0, 1, kUnitCells), DeviceClass::Phone);
    ASSERT_EQ(single.records.size(), 1u);
    expectRecord(single.records[0], {{0, 0}, {1, 0}, {0, 0.5f}}, 0);
}

TEST(RegionBuilder, HalfPlaneFillsAboveItsLine) {
    // Nodes at x = −2.03 + k/8 and y = −1.5 + k/8 never lie on the line itself.
    ParsedEquation above("y>x");
    const double d = 5.0001 / 40.0;
    const std::size_t columns = walkCount(-2.03, 2, d);
    const std::size_t rows = walkCount(-1.5, 1.5, d);
    const auto topRowBottom = static_cast<float>(-1.5 + static_cast<double>(rows - 1) * d);
    // A column's top cell is full when its right side lies left of the line at its bottom.
    std::size_t fullAtTheTop = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        const auto x1 = static_cast<float>(-2.03 + static_cast<double>(c + 1) * d);
        fullAtTheTop += x1 < topRowBottom ? 1 : 0;
    }
    ASSERT_GT(fullAtTheTop, 10u);
    for (DeviceClass device : kDevices) {
        const Region region = build(above, window(-2.03, 2, -1.5, 1.5, 40), device);
        std::size_t strips = 0;
        for (const RegionRecord& record : region.records) {
            for (int i = 0; i < record.vertexCount; ++i) {
                const SamplePoint p = record.points[static_cast<std::size_t>(i)];
                EXPECT_GE(p.y - p.x, -1e-5) << "below the line";
            }
            const auto& q = record.points;
            const bool rectangle = record.vertexCount == 4 && q[0].y == q[1].y &&
                                   q[2].y == q[3].y && q[0].x == q[3].x && q[1].x == q[2].x;
            strips += rectangle && q[2].y >= 1.5f ? 1 : 0;
        }
        // The full cells above the line merge into one strip per column, up to the top.
        EXPECT_EQ(strips, fullAtTheTop);
    }
}

// Every corner of every record lies in the closed half-plane, whichever side of the cell's
// diagonal the line crosses: a triangle whose three corners are all outside is never filled.
// No line passes through a node here (nodes on the boundary are tested above and below).
TEST(RegionBuilder, RecordsStayInsideTheirHalfPlane) {
    struct Row {
        const char* text;
        double (*inside)(double, double);  // ≥ 0 in the closed half-plane
    };
    const Row rows[] = {
        {"y>x+0.5", [](double x, double y) { return y - x - 0.5; }},
        {"x+y<0.3", [](double x, double y) { return 0.3 - x - y; }},
        {"y<3x-0.2", [](double x, double y) { return 3 * x - 0.2 - y; }},
        {"2y≥0.7-x", [](double x, double y) { return 2 * y - 0.7 + x; }},
    };
    for (const Row& row : rows) {
        ParsedEquation halfPlane(row.text);
        const Region region =
            build(halfPlane, window(-2, 2, -2, 2, kUnitCells), DeviceClass::Phone);
        EXPECT_FALSE(region.records.empty()) << row.text;
        for (const RegionRecord& record : region.records) {
            for (int i = 0; i < record.vertexCount; ++i) {
                const SamplePoint p = record.points[static_cast<std::size_t>(i)];
                EXPECT_GE(row.inside(p.x, p.y), -1e-5) << row.text << " at " << p.x << "," << p.y;
            }
        }
    }
}

// The part of a convex record inside the rectangle [x0, x1] × [y0, y1] (Sutherland–Hodgman).
std::vector<SamplePoint> clippedToWindow(const RegionRecord& record, double x0, double x1,
                                         double y0, double y1) {
    std::vector<SamplePoint> polygon(record.points.begin(),
                                     record.points.begin() + record.vertexCount);
    // Each edge keeps the points where `distance` is ≥ 0.
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
    return polygon;
}

double area(const std::vector<SamplePoint>& polygon) {
    double twice = 0;
    for (std::size_t i = 0; i < polygon.size(); ++i) {
        const SamplePoint a = polygon[i];
        const SamplePoint b = polygon[(i + 1) % polygon.size()];
        twice += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    return std::fabs(twice) / 2;
}

// Inequalities on windows whose grid nodes fall on the boundary (y = x at every diagonal node,
// the circle at (−2, 0)). Every record point lies in the closed set, the filled area within the
// window matches the exact one within one row of cells, and a lattice of points away from the
// boundary is covered exactly where the relation holds.
TEST(RegionBuilder, BoundaryThroughNodesFillsExactlyTheSet) {
    struct Row {
        const char* text;
        double minx, maxx, miny, maxy;
        double exactArea;
        double (*margin)(double, double);  // > 0 inside, < 0 outside
        double skip;                       // lattice points nearer the boundary are not checked
    };
    const double pi = std::numbers::pi;
    const Row rows[] = {
        {"y>x", -2, 2, -2, 2, 8, [](double x, double y) { return y - x; }, 1e-3},
        {"y<x", -2, 2, -2, 2, 8, [](double x, double y) { return x - y; }, 1e-3},
        {"y≥x", -2, 2, -2, 2, 8, [](double x, double y) { return y - x; }, 1e-3},
        {"y≤x+0", -2, 2, -2, 2, 8, [](double x, double y) { return x - y; }, 1e-3},
        {"x^2+y^2<4", -2, 2, 0, 2.5, 2 * pi, [](double x, double y) { return 4 - x * x - y * y; },
         0.05},
        {"y≠x", -2, 2, -2, 2, 16, [](double x, double y) { return std::fabs(y - x); }, 1e-3},
        {"x^2+y^2≠1", -2, 2, -2, 2, 16,
         [](double x, double y) { return std::fabs(x * x + y * y - 1); }, 0.05},
        {"x^2+y^2≠4", -2, 2, 0, 2.5, 10,
         [](double x, double y) { return std::fabs(x * x + y * y - 4); }, 0.05},
    };
    const double ratio = 40;
    const double cell = 5.0001 / ratio;
    for (const Row& row : rows) {
        ParsedEquation relation(row.text);
        ASSERT_EQ(relation.type(), EquationType::Inequality) << row.text;
        const Region region = build(relation, window(row.minx, row.maxx, row.miny, row.maxy, ratio),
                                    DeviceClass::Tablet);
        double filled = 0;
        for (const RegionRecord& record : region.records) {
            filled += area(clippedToWindow(record, row.minx, row.maxx, row.miny, row.maxy));
            for (int i = 0; i < record.vertexCount; ++i) {
                const SamplePoint p = record.points[static_cast<std::size_t>(i)];
                EXPECT_GE(row.margin(p.x, p.y), -1e-5) << row.text << " at " << p.x << "," << p.y;
            }
        }
        EXPECT_NEAR(filled, row.exactArea, (row.maxx - row.minx) * cell) << row.text;
        const int lattice = 70;
        for (int i = 0; i < lattice; ++i) {
            for (int k = 0; k < lattice; ++k) {
                const double x = row.minx + (i + 0.37) * (row.maxx - row.minx) / lattice;
                const double y = row.miny + (k + 0.61) * (row.maxy - row.miny) / lattice;
                const double margin = row.margin(x, y);
                if (std::fabs(margin) < row.skip) {
                    continue;
                }
                bool covered = false;
                for (const RegionRecord& record : region.records) {
                    covered = covered || covers(record, x, y);
                }
                EXPECT_EQ(covered, margin > 0) << row.text << " at " << x << "," << y;
            }
        }
    }
}

TEST(RegionBuilder, NotEqualFillsEveryUncrossedCell) {
    ParsedEquation ring("x^2+y^2≠1");
    const double ratio = 20.0;
    const double d = 5.0001 / ratio;
    // Nodes off the circle itself (none at exactly 1): x from −2.1, y from −2.05.
    const Region region = build(ring, window(-2.1, 2, -2.05, 2, ratio), DeviceClass::Phone);
    const std::size_t columns = walkCount(-2.1, 2, d);
    const std::size_t rows = walkCount(-2.05, 2, d);
    std::size_t uncrossed = 0;
    for (std::size_t c = 0; c < columns; ++c) {
        for (std::size_t r = 0; r < rows; ++r) {
            const auto x0 = static_cast<float>(-2.1 + static_cast<double>(c) * d);
            const auto x1 = static_cast<float>(-2.1 + static_cast<double>(c + 1) * d);
            const auto y0 = static_cast<float>(-2.05 + static_cast<double>(r) * d);
            const auto y1 = static_cast<float>(-2.05 + static_cast<double>(r + 1) * d);
            const double values[] = {ring.treeValue(x0, y0), ring.treeValue(x1, y0),
                                     ring.treeValue(x0, y1), ring.treeValue(x1, y1)};
            bool allPositive = true;
            bool allNegative = true;
            for (double v : values) {
                allPositive = allPositive && v > 0;
                allNegative = allNegative && v < 0;
            }
            const double cx = (x0 + x1) / 2.0;
            const double cy = (y0 + y1) / 2.0;
            bool covered = false;
            for (const RegionRecord& record : region.records) {
                covered = covered || covers(record, cx, cy);
            }
            if (allPositive || allNegative) {
                ++uncrossed;
                EXPECT_TRUE(covered) << "uncrossed cell " << c << "," << r;
            } else {
                // A crossed cell is filled on both sides of the crossing: all four corners.
                bool coversAll = true;
                for (const auto& [x, y] : {std::pair{x0, y0}, {x1, y0}, {x0, y1}, {x1, y1}}) {
                    bool coversCorner = false;
                    for (const RegionRecord& record : region.records) {
                        coversCorner = coversCorner || covers(record, x, y);
                    }
                    coversAll = coversAll && coversCorner;
                }
                EXPECT_TRUE(coversAll) << "crossed cell " << c << "," << r;
            }
        }
    }
    EXPECT_GT(uncrossed, columns * rows / 2);
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
        ASSERT_EQ(phone.records[i].vertexCount, tablet.records[i].vertexCount) << i;
        for (std::size_t k = 0; k < 4; ++k) {
            if (k < 3 || phone.records[i].vertexCount == 4) {
                ASSERT_EQ(phone.records[i].points[k], tablet.records[i].points[k]) << i;
            }
        }
    }
    for (std::uint32_t capacity : {0u, 1u, 2u, 3u, 4u, 9u}) {
        const Region small = build(checks, limits, capacity);
        EXPECT_LE(small.records.size(), capacity);
    }
}

TEST(RegionBuilder, UndefinedValuesFillNothing) {
    for (const char* text : {"y<√x", "y≠√x", "y>√x"}) {
        ParsedEquation root(text);
        for (DeviceClass device : kDevices) {
            const Region region = build(root, window(-2, 2, -2, 2, 20), device);
            EXPECT_FALSE(region.records.empty()) << text;
            for (const RegionRecord& record : region.records) {
                for (int i = 0; i < record.vertexCount; ++i) {
                    EXPECT_GE(record.points[static_cast<std::size_t>(i)].x, 0.0f) << text;
                }
            }
        }
    }
    ParsedEquation nowhere("y<√(-1-x^2)");
    EXPECT_TRUE(build(nowhere, window(-2, 2, -2, 2, 20), DeviceClass::Phone).records.empty());
}

TEST(RegionBuilder, InfiniteValuesDoNotStopTheWalk) {
    // 1/x is +∞ at x = 0: y < 1/x there is inside, and the cells around x = 0 still clip.
    ParsedEquation pole("y<1/x");
    const Region region = build(pole, window(-2, 2, -2, 2, kUnitCells), DeviceClass::Phone);
    EXPECT_FALSE(region.records.empty());
    bool fillsRightOfThePole = false;
    for (const RegionRecord& record : region.records) {
        fillsRightOfThePole = fillsRightOfThePole || covers(record, 0.5, -1.5);
        EXPECT_FALSE(covers(record, -1.5, 1.5)) << "above −1/1.5 on the left";
    }
    EXPECT_TRUE(fillsRightOfThePole);
}

TEST(RegionBuilder, HalfACellAroundTheScreenIsTested) {
    // Screen [0.5, 1.5] × [0.5, 1.5] in unit cells over limits [0, 3]²: grown by half a cell it
    // is [0, 2]², which the cells of columns and rows 0 and 1 overlap: 3 × 3 nodes.
    ParsedEquation everywhere("x+y>-1");
    EvaluationLimits2D limits = window(0, 3, 0, 3, kUnitCells);
    limits.screen = {{0.5f, 0.5f}, {1.0f, 1.0f}};
    const Region region = build(everywhere, limits, DeviceClass::Phone);
    EXPECT_EQ(region.evaluatedNodes, 9u);
    ASSERT_EQ(region.records.size(), 2u);  // one strip per column
    expectRecord(region.records[0], {{0, 0}, {1, 0}, {1, 2}, {0, 2}}, 0);
    expectRecord(region.records[1], {{1, 0}, {2, 0}, {2, 2}, {1, 2}}, 1);
}

TEST(RegionBuilder, UnusableLimitsGiveNothing) {
    ParsedEquation disc("x^2+y^2<1");
    for (const EvaluationLimits2D& limits : unusableWindows()) {
        const Region region = build(disc, limits, DeviceClass::Tablet);
        EXPECT_TRUE(region.records.empty());
        EXPECT_EQ(region.evaluatedNodes, 0u);
    }
}

}  // namespace
}  // namespace plotwise::test
