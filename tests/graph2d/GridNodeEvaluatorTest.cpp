#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "SamplingTestSupport.h"
#include "graph2d/sampling/GridNodeEvaluator.h"

namespace plotwise::test {
namespace {

// Node columns: x values, and for each the same y values, a few hundred (more than one batch
// chunk), with special values among both.
std::vector<double> columnsX() {
    std::vector<double> x;
    for (int i = -12; i <= 12; ++i) {
        x.push_back(static_cast<float>(0.37 * i));
    }
    for (double special : {0.0, -0.0, 1e-300, 1e30, -1e30, kInf, -kInf, kNaN}) {
        x.push_back(special);
    }
    return x;
}

std::vector<double> columnY() {
    std::vector<double> y;
    for (int j = -150; j <= 150; ++j) {
        y.push_back(static_cast<float>(0.029 * j));
    }
    for (double special : {0.0, -0.0, 1e-300, 1e30, -1e30, kInf, -kInf, kNaN}) {
        y.push_back(special);
    }
    return y;
}

// What one-at-a-time evaluation of the compiled records gives at one node: the root, or for a
// relation its two compiled operands apart and the relation record itself.
struct OneAtATime {
    double value;
    bool inside;
};

OneAtATime evaluateOne(ParsedEquation& equation, double x, double y) {
    VariableTable& table = equation.table();
    const auto fx = static_cast<float>(x);
    const auto fy = static_cast<float>(y);
    table[0] = x;
    table[1] = y;
    table[3] = equation.data().containsR ? std::sqrt(fx * fx + fy * fy) : 0.0;
    table[4] = equation.data().containsTheta ? std::atan2(fy, fx) : 0.0;
    // Subtrees the compiled form computes once go first, as its own evaluate() runs them.
    for (const SharedValue& shared : equation.data().expressionNode.sharedValues()) {
        *shared.slot = shared.value->evaluate(shared.value);
    }
    const OperationNode* root = equation.data().expressionNode.root();
    if (root->isRelation && root->kind == kOperationTwoOperands) {
        const OperationNode* left = root->data.operands[0];
        const OperationNode* right = root->data.operands[1];
        const double l = left->evaluate(left);
        const double r = right->evaluate(right);
        return {r - l, root->evaluate(root) != 0.0};
    }
    return {root->evaluate(root), false};
}

TEST(GridNodeEvaluator, BatchValuesAreThoseOfOneAtATimeEvaluation) {
    const char* texts[] = {
        "x^2+y^2=4",
        "x^2+y^2<1",
        "sin(x)-cos(y)^2",
        "y<sin(5r)",
        "r^2=2^2⋅sin(2Θ)",
        "r^2=sin(3Θ)^2+cos(0.8-r)",
        "x^2 + x⋅y + y^2 - 2^2",
        "y≠x",
        "y≥√x",
        "x⋅y+z≤Φ",
        "ln(x)>abs(y)",
        "max(x,y)>min(x,y)",
        "1/x",
        "if(x<0,-y,y)",
        "x=x",
        "3≥x⋅y",
        "0=x-y",
        "100⋅sin(7⋅√(x^2+y^2))/(1+√(x^2+y^2))^2",
        "cos(y)^2⋅x+cos(y)^2<sin(x)",
        "x^2 + x*y + y^2 - 2^2",
        "sin(x) - cos(y)^2",
        "r^2=2^2*sin(2Θ)",
    };
    for (const char* text : texts) {
        ParsedEquation equation(text);
        // Slots the grid does not write keep their table values, in both ways of evaluating.
        equation.table()[2] = 0.5;
        equation.table()[5] = -0.25;
        const std::vector<double> y = columnY();
        std::vector<double> values(y.size());
        std::vector<std::uint8_t> inside(y.size());
        GridNodeEvaluator evaluator(equation.data());
        std::size_t evaluated = 0;
        for (double x : columnsX()) {
            evaluator.evaluateColumn(x, y.size(), y.data(), values.data(), inside.data());
            evaluated += y.size();
            EXPECT_EQ(evaluator.evaluatedNodeCount(), evaluated);
            for (std::size_t i = 0; i < y.size(); ++i) {
                const OneAtATime expected = evaluateOne(equation, x, y[i]);
                EXPECT_TRUE(sameValue(values[i], expected.value))
                    << text << " at " << x << ", " << y[i] << ": " << values[i] << " vs "
                    << expected.value;
                EXPECT_EQ(inside[i] != 0, expected.inside) << text << " at " << x << ", " << y[i];
            }
        }
    }
}

TEST(GridNodeEvaluator, RelationValueIsRightMinusLeft) {
    ParsedEquation circle("x^2+y^2=4");
    const double y[] = {0.0, 2.0, 4.0};
    double values[3];
    std::uint8_t inside[3];
    GridNodeEvaluator evaluator(circle.data());
    evaluator.evaluateColumn(0.0, 3, y, values, inside);
    EXPECT_EQ(values[0], 4.0);
    EXPECT_EQ(values[1], 0.0);
    EXPECT_EQ(values[2], -12.0);
    EXPECT_EQ(inside[0], 0);
    EXPECT_EQ(inside[1], 1);  // "=" holds exactly on the circle
    EXPECT_EQ(inside[2], 0);
}

TEST(GridNodeEvaluator, PolarCoordinatesAreSinglePrecision) {
    ParsedEquation radius("r");
    ParsedEquation angle("Θ");
    const double y[] = {1.0, 0.2, 0.0};
    double values[3];
    GridNodeEvaluator(radius.data()).evaluateColumn(0.1, 3, y, values, nullptr);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto fy = static_cast<float>(y[i]);
        EXPECT_EQ(values[i], static_cast<double>(std::sqrt(0.1f * 0.1f + fy * fy))) << i;
    }
    GridNodeEvaluator(angle.data()).evaluateColumn(-1.0, 3, y, values, nullptr);
    EXPECT_EQ(values[0], static_cast<double>(std::atan2(1.0f, -1.0f)));
    EXPECT_EQ(values[2], static_cast<double>(std::atan2(0.0f, -1.0f)));
}

}  // namespace
}  // namespace plotwise::test
