#include <gtest/gtest.h>

#include <QColor>
#include <QVariantMap>
#include <algorithm>

#include "Graph3DTestSupport.h"
#include "graph3d/RVEquation3D.h"

namespace plotwise {
namespace {

using test::viewLimits;

std::unique_ptr<RVEquation3D> fromText(const char* text, VariableTable& table) {
    ParsedExpression parsed = parseExpression(toUtf16(text), table.data());
    EXPECT_TRUE(parsed.tree) << text;
    return RVEquation3D::equation3DwithOperationTree(std::move(parsed.tree));
}

TEST(RVEquation3D, StoredEquationCarriesOutItsDerivativeAndVisibility) {
    VariableTable table{};
    QVariantMap state;
    state.insert(RVEquation::expressionStringKey, QStringLiteral("x=d/dz(e^(-4(z^2+y^2)))"));
    state.insert(RVEquation::expressionColorKey, QStringLiteral("000000"));
    state.insert(RVEquation::expressionVisibleKey, false);
    auto equation = RVEquation3D::equation3DwithStateFromDictionary(state, table.data());
    ASSERT_TRUE(equation);
    EXPECT_EQ(equation->type(), EquationType::ExplicitX);
    EXPECT_TRUE(equation->calculating());
    const EvaluationLimits3D limits = viewLimits(EquationType::ExplicitX, DeviceClass::Tablet);
    // Hidden: not evaluated until it is visible and asked again.
    EXPECT_FALSE(equation->evaluateWithLimits(limits, DeviceClass::Tablet, true));
    EXPECT_EQ(equation->dataObjectCount(), 0u);
    equation->setVisible(true);
    EXPECT_TRUE(equation->evaluateWithLimits(limits, DeviceClass::Tablet, true));
    EXPECT_EQ(equation->dataObjectCount(), 41u * 41u);

    state.insert(RVEquation::expressionStringKey, QStringLiteral("x^2+"));
    EXPECT_FALSE(RVEquation3D::equation3DwithStateFromDictionary(state, table.data()));
}

TEST(RVEquation3D, CompareAlphaPutsOpaqueEquationsFirst) {
    VariableTable table{};
    auto opaque = fromText("z=x", table);
    auto glass = fromText("z<x", table);
    auto other = fromText("z=y", table);
    opaque->setColor(QColor::fromRgbF(1, 0, 0, 1));
    glass->setColor(QColor::fromRgbF(0, 1, 0, 0.5));
    other->setColor(QColor::fromRgbF(0, 0, 1, 1));
    EXPECT_EQ(opaque->compareAlpha(*glass), -1);
    EXPECT_EQ(glass->compareAlpha(*opaque), 1);
    EXPECT_EQ(opaque->compareAlpha(*other), 0);
    std::vector<RVEquation3D*> order = {glass.get(), opaque.get(), other.get()};
    std::stable_sort(order.begin(), order.end(), [](const RVEquation3D* a, const RVEquation3D* b) {
        return a->compareAlpha(*b) < 0;
    });
    EXPECT_EQ(order.back(), glass.get());
}

}  // namespace
}  // namespace plotwise
