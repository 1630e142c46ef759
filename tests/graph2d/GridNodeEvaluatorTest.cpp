#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <vector>

#include "GridNodeEvaluator.h"
#include "SamplingTestSupport.h"

namespace plotwise::test {
namespace {

bool sameValue(double a, double b) {
    if (std::isnan(a) || std::isnan(b)) {
        return std::isnan(a) && std::isnan(b);
    }
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

// Points on a grid, a few hundred (more than one batch chunk), with some special ones.
void nodes(std::vector<double>& x, std::vector<double>& y) {
    for (int i = -12; i <= 12; ++i) {
        for (int j = -15; j <= 15; ++j) {
            x.push_back(static_cast<float>(0.37 * i));
            y.push_back(static_cast<float>(0.29 * j));
        }
    }
    for (double special : {0.0, -0.0, 1e-300, 1e30, -1e30, kInf, -kInf, kNaN}) {
        x.push_back(special);
        y.push_back(1.0);
        x.push_back(1.0);
        y.push_back(special);
    }
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
    };
    for (const char* text : texts) {
        ParsedEquation equation(text);
        // Slots the grid does not write keep their table values, in both ways of evaluating.
        equation.table()[2] = 0.5;
        equation.table()[5] = -0.25;
        std::vector<double> x;
        std::vector<double> y;
        nodes(x, y);
        std::vector<double> values(x.size());
        std::vector<std::uint8_t> inside(x.size());
        GridNodeEvaluator evaluator(equation.data());
        evaluator.evaluate(x.size(), x.data(), y.data(), values.data(), inside.data());
        EXPECT_EQ(evaluator.evaluatedNodeCount(), x.size());
        for (std::size_t i = 0; i < x.size(); ++i) {
            const OneAtATime expected = evaluateOne(equation, x[i], y[i]);
            EXPECT_TRUE(sameValue(values[i], expected.value))
                << text << " at " << x[i] << ", " << y[i] << ": " << values[i] << " vs "
                << expected.value;
            EXPECT_EQ(inside[i] != 0, expected.inside) << text << " at " << x[i] << ", " << y[i];
        }
    }
}

TEST(GridNodeEvaluator, RelationValueIsRightMinusLeft) {
    ParsedEquation circle("x^2+y^2=4");
    const double x[] = {0.0, 2.0, 3.0};
    const double y[] = {0.0, 0.0, 4.0};
    double values[3];
    std::uint8_t inside[3];
    GridNodeEvaluator evaluator(circle.data());
    evaluator.evaluate(3, x, y, values, inside);
    EXPECT_EQ(values[0], 4.0);
    EXPECT_EQ(values[1], 0.0);
    EXPECT_EQ(values[2], -21.0);
    EXPECT_EQ(inside[0], 0);
    EXPECT_EQ(inside[1], 1);  // "=" holds exactly on the circle
    EXPECT_EQ(inside[2], 0);
}

TEST(GridNodeEvaluator, PolarCoordinatesAreSinglePrecision) {
    ParsedEquation radius("r");
    ParsedEquation angle("Θ");
    const double x[] = {1.0, 0.1, -1.0};
    const double y[] = {1.0, 0.2, 0.0};
    double values[3];
    GridNodeEvaluator(radius.data()).evaluate(3, x, y, values, nullptr);
    for (std::size_t i = 0; i < 3; ++i) {
        const auto fx = static_cast<float>(x[i]);
        const auto fy = static_cast<float>(y[i]);
        EXPECT_EQ(values[i], static_cast<double>(std::sqrt(fx * fx + fy * fy))) << i;
    }
    GridNodeEvaluator(angle.data()).evaluate(3, x, y, values, nullptr);
    EXPECT_EQ(values[0], static_cast<double>(std::atan2(1.0f, 1.0f)));
    EXPECT_EQ(values[2], static_cast<double>(std::atan2(0.0f, -1.0f)));
}

}  // namespace
}  // namespace plotwise::test
