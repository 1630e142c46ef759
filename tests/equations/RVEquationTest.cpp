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

TEST_F(RVEquationTest, ClassifiesFromTheRelation) {
    struct Case {
        const char* text;
        int type;
        bool isRelop;
    };
    // The kinds themselves are the engine's classification, tested there row by row.
    const std::vector<Case> cases = {
        {"y=2x+1", 1, true},
        {"x^2-y", 6, false},
        {"y≥x^2", 7, true},
    };
    for (const Case& c : cases) {
        auto equation = RVEquation::equationWithOperationTree(parsed(c.text, table));
        EXPECT_EQ(toInt(equation->type()), c.type) << c.text;
        EXPECT_EQ(equation->isRelop(), c.isRelop) << c.text;
    }
}

TEST_F(RVEquationTest, NewEquationFromTreeIsOpaqueRedVisibleAndBlank) {
    auto equation = RVEquation::equationWithOperationTree(parsed("y=x", table));
    EXPECT_EQ(hexStringFromColor(equation->color()), "FF0000");
    EXPECT_TRUE(equation->visible());
    EXPECT_TRUE(equation->caption().isEmpty());
    EXPECT_TRUE(equation->notes().isEmpty());
    EXPECT_FALSE(equation->selected());
    EXPECT_EQ(equation->expression()->variableTable(), table.data());
}

TEST_F(RVEquationTest, StateDictionaryHasTheFiveKeys) {
    auto equation = RVEquation::equationWithOperationTree(parsed("y=x^2", table));
    equation->setCaption(QStringLiteral("c"));
    equation->setNotes(QStringLiteral("n"));
    equation->setVisible(false);
    const QVariantMap state = equation->dictionaryWithState();
    const QStringList expected = {"expressionCaption", "expressionColor", "expressionNotes",
                                  "expressionString", "expressionVisibile"};
    EXPECT_EQ(state.keys(), expected);
    EXPECT_EQ(state.value("expressionString").toString(), "y=x^2");
    EXPECT_EQ(state.value("expressionColor").toString(), "FF0000");
    EXPECT_EQ(state.value("expressionVisibile").typeId(), QMetaType::Bool);
    EXPECT_FALSE(state.value("expressionVisibile").toBool());
    EXPECT_EQ(state.value("expressionCaption").toString(), "c");
    EXPECT_EQ(state.value("expressionNotes").toString(), "n");
}

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
    }
}

TEST_F(RVEquationTest, OnlyTheSourceGivesAVisibleBlankEquationWithoutColour) {
    auto equation =
        RVEquation::equationWithStateFromDictionary(stateWithSource("y=x"), table.data());
    ASSERT_TRUE(equation);
    EXPECT_TRUE(equation->visible());
    EXPECT_TRUE(equation->caption().isEmpty());
    EXPECT_TRUE(equation->notes().isEmpty());
    EXPECT_FALSE(equation->color().isValid());
    // A missing colour stays missing when stored again.
    EXPECT_FALSE(equation->dictionaryWithState().contains("expressionColor"));
}

TEST_F(RVEquationTest, StoredVisibilityHides) {
    QVariantMap state = stateWithSource("y=x");
    state.insert("expressionVisibile", false);
    EXPECT_FALSE(RVEquation::equationWithStateFromDictionary(state, table.data())->visible());
    state.insert("expressionVisibile", 0);
    EXPECT_FALSE(RVEquation::equationWithStateFromDictionary(state, table.data())->visible());
    state.insert("expressionVisibile", 1);
    EXPECT_TRUE(RVEquation::equationWithStateFromDictionary(state, table.data())->visible());
}

TEST_F(RVEquationTest, UnreadableOrWrongKindsOfValuesFallBack) {
    QVariantMap state = stateWithSource("y=x");
    state.insert("expressionColor", QStringLiteral("not a colour"));
    state.insert("expressionCaption", 12);
    state.insert("expressionNotes", QVariantList{1, 2});
    state.insert("expressionVisibile", QStringLiteral("maybe"));
    auto equation = RVEquation::equationWithStateFromDictionary(state, table.data());
    ASSERT_TRUE(equation);
    EXPECT_FALSE(equation->color().isValid());
    EXPECT_TRUE(equation->caption().isEmpty());
    EXPECT_TRUE(equation->notes().isEmpty());
    EXPECT_TRUE(equation->visible());

    state.insert("expressionColor", 0xFF0000);
    EXPECT_FALSE(
        RVEquation::equationWithStateFromDictionary(state, table.data())->color().isValid());
}

TEST_F(RVEquationTest, NoEquationWithoutAParseableSource) {
    EXPECT_FALSE(RVEquation::equationWithStateFromDictionary({}, table.data()));
    EXPECT_FALSE(RVEquation::equationWithStateFromDictionary(stateWithSource("y=("), table.data()));
    EXPECT_FALSE(RVEquation::equationWithStateFromDictionary(stateWithSource(""), table.data()));
    QVariantMap numeric;
    numeric.insert("expressionString", 42);
    EXPECT_FALSE(RVEquation::equationWithStateFromDictionary(numeric, table.data()));
}

TEST_F(RVEquationTest, DerivativeIsCarriedOutAndTheSourceKept) {
    auto equation =
        RVEquation::equationWithStateFromDictionary(stateWithSource("y=d/dx(x^3)"), table.data());
    ASSERT_TRUE(equation);
    EXPECT_FALSE(equation->expression()->containsDerivative());
    EXPECT_EQ(equation->type(), EquationType::ExplicitY);
    EXPECT_EQ(equation->dictionaryWithState().value("expressionString").toString(), "y=d/dx(x^3)");
    // y = 3x² at x = 2: the right-hand side compiles to 12.
    table[0] = 2.0;
    const auto* relation = equation->expression()->root();
    double rightValue = 0;
    relation->forEachChild([&rightValue](const RVOperation& child) { rightValue = child.value(); });
    EXPECT_DOUBLE_EQ(rightValue, 12.0);
}

TEST_F(RVEquationTest, DerivativeBeyondTheWorkBudgetGivesNoEquation) {
    EXPECT_FALSE(RVEquation::equationWithStateFromDictionary(
        stateWithSource("d/dx(d/dx(d/dx(d/dx(d/dx(x^x^x^x^x)))))"), table.data()));
}

TEST_F(RVEquationTest, DefaultColourHalvesAlphaForInequalities) {
    const QColor chosen(0x12, 0x34, 0x56);
    auto explicitEquation = RVEquation::equationWithOperationTree(parsed("y=x", table));
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

TEST_F(RVEquationTest, DictionariesWithStateKeepsOrder) {
    std::vector<std::unique_ptr<RVEquation>> equations;
    for (const char* text : {"y=x", "r=Θ", "x^2+y^2=1"}) {
        equations.push_back(RVEquation::equationWithOperationTree(parsed(text, table)));
    }
    const QVariantList states = dictionariesWithState(equations);
    ASSERT_EQ(states.size(), 3);
    EXPECT_EQ(states[0].toMap().value("expressionString").toString(), "y=x");
    EXPECT_EQ(states[1].toMap().value("expressionString").toString(), "r=Θ");
    EXPECT_EQ(states[2].toMap().value("expressionString").toString(), "x^2+y^2=1");
}

}  // namespace
}  // namespace plotwise
