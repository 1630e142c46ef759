// The batch form must give exactly the values of one-at-a-time evaluation, point for point.
#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <vector>

#include "EngineTestSupport.h"
#include "app/examples/BuiltInExamples.h"
#include "engine/BatchEvaluator.h"
#include "engine/ExpressionParsing.h"

namespace plotwise::test {
namespace {

struct BatchCase {
    const char* label;
    const char* source;
};

const BatchCase kBatchCases[] = {
    {"square plus y", "x^2+y"},
    {"product of trig", "sin(x)⋅cos(y)"},
    {"quartic sum", "(x^4+y^4+z^4)/10-50"},
    {"heart", "320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)"},
    {"leading minus", "-x-y+3"},
    {"negative zero start", "-0⋅x+y"},
    {"relation", "x^2+y^2<4"},
    {"not equal", "x≠y"},
    {"assignment", "y=2x+1"},
    {"condition", "if(x<0, -x, √x)"},
    {"max min", "max(x, y)-min(x, 0/0)"},
    {"roots and powers", "3√x+x^(1/3)+x^0.5+x^-1+2^x"},
    {"functions", "abs(x)+acos(x)+asin(y)+atan(x)+ceil(y)+cosh(x)+cot(x)+coth(y)+csc(x)"},
    {"more functions", "csch(x)+floor(y)+ln(x)+log(y)+log2(x)+sec(x)+sech(y)+sinh(x)+tan(y)"},
    {"two-argument functions", "tanh(x)+todeg(y)+torad(x)+mod(x, y)+logn(y, x)"},
    {"polar", "r⋅sin(Θ)-Φ"},
    {"long sum folds in a loop",
     "1+2x+3x^2+4x^3+5x^4+6x^5+7x^6+8x^7+9x^8+10x^9+11x^10+12x^11+13x^12+14x^13+15x^14+"
     "16x^15+17x^16+18x^17+19x^18+20x^19-y"},
    {"long product folds in a loop", "x⋅y/2⋅x/3⋅y⋅x/5⋅y⋅x/7⋅y⋅x/11⋅y⋅x/13⋅y⋅x/17⋅y⋅x/19⋅y⋅x"},
    {"constant only", "2+3"},
    {"variable only", "x"},
    {"derivative carried out", "d/dx(x^3⋅sin(x))"},
};

// Points include the awkward ones: zeros of both signs, NaN, infinities, huge and tiny values.
std::vector<double> samplePoints(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-4.0, 4.0);
    const double special[] = {0.0, -0.0, kNaN, kInf, -kInf, 1e308, -1e-308, 1.0, -1.0, 0.5};
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = (i % 13 == 0) ? special[(i / 13) % std::size(special)] : uniform(random);
    }
    return values;
}

class BatchAgreement : public ::testing::TestWithParam<BatchCase> {};

TEST_P(BatchAgreement, EveryPointMatchesOneAtATimeEvaluation) {
    VariableTable table{};
    const auto parsed = parseExpression(u16(GetParam().source), table.data());
    ASSERT_TRUE(parsed.tree) << utf8(parsed.error->text());
    const CompiledExpression compiled = parsed.tree->compile();

    // 700 points: two full chunks and a partial one.
    constexpr std::size_t count = 700;
    const std::vector<double> xs = samplePoints(count, 1);
    const std::vector<double> ys = samplePoints(count, 2);
    const std::vector<double> others = samplePoints(count, 3);
    table = {0.25, -0.75, 1.5, 2.0, 0.5, -1.25};
    const VariableTable fixed = table;

    // x and y vary per point; z, r, Θ and Φ vary too for the first run and are read from the
    // table for the second.
    for (bool allVary : {true, false}) {
        SCOPED_TRACE(allVary ? "all six slots from arrays" : "x and y from arrays");
        std::array<const double*, 6> inputs{xs.data(), ys.data(), nullptr,
                                            nullptr,   nullptr,   nullptr};
        if (allVary) {
            inputs = {xs.data(), ys.data(), others.data(), others.data(), xs.data(), ys.data()};
        }
        BatchEvaluator batch(compiled, table.data());
        std::vector<double> out(count, 12345.0);
        batch.evaluate(count, inputs, out.data());
        EXPECT_TRUE(table == fixed) << "a batch must not write the variable table";
        for (std::size_t i = 0; i < count; ++i) {
            table = fixed;
            for (std::size_t slot = 0; slot < 6; ++slot) {
                if (inputs[slot]) {
                    table[slot] = inputs[slot][i];
                }
            }
            const double expected = compiled.evaluate();
            ASSERT_PRED_FORMAT2(SameValue, expected, out[i]) << "at point " << i;
        }
        table = fixed;
    }
}

INSTANTIATE_TEST_SUITE_P(Expressions, BatchAgreement, ::testing::ValuesIn(kBatchCases),
                         [](const auto& info) { return testName(info.param.label); });

// Slots without input follow the table from call to call; zero points write nothing.
TEST(Batch, SlotsWithoutInputFollowTheTableBetweenCalls) {
    VariableTable table{};
    RVParser parser;
    const auto tree = parser.parse(u"x+y", table.data());
    ASSERT_TRUE(tree);
    const CompiledExpression compiled = tree->compile();
    BatchEvaluator batch(compiled, table.data());
    const double xs[3] = {1.0, 2.0, 3.0};
    double out[3] = {7.0, 7.0, 7.0};
    batch.evaluate(0, {xs, nullptr, nullptr, nullptr, nullptr, nullptr}, out);
    EXPECT_EQ(out[0], 7.0);
    table[1] = 10.0;
    batch.evaluate(3, {xs, nullptr, nullptr, nullptr, nullptr, nullptr}, out);
    EXPECT_EQ(out[2], 13.0);
    table[1] = 20.0;
    batch.evaluate(3, {xs, nullptr, nullptr, nullptr, nullptr, nullptr}, out);
    EXPECT_EQ(out[0], 21.0);
}

// Grids: the same values as one point at a time on every built-in example, with the outer value
// in the table changing between calls while the axes stay (values kept from call to call), then
// new column values (kept values computed again).
struct GridLayout {
    const char* label;
    int rowSlot;     // -1: one row
    int columnSlot;  // slot of the column axis
    bool polarInputs;
};

const GridLayout kGridLayouts[] = {
    {"planes of y rows and z columns", 1, 2, false},
    {"planes with polar inputs per node", 1, 2, true},
    {"columns of y", -1, 1, false},
    {"columns of y with polar inputs", -1, 1, true},
};

std::vector<const char*> builtInSources() {
    std::vector<const char*> sources;
    for (const BuiltInExample& example : kBuiltInExamples2D) {
        sources.push_back(example.source);
    }
    for (const BuiltInExample& example : kBuiltInExamples3D) {
        sources.push_back(example.source);
    }
    sources.insert(sources.end(), {"if(y<0, cos(z)^2, x⋅z)", "sin(y)⋅cos(z)+x⋅(y+z)",
                                   "100⋅sin(7⋅√(x^2+y^2))/(1+√(x^2+y^2))^2", "2+3"});
    return sources;
}

class GridAgreement : public ::testing::TestWithParam<GridLayout> {};

TEST_P(GridAgreement, EveryNodeMatchesOneAtATimeEvaluation) {
    const GridLayout& layout = GetParam();
    const std::size_t rows = layout.rowSlot < 0 ? 1 : 9;
    const std::size_t columns = 300;  // a full chunk and a partial one per row
    const std::vector<double> rowValues = samplePoints(rows, 11);
    std::vector<double> columnValues = samplePoints(columns, 12);
    const std::vector<double> polar = samplePoints(rows * columns, 13);
    for (const char* source : builtInSources()) {
        SCOPED_TRACE(source);
        VariableTable table = {0.0, 0.5, -0.25, 1.5, 0.75, -1.0};
        const auto parsed = parseExpression(u16(source), table.data());
        ASSERT_TRUE(parsed.tree) << utf8(parsed.error->text());
        const CompiledExpression compiled = parsed.tree->compile();
        BatchEvaluator batch(compiled, table.data());
        BatchGrid grid;
        grid.rows = rows;
        grid.columns = columns;
        grid.rowSlot = layout.rowSlot;
        grid.rowValues = rowValues.data();
        grid.columnSlot = layout.columnSlot;
        grid.columnValues = columnValues.data();
        if (layout.polarInputs) {
            grid.nodeInputs = {nullptr, nullptr, nullptr, polar.data(), polar.data(), polar.data()};
        }
        std::vector<double> out(rows * columns);
        const double outerValues[] = {-1.25, 0.0, kNaN, 2.5};
        for (std::size_t call = 0; call < std::size(outerValues); ++call) {
            if (call == 3) {
                columnValues[7] = -columnValues[7];  // the same array, changed in place
                columnValues[columns - 1] = 0.125;
            }
            table[0] = outerValues[call];
            const VariableTable fixed = table;
            batch.evaluateGrid(grid, out.data());
            ASSERT_EQ(std::memcmp(table.data(), fixed.data(), sizeof(table)), 0)
                << "a batch must not write the variable table";
            for (std::size_t row = 0; row < rows; ++row) {
                for (std::size_t column = 0; column < columns; ++column) {
                    const std::size_t node = row * columns + column;
                    table = fixed;
                    if (layout.rowSlot >= 0) {
                        table[static_cast<std::size_t>(layout.rowSlot)] = rowValues[row];
                    }
                    table[static_cast<std::size_t>(layout.columnSlot)] = columnValues[column];
                    if (layout.polarInputs) {
                        table[3] = table[4] = table[5] = polar[node];
                    }
                    const double expected = compiled.evaluate();
                    ASSERT_SAME_VALUE(expected, out[node])
                        << "call " << call << ", row " << row << ", column " << column;
                }
            }
            table = fixed;
        }
        columnValues = samplePoints(columns, 12);
    }
}

INSTANTIATE_TEST_SUITE_P(Layouts, GridAgreement, ::testing::ValuesIn(kGridLayouts),
                         [](const auto& info) { return testName(info.param.label); });

// Parts of one axis are computed once per axis value and kept while the axes stay; parts of the
// table are one scalar each, not a pass per chunk.
TEST(BatchGridHoisting, RepeatedCallsRunOnlyTheOuterAndPerNodeParts) {
    struct Case {
        const char* source;
        int rowSlot;
    };
    for (const Case& c : {Case{"cos(y)^2+tan(y)⋅x", -1}, Case{"sin(x)^2+y^2⋅cos(z)-ln(y)", 1},
                          Case{"sin(y+z)⋅√(y⋅z)+x", 1}}) {
        SCOPED_TRACE(c.source);
        VariableTable table{};
        const auto parsed = parseExpression(u16(c.source), table.data());
        ASSERT_TRUE(parsed.tree);
        const CompiledExpression compiled = parsed.tree->compile();
        std::vector<double> rowValues = samplePoints(c.rowSlot < 0 ? 1 : 20, 21);
        std::vector<double> columnValues = samplePoints(600, 22);
        BatchGrid grid;
        grid.rows = rowValues.size();
        grid.columns = columnValues.size();
        grid.rowSlot = c.rowSlot;
        grid.rowValues = rowValues.data();
        grid.columnSlot = c.rowSlot < 0 ? 1 : 2;
        grid.columnValues = columnValues.data();
        std::vector<double> out(grid.rows * grid.columns);
        BatchEvaluator batch(compiled, table.data());
        BatchEvaluator pointwise(compiled, table.data());
        auto passesOf = [&](BatchEvaluator& evaluator, double x) {
            table[0] = x;
            const std::size_t before = evaluator.passCount();
            evaluator.evaluateGrid(grid, out.data());
            return evaluator.passCount() - before;
        };
        const std::size_t first = passesOf(batch, 1.0);
        const std::size_t repeat = passesOf(batch, 2.0);
        EXPECT_LT(repeat, first);
        EXPECT_EQ(passesOf(batch, 3.0), repeat);
        columnValues[0] += 1.0;
        EXPECT_EQ(passesOf(batch, 4.0), first) << "new column values are computed again";
        // Evaluated as unrelated points, every record runs once per chunk.
        std::vector<double> xs(grid.columns, 1.0);
        table[0] = 1.0;
        const std::size_t before = pointwise.passCount();
        pointwise.evaluate(
            grid.columns,
            {xs.data(), columnValues.data(), columnValues.data(), nullptr, nullptr, nullptr},
            out.data());
        const std::size_t chunks =
            (grid.columns + BatchEvaluator::chunkSize - 1) / BatchEvaluator::chunkSize;
        EXPECT_EQ((pointwise.passCount() - before) % chunks, 0u);
        EXPECT_LT(repeat, grid.rows * (pointwise.passCount() - before));
    }
}

}  // namespace
}  // namespace plotwise::test
