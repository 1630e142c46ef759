#include <gtest/gtest.h>

#include "Graph3DTestSupport.h"
#include "graph3d/EquationMesh3D.h"

namespace plotwise {
namespace {

using test::viewLimits;

struct Held {
    std::unique_ptr<VariableTable> table = std::make_unique<VariableTable>();
    std::unique_ptr<RVOperationTree> tree;
    EquationMesh3D mesh;

    explicit Held(const char* text) { set(text); }
    void set(const char* text) {
        ParsedExpression parsed = parseExpression(toUtf16(text), table->data());
        ASSERT_TRUE(parsed.tree) << text;
        tree = std::move(parsed.tree);
        mesh.setExpression(tree.get(), classifyExpression(*tree).equationType);
    }
};

class EquationMesh : public ::testing::TestWithParam<DeviceClass> {
protected:
    DeviceClass device() const { return GetParam(); }
};

TEST_P(EquationMesh, CalculatingUntilTheFirstEvaluation) {
    Held e("z=x*y");
    EXPECT_TRUE(e.mesh.calculating());
    EXPECT_EQ(e.mesh.dataObjectCount(), 0u);
    EXPECT_TRUE(e.mesh.evaluateWithLimits(viewLimits(EquationType::ExplicitZ, device()), true,
                                          device(), true));
    EXPECT_FALSE(e.mesh.calculating());
    EXPECT_TRUE(e.mesh.invalidVBO());
    EXPECT_GT(e.mesh.dataObjectCount(), 0u);
    EXPECT_EQ(e.mesh.dataObjectCount(),
              static_cast<std::uint32_t>(e.mesh.horizontalSteps() * e.mesh.verticalSteps()));
}

TEST_P(EquationMesh, LimitsWithinOneHundredthKeepTheMesh) {
    Held e("z=x*y");
    const EvaluationLimits3D limits = viewLimits(EquationType::ExplicitZ, device());
    ASSERT_TRUE(e.mesh.evaluateWithLimits(limits, true, device(), true));
    e.mesh.setInvalidVBO(false);
    EvaluationLimits3D near = limits;
    near.min += 0.009f;
    near.max -= 0.009f;
    near.step += 0.009f;
    near.targetValue += 0.009f;
    EXPECT_FALSE(e.mesh.evaluateWithLimits(near, true, device(), true));
    EXPECT_FALSE(e.mesh.invalidVBO());
    EvaluationLimits3D far = limits;
    far.max += 0.011f;
    EXPECT_TRUE(e.mesh.evaluateWithLimits(far, true, device(), true));
    EXPECT_TRUE(e.mesh.invalidVBO());
    EXPECT_EQ(e.mesh.previousEvaluationLimits().max, far.max);
}

TEST_P(EquationMesh, NewExpressionRebuildsWithTheSameLimits) {
    Held e("z=x*y");
    const EvaluationLimits3D limits = viewLimits(EquationType::ExplicitZ, device());
    ASSERT_TRUE(e.mesh.evaluateWithLimits(limits, true, device(), true));
    const std::uint32_t before = e.mesh.dataIndexCount();
    e.set("z=100+x");  // every point beyond 70: no triangles
    EXPECT_EQ(e.mesh.previousEvaluationLimits().targetValue, -1.0f);
    EXPECT_TRUE(e.mesh.evaluateWithLimits(limits, true, device(), true));
    EXPECT_GT(before, 0u);
    EXPECT_EQ(e.mesh.dataIndexCount(), 0u);
    EXPECT_GT(e.mesh.dataObjectCount(), 0u);
}

TEST_P(EquationMesh, HiddenEquationWaitsUntilVisible) {
    Held e("x^2+y^2+z^2-4");
    const EvaluationLimits3D limits = viewLimits(EquationType::Implicit, device());
    EXPECT_FALSE(e.mesh.evaluateWithLimits(limits, false, device(), true));
    EXPECT_TRUE(e.mesh.calculating());
    EXPECT_EQ(e.mesh.dataObjectCount(), 0u);
    EXPECT_TRUE(e.mesh.evaluateWithLimits(limits, true, device(), true));
    EXPECT_GT(e.mesh.dataObjectCount(), 0u);
    // A hidden equation keeps its mesh and cache key when the limits change.
    const std::uint32_t count = e.mesh.dataObjectCount();
    EXPECT_FALSE(e.mesh.evaluateWithLimits(viewLimits(EquationType::Implicit, device(), 2.0f),
                                           false, device(), true));
    EXPECT_EQ(e.mesh.dataObjectCount(), count);
    EXPECT_EQ(e.mesh.previousEvaluationLimits().max, limits.max);
}

TEST_P(EquationMesh, EveryKindBuildsItsMesh) {
    for (const char* text : {"z=y^2/16-x^2/25", "r=2sin(4Θ+cos(4Φ))", "(x^4+y^4+z^4)/10=50",
                             "(x^2+y^2+z^2+4^2-2^2)^2 - 4*4^2*(x^2+y^2)<0"}) {
        Held e(text);
        const EquationType type = e.mesh.type();
        ASSERT_TRUE(e.mesh.evaluateWithLimits(viewLimits(type, device()), true, device(), true))
            << text;
        EXPECT_GT(e.mesh.dataIndexCount(), 0u) << text;
        EXPECT_EQ(e.mesh.dataIndexCount() % 3, 0u);
        for (const std::uint32_t index : e.mesh.mesh().indices) {
            ASSERT_LT(index, e.mesh.dataObjectCount());
        }
        for (const std::uint32_t index : e.mesh.mesh().lineIndices) {
            ASSERT_LT(index, e.mesh.dataObjectCount());
        }
        const Mesh3D taken = e.mesh.takeMesh();
        EXPECT_FALSE(taken.empty());
        EXPECT_EQ(e.mesh.dataObjectCount(), 0u);
    }
}

INSTANTIATE_TEST_SUITE_P(Devices, EquationMesh, test::kDevices, test::deviceParamName);

}  // namespace
}  // namespace plotwise
