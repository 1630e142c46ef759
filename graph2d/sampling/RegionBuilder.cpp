#include "graph2d/sampling/RegionBuilder.h"

#include "graph2d/sampling/GridCrossing.h"
#include "graph2d/sampling/GridNodeCache.h"

namespace plotwise {

namespace {

// Half a cell on each side: cells just off the screen still get their clipped edges.
constexpr double kTestMargin = 0.5;

bool sameSign(double a, double b, double c) {
    return (a < 0.0 && b < 0.0 && c < 0.0) || (a > 0.0 && b > 0.0 && c > 0.0);
}

RegionRecord triangleRecord(SamplePoint a, SamplePoint b, SamplePoint c) {
    return {3, {a, b, c, SamplePoint{0.0f, 0.0f}}};
}

RegionRecord quadRecord(SamplePoint a, SamplePoint b, SamplePoint c, SamplePoint d) {
    return {4, {a, b, c, d}};
}

}  // namespace

RegionBuilder::RegionBuilder(const EvaluationData2D& data, RegionRecord* storage,
                             std::uint32_t capacity)
    : data_(data), storage_(storage), capacity_(capacity) {}

std::uint32_t RegionBuilder::build(const EvaluationLimits2D& limits) {
    count_ = 0;
    evaluatedNodeCount_ = 0;
    if (storage_ == nullptr) {
        return 0;
    }
    GridNodeCache grid(limits, data_, kTestMargin, true);
    if (!grid.usable()) {
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
                break;
            }
            // Exactly, for the few cells the quick test cannot tell (a product that underflows).
            const bool oneSign = quickOneSign || (sameSign(left[i], right[i], left[i + 1]) &&
                                                  sameSign(left[i], right[i], right[i + 1]));
            const std::size_t r = first + i;
            const float y0 = grid.nodeY(r);
            const float y1 = grid.nodeY(r + 1);
            const Corner a{{x0, y0}, left[i], leftInside[i] != 0};
            const Corner b{{x1, y0}, right[i], rightInside[i] != 0};
            const Corner cCorner{{x0, y1}, left[i + 1], leftInside[i + 1] != 0};
            const Corner d{{x1, y1}, right[i + 1], rightInside[i + 1] != 0};
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
        return;
    }
    if (p.inside && sameSign(p.value, q.value, r.value)) {
        storage_[count_++] = triangleRecord(p.point, q.point, r.point);
        return;
    }
    // A NaN value makes every product with it false: its edges do not cross.
    const bool crossesPR = p.value * r.value <= 0.0;
    const bool crossesPQ = p.value * q.value <= 0.0;
    const bool crossesQR = q.value * r.value <= 0.0;
    auto crossing = [](const Corner& from, const Corner& to) {
        return GridCrossing::between(from.point, from.value, to.point, to.value);
    };
    // Later groups override earlier ones; a group whose corners are all outside leaves the
    // earlier result standing.
    RegionRecord shape{0, {}};
    if (crossesPR && crossesQR) {
        if (p.inside) {
            shape = quadRecord(p.point, q.point, crossing(q, r), crossing(p, r));
        } else if (r.inside) {
            shape = triangleRecord(r.point, crossing(p, r), crossing(q, r));
        }
    }
    if (crossesPR && crossesPQ) {
        if (p.inside) {
            shape = triangleRecord(p.point, crossing(p, q), crossing(p, r));
        } else if (r.inside) {
            shape = quadRecord(crossing(p, r), crossing(p, q), q.point, r.point);
        }
    }
    if (crossesPQ && crossesQR) {
        if (p.inside) {
            shape = quadRecord(p.point, crossing(p, q), crossing(q, r), r.point);
        } else if (q.inside) {
            shape = triangleRecord(crossing(p, q), q.point, crossing(q, r));
        }
    }
    if (shape.vertexCount != 0) {
        storage_[count_++] = shape;
    }
}

}  // namespace plotwise
