#include <gtest/gtest.h>

#include <QString>
#include <QVariantMap>
#include <cmath>
#include <vector>

#include "SamplingTestSupport.h"
#include "engine/ExpressionParsing.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"
#include "graph2d/RVEquation2D.h"
#include "graph2d/sampling/EvaluationLimits2D.h"

namespace plotwise {
namespace {

using test::window;

class RVEquation2DTest : public ::testing::Test {
protected:
    std::unique_ptr<RVEquation2D> equation(const char* text) {
        ParsedExpression parsed = parseExpression(toUtf16(text), table.data());
        EXPECT_TRUE(parsed.tree) << text;
        return RVEquation2D::equation2DwithOperationTree(std::move(parsed.tree));
    }
    VariableTable table{};
};

TEST_F(RVEquation2DTest, StoredStateWithADerivativeSamplesItsResult) {
    QVariantMap state;
    state.insert(QStringLiteral("expressionString"), QStringLiteral("y=d/dx(x^2)"));
    auto e = RVEquation2D::equation2DwithStateFromDictionary(state, table.data());
    ASSERT_TRUE(e);
    EXPECT_EQ(e->type(), EquationType::ExplicitY);
    e->evaluateWithLimits(window(-1, 1.1, -3, 3, 32), DeviceClass::Phone);
    ASSERT_NE(e->data(), nullptr);
    // 2x is a straight line: two points per chunk.
    ASSERT_FALSE(e->data()->points().empty());
    EXPECT_EQ(e->data()->points().size() % 2, 0u);
    for (const SamplePoint& p : e->data()->points()) {
        EXPECT_NEAR(p.y, 2 * p.x, 1e-5);
    }
    state.insert(QStringLiteral("expressionString"), QStringLiteral("y=("));
    EXPECT_EQ(RVEquation2D::equation2DwithStateFromDictionary(state, table.data()), nullptr);
}

// y = x + z reads z from the table, which the samplers never write: a sample taken after z
// changed shows whether the evaluation ran again.
bool sampledWithZ(const RVEquation2D& e, double z) {
    const SampleBuffer2D* data = e.data();
    if (data == nullptr || data->points().empty()) {
        return false;
    }
    for (const SamplePoint& p : data->points()) {
        if (std::fabs(p.y - (p.x + z)) > 1e-4) {
            return false;
        }
    }
    return true;
}

// Samples are kept while the limits are exactly the same; hiding drops them, and showing or a new
// expression has the next evaluation sample afresh.
TEST_F(RVEquation2DTest, SamplesFollowTheLimitsVisibilityAndExpression) {
    auto e = equation("y=x+z");
    ASSERT_EQ(e->type(), EquationType::ExplicitY);
    const EvaluationLimits2D limits = window(-2, 2, -3, 3, 40);
    for (int field = 0; field < test::kEvaluationLimitsFieldCount; ++field) {
        table[2] = 0.1 * (field + 1);
        e->evaluateWithLimits(test::withFieldNudged(limits, field), DeviceClass::Phone);
        ASSERT_TRUE(sampledWithZ(*e, 0.1 * (field + 1))) << "a change of field " << field;
        table[2] = 0.0;
        e->evaluateWithLimits(limits, DeviceClass::Phone);
        table[2] = -1.0;
        e->evaluateWithLimits(limits, DeviceClass::Phone);
        EXPECT_TRUE(sampledWithZ(*e, 0.0)) << "identical limits are not sampled again";
        EXPECT_EQ(e->previousEvaluationLimits(), limits);
    }
    EXPECT_EQ(e->dataObjectCount(), e->data()->points().size() - 1);
    e->setVisible(false);
    EXPECT_EQ(e->data(), nullptr);
    EXPECT_EQ(e->dataObjectCount(), 0u);
    e->evaluateWithLimits(limits, DeviceClass::Phone);
    EXPECT_EQ(e->data(), nullptr) << "a hidden equation is not sampled";
    e->setVisible(true);
    e->evaluateWithLimits(limits, DeviceClass::Phone);
    EXPECT_TRUE(sampledWithZ(*e, -1.0)) << "shown again: sampled even with the same limits";

    e->setExpression(parseExpression(u"x^2+y^2=1", table.data()).tree);
    EXPECT_EQ(e->type(), EquationType::Implicit);
    ASSERT_NE(e->data(), nullptr) << "the old samples stay until the next evaluation";
    e->evaluateWithLimits(limits, DeviceClass::Phone);
    ASSERT_NE(e->data(), nullptr);
    for (const SamplePoint& p : e->data()->points()) {
        EXPECT_NEAR(std::hypot(p.x, p.y), 1.0, 0.2);
    }
}

TEST_F(RVEquation2DTest, TraceReadsOffExplicitEquationsWhereTheirSamplesLie) {
    // The trace evaluates the tree, the samples the compiled form: the two must agree.
    for (const char* text : {"y=sin(3x)+x", "x=y^3-2y", "x^2+y^2=4", "r=2", "y<x"}) {
        auto e = equation(text);
        const bool alongX = e->type() == EquationType::ExplicitY;
        const bool traced = alongX || e->type() == EquationType::ExplicitX;
        EXPECT_EQ(e->traceAt(1.5, 2.0).has_value(), traced) << text;
        e->evaluateWithLimits(window(-3, 3, -3, 3, 32), DeviceClass::Phone);
        for (std::uint32_t i = 0; traced && i < e->dataObjectCount(); ++i) {
            const SamplePoint p = e->data()->points()[i];
            const SamplePoint t = e->traceAt(p.x, p.y).value();
            EXPECT_EQ(alongX ? t.x : t.y, alongX ? p.x : p.y) << text;
            const float value = alongX ? p.y : p.x;
            EXPECT_NEAR(alongX ? t.y : t.x, value, 1e-4 * (1 + std::abs(value))) << text;
        }
    }
}

}  // namespace
}  // namespace plotwise
