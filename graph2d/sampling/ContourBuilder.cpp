#include "graph2d/sampling/ContourBuilder.h"

#include <algorithm>
#include <bit>
#include <cmath>
#include <utility>

#include "engine/ComparisonBits.h"
#include "graph2d/sampling/GridCrossing.h"
#include "graph2d/sampling/GridNodeCache.h"

namespace plotwise {

ContourBuilder::ContourBuilder(const EvaluationData2D& data, SamplePoint* storage,
                               std::uint32_t capacity)
    : data_(data), storage_(storage), capacity_(capacity) {}

std::uint32_t ContourBuilder::build(const EvaluationLimits2D& limits) {
    count_ = 0;
    evaluatedNodeCount_ = 0;
    truncated_ = false;
    if (storage_ == nullptr) {
        return 0;
    }
    GridNodeCache grid(limits, data_, 0.0, false);
    if (!grid.usable()) {
        truncated_ = grid.tooLarge();
        return 0;
    }
    bool full = false;
    std::size_t signedColumn = ~std::size_t{0};  // the column whose signs rightSigns_ holds
    for (std::size_t c = 0; c < grid.columnCount() && !full; ++c) {
        if (!grid.columnIsTested(c)) {
            continue;
        }
        grid.loadColumn(c);
        const float x0 = grid.nodeX(c);
        const float x1 = grid.nodeX(c + 1);
        const double* left = grid.leftValues();
        const double* right = grid.rightValues();
        const std::size_t first = grid.firstTestedRow();
        const std::size_t cells = grid.endTestedRow() - first;
        if (signedColumn == c) {
            std::swap(leftSigns_, rightSigns_);
        } else {
            leftSigns_.assign(left, cells + 1);
        }
        rightSigns_.assign(right, cells + 1);
        signedColumn = c + 1;
        // Cells whose four corners share a strict sign are passed over 64 at a time.
        const std::size_t words = leftSigns_.positive.size();
        for (std::size_t w = 0; w < words && !full; ++w) {
            const auto bothSides = [&](const std::vector<std::uint64_t>& l,
                                       const std::vector<std::uint64_t>& r) {
                const std::uint64_t below = l[w] & r[w];
                const std::uint64_t above =
                    (below >> 1) | (w + 1 < words ? (l[w + 1] & r[w + 1]) << 63 : 0);
                return below & above;
            };
            const std::uint64_t oneSign = bothSides(leftSigns_.positive, rightSigns_.positive) |
                                          bothSides(leftSigns_.negative, rightSigns_.negative);
            const std::size_t inWord = std::min<std::size_t>(64, cells - 64 * w);
            std::uint64_t crossed = ~oneSign;
            if (inWord < 64) {
                crossed &= (std::uint64_t{1} << inWord) - 1;
            }
            for (; crossed != 0; crossed &= crossed - 1) {
                const std::size_t i = 64 * w + static_cast<std::size_t>(std::countr_zero(crossed));
                // Room for one more segment after this cell's first is checked per triangle.
                if (count_ + 2 >= capacity_) {
                    full = true;
                    truncated_ = true;
                    break;
                }
                const std::size_t r = first + i;
                const float y0 = grid.nodeY(r);
                const float y1 = grid.nodeY(r + 1);
                const Corner cornerA{{x0, y0}, left[i]};
                const Corner cornerB{{x1, y0}, right[i]};
                const Corner cornerC{{x0, y1}, left[i + 1]};
                const Corner cornerD{{x1, y1}, right[i + 1]};
                triangle(cornerA, cornerB, cornerC);
                triangle(cornerB, cornerC, cornerD);
            }
        }
    }
    evaluatedNodeCount_ = grid.evaluatedNodeCount();
    return count_;
}

void ContourBuilder::SignBits::assign(const double* values, std::size_t count) {
    const std::size_t words = (count + 63) / 64;
    positive.resize(words);
    negative.resize(words);
    for (std::size_t w = 0; w < words; ++w) {
        const double* v = values + 64 * w;
        const std::size_t inWord = count - 64 * w;
        const std::uint64_t above = comparisonBits<Comparison::Above>(v, inWord, 0.0);
        const std::uint64_t below = comparisonBits<Comparison::Below>(v, inWord, 0.0);
        positive[w] = above;
        negative[w] = below;
    }
}

void ContourBuilder::triangle(const Corner& p, const Corner& q, const Corner& r) {
    if (count_ + 3 > capacity_) {
        truncated_ = true;
        return;
    }
    const double pv = p.value;
    const double qv = q.value;
    const double rv = r.value;
    if ((pv < 0.0 && qv < 0.0 && rv < 0.0) || (pv > 0.0 && qv > 0.0 && rv > 0.0)) {
        return;
    }
    if (std::isnan(pv) || std::isnan(qv) || std::isnan(rv)) {
        return;
    }
    // A node exactly on the curve counts as positive, so an edge crosses only between opposite
    // sides: a curve through a node or along an edge gives one segment there, never a doubled
    // or degenerate one.
    auto negative = [](double value) { return value < 0.0; };
    const bool crossesPR = negative(pv) != negative(rv);
    const bool crossesPQ = negative(pv) != negative(qv);
    const bool crossesQR = negative(qv) != negative(rv);
    // Later pairs override earlier ones.
    const Corner* firstFrom = nullptr;
    const Corner* firstTo = nullptr;
    const Corner* secondFrom = nullptr;
    const Corner* secondTo = nullptr;
    if (crossesPR && crossesQR) {
        firstFrom = &p, firstTo = &r, secondFrom = &q, secondTo = &r;
    }
    if (crossesPR && crossesPQ) {
        firstFrom = &p, firstTo = &r, secondFrom = &p, secondTo = &q;
    }
    if (crossesPQ && crossesQR) {
        firstFrom = &p, firstTo = &q, secondFrom = &q, secondTo = &r;
    }
    if (firstFrom == nullptr) {
        return;
    }
    const SamplePoint from =
        GridCrossing::between(firstFrom->point, firstFrom->value, firstTo->point, firstTo->value);
    const SamplePoint to = GridCrossing::between(secondFrom->point, secondFrom->value,
                                                 secondTo->point, secondTo->value);
    // A curve that only touches a corner gives both crossings at that corner: no segment.
    if (from == to) {
        return;
    }
    storage_[count_++] = from;
    storage_[count_++] = to;
}

}  // namespace plotwise
