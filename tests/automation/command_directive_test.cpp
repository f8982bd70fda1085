#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "automation/command_directive.h"
#include "support/fake_clock.h"

using namespace comtrax;
using comtrax::testing::FakeClock;
using Event = DirectiveRun::Event;

TEST(CommandDirective, LinesAreDirectivesOnlyWithTheirExactWords)
{
    struct Case {
        std::string line;
        bool directive;
        bool valid;
        Directive expected;
    };
    auto wait = [](int64_t ms, Directive::OnTimeout on, int retries, PatternKind kind, const char* text) {
        Directive d;
        d.kind = Directive::Kind::Wait;
        d.ms = ms;
        d.onTimeout = on;
        d.retries = retries;
        d.pattern = {kind, text};
        return d;
    };
    Directive pause;
    pause.kind = Directive::Kind::Pause;
    pause.ms = 500;
    Directive note;
    note.text = "step two";
    const std::vector<Case> cases = {
        {"@@wait 2000 text:OK", true, true,
         wait(2000, Directive::OnTimeout::GoOn, 0, PatternKind::Text, "OK")},
        {"@@wait 100 retry 3 text:OK$0D", true, true,
         wait(100, Directive::OnTimeout::Retry, 3, PatternKind::Text, "OK$0D")},
        {"@@wait 100 stop hex:06 ??", true, true,
         wait(100, Directive::OnTimeout::Stop, 0, PatternKind::Hex, "06 ??")},
        {"@@wait 5 regex:^T=(\\d+) C", true, true,
         wait(5, Directive::OnTimeout::GoOn, 0, PatternKind::Regex, "^T=(\\d+) C")},
        {"@@pause 500", true, true, pause},
        {"@@pause 500\r", true, true, pause},
        {"@@note step two", true, true, note},
        {"@@wait", true, false, {}},
        {"@@wait soon text:OK", true, false, {}},
        {"@@wait 100 OK", true, false, {}},
        {"@@wait 100 retry text:OK", true, false, {}},
        {"@@wait 100 hex:0", true, false, {}},
        {"@@pause 5 more", true, false, {}},
        {"@@pause -1", true, false, {}},
        // Lines a command file may well hold are sent as they stand.
        {"AT+CMGS=\"@@wait\"", false, false, {}},
        {"@@waiting", false, false, {}},
        {"@@ wait 1", false, false, {}},
        {"@wait 100 text:OK", false, false, {}},
        {"01 03 00 00 00 01", false, false, {}},
        {"", false, false, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(isDirectiveLine(c.line), c.directive) << c.line;
        std::string error;
        const auto d = parseDirective(c.line, error);
        EXPECT_EQ(d.has_value(), c.valid) << c.line;
        EXPECT_EQ(!error.empty(), c.directive && !c.valid) << c.line;
        if (d && c.valid) {
            EXPECT_EQ(*d, c.expected) << c.line;
        }
    }
}

TEST(DirectiveRun, AWaitMatchesAcrossPacketsRetriesAndGivesUp)
{
    FakeClock clock;
    DirectiveRun run(clock);
    std::string error;
    const auto d = parseDirective("@@wait 100 retry 1 text:OK", error);
    ASSERT_TRUE(d) << error;

    run.start(*d, 1);
    EXPECT_EQ(run.msUntilDue(), 100);
    EXPECT_EQ(run.packet("O"), Event::None);
    EXPECT_EQ(run.packet("K\r\n"), Event::Continue);  // split over two packets
    EXPECT_FALSE(run.busy());

    run.start(*d, 2);
    clock.advance(100);
    EXPECT_EQ(run.tick(), Event::Resend);
    EXPECT_EQ(run.packet("ERROR"), Event::None);
    clock.advance(99);
    EXPECT_EQ(run.tick(), Event::None);
    clock.advance(1);
    EXPECT_EQ(run.tick(), Event::Stop);  // retries spent: the file stops
    EXPECT_EQ(run.summary.waitsMatched, 1);
    EXPECT_EQ(run.summary.timedOut, std::vector<int>{2});

    Directive pause;
    pause.kind = Directive::Kind::Pause;
    pause.ms = 30;
    run.start(pause, 0);
    EXPECT_EQ(run.packet("OK"), Event::None);  // a pause waits for nothing
    clock.advance(30);
    EXPECT_EQ(run.tick(), Event::Continue);
    EXPECT_EQ(run.msUntilDue(), -1);
}
