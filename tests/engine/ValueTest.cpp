#include <gtest/gtest.h>

#include <cmath>
#include <numbers>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/FunctionLibrary.h"
#include "engine/RVFunction.h"
#include "engine/RVParser.h"
#include "engine/RVRelationOperation.h"
#include "engine/RVVariable.h"

namespace plotwise {
namespace {

using test::kInf;
using test::kNaN;
using test::u16;
using test::utf8;

const double kPi = std::numbers::pi;

struct Evaluation {
    double tree = kNaN;
    double compiled = kNaN;
};

// Parses the text and evaluates the tree and its compiled form, each from the same table.
Evaluation evaluate(const std::string& text, const VariableTable& slots) {
    VariableTable table = slots;
    RVParser parser;
    auto tree = parser.parse(u16(text), table.data());
    if (!tree) {
        ADD_FAILURE() << "\"" << text << "\" did not parse: " << utf8(parser.error());
        return {};
    }
    Evaluation result;
    table = slots;
    result.tree = tree->value();
    table = slots;
    const CompiledExpression compiled = tree->compile();
    result.compiled = compiled.evaluate();
    return result;
}

VariableTable slotsXY(double x, double y) {
    return VariableTable{x, y, 0, 0, 0, 0};
}

// Rows evaluated with x and y in their slots; the tree and the compiled form must both give the
// expected value, bit for bit (all NaNs equal).
struct ValueRow {
    const char* name;
    const char* text;
    double x;
    double y;
    double expected;
};

// One test per table, each row traced by name: the tables are long, and one process per row
// would dominate the suite's time under AddressSanitizer.
template <size_t N>
void expectRows(const ValueRow (&rows)[N]) {
    for (const ValueRow& row : rows) {
        SCOPED_TRACE(std::string(row.name) + " \"" + row.text +
                     "\" x=" + test::describeDouble(row.x) + " y=" + test::describeDouble(row.y));
        const Evaluation e = evaluate(row.text, slotsXY(row.x, row.y));
        EXPECT_SAME_VALUE(row.expected, e.tree);
        EXPECT_SAME_VALUE(row.expected, e.compiled);
    }
}

// ---------------------------------------------------------------------------------------------
// The grammar's values: precedence, implicit products, case, blanks, statements.

const ValueRow kSyntaxRows[] = {
    {"PowerAssociatesRight", "2^3^2", 0, 0, 512},
    {"MinusBindsLooserThanPower", "-2^2", 0, 0, -4},
    {"ExponentMinusAppliesToChain", "2^-1^2", 0, 0, 0.5},
    {"RootOfSignedRadicand", "3√-8", 0, 0, -2},
    {"ImplicitProducts", "2x+2(x+1)+x y+2e", 3, 5, 6 + 8 + 15 + 2 * std::numbers::e},
    {"ImplicitFunction", "2sin(x)", 3, 0, 2 * std::sin(test::opaque(3.0))},
    {"UpperCaseFunction", "SIN(x)", 0.5, 0, std::sin(test::opaque(0.5))},
    {"MixedCaseTwoArguments", "LogN(2,8)", 0, 0,
     std::log(test::opaque(8.0)) / std::log(test::opaque(2.0))},
    {"WhitespaceAnywhere", " 1 +\t2\u00A0⋅ 3 ", 0, 0, 7},
    {"TrailingPointNumber", "5.+1", 0, 0, 6},
    {"RelationOfSums", "x+1≥2x-1", 2, 0, 1},
    {"NamedConstants", "π-e", 0, 0, kPi - std::numbers::e},
};

TEST(Syntax, RowsOfTheGrammar) {
    expectRows(kSyntaxRows);
}

// ---------------------------------------------------------------------------------------------
// Power a^b: |b| >= 1 or NaN is pow; otherwise the 1/b-th root, real for negative a only when
// 1/b is an odd integer, and NaN when a·ln|1/b| < -1021.

const ValueRow kPowerRows[] = {
    {"TwoToTheHalfIsRootTwo", "x^y", 2, 0.5, std::sqrt(test::opaque(2.0))},
    {"NegativeEightCubeRoot", "x^y", -8, 1.0 / 3.0, -2},
    {"NegativeEightSquareRootIsNaN", "x^y", -8, 0.5, kNaN},
    {"ZeroToTheZero", "x^y", 0, 0, 1},
    {"TwoToMinusOne", "x^y", 2, -1, 0.5},
    {"NegativeBaseEvenDegreeIsNaN", "x^y", -8, 2.0 / 3.0, kNaN},
    {"NegativeBaseNegativeOddDegree", "x^y", -8, -1.0 / 3.0, -0.5},
    {"NegativeBaseIntegerExponent", "x^y", -2, 3, -8},
    {"NegativeBaseFractionAboveOneIsNaN", "x^y", -2, 1.5, kNaN},
    {"NaNExponent", "x^y", 2, kNaN, kNaN},
    {"OneToTheNaNIsPowOne", "x^y", 1, kNaN, 1},
    {"ZeroToMinusOne", "x^y", 0, -1, kInf},
    {"MinusInfinityCubeRootIsNaN", "x^y", -kInf, 1.0 / 3.0, kNaN},
    // b = 0 gives an infinite degree, so a·ln|n| is -∞ for every negative a.
    {"NegativeBaseToTheZeroIsNaN", "x^y", -5, 0, kNaN},
    {"Overflow", "x^y", 10, 400, kInf},
    {"NonIntegerExponent", "x^y", 2, 1.5, std::pow(test::opaque(2.0), 1.5)},
    // Constant exponents get records of their own in the compiled form.
    {"ConstantReciprocal", "x^-1", 4, 0, 0.25},
    {"ConstantReciprocalOfZero", "x^-1", -0.0, 0, -kInf},
    {"ConstantHalfOfNegativeIsNaN", "x^0.5", -4, 0, kNaN},
    {"ConstantThirdOfNegative", "x^(1/3)", -8, 0, -2},
};

TEST(Power, RowsAgainstTheDomainRules) {
    expectRows(kPowerRows);
}

// Root n√a: n = 2 is the square root; otherwise the rule of the power operator with degree n.
const ValueRow kRootRows[] = {
    {"SquareRoot", "x√y", 2, 16, 4},
    {"SquareRootOfNegativeIsNaN", "x√y", 2, -4, kNaN},
    {"SquareRootOfNegativeZero", "x√y", 2, -0.0, -0.0},
    {"ZeroIndexIsNaN", "x√y", 0, 8, kNaN},
    {"CubeRootOfNegative", "x√y", 3, -27, -3},
    {"CubeRootOfMinusThousandIsNaN", "x√y", 3, -1000, kNaN},
    {"EvenRootOfNegativeIsNaN", "x√y", 4, -16, kNaN},
    {"NegativeIndex", "x√y", -3, 8, 0.5},
    {"NegativeOddIndexNegativeRadicand", "x√y", -3, -8, -0.5},
    {"HalfIndexSquares", "x√y", 0.5, 4, 16},
    {"HalfIndexLargeRadicandIsNaN", "x√y", 0.5, 2000, kNaN},
    {"FirstRoot", "x√y", 1, 7.25, 7.25},
    {"NaNIndex", "x√y", kNaN, 4, kNaN},
};

TEST(Root, RowsAgainstTheDomainRules) {
    expectRows(kRootRows);
}

// ---------------------------------------------------------------------------------------------
// Sums fold left from 0, products from 1, each holder applying its own operator.

const ValueRow kFoldRows[] = {
    {"LeadingDivideInProductText", "x/y⋅3", 1, 4, 0.75},
    // Left to right in floating point: ((0.1 + 0.2) + 0.3), not 0.1 + (0.2 + 0.3).
    {"RoundingFollowsLeftFold", "0.1+0.2+0.3", 0, 0, (0.1 + 0.2) + 0.3},
    {"CancellationFollowsLeftFold", "x+1-x", 1e16, 0, (1e16 + 1.0) - 1e16},
    {"ProductRoundingFollowsLeftFold", "x⋅0.1⋅3", 3, 0, (3 * 0.1) * 3},
    // The sum starts from +0, so two negative zeros add up to +0.
    {"SumOfNegativeZerosIsPositiveZero", "x+y", -0.0, -0.0, 0.0},
    {"DifferenceFromNegativeZeroIsPositiveZero", "x-y", -0.0, 0.0, 0.0},
    {"ProductKeepsNegativeZero", "x⋅y", -0.0, 1, -0.0},
    {"LoneNegativeZeroIsNotASum", "x", -0.0, 0, -0.0},
    {"NegatedZero", "-x", 0, 0, -0.0},
    {"InfinityMinusInfinity", "x-y", kInf, kInf, kNaN},
    {"InfinityTimesZero", "1/x⋅x", 0, 0, kNaN},
    {"DivisionByNegativeZero", "1/x", -0.0, 0, -kInf},
};

TEST(Fold, RowsAgainstLeftFolds) {
    expectRows(kFoldRows);
}

// ---------------------------------------------------------------------------------------------
// Relations: exactly 1 or 0; every comparison with NaN is false except "≠".

TEST(Relation, EveryOperatorOnOrderedAndNaNPairs) {
    struct Operator {
        const char* text;  // "(x)" keeps "=" from being an explicit equation
        bool (*holds)(double, double);
    };
    const Operator operators[] = {
        {"(x)=y", [](double a, double b) { return a == b; }},
        {"x>y", [](double a, double b) { return a > b; }},
        {"x<y", [](double a, double b) { return a < b; }},
        {"x≤y", [](double a, double b) { return a <= b; }},
        {"x≥y", [](double a, double b) { return a >= b; }},
        {"x≠y", [](double a, double b) { return a != b; }},
    };
    const double pairs[][2] = {{1, 2},       {2, 1},       {2, 2},      {kNaN, 1}, {1, kNaN},
                               {kNaN, kNaN}, {kInf, kInf}, {-0.0, 0.0}, {-kInf, 5}};
    for (const Operator& op : operators) {
        for (const auto& pair : pairs) {
            SCOPED_TRACE(std::string(op.text) + " with " + test::describeDouble(pair[0]) + ", " +
                         test::describeDouble(pair[1]));
            const double expected = op.holds(pair[0], pair[1]) ? 1.0 : 0.0;
            const Evaluation e = evaluate(op.text, slotsXY(pair[0], pair[1]));
            EXPECT_SAME_VALUE(expected, e.tree);
            EXPECT_SAME_VALUE(expected, e.compiled);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// The function library: the edges of each domain. (A function wired to the wrong formula is
// caught by the derivative suite, which compares each function's derivative with its own
// finite differences.)

const ValueRow kFunctionRows[] = {
    {"AbsOfNegative", "abs(x)", -2, 0, 2},
    // "-u when u < 0, else u": -0 is not below 0 and comes back unchanged.
    {"AbsOfNegativeZeroKeepsSign", "abs(x)", -0.0, 0, -0.0},
    {"AcosOfTwoIsNaN", "acos(x)", 2, 0, kNaN},
    {"AtanInfinity", "atan(x)", kInf, 0, kPi / 2},
    {"CeilNegative", "ceil(x)", -1.2, 0, -1},
    {"CeilToNegativeZero", "ceil(x)", -0.5, 0, -0.0},
    {"CosInfinityIsNaN", "cos(x)", kInf, 0, kNaN},
    {"CotZeroIsInfinity", "cot(x)", 0, 0, kInf},
    {"CotNegativeZero", "cot(x)", -0.0, 0, -kInf},
    // cosh ∞ / sinh ∞ is ∞/∞.
    {"CothInfinityIsNaN", "coth(x)", kInf, 0, kNaN},
    {"CscZero", "csc(x)", 0, 0, kInf},
    {"CschInfinity", "csch(x)", kInf, 0, 0},
    {"UnsimplifiedDerivativeIsZero", "d/dx(x^2)", 3, 0, 0},
    {"UnsimplifiedDerivativeInSum", "1+d/dy(y⋅x)", 3, 2, 1},
    {"FloorNegative", "floor(x)", -1.5, 0, -2},
    {"IfZeroChoosesElse", "if(x,1,2)", 0, 0, 2},
    {"IfNegativeZeroChoosesElse", "if(x,1,2)", -0.0, 0, 2},
    {"IfNegativeHalfChoosesThen", "if(x,1,2)", -0.5, 0, 1},
    {"IfNaNChoosesThen", "if(x,1,2)", kNaN, 0, 1},
    {"IfConstantCondition", "if(0,x,y)", 1, 2, 2},
    {"LnZero", "ln(x)", 0, 0, -kInf},
    {"LnOfMinusOneIsNaN", "ln(x)", -1, 0, kNaN},
    {"SecZero", "sec(x)", 0, 0, 1},
    {"SechInfinity", "sech(x)", kInf, 0, 0},
    {"SinhInfinity", "sinh(x)", kInf, 0, kInf},
    {"TanhInfinity", "tanh(x)", kInf, 0, 1},
    // No derivative rule: pinned here.
    {"TodegPi", "todeg(x)", kPi, 0, kPi * 57.29577951308232},
    {"ToradHundredEighty", "torad(x)", 180, 0, 180 * 0.017453292519943295},
    {"ModNegativeKeepsSign", "mod(x,y)", -7, 3, -1},
    {"ModByZeroIsNaN", "mod(x,y)", 7, 0, kNaN},
    {"ModOfInfinityIsNaN", "mod(x,y)", kInf, 2, kNaN},
    {"ModByInfinity", "mod(x,y)", 3, kInf, 3},
    {"LognBaseOne", "logn(x,y)", 1, 8, kInf},
    {"ConstantArgumentFolded", "sin(0.5)+x", 0, 0, std::sin(test::opaque(0.5))},
};

TEST(FunctionLibrary, RowsOfEveryFunction) {
    expectRows(kFunctionRows);
}

// NaN in, NaN out: every function but "if" and the derivative gives NaN for NaN arguments.
TEST(FunctionLibrary, NaNArgumentsGiveNaN) {
    for (const FunctionDefinition& f : functionRegistry()) {
        const std::string name = utf8(f.functionName);
        if (name == "if" || name == "d/d") {
            continue;
        }
        std::string text = name + "(x";
        for (int i = 1; i < f.validParameterCount; ++i) {
            text += ",x";
        }
        text += ")";
        SCOPED_TRACE(text);
        const Evaluation e = evaluate(text, slotsXY(kNaN, 0));
        EXPECT_TRUE(std::isnan(e.tree));
        EXPECT_TRUE(std::isnan(e.compiled));
    }
}

// max and min: the tree compares (a NaN comparison picks the second argument), the compiled
// form uses fmax/fmin (a NaN operand gives the other one).
TEST(FunctionLibrary, MaxMinNaNDifferenceBetweenTreeAndCompiledForm) {
    struct Row {
        const char* text;
        double x;
        double y;
        double tree;
        double compiled;
    };
    const Row rows[] = {
        {"max(x,y)", kNaN, 1, 1, 1},          {"max(x,y)", 1, kNaN, kNaN, 1},
        {"min(x,y)", kNaN, 1, 1, 1},          {"min(x,y)", 1, kNaN, kNaN, 1},
        {"max(x,y)", kNaN, kNaN, kNaN, kNaN}, {"min(x,y)", kNaN, kNaN, kNaN, kNaN},
        {"max(0/0,1)", 0, 0, 1, 1},           {"max(1,0/0)", 0, 0, kNaN, 1},
        {"min(1,0/0)", 0, 0, kNaN, 1},        {"max(x,y)", -0.0, 0.0, 0.0, 0.0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(std::string(row.text) + " x=" + test::describeDouble(row.x) +
                     " y=" + test::describeDouble(row.y));
        const Evaluation e = evaluate(row.text, slotsXY(row.x, row.y));
        EXPECT_SAME_VALUE(row.tree, e.tree);
        if (std::isnan(row.compiled) || row.compiled != 0.0) {
            EXPECT_SAME_VALUE(row.compiled, e.compiled);
        } else {
            EXPECT_EQ(row.compiled, e.compiled);  // fmax may return either zero
        }
    }
}

// Only the chosen branch of "if" is evaluated. An assignment flag set by hand on a branch makes
// the evaluation visible in the table.
TEST(FunctionLibrary, IfEvaluatesOnlyTheChosenBranch) {
    for (const size_t assigned : {1u, 2u}) {
        const std::string text = assigned == 1 ? "if(x,y=5,2)" : "if(x,2,y=5)";
        for (double condition : {0.0, 1.0}) {
            SCOPED_TRACE(text + " with x=" + std::to_string(condition));
            VariableTable table = slotsXY(condition, -1);
            RVParser parser;
            auto tree = parser.parse(u16(text), table.data());
            ASSERT_NE(tree, nullptr);
            auto* function = dynamic_cast<RVFunction*>(tree->root());
            ASSERT_NE(function, nullptr);
            auto* branch =
                dynamic_cast<RVRelationOperation*>(function->arguments()[assigned].get());
            ASSERT_NE(branch, nullptr);
            ASSERT_TRUE(branch->isExplicit());
            branch->setIsAssignment(true);
            const bool chosen = (condition != 0.0) == (assigned == 1);
            const double expected = chosen ? 5.0 : 2.0;
            const double expectedY = chosen ? 5.0 : -1.0;

            EXPECT_EQ(tree->value(), expected);
            EXPECT_EQ(table[1], expectedY);
            table[1] = -1;
            const CompiledExpression compiled = tree->compile();
            EXPECT_EQ(compiled.evaluate(), expected);
            EXPECT_EQ(table[1], expectedY);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Classification of relations.

// The root relation: its kind, operator, whether it is explicit (a variable alone on the left,
// absent on the right, in the same coordinate system) and whether "=" stores (a variable node
// itself on the left, at statement level).
TEST(Classification, KindOperatorExplicitnessAndAssignment) {
    using enum EquationType;
    struct Row {
        const char* text;
        EquationType type;
        int relopType;
        bool isExplicit;
        bool isAssignment;
    };
    const Row rows[] = {
        {"r=Θ", ExplicitR, 0, true, true},
        {"z=x⋅y", ExplicitZ, 0, true, true},
        {"y=r", Implicit, 0, false, true},
        {"y≥x", Inequality, 4, false, false},
        {"x^2+y^2=1", Implicit, 0, false, false},
        {"x=y", ExplicitX, 0, true, true},
        {"Θ=r", ExplicitTheta, 0, true, true},
        {"Φ=z", ExplicitPhi, 0, true, true},
        {"z=r+x", Implicit, 0, false, true},
        {"y=sin(x)+max(x,1)", ExplicitY, 0, true, true},
        {"y=if(x<0,y,1)", Implicit, 0, false, true},
        {"x=2;y=x", ExplicitY, 0, true, true},
        {"2=x", Implicit, 0, false, false},
        {"(y)=x", Implicit, 0, false, false},
        {"y+0=x", Implicit, 0, false, false},
        {"-y=x", Implicit, 0, false, false},
        {"x>y", Inequality, 1, false, false},
        {"y<x^2", Inequality, 2, false, false},
        {"y≠x", Inequality, 5, false, false},
    };
    for (const Row& row : rows) {
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = test::parseOrFail(parser, row.text, table);
        const auto* relation =
            tree ? dynamic_cast<const RVRelationOperation*>(tree->root()) : nullptr;
        ASSERT_NE(relation, nullptr) << row.text;
        EXPECT_EQ(relation->equationType(), row.type) << row.text;
        EXPECT_EQ(relation->relopType(), row.relopType) << row.text;
        EXPECT_EQ(relation->isExplicit(), row.isExplicit) << row.text;
        EXPECT_EQ(relation->determineIfExplicit(), row.isExplicit) << row.text;
        EXPECT_EQ(relation->isAssignment(), row.isAssignment) << row.text;
    }
}

TEST(Classification, ImplicitEquationDoesNotWrite) {
    VariableTable table = slotsXY(2, 7);
    RVParser parser;
    auto tree = parser.parse(u"y=r", table.data());
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->value(), 0.0);  // 7 = 0 is false
    EXPECT_EQ(table[1], 7.0);
    table[3] = 7;
    EXPECT_EQ(tree->value(), 1.0);
    EXPECT_EQ(tree->compile().evaluate(), 1.0);
    EXPECT_EQ(table[1], 7.0);
}

// ---------------------------------------------------------------------------------------------
// The compiled form.

// An assignment writes its slot and is a relation; the compiled form outlives its tree.
TEST(CompiledForm, AssignmentWritesItsSlotAndTheFormOutlivesTheTree) {
    VariableTable table = test::zeroTable();
    CompiledExpression assignment;
    CompiledExpression sum;
    {
        RVParser parser;
        assignment = parser.parse(u"y=2x", table.data())->compile();
        sum = parser.parse(u"x⋅y+sin(z)-max(x,2)", table.data())->compile();
    }
    EXPECT_TRUE(assignment.isRelation());
    EXPECT_TRUE(assignment.root()->isRelation);
    for (double x : {4.0, -1.5, 0.0}) {
        table = {x, 123, 0.5, 0, 0, 0};
        EXPECT_SAME_VALUE((x * 123 + std::sin(0.5)) - std::fmax(x, 2.0), sum.evaluate());
        EXPECT_EQ(assignment.evaluate(), 2 * x);
        EXPECT_EQ(table[1], 2 * x);
        EXPECT_EQ(table[0], x);
    }
}

// The tree lists each variable once, at its first occurrence; a node lists every occurrence.
TEST(Tree, VariablesKeepFirstOccurrencesInOrder) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    const auto indices = [](const std::vector<const RVVariable*>& variables) {
        std::vector<int> out;
        for (const RVVariable* v : variables) {
            out.push_back(v->variableIndex());
        }
        return out;
    };
    auto tree = parser.parse(u"x⋅x+y⋅x", table.data());
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(indices(tree->variables()), (std::vector<int>{0, 1}));
    EXPECT_EQ(indices(tree->root()->variables()), (std::vector<int>{0, 0, 1, 0}));
    auto greek = parser.parse(u"Φ+r⋅Θ-Φ+z", table.data());
    ASSERT_NE(greek, nullptr);
    EXPECT_EQ(indices(greek->variables()), (std::vector<int>{5, 3, 4, 2}));
}

// Structural answers, and the value and kind of the compiled form: a constant relation stays a
// relation.
TEST(Tree, StructuralAnswersAndTheCompiledForm) {
    struct Row {
        const char* text;
        bool isConstant;
        bool isSimplifiable;
        bool containsDerivative;
        double value;
        bool isRelation;
    };
    const Row rows[] = {
        {"2+3", true, true, false, 5, false},
        {"2+π", true, false, false, 2 + kPi, false},
        {"sin(2)^3", true, true, false, std::pow(std::sin(test::opaque(2.0)), 3), false},
        {"max(1,e)", true, false, false, std::numbers::e, false},
        {"1+d/dx(x)", false, false, true, 1, false},
        {"-(2)", true, true, false, -2, false},
        {"2<3", true, true, false, 1, true},
        {"1≠1", true, true, false, 0, true},
        {"x<3", false, false, false, 1, true},
        {"x+1", false, false, false, 1, false},
        {"if(2<3,1,0)", true, true, false, 1, false},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = parser.parse(u16(row.text), table.data());
        ASSERT_NE(tree, nullptr);
        EXPECT_EQ(tree->root()->isConstant(), row.isConstant);
        EXPECT_EQ(tree->root()->isSimplifiable(), row.isSimplifiable);
        EXPECT_EQ(tree->containsDerivative(), row.containsDerivative);
        const CompiledExpression compiled = tree->compile();
        EXPECT_EQ(compiled.isRelation(), row.isRelation);
        EXPECT_DOUBLE_EQ(compiled.evaluate(), row.value);
    }
}

}  // namespace
}  // namespace plotwise
