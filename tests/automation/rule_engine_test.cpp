#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/action_lines.h"
#include "automation/rule_engine.h"
#include "support/fake_clock.h"

using namespace comtrax;
using comtrax::testing::FakeClock;

namespace {

Rule sendRule(const std::string& name, PatternKind kind, const std::string& pattern, const std::string& reply)
{
    Rule r;
    r.name = name;
    r.pattern = {kind, pattern};
    RuleAction a;
    a.kind = RuleAction::Kind::Send;
    a.text = reply;
    r.actions.push_back(a);
    return r;
}

struct Rig {
    FakeClock clock;
    RuleEngine engine{clock};
    std::vector<std::string> sent;  // "rule:text"
    std::vector<RuleEngine::Report> reports;
    Rig()
    {
        engine.setActor([this](const Firing& f) { sent.push_back(f.ruleName + ":" + f.action.text); });
        engine.setReporter([this](const RuleEngine::Report& r) { reports.push_back(r); });
    }
    std::vector<std::string> take() { return std::exchange(sent, {}); }
};

using Sent = std::vector<std::string>;

}  // namespace

TEST(RuleEngine, TheFirstMatchActsUnlessItSaysToGoOn)
{
    Rig rig;
    Rule a = sendRule("a", PatternKind::Text, "OK", "first");
    Rule b = sendRule("b", PatternKind::Text, "OK", "second");
    Rule c = sendRule("c", PatternKind::Text, "ERR", "third");
    rig.engine.setRules({a, b, c});
    rig.engine.packetReceived("OK\r\n");
    EXPECT_EQ(rig.take(), (Sent{"a:first"}));

    a.goOn = true;
    rig.engine.setRules({a, b, c});
    rig.engine.packetReceived("OK\r\n");
    EXPECT_EQ(rig.take(), (Sent{"a:first", "b:second"}));

    // A disabled rule and one that did not compile never act; the rest still do.
    a.enabled = false;
    b.pattern = {PatternKind::Hex, "0"};
    rig.engine.setRules({a, b, c});
    EXPECT_FALSE(rig.engine.errors()[1].empty());
    rig.engine.packetReceived("OK ERR");
    EXPECT_EQ(rig.take(), (Sent{"c:third"}));
}

TEST(RuleEngine, OnceNTimesAndCoolDown)
{
    struct Case {
        const char* what;
        int times;
        int64_t cooldownMs;
        std::vector<int64_t> gapsMs;  // before each packet
        int expected;
    };
    const std::vector<Case> cases = {
        {"every time", 0, 0, {0, 1, 1, 1}, 4},
        {"once", 1, 0, {0, 1, 1, 1}, 1},
        {"three times", 3, 0, {0, 1, 1, 1, 1}, 3},
        {"cool-down ignores matches inside it", 0, 100, {0, 50, 49, 1, 10}, 2},
        {"cool-down and N times together", 2, 100, {0, 100, 100, 100}, 2},
    };
    for (const Case& c : cases) {
        Rig rig;
        Rule r = sendRule("r", PatternKind::Text, "ping", "pong");
        r.times = c.times;
        r.cooldownMs = c.cooldownMs;
        rig.engine.setRules({r});
        for (const int64_t gap : c.gapsMs) {
            rig.clock.advance(gap);
            rig.engine.packetReceived("ping");
        }
        EXPECT_EQ(static_cast<int>(rig.sent.size()), c.expected) << c.what;
    }
}

TEST(RuleEngine, ARuleInCoolDownLetsTheNextRuleTry)
{
    Rig rig;
    Rule a = sendRule("a", PatternKind::Text, "x", "A");
    a.cooldownMs = 1000;
    rig.engine.setRules({a, sendRule("b", PatternKind::Text, "x", "B")});
    rig.engine.packetReceived("x");
    rig.engine.packetReceived("x");
    EXPECT_EQ(rig.take(), (Sent{"a:A", "b:B"}));
}

TEST(RuleEngine, ADelayIsKeptOnTheClock)
{
    Rig rig;
    Rule r = sendRule("late", PatternKind::Text, "ready", "go");
    r.delayMs = 250;
    rig.engine.setRules({r});
    EXPECT_EQ(rig.engine.msUntilDue(), -1);
    rig.engine.packetReceived("ready");
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_EQ(rig.engine.msUntilDue(), 250);
    rig.clock.advance(249);
    rig.engine.tick();
    EXPECT_TRUE(rig.sent.empty());
    EXPECT_EQ(rig.engine.msUntilDue(), 1);
    rig.clock.advance(1);
    rig.engine.tick();
    EXPECT_EQ(rig.take(), (Sent{"late:go"}));
    EXPECT_EQ(rig.engine.msUntilDue(), -1);
}

TEST(RuleEngine, TheChecksumConditionMustHold)
{
    Rig rig;
    Rule r = sendRule("crc", PatternKind::Hex, "01 03", "ack");
    r.checksum.kind = ChecksumCondition::Kind::ModbusFrame;
    rig.engine.setRules({r});
    rig.engine.packetReceived(std::string("\x01\x03\x00\x00\x00\x01\x84\x0A", 8));  // good CRC
    rig.engine.packetReceived(std::string("\x01\x03\x00\x00\x00\x01\x84\x0B", 8));  // bad CRC
    EXPECT_EQ(rig.take(), (Sent{"crc:ack"}));
}

TEST(RuleEngine, MatchesAcrossPacketBordersOnlyWhenAskedAndOnlyOnce)
{
    Rig rig;
    Rule across = sendRule("across", PatternKind::Text, "login:", "user");
    across.acrossPackets = true;
    Rule single = sendRule("single", PatternKind::Text, "login:", "no");
    single.goOn = true;
    rig.engine.setRules({single, across});
    rig.engine.packetReceived("log");
    rig.engine.packetReceived("in: ");
    EXPECT_EQ(rig.take(), (Sent{"across:user"}));
    // The bytes already matched do not match again with the next packet.
    rig.engine.packetReceived("\r\n");
    EXPECT_TRUE(rig.sent.empty());
    rig.engine.packetReceived("login:");
    EXPECT_EQ(rig.take(), (Sent{"single:no", "across:user"}));
}

TEST(RuleEngine, TheSlidingWindowIsBounded)
{
    Rig rig;
    Rule r = sendRule("r", PatternKind::Regex, "A.*Z", "hit");
    r.acrossPackets = true;
    rig.engine.setRules({r}, {}, 16);
    rig.engine.packetReceived("A");
    rig.engine.packetReceived(std::string(40, '.'));
    rig.engine.packetReceived("Z");
    EXPECT_TRUE(rig.sent.empty());  // the A fell out of the window
    rig.engine.packetReceived("A..");
    rig.engine.packetReceived("Z");
    EXPECT_EQ(rig.take(), (Sent{"r:hit"}));
}

TEST(RuleEngine, CapturesOfTheMatchGoIntoTheReply)
{
    Rig rig;
    rig.engine.setRules({sendRule("echo", PatternKind::Regex, "REQ (\\d+)", "ACK \\1")});
    rig.engine.packetReceived("REQ 42\r\n");
    EXPECT_EQ(rig.take(), (Sent{"echo:ACK 42"}));
}

TEST(RuleEngine, ARuleWhoseExpressionHitsTheLimitIsSwitchedOffAndReportedOnce)
{
    Rig rig;
    Rule bad = sendRule("slow", PatternKind::Regex, "(a+)+$", "never");
    bad.goOn = true;
    rig.engine.setRules({bad, sendRule("next", PatternKind::Text, "a", "fine")});
    const std::string packet = std::string(64 * 1024, 'a') + "b";
    rig.engine.packetReceived(packet);
    rig.engine.packetReceived(packet);
    EXPECT_EQ(rig.take(), (Sent{"next:fine", "next:fine"}));
    ASSERT_EQ(rig.reports.size(), 1u);
    EXPECT_EQ(rig.reports[0].kind, RuleEngine::Report::Kind::RuleDisabled);
    EXPECT_EQ(rig.reports[0].ruleName, "slow");
    EXPECT_TRUE(rig.engine.ruleDisabled(0));
}

TEST(RuleEngine, TheGlobalLimitStopsALoopAndSaysSoOnce)
{
    struct Case {
        const char* what;
        RuleLimit limit;
        int64_t gapMs;
        int packets;
        int expectedSent;
        bool stopped;
    };
    const std::vector<Case> cases = {
        {"an echo loop is stopped at the limit", {true, 20}, 1, 100, 20, true},
        {"a slower pace stays under it", {true, 20}, 60, 100, 100, false},
        {"exactly the limit in a second passes", {true, 10}, 100, 30, 30, false},
        {"off: nothing stops", {false, 20}, 1, 100, 100, false},
    };
    for (const Case& c : cases) {
        Rig rig;
        rig.engine.setRules({sendRule("echo", PatternKind::Text, "x", "x")}, c.limit);
        for (int i = 0; i < c.packets; ++i) {
            rig.clock.advance(c.gapMs);
            rig.engine.packetReceived("x");
        }
        EXPECT_EQ(static_cast<int>(rig.sent.size()), c.expectedSent) << c.what;
        EXPECT_EQ(rig.engine.stopped(), c.stopped) << c.what;
        EXPECT_EQ(rig.reports.size(), c.stopped ? 1u : 0u) << c.what;
        if (c.stopped) {
            EXPECT_EQ(rig.engine.stoppedBy(), "echo");
            // Setting the rules again starts the automation again.
            rig.engine.setRules(rig.engine.rules(), c.limit);
            rig.engine.packetReceived("x");
            EXPECT_EQ(static_cast<int>(rig.sent.size()), c.expectedSent + 1) << c.what;
        }
    }
}

TEST(RuleEngine, TheLimitAlsoCountsDelayedActionsAndDropsWhatWaits)
{
    Rig rig;
    Rule r = sendRule("late", PatternKind::Text, "x", "y");
    r.delayMs = 10;
    rig.engine.setRules({r}, {true, 3});
    for (int i = 0; i < 5; ++i)
        rig.engine.packetReceived("x");
    rig.clock.advance(10);
    rig.engine.tick();
    EXPECT_EQ(rig.sent.size(), 3u);
    EXPECT_TRUE(rig.engine.stopped());
    EXPECT_EQ(rig.engine.msUntilDue(), -1);
}

TEST(ActionLines, TheDialogsActionLinesReadBackAndBadOnesSayWhichLine)
{
    const std::string text = "send admin\nsendhex 06 \\1\n\nmacro Modbus list 7\nnote logged in\npulse-dtr\n"
                             "break\nlog-start\nlog-stop\nstop-sending\npulse-rts\n";
    const ActionLinesResult r = parseActionLines(text, "$0D");
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.actions.size(), 10u);
    EXPECT_EQ(r.actions[0], (RuleAction{RuleAction::Kind::Send, "admin", false, "$0D", 1}));
    EXPECT_EQ(r.actions[1], (RuleAction{RuleAction::Kind::Send, "06 \\1", true, "$0D", 1}));
    EXPECT_EQ(r.actions[2], (RuleAction{RuleAction::Kind::SendMacro, "Modbus list", false, "", 7}));
    EXPECT_EQ(r.actions[9].kind, RuleAction::Kind::PulseRts);
    EXPECT_EQ(parseActionLines(formatActionLines(r.actions), "$0D").actions, r.actions);

    for (const char* bad : {"send x\nteleport", "macro Modbus", "macro Modbus x", "macro L 0"}) {
        const ActionLinesResult b = parseActionLines(bad, "");
        EXPECT_FALSE(b.error.empty()) << bad;
    }
    EXPECT_NE(parseActionLines("send x\nteleport", "").error.find('2'), std::string::npos);
}

TEST(RuleEngine, BytesSeenDuringACoolDownDoNotFireOnALaterPacket)
{
    Rig rig;
    Rule r = sendRule("r", PatternKind::Text, "ping", "pong");
    r.acrossPackets = true;
    r.cooldownMs = 100;
    rig.engine.setRules({r});
    rig.engine.packetReceived("ping");
    rig.clock.advance(10);
    rig.engine.packetReceived("ping");  // inside the cool-down: ignored
    rig.clock.advance(200);
    rig.engine.packetReceived("zzz");  // nothing new to match
    EXPECT_EQ(rig.take(), (Sent{"r:pong"}));
    rig.engine.packetReceived("pi");
    rig.engine.packetReceived("ng");
    EXPECT_EQ(rig.take(), (Sent{"r:pong"}));
}
