// Cost of one evaluation of an expression, four ways side by side: the tree's value(), the
// compiled form, the formula written natively in C++, and muparser's bytecode as a peer.
#include <benchmark/benchmark.h>
#include <muParser.h>

#include <algorithm>
#include <array>
#include <cmath>
#include <cstddef>
#include <iomanip>
#include <iostream>
#include <map>
#include <memory>
#include <numbers>
#include <set>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "engine/OperationNode.h"
#include "engine/RVOperationTree.h"
#include "engine/RVParser.h"
#include "engine/TextUtilities.h"
#include "engine/VariableTable.h"

namespace {

using plotwise::VariableTable;

using NativeFormula = double (*)(double x, double y, double z, double r);

struct EvaluationCase {
    std::string name;  // ASCII, the benchmark's name after the evaluator
    std::u16string source;
    std::string muParserSource;
    NativeFormula native;
};

// ExprTk's time over native's for the same ten expressions, measured once side by side on one
// core (ExprTk is not packaged for Debian, so it is not linked here); case order. The
// arithmetic cases (no transcendental function) are 1, 3, 4, 7 and 8.
constexpr std::array<double, 10> kExprTkOverNative = {4.5,  1.16, 8.3, 13.3, 1.25,
                                                      2.06, 13.2, 9.9, 1.22, 1.24};
constexpr std::array<bool, 10> kArithmetic = {true,  false, true, true,  false,
                                              false, true,  true, false, false};

const std::vector<EvaluationCase>& evaluationCases() {
    static const std::vector<EvaluationCase> cases = {
        {"x^2+y", u"x^2+y", "x^2+y", [](double x, double y, double, double) { return x * x + y; }},
        {"sin(x)*cos(y)", u"sin(x)⋅cos(y)", "sin(x)*cos(y)",
         [](double x, double y, double, double) { return std::sin(x) * std::cos(y); }},
        {"(x^4+y^4+z^4)/10-50", u"(x^4+y^4+z^4)/10-50", "(x^4+y^4+z^4)/10-50",
         [](double x, double y, double z, double) {
             const double x2 = x * x;
             const double y2 = y * y;
             const double z2 = z * z;
             return (x2 * x2 + y2 * y2 + z2 * z2) / 10 - 50;
         }},
        {"320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)",
         u"320(-x^2z^3-(9y^2z^3)/80+(x^2+(9y^2)/4+z^2-1)^3)",
         "320*(-x^2*z^3-(9*y^2*z^3)/80+(x^2+(9*y^2)/4+z^2-1)^3)",
         [](double x, double y, double z, double) {
             const double x2 = x * x;
             const double y2 = y * y;
             const double z3 = z * z * z;
             const double t = x2 + (9 * y2) / 4 + z * z - 1;
             return 320 * (-x2 * z3 - (9 * y2 * z3) / 80 + t * t * t);
         }},
        {"abs(cos(x)*sin(y))", u"abs(cos(x)⋅sin(y))", "abs(cos(x)*sin(y))",
         [](double x, double y, double, double) { return std::abs(std::cos(x) * std::sin(y)); }},
        {"100*sin(7sqrt(x^2+y^2))/(1+sqrt(x^2+y^2))^2", u"100⋅sin(7⋅√(x^2+y^2))/(1+√(x^2+y^2))^2",
         "100*sin(7*sqrt(x^2+y^2))/(1+sqrt(x^2+y^2))^2",
         [](double x, double y, double, double) {
             const double r = std::sqrt(x * x + y * y);
             return 100 * std::sin(7 * r) / ((1 + r) * (1 + r));
         }},
        {"1+2x+3x^2+...+20x^19",
         u"1+2x+3x^2+4x^3+5x^4+6x^5+7x^6+8x^7+9x^8+10x^9+11x^10+12x^11+13x^12+14x^13+15x^14+16x^15+"
         u"17x^16+18x^17+19x^18+20x^19",
         "1+2*x+3*x^2+4*x^3+5*x^4+6*x^5+7*x^6+8*x^7+9*x^8+10*x^9+11*x^10+12*x^11+13*x^12+14*x^13+"
         "15*x^14+16*x^15+17*x^16+18*x^17+19*x^18+20*x^19",
         // By running powers, as one writes a polynomial by hand.
         [](double x, double, double, double) {
             double sum = 1;
             double power = 1;
             for (int k = 2; k <= 20; ++k) {
                 power *= x;
                 sum += k * power;
             }
             return sum;
         }},
        {"x^2+y^2+z^2-4", u"x^2+y^2+z^2-4", "x^2+y^2+z^2-4",
         [](double x, double y, double z, double) { return x * x + y * y + z * z - 4; }},
        {"sin(x)-cos(y)^2", u"sin(x)-cos(y)^2", "sin(x)-cos(y)^2",
         [](double x, double y, double, double) {
             return std::sin(x) - std::cos(y) * std::cos(y);
         }},
        {"sin(2x)+cos(pi/y)", u"sin(2x)+cos(π/y)", "sin(2*x)+cos(_pi/y)",
         [](double x, double y, double, double) {
             return std::sin(2 * x) + std::cos(std::numbers::pi / y);
         }},
    };
    return cases;
}

struct Sample {
    double x, y, z, r;
};

// Every iteration moves to the next point, so no evaluator can reuse the previous result; all four
// walk the same points. A power of two keeps the wrap-around a mask.
constexpr std::size_t kSampleCount = 64;
static_assert((kSampleCount & (kSampleCount - 1)) == 0);

std::array<Sample, kSampleCount> makeSamples() {
    // Low-discrepancy steps spread the points over x, z in [-1.5, 1.5], |y| in [0.3, 1.8] (away
    // from the pole of π/y) and r in [0.1, 3].
    auto fraction = [](double v) { return v - std::floor(v); };
    std::array<Sample, kSampleCount> samples{};
    for (std::size_t i = 0; i < kSampleCount; ++i) {
        const double k = static_cast<double>(i);
        const double ySign = i % 2 == 0 ? 1.0 : -1.0;
        samples[i] = {-1.5 + 3.0 * fraction(0.5 + k * 0.6180339887498949),
                      ySign * (0.3 + 1.5 * fraction(0.25 + k * 0.7548776662466927)),
                      -1.5 + 3.0 * fraction(0.1 + k * 0.5698402909980532),
                      0.1 + 2.9 * fraction(0.7 + k * 0.4142135623730950)};
    }
    return samples;
}

const std::array<Sample, kSampleCount> kSamples = makeSamples();

// One case made ready for evaluation. The tree, its compiled form and muparser all read the same
// table, so every evaluator pays for the same four stores per iteration.
struct PreparedCase {
    const EvaluationCase* evaluationCase = nullptr;
    VariableTable table{};
    std::unique_ptr<plotwise::RVOperationTree> tree;
    plotwise::CompiledExpression compiled;
    mu::Parser muParser;

    void load(const Sample& sample) {
        table[0] = sample.x;
        table[1] = sample.y;
        table[2] = sample.z;
        table[3] = sample.r;
    }
    double native() const { return evaluationCase->native(table[0], table[1], table[2], table[3]); }
};

std::unique_ptr<PreparedCase> prepare(const EvaluationCase& evaluationCase) {
    auto prepared = std::make_unique<PreparedCase>();
    prepared->evaluationCase = &evaluationCase;
    plotwise::RVParser parser;
    prepared->tree = parser.parse(evaluationCase.source, prepared->table.data());
    if (!prepared->tree) {
        std::cerr << "plotwise-bench-evaluation: cannot parse \"" << evaluationCase.name
                  << "\": " << plotwise::toUtf8(parser.error()) << " at " << parser.errorPos()
                  << '\n';
        return nullptr;
    }
    prepared->compiled = prepared->tree->compile();
    try {
        const char* names[] = {"x", "y", "z", "r"};
        for (std::size_t i = 0; i < 4; ++i) {
            prepared->muParser.DefineVar(names[i], &prepared->table[i]);
        }
        prepared->muParser.SetExpr(evaluationCase.muParserSource);
        prepared->muParser.Eval();  // the first call parses; later calls run the bytecode
    } catch (const mu::Parser::exception_type& e) {
        std::cerr << "plotwise-bench-evaluation: muparser rejects \""
                  << evaluationCase.muParserSource << "\": " << e.GetMsg() << '\n';
        return nullptr;
    }
    return prepared;
}

bool agrees(double value, double reference) {
    if (!std::isfinite(value) || !std::isfinite(reference)) {
        return false;  // no sample point is meant to reach a pole
    }
    return std::fabs(value - reference) <= 1e-9 * std::fmax(std::fabs(value), std::fabs(reference));
}

// A benchmark of a wrong formula would be meaningless: every evaluator must give the native value
// at every sample point before anything is timed.
bool verify(PreparedCase& prepared) {
    for (const Sample& sample : kSamples) {
        prepared.load(sample);
        const double reference = prepared.native();
        const std::pair<const char*, double> values[] = {
            {"tree", prepared.tree->value()},
            {"compiled", prepared.compiled.evaluate()},
            {"muparser", prepared.muParser.Eval()},
        };
        for (const auto& [evaluator, value] : values) {
            if (!agrees(value, reference)) {
                std::cerr << "plotwise-bench-evaluation: \"" << prepared.evaluationCase->name
                          << "\" at x=" << plotwise::shortestText(sample.x)
                          << " y=" << plotwise::shortestText(sample.y)
                          << " z=" << plotwise::shortestText(sample.z)
                          << " r=" << plotwise::shortestText(sample.r) << ": " << evaluator
                          << " gives " << plotwise::shortestText(value) << ", native gives "
                          << plotwise::shortestText(reference) << '\n';
                return false;
            }
        }
    }
    return true;
}

template <typename Evaluate>
void runEvaluations(benchmark::State& state, PreparedCase& prepared, Evaluate evaluate) {
    std::size_t next = 0;
    for (auto _ : state) {
        prepared.load(kSamples[next]);
        next = (next + 1) & (kSampleCount - 1);
        benchmark::DoNotOptimize(evaluate());
    }
}

constexpr std::array<std::string_view, 4> kEvaluators = {"Tree", "Compiled", "Native", "MuParser"};

void registerBenchmarks(PreparedCase& prepared) {
    PreparedCase* p = &prepared;
    const std::string& name = prepared.evaluationCase->name;
    auto add = [&name](std::string_view evaluator, auto function) {
        const std::string fullName = "BM_" + std::string(evaluator) + "/" + name;
        benchmark::RegisterBenchmark(fullName.c_str(), function)->Unit(benchmark::kNanosecond);
    };
    add(kEvaluators[0], [p](benchmark::State& state) {
        runEvaluations(state, *p, [p] { return p->tree->value(); });
    });
    add(kEvaluators[1], [p](benchmark::State& state) {
        runEvaluations(state, *p, [p] { return p->compiled.evaluate(); });
        // The compiled form's size (leaf records included) helps read its time.
        state.SetLabel(std::to_string(p->compiled.recordCount()) + " records");
    });
    add(kEvaluators[2],
        [p](benchmark::State& state) { runEvaluations(state, *p, [p] { return p->native(); }); });
    add(kEvaluators[3], [p](benchmark::State& state) {
        runEvaluations(state, *p, [p] { return p->muParser.Eval(); });
    });
}

// Passes everything to the display reporter the flags chose; when that is the console, it closes
// the run with one row per expression: CPU ns per evaluation of each evaluator and the ratios.
class SideBySideReporter : public benchmark::BenchmarkReporter {
public:
    // Rows follow `expressions`, whatever order the benchmarks ran in (they may be interleaved).
    SideBySideReporter(benchmark::BenchmarkReporter* display, std::vector<std::string> expressions)
        : display_(display), order_(std::move(expressions)) {}

    bool ReportContext(const Context& context) override { return display_->ReportContext(context); }

    void ReportRuns(const std::vector<Run>& runs) override {
        display_->ReportRuns(runs);
        for (const Run& run : runs) {
            record(run);
        }
    }

    void Finalize() override {
        display_->Finalize();
        if (dynamic_cast<benchmark::ConsoleReporter*>(display_) != nullptr) {
            printSummary(display_->GetOutputStream());
        }
    }

private:
    struct Row {
        std::array<double, kEvaluators.size()> nanoseconds{};
        std::array<bool, kEvaluators.size()> measured{};
    };

    void record(const Run& run) {
        if (run.error_occurred) {
            return;
        }
        // With repetitions, the median stands for the expression; single runs otherwise.
        const bool isMedian = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
        if (run.run_type == Run::RT_Aggregate && !isMedian) {
            return;
        }
        const std::string& name = run.run_name.function_name;
        const std::size_t slash = name.find('/');
        if (slash == std::string::npos || name.compare(0, 3, "BM_") != 0) {
            return;
        }
        const std::string_view evaluator = std::string_view(name).substr(3, slash - 3);
        const std::string expression = name.substr(slash + 1);
        for (std::size_t i = 0; i < kEvaluators.size(); ++i) {
            if (kEvaluators[i] != evaluator) {
                continue;
            }
            auto it = rows_.try_emplace(expression).first;
            if (isMedian || !medians_.contains(name)) {
                it->second.nanoseconds[i] = run.GetAdjustedCPUTime();
                it->second.measured[i] = true;
            }
            if (isMedian) {
                medians_.insert(name);
            }
        }
    }

    void printSummary(std::ostream& out) const {
        if (rows_.empty()) {
            return;
        }
        std::size_t width = 10;
        for (const std::string& expression : order_) {
            width = std::max(width, expression.size());
        }
        out << "\nCPU ns per evaluation\n"
            << std::left << std::setw(static_cast<int>(width)) << "expression" << std::right;
        for (std::string_view evaluator : kEvaluators) {
            out << std::setw(10) << evaluator;
        }
        out << std::setw(18) << "compiled/native" << std::setw(18) << "compiled/muparser"
            << std::setw(15) << "tree/compiled" << std::setw(16) << "exprtk/native" << '\n';
        double logArithmetic = 0;
        double logTranscendental = 0;
        int arithmetic = 0;
        int transcendental = 0;
        out << std::fixed << std::setprecision(2);
        for (const std::string& expression : order_) {
            const auto found = rows_.find(expression);
            if (found == rows_.end()) {
                continue;  // filtered out
            }
            const Row& row = found->second;
            out << std::left << std::setw(static_cast<int>(width)) << expression << std::right;
            for (std::size_t i = 0; i < kEvaluators.size(); ++i) {
                if (row.measured[i]) {
                    out << std::setw(10) << row.nanoseconds[i];
                } else {
                    out << std::setw(10) << "-";
                }
            }
            auto ratio = [&row](std::size_t numerator, std::size_t denominator) {
                std::ostringstream text;
                if (row.measured[numerator] && row.measured[denominator] &&
                    row.nanoseconds[denominator] > 0.0) {
                    text << std::fixed << std::setprecision(2)
                         << row.nanoseconds[numerator] / row.nanoseconds[denominator];
                } else {
                    text << "-";
                }
                return text.str();
            };
            const std::size_t index = static_cast<std::size_t>(&expression - order_.data());
            out << std::setw(18) << ratio(1, 2) << std::setw(18) << ratio(1, 3) << std::setw(15)
                << ratio(0, 1) << std::setw(16)
                << (index < kExprTkOverNative.size() ? kExprTkOverNative[index] : 0.0) << '\n';
            if (row.measured[1] && row.measured[2] && row.nanoseconds[2] > 0.0 &&
                index < kArithmetic.size()) {
                const double logRatio = std::log(row.nanoseconds[1] / row.nanoseconds[2]);
                if (kArithmetic[index]) {
                    logArithmetic += logRatio;
                    ++arithmetic;
                } else {
                    logTranscendental += logRatio;
                    ++transcendental;
                }
            }
        }
        if (arithmetic > 0) {
            out << "geometric mean compiled/native, arithmetic: "
                << std::exp(logArithmetic / arithmetic);
        }
        if (transcendental > 0) {
            out << ", transcendental: " << std::exp(logTranscendental / transcendental);
        }
        out << '\n';
        out.unsetf(std::ios::floatfield);
    }

    benchmark::BenchmarkReporter* display_;  // owned by the benchmark library
    std::map<std::string, Row> rows_;
    std::vector<std::string> order_;
    std::set<std::string> medians_;  // names whose median is already recorded
};

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }

    std::vector<std::unique_ptr<PreparedCase>> prepared;
    for (const EvaluationCase& evaluationCase : evaluationCases()) {
        auto ready = prepare(evaluationCase);
        if (!ready || !verify(*ready)) {
            std::cerr << "plotwise-bench-evaluation: evaluators disagree or fail; nothing timed\n";
            return 1;
        }
        prepared.push_back(std::move(ready));
    }
    for (const auto& ready : prepared) {
        registerBenchmarks(*ready);
    }

    std::vector<std::string> expressions;
    for (const EvaluationCase& evaluationCase : evaluationCases()) {
        expressions.push_back(evaluationCase.name);
    }
    SideBySideReporter reporter(benchmark::CreateDefaultDisplayReporter(), std::move(expressions));
    benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return 0;
}
