#include <gtest/gtest.h>

#include <vector>

#include "engine/RVParser.h"
#include "engine/VariableTable.h"
#include "equations/ColorText.h"
#include "equations/RVEquation.h"

namespace plotwise {
namespace {

std::unique_ptr<RVOperationTree> parsed(const char* text, VariableTable& table) {
    RVParser parser;
    auto tree = parser.parse(QString::fromUtf8(text).toStdU16String(), table.data());
    EXPECT_TRUE(tree) << text << ": " << QString::fromStdU16String(parser.error()).toStdString();
    return tree;
}

QVariantMap stateWithSource(const char* text) {
    QVariantMap state;
    state.insert(QStringLiteral("expressionString"), QString::fromUtf8(text));
    return state;
}

class RVEquationTest : public ::testing::Test {
protected:
    VariableTable table{};
};

TEST_F(RVEquationTest, StateRoundTrip) {
    struct Case {
        const char* source;
        QColor color;
        bool visible;
        const char* caption;
        const char* notes;
    };
    const std::vector<Case> cases = {
        {"y=x^2", QColor(0x12, 0xAB, 0x34), true, "Parabola", "notes"},
        {"r=4⋅cos(Θ)", QColor(1, 2, 3, 128), false, "Θ & π <&>", "line one\nline two\r\n"},
        {"y<sin(π⋅x)", QColor::fromRgbF(0.2f, 0.4f, 0.6f, 0.5f), true, "", ""},
        {"x^2 + x*y + y^2 - 2^2", QColor(0, 0, 0), false, "  spaced  ", "\t"},
        {"x=2;x^2", QColor(255, 255, 255, 0), true, "statement", "😀 outside the BMP"},
    };
    for (const Case& c : cases) {
        auto original = RVEquation::equationWithOperationTree(parsed(c.source, table));
        original->setColor(c.color);
        original->setVisible(c.visible);
        original->setCaption(QString::fromUtf8(c.caption));
        original->setNotes(QString::fromUtf8(c.notes));
        const QVariantMap state = original->dictionaryWithState();

        auto restored = RVEquation::equationWithStateFromDictionary(state, table.data());
        ASSERT_TRUE(restored) << c.source;
        EXPECT_EQ(QString::fromStdU16String(restored->expression()->expressionString()),
                  QString::fromUtf8(c.source));
        EXPECT_EQ(hexStringFromColor(restored->color()), hexStringFromColor(c.color));
        EXPECT_EQ(restored->visible(), c.visible);
        EXPECT_EQ(restored->caption(), QString::fromUtf8(c.caption));
        EXPECT_EQ(restored->notes(), QString::fromUtf8(c.notes));
        EXPECT_EQ(restored->type(), original->type());
        EXPECT_EQ(restored->dictionaryWithState(), state) << c.source;
        EXPECT_EQ(state.keys(),
                  (QStringList{"expressionCaption", "expressionColor", "expressionNotes",
                               "expressionString", "expressionVisibile"}));
        EXPECT_EQ(state.value("expressionVisibile").typeId(), QMetaType::Bool);
    }
}

// Stored values of the wrong kind fall back: visible, no colour (which stays missing when stored
// again), blank texts; without a parseable source there is no equation.
TEST_F(RVEquationTest, StoredStatesFallBackOrGiveNoEquation) {
    struct Row {
        QVariantMap state;
        bool loads;
        bool visible;
        bool coloured;
    };
    const QVariantMap wrongKinds = {{"expressionString", "y=x"},
                                    {"expressionColor", "not a colour"},
                                    {"expressionCaption", 12},
                                    {"expressionNotes", QVariantList{1, 2}},
                                    {"expressionVisibile", "maybe"}};
    const std::vector<Row> rows = {
        {stateWithSource("y=x"), true, true, false},
        {wrongKinds, true, true, false},
        {{{"expressionString", "y=x"}, {"expressionColor", 0xFF0000}}, true, true, false},
        {{{"expressionString", "y=x"}, {"expressionVisibile", false}}, true, false, false},
        {{{"expressionString", "y=x"}, {"expressionVisibile", 0}}, true, false, false},
        {{{"expressionString", "y=x"}, {"expressionVisibile", 1}}, true, true, false},
        {{{"expressionString", "y=x"}, {"expressionColor", "12AB34"}}, true, true, true},
        {{}, false, false, false},
        {stateWithSource("y=("), false, false, false},
        {stateWithSource(""), false, false, false},
        {{{"expressionString", 42}}, false, false, false},
    };
    for (const Row& row : rows) {
        auto equation = RVEquation::equationWithStateFromDictionary(row.state, table.data());
        ASSERT_EQ(equation != nullptr, row.loads) << QVariant(row.state).toString().toStdString();
        if (!equation) {
            continue;
        }
        EXPECT_EQ(equation->visible(), row.visible);
        EXPECT_EQ(equation->color().isValid(), row.coloured);
        EXPECT_EQ(equation->dictionaryWithState().contains("expressionColor"), row.coloured);
        EXPECT_TRUE(equation->caption().isEmpty());
        EXPECT_TRUE(equation->notes().isEmpty());
    }
}

TEST_F(RVEquationTest, DerivativeIsCarriedOutAndTheSourceKept) {
    auto equation =
        RVEquation::equationWithStateFromDictionary(stateWithSource("y=d/dx(x^3)"), table.data());
    ASSERT_TRUE(equation);
    EXPECT_FALSE(equation->expression()->containsDerivative());
    EXPECT_EQ(equation->type(), EquationType::ExplicitY);
    EXPECT_EQ(equation->dictionaryWithState().value("expressionString").toString(), "y=d/dx(x^3)");
    table[0] = 2.0;  // y = 3x² stores 12
    EXPECT_DOUBLE_EQ(equation->expression()->value(), 12.0);
}

// A new equation is opaque red, visible and blank; the default colour halves its alpha for
// inequalities.
TEST_F(RVEquationTest, NewEquationsAndTheDefaultColour) {
    const QColor chosen(0x12, 0x34, 0x56);
    auto explicitEquation = RVEquation::equationWithOperationTree(parsed("y=x", table));
    EXPECT_EQ(hexStringFromColor(explicitEquation->color()), "FF0000");
    EXPECT_TRUE(explicitEquation->visible() && !explicitEquation->selected());
    EXPECT_TRUE(explicitEquation->caption().isEmpty() && explicitEquation->notes().isEmpty());
    EXPECT_EQ(explicitEquation->expression()->variableTable(), table.data());
    explicitEquation->setDefaultColorForExpressionType(chosen);
    EXPECT_EQ(hexStringFromColor(explicitEquation->color()), "123456");

    auto inequality = RVEquation::equationWithOperationTree(parsed("y<x", table));
    inequality->setDefaultColorForExpressionType(chosen);
    EXPECT_EQ(hexStringFromColor(inequality->color()), "12345680");

    // Editing the inequality into an equation keeps its colour.
    inequality->setExpression(parsed("y=x", table));
    EXPECT_EQ(inequality->type(), EquationType::ExplicitY);
    EXPECT_EQ(hexStringFromColor(inequality->color()), "12345680");
}

// A subclass classifies in its own setExpression; the two-step initialisers must reach it.
class CountingEquation : public RVEquation {
public:
    void setExpression(std::unique_ptr<RVOperationTree> tree) override {
        RVEquation::setExpression(std::move(tree));
        ++calls;
        setType(static_cast<EquationType>(toInt(type()) + 100));
    }
    int calls = 0;
};

TEST_F(RVEquationTest, SubclassSetExpressionRunsFromTheInitialisers) {
    CountingEquation fromState;
    ASSERT_TRUE(fromState.initWithStateFromDictionary(stateWithSource("y=x"), table.data()));
    EXPECT_EQ(fromState.calls, 1);
    EXPECT_EQ(toInt(fromState.type()), 101);

    CountingEquation fromTree;
    fromTree.initWithOperationTree(parsed("x=y", table));
    EXPECT_EQ(fromTree.calls, 1);
    EXPECT_EQ(toInt(fromTree.type()), 100);
}

}  // namespace
}  // namespace plotwise
