#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/pattern.h"
#include "automation/rule.h"

using namespace comtrax;

namespace {

struct FindCase {
    const char* what;
    PatternKind kind;
    std::string pattern;
    std::string subject;
    bool matches;
    std::size_t start;  // where the match begins
    std::string whole;  // group 0
};

}  // namespace

TEST(Pattern, FindsTextHexAndExpressions)
{
    const std::vector<FindCase> cases = {
        {"plain text", PatternKind::Text, "login:", "\r\nlogin: ", true, 2, "login:"},
        {"text is case-sensitive", PatternKind::Text, "OK", "ok\r\n", false, 0, ""},
        {"$XX escapes are bytes", PatternKind::Text, "OK$0D$0A", "xxOK\r\n", true, 2, "OK\r\n"},
        {"a $ without two hex digits is itself", PatternKind::Text, "$G1", "a$G1", true, 1, "$G1"},
        {"$00 finds a zero byte", PatternKind::Text, "A$00B", std::string("xA\0B", 4), true, 1,
         std::string("A\0B", 3)},
        {"hex bytes", PatternKind::Hex, "01 03", std::string("\x05\x01\x03\x02", 4), true, 1, "\x01\x03"},
        {"hex without blanks", PatternKind::Hex, "0103", "\x01\x03", true, 0, "\x01\x03"},
        {"?? is any byte", PatternKind::Hex, "01 ?? 02", "\x09\x01\xFF\x02", true, 1, "\x01\xFF\x02"},
        {"?? still needs a byte there", PatternKind::Hex, "01 ??", "\x01", false, 0, ""},
        {"hex in lower case", PatternKind::Hex, "ff fe", "\xFF\xFE", true, 0, "\xFF\xFE"},
        {"regex", PatternKind::Regex, "T=(\\d+)", "T=25;", true, 0, "T=25"},
        {"regex over bytes above 127", PatternKind::Regex, "\xCE\xCA", "\xCE\xCA!", true, 0, "\xCE\xCA"},
    };
    for (const FindCase& c : cases) {
        std::string error;
        auto p = CompiledPattern::compile({c.kind, c.pattern}, error);
        ASSERT_TRUE(p) << c.what << ": " << error;
        PatternMatch m;
        const auto outcome = p->find(c.subject, 0, &m);
        EXPECT_EQ(outcome == CompiledPattern::Outcome::Match, c.matches) << c.what;
        if (c.matches && outcome == CompiledPattern::Outcome::Match) {
            EXPECT_EQ(m.start, c.start) << c.what;
            EXPECT_EQ(m.groups.at(0), c.whole) << c.what;
        }
    }
}

TEST(Pattern, BadPatternsSayWhy)
{
    const std::vector<std::pair<PatternSource, const char*>> cases = {
        {{PatternKind::Hex, "01 0"}, "odd number of hex digits"},
        {{PatternKind::Hex, "010"}, "odd number, no blanks"},
        {{PatternKind::Hex, "01 ?2"}, "half a wildcard"},
        {{PatternKind::Hex, "01 GG"}, "not hex"},
        {{PatternKind::Text, "a??b"}, "?? in text"},
        {{PatternKind::Regex, "(unclosed"}, "bad expression"},
        {{PatternKind::Text, ""}, "empty text"},
        {{PatternKind::Hex, "  "}, "empty hex"},
    };
    for (const auto& [source, what] : cases) {
        std::string error;
        EXPECT_FALSE(CompiledPattern::compile(source, error)) << what;
        EXPECT_FALSE(error.empty()) << what;
    }
}

TEST(Pattern, APathologicalExpressionGivesUpOnALongPacket)
{
    std::string error;
    auto p = CompiledPattern::compile({PatternKind::Regex, "(a+)+$"}, error);
    ASSERT_TRUE(p) << error;
    const std::string packet = std::string(64 * 1024, 'a') + "b";
    EXPECT_EQ(p->find(packet, 0, nullptr), CompiledPattern::Outcome::LimitReached);
}

TEST(Pattern, CapturesGoIntoTheSendText)
{
    std::string error;
    auto p = CompiledPattern::compile({PatternKind::Regex, "id=(?<id>\\w+) n=(\\d+)"}, error);
    ASSERT_TRUE(p) << error;
    PatternMatch m;
    ASSERT_EQ(p->find("id=AB n=7", 0, &m), CompiledPattern::Outcome::Match);
    const std::vector<std::tuple<std::string, bool, std::string>> cases = {
        {"ACK \\1 \\2", false, "ACK AB 7"},
        {"\\{id}-\\0", false, "AB-id=AB n=7"},
        {"\\\\1 stays", false, "\\1 stays"},
        {"\\9 is empty", false, " is empty"},
        {"\\{nope}x", false, "x"},
        {"$0D\\x", false, "$0D\\x"},   // only the forms above are captures
        {"06 \\1", true, "06 41 42"},  // in HEX a capture goes in as pairs
        {"\\{unclosed", false, "\\{unclosed"},
    };
    for (const auto& [text, hex, expected] : cases)
        EXPECT_EQ(substituteCaptures(text, m, hex), expected) << text;
}
