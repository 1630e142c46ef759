#include <gtest/gtest.h>

#include <bit>
#include <cctype>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <random>
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
// Power a^b: |b| >= 1 or NaN is pow; otherwise the 1/b-th root, real for negative a only when
// 1/b is an odd integer, and NaN when a·ln|1/b| < -1021.

const ValueRow kPowerRows[] = {
    {"TwoToTheHalfIsRootTwo", "x^y", 2, 0.5, std::sqrt(test::opaque(2.0))},
    {"NegativeEightCubeRoot", "x^y", -8, 1.0 / 3.0, -2},
    {"NegativeEightSquareRootIsNaN", "x^y", -8, 0.5, kNaN},
    {"ZeroToTheZero", "x^y", 0, 0, 1},
    {"TwoToMinusOne", "x^y", 2, -1, 0.5},
    {"NegativeThousandCubeRootIsNaN", "x^y", -1000, 1.0 / 3.0, kNaN},
    {"NegativeTwentySevenCubeRoot", "x^y", -27, 1.0 / 3.0, -3},
    {"NegativeFifthRoot", "x^y", -32, 0.2, -2},
    {"NegativeBaseEvenDegreeIsNaN", "x^y", -8, 2.0 / 3.0, kNaN},
    {"NegativeBaseNegativeOddDegree", "x^y", -8, -1.0 / 3.0, -0.5},
    {"NegativeBaseIntegerExponent", "x^y", -2, 3, -8},
    {"NegativeBaseFractionAboveOneIsNaN", "x^y", -2, 1.5, kNaN},
    {"NaNExponent", "x^y", 2, kNaN, kNaN},
    {"OneToTheNaNIsPowOne", "x^y", 1, kNaN, 1},
    {"ZeroToMinusOne", "x^y", 0, -1, kInf},
    {"ZeroToMinusHalf", "x^y", 0, -0.5, kInf},
    {"FourToMinusHalf", "x^y", 4, -0.5, 0.5},
    {"InfinityToTheHalf", "x^y", kInf, 0.5, kInf},
    {"MinusInfinityCubeRootIsNaN", "x^y", -kInf, 1.0 / 3.0, kNaN},
    // b = 0 gives an infinite degree, so a·ln|n| is -∞ for every negative a.
    {"NegativeBaseToTheZeroIsNaN", "x^y", -5, 0, kNaN},
    {"PositiveBaseToTheZero", "x^y", 5, 0, 1},
    {"Overflow", "x^y", 10, 400, kInf},
    {"ExactCube", "x^y", 1.5, 3, 3.375},
    {"ExactFourth", "x^y", 1.5, 4, 5.0625},
    {"NonIntegerExponent", "x^y", 2, 1.5, std::pow(test::opaque(2.0), 1.5)},
    // Constant exponents get records of their own in the compiled form.
    {"ConstantSquare", "x^2", -3, 0, 9},
    {"ConstantCube", "x^3", -2, 0, -8},
    {"ConstantFourth", "x^4", 1.5, 0, 5.0625},
    {"ConstantReciprocal", "x^-1", 4, 0, 0.25},
    {"ConstantReciprocalOfZero", "x^-1", -0.0, 0, -kInf},
    {"ConstantHalfOfNegativeIsNaN", "x^0.5", -4, 0, kNaN},
    {"ConstantThirdOfNegative", "x^(1/3)", -8, 0, -2},
    {"LiteralNegativeEightThird", "(-8)^(1/3)", 0, 0, -2},
    {"LiteralNegativeEightHalf", "(-8)^0.5", 0, 0, kNaN},
    {"LiteralZeroToTheZero", "0^0", 0, 0, 1},
    {"LiteralTwoToTheHalf", "2^0.5", 0, 0, std::sqrt(test::opaque(2.0))},
};

TEST(Power, RowsAgainstTheDomainRules) {
    expectRows(kPowerRows);
}

// Root n√a: n = 2 is the square root; otherwise the rule of the power operator with degree n.
const ValueRow kRootRows[] = {
    {"SquareRoot", "x√y", 2, 16, 4},
    {"SquareRootOfNegativeIsNaN", "x√y", 2, -4, kNaN},
    {"SquareRootOfNegativeZero", "x√y", 2, -0.0, -0.0},
    {"SquareRootOfInfinity", "x√y", 2, kInf, kInf},
    {"ZeroIndexIsNaN", "x√y", 0, 8, kNaN},
    {"CubeRoot", "x√y", 3, 8, 2},
    {"CubeRootOfNegative", "x√y", 3, -27, -3},
    {"CubeRootOfMinusThousandIsNaN", "x√y", 3, -1000, kNaN},
    {"FourthRoot", "x√y", 4, 16, 2},
    {"EvenRootOfNegativeIsNaN", "x√y", 4, -16, kNaN},
    {"NegativeIndex", "x√y", -3, 8, 0.5},
    {"NegativeOddIndexNegativeRadicand", "x√y", -3, -8, -0.5},
    {"HalfIndexSquares", "x√y", 0.5, 4, 16},
    {"HalfIndexLargeRadicandIsNaN", "x√y", 0.5, 2000, kNaN},
    {"FirstRoot", "x√y", 1, 7.25, 7.25},
    {"NaNIndex", "x√y", kNaN, 4, kNaN},
    {"NaNRadicand", "x√y", 2, kNaN, kNaN},
    {"LiteralTwoRootMinusFour", "2√(-4)", 0, 0, kNaN},
    {"LiteralRootMinusFour", "√(-4)", 0, 0, kNaN},
    {"LiteralThreeRootMinusTwentySeven", "3√(-27)", 0, 0, -3},
    {"LiteralZeroRootEight", "0√8", 0, 0, kNaN},
};

TEST(Root, RowsAgainstTheDomainRules) {
    expectRows(kRootRows);
}

// Integer exponents are multiplied out for speed. x^2 and x^-1 stay correctly rounded (checked
// with exact fma residuals, since pow itself may be off by one unit); x^3 and x^4 may differ from
// pow in the last places and stay within two units of it.
TEST(Power, SmallIntegerExponentsAgainstPow) {
    std::mt19937_64 rng(7);
    std::uniform_real_distribution<double> magnitude(-40.0, 40.0);
    std::uniform_int_distribution<int> sign(0, 1);
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto square = parser.parse(u"x^2", table.data());
    auto reciprocal = parser.parse(u"x^(-1)", table.data());
    auto cube = parser.parse(u"x^3", table.data());
    auto fourth = parser.parse(u"x^4", table.data());
    ASSERT_TRUE(square && reciprocal && cube && fourth);
    auto ulps = [](double a, double b) {
        const auto ia = std::bit_cast<std::int64_t>(a);
        const auto ib = std::bit_cast<std::int64_t>(b);
        return ia > ib ? ia - ib : ib - ia;
    };
    // Half the gap from r to its neighbour on the side of the exact value.
    auto halfGap = [](double r, bool exactIsAbove) {
        return std::fabs(std::nextafter(r, exactIsAbove ? kInf : -kInf) - r) / 2;
    };
    for (int i = 0; i < 5000; ++i) {
        const double a = (sign(rng) ? -1.0 : 1.0) * std::exp2(magnitude(rng));
        table[0] = a;
        SCOPED_TRACE(test::describeDouble(a));

        const double s = square->value();
        const double squareResidual = std::fma(a, a, -s);  // exactly a·a − s
        EXPECT_LE(std::fabs(squareResidual), halfGap(s, squareResidual > 0));

        const double r = reciprocal->value();
        const double e = std::fma(-r, a, 1.0);  // exactly 1 − r·a, so 1/a − r = e/a
        const bool above = (e > 0) == (a > 0);
        EXPECT_LE(std::fabs(e), std::fabs(a) * halfGap(r, above));

        const double c = cube->value();
        const double f = fourth->value();
        const double powCube = std::pow(test::opaque(a), 3.0);
        const double powFourth = std::pow(test::opaque(a), 4.0);
        ASSERT_EQ(std::signbit(c), std::signbit(powCube));
        EXPECT_LE(ulps(std::fabs(c), std::fabs(powCube)), 2);
        EXPECT_LE(ulps(f, powFourth), 2);

        EXPECT_SAME_VALUE(s, square->compile().evaluate());
        EXPECT_SAME_VALUE(r, reciprocal->compile().evaluate());
        EXPECT_SAME_VALUE(c, cube->compile().evaluate());
        EXPECT_SAME_VALUE(f, fourth->compile().evaluate());
    }
}

// ---------------------------------------------------------------------------------------------
// Sums fold left from 0, products from 1, each holder applying its own operator.

const ValueRow kFoldRows[] = {
    {"DifferencesFoldLeft", "1-2-3", 0, 0, -4},
    {"QuotientsFoldLeft", "8/2/2", 0, 0, 2},
    {"DivideThenTimes", "8/2⋅4", 0, 0, 16},
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
    {"DivisionByZero", "1/x", 0, 0, kInf},
    {"DivisionByNegativeZero", "1/x", -0.0, 0, -kInf},
    {"ZeroOverZero", "0/0", 0, 0, kNaN},
};

TEST(Fold, RowsAgainstLeftFolds) {
    expectRows(kFoldRows);
}

// Sums and products of every length, around the point where the compiled form switches from a
// chain of records to one fold record, against an independent left fold.
TEST(Fold, EveryLengthAgainstIndependentFold) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> digit(1, 9);
    std::uniform_int_distribution<int> coin(0, 1);
    for (int length = 1; length <= 40; ++length) {
        for (int product = 0; product < 2; ++product) {
            std::string text;
            double expected = product ? 1.0 : 0.0;
            for (int i = 0; i < length; ++i) {
                const double operand = digit(rng) / 8.0 + (i % 3 == 0 ? 0.1 : 0.0);
                const bool inverse = coin(rng) == 1;
                std::string spelled = test::utf8(plainDecimalText(operand));
                if (i > 0) {
                    text += product ? (inverse ? "/" : "⋅") : (inverse ? "-" : "+");
                }
                text += (i % 4 == 1) ? "x" : spelled;
                const double value = (i % 4 == 1) ? 1.25 : operand;
                const bool applyInverse = i > 0 && inverse;
                if (product) {
                    expected = applyInverse ? expected / value : expected * value;
                } else {
                    expected = applyInverse ? expected - value : expected + value;
                }
            }
            SCOPED_TRACE(text);
            const Evaluation e = evaluate(text, slotsXY(1.25, 0));
            EXPECT_SAME_VALUE(expected, e.tree);
            EXPECT_SAME_VALUE(expected, e.compiled);
        }
    }
}

// ---------------------------------------------------------------------------------------------
// Relations: exactly 1 or 0; every comparison with NaN is false except "≠".

TEST(Relation, EveryOperatorOnOrderedAndNaNPairs) {
    struct Operator {
        const char* text;  // "(x)" keeps "=" from being an explicit equation
        int relopType;
        bool (*holds)(double, double);
    };
    const Operator operators[] = {
        {"(x)=y", 0, [](double a, double b) { return a == b; }},
        {"x>y", 1, [](double a, double b) { return a > b; }},
        {"x<y", 2, [](double a, double b) { return a < b; }},
        {"x≤y", 3, [](double a, double b) { return a <= b; }},
        {"x≥y", 4, [](double a, double b) { return a >= b; }},
        {"x≠y", 5, [](double a, double b) { return a != b; }},
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
    // NaN makes every comparison false except "≠": spot rows written out by hand.
    EXPECT_EQ(evaluate("x<1", slotsXY(0.5, 0)).tree, 1.0);
    EXPECT_EQ(evaluate("x<1", slotsXY(kNaN, 0)).tree, 0.0);
    EXPECT_EQ(evaluate("x≠1", slotsXY(kNaN, 0)).tree, 1.0);
    EXPECT_EQ(evaluate("x≠1", slotsXY(kNaN, 0)).compiled, 1.0);
}

// ---------------------------------------------------------------------------------------------
// The function library.

const ValueRow kFunctionRows[] = {
    {"AbsOfNegative", "abs(x)", -2, 0, 2},
    {"AbsOfPositive", "abs(x)", 3, 0, 3},
    // "-u when u < 0, else u": -0 is not below 0 and comes back unchanged.
    {"AbsOfNegativeZeroKeepsSign", "abs(x)", -0.0, 0, -0.0},
    {"AbsOfMinusInfinity", "abs(x)", -kInf, 0, kInf},
    {"AcosHalf", "acos(x)", 0.5, 0, std::acos(test::opaque(0.5))},
    {"AcosOfTwoIsNaN", "acos(x)", 2, 0, kNaN},
    {"AsinHalf", "asin(x)", 0.5, 0, std::asin(test::opaque(0.5))},
    {"AsinOfMinusTwoIsNaN", "asin(x)", -2, 0, kNaN},
    {"AtanOne", "atan(x)", 1, 0, std::atan(test::opaque(1.0))},
    {"AtanInfinity", "atan(x)", kInf, 0, kPi / 2},
    {"CeilUp", "ceil(x)", 1.2, 0, 2},
    {"CeilNegative", "ceil(x)", -1.2, 0, -1},
    {"CeilToNegativeZero", "ceil(x)", -0.5, 0, -0.0},
    {"CeilInfinity", "ceil(x)", kInf, 0, kInf},
    {"CosZero", "cos(x)", 0, 0, 1},
    {"CosPi", "cos(x)", kPi, 0, -1},
    {"CosInfinityIsNaN", "cos(x)", kInf, 0, kNaN},
    {"CoshOne", "cosh(x)", 1, 0, std::cosh(test::opaque(1.0))},
    {"CoshMinusInfinity", "cosh(x)", -kInf, 0, kInf},
    {"CotZeroIsInfinity", "cot(x)", 0, 0, kInf},
    {"CotNegativeZero", "cot(x)", -0.0, 0, -kInf},
    {"CotOne", "cot(x)", 1, 0, 1 / std::tan(test::opaque(1.0))},
    {"CothZeroIsInfinity", "coth(x)", 0, 0, kInf},
    {"CothOne", "coth(x)", 1, 0, std::cosh(test::opaque(1.0)) / std::sinh(test::opaque(1.0))},
    // cosh ∞ / sinh ∞ is ∞/∞.
    {"CothInfinityIsNaN", "coth(x)", kInf, 0, kNaN},
    {"CscZero", "csc(x)", 0, 0, kInf},
    {"CscOne", "csc(x)", 1, 0, 1 / std::sin(test::opaque(1.0))},
    {"CschZero", "csch(x)", 0, 0, kInf},
    {"CschOne", "csch(x)", 1, 0, 1 / std::sinh(test::opaque(1.0))},
    {"CschInfinity", "csch(x)", kInf, 0, 0},
    {"UnsimplifiedDerivativeIsZero", "d/dx(x^2)", 3, 0, 0},
    {"UnsimplifiedDerivativeInSum", "1+d/dy(y⋅x)", 3, 2, 1},
    {"FloorNegative", "floor(x)", -1.5, 0, -2},
    {"FloorInteger", "floor(x)", 3, 0, 3},
    {"FloorMinusInfinity", "floor(x)", -kInf, 0, -kInf},
    {"IfZeroChoosesElse", "if(x,1,2)", 0, 0, 2},
    {"IfNegativeZeroChoosesElse", "if(x,1,2)", -0.0, 0, 2},
    {"IfNegativeHalfChoosesThen", "if(x,1,2)", -0.5, 0, 1},
    {"IfNaNChoosesThen", "if(x,1,2)", kNaN, 0, 1},
    {"IfRelationNegative", "if(x<0,-x,x)", -3, 0, 3},
    {"IfRelationPositive", "if(x<0,-x,x)", 4, 0, 4},
    {"IfConstantCondition", "if(0,x,y)", 1, 2, 2},
    {"LnZero", "ln(x)", 0, 0, -kInf},
    {"LnOfMinusOneIsNaN", "ln(x)", -1, 0, kNaN},
    {"LnOne", "ln(x)", 1, 0, 0},
    {"LnInfinity", "ln(x)", kInf, 0, kInf},
    {"LnOfE", "ln(e)", 0, 0, std::log(test::opaque(std::numbers::e))},
    {"LogHundred", "log(x)", 100, 0, 2},
    {"LogZero", "log(x)", 0, 0, -kInf},
    {"Log2Eight", "log2(x)", 8, 0, 3},
    {"Log2Half", "log2(x)", 0.5, 0, -1},
    {"MaxFirst", "max(x,y)", 2, 1, 2},
    {"MaxSecond", "max(x,y)", 1, 2, 2},
    {"MaxInfinity", "max(x,y)", -kInf, 1, 1},
    {"MinFirst", "min(x,y)", 1, 2, 1},
    {"MinSecond", "min(x,y)", 2, 1, 1},
    {"SecZero", "sec(x)", 0, 0, 1},
    {"SecOne", "sec(x)", 1, 0, 1 / std::cos(test::opaque(1.0))},
    {"SechZero", "sech(x)", 0, 0, 1},
    {"SechOne", "sech(x)", 1, 0, 1 / std::cosh(test::opaque(1.0))},
    {"SechInfinity", "sech(x)", kInf, 0, 0},
    {"SinHalf", "sin(x)", 0.5, 0, std::sin(test::opaque(0.5))},
    {"SinMinusInfinityIsNaN", "sin(x)", -kInf, 0, kNaN},
    {"SinhOne", "sinh(x)", 1, 0, std::sinh(test::opaque(1.0))},
    {"SinhInfinity", "sinh(x)", kInf, 0, kInf},
    {"TanOne", "tan(x)", 1, 0, std::tan(test::opaque(1.0))},
    {"TanhHalf", "tanh(x)", 0.5, 0, std::tanh(test::opaque(0.5))},
    {"TanhInfinity", "tanh(x)", kInf, 0, 1},
    {"TodegPi", "todeg(x)", kPi, 0, kPi * 57.29577951308232},
    {"TodegInfinity", "todeg(x)", -kInf, 0, -kInf},
    {"ToradHundredEighty", "torad(x)", 180, 0, 180 * 0.017453292519943295},
    {"ModPositive", "mod(x,y)", 7, 3, 1},
    {"ModNegativeKeepsSign", "mod(x,y)", -7, 3, -1},
    {"ModByZeroIsNaN", "mod(x,y)", 7, 0, kNaN},
    {"ModFraction", "mod(x,y)", 7.5, 2, 1.5},
    {"ModOfInfinityIsNaN", "mod(x,y)", kInf, 2, kNaN},
    {"ModByInfinity", "mod(x,y)", 3, kInf, 3},
    {"LognTwoEight", "logn(x,y)", 2, 8, std::log(test::opaque(8.0)) / std::log(test::opaque(2.0))},
    {"LognTenHundred", "logn(x,y)", 10, 100,
     std::log(test::opaque(100.0)) / std::log(test::opaque(10.0))},
    {"LognNaNBase", "logn(x,y)", kNaN, 8, kNaN},
    {"LognNaNArgument", "logn(x,y)", 2, kNaN, kNaN},
    {"LognBaseOne", "logn(x,y)", 1, 8, kInf},
    {"ConstantArgumentFolded", "sin(0.5)+x", 0, 0, std::sin(test::opaque(0.5))},
};

TEST(FunctionLibrary, RowsOfEveryFunction) {
    expectRows(kFunctionRows);
}

// The registration list: name, argument count and class name, in registration order.
struct RegisteredFunction {
    const char* name;
    int count;
    const char* className;
};

const RegisteredFunction kRegistry[] = {
    {"abs", 1, "RVFunctionABS"},     {"acos", 1, "RVFunctionACOS"},
    {"asin", 1, "RVFunctionASIN"},   {"atan", 1, "RVFunctionATAN"},
    {"ceil", 1, "RVFunctionCEIL"},   {"cos", 1, "RVFunctionCOS"},
    {"cosh", 1, "RVFunctionCOSH"},   {"cot", 1, "RVFunctionCOT"},
    {"coth", 1, "RVFunctionCOTH"},   {"csc", 1, "RVFunctionCSC"},
    {"csch", 1, "RVFunctionCSCH"},   {"d/d", 2, "RVFunctionDERIVATE"},
    {"floor", 1, "RVFunctionFLOOR"}, {"if", 3, "RVFunctionIF"},
    {"ln", 1, "RVFunctionLN"},       {"log", 1, "RVFunctionLOG"},
    {"log2", 1, "RVFunctionLOG2"},   {"max", 2, "RVFunctionMAX"},
    {"min", 2, "RVFunctionMIN"},     {"sec", 1, "RVFunctionSEC"},
    {"sech", 1, "RVFunctionSECH"},   {"sin", 1, "RVFunctionSIN"},
    {"sinh", 1, "RVFunctionSINH"},   {"tan", 1, "RVFunctionTAN"},
    {"tanh", 1, "RVFunctionTANH"},   {"todeg", 1, "RVFunctionTODEG"},
    {"torad", 1, "RVFunctionTORAD"}, {"mod", 2, "RVFunctionMOD"},
    {"logn", 2, "RVFunctionLOGN"},
};

TEST(FunctionLibrary, RegistryOrderCountsAndClassNames) {
    const auto registry = functionRegistry();
    ASSERT_EQ(registry.size(), std::size(kRegistry));
    for (size_t i = 0; i < registry.size(); ++i) {
        SCOPED_TRACE(kRegistry[i].name);
        EXPECT_EQ(utf8(registry[i].functionName), kRegistry[i].name);
        EXPECT_EQ(registry[i].validParameterCount, kRegistry[i].count);
        EXPECT_EQ(registry[i].className, kRegistry[i].className);
    }
}

TEST(FunctionLibrary, FunctionNamesListsTwentyEightPlusThreeDerivatives) {
    std::vector<std::string> expected;
    for (const RegisteredFunction& f : kRegistry) {
        if (std::string(f.name) != "d/d") {
            expected.push_back(f.name);
        }
    }
    expected.insert(expected.end(), {"d/dx", "d/dy", "d/dz"});
    ASSERT_EQ(expected.size(), 31u);
    std::vector<std::string> actual;
    for (const auto& name : functionNames()) {
        actual.push_back(utf8(name));
    }
    EXPECT_EQ(actual, expected);
}

TEST(FunctionLibrary, LookupIgnoresCaseAndRejectsUnknownNames) {
    struct Row {
        const char* spelling;
        const char* found;  // nullptr: no such function
    };
    const Row rows[] = {{"sin", "sin"},   {"SIN", "sin"},    {"Sin", "sin"},    {"LOG2", "log2"},
                        {"LogN", "logn"}, {"iF", "if"},      {"sinx", nullptr}, {"si", nullptr},
                        {"exp", nullptr}, {"sqrt", nullptr}, {"", nullptr}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.spelling);
        auto function =
            RVFunction::functionWithToken(RVToken(TOKEN_FUNCTION, u16(row.spelling), 0));
        if (row.found == nullptr) {
            EXPECT_EQ(function, nullptr);
            continue;
        }
        ASSERT_NE(function, nullptr);
        EXPECT_EQ(utf8(function->functionName()), row.found);
        EXPECT_EQ(utf8(function->token().spelling()), row.spelling);
    }
}

TEST(FunctionLibrary, EveryFunctionHasValueRows) {
    for (const RegisteredFunction& f : kRegistry) {
        SCOPED_TRACE(f.name);
        const std::string call = std::string(f.name) + (std::string(f.name) == "d/d" ? "" : "(");
        bool covered = false;
        for (const ValueRow& row : kFunctionRows) {
            // The call must start a name: "sin(" inside "asin(" does not count.
            const std::string text = row.text;
            for (size_t at = text.find(call); at != std::string::npos;
                 at = text.find(call, at + 1)) {
                covered =
                    covered || at == 0 || !std::isalpha(static_cast<unsigned char>(text[at - 1]));
            }
        }
        EXPECT_TRUE(covered);
    }
}

// NaN in, NaN out: every function but "if" and the derivative gives NaN for NaN arguments.
TEST(FunctionLibrary, NaNArgumentsGiveNaN) {
    for (const RegisteredFunction& f : kRegistry) {
        const std::string name = f.name;
        if (name == "if" || name == "d/d") {
            continue;
        }
        std::string text = name + "(x";
        for (int i = 1; i < f.count; ++i) {
            text += ",x";
        }
        text += ")";
        SCOPED_TRACE(text);
        const Evaluation e = evaluate(text, slotsXY(kNaN, 0));
        EXPECT_TRUE(std::isnan(e.tree));
        EXPECT_TRUE(std::isnan(e.compiled));
    }
}

TEST(FunctionLibrary, ValuesStatedApproximately) {
    EXPECT_DOUBLE_EQ(evaluate("todeg(π)", slotsXY(0, 0)).tree, 180.0);
    EXPECT_DOUBLE_EQ(evaluate("torad(180)", slotsXY(0, 0)).tree, kPi);
    EXPECT_DOUBLE_EQ(evaluate("logn(2,8)", slotsXY(0, 0)).tree, 3.0);
    EXPECT_DOUBLE_EQ(evaluate("logn(10,100)", slotsXY(0, 0)).tree, 2.0);
    EXPECT_DOUBLE_EQ(evaluate("atan(1)", slotsXY(0, 0)).tree, kPi / 4);
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
    struct Row {
        const char* text;
        size_t assignedArgument;
    };
    const Row rows[] = {{"if(x,2,y=5)", 2}, {"if(x,y=5,2)", 1}};
    for (const Row& row : rows) {
        for (double condition : {0.0, 1.0}) {
            SCOPED_TRACE(std::string(row.text) + " with x=" + std::to_string(condition));
            VariableTable table = slotsXY(condition, -1);
            RVParser parser;
            auto tree = parser.parse(u16(row.text), table.data());
            ASSERT_NE(tree, nullptr);
            auto* function = dynamic_cast<RVFunction*>(tree->root());
            ASSERT_NE(function, nullptr);
            auto* branch = dynamic_cast<RVRelationOperation*>(
                function->arguments()[row.assignedArgument].get());
            ASSERT_NE(branch, nullptr);
            ASSERT_TRUE(branch->isExplicit());
            branch->setIsAssignment(true);
            const bool chosen = (condition != 0.0) == (row.assignedArgument == 1);
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

struct ClassificationRow {
    const char* name;
    const char* text;
    int equationType;
    int relopType;
    bool isExplicit;
};

void PrintTo(const ClassificationRow& row, std::ostream* os) {
    *os << row.name << " \"" << row.text << "\"";
}

class ClassificationRows : public ::testing::TestWithParam<ClassificationRow> {};

TEST_P(ClassificationRows, EquationTypeRelopTypeAndExplicitness) {
    const ClassificationRow& row = GetParam();
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = parser.parse(u16(row.text), table.data());
    ASSERT_NE(tree, nullptr) << utf8(parser.error());
    const auto* relation = dynamic_cast<const RVRelationOperation*>(tree->root());
    ASSERT_NE(relation, nullptr);
    EXPECT_EQ(toInt(relation->equationType()), row.equationType);
    EXPECT_EQ(relation->relopType(), row.relopType);
    EXPECT_EQ(relation->isExplicit(), row.isExplicit);
    EXPECT_EQ(relation->determineIfExplicit(), row.isExplicit);
}

const ClassificationRow kClassificationRows[] = {
    {"ExplicitInY", "y=x^2", 1, 0, true},
    {"PolarRadius", "r=Θ", 3, 0, true},
    {"ZOfXAndY", "z=x⋅y", 2, 0, true},
    {"ZOfRadius", "z=r", 2, 0, true},
    {"YOfRadiusIsImplicit", "y=r", 6, 0, false},
    {"YOnBothSidesIsImplicit", "y=y+1", 6, 0, false},
    {"GreaterOrEqual", "y≥x", 7, 4, false},
    {"CircleIsImplicit", "x^2+y^2=1", 6, 0, false},
    {"XOfY", "x=y", 0, 0, true},
    {"YConstant", "y=2", 1, 0, true},
    {"AngleOfRadius", "Θ=r", 4, 0, true},
    {"PhiOfZ", "Φ=z", 5, 0, true},
    {"PhiOfTheta", "Φ=Θ", 5, 0, true},
    {"PhiOfXIsImplicit", "Φ=x", 6, 0, false},
    {"RadiusOfZ", "r=z", 3, 0, true},
    {"MixedSystemsAreImplicit", "z=r+x", 6, 0, false},
    {"FunctionsOnTheRight", "y=sin(x)+max(x,1)", 1, 0, true},
    {"LeftVariableInsideIf", "y=if(x<0,y,1)", 6, 0, false},
    {"NumberOnTheLeft", "2=x", 6, 0, false},
    {"ParenthesisedLeft", "(y)=x", 6, 0, false},
    {"Greater", "x>y", 7, 1, false},
    {"Less", "x<y", 7, 2, false},
    {"LessOrEqual", "x≤y", 7, 3, false},
    {"NotEqual", "y≠x", 7, 5, false},
    {"ConstantInequality", "1<2", 7, 2, false},
    {"InequalityWithVariableLeft", "y<x^2", 7, 2, false},
};

INSTANTIATE_TEST_SUITE_P(Relation, ClassificationRows, ::testing::ValuesIn(kClassificationRows),
                         [](const ::testing::TestParamInfo<ClassificationRow>& info) {
                             return std::string(info.param.name);
                         });

// Every left variable against every pair of right variables: explicit exactly when the left
// index is not on the right and the coordinate-system masks share a bit.
TEST(Classification, ExplicitnessFollowsCoordinateSystemMasks) {
    const char* const letters[] = {"x", "y", "z", "r", "Θ", "Φ"};
    const unsigned masks[] = {0x01, 0x01, 0x0D, 0x0E, 0x0E, 0x08};
    for (int l = 0; l < 6; ++l) {
        for (int a = 0; a < 6; ++a) {
            for (int b = 0; b < 6; ++b) {
                const std::string text =
                    std::string(letters[l]) + "=" + letters[a] + "+" + letters[b];
                SCOPED_TRACE(text);
                const bool expectedExplicit =
                    l != a && l != b && (masks[l] & masks[a] & masks[b]) != 0;
                VariableTable table = test::zeroTable();
                RVParser parser;
                auto tree = parser.parse(u16(text), table.data());
                ASSERT_NE(tree, nullptr);
                const auto* relation = dynamic_cast<const RVRelationOperation*>(tree->root());
                ASSERT_NE(relation, nullptr);
                EXPECT_EQ(relation->isExplicit(), expectedExplicit);
                EXPECT_EQ(toInt(relation->equationType()), expectedExplicit ? l : 6);
                EXPECT_EQ(relation->relopType(), 0);
                EXPECT_TRUE(relation->isAssignment());
            }
        }
    }
}

TEST(Classification, ExplicitAssignmentWritesItsSlot) {
    VariableTable table = test::zeroTable();
    table[0] = 3;
    RVParser parser;
    auto tree = parser.parse(u"y=x^2", table.data());
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->value(), 9.0);
    EXPECT_EQ(table[1], 9.0);
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

TEST(CompiledForm, AgreesWithTheTreeOnAHandCheckedExpression) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = parser.parse(u"x^2+y", table.data());
    ASSERT_NE(tree, nullptr);
    const CompiledExpression compiled = tree->compile();
    table[0] = 3;
    table[1] = 1;
    EXPECT_EQ(tree->value(), 10.0);
    EXPECT_EQ(compiled.evaluate(), 10.0);
    EXPECT_FALSE(compiled.isRelation());
}

TEST(CompiledForm, AssignmentWritesItsSlotAndIsARelation) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = parser.parse(u"y=2x", table.data());
    ASSERT_NE(tree, nullptr);
    const CompiledExpression compiled = tree->compile();
    ASSERT_FALSE(compiled.empty());
    EXPECT_TRUE(compiled.isRelation());
    EXPECT_TRUE(compiled.root()->isRelation);
    for (double x : {4.0, -1.5, 0.0}) {
        table[0] = x;
        table[1] = 123;
        EXPECT_EQ(compiled.evaluate(), 2 * x);
        EXPECT_EQ(table[1], 2 * x);
        EXPECT_EQ(table[0], x);
    }
}

TEST(CompiledForm, OutlivesTheTree) {
    VariableTable table = test::zeroTable();
    CompiledExpression compiled;
    {
        RVParser parser;
        auto tree = parser.parse(u"x⋅y+sin(z)-max(x,2)", table.data());
        ASSERT_NE(tree, nullptr);
        compiled = tree->compile();
    }
    const double points[][3] = {{1, 2, 0.5}, {-3, 0.25, 2}, {5, 5, -1}};
    for (const auto& p : points) {
        table[0] = p[0];
        table[1] = p[1];
        table[2] = p[2];
        const double expected = (p[0] * p[1] + std::sin(p[2])) - std::fmax(p[0], 2.0);
        EXPECT_SAME_VALUE(expected, compiled.evaluate());
    }
}

TEST(CompiledForm, ReleasingItLeavesTheTableIntact) {
    VariableTable table = slotsXY(1.5, 2.5);
    {
        RVParser parser;
        auto tree = parser.parse(u"x+y", table.data());
        ASSERT_NE(tree, nullptr);
        const CompiledExpression compiled = tree->compile();
        EXPECT_EQ(compiled.evaluate(), 4.0);
    }
    EXPECT_EQ(table, slotsXY(1.5, 2.5));
}

TEST(CompiledForm, ConstantRelationsStayRelations) {
    struct Row {
        const char* text;
        double value;
        bool isRelation;
    };
    const Row rows[] = {{"2<3", 1, true}, {"3<2", 0, true},         {"x<3", 1, true},
                        {"2=2", 1, true}, {"1≠1", 0, true},         {"x+1", 1, false},
                        {"5", 5, false},  {"if(2<3,1,0)", 1, false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = parser.parse(u16(row.text), table.data());
        ASSERT_NE(tree, nullptr);
        const CompiledExpression compiled = tree->compile();
        EXPECT_EQ(compiled.isRelation(), row.isRelation);
        EXPECT_EQ(compiled.evaluate(), row.value);
    }
}

TEST(CompiledForm, UnsimplifiedDerivativeCompilesToZero) {
    VariableTable table = slotsXY(3, 0);
    RVParser parser;
    auto tree = parser.parse(u"d/dx(x^2)", table.data());
    ASSERT_NE(tree, nullptr);
    EXPECT_TRUE(tree->containsDerivative());
    EXPECT_EQ(tree->value(), 0.0);
    EXPECT_EQ(tree->compile().evaluate(), 0.0);
}

TEST(Tree, VariablesKeepFirstOccurrencesInOrder) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = parser.parse(u"x⋅x+y⋅x", table.data());
    ASSERT_NE(tree, nullptr);
    std::vector<int> unique;
    for (const RVVariable* v : tree->variables()) {
        unique.push_back(v->variableIndex());
    }
    EXPECT_EQ(unique, (std::vector<int>{0, 1}));
    std::vector<int> all;
    for (const RVVariable* v : tree->root()->variables()) {
        all.push_back(v->variableIndex());
    }
    EXPECT_EQ(all, (std::vector<int>{0, 0, 1, 0}));

    auto greek = parser.parse(u"Φ+r⋅Θ-Φ+z", table.data());
    ASSERT_NE(greek, nullptr);
    std::vector<int> greekIndices;
    for (const RVVariable* v : greek->variables()) {
        greekIndices.push_back(v->variableIndex());
    }
    EXPECT_EQ(greekIndices, (std::vector<int>{5, 3, 4, 2}));
}

TEST(Tree, HolderTokenAndRootParent) {
    VariableTable table = test::zeroTable();
    RVParser parser;
    auto tree = parser.parse(u"x+1", table.data());
    ASSERT_NE(tree, nullptr);
    EXPECT_EQ(tree->token().type(), 17);
    EXPECT_EQ(utf8(tree->token().spelling()), "root");
    EXPECT_EQ(tree->token().locationInSource(), 0);
    EXPECT_EQ(tree->root()->parent(), tree.get());
    // Replacing the root goes through the tree, which hands back the old root.
    auto replacement = parser.parse(u"7", table.data());
    ASSERT_NE(replacement, nullptr);
    const RVOperation* oldRoot = tree->root();
    auto detached = tree->replaceOperation(oldRoot, replacement->setRoot(nullptr));
    EXPECT_EQ(detached.get(), oldRoot);
    EXPECT_EQ(tree->value(), 7.0);
    EXPECT_EQ(tree->root()->parent(), tree.get());
}

TEST(Tree, StructuralAnswers) {
    struct Row {
        const char* text;
        bool isConstant;
        bool isSimplifiable;
        bool containsDerivative;
    };
    const Row rows[] = {
        {"2+3", true, true, false},        {"2+π", true, false, false},
        {"e", true, false, false},         {"x+1", false, false, false},
        {"sin(2)^3", true, true, false},   {"max(1,e)", true, false, false},
        {"1+d/dx(x)", false, false, true}, {"-(2)", true, true, false},
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
    }
}

}  // namespace
}  // namespace plotwise
