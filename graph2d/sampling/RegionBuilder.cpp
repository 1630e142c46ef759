#include "graph2d/sampling/RegionBuilder.h"

#include "graph2d/sampling/GridCrossing.h"
#include "graph2d/sampling/GridNodeCache.h"

namespace plotwise {

namespace {

// Half a cell on each side: cells just off the screen still get their clipped edges.
constexpr double kTestMargin = 0.5;

// Relation operators (right − left is the node's value): "l > r" and "l ≥ r" hold where it is
// negative.
constexpr int kRelopGreater = 1;
constexpr int kRelopGreaterOrEqual = 4;

bool sameSign(double a, double b, double c) {
    return (a < 0.0 && b < 0.0 && c < 0.0) || (a > 0.0 && b > 0.0 && c > 0.0);
}

RegionRecord triangleRecord(SamplePoint a, SamplePoint b, SamplePoint c) {
    return {3, {a, b, c, SamplePoint{0.0f, 0.0f}}};
}

// Twice the signed area of a record.
double area(const RegionRecord& record) {
    double twice = 0.0;
    for (int i = 0; i < record.vertexCount; ++i) {
        const SamplePoint& a = record.points[static_cast<std::size_t>(i)];
        const SamplePoint& b =
            record.points[static_cast<std::size_t>((i + 1) % record.vertexCount)];
        twice += static_cast<double>(a.x) * b.y - static_cast<double>(b.x) * a.y;
    }
    return twice;
}

RegionRecord quadRecord(SamplePoint a, SamplePoint b, SamplePoint c, SamplePoint d) {
    return {4, {a, b, c, d}};
}

}  // namespace

RegionBuilder::RegionBuilder(const EvaluationData2D& data, RegionRecord* storage,
                             std::uint32_t capacity)
    : data_(data),
      storage_(storage),
      capacity_(capacity),
      insideSign_(data.relopType == kRelopGreater || data.relopType == kRelopGreaterOrEqual ? -1
                                                                                            : 1) {}

RegionBuilder::Corner RegionBuilder::corner(SamplePoint point, double value, bool inside) const {
    int side = 0;
    if (value > 0.0) {
        side = 1;
    } else if (value < 0.0) {
        side = -1;
    } else if (value == 0.0) {
        // A node on the boundary belongs to the side its relation puts it on: y > x leaves a
        // node on y = x outside, y ≥ x takes it in.
        side = inside ? insideSign_ : -insideSign_;
    }
    return {point, value, inside, side};
}

void RegionBuilder::add(const RegionRecord& record, bool touchesBoundary) {
    // A node on the boundary can collapse a shape onto a line or a point: nothing to fill.
    if (touchesBoundary && area(record) == 0.0) {
        return;
    }
    if (count_ < capacity_) {
        storage_[count_++] = record;
    } else {
        truncated_ = true;
    }
}

std::uint32_t RegionBuilder::build(const EvaluationLimits2D& limits) {
    count_ = 0;
    evaluatedNodeCount_ = 0;
    truncated_ = false;
    if (storage_ == nullptr) {
        return 0;
    }
    GridNodeCache grid(limits, data_, kTestMargin, true);
    if (!grid.usable()) {
        truncated_ = grid.tooLarge();
        return 0;
    }
    bool full = false;
    for (std::size_t c = 0; c < grid.columnCount() && !full; ++c) {
        if (!grid.columnIsTested(c)) {
            continue;
        }
        grid.loadColumn(c);
        const float x0 = grid.nodeX(c);
        const float x1 = grid.nodeX(c + 1);
        const double* left = grid.leftValues();
        const double* right = grid.rightValues();
        const std::uint8_t* leftInside = grid.leftInsides();
        const std::uint8_t* rightInside = grid.rightInsides();
        const std::size_t first = grid.firstTestedRow();
        const std::size_t cells = grid.endTestedRow() - first;
        bool belowAgrees = left[0] * right[0] > 0.0;
        for (std::size_t i = 0; i < cells; ++i) {
            // Products are positive only for two values of one strict sign (NaN and 0 give
            // none): a quick test that passes only cells whose four corners share a strict sign.
            const bool aboveAgrees = left[i + 1] * right[i + 1] > 0.0;
            const bool quickOneSign = belowAgrees && aboveAgrees && left[i] * left[i + 1] > 0.0;
            belowAgrees = aboveAgrees;
            // A cell of one sign whose A and B are outside adds nothing: neither triangle's
            // first corner is inside and no edge crosses. Such cells are passed over before the
            // capacity is looked at, which changes nothing.
            if (quickOneSign && leftInside[i] == 0 && rightInside[i] == 0) {
                continue;
            }
            if (count_ + 2 >= capacity_) {
                full = true;
                truncated_ = true;
                break;
            }
            // Exactly, for the few cells the quick test cannot tell (a product that underflows).
            const bool oneSign = quickOneSign || (sameSign(left[i], right[i], left[i + 1]) &&
                                                  sameSign(left[i], right[i], right[i + 1]));
            const std::size_t r = first + i;
            const float y0 = grid.nodeY(r);
            const float y1 = grid.nodeY(r + 1);
            const Corner a = corner({x0, y0}, left[i], leftInside[i] != 0);
            const Corner b = corner({x1, y0}, right[i], rightInside[i] != 0);
            const Corner cCorner = corner({x0, y1}, left[i + 1], leftInside[i + 1] != 0);
            const Corner d = corner({x1, y1}, right[i + 1], rightInside[i + 1] != 0);
            if (a.inside && oneSign) {
                fullCell(a.point, b.point, d.point, cCorner.point);
            } else {
                clip(a, b, cCorner);
                clip(b, cCorner, d);
            }
        }
    }
    evaluatedNodeCount_ = grid.evaluatedNodeCount();
    return count_;
}

void RegionBuilder::fullCell(const SamplePoint& a, const SamplePoint& b, const SamplePoint& d,
                             const SamplePoint& c) {
    // The full cell just below in this column (the last record) grows up to this cell's top.
    if (count_ > 0) {
        RegionRecord& previous = storage_[count_ - 1];
        if (previous.vertexCount == 4 && previous.points[3] == a && previous.points[2] == b) {
            previous.points[2] = d;
            previous.points[3] = c;
            return;
        }
    }
    storage_[count_++] = quadRecord(a, b, d, c);
}

void RegionBuilder::clip(const Corner& p, const Corner& q, const Corner& r) {
    if (count_ >= capacity_) {
        truncated_ = true;
        return;
    }
    const bool touches = p.value == 0.0 || q.value == 0.0 || r.value == 0.0;
    // A side is filled when a corner on it is inside: one side for most relations, both for
    // "≠", whose set is all but the curve (a node on it is not inside, its neighbours are).
    auto filled = [&](int side) {
        return (p.side == side && p.inside) || (q.side == side && q.inside) ||
               (r.side == side && r.inside);
    };
    if (p.side != 0 && p.side == q.side && q.side == r.side) {
        if (filled(p.side)) {
            add(triangleRecord(p.point, q.point, r.point), touches);
        }
        return;
    }
    // An edge crosses between corners on opposite sides; a NaN corner crosses none. With every
    // side ±1, either no edge crosses or exactly the two at the lone corner do.
    const bool crossesPR = p.side * r.side < 0;
    const bool crossesPQ = p.side * q.side < 0;
    const bool crossesQR = q.side * r.side < 0;
    auto crossing = [](const Corner& from, const Corner& to) {
        return GridCrossing::between(from.point, from.value, to.point, to.value);
    };
    // P's side comes first.
    const bool pSide = filled(p.side);
    if (crossesPR && crossesQR) {
        // R alone.
        if (pSide) {
            add(quadRecord(p.point, q.point, crossing(q, r), crossing(p, r)), touches);
        }
        if (filled(r.side)) {
            add(triangleRecord(r.point, crossing(p, r), crossing(q, r)), touches);
        }
    } else if (crossesPR && crossesPQ) {
        // P alone.
        if (pSide) {
            add(triangleRecord(p.point, crossing(p, q), crossing(p, r)), touches);
        }
        if (filled(r.side)) {
            add(quadRecord(crossing(p, r), crossing(p, q), q.point, r.point), touches);
        }
    } else if (crossesPQ && crossesQR) {
        // Q alone.
        if (pSide) {
            add(quadRecord(p.point, crossing(p, q), crossing(q, r), r.point), touches);
        }
        if (filled(q.side)) {
            add(triangleRecord(crossing(p, q), q.point, crossing(q, r)), touches);
        }
    }
}

}  // namespace plotwise
