// The log view's selection on its own: ranges over lines, the lines the cap
// drops from under it, and the keys' moves, without a window or a pixel.
#include "ui/logview/log_selection.h"

#include <QStringList>

#include <gtest/gtest.h>

#include "ui/logview/log_line_store.h"

namespace comtrax {
namespace {

LogLineStore storeOf(const QStringList& lines)
{
    LogLineStore store;
    for (const QString& line : lines)
        store.pushLine(line);
    return store;
}

std::string placeText(LogPlace p)
{
    return std::to_string(p.line) + ":" + std::to_string(p.column);
}

TEST(LogSelection, TakesTheTextBetweenItsEndsAcrossLinesInEitherOrder)
{
    const LogLineStore lines = storeOf({"alpha", "", "gamma delta", QStringLiteral("é Ж")});
    struct Case {
        LogPlace anchor;
        LogPlace caret;
        QString text;
    };
    const Case cases[] = {
        {{0, 2}, {0, 4}, "ph"},
        {{2, 5}, {0, 3}, "ha\n\ngamma"},         // the caret before the anchor
        {{0, 5}, {1, 0}, "\n"},                  // a line break alone
        {{1, 0}, {2, 0}, "\n"},                  // an empty line is its line break
        {{0, 99}, {2, 0}, "\n\n"},               // a column past a line's end is its end
        {{3, 1}, {9, 9}, QStringLiteral(" Ж")},  // past the last line: its end
        {{-3, 4}, {0, 2}, "al"},                 // before the first: its start
        {{2, 6}, {2, 6}, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(placeText(c.anchor) + " to " + placeText(c.caret));
        LogSelection selection(lines);
        selection.select(c.anchor, c.caret);
        EXPECT_EQ(selection.text(), c.text);
        EXPECT_EQ(selection.empty(), c.text.isEmpty());
    }
    LogSelection all(lines);
    all.selectAll();
    EXPECT_EQ(all.text(), QStringLiteral("alpha\n\ngamma delta\né Ж"));
    all.selectLine(2);
    EXPECT_EQ(all.text(), QStringLiteral("gamma delta"));
}

TEST(LogSelection, StaysOnItsLinesWhenTheCapDropsLinesFromUnderIt)
{
    // Six lines "line0".."line5"; the cap drops the oldest from the top.
    struct Case {
        const char* name;
        LogPlace anchor;
        LogPlace caret;
        int dropped;
        QString text;
        LogPlace start;
    };
    const Case cases[] = {
        {"above the selection", {2, 1}, {3, 4}, 1, "ine2\nline", {1, 1}},
        {"the anchor's line", {2, 1}, {3, 4}, 3, "line", {0, 0}},
        {"the caret's line, the caret first", {4, 2}, {1, 3}, 2, "line2\nline3\nli", {0, 0}},
        {"all of it", {1, 0}, {2, 5}, 3, "", {0, 0}},
        {"all of it and more", {0, 2}, {1, 3}, 5, "", {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogLineStore lines = storeOf({"line0", "line1", "line2", "line3", "line4", "line5"});
        LogSelection selection(lines);
        selection.select(c.anchor, c.caret);
        for (int i = 0; i < c.dropped; ++i)
            lines.dropFirst();
        selection.linesDropped(c.dropped);
        EXPECT_EQ(selection.text(), c.text);
        EXPECT_EQ(selection.start(), c.start) << placeText(selection.start());
        // A selection the cap took away altogether is no selection.
        EXPECT_EQ(selection.empty(), c.text.isEmpty());
    }
}

TEST(LogSelection, KeysMoveTheCaretFromTheCaretOrFromThePageInView)
{
    // Twenty lines "row00".."row19" (five characters each); rows 10 to 14 in view.
    QStringList rows;
    for (int i = 0; i < 20; ++i)
        rows << QStringLiteral("row%1").arg(i, 2, 10, QLatin1Char('0'));
    const LogLineStore lines = storeOf(rows);
    const LogSelection::Shown shown{10, 5};
    using Step = LogSelection::Step;
    struct Case {
        const char* name;
        LogPlace anchor;
        LogPlace caret;
        Step step;
        bool extend;
        LogPlace newAnchor;
        LogPlace newCaret;
    };
    const Case cases[] = {
        {"back over a line's start", {11, 0}, {11, 0}, Step::Left, true, {11, 0}, {10, 5}},
        {"forward over a line's end", {11, 5}, {11, 5}, Step::Right, true, {11, 5}, {12, 0}},
        {"nowhere before the log's start", {0, 3}, {0, 0}, Step::Left, true, {0, 3}, {0, 0}},
        {"down from the last line: its end", {18, 0}, {19, 1}, Step::Down, true, {18, 0}, {19, 5}},
        {"a page down, at most the last line", {16, 0}, {17, 2}, Step::PageDown, false, {19, 2}, {19, 2}},
        {"a page up, at least the first line", {1, 0}, {3, 4}, Step::PageUp, true, {1, 0}, {0, 4}},
        {"a growing selection grows from its anchor",
         {12, 1},
         {13, 2},
         Step::LineEnd,
         true,
         {12, 1},
         {13, 5}},
        {"a plain key leaves nothing selected", {12, 1}, {13, 2}, Step::LogStart, false, {0, 0}, {0, 0}},
        // The caret scrolled out of view with nothing selected: a key starts
        // on the page in view, forward from its top, back from its end.
        {"forward from the page's top", {2, 3}, {2, 3}, Step::Down, true, {10, 0}, {11, 0}},
        {"back from the page's end", {2, 3}, {2, 3}, Step::Up, true, {14, 5}, {13, 5}},
        {"a selection keeps its caret", {1, 0}, {2, 3}, Step::Down, true, {1, 0}, {3, 3}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        LogSelection selection(lines);
        selection.select(c.anchor, c.caret);
        selection.move(c.step, c.extend, shown);
        EXPECT_EQ(selection.anchor(), c.newAnchor) << placeText(selection.anchor());
        EXPECT_EQ(selection.caret(), c.newCaret) << placeText(selection.caret());
    }
}

}  // namespace
}  // namespace comtrax
