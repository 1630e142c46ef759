// Time to carry out a derivative: parse, then simplify fully (every derivative expanded and
// the result cleaned up), beside parsing alone as the baseline in the same run; and the readable
// pass over each result, with the length of both forms (goal: at most half the simplification's
// time, on average at most 60 % of the result's length).
#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "engine/RVParser.h"
#include "engine/ReadableForm.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

namespace {

struct SimplificationCase {
    const char* name;
    const char16_t* source;
};

const std::vector<SimplificationCase>& simplificationCases() {
    static const std::vector<SimplificationCase> cases = {
        {"d/dx(x^2)", u"d/dx(x^2)"},
        {"d/dx(x^3)", u"d/dx(x^3)"},
        {"d/dx(sin(x))", u"d/dx(sin(x))"},
        {"d/dx(-x^2)", u"d/dx(-x^2)"},
        {"d/dx(x^x)", u"d/dx(x^x)"},
        {"d/dx(max(x,2x))", u"d/dx(max(x, 2x))"},
        {"five factors", u"d/dx(x⋅sin(x)⋅e^x⋅ln(x)⋅cos(x))"},
        {"quotient", u"d/dx((x^2+1)/(x-1))"},
        {"nested chain", u"d/dx(sin(cos(tan(ln(x^2+1)))))"},
        {"second derivative", u"d/dx(d/dx(x^3⋅sin(x)))"},
        {"x^x^x third derivative", u"d/dx(d/dx(d/dx(x^x^x)))"},
        {"polynomial", u"d/dx(3x^5-2x^4+7x^3-x^2+4x-9)"},
    };
    return cases;
}

void parseOnly(benchmark::State& state, const SimplificationCase& c) {
    const std::u16string source = c.source;
    plotwise::VariableTable table{};
    for (auto _ : state) {
        plotwise::RVParser parser;
        auto tree = parser.parse(source, table.data());
        benchmark::DoNotOptimize(tree.get());
    }
}

void differentiate(benchmark::State& state, const SimplificationCase& c) {
    const std::u16string source = c.source;
    plotwise::VariableTable table{};
    std::size_t resultLength = 0;
    for (auto _ : state) {
        plotwise::RVParser parser;
        auto tree = parser.parse(source, table.data());
        tree->simplify();
        if (tree->simplificationExhausted() || tree->containsDerivative()) {
            state.SkipWithError("the derivative was not carried out");
            return;
        }
        resultLength = tree->description().size();
        benchmark::DoNotOptimize(tree.get());
    }
    state.counters["result chars"] = static_cast<double>(resultLength);
}

void readable(benchmark::State& state, const SimplificationCase& c) {
    const std::u16string source = c.source;
    plotwise::VariableTable table{};
    plotwise::RVParser parser;
    auto tree = parser.parse(source, table.data());
    tree->simplify();
    std::size_t readableLength = 0;
    for (auto _ : state) {
        const std::u16string text = plotwise::readableText(*tree);
        readableLength = text.size();
        benchmark::DoNotOptimize(text.data());
    }
    state.counters["result chars"] = static_cast<double>(tree->description().size());
    state.counters["readable chars"] = static_cast<double>(readableLength);
}

const bool registered = [] {
    for (const SimplificationCase& c : simplificationCases()) {
        benchmark::RegisterBenchmark((std::string("BM_Parse/") + c.name).c_str(), parseOnly, c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("BM_Differentiate/") + c.name).c_str(),
                                     differentiate, c)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark((std::string("BM_Readable/") + c.name).c_str(), readable, c)
            ->Unit(benchmark::kMicrosecond);
    }
    return true;
}();

}  // namespace

BENCHMARK_MAIN();
