// Rules and the answer timeout wired into the facade: what goes out by itself.
#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

#include "support/fake_clock.h"
#include "support/fake_serial_port.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"
#include "terminal/terminal.h"

using namespace comtrax;
using namespace comtrax::testing;

namespace {

struct Rig {
    TempDir dir;
    FakeSerialPort port;
    FakePortLister lister;
    FakeClock clock;
    RecordingView view;
    Terminal terminal{Terminal::Setup{port, lister, clock, view, dir.path(), {}}};
    // The scripted device: what it answers to what was written.
    std::function<std::string(const std::string&)> device;

    Rig()
    {
        terminal.toggleConnection({"ttyUSB0", "9600", "8", 0, {}});
        EXPECT_TRUE(terminal.connected());
        terminal.setRxTimeoutMs(2);
    }
    // Runs the event loop for ms milliseconds as the window would.
    void run(int ms)
    {
        for (int i = 0; i < ms; ++i) {
            terminal.poll();
            if (terminal.msUntilAutomationDue() == 0)
                terminal.automationTick();
            if (device && !port.written.empty())
                port.feed(device(port.takeWritten()));
            clock.advance(1);
        }
    }
    int linesContaining(const std::string& part) const
    {
        int n = 0;
        for (const auto& l : view.logLines)
            n += l.find(part) != std::string::npos ? 1 : 0;
        return n;
    }
};

Rule textRule(const std::string& name, const std::string& pattern, const std::string& reply)
{
    Rule r;
    r.name = name;
    r.pattern = {PatternKind::Text, pattern};
    r.acrossPackets = true;
    r.actions = {{RuleAction::Kind::Send, reply, false, "$0D", 1}};
    return r;
}

}  // namespace

TEST(TerminalAutomation, ALoginDialogueIsDoneByRulesAlone)
{
    Rig r;
    std::string seen;
    r.device = [&seen](const std::string& written) -> std::string {
        seen += written;
        if (written == "admin\r")
            return "Password: ";
        if (written == "secret\r")
            return "\r\nwelcome\r\n$ ";
        return "";
    };
    r.terminal.setRules({textRule("user", "login:", "admin"), textRule("password", "Password:", "secret"),
                         textRule("command", "$ ", "uptime")});
    r.port.feed("\r\nrouter login: ");
    r.run(50);
    EXPECT_EQ(seen, "admin\rsecret\ruptime\r");
    // Each action is in the log with its rule's name, and the lines went out
    // as sent lines; none of them went into the user's history.
    EXPECT_EQ(r.linesContaining(" * ] user: > admin"), 1);
    EXPECT_EQ(r.linesContaining(" * ] password: > secret"), 1);
    EXPECT_EQ(r.linesContaining(" * ] command: > uptime"), 1);
    EXPECT_TRUE(r.terminal.historyLines().empty());
    EXPECT_EQ(r.view.noPortWindows, 0);
}

TEST(TerminalAutomation, AnEchoLoopIsStoppedByTheLimitWithOneMessage)
{
    Rig r;
    r.device = [](const std::string& written) { return written; };  // echoes all
    r.terminal.setRules({textRule("echo", "ping", "ping")}, {true, 20});
    r.port.feed("ping");
    r.run(2000);
    EXPECT_TRUE(r.terminal.rules().stopped());
    ASSERT_EQ(r.view.messages.size(), 1u);
    EXPECT_NE(r.view.messages[0].find("echo"), std::string::npos);
    EXPECT_EQ(r.linesContaining(" * ] echo: > ping"), 20);
}

TEST(TerminalAutomation, RuleActionsReachTheModemTheLogAndTheScheduler)
{
    Rig r;
    Rule rule;
    rule.name = "all";
    rule.pattern = {PatternKind::Hex, "07"};
    rule.actions = {{RuleAction::Kind::PulseDtr, "", false, "", 1},
                    {RuleAction::Kind::Note, "bell", false, "", 1},
                    {RuleAction::Kind::SendMacro, "Tools", false, "", 3},
                    {RuleAction::Kind::SendMacro, "Missing", false, "", 1},
                    {RuleAction::Kind::StopSending, "", false, "", 1}};
    r.terminal.setMacroLookup([](const std::string& list, int n) -> std::optional<std::string> {
        if (list == "Tools" && n == 3)
            return "STATUS";
        return std::nullopt;
    });
    r.terminal.setRules({rule});
    r.port.calls.clear();
    r.port.feed("\x07");
    r.run(10);
    EXPECT_EQ(r.port.written, "STATUS\r");
    EXPECT_EQ(r.linesContaining(" * ] all: bell"), 1);
    EXPECT_EQ(r.linesContaining(" * ] all: macro not found"), 1);
    EXPECT_TRUE(r.terminal.sendingStopped());
    EXPECT_FALSE(r.port.modemCallNames().empty());
}

TEST(TerminalAutomation, AfterAnswerReSendsWhatADeviceDropsAndMarksEachTimeout)
{
    Rig r;
    int requests = 0;
    std::string seen;
    r.device = [&](const std::string& written) -> std::string {
        seen += written;
        return ++requests % 3 == 0 ? "" : "OK\r\n";  // drops every third request
    };
    r.terminal.selectMode(SendMode::AfterAnswer);
    AnswerTimeoutSettings s;
    s.timeoutMs = 100;
    s.retries = 2;
    ASSERT_TRUE(r.terminal.setAnswerTimeout(s).empty());
    r.terminal.setCommandText("READ");
    r.terminal.send("READ");
    r.run(1000);
    // The run goes on: every third line timed out and went out again once.
    const int timeouts = r.linesContaining("\xED\xE5\xF2 \xEE\xF2\xE2\xE5\xF2\xE0");  // "нет ответа"
    EXPECT_GE(timeouts, 3);
    EXPECT_EQ(requests, static_cast<int>(seen.size() / 5));
    EXPECT_GT(requests, 3 * timeouts);
}

TEST(TerminalAutomation, OnlyTheAnswerThatCountsStepsAfterAnswerSending)
{
    Rig r;
    std::string seen;
    r.terminal.selectMode(SendMode::AfterAnswer);
    AnswerTimeoutSettings s;
    s.timeoutMs = 0;  // no timeout: only the filter
    s.patternOn = true;
    s.pattern = {PatternKind::Text, "OK"};
    ASSERT_TRUE(r.terminal.setAnswerTimeout(s).empty());
    r.terminal.setCommandText("NEXT");
    r.port.feed("\x15");  // a stray byte
    r.run(10);
    EXPECT_EQ(r.port.written, "");
    r.port.feed("OK\r\n");
    r.run(10);
    EXPECT_EQ(r.port.written, "NEXT\r");
}

TEST(TerminalAutomation, GivingUpStopsUntilTheUserSendsAgain)
{
    Rig r;
    r.terminal.selectMode(SendMode::AfterAnswer);
    AnswerTimeoutSettings s;
    s.timeoutMs = 50;
    s.retries = 1;
    s.stopOnGiveUp = true;
    ASSERT_TRUE(r.terminal.setAnswerTimeout(s).empty());
    r.terminal.setCommandText("Q");
    r.terminal.send("Q");
    r.run(500);
    EXPECT_EQ(r.port.takeWritten(), "Q\rQ\r");  // the line, one re-send, then nothing
    EXPECT_TRUE(r.terminal.sendingStopped());
    r.port.feed("late\r\n");  // a late answer does not start it again
    r.run(20);
    EXPECT_EQ(r.port.takeWritten(), "");
    r.terminal.send("Q");
    EXPECT_FALSE(r.terminal.sendingStopped());
}

TEST(TerminalAutomation, ACommandFileWaitsRetriesAndSaysHowItWent)
{
    Rig r;
    int resets = 0;
    std::string seen;
    r.device = [&](const std::string& written) -> std::string {
        seen += written;
        if (written == "RESET\r")
            return ++resets == 1 ? "" : "READY\r\n";  // the first reset is missed
        if (written == "GET\r")
            return "VALUE 7\r\n";
        return "";
    };
    writeFileBytes(r.dir.file("script.txt"),
                   "RESET\r\n@@wait 100 retry 2 text:READY\r\n@@note reset done\r\n"
                   "GET\r\n@@wait 50 text:NEVER\r\n@@pause 20\r\nEND\r\n");
    ASSERT_TRUE(r.terminal.loadCommandFile(r.dir.file("script.txt")));
    r.terminal.selectMode(SendMode::Manual);
    r.terminal.startFileSending();
    r.run(400);
    // The retry went out once, the second wait timed out and went on, then the pause.
    EXPECT_EQ(seen, "RESET\rRESET\rGET\rEND\r");
    EXPECT_EQ(r.linesContaining(" * ] file: reset done"), 1);
    r.terminal.startFileSending();  // past the end: the summary instead of "all sent"
    ASSERT_EQ(r.view.messages.size(), 1u);
    EXPECT_NE(r.view.messages[0].find("4"), std::string::npos);      // lines sent, the re-send included
    EXPECT_NE(r.view.messages[0].find(": 1, "), std::string::npos);  // one wait matched
    EXPECT_NE(r.view.messages[0].find(": 2"), std::string::npos);    // the second timed out
}

TEST(TerminalAutomation, AFileWithoutDirectivesSendsAsBeforeAndInAfterAnswerTheWaitHoldsTheAnswers)
{
    Rig r;
    writeFileBytes(r.dir.file("plain.txt"), "A\r\n@@waiting\r\nB\r\n");
    ASSERT_TRUE(r.terminal.loadCommandFile(r.dir.file("plain.txt")));
    r.terminal.selectMode(SendMode::AfterAnswer);
    r.terminal.startFileSending();
    for (int i = 0; i < 3; ++i) {
        r.port.feed("ok\r\n");
        r.run(5);
    }
    EXPECT_EQ(r.port.takeWritten(), "A\r@@waiting\rB\r");
    ASSERT_EQ(r.view.messages.size(), 1u);

    Rig w;
    writeFileBytes(w.dir.file("waits.txt"), "A\r\n@@wait 1000 text:DONE\r\nB\r\nC\r\n");
    ASSERT_TRUE(w.terminal.loadCommandFile(w.dir.file("waits.txt")));
    w.terminal.selectMode(SendMode::AfterAnswer);
    w.terminal.startFileSending();
    w.port.feed("busy\r\n");  // an answer, but not the awaited one: B waits
    w.run(5);
    EXPECT_EQ(w.port.takeWritten(), "A\r");
    w.port.feed("DONE\r\n");
    w.run(5);
    EXPECT_EQ(w.port.takeWritten(), "B\r");  // the packet that ended the wait steps the file once
    w.port.feed("ok\r\n");
    w.run(5);
    EXPECT_EQ(w.port.takeWritten(), "C\r");
}

TEST(TerminalAutomation, ARuleStartsAndStopsTheLogFileAndTheFileHoldsItsNotes)
{
    Rig r;
    Rule start;
    start.name = "rec";
    start.pattern = {PatternKind::Text, "BEGIN"};
    start.actions = {{RuleAction::Kind::StartLog, "", false, "", 1}};
    Rule stop;
    stop.name = "rec";
    stop.pattern = {PatternKind::Text, "END"};
    stop.actions = {{RuleAction::Kind::StopLog, "", false, "", 1}};
    r.terminal.setRules({start, stop});
    r.port.feed("BEGIN\r\n");
    r.run(10);
    ASSERT_TRUE(r.terminal.logActive());
    r.port.feed("data\r\n");
    r.run(10);
    r.port.feed("END\r\n");
    r.run(10);
    EXPECT_FALSE(r.terminal.logActive());
    r.port.feed("after\r\n");
    r.run(10);
    r.terminal.closeLogFile();
    const std::string file = readFileBytes(r.dir.file(r.terminal.logFileName()));
    EXPECT_NE(file.find(" * ] rec: log start"), std::string::npos) << file;
    EXPECT_NE(file.find("data"), std::string::npos) << file;
    EXPECT_NE(file.find(" * ] rec: log stop"), std::string::npos) << file;
    EXPECT_EQ(file.find("after"), std::string::npos) << file;
}
