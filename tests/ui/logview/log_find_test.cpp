// Find in the log and the colours of the two directions.
#include "ui/logview/log_find_bar.h"
#include "ui/logview/log_text_view.h"

#include <QApplication>
#include <QCheckBox>
#include <QImage>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "presentation/appearance.h"
#include "ui/kit/colours.h"
#include "ui/panels/controls.h"
#include "ui/window/terminal_window.h"
#include "window_rig.h"

namespace comtrax {
namespace {

// "line 0" .. with "match" on the lines given.
QStringList linesWithMatches(int count, const std::vector<int>& matchLines)
{
    QStringList lines;
    for (int i = 0; i < count; ++i)
        lines << QStringLiteral("line %1").arg(i);
    for (int at : matchLines)
        lines[at] += QStringLiteral(" Match here");
    return lines;
}

struct FindRig {
    QWidget panel;
    LogTextView* view = new LogTextView(&panel);
    LogFindBar* bar = new LogFindBar(view);
    FindRig()
    {
        panel.resize(500, 300);
        view->setGeometry(0, 0, 500, 300);
        panel.show();
        QApplication::setActiveWindow(&panel);
    }
    // The line the selection (the current match) is on; -1: none.
    int currentLine() const
    {
        if (!view->hasSelection())
            return -1;
        for (int i = 0; i < view->lineCount(); ++i)
            if (view->line(i).contains(view->selectedText()) && lineInView(i))
                return i;
        return -2;
    }
    bool lineInView(int i) const
    {
        return i >= view->firstVisibleLine()
            && i < view->firstVisibleLine() + view->verticalScrollBar()->pageStep();
    }
    void type(const QString& text)
    {
        bar->field()->clear();
        QTest::keyClicks(bar->field(), text);
    }
};

TEST(LogFind, NextAndPreviousGoRoundTheEndAndScrollTheMatchIntoView)
{
    FindRig r;
    r.view->appendLines(linesWithMatches(200, {5, 120, 190}));
    r.bar->open();
    ASSERT_TRUE(r.bar->field()->hasFocus());
    r.view->verticalScrollBar()->setValue(0);
    r.type(QStringLiteral("match"));
    EXPECT_FALSE(r.bar->notFound());
    EXPECT_EQ(r.currentLine(), 5);
    EXPECT_EQ(r.view->selectedText(), QString("Match"));

    // Enter goes on, Shift+Enter back; both go round the ends.
    struct Step {
        Qt::KeyboardModifiers modifiers;
        int line;
    };
    const Step steps[] = {{Qt::NoModifier, 120},    {Qt::NoModifier, 190},    {Qt::NoModifier, 5},
                          {Qt::ShiftModifier, 190}, {Qt::ShiftModifier, 120}, {Qt::ShiftModifier, 5}};
    for (const Step& s : steps) {
        QTest::keyClick(r.bar->field(), Qt::Key_Return, s.modifiers);
        EXPECT_EQ(r.currentLine(), s.line);
        EXPECT_TRUE(r.lineInView(s.line)) << "the match is scrolled into view";
    }
    r.bar->findPrevious();
    EXPECT_EQ(r.currentLine(), 190);
    r.bar->findNext();
    EXPECT_EQ(r.currentLine(), 5);
}

TEST(LogFind, TypingKeepsTheCurrentMatchAndNoMatchTintsTheField)
{
    FindRig r;
    r.view->appendLines({"alpha", "beta one", "beta two"});
    r.bar->open();
    r.type(QStringLiteral("beta"));
    EXPECT_EQ(r.view->selectedText(), QString("beta"));
    QTest::keyClicks(r.bar->field(), QStringLiteral(" t"));
    EXPECT_EQ(r.view->selectedText(), QString("beta t"));
    const QColor plain = r.bar->palette().color(QPalette::Base);
    EXPECT_EQ(r.bar->field()->palette().color(QPalette::Base), plain);

    QTest::keyClicks(r.bar->field(), QStringLiteral("x"));
    EXPECT_TRUE(r.bar->notFound());
    EXPECT_FALSE(r.view->hasSelection());
    EXPECT_NE(r.bar->field()->palette().color(QPalette::Base), plain);
    r.bar->findNext();
    EXPECT_TRUE(r.bar->notFound()) << "next with no match stays not found";
    r.bar->findPrevious();
    EXPECT_TRUE(r.bar->notFound());

    QTest::keyClick(r.bar->field(), Qt::Key_Backspace);
    EXPECT_FALSE(r.bar->notFound());
    EXPECT_EQ(r.bar->field()->palette().color(QPalette::Base), plain);
}

// Lines whose "Match" ends just inside the bar's right edge, where the bar
// (at the top right) covers it; on the lines given.
QStringList linesMatchedUnderTheBar(const FindRig& r, int count, const std::vector<int>& matchLines)
{
    QFont unkerned = r.view->font();
    unkerned.setKerning(false);
    const QFontMetrics metrics(unkerned);
    const auto width = [&](const QString& text) {
        int w = 0;
        for (const QChar c : text)
            w += metrics.horizontalAdvance(c);
        return w;
    };
    const QRect bar(r.view->viewport()->mapFromGlobal(r.bar->mapToGlobal(QPoint(0, 0))), r.bar->size());
    QStringList lines;
    for (int i = 0; i < count; ++i) {
        QString line = QStringLiteral("line %1 ").arg(i, 3, 10, QLatin1Char('0'));
        if (std::find(matchLines.begin(), matchLines.end(), i) != matchLines.end()) {
            while (4 + width(line + QStringLiteral("Match")) < bar.right() - 10)
                line += QLatin1Char('.');
            line += QStringLiteral("Match");
        }
        lines << line;
    }
    return lines;
}

// Whether the current match lies (in part) under the bar.
bool matchUnderTheBar(const FindRig& r)
{
    QFont unkerned = r.view->font();
    unkerned.setKerning(false);
    const QFontMetrics metrics(unkerned);
    const std::optional<LogPlace> at = r.view->selectionStart();
    if (!at)
        return false;
    const QString text = r.view->line(at->line);
    int left = 4 - r.view->horizontalScrollBar()->value();
    for (int i = 0; i < at->column; ++i)
        left += metrics.horizontalAdvance(text[i]);
    int width = 0;
    for (const QChar c : r.view->selectedText())
        width += metrics.horizontalAdvance(c);
    const int height = r.view->fontMetrics().lineSpacing();
    const QRect match(left, (at->line - r.view->firstVisibleLine()) * height, width, height);
    const QRect bar(r.view->viewport()->mapFromGlobal(r.bar->mapToGlobal(QPoint(0, 0))), r.bar->size());
    return match.intersects(bar);
}

TEST(LogFind, AMatchTheBarWouldCoverIsScrolledOutFromUnderIt)
{
    struct Case {
        const char* name;
        std::vector<int> matchLines;
        int scrolledTo;
        bool backward;
        int found;
    };
    const Case cases[] = {
        {"back to a match above: it would come to the top row", {5, 150}, 100, true, 5},
        {"on round the end to the top", {5, 150}, 160, false, 5},
        {"the log's first line, which cannot go lower", {0}, 50, false, 0},
        {"the second line", {1}, 50, true, 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        FindRig r;
        r.bar->open();
        r.view->appendLines(linesMatchedUnderTheBar(r, 200, c.matchLines));
        r.view->verticalScrollBar()->setValue(c.scrolledTo);
        r.bar->field()->setText(QStringLiteral("match"));
        if (c.backward)
            r.bar->findPrevious();
        else
            r.bar->findNext();
        ASSERT_EQ(r.currentLine(), c.found);
        EXPECT_FALSE(matchUnderTheBar(r));
        EXPECT_GE(r.bar->geometry().top(), r.view->geometry().top()) << "the bar stays over the log";
        EXPECT_LE(r.bar->geometry().bottom(), r.view->geometry().bottom());
    }
    // The bar is back at the top for a match it does not cover.
    FindRig r;
    r.bar->open();
    const QPoint top = r.bar->pos();
    r.view->appendLines(linesMatchedUnderTheBar(r, 200, {0, 100}));
    r.view->verticalScrollBar()->setValue(50);
    r.bar->field()->setText(QStringLiteral("match"));
    r.bar->findPrevious();
    ASSERT_EQ(r.currentLine(), 0);
    r.bar->findPrevious();
    ASSERT_EQ(r.currentLine(), 100);
    EXPECT_FALSE(matchUnderTheBar(r));
    EXPECT_EQ(r.bar->pos(), top);
}

TEST(LogFind, MatchCaseDecidesWhatMatches)
{
    FindRig r;
    r.view->appendLines({"ERROR one", "error two"});
    r.bar->open();
    r.type(QStringLiteral("error"));
    EXPECT_EQ(r.view->selectedText(), QString("ERROR"));
    r.bar->matchCase()->setChecked(true);
    EXPECT_EQ(r.view->selectedText(), QString("error"));
    r.bar->findNext();
    EXPECT_EQ(r.view->selectedText(), QString("error")) << "the only exact match, found again round the end";
    r.type(QStringLiteral("Error"));
    EXPECT_TRUE(r.bar->notFound());
    r.bar->matchCase()->setChecked(false);
    EXPECT_FALSE(r.bar->notFound());
}

TEST(LogFind, FindsInWhatIsLeftAfterTheCapDroppedLines)
{
    FindRig r;
    r.view->setMaximumLineCount(5000);
    r.view->appendLines(linesWithMatches(5000, {10, 4000}));
    r.bar->open();
    r.type(QStringLiteral("match"));
    r.view->appendLines(linesWithMatches(1000, {}));  // line 10 and the 990 after it fall off
    EXPECT_EQ(r.view->lineCount(), 5000);
    r.bar->findNext();
    EXPECT_TRUE(r.view->line(r.currentLine()).startsWith("line 4000 "));
    r.bar->findNext();
    EXPECT_TRUE(r.view->line(r.currentLine()).startsWith("line 4000 ")) << "the only match left";
    r.view->appendLines(linesWithMatches(4000, {}));
    r.bar->findNext();
    EXPECT_TRUE(r.bar->notFound());
}

TEST(LogFind, MatchesAreMarkedOnTheLinesInView)
{
    FindRig r;
    r.view->appendLines({"nothing", "xx needle xx"});
    r.view->setHighlight(QString(), Qt::CaseInsensitive);
    const QImage plain = r.view->viewport()->grab().toImage();
    r.view->setHighlight(QStringLiteral("NEEDLE"), Qt::CaseInsensitive);
    const QImage marked = r.view->viewport()->grab().toImage();
    EXPECT_NE(plain, marked);
    r.view->setHighlight(QStringLiteral("NEEDLE"), Qt::CaseSensitive);
    EXPECT_EQ(r.view->viewport()->grab().toImage(), plain);
}

TEST(LogFind, CtrlFOpensTheBarFromAnyControlAndEscapeGivesTheFocusBackToTheLog)
{
    testing::WindowRig rig;
    rig.open();
    rig.window->show();
    Controls& c = rig.ui();
    for (const char* line : {"first", "second"})
        rig.window->addLogLine(line);
    auto* bar = rig.window->findChild<LogFindBar*>();
    ASSERT_NE(bar, nullptr);
    EXPECT_FALSE(bar->isVisible());
    QApplication::setActiveWindow(rig.window.get());
    c.MainStrCmd->setFocus();
    QTest::keyClick(c.MainStrCmd, Qt::Key_F, Qt::ControlModifier);
    ASSERT_TRUE(bar->isVisible());
    EXPECT_TRUE(c.MainStrCmd->text().isEmpty()) << "the command line got no key";
    EXPECT_TRUE(c.MainWindow->geometry().contains(bar->geometry())) << "the bar floats over the log";
    QTest::keyClicks(bar->field(), QStringLiteral("second"));
    EXPECT_EQ(c.MainWindow->selectedText(), QString("second"));
    QTest::keyClick(bar->field(), Qt::Key_Escape);
    EXPECT_FALSE(bar->isVisible());
    EXPECT_TRUE(c.MainWindow->hasFocus());
}

TEST(LogFind, AFrozenWindowSearchesTheLogAsItIsBehindTheFrozenCopy)
{
    testing::WindowRig rig;
    rig.open();
    rig.window->show();
    rig.window->addLogLine("before");
    rig.ui().StartStop->click();
    rig.window->addLogLine("after the freeze");
    rig.timers().runHousekeeping();
    auto* bar = rig.window->findChild<LogFindBar*>();
    ASSERT_NE(bar, nullptr);
    bar->open();
    QTest::keyClicks(bar->field(), QStringLiteral("after"));
    EXPECT_FALSE(bar->notFound());
    EXPECT_EQ(rig.ui().MainWindow->selectedText(), QString("after"));
    EXPECT_TRUE(rig.ui().SecondWindow->toPlainText().startsWith("before"))
        << "the frozen copy stays as it was";
}

TEST(LogSearch, FindsForwardAndBackRoundTheEnd)
{
    LogLineStore lines;
    for (const char* line : {"ab ab", "x", "AB"})
        lines.pushLine(QString::fromLatin1(line));
    struct Case {
        LogPlace start;
        bool backward;
        Qt::CaseSensitivity sensitivity;
        std::optional<LogPlace> found;
    };
    const Case cases[] = {
        {{0, 0}, false, Qt::CaseSensitive, LogPlace{0, 0}},    // a match at the start counts
        {{0, 1}, false, Qt::CaseSensitive, LogPlace{0, 3}},    // the next one on the line
        {{0, 4}, false, Qt::CaseSensitive, LogPlace{0, 0}},    // round the end to the same line
        {{0, 4}, false, Qt::CaseInsensitive, LogPlace{2, 0}},  // the last line, told apart by case
        {{0, 3}, true, Qt::CaseSensitive, LogPlace{0, 0}},     // back: one that begins before
        {{0, 0}, true, Qt::CaseSensitive, LogPlace{0, 3}},     // back from column 0: round to the end
        {{0, 0}, true, Qt::CaseInsensitive, LogPlace{2, 0}},
        {{1, 0}, false, Qt::CaseSensitive, LogPlace{0, 0}},
        {{5, 0}, false, Qt::CaseSensitive, std::nullopt},  // a start past the lines finds nothing
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(QStringLiteral("%1:%2 back %3")
                         .arg(c.start.line)
                         .arg(c.start.column)
                         .arg(c.backward)
                         .toStdString());
        EXPECT_EQ(findInLines(lines, QStringLiteral("ab"), c.sensitivity, c.start, c.backward), c.found);
    }
    EXPECT_EQ(findInLines(lines, QStringLiteral("zz"), Qt::CaseInsensitive, {0, 0}, false), std::nullopt);
    EXPECT_EQ(findInLines(LogLineStore{}, QStringLiteral("ab"), Qt::CaseInsensitive, {0, 0}, false),
              std::nullopt);
}

TEST(LogColours, SentAndReceivedLinesDifferInEveryScheme)
{
    for (std::size_t i = 0; i < ColourSchemes.size(); ++i) {
        SCOPED_TRACE(i);
        const QColor back = colourToQColor(ColourSchemes[i].back);
        const QColor text = colourToQColor(ColourSchemes[i].text);
        const QColor sent = lineBackground(back, text, LogDirection::Sent);
        const QColor received = lineBackground(back, text, LogDirection::Received);
        EXPECT_EQ(received, back) << "the scheme's colour stays the main colour";
        EXPECT_EQ(lineBackground(back, text, LogDirection::Other), back);
        const auto distance = [](const QColor& a, const QColor& b) {
            return std::abs(a.red() - b.red()) + std::abs(a.green() - b.green())
                + std::abs(a.blue() - b.blue());
        };
        EXPECT_GE(distance(sent, received), 30) << "the tint can be seen";
        EXPECT_GT(distance(sent, text), distance(sent, back)) << "the text stays readable on the tint";
    }
}

TEST(LogColours, ALineIsPaintedInTheColourOfItsDirection)
{
    FindRig r;
    setBackgroundColour(r.view, clBlack);
    setTextColour(r.view, clLime);
    r.view->appendLine(QStringLiteral("sent"), LogDirection::Sent);
    r.view->appendLine(QStringLiteral("received"), LogDirection::Received);
    const QImage image = r.view->viewport()->grab().toImage();
    const int height = r.view->fontMetrics().lineSpacing();
    const int x = image.width() - 5;  // past the text, on the line's background
    const QColor back = colourToQColor(clBlack);
    const QColor text = colourToQColor(clLime);
    EXPECT_EQ(image.pixelColor(x, height / 2), lineBackground(back, text, LogDirection::Sent));
    EXPECT_EQ(image.pixelColor(x, height + height / 2), back);
}

TEST(LogTextViewResize, AScrolledUpViewKeepsTheUsersPlace)
{
    FindRig r;
    r.view->appendLines(linesWithMatches(300, {}));
    r.view->verticalScrollBar()->setValue(50);
    r.view->resize(500, 150);
    r.view->resize(500, 400);
    QApplication::processEvents();
    EXPECT_EQ(r.view->firstVisibleLine(), 50);
    EXPECT_FALSE(r.view->following());
}

}  // namespace
}  // namespace comtrax
