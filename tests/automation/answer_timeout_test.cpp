#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/answer_timeout.h"
#include "support/fake_clock.h"

using namespace comtrax;
using comtrax::testing::FakeClock;
using Verdict = AnswerWatch::Verdict;

TEST(AnswerWatch, ZeroIsOffAndWaitsForEver)
{
    FakeClock clock;
    AnswerWatch w(clock);
    std::string error;
    w.setSettings({}, error);
    w.lineSent(false);
    EXPECT_FALSE(w.waiting());
    clock.advance(1000000);
    EXPECT_EQ(w.tick(), Verdict::Nothing);
    EXPECT_EQ(w.msUntilDue(), -1);
    EXPECT_TRUE(w.answerCame("anything"));
}

TEST(AnswerWatch, ResendsThenGoesOnOrStops)
{
    struct Case {
        const char* what;
        int retries;
        bool stop;
        std::vector<Verdict> verdicts;  // one per timeout, each after the line went out again
    };
    const std::vector<Case> cases = {
        {"no re-sends, go on", 0, false, {Verdict::GoOn}},
        {"no re-sends, stop", 0, true, {Verdict::Stop}},
        {"two re-sends, then go on", 2, false, {Verdict::Resend, Verdict::Resend, Verdict::GoOn}},
        {"one re-send, then stop", 1, true, {Verdict::Resend, Verdict::Stop}},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        AnswerWatch w(clock);
        std::string error;
        AnswerTimeoutSettings s;
        s.timeoutMs = 200;
        s.retries = c.retries;
        s.stopOnGiveUp = c.stop;
        w.setSettings(s, error);
        w.lineSent(false);
        for (std::size_t i = 0; i < c.verdicts.size(); ++i) {
            EXPECT_EQ(w.msUntilDue(), 200) << c.what;
            clock.advance(199);
            EXPECT_EQ(w.tick(), Verdict::Nothing) << c.what;
            clock.advance(1);
            const Verdict v = w.tick();
            EXPECT_EQ(v, c.verdicts[i]) << c.what << " timeout " << i;
            EXPECT_EQ(w.tick(), Verdict::Nothing) << c.what;  // said once
            if (v == Verdict::Resend)
                w.lineSent(true);
        }
        // An answer in time to the next line starts the count again.
        w.lineSent(false);
        EXPECT_EQ(w.attempt(), 0) << c.what;
        EXPECT_TRUE(w.answerCame("x")) << c.what;
        clock.advance(10000);
        EXPECT_EQ(w.tick(), Verdict::Nothing) << c.what;
    }
}

TEST(AnswerWatch, OnlyAPacketThatMatchesOrHasAGoodChecksumIsTheAnswer)
{
    struct Case {
        const char* what;
        bool patternOn;
        PatternSource pattern;
        ChecksumCondition checksum;
        std::string packet;
        bool answer;
    };
    const std::string goodFrame("\x01\x03\x00\x00\x00\x01\x84\x0A", 8);
    const std::string badFrame("\x01\x03\x00\x00\x00\x01\x84\x0B", 8);
    const std::vector<Case> cases = {
        {"any packet", false, {}, {}, "\x15", true},
        {"pattern matches", true, {PatternKind::Text, "OK"}, {}, "OK\r\n", true},
        {"pattern does not", true, {PatternKind::Text, "OK"}, {}, "ERROR\r\n", false},
        {"good Modbus frame", false, {}, {ChecksumCondition::Kind::ModbusFrame, 0}, goodFrame, true},
        {"bad Modbus frame", false, {}, {ChecksumCondition::Kind::ModbusFrame, 0}, badFrame, false},
        {"both must hold",
         true,
         {PatternKind::Hex, "01 83"},
         {ChecksumCondition::Kind::ModbusFrame, 0},
         goodFrame,
         false},
    };
    for (const Case& c : cases) {
        FakeClock clock;
        AnswerWatch w(clock);
        std::string error;
        AnswerTimeoutSettings s;
        s.timeoutMs = 100;
        s.patternOn = c.patternOn;
        s.pattern = c.pattern;
        s.checksum = c.checksum;
        w.setSettings(s, error);
        ASSERT_TRUE(error.empty()) << c.what << error;
        w.lineSent(false);
        EXPECT_EQ(w.answerCame(c.packet), c.answer) << c.what;
        EXPECT_EQ(w.waiting(), !c.answer) << c.what;
    }
}
