#include "ui/logview/log_text_view.h"

#include "ui/kit/quiet_scroll_bar.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QImage>
#include <QScreen>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

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

TEST(LogTextView, ASelectionTheCapTookAwayAltogetherIsNoSelection)
{
    // Nothing of it is left to copy, to search on from or to hand on.
    ShownView shown;
    LogTextView& view = shown.view;
    view.setMaximumLineCount(3);
    view.appendLines({"a1", "b2", "c3"});
    view.setSelection({0, 0}, {0, 2});
    ASSERT_TRUE(view.hasSelection());
    view.appendLines({"d4"});
    EXPECT_EQ(view.selectedText(), QString());
    EXPECT_FALSE(view.hasSelection());
    EXPECT_EQ(view.selectionStart(), std::nullopt);
}

TEST(LogTextView, AFontChangeThatLeavesTheViewAtTheEndMakesItFollowAsAResizeDoes)
{
    ShownView shown;
    LogTextView& view = shown.view;
    view.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 12));
    view.appendLines(numberedLines(30));
    QScrollBar* bar = view.verticalScrollBar();
    bar->setValue(bar->maximum() - 2);
    ASSERT_FALSE(view.following());
    // A smaller font fits more lines: the end comes up to where the view is.
    view.setFont(QFont(QStringLiteral("DejaVu Sans Mono"), 6));
    ASSERT_EQ(bar->value(), bar->maximum());
    EXPECT_TRUE(view.following());
    view.appendLines(numberedLines(5, 30));
    EXPECT_EQ(bar->value(), bar->maximum());
}

}  // namespace

// Lines streaming in move the bars' ranges every frame; the bars may wait a
// little before they repaint, but once the stream stops the picture on screen
// is the bar as it stands: the handle small and at the end.
TEST(LogTextView, TheBarsShowTheirStateOnceAStreamStops)
{
    ShownView v;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&v.view));
    for (int i = 0; i < 40; ++i) {
        v.view.appendLines(numberedLines(5, 5 * i));
        QTest::qWait(10);
    }
    v.view.appendLines(QStringList{QString(300, QLatin1Char('x'))});
    auto* down = dynamic_cast<QuietScrollBar*>(v.view.verticalScrollBar());
    auto* across = dynamic_cast<QuietScrollBar*>(v.view.horizontalScrollBar());
    ASSERT_TRUE(down && across);
    EXPECT_TRUE(down->isVisible());
    EXPECT_TRUE(across->isVisible());
    EXPECT_TRUE(
        QTest::qWaitFor([&] { return down->showsCurrentState() && across->showsCurrentState(); }, 2000));
    EXPECT_EQ(down->value(), down->maximum());
}

namespace {

// What the screen holds now for the view's viewport, and what a paint of
// the whole viewport draws.
std::pair<QImage, QImage> screenAndFreshPaint(LogTextView& view)
{
    QWidget* port = view.viewport();
    const QPoint at = port->mapTo(port->window(), QPoint(0, 0));
    const QImage screen =
        QGuiApplication::primaryScreen()
            ->grabWindow(port->window()->winId(), at.x(), at.y(), port->width(), port->height())
            .toImage()
            .convertToFormat(QImage::Format_RGB32);
    return {screen, port->grab().toImage().convertToFormat(QImage::Format_RGB32)};
}

void settle()
{
    for (int i = 0; i < 3; ++i) {
        QCoreApplication::processEvents();
        QTest::qWait(5);
    }
}

}  // namespace

TEST(LogTextView, NewLinesMoveThePictureAndPaintOnlyTheirRowsYetTheScreenShowsWhatAFullPaintDraws)
{
    // A stream moves what is on the screen up and paints only the new rows.
    // Whatever comes in one frame or in several, with lines dropped by the
    // cap, with a selection that moves with its lines, sent lines among
    // received, a view scrolled up, and batches of more than a page, the
    // screen must end up as a paint of the whole view would draw it.
    ShownView v;
    LogTextView& view = v.view;
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&view));
    view.setMaximumLineCount(60);
    int next = 0;
    const auto add = [&](int count) {
        QStringList lines = numberedLines(count, next);
        std::vector<LogDirection> ways;
        for (int i = 0; i < count; ++i)
            ways.push_back((next + i) % 3 == 0 ? LogDirection::Sent : LogDirection::Received);
        next += count;
        view.appendLines(lines, ways);
    };
    const auto expectScreenIsFresh = [&](const char* step) {
        SCOPED_TRACE(step);
        settle();
        const auto [screen, fresh] = screenAndFreshPaint(view);
        ASSERT_FALSE(screen.isNull());
        ASSERT_EQ(screen.size(), fresh.size());
        EXPECT_TRUE(screen == fresh);
    };
    add(3);
    expectScreenIsFresh("a few lines in an empty view");
    for (int i = 0; i < 12; ++i) {
        add(1 + i % 4);
        if (i % 3 != 0)
            settle();
    }
    expectScreenIsFresh("batches, some in one frame, past the cap");
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, v.pointOf(view.firstVisibleLine() + 2, 1));
    QTest::mouseClick(view.viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      v.pointOf(view.firstVisibleLine() + 4, 3));
    settle();
    add(2);
    expectScreenIsFresh("a selection moves with its lines");
    add(40);
    expectScreenIsFresh("more than a page at once");
    view.verticalScrollBar()->setValue(view.verticalScrollBar()->value() - 5);
    settle();
    add(3);
    add(2);
    expectScreenIsFresh("scrolled up, the cap dropping lines");
    view.verticalScrollBar()->setValue(0);
    settle();
    add(30);
    expectScreenIsFresh("scrolled to the top, the shown lines dropped");
}

}  // namespace comtrax
