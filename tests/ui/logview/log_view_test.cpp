// The log window's feed: lines gathered per display frame and the frame's pace.
#include "ui/logview/log_view.h"

#include "ui/logview/display_frame.h"
#include "ui/logview/log_text_view.h"
#include "ui/kit/text_codec.h"

#include <QFontMetrics>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>

#include <gtest/gtest.h>

#include "wait_until.h"

namespace comtrax {
namespace {

struct ShownView {
    LogTextView view;
    ShownView()
    {
        view.resize(400, 200);
        view.show();
    }
};

TEST(DisplayFrame, JumpsWhileLinesScrollPastFasterThanTenPagesASecond)
{
    // A page of 28 lines: 280 lines a second can still be followed frame by frame.
    EXPECT_EQ(frameIntervalMs(11, 40, 28), DisplayFrame::FrameMs);
    EXPECT_EQ(frameIntervalMs(12, 40, 28), DisplayFrame::JumpFrameMs);
    // A GPS receiver's 25 sentences a second, and a burst after a pause.
    EXPECT_EQ(frameIntervalMs(25, 1000, 28), DisplayFrame::FrameMs);
    EXPECT_EQ(frameIntervalMs(200, 1000, 28), DisplayFrame::FrameMs);
    // Jumping, a 1 MB/s stream of 1500-byte lines keeps jumping; when it
    // slows down the frames come again at their usual pace.
    EXPECT_EQ(frameIntervalMs(133, DisplayFrame::JumpFrameMs, 28), DisplayFrame::JumpFrameMs);
    EXPECT_EQ(frameIntervalMs(40, DisplayFrame::JumpFrameMs, 28), DisplayFrame::FrameMs);
    // No time at all, or a view too small for one line, is no division by zero.
    EXPECT_EQ(frameIntervalMs(5000, 0, 28), DisplayFrame::JumpFrameMs);
    EXPECT_EQ(frameIntervalMs(1, 1000, 0), DisplayFrame::FrameMs);
}

// The frame's pace is read on a clock the test moves by hand: on a busy
// machine the real one can pass a frame between two calls.
struct ManualMs {
    int64_t now = 1000;
    DisplayFrame::MonotonicMs clock()
    {
        return [this] { return now; };
    }
};

TEST(DisplayFrame, TheLogSetsTheFramePaceByHowFastItsLinesCome)
{
    ManualMs ms;
    DisplayFrame frame(true, nullptr, ms.clock());
    ShownView shown;
    QPlainTextEdit frozen;
    QPushButton freeze;
    LogView log(&shown.view, &frozen, &freeze, frame, {});
    log.addLine(QStringLiteral("first"));  // the first frame is shown at once
    EXPECT_EQ(shown.view.lineCount(), 1);
    EXPECT_EQ(frame.intervalMs(), DisplayFrame::FrameMs);
    ms.now += DisplayFrame::FrameMs / 2;
    for (int i = 0; i < 500; ++i)
        log.addLine(QStringLiteral("torrent %1").arg(i));
    EXPECT_EQ(shown.view.lineCount(), 1);  // waiting for the frame
    ms.now += DisplayFrame::FrameMs / 2;
    frame.show();  // what the frame's timer does when it is due
    EXPECT_EQ(shown.view.lineCount(), 501);
    EXPECT_EQ(frame.intervalMs(), DisplayFrame::JumpFrameMs);
    // A gap shorter than a frame since the last line is still the flood: the
    // jump pace holds and the line waits.
    ms.now += DisplayFrame::FrameMs / 2 - 1;
    log.addLine(QStringLiteral("torrent's tail"));
    EXPECT_EQ(frame.intervalMs(), DisplayFrame::JumpFrameMs);
    EXPECT_EQ(shown.view.lineCount(), 501);
    // The flood pauses for a frame's length: the next lines (the user's own
    // command, say) come at the usual pace, not after a jump frame's wait.
    ms.now += DisplayFrame::FrameMs;
    log.addLine(QStringLiteral("ECHO"));
    EXPECT_EQ(shown.view.lineCount(), 503);
    EXPECT_EQ(frame.intervalMs(), DisplayFrame::FrameMs);
    log.addLine(QStringLiteral("and its answer"));
    EXPECT_EQ(shown.view.lineCount(), 503);  // within the frame: it waits
    // The frame's timer shows it (when the loop gets to run; the test's clock
    // says a frame has passed).
    ms.now += DisplayFrame::FrameMs;
    EXPECT_TRUE(testing::waitUntil([&] { return shown.view.lineCount() == 504; }));
    EXPECT_EQ(shown.view.line(503), QStringLiteral("and its answer"));
    EXPECT_EQ(frame.intervalMs(), DisplayFrame::FrameMs);
}

// What comes at about the frame's pace (a hand-over a frame, a little early
// on the thread's clock) is shown when it comes, not held for a second wake at
// the frame's end; what comes well within the frame still waits.
TEST(DisplayFrame, ChangesAtAboutTheFramesPaceShowWhenTheyCome)
{
    ManualMs ms;
    DisplayFrame frame(true, nullptr, ms.clock());
    int shown = 0;
    frame.addShower([&] { ++shown; });
    frame.request();
    EXPECT_EQ(shown, 1);
    for (const int64_t after :
         {DisplayFrame::FrameMs - 2, DisplayFrame::FrameMs * 3 / 4, DisplayFrame::FrameMs}) {
        ms.now += after;
        frame.request();
        EXPECT_EQ(shown, 2) << after;
        shown = 1;
    }
    ms.now += DisplayFrame::FrameMs / 2;
    frame.request();
    EXPECT_EQ(shown, 1);  // half a frame: waits for the frame's end
}

// A hand-over's lines and read-outs are one frame: requests inside a Gather
// are one request at its end, shown then (not one frame now and another at the
// frame's end, which would wake the window twice a frame).
TEST(DisplayFrame, RequestsGatheredAreOneFrameAtTheEnd)
{
    ManualMs ms;
    DisplayFrame frame(true, nullptr, ms.clock());
    int shown = 0;
    frame.addShower([&] { ++shown; });
    frame.request();
    ASSERT_EQ(shown, 1);
    ms.now += DisplayFrame::FrameMs;
    {
        const DisplayFrame::Gather outer(frame);
        frame.request();
        {
            const DisplayFrame::Gather inner(frame);
            frame.request();
        }
        EXPECT_EQ(shown, 1);  // nothing shown inside
        frame.request();
    }
    EXPECT_EQ(shown, 2);  // one frame at the end
    {
        const DisplayFrame::Gather nothing(frame);
    }
    EXPECT_EQ(shown, 2);  // no request, no frame
}

TEST(LogView, APortLineIsShownAsItsWindows1251Text)
{
    // Plain ASCII takes a shorter way into the view than a line with
    // Cyrillic letters or a line break inside; both must show the same text.
    DisplayFrame frame(false);
    ShownView shown;
    QPlainTextEdit frozen;
    QPushButton freeze;
    LogView log(&shown.view, &frozen, &freeze, frame, {});
    const std::string plain = std::string("AT+GMR\x01\x7f ~") + std::string(1, '\0') + "end";
    log.addCp1251Line(plain, LogDirection::Received);
    log.addCp1251Line("\xcf\xf0\xe8\xe2\xe5\xf2 \xb9", LogDirection::Received);
    log.addCp1251Line("one\r\ntwo", LogDirection::Sent);
    ASSERT_EQ(shown.view.lineCount(), 4);
    EXPECT_EQ(shown.view.line(0), fromCp1251(plain));
    EXPECT_EQ(shown.view.line(0).size(), 14);  // the NUL kept
    EXPECT_EQ(shown.view.line(1), QStringLiteral("Привет №"));
    EXPECT_EQ(shown.view.line(2), QStringLiteral("one"));
    EXPECT_EQ(shown.view.line(3), QStringLiteral("two"));
    EXPECT_EQ(shown.view.direction(0), LogDirection::Received);
    EXPECT_EQ(shown.view.direction(3), LogDirection::Sent);
}

TEST(LogView, TheSidewaysRangeFitsLinesMeasuredAsTheyCame)
{
    // Lines waiting for their frame are measured as they come; the range the
    // frame sets must be the widest line's, in the font the lines are shown in.
    ManualMs ms;
    DisplayFrame frame(true, nullptr, ms.clock());
    ShownView shown;
    QPlainTextEdit frozen;
    QPushButton freeze;
    LogView log(&shown.view, &frozen, &freeze, frame, {});
    const auto widestRange = [&](const QStringList& lines) {
        QFont unkerned = shown.view.font();
        unkerned.setKerning(false);
        const QFontMetrics metrics(unkerned);
        int widest = 0;
        for (const QString& line : lines) {
            int width = 0;
            for (const QChar c : line)
                width += metrics.horizontalAdvance(c);
            widest = std::max(widest, width);
        }
        return widest + 2 * 4 - shown.view.viewport()->width();
    };
    log.addLine(QStringLiteral("first"));  // shown at once
    const std::string plain(300, 'W');
    const std::string cyrillic(250, '\xc6');  // Ж
    log.addCp1251Line(plain, LogDirection::Received);
    log.addCp1251Line(cyrillic, LogDirection::Received);
    EXPECT_EQ(shown.view.lineCount(), 1);
    log.flush();
    ASSERT_EQ(shown.view.lineCount(), 3);
    const QStringList all{QString(300, QLatin1Char('W')), QString(250, QChar(0x416))};
    EXPECT_EQ(shown.view.horizontalScrollBar()->maximum(), widestRange(all));
    // A font change with a line still waiting: measured again in the new font.
    log.addCp1251Line(std::string(400, 'i'), LogDirection::Sent);
    log.setFontSize(16);
    EXPECT_EQ(shown.view.lineCount(), 4);
    EXPECT_EQ(shown.view.horizontalScrollBar()->maximum(),
              widestRange({all[0], all[1], QString(400, QLatin1Char('i'))}));
}

}  // namespace
}  // namespace comtrax
