#include "ui/logview/log_text_view.h"

#include "ui/logview/display_frame.h"
#include "ui/logview/log_view.h"
#include "ui/kit/text_codec.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "wait_until.h"

namespace comtrax {
namespace {

QStringList numberedLines(int count, int from = 0)
{
    QStringList lines;
    for (int i = from; i < from + count; ++i)
        lines << QStringLiteral("line %1").arg(i);
    return lines;
}

struct ShownView {
    LogTextView view;
    ShownView()
    {
        view.resize(400, 200);
        view.show();
    }
    QPoint pointOf(int visibleRow, int column) const
    {
        const QFontMetrics metrics = view.fontMetrics();
        const int row = visibleRow - view.firstVisibleLine();
        const QString text = view.line(visibleRow);
        return {4 + metrics.horizontalAdvance(text.left(column)),
                row * metrics.lineSpacing() + metrics.lineSpacing() / 2};
    }
};

TEST(LogTextView, PlainTextIsTheLinesJoinedByLineBreaks)
{
    LogTextView view;
    EXPECT_EQ(view.toPlainText(), QString());
    view.appendLines({"a", "", "b c"});
    view.appendLine("d");
    EXPECT_EQ(view.toPlainText(), QString("a\n\nb c\nd"));
    EXPECT_EQ(view.lineCount(), 4);
    view.clear();
    EXPECT_EQ(view.lineCount(), 0);
    EXPECT_EQ(view.toPlainText(), QString());
}

TEST(LogTextView, TheCapDropsTheOldestLines)
{
    LogTextView view;
    view.setMaximumLineCount(3);
    view.appendLines(numberedLines(5));
    EXPECT_EQ(view.toPlainText(), QString("line 2\nline 3\nline 4"));
    view.setMaximumLineCount(2);
    EXPECT_EQ(view.toPlainText(), QString("line 3\nline 4"));
}

TEST(LogTextView, FollowsTheEndUntilScrolledUpAndAgainWhenBackAtTheEnd)
{
    ShownView shown;
    LogTextView& view = shown.view;
    view.appendLines(numberedLines(100));
    QScrollBar* bar = view.verticalScrollBar();
    EXPECT_TRUE(view.following());
    EXPECT_EQ(bar->value(), bar->maximum());
    EXPECT_GT(bar->maximum(), 0);

    bar->setValue(10);
    EXPECT_FALSE(view.following());
    view.appendLines(numberedLines(50, 100));
    EXPECT_EQ(bar->value(), 10) << "the user's place is kept while lines come";

    QTest::keyClick(&view, Qt::Key_End);
    EXPECT_TRUE(view.following());
    view.appendLines(numberedLines(5, 150));
    EXPECT_EQ(bar->value(), bar->maximum());
}

TEST(LogTextView, ScrolledUpViewKeepsShowingTheSameLinesWhenTheCapDropsSome)
{
    ShownView shown;
    LogTextView& view = shown.view;
    view.setMaximumLineCount(100);
    view.appendLines(numberedLines(100));
    view.verticalScrollBar()->setValue(40);
    view.appendLines(numberedLines(10, 100));
    EXPECT_EQ(view.line(view.firstVisibleLine()), QString("line 40"));
}

TEST(LogTextView, AResizeKeepsFollowingAndFitsTheScrollRange)
{
    ShownView shown;
    LogTextView& view = shown.view;
    view.appendLines(numberedLines(100));
    const int before = view.verticalScrollBar()->maximum();
    view.resize(400, 600);
    QApplication::processEvents();
    EXPECT_LT(view.verticalScrollBar()->maximum(), before);
    EXPECT_EQ(view.verticalScrollBar()->value(), view.verticalScrollBar()->maximum());
    EXPECT_TRUE(view.following());
    view.appendLine(QString(500, 'x'));
    EXPECT_GT(view.horizontalScrollBar()->maximum(), 0)
        << "a long line is reached by scrolling, never wrapped";
}

TEST(LogTextView, MouseSelectionAndShiftClickCopyTheTextBetween)
{
    ShownView shown;
    LogTextView& view = shown.view;
    view.appendLines({"alpha", "beta", "gamma"});
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, shown.pointOf(0, 2));
    QTest::mouseMove(view.viewport(), shown.pointOf(1, 3));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {}, shown.pointOf(1, 3));
    EXPECT_EQ(view.selectedText(), QString("pha\nbet"));

    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier, shown.pointOf(2, 1));
    EXPECT_EQ(view.selectedText(), QString("pha\nbeta\ng"));

    QApplication::clipboard()->clear();
    QTest::keyClick(&view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QApplication::clipboard()->text(), QString("pha\nbeta\ng"));

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, shown.pointOf(1, 1));
    EXPECT_FALSE(view.hasSelection());
}

TEST(LogTextView, SelectAllAndKeyboardSelectionCopyWholeLines)
{
    ShownView shown;
    LogTextView& view = shown.view;
    view.appendLines({"one", "two"});
    QTest::keyClick(&view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view.selectedText(), QString("one\ntwo"));
    view.copy();
    EXPECT_EQ(QApplication::clipboard()->text(), QString("one\ntwo"));

    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, shown.pointOf(0, 1));
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    QTest::keyClick(&view, Qt::Key_Right, Qt::ShiftModifier);
    EXPECT_EQ(view.selectedText(), QString("ne\n"));
}

TEST(LogTextView, SelectionFallsOffWithTheLinesTheCapDrops)
{
    LogTextView view;
    view.setMaximumLineCount(3);
    view.appendLines({"a1", "b2", "c3"});
    view.selectAll();
    view.appendLines({"d4", "e5"});
    EXPECT_EQ(view.selectedText(), QString("c3")) << "only what is still kept stays selected";
    view.clear();
    EXPECT_EQ(view.selectedText(), QString());
}

TEST(LogTextView, PaintsAnEmptyAndAHugeStore)
{
    ShownView shown;
    LogTextView& view = shown.view;
    EXPECT_FALSE(view.grab().isNull());
    view.setMaximumLineCount(5000);
    QStringList lines;
    for (int i = 0; i < 6000; ++i)
        lines << QString(1500, QChar('a' + i % 26));
    view.appendLines(lines);
    EXPECT_EQ(view.lineCount(), 5000);
    view.selectAll();
    const QImage image = view.grab().toImage();
    EXPECT_FALSE(image.isNull());
    // The last line ('a' + 5999 % 26) is on screen and drawn: the picture is not one colour.
    const QRgb background = image.pixel(image.width() - 1, image.height() - 1);
    bool drawn = false;
    for (int y = 0; y < image.height() && !drawn; ++y)
        for (int x = 0; x < image.width() / 2 && !drawn; ++x)
            drawn = image.pixel(x, y) != background;
    EXPECT_TRUE(drawn);
}

TEST(LogTextView, ALongLineScrolledSidewaysIsDrawnWhereItsCharactersAre)
{
    // Only the part of a line inside the viewport is drawn; scrolled to its
    // end, that part must still be there, and a click there must land on
    // the column under the pointer.
    ShownView shown;
    LogTextView& view = shown.view;
    view.appendLines({QString(3000, QChar('x')) + QStringLiteral("|end"), QStringLiteral("short")});
    QScrollBar* bar = view.horizontalScrollBar();
    ASSERT_GT(bar->maximum(), 0);
    bar->setValue(bar->maximum());
    const QImage image = view.viewport()->grab().toImage();
    const QRgb background = view.palette().color(QPalette::Base).rgb();
    const int lineHeight = view.fontMetrics().lineSpacing();
    int inked = 0;
    for (int y = 0; y < lineHeight; ++y)
        for (int x = 0; x < image.width(); ++x)
            inked += image.pixel(x, y) != background;
    EXPECT_GT(inked, 20);

    // A drag from the middle of the viewport past the line's end selects
    // from the column under the pointer to the end.
    const QString text = view.line(0);
    const int advance = view.fontMetrics().horizontalAdvance(QChar('x'));
    const int middle = view.viewport()->width() / 2;
    const int lineX = middle - 4 + bar->value();
    const int column = (lineX + advance / 2) / advance;
    QTest::mousePress(view.viewport(), Qt::LeftButton, {}, QPoint(middle, lineHeight / 2));
    QTest::mouseMove(view.viewport(), QPoint(view.viewport()->width() - 1, lineHeight / 2));
    QTest::mouseRelease(view.viewport(), Qt::LeftButton, {},
                        QPoint(view.viewport()->width() - 1, lineHeight / 2));
    const QString selected = view.selectedText();
    EXPECT_TRUE(selected.endsWith(QStringLiteral("x|end"))) << selected.toStdString();
    EXPECT_NEAR(selected.size(), text.size() - column, 1);
}

TEST(LogTextView, TheSidewaysRangeFitsTheWidestLineInAFixedAndAProportionalFont)
{
    // Latin-1 lines are measured from their bytes; the width must be the one
    // the characters are drawn at, upper half of Latin-1 included.
    for (const char* family : {"DejaVu Sans Mono", "DejaVu Sans"}) {
        SCOPED_TRACE(family);
        ShownView shown;
        LogTextView& view = shown.view;
        view.setFont(QFont(QString::fromLatin1(family), 10));
        QFont unkerned = view.font();
        unkerned.setKerning(false);
        const QFontMetrics metrics(unkerned);
        const QString wide = QString(150, QChar(0xE9)) + QString(150, QLatin1Char('W'));
        view.appendLines({QString(400, QLatin1Char('i')), wide, QStringLiteral("short")});
        const int widest = std::max(400 * metrics.horizontalAdvance(QLatin1Char('i')),
                                    150 * metrics.horizontalAdvance(QChar(0xE9))
                                        + 150 * metrics.horizontalAdvance(QLatin1Char('W')));
        EXPECT_EQ(view.horizontalScrollBar()->maximum(), widest + 2 * 4 - view.viewport()->width());
    }
}

TEST(LogTextView, RowsMadeOfCharacterCellsLookExactlyLikeRowsDrawnGlyphByGlyph)
{
    // A find highlight that matches nothing sends every row the glyph-by-glyph
    // way and changes nothing else: the two pictures must be the same pixels,
    // in a fixed and a proportional font, sent and received, scrolled sideways.
    QString printable;
    for (int c = 0x20; c < 0x100; ++c)
        if (c < 0x7F || c >= 0xA0)
            printable += QChar(c);
    for (const char* family : {"DejaVu Sans Mono", "DejaVu Sans"}) {
        for (const int points : {8, 11}) {
            for (const int sideways : {0, 300}) {
                SCOPED_TRACE(std::string(family) + " " + std::to_string(points) + " "
                             + std::to_string(sideways));
                ShownView shown;
                LogTextView& view = shown.view;
                view.setFont(QFont(QString::fromLatin1(family), points));
                view.appendLines(
                    {printable, QStringLiteral("AT+GMR\tOK ~ Wj_|"), printable.right(60) + printable},
                    {LogDirection::Received, LogDirection::Sent, LogDirection::Received});
                view.horizontalScrollBar()->setValue(sideways);
                const QImage cells = view.viewport()->grab().toImage();
                view.setHighlight(QStringLiteral("no such text"), Qt::CaseSensitive);
                const QImage glyphs = view.viewport()->grab().toImage();
                ASSERT_EQ(cells.size(), glyphs.size());
                int differing = 0;
                for (int y = 0; y < cells.height(); ++y)
                    for (int x = 0; x < cells.width(); ++x)
                        differing += cells.pixel(x, y) != glyphs.pixel(x, y);
                EXPECT_EQ(differing, 0);
            }
        }
    }
}

TEST(LogTextView, FillsItsWholeBackgroundItself)
{
    // The view paints its own background (line by line, below the lines in
    // strips): every pixel of it is the scheme's colour or a sent line's tint,
    // and nothing of an earlier picture shows through.
    ShownView shown;
    LogTextView& view = shown.view;
    QPalette palette = view.palette();
    palette.setColor(QPalette::Base, QColor(10, 40, 90));
    palette.setColor(QPalette::Text, QColor(250, 250, 200));
    view.setPalette(palette);
    view.appendLines({QStringLiteral("received"), QStringLiteral("sent")},
                     {LogDirection::Received, LogDirection::Sent});
    const QImage image = view.viewport()->grab().toImage();
    const int lineHeight = view.fontMetrics().lineSpacing();
    const QRgb base = palette.color(QPalette::Base).rgb();
    const QRgb tint =
        lineBackground(palette.color(QPalette::Base), palette.color(QPalette::Text), LogDirection::Sent)
            .rgb();
    const int x = image.width() - 2;
    EXPECT_EQ(image.pixel(x, lineHeight / 2), base);
    EXPECT_EQ(image.pixel(x, lineHeight + lineHeight / 2), tint);
    for (int y = 2 * lineHeight; y < image.height(); y += 7)
        ASSERT_EQ(image.pixel(x, y), base) << "row " << y;
    EXPECT_EQ(image.pixel(0, image.height() - 1), base);
}

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

TEST(LogLineStore, EveryLineComesBackAsItWentInWhateverItsCharacters)
{
    // ASCII, the upper half of Latin-1, Cyrillic (what Windows-1251 gives),
    // a character outside the basic plane, and an empty line.
    const QStringList lines = {QStringLiteral("AT+GMR -> OK"), QString::fromUtf8("caf\xc3\xa9 \xc3\xbf"),
                               QString::fromUtf8("\xd0\x9f\xd1\x80\xd0\xb8\xd0\xb2\xd0\xb5\xd1\x82"),
                               QString::fromUtf8("x \xf0\x9f\x98\x80 y"), QString()};
    comtrax::LogLineStore store;
    for (const QString& l : lines)
        store.push_back(l);
    comtrax::LogLineStore more;
    more.push_back(QStringLiteral("tail"));
    store.append(std::move(more));
    ASSERT_EQ(store.size(), 6u);
    EXPECT_TRUE(more.empty());
    for (int i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(store[static_cast<std::size_t>(i)], lines[i]);
        EXPECT_EQ(store.length(static_cast<std::size_t>(i)), lines[i].size());
    }
    EXPECT_EQ(store.back(), QStringLiteral("tail"));
    store.pop_front();
    EXPECT_EQ(store[0], lines[1]);
}
