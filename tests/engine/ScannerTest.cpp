#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/RVScanner.h"

namespace plotwise {
namespace {

using test::utf8;

struct ExpectedToken {
    int type;
    std::u16string spelling;
    int position;
};

struct ScanCase {
    const char* name;
    std::u16string text;
    std::vector<ExpectedToken> tokens;  // up to and including the end token
};

void PrintTo(const ScanCase& c, std::ostream* os) {
    *os << c.name << " \"" << utf8(c.text) << "\"";
}

// Scans up to the end token; a bound on the count keeps a broken scanner from looping forever.
std::vector<RVToken> scanAll(const std::u16string& text) {
    RVScanner scanner;
    scanner.setSource(text);
    std::vector<RVToken> tokens;
    for (size_t i = 0; i <= text.size() + 1; ++i) {
        tokens.push_back(scanner.scan());
        if (tokens.back().type() == TOKEN_EOF) {
            break;
        }
    }
    return tokens;
}

std::string describeTokens(const std::vector<RVToken>& tokens) {
    std::string out;
    for (const RVToken& t : tokens) {
        out += utf8(t.description()) + "\n";
    }
    return out;
}

class ScanTokens : public ::testing::TestWithParam<ScanCase> {};

TEST_P(ScanTokens, TypesSpellingsAndPositions) {
    const ScanCase& c = GetParam();
    const std::vector<RVToken> tokens = scanAll(c.text);
    SCOPED_TRACE(describeTokens(tokens));
    ASSERT_EQ(tokens.size(), c.tokens.size());
    for (size_t i = 0; i < tokens.size(); ++i) {
        SCOPED_TRACE("token " + std::to_string(i));
        EXPECT_EQ(tokens[i].type(), c.tokens[i].type);
        EXPECT_EQ(utf8(tokens[i].spelling()), utf8(c.tokens[i].spelling));
        EXPECT_EQ(tokens[i].locationInSource(), c.tokens[i].position);
    }
}

const ScanCase kScanCases[] = {
    {"NumberThenVariable", u"2x", {{2, u"2", 0}, {4, u"x", 1}, {16, u"", 1}}},
    {"VariableThenNumber", u"x2", {{4, u"x", 0}, {2, u"2", 1}, {16, u"", 1}}},
    {"SinxIsOneIdentifier", u"sinx", {{5, u"sinx", 0}, {16, u"", 3}}},
    {"FunctionCall",
     u"sin(x)",
     {{5, u"sin", 0}, {0, u"(", 3}, {4, u"x", 4}, {1, u")", 5}, {16, u"", 5}}},
    {"Derivative",
     u"d/dx(x^2)",
     {{6, u"d/d", 0},
      {4, u"x", 3},
      {0, u"(", 4},
      {4, u"x", 5},
      {7, u"^", 6},
      {2, u"2", 7},
      {1, u")", 8},
      {16, u"", 8}}},
    {"DogIsAnIdentifier", u"dog", {{5, u"dog", 0}, {16, u"", 2}}},
    {"LoneDIsAnIdentifier", u"d", {{5, u"d", 0}, {16, u"", 0}}},
    {"DxWithoutSlashIsAnIdentifier", u"dx", {{5, u"dx", 0}, {16, u"", 1}}},
    {"UpperCaseDIsNoDerivative",
     u"D/dx",
     {{5, u"D", 0}, {10, u"/", 1}, {5, u"dx", 2}, {16, u"", 3}}},
    {"StarIsNormalised", u"3*4", {{2, u"3", 0}, {9, u"⋅", 1}, {2, u"4", 2}, {16, u"", 2}}},
    {"CrossIsNormalised", u"3×4", {{2, u"3", 0}, {9, u"⋅", 1}, {2, u"4", 2}, {16, u"", 2}}},
    {"DotStaysDot", u"3⋅4", {{2, u"3", 0}, {9, u"⋅", 1}, {2, u"4", 2}, {16, u"", 2}}},
    {"SecondPointIsUnknown", u"1.5.2", {{2, u"1.5", 0}, {17, u".", 3}, {2, u"2", 4}, {16, u"", 4}}},
    {"TrailingPointStaysInNumber", u"5.", {{2, u"5.", 0}, {16, u"", 1}}},
    {"LeadingPointIsUnknown", u".5", {{17, u".", 0}, {2, u"5", 1}, {16, u"", 1}}},
    {"LeadingZerosKept", u"0012.3400", {{2, u"0012.3400", 0}, {16, u"", 8}}},
    {"ExpIsConstantVariableIdentifier",
     u"exp",
     {{3, u"e", 0}, {4, u"x", 1}, {5, u"p", 2}, {16, u"", 2}}},
    {"PiIsANamedConstant", u"2π", {{2, u"2", 0}, {3, u"π", 1}, {16, u"", 1}}},
    {"EmptyTextEndsAtMinusOne", u"", {{16, u"", -1}}},
    {"SingleVariableEndAtItsIndex", u"x", {{4, u"x", 0}, {16, u"", 0}}},
    {"WhitespaceOnlyEndsAtLastIndex", u"  ", {{16, u"", 1}}},
    {"NoBreakSpaceSkipped", u"x\u00A0y", {{4, u"x", 0}, {4, u"y", 2}, {16, u"", 2}}},
    {"BlankTabNewlineSkipped", u" \tx\n", {{4, u"x", 2}, {16, u"", 3}}},
    {"CarriageReturnIsUnknown", u"\r", {{17, u"\r", 0}, {16, u"", 0}}},
    {"UpperGreekAreVariablesLowerThetaUnknown",
     u"ΘΦθ",
     {{4, u"Θ", 0}, {4, u"Φ", 1}, {17, u"θ", 2}, {16, u"", 2}}},
    {"AdjacentVariablesSplit", u"xy", {{4, u"x", 0}, {4, u"y", 1}, {16, u"", 1}}},
    {"AllSixVariables",
     u"xyzrΘΦ",
     {{4, u"x", 0},
      {4, u"y", 1},
      {4, u"z", 2},
      {4, u"r", 3},
      {4, u"Θ", 4},
      {4, u"Φ", 5},
      {16, u"", 5}}},
    {"UpperCaseLettersAreIdentifiers", u"XE", {{5, u"XE", 0}, {16, u"", 1}}},
    {"DigitsInsideIdentifier", u"sin2x", {{5, u"sin2x", 0}, {16, u"", 4}}},
    {"Log2IsOneName", u"log2(", {{5, u"log2", 0}, {0, u"(", 4}, {16, u"", 4}}},
    {"UnderscoreIsALetter", u"_a1", {{5, u"_a1", 0}, {16, u"", 2}}},
    {"BlankSeparatesNumbers", u"2 3", {{2, u"2", 0}, {2, u"3", 2}, {16, u"", 2}}},
    {"EachRelationCharacterIsOneToken",
     u"<=≤≥≠=>",
     {{13, u"<", 0},
      {13, u"=", 1},
      {13, u"≤", 2},
      {13, u"≥", 3},
      {13, u"≠", 4},
      {13, u"=", 5},
      {13, u">", 6},
      {16, u"", 6}}},
    {"OperatorsAndPunctuation",
     u"+-/^√,;()",
     {{11, u"+", 0},
      {12, u"-", 1},
      {10, u"/", 2},
      {7, u"^", 3},
      {8, u"√", 4},
      {14, u",", 5},
      {15, u";", 6},
      {0, u"(", 7},
      {1, u")", 8},
      {16, u"", 8}}},
    // Positions count UTF-16 units: the two halves of a pair are two unknown tokens.
    {"SurrogatePairCountsTwoUnits",
     u"\U0001F600x",
     {{17, std::u16string(1, u'\xD83D'), 0},
      {17, std::u16string(1, u'\xDE00'), 1},
      {4, u"x", 2},
      {16, u"", 2}}},
    {"UnicodeMinusIsUnknown", u"\u2212x", {{17, u"\u2212", 0}, {4, u"x", 1}, {16, u"", 1}}},
    {"NulIsUnknown",
     std::u16string(1, u'\0') + u"1",
     {{17, std::u16string(1, u'\0'), 0}, {2, u"1", 1}, {16, u"", 1}}},
};

INSTANTIATE_TEST_SUITE_P(Scanner, ScanTokens, ::testing::ValuesIn(kScanCases),
                         [](const ::testing::TestParamInfo<ScanCase>& info) {
                             return std::string(info.param.name);
                         });

struct ScanErrorCase {
    const char* name;
    std::u16string text;
    int tokensBeforeError;
    int position;
};

class ScanErrors : public ::testing::TestWithParam<ScanErrorCase> {};

// "d/" must be followed by "d"; the error names the missing "d" at the offending index.
TEST_P(ScanErrors, DerivativePrefixWithoutSecondD) {
    const ScanErrorCase& c = GetParam();
    RVScanner scanner;
    scanner.setSource(c.text);
    for (int i = 0; i < c.tokensBeforeError; ++i) {
        EXPECT_NE(scanner.scan().type(), TOKEN_EOF);
    }
    try {
        scanner.scan();
        ADD_FAILURE() << "no scan error for " << utf8(c.text);
    } catch (const ScanException& e) {
        EXPECT_EQ(utf8(e.format), "%@ expected");
        EXPECT_EQ(utf8(e.argument), "d");
        EXPECT_EQ(e.position, c.position);
    }
}

const ScanErrorCase kScanErrorCases[] = {
    {"DSlashX", u"d/x", 0, 2},
    {"AfterOtherTokens", u"2+d/5", 2, 4},
    {"BlankInsidePrefix", u"d/ d", 0, 2},
    // At the end there is no offending character; the index is sourcePtr - 1.
    {"AtEndOfText", u"d/", 0, 1},
    {"UpperCaseSecondD", u"d/Dx", 0, 2},
};

INSTANTIATE_TEST_SUITE_P(Scanner, ScanErrors, ::testing::ValuesIn(kScanErrorCases),
                         [](const ::testing::TestParamInfo<ScanErrorCase>& info) {
                             return std::string(info.param.name);
                         });

TEST(Scanner, SetSourceRestartsFromTheBeginning) {
    RVScanner scanner;
    scanner.setSource(u"12+x");
    EXPECT_EQ(scanner.scan().type(), TOKEN_CONSTANT);
    scanner.setSource(u"y");
    const RVToken y = scanner.scan();
    EXPECT_EQ(y.type(), TOKEN_VARIABLE);
    EXPECT_EQ(utf8(y.spelling()), "y");
    EXPECT_EQ(y.locationInSource(), 0);
    EXPECT_EQ(scanner.scan().type(), TOKEN_EOF);
}

TEST(Scanner, EndTokenRepeatsAtTheEnd) {
    RVScanner scanner;
    scanner.setSource(u"x ");
    scanner.scan();
    const RVToken first = scanner.scan();
    const RVToken second = scanner.scan();
    EXPECT_EQ(first.type(), TOKEN_EOF);
    EXPECT_EQ(second.type(), TOKEN_EOF);
    EXPECT_EQ(first.locationInSource(), 1);
    EXPECT_EQ(second.locationInSource(), 1);
}

// Property: over random text without scan errors, the tokens tile the source. Each token's
// spelling stands at its position (multiplication signs read as "⋅"), positions increase, and
// everything between tokens is white space.
TEST(Scanner, TokensTileRandomText) {
    const std::vector<std::u16string> pieces = {
        u"0", u"7", u".", u"x", u"y",   u"Θ",  u"Φ",      u"θ", u"e",      u"π",
        u"s", u"i", u"n", u"d", u"d/d", u"_",  u"Q",      u"+", u"-",      u"*",
        u"×", u"⋅", u"/", u"^", u"√",   u"=",  u"<",      u"≤", u"≥",      u"≠",
        u"(", u")", u",", u";", u" ",   u"\t", u"\u00A0", u"#", u"\xD800", u"\r"};
    std::mt19937 rng(20240611);
    std::uniform_int_distribution<size_t> pick(0, pieces.size() - 1);
    std::uniform_int_distribution<int> length(0, 30);
    int scanned = 0;
    for (int round = 0; round < 3000; ++round) {
        std::u16string text;
        for (int n = length(rng); n > 0; --n) {
            text += pieces[pick(rng)];
        }
        SCOPED_TRACE(utf8(text));
        std::vector<RVToken> tokens;
        try {
            tokens = scanAll(text);
        } catch (const ScanException& e) {
            // Only a "d/" without its second "d" may fail. The index is that of the character
            // after it, or of the "/" itself when the text ends there.
            ASSERT_GE(e.position, 1);
            const auto at = static_cast<size_t>(e.position);
            const bool before = at >= 2 && text.substr(at - 2, 2) == u"d/";
            const bool atEnd = at + 1 == text.size() && text.substr(at - 1, 2) == u"d/";
            EXPECT_TRUE(before || atEnd) << "scan error at " << at;
            continue;
        }
        ++scanned;
        ASSERT_FALSE(tokens.empty());
        ASSERT_EQ(tokens.back().type(), TOKEN_EOF);
        size_t covered = 0;
        for (size_t i = 0; i + 1 < tokens.size(); ++i) {
            const RVToken& t = tokens[i];
            ASSERT_GE(t.locationInSource(), 0);
            const auto at = static_cast<size_t>(t.locationInSource());
            ASSERT_GE(at, covered);
            for (size_t k = covered; k < at; ++k) {
                EXPECT_TRUE(RVScanner::isWhite(std::u16string_view(&text[k], 1)));
            }
            ASSERT_LE(at + t.spelling().size(), text.size());
            const std::u16string source = text.substr(at, t.spelling().size());
            if (t.type() == TOKEN_TIMES) {
                EXPECT_TRUE(source == u"*" || source == u"×" || source == u"⋅");
                EXPECT_EQ(utf8(t.spelling()), "⋅");
            } else {
                EXPECT_EQ(utf8(source), utf8(t.spelling()));
            }
            EXPECT_FALSE(t.spelling().empty());
            covered = at + t.spelling().size();
        }
        for (size_t k = covered; k < text.size(); ++k) {
            EXPECT_TRUE(RVScanner::isWhite(std::u16string_view(&text[k], 1)));
        }
        const int lastIndex = static_cast<int>(text.size()) - 1;
        EXPECT_EQ(tokens.back().locationInSource(), lastIndex);
    }
    EXPECT_GT(scanned, 1000);  // the property must have been exercised, not skipped
}

TEST(Token, StringForTokenTypeNamesEveryType) {
    const char* const names[] = {"(",   ")",     "Constant", "Number",    "Variable",  "Function",
                                 "d/d", "^",     "√",        "*",         "/",         "+",
                                 "-",   "Relop", ",",        "TOKEN_EOL", "TOKEN_EOF", "Unknown"};
    ASSERT_EQ(std::size(names), 18u);
    for (int type = 0; type < 18; ++type) {
        SCOPED_TRACE(type);
        EXPECT_EQ(utf8(RVToken::stringForTokenType(type)), names[type]);
    }
}

TEST(Token, SamePriorityTable) {
    auto group = [](int t) {
        if (t == TOKEN_TIMES || t == TOKEN_DIVIDE) {
            return 100;
        }
        if (t == TOKEN_PLUS || t == TOKEN_MINUS) {
            return 101;
        }
        return t;
    };
    for (int a = 0; a < 18; ++a) {
        for (int b = 0; b < 18; ++b) {
            SCOPED_TRACE(std::to_string(a) + " vs " + std::to_string(b));
            const RVToken left(a, u"l", 0);
            const RVToken right(b, u"r", 5);
            EXPECT_EQ(left.hasSamePriorityAsToken(right), group(a) == group(b));
        }
    }
    // Explicit rows for the pairs that matter to printing.
    EXPECT_TRUE(RVToken::timesToken().hasSamePriorityAsToken(RVToken::divideToken()));
    EXPECT_TRUE(RVToken::minusToken().hasSamePriorityAsToken(RVToken::plusToken()));
    EXPECT_FALSE(RVToken::plusToken().hasSamePriorityAsToken(RVToken::timesToken()));
    EXPECT_FALSE(RVToken::powerToken().hasSamePriorityAsToken(RVToken::rootToken()));
}

TEST(Token, ReadyMadeOperatorTokens) {
    struct Row {
        RVToken token;
        int type;
        const char* spelling;
    };
    const Row rows[] = {
        {RVToken::plusToken(), 11, "+"}, {RVToken::minusToken(), 12, "-"},
        {RVToken::timesToken(), 9, "*"}, {RVToken::divideToken(), 10, "/"},
        {RVToken::powerToken(), 7, "^"}, {RVToken::rootToken(), 8, "√"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.spelling);
        EXPECT_EQ(row.token.type(), row.type);
        EXPECT_EQ(utf8(row.token.spelling()), row.spelling);
        EXPECT_EQ(row.token.locationInSource(), 0);
    }
}

TEST(Token, DescriptionFormat) {
    EXPECT_EQ(utf8(RVToken::tokenWithType(TOKEN_VARIABLE, u"x", 3).description()),
              "\"x\" (Variable:4) pos:3");
    EXPECT_EQ(utf8(RVToken(TOKEN_EOF, u"", -1).description()), "\"\" (TOKEN_EOF:16) pos:-1");
}

TEST(Scanner, CharacterClasses) {
    struct Row {
        const char* name;
        bool (*test)(std::u16string_view);
        std::u16string members;
        std::u16string others;
    };
    const Row rows[] = {
        {"variable", &RVScanner::isVariable, u"xyzrΘΦ", u"XθeY"},
        {"constant", &RVScanner::isConstant, u"eπ", u"EΠx"},
        {"addop", &RVScanner::isAddop, u"+-", u"\u2212*"},
        {"mulop", &RVScanner::isMulop, u"*⋅×/", u"+÷"},
        {"powop", &RVScanner::isPowop, u"^√", u"*"},
        {"relop", &RVScanner::isRelop, u"=><≤≥≠", u"!"},
        {"white", &RVScanner::isWhite, u" \t\n\u00A0", u"\rx\u2003"},
        {"alpha", &RVScanner::isAlpha, u"aZ_qd", u"0Θπ"},
        {"digit", &RVScanner::isDigit, u"0123456789", u"a.٣"},
        {"alphanum", &RVScanner::isAlphaNum, u"a9_Z", u".-"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        for (char16_t c : row.members) {
            EXPECT_TRUE(row.test(std::u16string_view(&c, 1))) << utf8(std::u16string(1, c));
        }
        for (char16_t c : row.others) {
            EXPECT_FALSE(row.test(std::u16string_view(&c, 1))) << utf8(std::u16string(1, c));
        }
        // The empty end-of-text character belongs to no class.
        EXPECT_FALSE(row.test(std::u16string_view()));
    }
}

TEST(TextUtilities, ContainsStringAndTrimming) {
    EXPECT_TRUE(containsString(u"Sin", u"sin", true));
    EXPECT_FALSE(containsString(u"Sin", u"sin"));
    EXPECT_FALSE(containsString(u"abc", u""));
    EXPECT_FALSE(containsString(u"", u""));
    EXPECT_EQ(utf8(stringByTrimmingWhitespace(u" \t x y\u00A0\n")), "x y");
    EXPECT_EQ(utf8(stringByTrimmingWhitespace(u"  ")), "");
}

}  // namespace
}  // namespace plotwise
