// Subtrees that occur more than once are computed once, with exactly the values of the form that
// computes each occurrence, of the tree, and of the batch form.
#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <random>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/BatchEvaluator.h"
#include "engine/ExpressionParsing.h"
#include "engine/OperationNode.h"

namespace plotwise::test {
namespace {

struct SharingCase {
    const char* label;
    const char* source;
    std::size_t shared;  // subtrees computed once
};

const SharingCase kSharingCases[] = {
    {"repeated root", "100⋅sin(7⋅√(x^2+y^2))/(1+√(x^2+y^2))^2", 1},
    {"heart shares z^3 and 9y^2", "320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)", 2},
    {"nested repeats", "sin(x)⋅cos(sin(x))+cos(sin(x))", 2},
    {"same function, other argument", "sin(x)+sin(y)+cos(x)", 0},
    {"squares are read in place", "x^2+x^2+2x+2x", 0},
    {"term inside and outside parentheses", "(sin(x)+y)⋅2+sin(x)+y", 1},
    {"inside both branches", "if(x<0, √(x^2+1), √(x^2+1)+1)", 1},
    {"relation sides", "sin(x⋅y)<sin(x⋅y)^2+1", 1},
    {"long sum repeats a term",
     "1+2x+3x^2+4x^3+5x^4+6x^5+7x^6+8x^7+9x^8+10x^9+11x^10+12x^11+"
     "13x^12+14x^13+15x^14+16x^15+17x^16+18x^17+cos(y)+cos(y)",
     1},
    {"constants tell subtrees apart", "sin(2x)+sin(3x)+sin(2x)", 1},
    {"assignment keeps every occurrence", "y=sin(x)+sin(x)", 0},
};

std::vector<double> samplePoints(std::size_t count, unsigned seed) {
    std::mt19937 random(seed);
    std::uniform_real_distribution<double> uniform(-3.0, 3.0);
    const double special[] = {0.0, -0.0, kNaN, kInf, -kInf, 1e300, 1.0};
    std::vector<double> values(count);
    for (std::size_t i = 0; i < count; ++i) {
        values[i] = (i % 11 == 0) ? special[(i / 11) % std::size(special)] : uniform(random);
    }
    return values;
}

// The form with every occurrence compiled apart, as before sharing.
CompiledExpression compileUnshared(const RVOperation& operation) {
    OperationNodeBuilder builder;
    const OperationNode* root = builder.compile(operation);
    return CompiledExpression(std::move(builder), root);
}

class SharedSubtrees : public ::testing::TestWithParam<SharingCase> {};

TEST_P(SharedSubtrees, ComputedOnceWithTheSameBits) {
    VariableTable table{};
    const auto parsed = parseExpression(u16(GetParam().source), table.data());
    ASSERT_TRUE(parsed.tree) << utf8(parsed.error->text());
    const CompiledExpression shared = parsed.tree->compile();
    const CompiledExpression unshared = compileUnshared(*parsed.tree);
    EXPECT_EQ(shared.sharedValues().size(), GetParam().shared);
    EXPECT_TRUE(unshared.sharedValues().empty());
    const std::vector<double> xs = samplePoints(200, 5);
    const std::vector<double> ys = samplePoints(200, 6);
    const std::vector<double> zs = samplePoints(200, 7);
    const VariableTable start = {0.0, 0.0, 0.0, 0.5, 0.25, -0.5};
    std::vector<double> values(xs.size());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        table = start;
        table[0] = xs[i];
        table[1] = ys[i];
        table[2] = zs[i];
        const VariableTable point = table;
        const double expected = unshared.evaluate();
        const VariableTable afterUnshared = table;
        table = point;
        values[i] = shared.evaluate();
        ASSERT_SAME_VALUE(expected, values[i]) << "at point " << i;
        EXPECT_EQ(std::memcmp(table.data(), afterUnshared.data(), sizeof(table)), 0)
            << "the variable table ends the same at point " << i;
    }
    // The batch form reads shared subtrees from their own passes.
    table = start;
    BatchEvaluator batch(shared, table.data());
    std::vector<double> out(xs.size());
    batch.evaluate(xs.size(), {xs.data(), ys.data(), zs.data(), nullptr, nullptr, nullptr},
                   out.data());
    for (std::size_t i = 0; i < xs.size(); ++i) {
        ASSERT_SAME_VALUE(values[i], out[i]) << "batch at point " << i;
    }
}

INSTANTIATE_TEST_SUITE_P(Expressions, SharedSubtrees, ::testing::ValuesIn(kSharingCases),
                         [](const auto& info) { return testName(info.param.label); });

// A subtree compiled to a slot evaluates before anything reads it, however deep it sits.
TEST(SharedSubtreesOrder, DeepRepeatsAgreeWithTheTree) {
    VariableTable table{};
    RVParser parser;
    std::string source = "x";
    for (int depth = 0; depth < 8; ++depth) {
        source = "sin(" + source + ")+cos(" + source + ")";
    }
    const auto tree = parseText(parser, source, table);
    ASSERT_TRUE(tree);
    const CompiledExpression compiled = tree->compile();
    // Every level but the innermost repeats the one below it.
    EXPECT_EQ(compiled.sharedValues().size(), 7u);
    // Without sharing there are 2^8 sines; shared, a few records a level.
    EXPECT_LT(compiled.recordCount(), 80u);
    EXPECT_GT(compileUnshared(*tree).recordCount(), 500u);
    for (const double x : {-2.0, -0.5, 0.0, 0.3, 1.7}) {
        table[0] = x;
        EXPECT_SAME_VALUE(tree->value(), compiled.evaluate());
    }
}

}  // namespace
}  // namespace plotwise::test
