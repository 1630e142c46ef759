#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "EngineTestSupport.h"
#include "engine/RVScanner.h"

namespace plotwise {
namespace {

using test::utf8;

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

// Every token as type:spelling@position, up to and including the end token.
TEST(Scanner, TypesSpellingsAndPositions) {
    const std::pair<std::u16string, const char*> rows[] = {
        {u"2x", "Constant:2@0 Variable:x@1 TOKEN_EOF:@1"},
        {u"sinx", "Function:sinx@0 TOKEN_EOF:@3"},
        {u"sin(x)", "Function:sin@0 (:(@3 Variable:x@4 ):)@5 TOKEN_EOF:@5"},
        {u"d/dx(x^2)",
         "d/d:d/d@0 Variable:x@3 (:(@4 Variable:x@5 ^:^@6 Constant:2@7 ):)@8 TOKEN_EOF:@8"},
        {u"dog", "Function:dog@0 TOKEN_EOF:@2"},
        {u"d", "Function:d@0 TOKEN_EOF:@0"},
        {u"D/dx", "Function:D@0 /:/@1 Function:dx@2 TOKEN_EOF:@3"},
        {u"3*4", "Constant:3@0 *:⋅@1 Constant:4@2 TOKEN_EOF:@2"},
        {u"1.5.2", "Constant:1.5@0 Unknown:.@3 Constant:2@4 TOKEN_EOF:@4"},
        {u"5.", "Constant:5.@0 TOKEN_EOF:@1"},
        {u"exp", "Number:e@0 Variable:x@1 Function:p@2 TOKEN_EOF:@2"},
        {u"2π", "Constant:2@0 Number:π@1 TOKEN_EOF:@1"},
        {u"", "TOKEN_EOF:@-1"},
        {u"x\u00A0y", "Variable:x@0 Variable:y@2 TOKEN_EOF:@2"},
        {u" \tx\n", "Variable:x@2 TOKEN_EOF:@3"},
        {u"\r", "Unknown:\r@0 TOKEN_EOF:@0"},
        {u"ΘΦθ", "Variable:Θ@0 Variable:Φ@1 Unknown:θ@2 TOKEN_EOF:@2"},
        {u"sin2x", "Function:sin2x@0 TOKEN_EOF:@4"},
        {u"<=≤≥≠=>",
         "Relop:<@0 Relop:=@1 Relop:≤@2 Relop:≥@3 Relop:≠@4 Relop:=@5 Relop:>@6 TOKEN_EOF:@6"},
        // Positions count UTF-16 units: the two halves of a pair are two unknown tokens.
        {u"\U0001F600x", "Unknown:\uFFFD@0 Unknown:\uFFFD@1 Variable:x@2 TOKEN_EOF:@2"},
        {u"\u2212x", "Unknown:\u2212@0 Variable:x@1 TOKEN_EOF:@1"},
    };
    for (const auto& [text, expected] : rows) {
        std::string tokens;
        for (const RVToken& t : scanAll(text)) {
            tokens += (tokens.empty() ? "" : " ") + utf8(RVToken::stringForTokenType(t.type())) +
                      ":" + utf8(t.spelling()) + "@" + std::to_string(t.locationInSource());
        }
        EXPECT_EQ(tokens, expected) << utf8(text);
    }
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
        ASSERT_EQ(tokens.back().type(), TOKEN_EOF);
        size_t covered = 0;
        const auto whiteUpTo = [&](size_t end) {
            for (; covered < end; ++covered) {
                EXPECT_TRUE(RVScanner::isWhite(std::u16string_view(&text[covered], 1))) << covered;
            }
        };
        for (size_t i = 0; i + 1 < tokens.size(); ++i) {
            const RVToken& t = tokens[i];
            const auto at = static_cast<size_t>(t.locationInSource());
            ASSERT_TRUE(t.locationInSource() >= 0 && at >= covered) << at;
            ASSERT_LE(at + t.spelling().size(), text.size());
            whiteUpTo(at);
            const std::u16string source = text.substr(at, t.spelling().size());
            const bool times = t.type() == TOKEN_TIMES && t.spelling() == u"⋅" &&
                               (source == u"*" || source == u"×" || source == u"⋅");
            EXPECT_TRUE(times || (!source.empty() && source == t.spelling()))
                << utf8(source) << " read as " << utf8(t.spelling());
            covered = at + t.spelling().size();
        }
        whiteUpTo(text.size());
        EXPECT_EQ(tokens.back().locationInSource(), static_cast<int>(text.size()) - 1);
    }
    EXPECT_GT(scanned, 1000);  // the property must have been exercised, not skipped
}

}  // namespace
}  // namespace plotwise
