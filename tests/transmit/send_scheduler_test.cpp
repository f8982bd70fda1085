#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "support/fake_clock.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"
#include "transmit/send_scheduler.h"

namespace comtrax {
namespace {

using Lines = std::vector<std::string>;
const std::string AllSent = "Все команды отправлены";
const std::string BigFile = "Большой файл";

// Records the timer state at the moment each message box opens.
class SchedulerView : public testing::RecordingView {
public:
    bool timerOn = false;
    std::vector<bool> timerOnAtMessage;
    void setPeriodTimerEnabled(bool on) override
    {
        RecordingView::setPeriodTimerEnabled(on);
        timerOn = on;
    }
    void showMessage(const std::string& t) override
    {
        RecordingView::showMessage(t);
        timerOnAtMessage.push_back(timerOn);
    }
};

class Scheduler : public ::testing::Test {
protected:
    TerminalOptions opts;
    testing::FakeClock clock;
    SchedulerView view;
    bool portOpen = true;
    Lines sent;
    std::vector<int32_t> sentAt;  // time of day of each send
    SendScheduler s{opts, clock, view,
                    SendScheduler::Hooks{[this](const std::string& line) {
                                             sent.push_back(line);
                                             sentAt.push_back(timeOfDayMs(clock.now()));
                                         },
                                         [this] { return portOpen; }}};

    void select(SendMode mode)
    {
        opts.sendMode = mode;
        s.modeSelected(mode);
    }

    // The window's 1 ms TimerPeriod: a tick every step ms while the timer is on.
    void run(long long ms, int step = 1)
    {
        for (long long done = 0; done < ms; done += step) {
            clock.advance(step);
            if (s.periodTimerEnabled())
                s.periodTick();
        }
    }

    void startAt(int h, int mi, int sec, int ms) { clock.set(2024, 1, 1, h, mi, sec, ms); }
};

TEST_F(Scheduler, ModeSelectionTable)
{
    struct Row {
        SendMode mode;
        bool sendStart, cyclic;
    };
    const Row rows[] = {{SendMode::OnSelect, false, false},
                        {SendMode::AfterAnswer, true, true},
                        {SendMode::Manual, true, false},
                        {SendMode::Period, true, true}};
    for (const auto& r : rows) {
        select(r.mode);
        EXPECT_EQ(s.sendStartEnabled(), r.sendStart);
        EXPECT_EQ(s.cyclicEnabled(), r.cyclic);
    }
    EXPECT_EQ(view.periodTimerChanges, std::vector<bool>{true});
    // No mode switches the timer off, and it does nothing outside period mode.
    select(SendMode::Manual);
    EXPECT_TRUE(s.periodTimerEnabled());
    opts.commandText = "X";
    run(5000);
    EXPECT_TRUE(sent.empty());
}

TEST_F(Scheduler, PeriodIsNeverShorterThanPPlusOne)
{
    opts.periodText = "1000";
    opts.commandText = "PING";
    select(SendMode::Period);
    run(5000);
    ASSERT_EQ(sent.size(), 5u);  // the first tick already exceeds P since 00:00
    for (std::size_t i = 1; i < sentAt.size(); ++i)
        EXPECT_EQ(sentAt[i] - sentAt[i - 1], 1001);
    EXPECT_EQ(sent[0], "PING");

    // With coarse ticks the period grows to the next tick and never catches up.
    sentAt.clear();
    run(20000, 7);
    for (std::size_t i = 1; i < sentAt.size(); ++i) {
        EXPECT_GE(sentAt[i] - sentAt[i - 1], 1001);
        EXPECT_LT(sentAt[i] - sentAt[i - 1], 1001 + 7);
    }
}

TEST_F(Scheduler, FirstSendAfterStartUpWaitsForTimeOfDayBeyondP)
{
    startAt(0, 0, 0, 500);
    opts.periodText = "1000";
    select(SendMode::Period);
    run(2000);
    ASSERT_FALSE(sentAt.empty());
    EXPECT_EQ(sentAt[0], 1001);
}

TEST_F(Scheduler, PeriodRestartsAfterMidnight)
{
    startAt(23, 59, 58, 500);
    opts.periodText = "1000";
    select(SendMode::Period);
    run(3000);
    // 86398501, 86399502; at midnight the period starts again from 0.
    EXPECT_EQ(sentAt, (std::vector<int32_t>{86398501, 86399502, 1001}));
}

TEST_F(Scheduler, PeriodZeroSendsOnEveryTickTheClockMoved)
{
    opts.periodText = "0";
    select(SendMode::Period);
    run(10);
    EXPECT_EQ(sent.size(), 10u);
    s.periodTick();  // same millisecond again
    EXPECT_EQ(sent.size(), 10u);
}

TEST_F(Scheduler, PeriodTextThatIsNoNumberSendsNothingQuietly)
{
    opts.commandText = "X";
    select(SendMode::Period);
    for (const char* text : {"", "1O0", " 100", "-5", "+5", "1e3", "99999999999999999999999"}) {
        opts.periodText = text;
        run(3000);
        EXPECT_TRUE(sent.empty()) << text;
        EXPECT_EQ(s.msUntilNextPeriodSend(), -1) << text;
    }
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(view.errors.empty());
    // An edit takes effect on the next tick.
    opts.periodText = "100";
    run(1);
    EXPECT_EQ(sent.size(), 1u);
}

TEST_F(Scheduler, ClosedPortSendsNothingAndKeepsTheLastSendTime)
{
    opts.periodText = "1000";
    select(SendMode::Period);
    run(1);
    ASSERT_EQ(sent.size(), 1u);
    const int32_t last = s.lastPeriodSend();
    portOpen = false;
    EXPECT_EQ(s.msUntilNextPeriodSend(), -1);
    run(3000);
    EXPECT_EQ(sent.size(), 1u);
    EXPECT_EQ(s.lastPeriodSend(), last);
    EXPECT_TRUE(view.messages.empty());
    portOpen = true;
    run(1);
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(Scheduler, ManualModeStepsThroughTheFileAndWraps)
{
    s.loadFile("one\r\ntwo\r\nthree\r\n");
    for (int i = 0; i < 5; ++i)
        s.startSending();
    EXPECT_EQ(sent, (Lines{"one", "two", "three", "one"}));
    EXPECT_EQ(view.messages, Lines{AllSent});
    EXPECT_EQ(s.fileLineIndex(), 1u);
}

TEST_F(Scheduler, ClosedPortStillAdvancesTheFileIndex)
{
    // send itself shows the no-port window; the list moves on regardless.
    portOpen = false;
    s.loadFile("a\nb\n");
    s.startSending();
    EXPECT_EQ(sent, Lines{"a"});
    EXPECT_EQ(s.fileLineIndex(), 1u);
}

TEST_F(Scheduler, OnSelectModeStartSendsNothing)
{
    s.loadFile("a\n");
    select(SendMode::OnSelect);
    s.startSending();
    EXPECT_TRUE(sent.empty());
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(Scheduler, PeriodModeFileWithoutCiklSendStopsWithOneNotice)
{
    opts.periodText = "1000";
    s.loadFile("one\ntwo\nthree");
    select(SendMode::Period);
    run(1);
    run(3 * 1001);
    EXPECT_EQ(sent, (Lines{"one", "two", "three"}));
    for (std::size_t i = 1; i < sentAt.size(); ++i)
        EXPECT_EQ(sentAt[i] - sentAt[i - 1], 1001);
    EXPECT_FALSE(s.periodTimerEnabled());
    EXPECT_EQ(view.messages, Lines{AllSent});
    EXPECT_EQ(view.timerOnAtMessage, std::vector<bool>{false});  // off before the box opened
    EXPECT_EQ(s.fileLineIndex(), 0u);
    run(10000);
    EXPECT_EQ(sent.size(), 3u);
    EXPECT_EQ(view.messages.size(), 1u);

    // SendStart in period mode switches the timer on again: the list restarts.
    s.startSending();
    run(1001);
    EXPECT_EQ(sent.back(), "one");
}

TEST_F(Scheduler, PeriodModeFileWithCiklSendSkipsOnePeriodThenRestarts)
{
    opts.periodText = "1000";
    opts.cyclic = true;
    s.loadFile("one\ntwo\nthree");
    select(SendMode::Period);
    run(1);
    run(5 * 1001);
    EXPECT_EQ(sent, (Lines{"one", "two", "three", "one", "two"}));
    EXPECT_EQ(sentAt[3] - sentAt[2], 2 * 1001);
    EXPECT_TRUE(view.messages.empty());
    EXPECT_TRUE(s.periodTimerEnabled());
}

TEST_F(Scheduler, HousekeepingRestartsTheTimerWhenCiklSendIsChecked)
{
    opts.periodText = "0";
    s.loadFile("one");
    select(SendMode::Period);
    run(2);
    ASSERT_FALSE(s.periodTimerEnabled());
    s.housekeepingTick();
    EXPECT_FALSE(s.periodTimerEnabled());
    opts.cyclic = true;
    s.housekeepingTick();
    EXPECT_TRUE(s.periodTimerEnabled());
    run(1);
    EXPECT_EQ(sent, (Lines{"one", "one"}));
    // Not in another mode.
    s.setPeriodTimerEnabled(false);
    select(SendMode::Manual);
    s.housekeepingTick();
    EXPECT_FALSE(s.periodTimerEnabled());
}

TEST_F(Scheduler, ReselectingTheSelectedModeRunsNothing)
{
    opts.periodText = "0";
    s.loadFile("one");
    select(SendMode::Period);
    run(2);
    ASSERT_FALSE(s.periodTimerEnabled());
    select(SendMode::Period);
    EXPECT_FALSE(s.periodTimerEnabled());
}

TEST_F(Scheduler, AfterAnswerWithoutFileRepeatsTheCommandLine)
{
    select(SendMode::AfterAnswer);
    opts.commandText = "AT";
    s.sendNextAfterAnswer();
    s.sendNextAfterAnswer();
    EXPECT_EQ(sent, (Lines{"AT", "AT"}));
}

TEST_F(Scheduler, AfterAnswerFileWithoutCiklSendNotifiesOncePerRun)
{
    select(SendMode::Period);  // the period timer keeps ticking afterwards
    select(SendMode::AfterAnswer);
    s.loadFile("one\ntwo\nthree\n");
    s.startSending();
    for (int answer = 0; answer < 3; ++answer) {
        run(5);
        s.sendNextAfterAnswer();
    }
    EXPECT_EQ(sent, (Lines{"one", "two", "three"}));
    EXPECT_EQ(view.messages, Lines{AllSent});
    EXPECT_EQ(s.fileLineIndex(), 0u);
    // The run has ended: a stray byte, the tail of a split answer, or what
    // came while the notice was open sends nothing (the file may hold writes).
    for (int answer = 0; answer < 4; ++answer)
        s.sendNextAfterAnswer();
    EXPECT_EQ(sent, (Lines{"one", "two", "three"}));
    EXPECT_EQ(view.messages, Lines{AllSent});
    // Only the user's next start begins it again; its end notifies again.
    s.startSending();
    for (int answer = 0; answer < 5; ++answer)
        s.sendNextAfterAnswer();
    EXPECT_EQ(sent, (Lines{"one", "two", "three", "one", "two", "three"}));
    EXPECT_EQ(view.messages, (Lines{AllSent, AllSent}));
}

// A start at the end of the list only says so; packets after that notice do
// not begin a run either, the next start does.
TEST_F(Scheduler, AfterAnswerStartAtTheEndNotifiesAndPacketsDoNotRestart)
{
    select(SendMode::AfterAnswer);
    s.loadFile("one\ntwo\n");
    s.startSending();
    s.sendNextAfterAnswer();
    ASSERT_EQ(sent, (Lines{"one", "two"}));
    s.startSending();  // index at the end: the notice, index back to 0
    EXPECT_EQ(view.messages, Lines{AllSent});
    s.sendNextAfterAnswer();
    s.sendNextAfterAnswer();
    EXPECT_EQ(sent, (Lines{"one", "two"}));
    s.startSending();
    s.sendNextAfterAnswer();
    EXPECT_EQ(sent, (Lines{"one", "two", "one", "two"}));
    // A newly loaded file is a new run: an answer before any start sends its
    // first line, as before.
    s.loadFile("three\n");
    s.sendNextAfterAnswer();
    EXPECT_EQ(sent.back(), "three");
}

TEST_F(Scheduler, AfterAnswerFileWithCiklSendLoopsAtOnce)
{
    opts.cyclic = true;
    select(SendMode::AfterAnswer);
    s.loadFile("one\ntwo");
    s.startSending();
    for (int answer = 0; answer < 3; ++answer)
        s.sendNextAfterAnswer();
    EXPECT_EQ(sent, (Lines{"one", "two", "one", "two"}));
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(Scheduler, EmptyFile)
{
    select(SendMode::AfterAnswer);
    s.loadFile("");
    s.sendNextAfterAnswer();  // no run to end: quiet
    EXPECT_TRUE(view.messages.empty());
    s.startSending();
    EXPECT_EQ(view.messages, Lines{AllSent});
    EXPECT_TRUE(sent.empty());

    opts.periodText = "0";
    select(SendMode::Period);
    run(1);
    EXPECT_FALSE(s.periodTimerEnabled());
    EXPECT_EQ(view.messages, (Lines{AllSent, AllSent}));
}

TEST_F(Scheduler, BigFileAndReloadStartAtLineOne)
{
    testing::TempDir dir;
    const std::string path = dir.file("cmds.txt");
    std::string text;
    for (int i = 1; i <= 600; ++i)
        text += (i == 2 ? std::string(300, 'x') : "L" + std::to_string(i)) + "\r\n";
    testing::writeFileBytes(path, text);

    ASSERT_TRUE(s.loadFileFromPath(path).ok);
    EXPECT_TRUE(s.fileMode());
    EXPECT_EQ(s.fileLines().size(), 499u);
    EXPECT_EQ(s.fileLines()[1], "L3");
    EXPECT_EQ(view.messages, Lines{BigFile});

    s.startSending();
    s.startSending();
    s.leaveFile();
    EXPECT_FALSE(s.fileMode());
    EXPECT_TRUE(s.fileLines().empty());
    EXPECT_EQ(s.fileLineIndex(), 2u);  // kept while the file view is closed
    ASSERT_TRUE(s.loadFileFromPath(path).ok);
    s.startSending();
    EXPECT_EQ(sent, (Lines{"L1", "L3", "L1"}));
}

TEST_F(Scheduler, UnreadableFileShowsTheErrorInTheFileView)
{
    testing::TempDir dir;
    EXPECT_FALSE(s.loadFileFromPath(dir.file("absent.txt")).ok);
    EXPECT_EQ(view.errors.size(), 1u);
    EXPECT_TRUE(s.fileMode());
    EXPECT_TRUE(s.fileLines().empty());
    EXPECT_TRUE(view.messages.empty());
}

TEST_F(Scheduler, LeavingTheFileViewPeriodModeSendsTheCommandLine)
{
    opts.periodText = "0";
    opts.commandText = "CMD";
    s.loadFile("one\ntwo");
    select(SendMode::Period);
    run(1);
    s.leaveFile();
    run(1);
    EXPECT_EQ(sent, (Lines{"one", "CMD"}));
}

TEST_F(Scheduler, SendOnConnect)
{
    opts.commandText = "HELLO";
    s.sendAfterConnect();
    EXPECT_EQ(sent, Lines{"HELLO"});

    s.loadFile("one\ntwo");
    s.sendAfterConnect();
    EXPECT_EQ(sent, (Lines{"HELLO", "one"}));

    opts.periodText = "0";
    select(SendMode::Period);
    s.setPeriodTimerEnabled(false);
    s.sendAfterConnect();  // in period mode the timer does the sending
    EXPECT_TRUE(s.periodTimerEnabled());
    EXPECT_EQ(sent.size(), 2u);
}

TEST_F(Scheduler, NestedEventThatLeavesTheFileDuringASendIsSafe)
{
    // A modal box inside the send runs other events; one of them may close the
    // file view and free the list the line came from.
    SendScheduler* target = nullptr;
    SendScheduler nested{opts, clock, view,
                         SendScheduler::Hooks{[&](const std::string& line) {
                                                  target->leaveFile();
                                                  sent.push_back(line);
                                              },
                                              [] { return true; }}};
    target = &nested;
    const std::string first = "a line long enough to live on the heap";
    nested.loadFile(first + "\nsecond line, also long enough for the heap");
    nested.startSending();
    EXPECT_EQ(sent, Lines{first});
    EXPECT_FALSE(nested.fileMode());
    EXPECT_EQ(nested.fileLineIndex(), 1u);
}

// The window may sleep for msUntilNextPeriodSend() instead of ticking every
// millisecond; the sends must fall on exactly the same milliseconds.
TEST_F(Scheduler, SleepingUntilTheNextSendMatchesTickingEveryMillisecond)
{
    struct Case {
        const char* period;
        int h, mi, sec, ms;
        bool file, cyclic;
    };
    const Case cases[] = {
        {"1000", 12, 0, 0, 0, false, false},     {"0", 12, 0, 0, 0, false, false},
        {"1000", 23, 59, 57, 300, false, false}, {"2500", 23, 59, 59, 0, true, true},
        {"700", 0, 0, 0, 100, true, false},      {"99999", 23, 58, 0, 0, false, false},
    };
    const long long span = 250000;
    for (const auto& c : cases) {
        std::vector<std::vector<int32_t>> results;
        std::vector<std::size_t> messages;
        for (int sleeping = 0; sleeping < 2; ++sleeping) {
            TerminalOptions o;
            o.periodText = c.period;
            o.cyclic = c.cyclic;
            o.sendMode = SendMode::Period;
            testing::FakeClock ck;
            ck.set(2024, 1, 1, c.h, c.mi, c.sec, c.ms);
            testing::RecordingView v;
            std::vector<int32_t> at;
            SendScheduler sc{
                o, ck, v,
                SendScheduler::Hooks{[&](const std::string&) { at.push_back(timeOfDayMs(ck.now())); },
                                     [] { return true; }}};
            if (c.file)
                sc.loadFile("a\nb\nc\n");
            sc.modeSelected(SendMode::Period);
            long long elapsed = 0;
            while (elapsed < span && sc.periodTimerEnabled()) {
                long long step = 1;
                if (sleeping) {
                    const int64_t wait = sc.msUntilNextPeriodSend();
                    ASSERT_GE(wait, 0);
                    step = std::min<long long>(wait > 0 ? wait : 1, span - elapsed);
                }
                ck.advance(step);
                elapsed += step;
                sc.periodTick();
            }
            results.push_back(at);
            messages.push_back(v.messages.size());
        }
        EXPECT_EQ(results[0], results[1]) << c.period << " " << c.h << ":" << c.mi;
        EXPECT_EQ(messages[0], messages[1]);
        EXPECT_FALSE(results[0].empty());
    }
}

}  // namespace
}  // namespace comtrax
