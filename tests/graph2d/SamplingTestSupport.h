#pragma once

#include <gtest/gtest.h>

#include <cmath>
#include <cstddef>
#include <limits>
#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <type_traits>
#include <vector>

#include "ExpressionTestSupport.h"
#include "engine/ExpressionParsing.h"
#include "engine/ExpressionSummary.h"
#include "engine/RVOperationTree.h"
#include "engine/RVRelationOperation.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph2d/sampling/EvaluationData2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"
#include "graph2d/sampling/SamplePoint.h"

// Helpers shared by the 2D builder suites: an expression parsed like the keyboard parses it,
// with its table, tree and compiled data kept together and in place.
namespace plotwise::test {

class ParsedEquation {
public:
    explicit ParsedEquation(std::string_view text) : text_(text) {
        ParsedExpression parsed = parseExpression(toUtf16(text), table_.data());
        EXPECT_TRUE(parsed.tree) << text;
        if (parsed.tree) {
            tree_ = std::move(parsed.tree);
            data_ = EvaluationData2D::withOperationTree(*tree_);
            type_ = classifyExpression(*tree_).equationType;
        }
    }
    ParsedEquation(const ParsedEquation&) = delete;
    ParsedEquation& operator=(const ParsedEquation&) = delete;

    const EvaluationData2D& data() const { return data_; }
    const RVOperationTree& tree() const { return *tree_; }
    VariableTable& table() { return table_; }
    EquationType type() const { return type_; }
    const std::string& text() const { return text_; }

    // The grid value at (x, y) by the tree's own evaluator (not the compiled form): right − left
    // for a relation, else the value; r and Θ in single precision as the grid writes them.
    double treeValue(float x, float y) {
        table_[0] = x;
        table_[1] = y;
        table_[3] = std::sqrt(x * x + y * y);
        table_[4] = std::atan2(y, x);
        if (const auto* relation = dynamic_cast<const RVRelationOperation*>(tree_->root())) {
            return relation->rvalue()->value() - relation->lvalue()->value();
        }
        return tree_->value();
    }

private:
    std::string text_;
    VariableTable table_{};
    std::unique_ptr<RVOperationTree> tree_;
    EvaluationData2D data_;
    EquationType type_ = EquationType::Implicit;
};

// A window of plane units with the same points per unit along both axes.
inline EvaluationLimits2D window(double minx, double maxx, double miny, double maxy, double ratio) {
    return EvaluationLimits2D::withWindow(minx, maxx, miny, maxy, ratio, ratio);
}

// The number of fields of EvaluationLimits2D, and a copy with field `field` (0 to 9) moved by
// the smallest step it can take: any cache keyed on the limits must see the difference.
inline constexpr int kEvaluationLimitsFieldCount = 10;
inline EvaluationLimits2D withFieldNudged(EvaluationLimits2D limits, int field) {
    auto fields =
        std::tie(limits.screen.origin.x, limits.screen.origin.y, limits.screen.size.width,
                 limits.screen.size.height, limits.pixelUnitRatioX, limits.pixelUnitRatioY,
                 limits.minx, limits.miny, limits.maxx, limits.maxy);
    static_assert(std::tuple_size_v<decltype(fields)> == kEvaluationLimitsFieldCount);
    int index = 0;
    std::apply(
        [&](auto&... value) {
            ((index++ == field
                  ? void(value = std::nextafter(
                             value, std::numeric_limits<std::decay_t<decltype(value)>>::infinity()))
                  : void()),
             ...);
        },
        fields);
    return limits;
}

// Windows no builder can walk: NaN, infinite, empty or reversed bounds, ratios that are zero,
// negative, NaN, infinite or beyond any grid, and bounds too far apart for doubles to step.
inline std::vector<EvaluationLimits2D> unusableWindows() {
    return {window(kNaN, 5, -5, 5, 32),
            window(-5, kNaN, -5, 5, 32),
            window(-kInf, 5, -5, 5, 32),
            window(-5, kInf, -5, 5, 32),
            window(5, 5, -5, 5, 32),
            window(5, -5, -5, 5, 32),
            window(-5, 5, 5, -5, 32),
            window(-5, 5, -5, 5, 0),
            window(-5, 5, -5, 5, -32),
            window(-5, 5, -5, 5, kNaN),
            window(-5, 5, -5, 5, kInf),
            window(-5, 5, -5, 5, 1e300),
            window(-1e300, 1e300, -1e300, 1e300, 1),
            EvaluationLimits2D::withWindow(-5, 5, -5, 5, 32, 0)};
}

// A point no sampler writes in the tests' windows: marks storage that must stay untouched.
inline constexpr SamplePoint kSentinel{-7777.0f, -7777.0f};

// The count of leading entries that differ from the sentinel, and whether all after are it.
inline std::size_t writtenPrefix(const std::vector<SamplePoint>& storage) {
    std::size_t written = 0;
    while (written < storage.size() && !(storage[written] == kSentinel)) {
        ++written;
    }
    for (std::size_t i = written; i < storage.size(); ++i) {
        if (!(storage[i] == kSentinel)) {
            ADD_FAILURE() << "storage written at " << i << " after a gap at " << written;
            break;
        }
    }
    return written;
}

}  // namespace plotwise::test
