// CfgRules: the rules, the limit and the answer timeout as key=value lines.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <string>

#include "automation/rules_file.h"
#include "support/odd_files.h"
#include "support/temp_dir.h"

using namespace comtrax;
using comtrax::testing::TempDir;

namespace {

RuleSet sampleSet()
{
    RuleSet s;
    Rule login;
    login.name = "login";
    login.pattern = {PatternKind::Text, "login:"};
    login.acrossPackets = true;
    login.actions = {{RuleAction::Kind::Send, "admin", false, "$0D", 1},
                     {RuleAction::Kind::Note, "logged in", false, "", 1}};
    login.times = 1;
    Rule crc;
    crc.name = "ack";
    crc.enabled = false;
    crc.pattern = {PatternKind::Hex, "01 03 ?? ??"};
    crc.checksum = {ChecksumCondition::Kind::Tag, 12};
    crc.actions = {{RuleAction::Kind::SendMacro, "Modbus", false, "", 7},
                   {RuleAction::Kind::PulseDtr, "", false, "", 1}};
    crc.delayMs = 50;
    crc.cooldownMs = 1000;
    crc.goOn = true;
    s.rules = {login, crc};
    s.limit = {false, 5};
    s.windowBytes = 1024;
    s.answer.timeoutMs = 300;
    s.answer.retries = 2;
    s.answer.stopOnGiveUp = true;
    s.answer.patternOn = true;
    s.answer.pattern = {PatternKind::Regex, "^OK"};
    s.answer.checksum = {ChecksumCondition::Kind::ModbusFrame, 0};
    return s;
}

}  // namespace

TEST(RulesFile, WhatIsWrittenReadsBackWithUnknownLinesInPlace)
{
    RuleSet s = sampleSet();
    s.keptLines = {{"# my note", "rule.1.name"}, {"fromANewerVersion=1", ""}};
    const RuleSet back = parseRuleSet(formatRuleSet(s));
    EXPECT_EQ(back, s);
    EXPECT_EQ(formatRuleSet(back), formatRuleSet(s));
}

TEST(RulesFile, ReadingIsTolerant)
{
    struct Case {
        const char* what;
        std::string text;
        std::size_t rules;
        std::size_t actionsOfFirst;
        int64_t firstDelay;
        int perSecond;
    };
    const std::vector<Case> cases = {
        {"empty", "", 0, 0, 0, 20},
        {"bad numbers keep defaults", "rule.1.delay=soon\nlimit.perSecond=-3\n", 1, 0, 0, 20},
        {"a rule number out of range is kept as text", "rule.0.name=x\nrule.999999.name=y\n", 0, 0, 0, 20},
        {"an unknown action kind is dropped", "rule.1.action.1=teleport\nrule.1.action.2=note\n", 1, 1, 0,
         20},
        {"gaps between numbers give empty rules", "rule.3.name=c\n", 3, 0, 0, 20},
        {"spaces and CR LF", " rule.1.delay = 40 \r\nlimit.perSecond=7\r\n", 1, 0, 40, 7},
        {"no line break at the end", "rule.1.delay=5", 1, 0, 5, 20},
        {"a delay beyond an hour is refused", "rule.1.delay=99999999999999999999\n", 1, 0, 0, 20},
    };
    for (const Case& c : cases) {
        const RuleSet s = parseRuleSet(c.text);
        EXPECT_EQ(s.rules.size(), c.rules) << c.what;
        if (!s.rules.empty()) {
            EXPECT_EQ(s.rules[0].actions.size(), c.actionsOfFirst) << c.what;
            EXPECT_EQ(s.rules[0].delayMs, c.firstDelay) << c.what;
        }
        EXPECT_EQ(s.limit.actionsPerSecond, c.perSecond) << c.what;
    }
}

TEST(RulesFile, AMissingFileGivesNoRulesAndADamagedOneIsNeverOverwritten)
{
    TempDir dir;
    const RuleSetLoad none = loadRuleSetFile(dir.file("CfgRules"));
    EXPECT_TRUE(none.io);
    EXPECT_FALSE(none.found);
    EXPECT_TRUE(none.set.rules.empty());

    ASSERT_TRUE(saveRuleSetFile(dir.file("CfgRules"), sampleSet()));
    const RuleSetLoad back = loadRuleSetFile(dir.file("CfgRules"));
    ASSERT_TRUE(back.io);
    EXPECT_TRUE(back.found);
    EXPECT_EQ(back.set.rules, sampleSet().rules);

    // Too long to be read whole: a failure, not a file cut short.
    comtrax::testing::writeFileBytes(dir.file("Huge"), std::string(RuleSet::MaxFileBytes + 1, '#'));
    const RuleSetLoad huge = loadRuleSetFile(dir.file("Huge"));
    EXPECT_FALSE(huge.io);
    EXPECT_FALSE(huge.io.error.empty());

    // A FIFO in its place is reported and never opened in a way that waits.
    const std::string fifo = comtrax::testing::makeOddFile(dir.file("Fifo"), comtrax::testing::OddFile::Fifo);
    if (!fifo.empty()) {
        EXPECT_FALSE(loadRuleSetFile(dir.file("Fifo")).io);
        EXPECT_FALSE(saveRuleSetFile(dir.file("Fifo"), sampleSet()));
        EXPECT_EQ(comtrax::testing::fileTypeAt(fifo), S_IFIFO);
    }
}
