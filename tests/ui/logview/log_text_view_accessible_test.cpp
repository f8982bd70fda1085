// The log view as screen readers see it, through QAccessible.
#include "ui/logview/log_text_view_accessible.h"

#include <QAccessible>
#include <QApplication>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScrollBar>
#include <QTest>

#include <gtest/gtest.h>

#include "ui/logview/display_frame.h"
#include "ui/logview/log_text_view.h"
#include "ui/logview/log_view.h"

namespace comtrax {
namespace {

QAccessibleTextInterface* textOf(LogTextView& view)
{
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&view);
    return iface ? iface->textInterface() : nullptr;
}

struct ReadView {
    LogTextView view;
    ReadView(const QStringList& lines)
    {
        view.resize(400, 200);
        view.appendLines(lines);
        view.show();
    }
};

TEST(LogTextViewAccessible, IsAReadOnlyTextWithTheLinesAsItsText)
{
    ReadView r({"alpha one", "", "beta two"});
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&r.view);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::EditableText);
    EXPECT_TRUE(iface->state().readOnly);
    EXPECT_TRUE(iface->state().multiLine);
    EXPECT_TRUE(iface->state().selectableText);
    EXPECT_FALSE(iface->text(QAccessible::Name).isEmpty()) << "a reader says what it is";
    QAccessibleTextInterface* text = iface->textInterface();
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), r.view.toPlainText().size());
    EXPECT_EQ(text->text(0, text->characterCount()), QString("alpha one\n\nbeta two"));
    struct Range {
        int start, end;
        QString text;
    };
    const Range ranges[] = {{6, 9, "one"},   {6, 12, "one\n\nb"}, {9, 10, "\n"}, {-5, 3, "alp"},
                            {16, 99, "two"}, {7, 7, ""},          {8, 2, ""}};
    for (const Range& range : ranges) {
        SCOPED_TRACE(range.start);
        EXPECT_EQ(text->text(range.start, range.end), range.text);
    }

    r.view.clear();
    EXPECT_EQ(text->characterCount(), 0) << "the text follows the lines";
    EXPECT_EQ(text->text(0, 10), QString());
    r.view.appendLine(QStringLiteral("Привет"));
    EXPECT_EQ(text->text(0, text->characterCount()), QStringLiteral("Привет"));
}

TEST(LogTextViewAccessible, ReadsByLineWordAndCharacter)
{
    ReadView r({"AT+GMR ok", "second line", "", "last"});
    QAccessibleTextInterface* text = textOf(r.view);
    ASSERT_NE(text, nullptr);
    // "AT+GMR ok\nsecond line\n\nlast": line 2 (empty) starts at 22, "last" at 23.
    enum Side { At, Before, After };
    struct Case {
        int offset;
        QAccessible::TextBoundaryType type;
        Side side;
        int start, end;
        QString text;
    };
    const Case cases[] = {
        {3, QAccessible::LineBoundary, At, 0, 10, "AT+GMR ok\n"},
        {9, QAccessible::LineBoundary, At, 0, 10, "AT+GMR ok\n"},  // the line break is the line's
        {10, QAccessible::LineBoundary, At, 10, 22, "second line\n"},
        {22, QAccessible::LineBoundary, At, 22, 23, "\n"},
        {27, QAccessible::LineBoundary, At, 23, 27, "last"},  // past the end: still the last line
        {12, QAccessible::LineBoundary, Before, 0, 10, "AT+GMR ok\n"},
        {3, QAccessible::LineBoundary, Before, 0, 0, ""},
        {3, QAccessible::LineBoundary, After, 10, 22, "second line\n"},
        {25, QAccessible::LineBoundary, After, 27, 27, ""},
        {12, QAccessible::WordBoundary, At, 10, 16, "second"},
        {17, QAccessible::WordBoundary, At, 17, 21, "line"},
        {9, QAccessible::WordBoundary, Before, 7, 9, "ok"},
        {11, QAccessible::WordBoundary, Before, 9, 10, "\n"},  // back across the line break
        {12, QAccessible::WordBoundary, After, 16, 17, " "},
        {24, QAccessible::WordBoundary, At, 23, 27, "last"},
        {8, QAccessible::CharBoundary, At, 8, 9, "k"},
        {9, QAccessible::CharBoundary, At, 9, 10, "\n"},
        {10, QAccessible::CharBoundary, Before, 9, 10, "\n"},
        {26, QAccessible::CharBoundary, After, 27, 27, ""},
        {27, QAccessible::CharBoundary, At, 27, 27, ""},
        {5, QAccessible::NoBoundary, At, 0, 27, "AT+GMR ok\nsecond line\n\nlast"},
        {28, QAccessible::CharBoundary, At, -1, -1, ""},
        {-1, QAccessible::LineBoundary, At, -1, -1, ""},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::to_string(c.offset) + " type " + std::to_string(c.type) + " side "
                     + std::to_string(c.side));
        int start = -2;
        int end = -2;
        const QString got = c.side == At ? text->textAtOffset(c.offset, c.type, &start, &end)
            : c.side == Before           ? text->textBeforeOffset(c.offset, c.type, &start, &end)
                                         : text->textAfterOffset(c.offset, c.type, &start, &end);
        EXPECT_EQ(got, c.text);
        EXPECT_EQ(start, c.start);
        EXPECT_EQ(end, c.end);
    }
}

TEST(LogTextViewAccessible, TheSelectionAndTheCaretAreTheViews)
{
    ReadView r({"alpha one", "beta two", "gamma three"});
    QAccessibleTextInterface* text = textOf(r.view);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->selectionCount(), 0);
    int start = -1;
    int end = -1;

    // A selection made by the user is reported...
    r.view.setSelection(LogPlace{0, 6}, LogPlace{1, 4});
    ASSERT_EQ(r.view.selectedText(), QString("one\nbeta"));
    EXPECT_EQ(text->selectionCount(), 1);
    text->selection(0, &start, &end);
    EXPECT_EQ(text->text(start, end), QString("one\nbeta"));
    EXPECT_EQ(text->cursorPosition(), end);
    // ...backwards too, the caret at its start.
    r.view.setSelection(LogPlace{2, 5}, LogPlace{1, 5});
    text->selection(0, &start, &end);
    EXPECT_EQ(text->text(start, end), QString("two\ngamma"));
    EXPECT_EQ(text->cursorPosition(), start);

    // ...and one a reader makes is the view's.
    text->setSelection(0, 19, 24);
    EXPECT_EQ(r.view.selectedText(), QString("gamma"));
    text->removeSelection(0);
    EXPECT_FALSE(r.view.hasSelection());
    text->setCursorPosition(12);
    EXPECT_EQ(r.view.caretPlace(), (LogPlace{1, 2}));
    text->addSelection(0, 200);
    EXPECT_EQ(r.view.selectedText(), r.view.toPlainText());
}

TEST(LogTextViewAccessible, CharactersAreWhereTheyAreDrawn)
{
    ReadView r({"first line", "second line"});
    QAccessibleTextInterface* text = textOf(r.view);
    ASSERT_NE(text, nullptr);
    QFont unkerned = r.view.font();
    unkerned.setKerning(false);
    const QFontMetrics metrics(unkerned);
    int before = 0;
    for (const QChar c : QStringLiteral("second l"))
        before += metrics.horizontalAdvance(c);
    const QPoint origin = r.view.viewport()->mapToGlobal(QPoint(0, 0));
    // "i" of "line" on the second row: offset 11 + 8.
    const QRect i = text->characterRect(19);
    EXPECT_EQ(i.top() - origin.y(), r.view.fontMetrics().lineSpacing());
    EXPECT_EQ(i.left() - origin.x(), 4 + before);
    EXPECT_EQ(i.width(), metrics.horizontalAdvance(QLatin1Char('i')));
    for (const int offset : {0, 3, 10, 11, 19, 20}) {
        SCOPED_TRACE(offset);
        const QRect rect = text->characterRect(offset);
        EXPECT_EQ(text->offsetAtPoint(rect.center()), offset) << "the point of a character is that character";
    }
    EXPECT_EQ(text->offsetAtPoint(origin - QPoint(5, 5)), -1) << "outside the log";
}

TEST(LogTextViewAccessible, AFullLogIsReadInPiecesWithoutMakingItsWholeText)
{
    LogTextView view;
    view.setMaximumLineCount(5000);
    QStringList lines;
    for (int i = 0; i < 5200; ++i)
        lines << QStringLiteral("%1 ").arg(i, 5, 10, QLatin1Char('0'))
                + QString(1494, QLatin1Char('a' + i % 26));
    view.appendLines(lines);
    QAccessibleTextInterface* text = textOf(view);
    ASSERT_NE(text, nullptr);
    EXPECT_EQ(text->characterCount(), 5000 * 1500 + 4999);
    // Line 2500 kept is the one numbered 2700.
    int start = 0;
    int end = 0;
    const QString line = text->textAtOffset(2500 * 1501 + 700, QAccessible::LineBoundary, &start, &end);
    EXPECT_EQ(start, 2500 * 1501);
    EXPECT_EQ(end, 2501 * 1501);
    EXPECT_TRUE(line.startsWith(QStringLiteral("02700 ")));
    EXPECT_EQ(text->text(2500 * 1501 - 3, 2500 * 1501 + 5),
              QStringLiteral("%1\n02700").arg(QString(2, QChar('a' + 2699 % 26))));
}

// What QAccessible was told. Nothing is told while no screen reader could
// listen; the offscreen platform has no accessibility bridge to switch on, so
// these run on a virtual X server with an accessibility bus (run_on_x11.sh).
class Announcements : public ::testing::Test {
protected:
    struct Told {
        QAccessible::Event type;
        int position = -1;
        QString text;
    };
    static inline std::vector<Told>* told = nullptr;
    static void record(QAccessibleEvent* event)
    {
        Told t{event->type(), -1, {}};
        if (event->type() == QAccessible::TextInserted) {
            const auto* e = static_cast<QAccessibleTextInsertEvent*>(event);
            t.position = e->changePosition();
            t.text = e->textInserted();
        } else if (event->type() == QAccessible::TextRemoved) {
            const auto* e = static_cast<QAccessibleTextRemoveEvent*>(event);
            t.position = e->changePosition();
            t.text = e->textRemoved();
        }
        told->push_back(t);
    }
    void SetUp() override
    {
        told = &events;
        if (QGuiApplication::platformName() != QLatin1String("xcb"))
            GTEST_SKIP() << "no accessibility bridge on this platform";
        // The bridge switches itself on once it has found the bus.
        ASSERT_TRUE(QTest::qWaitFor([] { return QAccessible::isActive(); }, 20000));
        QAccessible::installUpdateHandler(&Announcements::record);
    }
    void TearDown() override
    {
        QAccessible::installUpdateHandler(nullptr);
        told = nullptr;
    }
    std::vector<Told> of(QAccessible::Event type) const
    {
        std::vector<Told> found;
        for (const Told& t : events)
            if (t.type == type)
                found.push_back(t);
        return found;
    }
    std::vector<Told> events;
};

TEST_F(Announcements, TheLinesOfAFrameAreOneInsertion)
{
    // However the frames fall (a loaded machine may show every line at
    // once), each frame tells of its lines once, and the insertions told
    // make up the text.
    DisplayFrame frame(true);
    LogTextView view;
    view.resize(400, 200);
    view.show();
    QPlainTextEdit frozen;
    QPushButton freeze;
    LogView log(&view, &frozen, &freeze, frame, {});
    int frames = 0;
    frame.addShower([&frames] { ++frames; });
    QAccessibleTextInterface* text = textOf(view);
    ASSERT_NE(text, nullptr);
    for (int i = 0; i < 1000; ++i)
        log.addLine(QStringLiteral("line %1").arg(i));
    frame.show();
    const std::vector<Told> inserted = of(QAccessible::TextInserted);
    ASSERT_GE(inserted.size(), 1u);
    EXPECT_LE(static_cast<int>(inserted.size()), frames);
    QString told;
    for (const Told& t : inserted) {
        EXPECT_EQ(t.position, told.size());
        told += t.text;
    }
    EXPECT_EQ(told, view.toPlainText());
    EXPECT_EQ(told, text->text(0, text->characterCount()));
    const std::size_t before = inserted.size();
    frame.show();
    EXPECT_EQ(of(QAccessible::TextInserted).size(), before) << "a frame with no lines tells nothing";
}

TEST_F(Announcements, AFloodTellsItsNewestLinesAndWhatTheCapTookAway)
{
    LogTextView view;
    view.setMaximumLineCount(4);
    QAccessibleTextInterface* text = textOf(view);
    ASSERT_NE(text, nullptr);
    view.appendLines({"a1", "b2", "c3"});
    view.announceNewLines();
    ASSERT_EQ(of(QAccessible::TextInserted).size(), 1u);
    EXPECT_EQ(of(QAccessible::TextInserted)[0].text, QString("a1\nb2\nc3"));
    events.clear();

    view.appendLines({"d4", "e5", "f6"});  // a1 and b2 fall off
    view.announceNewLines();
    ASSERT_EQ(of(QAccessible::TextRemoved).size(), 1u);
    EXPECT_EQ(of(QAccessible::TextRemoved)[0].position, 0);
    EXPECT_EQ(of(QAccessible::TextRemoved)[0].text.size(), QString("a1\nb2\n").size());
    ASSERT_EQ(of(QAccessible::TextInserted).size(), 1u);
    EXPECT_EQ(of(QAccessible::TextInserted)[0].text, QString("\nd4\ne5\nf6"));
    EXPECT_EQ(of(QAccessible::TextInserted)[0].position, QString("c3").size());
    events.clear();

    // A frame of more than a reader can take: only its newest whole lines.
    view.setMaximumLineCount(0);
    QStringList flood;
    for (int i = 0; i < 3000; ++i)
        flood << QStringLiteral("flood line %1").arg(i, 4, 10, QLatin1Char('0'));
    view.appendLines(flood);
    view.announceNewLines();
    const std::vector<Told> inserted = of(QAccessible::TextInserted);
    ASSERT_EQ(inserted.size(), 1u);
    EXPECT_LE(inserted[0].text.size(), LogTextViewAccessible::MaxAnnounced);
    EXPECT_GT(inserted[0].text.size(), LogTextViewAccessible::MaxAnnounced - 20);
    EXPECT_TRUE(inserted[0].text.startsWith(QStringLiteral("flood line "))) << "whole lines";
    EXPECT_TRUE(inserted[0].text.endsWith(QStringLiteral("flood line 2999")));
    EXPECT_EQ(inserted[0].position + inserted[0].text.size(), text->characterCount());
    events.clear();

    // Clearing takes the whole text away.
    const int all = text->characterCount();
    view.clear();
    view.appendLine(QStringLiteral("x"));
    view.announceNewLines();
    ASSERT_EQ(of(QAccessible::TextInserted).size(), 1u);
    EXPECT_EQ(of(QAccessible::TextInserted)[0].position, 0);
    EXPECT_EQ(of(QAccessible::TextInserted)[0].text, QString("x"));
    EXPECT_TRUE(of(QAccessible::TextRemoved).empty() || of(QAccessible::TextRemoved)[0].text.size() == all);
}

TEST_F(Announcements, TheCaretAndTheSelectionAreToldWhenTheUserMovesThem)
{
    ReadView r({"alpha one", "beta two"});
    QApplication::setActiveWindow(&r.view);
    r.view.setFocus();
    events.clear();
    QTest::keyClick(&r.view, Qt::Key_Home, Qt::ControlModifier);
    QTest::keyClick(&r.view, Qt::Key_End, Qt::ShiftModifier);
    ASSERT_FALSE(of(QAccessible::TextCaretMoved).empty());
    ASSERT_FALSE(of(QAccessible::TextSelectionChanged).empty());
    QAccessibleInterface* iface = QAccessible::queryAccessibleInterface(&r.view);
    EXPECT_EQ(iface->textInterface()->cursorPosition(), 9);
}

}  // namespace
}  // namespace comtrax
