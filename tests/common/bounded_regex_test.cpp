#include <gtest/gtest.h>

#include <string>

#include "common/bounded_regex.h"

using namespace comtrax;

namespace {

std::string captured(std::string_view subject, const BoundedRegex::Match& m, std::size_t group)
{
    if (group >= m.groups.size() || !m.groups[group])
        return "<none>";
    return std::string(subject.substr(m.groups[group]->first, m.groups[group]->second));
}

}  // namespace

TEST(BoundedRegex, FindsMatchesWithTheirNumberedAndNamedGroups)
{
    std::string error;
    auto re = BoundedRegex::compile(R"(T=(?<temp>-?\d+)(?:\.(\d+))? (\w+)?)", error);
    ASSERT_TRUE(re) << error;
    EXPECT_EQ(re->groupCount(), 3);
    EXPECT_EQ(re->groupNames(), (std::vector<std::string>{"temp", "", ""}));
    const std::string subject = "log: T=-12 ";
    BoundedRegex::Match m;
    ASSERT_EQ(re->search(subject, &m), BoundedRegex::Outcome::Match);
    EXPECT_EQ(captured(subject, m, 0), "T=-12 ");
    EXPECT_EQ(captured(subject, m, 1), "-12");
    EXPECT_EQ(captured(subject, m, 2), "<none>");  // an optional group that took no part
    EXPECT_EQ(captured(subject, m, 3), "<none>");
    EXPECT_EQ(re->search("T=", &m), BoundedRegex::Outcome::NoMatch);
    // A search from a later start, as a sliding window asks.
    EXPECT_EQ(re->search("T=1 T=2 x", &m, 4), BoundedRegex::Outcome::Match);
    EXPECT_EQ(captured("T=1 T=2 x", m, 1), "2");
}

TEST(BoundedRegex, ABadPatternSaysWhyAndWhere)
{
    std::string error;
    EXPECT_FALSE(BoundedRegex::compile("(unclosed", error));
    EXPECT_NE(error.find("("), std::string::npos);
    EXPECT_FALSE(error.empty());
    EXPECT_FALSE(BoundedRegex().valid());
    EXPECT_EQ(BoundedRegex().search("anything"), BoundedRegex::Outcome::NoMatch);
}

TEST(BoundedRegex, BytesAreMatchedAsTheyAreWhateverTheirValue)
{
    std::string error;
    // "Ответ" in Windows-1251, and a zero byte inside the subject.
    const std::string word = "\xCE\xF2\xE2\xE5\xF2";
    auto re = BoundedRegex::compile(word + "\\x00(.)", error);
    ASSERT_TRUE(re) << error;
    const std::string subject = word + std::string(1, '\0') + "\xFF";
    BoundedRegex::Match m;
    ASSERT_EQ(re->search(subject, &m), BoundedRegex::Outcome::Match);
    EXPECT_EQ(captured(subject, m, 1), "\xFF");
}

// A pattern that backtracks exponentially gives up instead of holding the
// window for minutes on a 64 KiB packet.
TEST(BoundedRegex, CatastrophicBacktrackingReachesTheLimitInsteadOfRunningOn)
{
    std::string error;
    auto re = BoundedRegex::compile("(a+)+$", error);
    ASSERT_TRUE(re) << error;
    const std::string subject = std::string(65536, 'a') + "b";
    EXPECT_EQ(re->search(subject), BoundedRegex::Outcome::LimitReached);
    EXPECT_EQ(re->search("aaab"), BoundedRegex::Outcome::NoMatch);
    EXPECT_EQ(re->search("aaa"), BoundedRegex::Outcome::Match);
}
