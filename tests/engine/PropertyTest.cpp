#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <cmath>
#include <numeric>
#include <random>
#include <span>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/FunctionLibrary.h"
#include "engine/RVParser.h"
#include "fuzz/ParserRoundTrip.h"

namespace plotwise {
namespace {

using test::kInf;
using test::kNaN;
using test::sameValue;
using test::u16;
using test::utf8;

// ---------------------------------------------------------------------------------------------
// A seeded generator of valid expression text: numbers, e, π, the six variables, + - ⋅ / ^ √,
// parentheses, every function with its argument count, derivatives, blanks, and now and then a
// relation (or an assignment) at the root and inside arguments.

class ExpressionGenerator {
public:
    explicit ExpressionGenerator(std::uint64_t seed) : rng_(seed) {}

    std::string statement() {
        budget_ = 2 + static_cast<int>(pick(28));
        if (chance(0.06)) {
            return std::string(pickOf(kVariables)) + blank() + "=" + blank() + sum(kDepth);
        }
        if (chance(0.15)) {
            return relation(kDepth);
        }
        return sum(kDepth);
    }

    // A value for a variable slot: mostly moderate numbers, sometimes the IEEE edge values.
    double slotValue() {
        static constexpr double kSpecial[] = {0.0, -0.0, kNaN, kInf, -kInf, 1e300, -1e-300, 0.5};
        const double p = uniform(0, 1);
        if (p < 0.1) {
            return kSpecial[pick(std::size(kSpecial))];
        }
        if (p < 0.25) {
            return static_cast<double>(static_cast<int>(pick(7)) - 3);
        }
        if (p < 0.85) {
            return uniform(-4, 4);
        }
        return uniform(-100, 100);
    }

private:
    static constexpr int kDepth = 5;
    static constexpr std::array<const char*, 6> kVariables = {"x", "y", "z", "r", "Θ", "Φ"};
    static constexpr std::array<const char*, 6> kRelations = {"=", ">", "<", "≤", "≥", "≠"};
    bool chance(double p) { return uniform(0, 1) < p; }
    double uniform(double a, double b) {
        return std::uniform_real_distribution<double>(a, b)(rng_);
    }
    size_t pick(size_t n) { return std::uniform_int_distribution<size_t>(0, n - 1)(rng_); }
    template <typename T, size_t N>
    T pickOf(const std::array<T, N>& items) {
        return items[pick(N)];
    }

    std::string blank() {
        const size_t p = pick(40);
        return p < 34 ? "" : p < 38 ? " " : p < 39 ? "\t" : "\u00A0";
    }

    std::string digits(size_t count) {
        std::string out;
        for (size_t i = 0; i < count; ++i) {
            out.push_back(static_cast<char>('0' + pick(10)));
        }
        return out;
    }

    std::string number() {
        switch (pick(7)) {
            case 0:
            case 1:
                return std::to_string(pick(13));
            case 2:
                return std::to_string(pick(20)) + "." + digits(1 + pick(3));
            case 3:
                return std::to_string(1 + pick(9)) + ".";  // "5." is 5
            case 4:
                return "00" + digits(1);
            case 5:
                return "1" + digits(24);  // beyond the exact integers of a double
            default:
                return "0.00000000" + digits(3);
        }
    }

    std::string leaf() {
        --budget_;
        const double p = uniform(0, 1);
        if (p < 0.4) {
            return number();
        }
        if (p < 0.85) {
            return pickOf(kVariables);
        }
        return p < 0.92 ? "e" : "π";
    }

    // Now and then in capitals, or with a capital first letter.
    std::string functionName(std::string name) {
        const double p = uniform(0, 1);
        for (size_t i = 0; i < name.size() && p < 0.1; ++i) {
            if (i == 0 || p < 0.05) {
                name[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(name[i])));
            }
        }
        return name;
    }

    std::string factor(int depth) {
        const double p = uniform(0, 1);
        if (depth <= 0 || budget_ <= 0 || p < 0.45) {
            return leaf();
        }
        if (p < 0.62) {
            return "(" + blank() + sum(depth - 1) + blank() + ")";
        }
        if (p < 0.96) {
            const FunctionDefinition* pickedFunction = nullptr;
            do {
                pickedFunction = &functions_[pick(functions_.size())];
            } while (pickedFunction->shape == FunctionShape::Derivative);
            const FunctionDefinition& f = *pickedFunction;
            std::string text = functionName(utf8(f.functionName)) + blank() + "(";
            for (int i = 0; i < f.validParameterCount; ++i) {
                if (i > 0) {
                    text += "," + blank();
                }
                text += chance(0.15) ? relation(depth - 1) : sum(depth - 1);
            }
            return text + ")";
        }
        return std::string("d/d") + pickOf(std::array<const char*, 3>{"x", "y", "z"}) + "(" +
               sum(depth - 1) + ")";
    }

    std::string power(int depth) {
        std::string text;
        if (chance(0.08)) {
            text = "√" + blank() + signedPower(depth - 1);
        } else {
            text = factor(depth);
        }
        if (depth > 0 && chance(0.2)) {
            text += blank() + (chance(0.75) ? "^" : "√") + blank() + signedPower(depth - 1);
        }
        return text;
    }

    std::string signedPower(int depth) {
        return chance(0.15) ? "-" + blank() + power(depth) : power(depth);
    }

    static bool isDigitOrPoint(char c) { return (c >= '0' && c <= '9') || c == '.'; }

    std::string product(int depth) {
        std::string text = signedPower(depth);
        const size_t count = budget_ > 0 ? pick(3) : 0;
        for (size_t i = 0; i < count; ++i) {
            const std::string next = signedPower(depth);
            static constexpr std::array<const char*, 6> kOperators = {"⋅", "*", "×", "/", " ", ""};
            std::string op = kOperators[pick(kOperators.size())];
            // Juxtaposed digits would merge into one number.
            if (op.empty() && isDigitOrPoint(text.back()) && isDigitOrPoint(next.front())) {
                op = " ";
            }
            text += blank() + op + blank() + next;
        }
        return text;
    }

    std::string sum(int depth) {
        std::string text = product(depth);
        const size_t count = budget_ > 0 ? pick(4) : 0;
        for (size_t i = 0; i < count; ++i) {
            text += blank() + (chance(0.5) ? "+" : "-") + blank() + product(depth);
        }
        return text;
    }

    std::string relation(int depth) {
        return sum(depth) + blank() + pickOf(kRelations) + blank() + sum(depth);
    }

    std::mt19937_64 rng_;
    std::span<const FunctionDefinition> functions_ = functionRegistry();
    int budget_ = 0;  // leaves left for the statement being built; keeps texts short
};

// Every fifth text also passes the fuzz target's checks (print, re-parse, compile, simplify); here
// every print is a fixed point and both evaluators agree, slot writes included, at IEEE edge
// values.
TEST(Property, GeneratedExpressionsRoundTripAndBothEvaluatorsAgree) {
    ExpressionGenerator generator(0x5EED);
    int relations = 0;
    int finite = 0;
    for (int round = 0; round < 5000; ++round) {
        const std::string text = generator.statement();
        SCOPED_TRACE("text: " + text);
        VariableTable table = test::zeroTable();
        RVParser parser;
        auto tree = parser.parse(u16(text), table.data());
        ASSERT_NE(tree, nullptr) << utf8(parser.error()) << " at " << parser.errorPos();
        const std::u16string printed = tree->description();
        relations += utf8(printed).find_first_of("=<>") != std::string::npos;
        auto reparsed = parser.parse(printed, table.data());
        ASSERT_NE(reparsed, nullptr) << utf8(printed) << ": " << utf8(parser.error());
        EXPECT_EQ(utf8(reparsed->description()), utf8(printed));
        if (round % 5 == 0) {  // its full simplification is the slow part
            const auto failure = fuzz::checkParserRoundTrip(text);
            EXPECT_FALSE(failure.has_value()) << *failure;
        }
        // Compiled max and min use fmax and fmin, which differ from the tree's comparison on NaN.
        std::string lower = text;
        std::transform(lower.begin(), lower.end(), lower.begin(),
                       [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
        const bool maxOrMin =
            lower.find("max") != std::string::npos || lower.find("min") != std::string::npos;
        const CompiledExpression compiled = tree->compile();
        for (int k = 0; k < 4; ++k) {
            for (double& slot : table) {
                slot = generator.slotValue();
            }
            const VariableTable point = table;
            const double value = tree->value();
            const VariableTable afterTree = table;
            finite += std::isfinite(value);
            table = point;
            const double fast = compiled.evaluate();
            for (size_t i = 0; i < table.size() && !maxOrMin; ++i) {
                EXPECT_TRUE(sameValue(afterTree[i], table[i])) << "slot " << i;
            }
            EXPECT_TRUE(maxOrMin || sameValue(value, fast))
                << test::describeDouble(value) << " vs compiled " << test::describeDouble(fast);
        }
    }
    EXPECT_GT(finite * 5, 5000 * 4 * 2);  // mostly NaN results would make bit-identity cheap
    EXPECT_GT(relations, 500);
}

// ---------------------------------------------------------------------------------------------
// Flat sums and products: no recursion over their length anywhere.

// Each operand and operator (every third "-" or every fourth "/") against an independent left
// fold, at every length around where the compiled form turns a chain of records into one fold
// record, and at two hundred thousand; printing gives the text back.
TEST(Property, FlatSumsAndProductsOfEveryLengthAgainstALeftFold) {
    using Operands = std::vector<std::pair<const char*, double>>;  // x = 1.25, y = 0.8
    std::vector<int> lengths(40);
    std::iota(lengths.begin(), lengths.end(), 1);
    lengths.push_back(200000);
    for (const int length : lengths) {
        for (const bool product : {false, true}) {
            SCOPED_TRACE(::testing::Message() << length << (product ? " factors" : " terms"));
            const Operands operands =
                product ? Operands{{"x", 1.25}, {"1.0001", 1.0001}, {"y", 0.8}, {"0.9999", 0.9999}}
                        : Operands{{"x", 1.25}, {"1.5", 1.5}, {"y", 0.8}, {"0.25", 0.25}, {"3", 3}};
            const int inverseEvery = product ? 4 : 3;
            std::string text;
            double expected = product ? 1 : 0;
            for (int i = 0; i < length; ++i) {
                const bool inverse = i > 0 && i % inverseEvery == inverseEvery - 1;
                const auto& [spelling, value] = operands[i % operands.size()];
                text += std::string(i == 0    ? ""
                                    : product ? (inverse ? "/" : "⋅")
                                              : (inverse ? "-" : "+"));
                text += spelling;
                expected = product ? (inverse ? expected / value : expected * value)
                                   : (inverse ? expected - value : expected + value);
            }
            ASSERT_TRUE(std::isfinite(expected) && expected != 0);
            VariableTable table = {1.25, 0.8, 0, 0, 0, 0};
            RVParser parser;
            auto tree = parser.parse(u16(text), table.data());
            ASSERT_NE(tree, nullptr) << utf8(parser.error());
            EXPECT_SAME_VALUE(expected, tree->value());
            EXPECT_SAME_VALUE(expected, tree->compile().evaluate());
            EXPECT_TRUE(tree->description() == u16(text));  // so it reads back to the same value
        }
    }
}

}  // namespace
}  // namespace plotwise
